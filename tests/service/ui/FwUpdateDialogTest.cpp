// The firmware update dialog on the real form over the simulated tool: waiting for the tool,
// interactive and automatic runs, the messages, the log and the retry after a failure.
#include "service/ui/FirmwareFeature.h"
#include "service/ui/Fwupdatedialog.h"
#include "tests/service/HexTestFiles.h"
#include "tests/support/ui/MainWindowHarness.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "ui_Fwupdatedialog.h"
#include "ui_Main.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

constexpr int TextTransferred = 71;
constexpr int TextNotTransferred = 72;

// A small image: three pages, its version text after the marker the tool reads.
HexWriter appImage(const std::string& version)
{
    std::string marker = "FWV=" + version;
    std::vector<std::uint8_t> text(marker.begin(), marker.end());
    text.push_back(0);
    HexWriter hex;
    hex.pattern(0x3000, 0x40).data(0x3040, text).pattern(0x3100, 0x6D0);
    return hex.endOfFile();
}

class FwUpdateDialog : public ::testing::Test {
protected:
    MainWindowHarness h;

    QString writeHex(const QString& name, const QByteArray& text)
    {
        h.writeAppFile(name, text);
        return h.appDir() + "/" + name;
    }
    // The tool restarted into its bootloader and found by the dialog: Update is enabled.
    void waitForBootloader(TFwUpdateDlg& dlg)
    {
        h.tool().enterBootloader();
        for (int i = 0; i < 4 && !(dlg.ui().BtnUpdate->isEnabled() && h.window().link().Connected); ++i)
            tickUpdate(dlg);
        ASSERT_TRUE(dlg.ui().BtnUpdate->isEnabled());
        ASSERT_TRUE(h.window().link().Connected);
        h.tool().clearReceived();
    }
    void tickUpdate(TFwUpdateDlg& dlg)
    {
        h.clock.advanceMs(TFwUpdateDlg::UpdateIntervalMs);
        dlg.UpdateTimer();
    }
    QStringList updateLog() const
    {
        QFile f(h.appDir() + "/fwupd.log");
        if (!f.open(QIODevice::ReadOnly))
            return {"<no log>"};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    int sent(std::uint8_t code)
    {
        const auto codes = h.tool().receivedCodes();
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
    std::vector<ScriptedPrompts::Shown> messages() const { return h.prompts.messages(); }
    void expectOneMessage(int textId, PromptIcon icon)
    {
        const auto m = messages();
        ASSERT_EQ(m.size(), 1u);
        EXPECT_EQ(m[0].caption, "Info");
        EXPECT_EQ(m[0].text, LangText(0, textId));
        EXPECT_EQ(m[0].icon, icon);
    }
    // Back in waiting: both buttons usable, the bar hidden, the tool poll running.
    void expectWaiting(TFwUpdateDlg& dlg)
    {
        EXPECT_TRUE(dlg.ui().BtnUpdate->isEnabled());
        EXPECT_TRUE(dlg.ui().BtnAbbruch->isEnabled());
        EXPECT_TRUE(dlg.ui().ProgressBar->isHidden());
        EXPECT_TRUE(dlg.Update().isActive());
        EXPECT_FALSE(dlg.running());
        EXPECT_NE(dlg.result(), QDialog::Accepted);
    }
};

}  // namespace

TEST_F(FwUpdateDialog, CreatedWaitingAndShownWithTheTextsOfItsModeAndLanguage)
{
    struct Case {
        std::uint32_t language;
        QString preset;
        QString instruction;  // empty: text 70 of the language
        const char* caption;
        const char* cancel;
    };
    const Case cases[] = {
        {0, "", "", "Firmware Update", "Abbruch"},
        {1, "", "", "Update of firmware", "Cancel"},
        {0, "/prod/Test.hex", "Programmierung der Firmware: /prod/Test.hex", "Firmware Update", "Abbruch"},
        {1, "/prod/Test.hex", "Programming firmware: /prod/Test.hex", "Update of firmware", "Cancel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption + (" " + c.preset).toStdString());
        h.window().state().LanguageIndex = c.language;
        TFwUpdateDlg dlg(&h.window(), h.window().context(), c.preset);
        EXPECT_FALSE(dlg.ui().BtnUpdate->isEnabled());
        EXPECT_TRUE(dlg.ui().ProgressBar->isHidden());
        EXPECT_TRUE(dlg.Update().isActive());
        EXPECT_EQ(dlg.Update().interval(), 1000);
        EXPECT_FALSE(dlg.AutoRunFertigung().isActive());

        dlg.show();
        const QString instruction = c.instruction.isEmpty() ? LangText(c.language, 70) : c.instruction;
        EXPECT_EQ(dlg.ui().LblAnweisung->text(), instruction);
        EXPECT_EQ(dlg.windowTitle(), c.caption);
        EXPECT_EQ(dlg.ui().BtnAbbruch->text(), c.cancel);
        EXPECT_EQ(dlg.ui().BtnUpdate->text(), "Update");
        EXPECT_EQ(dlg.AutoRunFertigung().isActive(), !c.preset.isEmpty());
        EXPECT_EQ(dlg.AutoRunFertigung().interval(), 100);
        EXPECT_EQ(dlg.PresetHexPath(), c.preset);
    }
    EXPECT_TRUE(LangText(0, 70).startsWith("Ziehen Sie den Akku."));
}

TEST_F(FwUpdateDialog, UpdateTimerOpensTheLinkItselfAndFollowsTheTool)
{
    h.tool().unplug();
    TFwUpdateDlg dlg(&h.window(), h.window().context(), {});
    TUsbHidInterface& link = h.window().link();
    struct Step {
        const char* what;
        std::function<void()> before;
        bool enabled;
        bool connected;
        std::vector<std::uint8_t> codes;  // requests of this tick
    };
    const Step steps[] = {
        {"no tool: open fails", [] {}, false, false, {}},
        {"tool in its bootloader: opened, Update still off", [this] { h.tool().enterBootloader(); }, false, true, {}},
        {"versions read: Update on", [] {}, true, true, {0x03, 0x02}},
        {"still there", [] {}, true, true, {0x03, 0x02}},
        {"unplugged: the failed read clears the link", [this] { h.tool().unplug(); }, true, false, {}},
        {"gone: Update off, open fails", [] {}, false, false, {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.before();
        h.tool().clearReceived();
        tickUpdate(dlg);
        EXPECT_EQ(dlg.ui().BtnUpdate->isEnabled(), s.enabled);
        EXPECT_EQ(link.Connected, s.connected);
        EXPECT_EQ(h.tool().receivedCodes(), s.codes);
    }
}

TEST_F(FwUpdateDialog, InteractiveUpdateFromTheServicePageEndsWithText71AndTheNewImageRunning)
{
    const QString path = writeHex("App.hex", appImage("V7.42").bytes());
    h.showConnected();
    THauptDialog& w = h.window();
    w.SearchDevice().start();  // the monitor runs as it does in the product
    ASSERT_TRUE(h.ui().BtnFwUpdate->isEnabled());
    ASSERT_NE(h.tool().firmwareVersion, "V7.42");

    bool monitorStopped = false;
    std::vector<int> progress;
    h.prompts.answerFile(path);
    h.prompts.answerDialog([&](QDialog& d) {
        auto& dlg = dynamic_cast<TFwUpdateDlg&>(d);
        monitorStopped = !w.SearchDevice().isActive();
        dlg.show();
        QObject::connect(dlg.ui().ProgressBar, &QProgressBar::valueChanged, [&](int v) {
            if (dlg.ui().ProgressBar->isVisible())
                progress.push_back(v);
        });
        waitForBootloader(dlg);
        dlg.ui().BtnUpdate->click();
        return dlg.result();
    });
    h.ui().BtnFwUpdate->click();

    ASSERT_TRUE(h.prompts.scriptDone());
    EXPECT_TRUE(monitorStopped);
    EXPECT_TRUE(w.SearchDevice().isActive());
    const auto& shown = h.prompts.shown();
    ASSERT_EQ(shown.front().kind, ScriptedPrompts::Kind::Dialog);
    EXPECT_EQ(shown.front().caption, "TFwUpdateDlg");
    const auto file = std::find_if(shown.begin(), shown.end(), [](const auto& s) { return s.kind == ScriptedPrompts::Kind::OpenFile; });
    ASSERT_NE(file, shown.end());
    EXPECT_EQ(file->file.title, "Firmware");
    EXPECT_EQ(file->file.defaultExtension, "HEX");
    EXPECT_EQ(file->file.fileName, "*.hex");
    expectOneMessage(TextTransferred, PromptIcon::Information);
    EXPECT_EQ(progress, std::vector<int>({1, 2, 3}));

    // Every page the tool programmed is the image's, and the tool restarted with it.
    HexImage image;
    ASSERT_TRUE(LoadHexFile(path, std::nullopt, image, {}));
    ASSERT_EQ(h.tool().flashPages().size(), 3u);
    for (const auto& [page, bytes] : h.tool().flashPages())
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image.ImageBuffer.begin() + page * 1024)) << "page " << page;
    EXPECT_EQ(h.tool().firmwareVersion, "V7.42");
    EXPECT_FALSE(h.tool().bootloaderMode());
    EXPECT_EQ(updateLog().value(0), "Flash Application " + path);
    EXPECT_TRUE(updateLog().last().startsWith("\tExecution time "));

    // The monitor finds the restarted tool and shows its new version.
    w.SearchDevice().stop();
    h.clock.advanceMs(SimRestartMs);
    for (int i = 0; i < 4 && h.ui().LblFirmwareVersion->text() != "V7.42"; ++i)
        h.tick();
    EXPECT_EQ(h.ui().LblFirmwareVersion->text(), "V7.42");
}

TEST_F(FwUpdateDialog, CancelledFileDialogShowsText72AndSendsNothing)
{
    TFwUpdateDlg dlg(&h.window(), h.window().context(), {});
    dlg.show();
    waitForBootloader(dlg);
    h.prompts.answerFile(std::nullopt);
    dlg.BtnUpdateClick();

    expectOneMessage(TextNotTransferred, PromptIcon::Exclamation);
    EXPECT_TRUE(h.tool().receivedCodes().empty());
    EXPECT_TRUE(updateLog().isEmpty());  // created anew, nothing to say
    expectWaiting(dlg);
}

TEST_F(FwUpdateDialog, AutomaticRunClosesSilentlyOnSuccessAndStaysOpenOnFailure)
{
    struct Case {
        const char* name;
        QByteArray file;  // empty: no such file
        bool toolPresent;
        bool ok;
        QString logLine;  // a line the log must hold
    };
    const Case cases[] = {
        {"success", appImage("V2.0").bytes(), true, true, "\tFirmware size: 2000 Bytes"},
        {"missing file", {}, true, false, "Can't open "},
        {"character that is no hex digit", HexWriter().pattern(0x3000, 64).raw(":1030400#\r\n").bytes(), true, false,
         "Wrong Hex-Nibble # (23)"},
        {"no tool found", appImage("V2.0").bytes(), false, false, "Flash Application "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        h.prompts.clear();
        h.tool().clearReceived();
        h.window().link().Close();
        if (c.toolPresent)
            h.tool().enterBootloader();
        else
            h.tool().unplug();
        const QString path = c.file.isEmpty() ? h.appDir() + "/none.hex" : writeHex("Prod.hex", c.file);

        TFwUpdateDlg dlg(&h.window(), h.window().context(), path);
        dlg.show();
        if (c.toolPresent)
            tickUpdate(dlg);  // the 100 ms start comes first in the product; the run does not wait for the tool
        ASSERT_TRUE(dlg.AutoRunFertigung().isActive());
        h.tool().clearReceived();
        dlg.AutoRunFertigungTimer();

        EXPECT_FALSE(dlg.AutoRunFertigung().isActive());
        EXPECT_TRUE(std::none_of(h.prompts.shown().begin(), h.prompts.shown().end(),
                                 [](const auto& s) { return s.kind == ScriptedPrompts::Kind::OpenFile; }));
        const QStringList log = updateLog();
        EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const QString& l) { return l.startsWith(c.logLine); }))
            << log.join('\n').toStdString();
        if (c.ok) {
            EXPECT_EQ(dlg.result(), QDialog::Accepted);
            EXPECT_TRUE(messages().empty());
            EXPECT_EQ(h.tool().firmwareVersion, "V2.0");
            continue;
        }
        expectOneMessage(TextNotTransferred, PromptIcon::Exclamation);
        EXPECT_EQ(sent(0x51), 0);
        if (c.toolPresent) {
            EXPECT_TRUE(h.tool().receivedCodes().empty());
        }
        expectWaiting(dlg);
        // Update repeats the same file, again without a file dialog.
        EXPECT_EQ(dlg.PresetHexPath(), path);
        h.prompts.clear();
        dlg.ui().BtnUpdate->click();
        EXPECT_EQ(updateLog().value(0), "Flash Application " + path);
        expectOneMessage(TextNotTransferred, PromptIcon::Exclamation);
    }
}

TEST_F(FwUpdateDialog, FailedExchangeMidDownloadIsLoggedAndUpdateCanBePressedAgain)
{
    const QString path = writeHex("App.hex", appImage("V3.3").bytes());
    TFwUpdateDlg dlg(&h.window(), h.window().context(), {});
    dlg.show();
    waitForBootloader(dlg);
    // The tool drops off the bus in the middle of page 13: 33 exchanges of page 12 and 7 blocks.
    h.tool().injectFailure(SimFailure::Unplug, 0, 40);
    h.prompts.answerFile(path);
    dlg.BtnUpdateClick();

    expectOneMessage(TextNotTransferred, PromptIcon::Exclamation);
    const QStringList failedLog = updateLog();
    EXPECT_TRUE(failedLog.filter("Execution time").isEmpty());
    ASSERT_EQ(failedLog.size(), 4);  // path, file, size, then the system's error text
    EXPECT_EQ(failedLog[2], "\tFirmware size: 2000 Bytes");
    EXPECT_EQ(sent(0x41), 1);
    EXPECT_EQ(sent(0x51), 0);
    EXPECT_NE(h.tool().firmwareVersion, "V3.3");
    expectWaiting(dlg);

    // The technician brings the tool back into its bootloader; the dialog finds it again.
    h.tool().clearFailures();
    waitForBootloader(dlg);
    h.prompts.clear();
    h.prompts.answerFile(path);
    dlg.ui().BtnUpdate->click();
    expectOneMessage(TextTransferred, PromptIcon::Information);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(h.tool().firmwareVersion, "V3.3");
    EXPECT_EQ(updateLog().value(0), "Flash Application " + path);  // the log starts anew
}

TEST_F(FwUpdateDialog, CancelClosesOnlyWhileNoRunIsInProgress)
{
    const QString path = writeHex("App.hex", appImage("V4.0").bytes());
    {
        TFwUpdateDlg dlg(&h.window(), h.window().context(), {});
        dlg.show();
        dlg.ui().BtnAbbruch->click();
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        EXPECT_FALSE(dlg.isVisible());
    }
    TFwUpdateDlg dlg(&h.window(), h.window().context(), path);
    dlg.show();
    waitForBootloader(dlg);
    // Escape or the window's close button arrive while the pages are being sent.
    bool refused = false;
    QTimer::singleShot(0, &dlg, [&] {
        dlg.reject();
        dlg.close();
        refused = dlg.running() && dlg.isVisible();
    });
    dlg.AutoRunFertigungTimer();
    EXPECT_TRUE(refused);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(h.tool().firmwareVersion, "V4.0");
}
