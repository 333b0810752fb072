// The parameter block between the simulated tool and the form: reading, showing, taking the edits,
// writing, and the return-time and serial-number settings with their messages.
#include "tests/status/ui/ToolFormFixture.h"

#include "texts/Texte.h"
#include "params/ParameterBlock.h"
#include "ui_Main.h"  // generated here: AUTOUIC only looks at the sources themselves

#include <QPushButton>
#include <gtest/gtest.h>

namespace {
constexpr std::uint8_t ParamRead = 0x60, ParamWrite = 0x61, ParamStore = 0x62;

ParameterBlock toolBlock(const SimulatedTool& tool) { return ParameterBlock::decode(tool.parameterBlock()); }

void setToolBlock(SimulatedTool& tool, const ParameterBlock& block)
{
    tool.setParameterBlock(block.encode(), block.LayoutVersion == 2 ? 2 : 3);
}

long count(const std::vector<std::uint8_t>& codes, std::uint8_t code) { return std::count(codes.begin(), codes.end(), code); }

// The one message box expected so far.
void expectOneMessage(const ScriptedPrompts& prompts, const QString& caption, int textId, PromptIcon icon)
{
    const auto shown = prompts.messages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].caption, caption);
    EXPECT_EQ(shown[0].text, LangText(LangGerman, textId));
    EXPECT_EQ(shown[0].icon, icon);
}

// The parameter tab opened (which reads and shows the block), then the tool's requests forgotten.
void openParameterTab(ToolForm& f)
{
    f.ui.PageControl->setCurrentWidget(f.ui.TS_Parameter);
    f.tool.clearReceived();
    f.prompts.clear();
}
}  // namespace

TEST(ReadParameterBlock, PagesByLayoutAndWhatComesWithThem)
{
    struct Case { const char* name; SimScenario scenario; long pages; const char* cnt0; const char* firmware; };
    const Case cases[] = {
        {"layout 2", SimScenario::V2, 5, "", "V1.08"},
        {"layout 3 with sensor", SimScenario::Sensor, 7, "409", "V2.20 DS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolForm f(c.scenario);
        f.tool.warranty() = {1, 2, 2010, 14, 30};
        f.params.BtnReadParaClick();
        EXPECT_EQ(count(f.codes(), ParamRead), c.pages);
        EXPECT_EQ(f.state.parameterBlock, toolBlock(f.tool));
        EXPECT_EQ(f.ui.EditMaschNr->text(), parameterText(toolBlock(f.tool).MaschNr));
        EXPECT_EQ(f.ui.EditRlzKunde->text(), f.ui.EditRlz->text());
        EXPECT_EQ(f.ui.LblCntDs0bar->text(), QLatin1String(c.cnt0));
        EXPECT_EQ(f.ui.LblFirmwareVersion->text(), QLatin1String(c.firmware));
        EXPECT_FALSE(f.ui.LblBootloaderVersion->text().isEmpty());
        EXPECT_EQ(f.state.WarrantyStart.year, 2010u);
        EXPECT_EQ(f.state.WarrantyStart.minute, 30u);
        EXPECT_TRUE(f.prompts.messages().empty());
    }
}

TEST(ReadParameterBlock, LayoutTwoLeavesTheTailOfTheBlockClear)
{
    ToolForm f(SimScenario::V2);
    f.state.parameterBlock.Kolbendurchmesser = 40;  // left from an earlier layout-3 tool
    f.state.parameterBlock.Reserved161.fill(0x77);
    ASSERT_TRUE(f.params.ReadParameterBlock());
    EXPECT_EQ(f.state.parameterBlock.Kolbendurchmesser, 0);
    const ParameterBlockBytes bytes = f.state.parameterBlock.encode();
    EXPECT_TRUE(std::all_of(bytes.begin() + 160, bytes.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST(ReadParameterBlock, UnknownLayoutIsReportedButKept)
{
    ToolForm f(SimScenario::Demo);
    ParameterBlock b = toolBlock(f.tool);
    b.LayoutVersion = 5;
    setToolBlock(f.tool, b);
    f.params.BtnReadParaClick();
    expectOneMessage(f.prompts, QStringLiteral("Error"), 80, PromptIcon::Exclamation);
    EXPECT_EQ(f.state.parameterBlock.LayoutVersion, 5u);
    EXPECT_EQ(f.ui.EditMaschNr->text(), parameterText(b.MaschNr));  // still shown

    // Writing it sends one empty page and the commit, and the tool accepts both.
    f.tool.clearReceived();
    f.prompts.clear();
    f.params.WriteParameterBlock();
    const auto& sent = f.tool.receivedRequests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0][0], ParamWrite);
    EXPECT_EQ(sent[0][2], 0);
    EXPECT_EQ(sent[1][0], ParamStore);
    expectOneMessage(f.prompts, QStringLiteral("Info"), 81, PromptIcon::Information);
}

TEST(ReadParameterBlock, FailuresKeepWhatWasThere)
{
    {
        SCOPED_TRACE("endless more-pages flag");
        ToolForm f(SimScenario::V2);
        f.state.parameterBlock.Ruecklaufzeit = 1234;
        f.tool.injectFailure(SimFailure::EndlessPages, ParamRead, SimForever);
        EXPECT_FALSE(f.params.ReadParameterBlock());
        EXPECT_EQ(count(f.codes(), ParamRead), 32);
        EXPECT_EQ(f.state.parameterBlock.Ruecklaufzeit, 1234u);
        EXPECT_TRUE(f.prompts.messages().empty());
        // The warranty and the versions are read all the same.
        EXPECT_NE(f.state.WarrantyStart.day, 255u);
        EXPECT_EQ(f.ui.LblFirmwareVersion->text(), QStringLiteral("V1.08"));
    }
    {
        SCOPED_TRACE("warranty and bootloader version fail");
        ToolForm f(SimScenario::V2);
        f.ui.LblFirmwareVersion->setText(QStringLiteral("old"));
        f.tool.injectFailure(SimFailure::FailureReply, 0x57);
        f.tool.injectFailure(SimFailure::FailureReply, 0x02);
        EXPECT_TRUE(f.params.ReadParameterBlock());
        EXPECT_EQ(f.state.WarrantyStart.day, 255u);
        EXPECT_EQ(f.state.WarrantyStart.minute, 255u);
        EXPECT_EQ(f.ui.LblFirmwareVersion->text(), QString());
        EXPECT_EQ(f.ui.LblBootloaderVersion->text(), QString());
    }
    {
        SCOPED_TRACE("no tool");
        ToolForm f(SimScenario::V2);
        f.link.Close();
        f.tool.clearReceived();
        EXPECT_FALSE(f.params.ReadParameterBlock());
        f.params.WriteParameterBlock();
        EXPECT_TRUE(f.codes().empty());
        EXPECT_TRUE(f.prompts.messages().empty());
    }
}

TEST(BtnWriteParaClick, DecimalCommaOnLeavingTheEditThenWrite)
{
    ToolForm f(SimScenario::V2);
    openParameterTab(f);
    f.focus(f.ui.EditRlz);
    f.ui.EditRlz->setText(QStringLiteral("2,5"));
    f.focus(f.ui.EditMaxPz);
    EXPECT_EQ(f.ui.EditRlz->text(), QStringLiteral("2.5"));
    f.ui.BtnWritePara->click();
    EXPECT_EQ(toolBlock(f.tool).Ruecklaufzeit, 2500u);
    EXPECT_EQ(f.ui.EditRlz->text(), QStringLiteral("2.5"));
    expectOneMessage(f.prompts, QStringLiteral("Info"), 81, PromptIcon::Information);
    // Take, write five pages and commit, read again.
    const auto codes = f.codes();
    EXPECT_EQ(count(codes, ParamWrite), 5);
    EXPECT_EQ(count(codes, ParamStore), 1);
    EXPECT_EQ(codes.back(), 0x02);
}

TEST(BtnWriteParaClick, EditRulesReachTheTool)
{
    struct Case {
        const char* name;
        QLineEdit* (*edit)(Ui::THauptDialog&);
        const char* text;
        bool (*inTool)(const ParameterBlock&);
        const char* shownAfter;
    };
    const Case cases[] = {
        {"PWM 300", [](Ui::THauptDialog& u) { return u.EditPwmBatt; }, "300",
         [](const ParameterBlock& b) { return b.TestUBattPWM == 44; }, "44"},
        {"min temp -5", [](Ui::THauptDialog& u) { return u.EditMinTemp; }, "-5",
         [](const ParameterBlock& b) { return b.encode()[ParamOffset::MinTemp] == 251; }, "-5"},
        {"start -1", [](Ui::THauptDialog& u) { return u.EditStartGarantie; }, "-1",
         [](const ParameterBlock& b) { return static_cast<std::uint32_t>(b.StartGarantie) == 0xFFFFFFFFu; }, "4294967295"},
        {"start shown unsigned goes back unchanged", [](Ui::THauptDialog& u) { return u.EditStartGarantie; }, "4294967295",
         [](const ParameterBlock& b) { return static_cast<std::uint32_t>(b.StartGarantie) == 0xFFFFFFFFu; }, "4294967295"},
        {"2.3 s in double precision", [](Ui::THauptDialog& u) { return u.EditRlz; }, "2.3",
         [](const ParameterBlock& b) { return b.Ruecklaufzeit == 2300; }, "2.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolForm f(SimScenario::V2);
        openParameterTab(f);
        c.edit(f.ui)->setText(QLatin1String(c.text));
        f.params.BtnWriteParaClick();
        EXPECT_TRUE(c.inTool(toolBlock(f.tool)));
        EXPECT_EQ(c.edit(f.ui)->text(), QLatin1String(c.shownAfter));
    }
}

TEST(BtnWriteParaClick, UnparsableSecondsGiveADebugBoxAndZero)
{
    ToolForm f(SimScenario::V2);
    openParameterTab(f);
    f.ui.EditRlz->setText(QStringLiteral("abc"));
    f.params.BtnWriteParaClick();
    const auto shown = f.prompts.messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].caption, QStringLiteral("Debug"));
    EXPECT_EQ(shown[0].text, QStringLiteral("EditRlz: abc"));
    EXPECT_EQ(shown[0].icon, PromptIcon::Exclamation);
    EXPECT_EQ(shown[1].text, LangText(LangGerman, 81));
    EXPECT_EQ(toolBlock(f.tool).Ruecklaufzeit, 0u);
}

TEST(BtnWriteParaClick, ClearsFlagsAndMovesOffGridPressures)
{
    ToolForm f(SimScenario::Sensor);
    ParameterBlock b = toolBlock(f.tool);
    ASSERT_EQ(b.Flags, 1);
    b.AbschaltdruckMin = 650;
    b.AbschaltdruckMax = 700;
    b.Kolbendurchmesser = 40;
    setToolBlock(f.tool, b);
    openParameterTab(f);
    EXPECT_EQ(f.ui.EditAbschaltdruckMin->text(), QStringLiteral("82"));
    EXPECT_EQ(f.ui.EditAbschaltdruckMax->text(), QStringLiteral("88"));
    f.ui.EditKolbendurchmesser->setText(QStringLiteral("50"));  // counts only from the next write
    f.params.BtnWriteParaClick();
    const ParameterBlock after = toolBlock(f.tool);
    EXPECT_EQ(after.Flags, 0);
    EXPECT_EQ(after.AbschaltdruckMin, 652);
    EXPECT_EQ(after.AbschaltdruckMax, 700);
    EXPECT_EQ(after.Kolbendurchmesser, 50);
    EXPECT_EQ(after.CntDs0bar, b.CntDs0bar);
    EXPECT_EQ(after.AwKalVal, b.AwKalVal);
}

TEST(BtnWriteParaClick, FailedTransferIsReported)
{
    struct Case { const char* name; std::uint8_t failing; long pages; long stores; };
    const Case cases[] = {
        {"page", ParamWrite, 1, 0},
        {"commit", ParamStore, 5, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolForm f(SimScenario::V2);
        openParameterTab(f);
        const ParameterBlock before = toolBlock(f.tool);
        f.ui.EditRlz->setText(QStringLiteral("9.9"));
        f.tool.injectFailure(SimFailure::FailureReply, c.failing);
        f.params.BtnWriteParaClick();
        expectOneMessage(f.prompts, QStringLiteral("Info"), 82, PromptIcon::Exclamation);
        EXPECT_EQ(count(f.codes(), ParamWrite), c.pages);
        EXPECT_EQ(count(f.codes(), ParamStore), c.stores);
        EXPECT_EQ(toolBlock(f.tool), before);
    }
}

TEST(BtnSetRlzClick, SetsOnlyTheReturnTime)
{
    struct Case { const char* text; std::uint32_t ms; };
    const Case cases[] = {{"", 0}, {"2.3", 2299}, {"3,5", 0}, {"4", 4000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ToolForm f(SimScenario::V2);
        openParameterTab(f);
        const ParameterBlock before = toolBlock(f.tool);
        f.ui.EditTyp->setText(QStringLiteral("typed, not taken"));
        f.ui.EditRlzKunde->setText(QLatin1String(c.text));
        f.ui.BtnSetRlz->click();
        ParameterBlock expected = before;
        expected.Ruecklaufzeit = c.ms;
        EXPECT_EQ(toolBlock(f.tool), expected);
        EXPECT_EQ(f.ui.EditRlzKunde->text(), QString::asprintf("%.1f", c.ms * 0.001));
        EXPECT_EQ(f.ui.EditTyp->text(), parameterText(before.Typ));
        expectOneMessage(f.prompts, QStringLiteral("Info"), 81, PromptIcon::Information);
    }
}

TEST(BtnSetRlzClick, NothingIsWrittenWhenTheFreshReadFails)
{
    ToolForm f(SimScenario::V2);
    openParameterTab(f);
    f.state.parameterBlock = ParameterBlock{};  // e.g. what an earlier tool left behind
    f.ui.EditRlzKunde->setText(QStringLiteral("3"));
    f.tool.injectFailure(SimFailure::FailureReply, ParamRead);
    f.ui.BtnSetRlz->click();
    EXPECT_EQ(count(f.codes(), ParamWrite), 0);
    EXPECT_EQ(count(f.codes(), ParamStore), 0);
    expectOneMessage(f.prompts, QStringLiteral("Info"), 82, PromptIcon::Exclamation);
}

TEST(BtnSetSnClick, ThirtyCharactersAndTheLastTwoBytesKept)
{
    struct Case { QString typed; QString stored; };
    const Case cases[] = {
        {QString(30, QLatin1Char('1')), QString(30, QLatin1Char('1'))},
        {QString(34, QLatin1Char('2')), QString(30, QLatin1Char('2'))},
        {QStringLiteral("SN-Ä1"), QStringLiteral("SN-Ä1")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        ToolForm f(SimScenario::V2);
        ParameterBlock b = toolBlock(f.tool);
        b.MaschNr[30] = 'Y';
        b.MaschNr[31] = 'Z';
        setToolBlock(f.tool, b);
        f.ui.EditMaschNr->setMaxLength(40);  // a longer text can still arrive, e.g. pasted
        f.ui.EditMaschNr->setText(c.typed);
        f.ui.BtnSetSn->click();
        const ParameterBlock after = toolBlock(f.tool);
        ParameterText expected{};
        const std::string bytes = c.stored.toLatin1().toStdString();
        std::copy(bytes.begin(), bytes.end(), expected.begin());
        expected[30] = 'Y';
        expected[31] = 'Z';
        EXPECT_EQ(after.MaschNr, expected);
        EXPECT_EQ(after.Typ, b.Typ);
        expectOneMessage(f.prompts, QStringLiteral("Info"), 81, PromptIcon::Information);
    }
}
