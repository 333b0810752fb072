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
#include <functional>
#include <memory>

// Counts what the transport asks of the bus, so that tests can see open attempts.
class CountingHidPlatform final : public HidPlatform {
public:
    explicit CountingHidPlatform(HidPlatform& inner) : inner_(inner) {}
    // Enumerations: each Open enumerates once, so this counts open attempts.
    int searches = 0;
    int opens = 0;

    std::vector<HidInterfaceInfo> enumerate() override
    {
        ++searches;
        return inner_.enumerate();
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

// Passes everything to the scripted prompts, after running a hook: a test can let something happen
// while a box is open, as the event loop of a real modal box would (a timer tick, say).
class HookedPrompts final : public Prompts {
public:
    explicit HookedPrompts(ScriptedPrompts& inner) : inner_(inner) {}
    std::function<void()> whileOpen;

    void message(const QString& c, const QString& t, PromptIcon i) override { run(); inner_.message(c, t, i); }
    bool question(const QString& c, const QString& t, PromptIcon i) override { run(); return inner_.question(c, t, i); }
    std::optional<QString> inputBox(const QString& c, const QString& p, const QString& d) override
    {
        run();
        return inner_.inputBox(c, p, d);
    }
    std::optional<QString> openFile(const FileDialogRequest& r) override { run(); return inner_.openFile(r); }
    std::optional<QString> saveFile(const FileDialogRequest& r) override { run(); return inner_.saveFile(r); }
    bool printDialog(QPagedPaintDevice& d, const PrintDialogRequest& r) override { run(); return inner_.printDialog(d, r); }
    int execDialog(QDialog& d) override { run(); return inner_.execDialog(d); }

private:
    void run()
    {
        if (whileOpen)
            whileOpen();
    }
    ScriptedPrompts& inner_;
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
    // What the window is given; records into prompts. Set hooked.whileOpen to act inside a box.
    HookedPrompts hooked{prompts};
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
