// The connection monitor of the real main window over the simulated tool: searching without a
// tool, the full load when it appears, the buttons, the calibration-button rule, live values.
#include "tests/support/ui/MainWindowHarness.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "ui_Main.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

std::vector<QWidget*> enabledButtons(THauptDialog& w)
{
    std::vector<QWidget*> out;
    for (QWidget* b : w.serviceButtons())
        if (b->isEnabled())
            out.push_back(b);
    return out;
}

// The colour in the middle of the lamp as the status bar paints it.
QColor lampColour(THauptDialog& w)
{
    StatusPanelBar& bar = *w.ui().StatusBar;
    QImage image(bar.size(), QImage::Format_ARGB32);
    bar.render(&image);
    const QRect lamp = bar.panelRect(THauptDialog::PanelLamp);
    return image.pixelColor(lamp.left() + 1 + 8, lamp.top() + 1 + 8);
}

QColor ledCentre(THauptDialog& w, int index)
{
    return w.ledImage(index).toImage().pixelColor(8, 8);
}

std::vector<std::uint8_t> codesSince(SimulatedTool& tool, std::size_t from)
{
    const auto all = tool.receivedCodes();
    return {all.begin() + static_cast<std::ptrdiff_t>(std::min(from, all.size())), all.end()};
}

// Whether want appears in order (not necessarily adjacent) in have.
bool inOrder(const std::vector<std::uint8_t>& have, const std::vector<std::uint8_t>& want)
{
    std::size_t i = 0;
    for (std::uint8_t c : have)
        if (i < want.size() && c == want[i])
            ++i;
    return i == want.size();
}

}  // namespace

TEST(ConnectionMonitor, WithoutToolEveryTickMakesOneOpenAttemptAndShowsNothing)
{
    MainWindowHarness h({.toolPlugged = false});
    for (int i = 0; i < 20; ++i)  // keyboards, mice, headsets: the machine's other HID devices
        h.sim.addForeignDevice(0x046D, static_cast<std::uint16_t>(0xC000 + i));
    THauptDialog& w = h.show();
    h.ui().LblMaschNr->setText(QStringLiteral("stale"));
    h.ui().EditRlzKunde->setText(QStringLiteral("2.5"));

    for (int tick = 1; tick <= 3; ++tick) {
        const int before = h.hid.searches;
        h.tick();
        EXPECT_EQ(h.hid.searches - before, 1) << "tick " << tick;
    }
    EXPECT_EQ(h.hid.opens, 0) << "no other HID device is opened";
    EXPECT_FALSE(w.link().Connected);
    EXPECT_EQ(w.lampIndex(), 3);
    EXPECT_EQ(lampColour(w), ledCentre(w, 3));
    EXPECT_TRUE(enabledButtons(w).empty());
    EXPECT_EQ(h.ui().StatusBar->panelText(THauptDialog::PanelText), QString());
    EXPECT_EQ(h.ui().LblMaschNr->text(), QString());
    EXPECT_EQ(h.ui().EditRlzKunde->text(), QString());
    EXPECT_TRUE(h.prompts.shown().empty());
}

TEST(ConnectionMonitor, PluggedInToolIsLoadedOnTheFirstTickAndButtonsFollowOnTheNext)
{
    MainWindowHarness h({.toolPlugged = false});
    THauptDialog& w = h.show();
    h.tick();
    h.tool().plugIn();
    h.tool().clearReceived();

    h.tick();
    EXPECT_TRUE(w.link().Connected);
    EXPECT_TRUE(enabledButtons(w).empty()) << "buttons stay disabled on the tick that found the tool";
    const auto load = h.tool().receivedCodes();
    // Status, parameter block with warranty and versions, both diaries, the status page with
    // its latest curve, the day's cycle list, and the warranty edits (info, then warranty).
    EXPECT_TRUE(inOrder(load, {0x01, 0x60, 0x57, 0x03, 0x02, 0x34, 0x34, 0x60, 0x01, 0x33, 0x37, 0x01, 0x57}))
        << "load sequence out of order: " << ::testing::PrintToString(std::vector<int>(load.begin(), load.end()));
    EXPECT_EQ(load.front(), 0x01);
    EXPECT_EQ(load.back(), 0x57);
    EXPECT_EQ(lampColour(w), ledCentre(w, 2));
    EXPECT_EQ(h.ui().StatusBar->panelText(THauptDialog::PanelText), QStringLiteral("0815-4711"));

    h.tick();
    EXPECT_EQ(enabledButtons(w).size(), 15u);
    EXPECT_EQ(h.ui().LblMaschTyp->text(), QStringLiteral("AKP 120"));
    EXPECT_EQ(h.ui().LblMaschNr->text(), QStringLiteral("0815-4711"));
    EXPECT_EQ(h.ui().LblVarianteTxt->text(), QStringLiteral("Standard 120kN"));
}

TEST(ConnectionMonitor, LostToolIsSearchedAgainAndItsReadoutsAreEmptied)
{
    MainWindowHarness h;
    THauptDialog& w = h.showConnected();
    ASSERT_FALSE(h.ui().LblDatum->text().isEmpty());

    h.tool().unplug();
    h.tick();  // the first exchange fails at the write and clears Connected
    EXPECT_FALSE(w.link().Connected);
    h.tick();
    EXPECT_FALSE(w.link().Connected);
    EXPECT_TRUE(enabledButtons(w).empty());
    EXPECT_EQ(h.ui().LblDatum->text(), QString());
    EXPECT_EQ(w.lampIndex(), 3);
    EXPECT_EQ(h.ui().StatusBar->panelText(THauptDialog::PanelText), QString());

    h.tool().plugIn();
    h.tick(2);
    EXPECT_TRUE(w.link().Connected);
    EXPECT_EQ(enabledButtons(w).size(), 15u);
}

struct KalRunCase {
    const char* name;
    SimScenario scenario;
    std::uint16_t millivolts;
    std::uint16_t chipTempRaw;
    bool enabled;
};

class KalRunRule : public ::testing::TestWithParam<KalRunCase> {};

TEST_P(KalRunRule, FollowsBatteryAndTemperatureWindowOrLayout3)
{
    const KalRunCase& c = GetParam();
    MainWindowHarness h({.scenario = c.scenario});
    h.tool().info().BatteryMillivolts = c.millivolts;
    h.tool().info().ChipTempRaw = c.chipTempRaw;
    THauptDialog& w = h.showConnected();
    EXPECT_EQ(w.ui().BtnKalRun->isEnabled(), c.enabled);
    EXPECT_TRUE(w.ui().BtnFormatSD->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Readings, KalRunRule,
    ::testing::Values(KalRunCase{"lowest_voltage", SimScenario::V2, 15800, 25, true},
                      KalRunCase{"below_window", SimScenario::V2, 15799, 25, false},
                      KalRunCase{"highest_voltage", SimScenario::V2, 16999, 25, true},
                      KalRunCase{"at_17V", SimScenario::V2, 17000, 25, false},
                      KalRunCase{"at_10C", SimScenario::V2, 16000, 10, false},
                      KalRunCase{"at_11C", SimScenario::V2, 16000, 11, true},
                      KalRunCase{"at_49C", SimScenario::V2, 16000, 49, true},
                      KalRunCase{"at_50C", SimScenario::V2, 16000, 50, false},
                      KalRunCase{"negative_temperature", SimScenario::V2, 16000, 502, false},
                      KalRunCase{"layout3_empty_battery", SimScenario::Demo, 12000, 25, true},
                      KalRunCase{"layout3_hot", SimScenario::Demo, 16000, 70, true}),
    [](const ::testing::TestParamInfo<KalRunCase>& info) { return std::string(info.param.name); });

TEST(ConnectionMonitor, StatusPageRedrawsOnlyWhenTheCycleCounterChanges)
{
    MainWindowHarness h;
    h.show();
    h.tick();  // found and loaded
    auto mark = h.tool().receivedCodes().size();
    h.tick();  // first look at the counter: differs from 0, so the latest curve is drawn
    auto codes = codesSince(h.tool(), mark);
    EXPECT_TRUE(inOrder(codes, {0x01, 0x01, 0x60, 0x01, 0x33})) << "first tick after start redraws";

    mark = h.tool().receivedCodes().size();
    h.tick();
    codes = codesSince(h.tool(), mark);
    EXPECT_EQ(codes, (std::vector<std::uint8_t>{0x01, 0x01})) << "unchanged counter: no redraw";
    EXPECT_EQ(LastCycleCount, h.tool().info().CycleCount);

    h.tool().recordCycle();
    mark = h.tool().receivedCodes().size();
    h.tick();
    codes = codesSince(h.tool(), mark);
    EXPECT_TRUE(inOrder(codes, {0x01, 0x01, 0x60, 0x01, 0x33})) << "new cycle: redraw";
    EXPECT_EQ(LastCycleCount, h.tool().info().CycleCount);
}

TEST(ConnectionMonitor, OtherPagesLeaveTheCounterAlone)
{
    MainWindowHarness h;
    h.showConnected();
    h.ui().PageControl->setCurrentWidget(h.ui().TS_Service);
    const auto seen = LastCycleCount;
    h.tool().recordCycle();
    const auto mark = h.tool().receivedCodes().size();
    h.tick();
    EXPECT_EQ(codesSince(h.tool(), mark), (std::vector<std::uint8_t>{0x01}));
    EXPECT_EQ(LastCycleCount, seen);
}

TEST(ConnectionMonitor, ProductionPageShowsTheRawEmcValues)
{
    MainWindowHarness h({.production = true});
    h.showConnected();
    h.ui().PageControl->setCurrentWidget(h.ui().TS_Fertigung);
    h.tool().info().WorkValue = -70000;
    h.tool().info().HallPeriod = 201;
    h.tick();
    EXPECT_EQ(h.ui().LblEmvAw->text(), QStringLiteral("-70000"));
    EXPECT_EQ(h.ui().LblEmvDz->text(), QStringLiteral("201"));

    // A failed read leaves the values as they were.
    h.tool().info().HallPeriod = 5;
    h.tool().injectFailure(SimFailure::FailureReply, 0x01, 2);
    h.tick();
    EXPECT_EQ(h.ui().LblEmvDz->text(), QStringLiteral("201"));
}

TEST(ConnectionMonitor, DiagnosticLinesReachTheDebugMemoOnlyWhileItsPageIsShown)
{
    // The search for a tool writes diagnostic lines on every tick without one.
    MainWindowHarness h({.toolPlugged = false, .debug = true});
    h.show();
    h.tick();
    // The memo's first line, the app folder, is there from the start; transport lines are not.
    EXPECT_FALSE(h.ui().DebugMemo->toPlainText().contains(QStringLiteral("Suche nach")));

    h.ui().PageControl->setCurrentWidget(h.ui().TS_Debug);
    h.tick();
    EXPECT_TRUE(h.ui().DebugMemo->toPlainText().contains(QStringLiteral("\nSuche nach angeschlossenen USB-Ger")));

    h.ui().PageControl->setCurrentWidget(h.ui().TS_MaschinenStatus);
    h.ui().DebugMemo->clear();
    h.tick();
    EXPECT_TRUE(h.ui().DebugMemo->toPlainText().isEmpty());
}

TEST(ConnectionMonitor, ClosingTheWindowReleasesTheToolAndStopsSearching)
{
    MainWindowHarness h;
    THauptDialog& w = h.show(true);
    h.tick();
    ASSERT_EQ(h.sim.openHandles(), 1);
    w.close();
    EXPECT_EQ(h.sim.openHandles(), 0);
    EXPECT_FALSE(w.SearchDevice().isActive());
}

TEST(ConnectionMonitor, TickWhileABoxOfATickIsOpenIsSkipped)
{
    // A block of unknown layout makes every parameter read show a message box. A real box runs an
    // event loop in which the timer keeps firing; with new cycles arriving, each such tick would
    // redraw, read the block and open one more box on top of the last.
    MainWindowHarness h;
    SimParameterBytes block = h.tool().parameterBlock();
    block[0] = 9;
    h.tool().setParameterBlock(block, 3);
    THauptDialog& w = h.show();
    int open = 0, deepest = 0, boxes = 0;
    h.hooked.whileOpen = [&] {
        ++boxes;
        deepest = std::max(deepest, open);
        if (boxes > 6)
            return;
        ++open;
        for (int i = 0; i < 2; ++i) {
            h.tool().recordCycle();
            w.SearchDeviceTimer();
        }
        --open;
    };

    h.tick();
    ASSERT_GT(boxes, 0);
    EXPECT_EQ(h.prompts.messages().front().text, LangText(LangGerman, 80));
    EXPECT_EQ(deepest, 0) << "a box was opened by a tick running inside another tick's box";
    EXPECT_TRUE(enabledButtons(w).empty());

    h.hooked.whileOpen = {};
    h.tick();
    EXPECT_EQ(enabledButtons(w).size(), 15u);
}
