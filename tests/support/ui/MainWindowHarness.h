// A real main window over the simulated tool for form tests: a temporary app folder, fake time,
// scripted prompts, a recording shell and one simulated tool on a simulated HID bus. Ticks of the
// connection monitor are driven by hand, never by real time.
#pragma once

#include "app/ui/Main.h"
#include "platform/Clock.h"
#include "platform/Shell.h"
#include "sim/SimHidPlatform.h"
#include "tests/support/ScriptedPrompts.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Counts what the transport asks of the bus, so that tests can see open attempts.
class CountingHidPlatform final : public HidPlatform {
public:
    explicit CountingHidPlatform(HidPlatform& inner) : inner_(inner) {}
    // Look-ups of interface 0: each Open starts its search there, so this counts open attempts.
    int searches = 0;
    int opens = 0;

    HidPathLookup devicePath(int index, std::string& path) override
    {
        if (index == 0)
            ++searches;
        return inner_.devicePath(index, path);
    }
    Handle open(const std::string& path) override
    {
        ++opens;
        return inner_.open(path);
    }
    bool getAttributes(Handle h, HidAttributes& a) override { return inner_.getAttributes(h, a); }
    bool writeOutputReport(Handle h, const HidReportBytes& r) override { return inner_.writeOutputReport(h, r); }
    bool getFeatureReport(Handle h, HidReportBytes& r) override { return inner_.getFeatureReport(h, r); }
    void close(Handle h) override { inner_.close(h); }

private:
    HidPlatform& inner_;
};

// Records the documents the program asks the desktop to open.
class RecordingShell final : public Shell {
public:
    QStringList opened;
    void openDocument(const QString& path) override { opened.push_back(path); }
};

struct MainWindowOptions {
    SimScenario scenario = SimScenario::Demo;
    bool toolPlugged = true;  // false: the tool is on the bus only after tool().plugIn()
    bool manufacturer = false;
    bool production = false;
    bool debug = false;
    QString executableName = QStringLiteral("pressdiag");
};

class MainWindowHarness {
public:
    explicit MainWindowHarness(MainWindowOptions options = {});
    // A second window on the same app folder (for what one run leaves to the next).
    MainWindowHarness(const MainWindowHarness& previousRun, MainWindowOptions options);
    ~MainWindowHarness();

    // --- the app folder ---------------------------------------------------------------------
    QString appDir() const { return appDir_; }
    QString iniPath() const;
    void writeIni(const QByteArray& content) const;
    QByteArray readIni() const;
    void writeAppFile(const QString& name, const QByteArray& content) const;

    // --- the window ---------------------------------------------------------------------------
    // Constructs the window on first use (so a test can prepare the app folder first).
    THauptDialog& window();
    // Shows it (FormShow runs) and, unless keepTimer, stops the real-time monitor timer so that
    // only tick() drives it.
    THauptDialog& show(bool keepTimer = false);
    Ui::THauptDialog& ui() { return window().ui(); }
    // One tick of the connection monitor, one second later on the fake clock.
    void tick(int count = 1);
    // Shows the window and ticks twice: the tool is loaded and the buttons are enabled.
    THauptDialog& showConnected();
    // Closes the window (FormClose runs) and destroys it.
    void closeWindow();

    // --- services -----------------------------------------------------------------------------
    FakeClock clock;
    ScriptedPrompts prompts;
    RecordingShell shell;
    SimHidPlatform sim{clock};
    CountingHidPlatform hid{sim};
    SimulatedTool& tool() { return *tool_; }
    Services& services() { return *services_; }

private:
    void setUp(const MainWindowOptions& options);

    std::shared_ptr<QTemporaryDir> dir_;
    QString appDir_;
    SimulatedTool* tool_ = nullptr;
    std::unique_ptr<Services> services_;
    std::unique_ptr<THauptDialog> window_;
};
