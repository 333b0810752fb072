// The calibration button and its two dialogs over the simulated tool: the calibration run with its
// hidden force entry, and the two-point sensor calibration for tools with a pressure sensor.
#include "tests/support/ui/MainWindowHarness.h"
#include "tests/support/ui/MainForm.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "params/ui/ParameterFeature.h"
#include "service/Calibration.h"
#include "service/ui/CalibrationFeature.h"
#include "service/ui/Kaldsdialog.h"
#include "service/ui/Kalrundialog.h"
#include "ui_Kaldsdialog.h"
#include "ui_Kalrundialog.h"
#include "ui_Main.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <functional>
#include <gtest/gtest.h>

namespace {
std::vector<int> codes(const SimulatedTool& tool)
{
    const auto all = tool.receivedCodes();
    return {all.begin(), all.end()};
}

ParameterBlock toolBlock(const SimulatedTool& tool) { return ParameterBlock::decode(tool.parameterBlock()); }

void leave(QWidget* edit)
{
    QFocusEvent out(QEvent::FocusOut);
    QCoreApplication::sendEvent(edit, &out);
}

// Runs the dialog of type D the way action says and returns what exec would have returned.
template <typename D>
std::function<int(QDialog&)> runDialog(std::function<void(D&)> action)
{
    return [action](QDialog& d) {
        auto& dlg = dynamic_cast<D&>(d);
        EXPECT_NE(dlg.parentWidget(), nullptr);  // owned by the main window
        dlg.show();
        action(dlg);
        const int result = dlg.isVisible() ? -1 : dlg.result();  // -1: still open
        dlg.hide();
        return result;
    };
}

// The main window's form with the parameter and calibration features over one simulated tool, and
// prompts that let the technician build up pressure while the force is being asked for.
class HookPrompts final : public Prompts {
public:
    ScriptedPrompts script;
    std::function<void()> whileAsking;

    void message(const QString& c, const QString& t, PromptIcon i) override { script.message(c, t, i); }
    bool question(const QString& c, const QString& t, PromptIcon i) override { return script.question(c, t, i); }
    std::optional<QString> inputBox(const QString& c, const QString& p, const QString& d) override
    {
        if (whileAsking)
            whileAsking();
        return script.inputBox(c, p, d);
    }
    std::optional<QString> openFile(const FileDialogRequest& r) override { return script.openFile(r); }
    std::optional<QString> saveFile(const FileDialogRequest& r) override { return script.saveFile(r); }
    bool printDialog(QPagedPaintDevice& p, const PrintDialogRequest& r) override { return script.printDialog(p, r); }
    int execDialog(QDialog& d) override { return script.execDialog(d); }
};

struct SensorToolForm : MainForm {
    FakeClock clock;
    SimHidPlatform sim{clock};
    SimulatedTool& tool;
    HookPrompts prompts;
    NoShell shell;
    AppPaths paths;
    TUsbHidInterface link{sim, clock};
    MainState state;
    MainContext ctx{window, ui, state, link, clock, prompts, shell, paths, {}};
    ParameterFeature params{ctx};
    CalibrationFeature calibration{ctx};

    explicit SensorToolForm(SimScenario scenario = SimScenario::Sensor) : tool(sim.addTool(scenario))
    {
        ctx.features.params = &params;
        ctx.features.calibration = &calibration;
        state.link = &link;
        EXPECT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
        params.ReadParameterBlock();
        tool.clearReceived();
        ui.BtnKalRun->setEnabled(true);
    }
    void setToolBlock(const std::function<void(ParameterBlock&)>& change)
    {
        ParameterBlock b = toolBlock(tool);
        change(b);
        const ParameterBlockBytes bytes = b.encode();
        SimParameterBytes raw{};
        std::copy(bytes.begin(), bytes.end(), raw.begin());
        tool.setParameterBlock(raw, tool.parameterLayout());
        params.ReadParameterBlock();
        tool.clearReceived();
    }
    // The reading the tool's sensor gives at a pressure.
    std::uint16_t countAt(double bar)
    {
        tool.setPressureBar(bar);
        const std::uint16_t c = static_cast<std::uint16_t>(tool.info().WorkValue & 0xFFFF);
        tool.setPressureBar(0);
        return c;
    }
};
}  // namespace

// --- calibration run -------------------------------------------------------------------------

TEST(CalibrationRunDialog, OpensForAToolWithoutSensorAndCalibratesTo120Percent)
{
    for (const std::uint32_t lang : {LangGerman, LangEnglish}) {
        SCOPED_TRACE(lang);
        MainWindowHarness h;
        THauptDialog& w = h.showConnected();
        w.state().LanguageIndex = lang;
        ASSERT_EQ(w.state().parameterBlock.Flags & 1, 0);
        ASSERT_TRUE(h.ui().BtnKalRun->isEnabled());
        h.prompts.clear();
        h.tool().clearReceived();

        h.prompts.answerDialog(runDialog<TKalRunDlg>([&](TKalRunDlg& d) {
            const auto& ui = d.ui();
            EXPECT_EQ(d.windowTitle(), LangText(lang, 66));
            EXPECT_EQ(ui.LblAnweisung->text(), LangText(lang, 67));
            EXPECT_EQ(ui.BtnOk->text(), LangText(lang, 97));
            EXPECT_EQ(ui.BtnAbbruch->text(), LangText(lang, 96));
            EXPECT_TRUE(ui.CbKal120->isChecked());
            EXPECT_FALSE(ui.CbKal120->isVisible());
            EXPECT_FALSE(ui.HstPanel->isVisible());
            EXPECT_EQ(ui.EditNomVal->text(), QStringLiteral("0"));
            EXPECT_EQ(ui.EditKalVal->text(), QStringLiteral("0"));
            EXPECT_FALSE(ui.EditNomVal->isEnabled());
            EXPECT_FALSE(ui.EditKalVal->isEnabled());
            EXPECT_TRUE(ui.BtnOk->isEnabled());
            EXPECT_TRUE(h.tool().calibrationRunActive());
            ui.BtnOk->click();
        }));
        h.ui().BtnKalRun->click();

        ASSERT_EQ(h.prompts.shown().size(), 1u);
        EXPECT_EQ(h.prompts.shown()[0].caption, QStringLiteral("TKalRunDlg"));
        EXPECT_EQ(codes(h.tool()), (std::vector<int>{0x52, 0x53}));
        const Payload& set = h.tool().receivedRequests().back();
        EXPECT_TRUE(std::all_of(set.begin() + 1, set.begin() + 9, [](std::uint8_t b) { return b == 0; }));
        EXPECT_EQ(h.tool().calibrationValues(), std::make_pair(0u, 0u));
        EXPECT_TRUE(h.prompts.scriptDone());
    }
}

TEST(CalibrationRunDialog, TypedForcesGoToTheToolInNewtons)
{
    MainWindowHarness h;
    h.showConnected();
    h.prompts.answerDialog(runDialog<TKalRunDlg>([](TKalRunDlg& d) {
        auto& ui = d.ui();
        ui.CbKal120->setChecked(false);
        EXPECT_EQ(ui.EditNomVal->text(), QString());
        EXPECT_TRUE(ui.EditNomVal->isEnabled());
        EXPECT_TRUE(ui.EditKalVal->isEnabled());
        ui.EditNomVal->setText(QStringLiteral("45,5"));
        leave(ui.EditNomVal);
        EXPECT_EQ(ui.EditNomVal->text(), QStringLiteral("45.5"));
        ui.EditKalVal->setText(QStringLiteral("54.6"));
        ui.BtnOk->click();
    }));
    h.ui().BtnKalRun->click();
    EXPECT_EQ(h.tool().calibrationValues(), std::make_pair(45500u, 54600u));
}

TEST(CalibrationRunDialog, WaysThatSendNothingFurther)
{
    const struct {
        const char* name;
        bool startFails;
        std::function<void(TKalRunDlg&)> action;
        int result;  // -1: still open
        bool invalidMessage;
    } cases[] = {
        {"cancel", false, [](TKalRunDlg& d) { d.ui().BtnAbbruch->click(); }, QDialog::Rejected, false},
        {"empty force",
         false,
         [](TKalRunDlg& d) {
             d.ui().CbKal120->setChecked(false);
             d.ui().EditKalVal->setText(QStringLiteral("54.6"));
             d.ui().BtnOk->click();
         },
         -1,
         true},
        {"calibration start refused",
         true,
         [](TKalRunDlg& d) {
             EXPECT_FALSE(d.ui().BtnOk->isEnabled());
             d.ui().BtnOk->click();  // a disabled button does nothing
         },
         -1,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowHarness h;
        h.showConnected();
        h.prompts.clear();
        h.tool().clearReceived();
        if (c.startFails)
            h.tool().injectFailure(SimFailure::FailureReply, 0x52, 1);
        int result = -2;
        h.prompts.answerDialog([&](QDialog& d) {
            result = runDialog<TKalRunDlg>(c.action)(d);
            return result;
        });
        h.ui().BtnKalRun->click();
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(codes(h.tool()), std::vector<int>{0x52});
        const auto messages = h.prompts.messages();
        ASSERT_EQ(messages.size(), c.invalidMessage ? 1u : 0u);
        if (c.invalidMessage) {
            EXPECT_EQ(messages[0].caption, QStringLiteral("Info"));
            EXPECT_EQ(messages[0].text, QStringLiteral("Daten ungültig!"));
        }
    }
}

// --- sensor calibration ----------------------------------------------------------------------

TEST(SensorCalibrationDialog, TheMainWindowOpensItForAToolWithASensor)
{
    MainWindowHarness h({.scenario = SimScenario::Sensor});
    THauptDialog& w = h.showConnected();
    ASSERT_EQ(w.state().parameterBlock.Flags & 1, 1);
    h.prompts.clear();
    h.tool().clearReceived();

    h.prompts.answerInput(QStringLiteral("88"));
    h.prompts.answerDialog(runDialog<TKalDsDlg>([](TKalDsDlg& d) {
        EXPECT_EQ(d.windowTitle(), LangText(LangGerman, 66));
        EXPECT_EQ(d.ui().LblAnweisung->text(), LangText(LangGerman, 99));
        EXPECT_EQ(d.ui().BtnOk->text(), LangText(LangGerman, 100));
        EXPECT_EQ(d.ui().BtnAbbruch->text(), LangText(LangGerman, 96));
        d.ui().BtnOk->click();
    }));
    h.ui().BtnKalRun->click();

    EXPECT_EQ(h.prompts.shown()[0].caption, QStringLiteral("TKalDsDlg"));
    std::vector<int> expected(7, 0x60);
    for (int c : {0x57, 0x03, 0x02, 0x01, 0x01})
        expected.push_back(c);
    expected.insert(expected.end(), 7, 0x61);
    expected.push_back(0x62);
    EXPECT_EQ(codes(h.tool()), expected);
    // Without pressure built up both readings are the same: a flat line through the zero reading.
    const ParameterBlock b = toolBlock(h.tool());
    EXPECT_EQ(b.CntDs0bar, h.tool().sensorCountAt0);
    EXPECT_EQ(b.CntDs1000bar, h.tool().sensorCountAt0);
    ASSERT_EQ(h.prompts.messages().size(), 1u);
    EXPECT_EQ(h.prompts.messages()[0].text, LangText(LangGerman, 81));
}

TEST(SensorCalibrationDialog, ReadingsAtZeroAndUnderTheTypedForceGiveTheCountAt1000Bar)
{
    SensorToolForm f;
    f.state.LanguageIndex = LangEnglish;
    const float p = calibrationPressure(QStringLiteral("88"), 40);
    const std::uint16_t r0 = f.countAt(0);
    const std::uint16_t r1 = f.countAt(p);
    f.prompts.whileAsking = [&] { f.tool.setPressureBar(p); };
    f.prompts.script.answerInput(QStringLiteral("88,0"));
    f.prompts.script.answerDialog(runDialog<TKalDsDlg>([](TKalDsDlg& d) { d.ui().BtnOk->click(); }));
    f.ui.BtnKalRun->click();

    const auto& input = f.prompts.script.shown()[1];
    EXPECT_EQ(input.kind, ScriptedPrompts::Kind::Input);
    EXPECT_EQ(input.caption, LangText(LangEnglish, 66));
    EXPECT_EQ(input.text, QStringLiteral("Kalibrierkraft [KN] "));
    const ParameterBlock b = toolBlock(f.tool);
    EXPECT_EQ(b.CntDs0bar, r0);
    EXPECT_EQ(b.CntDs1000bar, sensorCount1000bar(r0, r1, p).value());
    // The tool's own characteristic comes back within a count.
    EXPECT_NEAR(b.CntDs1000bar, f.tool.sensorCountAt1000, 1);
    EXPECT_EQ(f.prompts.script.messages().back().text, LangText(LangEnglish, 81));
}

TEST(SensorCalibrationDialog, AttemptsThatEndSilentlyKeepTheDialogOpenAndTheToolUnchanged)
{
    const struct {
        const char* name;
        std::optional<QString> answer;
        std::uint8_t piston;
    } cases[] = {
        {"cancelled", std::nullopt, 40},
        {"zero", QStringLiteral("0"), 40},
        {"not a number", QStringLiteral("x"), 40},
        {"no piston", QStringLiteral("88"), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SensorToolForm f;
        f.setToolBlock([&](ParameterBlock& b) { b.Kolbendurchmesser = c.piston; });
        const SimParameterBytes before = f.tool.parameterBlock();
        f.prompts.script.answerInput(c.answer);
        int result = -2;
        f.prompts.script.answerDialog([&](QDialog& d) {
            result = runDialog<TKalDsDlg>([](TKalDsDlg& dlg) { dlg.ui().BtnOk->click(); })(d);
            return result;
        });
        f.ui.BtnKalRun->click();
        EXPECT_EQ(result, -1);
        EXPECT_EQ(f.tool.parameterBlock(), before);
        EXPECT_TRUE(f.prompts.script.messages().empty());
        EXPECT_EQ(f.state.parameterBlock.CntDs0bar, f.tool.sensorCountAt0);  // only the program's copy
    }
}

TEST(SensorCalibrationDialog, Layout2ToolsWithTheFlagGetItToo)
{
    SensorToolForm f(SimScenario::V2);
    f.setToolBlock([](ParameterBlock& b) { b.Flags = 1; });
    ASSERT_EQ(f.tool.parameterLayout(), 2);
    f.prompts.script.answerDialog(runDialog<TKalDsDlg>([](TKalDsDlg& d) { d.ui().BtnAbbruch->click(); }));
    f.ui.BtnKalRun->click();
    ASSERT_EQ(f.prompts.script.shown().size(), 1u);
    EXPECT_EQ(f.prompts.script.shown()[0].caption, QStringLiteral("TKalDsDlg"));
    EXPECT_TRUE(f.tool.receivedRequests().empty());
}
