// The product's Prompts: real Qt message boxes, input boxes, file and print dialogs.
#pragma once

#include "platform/Prompts.h"

class QWidget;

class QtPrompts final : public Prompts {
public:
    // parent: the window the dialogs are modal to (may be set later, once the main window exists).
    explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void message(const QString& caption, const QString& text, PromptIcon icon) override;
    bool question(const QString& caption, const QString& text, PromptIcon icon = PromptIcon::Question) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt, const QString& defaultText) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    bool printDialog(QPagedPaintDevice& printer, const PrintDialogRequest& request) override;
    int execDialog(QDialog& dialog) override;

private:
    QWidget* parent_;
};
