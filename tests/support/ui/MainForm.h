// The main window's form on its own, for tests that bind one or two features to it without the
// rest of the window; it is set up before any feature connects to its controls.
#pragma once

#include "platform/Shell.h"
#include "ui_Main.h"

#include <QWidget>

struct MainForm {
    QWidget window;
    Ui::THauptDialog ui;
    MainForm() { ui.setupUi(&window); }
};

// A shell that opens nothing: the features under test never need a document shown.
struct NoShell final : Shell {
    void openDocument(const QString&) override {}
};
