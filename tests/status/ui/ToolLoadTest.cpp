// The real main window over the simulated tool: what the status and parameter read-outs show once a
// tool is plugged in, and the return time set from the status page end to end.
#include "params/ParameterBlock.h"
#include "tests/support/ui/MainWindowHarness.h"
#include "ui_Main.h"  // generated here: AUTOUIC only looks at the sources themselves

#include <QApplication>
#include <gtest/gtest.h>

TEST(ToolLoad, ReadOutsShowTheConnectedTool)
{
    struct Case {
        const char* name;
        SimScenario scenario;
        const char* firmware;
        const char* returnTime;
        bool warrantyDate;
    };
    const Case cases[] = {
        {"layout 2 tool with warranty date", SimScenario::V2, "V1.08", "2.0", true},
        {"new tool without warranty date", SimScenario::New, "V2.14", "2.5", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindowHarness h({.scenario = c.scenario});
        h.tool().setCycleRecording(false);
        h.showConnected();
        Ui::THauptDialog& ui = h.ui();
        const SimInfo& info = h.tool().info();
        const ParameterBlock block = ParameterBlock::decode(h.tool().parameterBlock());

        EXPECT_EQ(ui.LblDatum->text(), h.tool().toolDateTime().toString(QStringLiteral("dd.MM.yyyy  HH:mm:ss")));
        EXPECT_EQ(ui.LblPresszyklen->text(), QString::asprintf("%06d", info.CycleCount));
        EXPECT_EQ(ui.LblUbatt->text(), QString::asprintf("%.1fV", info.BatteryMillivolts * 0.001));
        EXPECT_EQ(ui.LblTemperatur->text(), QString::asprintf("%d", info.ChipTempRaw) + QStringLiteral("°C"));
        EXPECT_EQ(ui.LblFirmwareVersion->text(), QLatin1String(c.firmware));
        EXPECT_EQ(ui.EditMaschNr->text(), parameterText(block.MaschNr));
        EXPECT_EQ(ui.EditRlzKunde->text(), QLatin1String(c.returnTime));

        const SimWarranty& w = h.tool().warranty();
        if (c.warrantyDate) {
            EXPECT_EQ(ui.LblStartGarantie->text(),
                      QString::asprintf("%d.%d.%d  %02d:%02d", w.day, w.month, w.year, w.hour, w.minute));
            EXPECT_EQ(ui.EditGarantieJahr->text(), QString::number(w.year));
        } else {
            EXPECT_EQ(ui.LblStartGarantie->text(), QString::number(block.StartGarantie - info.CycleCount));
            EXPECT_EQ(ui.EditGarantieJahr->text(), QString::number(h.clock.now().date().year()));
        }
    }
}

TEST(ToolLoad, ReturnTimeFromTheStatusPage)
{
    MainWindowHarness h({.scenario = SimScenario::V2});
    h.tool().setCycleRecording(false);
    THauptDialog& w = h.showConnected();
    Ui::THauptDialog& ui = h.ui();
    w.activateWindow();
    ui.EditRlzKunde->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    ui.EditRlzKunde->setText(QStringLiteral("3,5"));
    ui.BtnSetRlz->setFocus(Qt::OtherFocusReason);  // leaving the edit takes the comma away
    QApplication::processEvents();
    EXPECT_EQ(ui.EditRlzKunde->text(), QStringLiteral("3.5"));
    h.prompts.clear();

    ui.BtnSetRlz->click();
    EXPECT_EQ(ParameterBlock::decode(h.tool().parameterBlock()).Ruecklaufzeit, 3500u);
    EXPECT_EQ(ui.EditRlzKunde->text(), QStringLiteral("3.5"));
    ASSERT_EQ(h.prompts.messages().size(), 1u);
    EXPECT_EQ(h.prompts.messages()[0].text, QStringLiteral("Parameter erfolgreich übertragen"));
}
