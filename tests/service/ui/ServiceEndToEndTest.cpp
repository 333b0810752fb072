// The service page's buttons on the real main window over the simulated tool: answered Yes, the
// tool's record changes and the status display shows it on the next tick; answered No, nothing
// changes. Also the diaries through page show, write button and the full load.
#include "tests/support/ui/MainWindowHarness.h"

#include "texts/Texte.h"
#include "service/ui/Datetimedialog.h"
#include "ui_Datetimedialog.h"
#include "ui_Main.h"

#include <QPlainTextEdit>
#include <functional>
#include <gtest/gtest.h>

namespace {

// What a service button can change on the tool, compared before and after a click.
struct Records {
    SimWarranty warranty;
    std::int32_t cycles;
    std::uint16_t service;
    std::int32_t motorMs;
    std::size_t files;
    QDate date;
    QTime time;

    static Records of(SimulatedTool& t)
    {
        return {t.warranty(), t.info().CycleCount, t.info().ServiceCount, t.info().MotorTimeMs, t.files().size(),
                t.toolDateTime().date(), t.toolDateTime().time()};
    }
};

// Answers the clock dialog: types a date and time and presses "Übernehmen" (the question that
// follows takes the next scripted answer); closes with Cancel where the dialog stayed open.
std::function<int(QDialog&)> clockDialogAnswer()
{
    return [](QDialog& d) {
        auto& dlg = dynamic_cast<TDateTimeDlg&>(d);
        auto& ui = dlg.ui();
        ui.EditTag->setText("05");
        ui.EditMonat->setText("11");
        ui.EditJahr->setText("2025");
        ui.EditStunde->setText("14");
        ui.EditMinute->setText("30");
        ui.BtnOk->click();
        if (dlg.result() == 0)
            ui.BtnAbbruch->click();
        return dlg.result();
    };
}

struct Case {
    const char* name;
    std::function<QPushButton*(MainWindowHarness&, bool yes)> act;  // prepare edits and script, return the button
    std::function<bool(const Records& before, SimulatedTool&)> changed;
    std::function<void(MainWindowHarness&)> shown;  // what the status display shows after Yes and one tick
};

void withAnswer(MainWindowHarness& h, bool yes)
{
    yes ? h.prompts.answerYes() : h.prompts.answerNo();
}

const Case cases[] = {
    {"data store erased",
     [](MainWindowHarness& h, bool yes) { withAnswer(h, yes); return h.ui().BtnFormatSD; },
     [](const Records&, SimulatedTool& t) { return t.files().empty(); },
     [](MainWindowHarness&) {}},
    {"warranty cleared",
     [](MainWindowHarness& h, bool yes) { withAnswer(h, yes); return h.ui().BtnDeleteGarantie; },
     [](const Records&, SimulatedTool& t) { return t.warranty() == SimWarranty{}; },
     [](MainWindowHarness& h) {
         // No warranty date: the cycles still to go before it starts.
         const int expected = 50 - h.tool().info().CycleCount;
         EXPECT_EQ(h.ui().LblStartGarantie->text(), QString::number(expected));
     }},
    {"warranty set to 31.02.2010 12:00",
     [](MainWindowHarness& h, bool yes) {
         auto& ui = h.ui();
         ui.EditGarantieStunde->setText("12");
         ui.EditGarantieMinute->setText("00");
         ui.EditGarantieTag->setText("31");
         ui.EditGarantieMonat->setText("02");
         ui.EditGarantieJahr->setText("2010");
         withAnswer(h, yes);
         return ui.BtnSetGarantie;
     },
     [](const Records&, SimulatedTool& t) { return t.warranty() == SimWarranty{31, 2, 2010, 12, 0}; },
     [](MainWindowHarness& h) {
         EXPECT_EQ(h.ui().LblStartGarantie->text(), "31.2.2010  12:00");
         EXPECT_EQ(h.ui().EditGarantieTag->text(), "31");
     }},
    {"service counter set",
     [](MainWindowHarness& h, bool yes) {
         h.ui().EditServiceZaehler->setText("123");
         withAnswer(h, yes);
         return h.ui().BtnResetService;
     },
     [](const Records&, SimulatedTool& t) { return t.info().ServiceCount == 123; },
     [](MainWindowHarness& h) { EXPECT_EQ(h.ui().LblServiceZaehler->text(), "000123"); }},
    {"operating time cleared",
     [](MainWindowHarness& h, bool yes) { withAnswer(h, yes); return h.ui().BtnResetBsMotor; },
     [](const Records&, SimulatedTool& t) { return t.info().MotorTimeMs == 0; },
     [](MainWindowHarness& h) { EXPECT_EQ(h.ui().LblBsMotor->text(), "0h 00m 00s"); }},
    {"press-cycle counter set",
     [](MainWindowHarness& h, bool yes) {
         h.ui().EditPresszyklen->setText("4711");
         withAnswer(h, yes);
         return h.ui().BtnSetPz;
     },
     [](const Records&, SimulatedTool& t) { return t.info().CycleCount == 4711; },
     [](MainWindowHarness& h) { EXPECT_EQ(h.ui().LblPresszyklen->text(), "004711"); }},
    {"tool clock set from the manufacturer's button",
     [](MainWindowHarness& h, bool yes) {
         h.prompts.answerDialog(clockDialogAnswer());
         withAnswer(h, yes);
         return h.ui().BtnSetDateTimeHersteller;
     },
     [](const Records&, SimulatedTool& t) { return t.toolDateTime().date() == QDate(2025, 11, 5); },
     [](MainWindowHarness& h) {
         EXPECT_TRUE(h.ui().LblDatum->text().startsWith("05.11.2025  14:30:")) << h.ui().LblDatum->text().toStdString();
         EXPECT_EQ(h.ui().LblDatumHersteller->text(), h.ui().LblDatum->text());
     }},
    {"tool clock set from the customer's button",
     [](MainWindowHarness& h, bool yes) {
         h.prompts.answerDialog(clockDialogAnswer());
         withAnswer(h, yes);
         return h.ui().BtnSetDateTimeKunde;
     },
     [](const Records&, SimulatedTool& t) { return t.toolDateTime().date() == QDate(2025, 11, 5); },
     [](MainWindowHarness& h) { EXPECT_TRUE(h.ui().LblDatum->text().startsWith("05.11.2025  14:30:")); }},
};

}  // namespace

TEST(ServiceEndToEnd, YesChangesTheToolsRecordAndTheDisplayFollowsNoChangesNothing)
{
    for (const auto& c : cases) {
        for (const bool yes : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (yes ? " / Yes" : " / No"));
            MainWindowHarness h;
            h.tool().setCycleRecording(false);
            h.showConnected();
            ASSERT_TRUE(h.ui().BtnSetPz->isEnabled());
            const Records before = Records::of(h.tool());
            ASSERT_FALSE(c.changed(before, h.tool())) << "the scenario already holds the new value";

            QPushButton* button = c.act(h, yes);
            button->click();
            h.tick();
            EXPECT_TRUE(h.prompts.scriptDone());
            if (yes) {
                EXPECT_TRUE(c.changed(before, h.tool()));
                c.shown(h);
            } else {
                const Records after = Records::of(h.tool());
                EXPECT_EQ(after.warranty, before.warranty);
                EXPECT_EQ(after.cycles, before.cycles);
                EXPECT_EQ(after.service, before.service);
                EXPECT_EQ(after.motorMs, before.motorMs);
                EXPECT_EQ(after.files, before.files);
                EXPECT_EQ(after.date, before.date);
            }
        }
    }
}

TEST(ServiceEndToEnd, CustomerClockNeedsARunningWarranty)
{
    MainWindowHarness h({.scenario = SimScenario::New});
    h.showConnected();
    ASSERT_EQ(h.tool().warranty(), SimWarranty{});
    h.ui().BtnSetDateTimeKunde->click();
    ASSERT_EQ(h.prompts.messages().size(), 1u);
    EXPECT_EQ(h.prompts.messages()[0].caption, "Info");
    EXPECT_EQ(h.prompts.messages()[0].text, LangText(LangGerman, 79));
    for (const auto& s : h.prompts.shown())
        EXPECT_NE(s.kind, ScriptedPrompts::Kind::Dialog);
}

TEST(ServiceEndToEnd, DiariesComeWithTheToolAndGoBackWithTheButton)
{
    MainWindowHarness h;
    h.tool().setCycleRecording(false);
    h.tool().files()["KTB"] = {'K', 'u', 'n', 'd', 'e', '\r', '\n', 'G', 'r', 0xFC, 'n'};
    h.tool().files()["STB"] = {'S', 'e', 'r', 'v', 'i', 'c', 'e'};
    h.showConnected();
    EXPECT_EQ(h.ui().Kundentagebuch->toPlainText(), QStringLiteral("Kunde\nGrün"));
    EXPECT_EQ(h.ui().Servicetagebuch->toPlainText(), "Service");

    h.ui().Servicetagebuch->setPlainText(QStringLiteral("Dichtung getauscht\nÖl gewechselt"));
    h.ui().BtnWriteSTB->click();
    const std::string expected = "Dichtung getauscht\r\n\xD6l gewechselt";
    ASSERT_NE(h.tool().file("STB"), nullptr);
    EXPECT_EQ(std::string(h.tool().file("STB")->begin(), h.tool().file("STB")->end()), expected);

    // Showing the page reads the tool's diary back over whatever the memo held.
    h.ui().Servicetagebuch->setPlainText("typed, not written");
    h.ui().PageControl->setCurrentWidget(h.ui().TS_ServiceTagebuch);
    EXPECT_EQ(h.ui().Servicetagebuch->toPlainText(), QStringLiteral("Dichtung getauscht\nÖl gewechselt"));

    // An empty memo sends nothing: the tool keeps its diary and the next read brings it back.
    h.ui().Kundentagebuch->clear();
    h.ui().BtnWriteKTB->click();
    h.ui().PageControl->setCurrentWidget(h.ui().TS_KundenTagebuch);
    EXPECT_EQ(h.ui().Kundentagebuch->toPlainText(), QStringLiteral("Kunde\nGrün"));
}

TEST(ServiceEndToEnd, ABadChunkCountEndsTheReadWithAnEmptyMemo)
{
    MainWindowHarness h;
    h.tool().setCycleRecording(false);
    h.tool().files()["KTB"] = std::vector<std::uint8_t>(70, 'x');
    h.showConnected();
    ASSERT_EQ(h.ui().Kundentagebuch->toPlainText(), QString(70, 'x'));
    h.tool().injectFailure(SimFailure::BadChunkCount, 0x31, SimForever);
    h.ui().PageControl->setCurrentWidget(h.ui().TS_KundenTagebuch);
    EXPECT_TRUE(h.ui().Kundentagebuch->toPlainText().isEmpty());
    EXPECT_TRUE(h.window().link().Connected);
}
