// The service page's record setters on the real form: question, command, input checks, the
// warranty refresh and the monitor's timer held around the counter setters.
#include "tests/service/ui/ServiceFormFixture.h"

#include "texts/Texte.h"
#include "ui_Main.h"  // generated for this program from the main window form

#include <QDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QtTest/QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {
constexpr std::uint8_t GetInfo = 0x01, GetWarranty = 0x57;

// The requests a handler sent, without the warranty refresh's reads.
std::vector<Payload> commands(const ServiceForm& f)
{
    std::vector<Payload> out;
    for (const auto& w : f.hid.written)
        if (w[0] != GetInfo && w[0] != GetWarranty)
            out.push_back(w);
    return out;
}

void fillWarrantyEdits(Ui::THauptDialog& ui, const char* h, const char* mi, const char* d, const char* mo, const char* y)
{
    ui.EditGarantieStunde->setText(h);
    ui.EditGarantieMinute->setText(mi);
    ui.EditGarantieTag->setText(d);
    ui.EditGarantieMonat->setText(mo);
    ui.EditGarantieJahr->setText(y);
}
}  // namespace

TEST(ServicePage, QuestionThenOneCommandOnYesNothingOnNo)
{
    struct Case {
        const char* name;
        std::function<QPushButton*(ServiceForm&)> prepare;  // fills the edits, returns the button
        int question;
        Payload command;
        bool holdsTimer;
    };
    const Case cases[] = {
        {"format store", [](ServiceForm& f) { return f.ui.BtnFormatSD; }, 73, payload({0x11}), false},
        {"clear warranty", [](ServiceForm& f) { return f.ui.BtnDeleteGarantie; }, 74, payload({0x58, 0}), false},
        {"set warranty 31.02.2010 12:00",
         [](ServiceForm& f) { fillWarrantyEdits(f.ui, "12", "00", "31", "02", "2010"); return f.ui.BtnSetGarantie; },
         44, payload({0x59, 6, 31, 2, 0x07, 0xDA, 12, 0}), false},
        {"set warranty in 2026, a year of today's calendar",
         [](ServiceForm& f) { fillWarrantyEdits(f.ui, "08", "15", "10", "12", "2026"); return f.ui.BtnSetGarantie; },
         44, payload({0x59, 6, 10, 12, 0x07, 0xEA, 8, 15}), false},
        {"service counter from the edit",
         [](ServiceForm& f) { f.ui.EditServiceZaehler->setText("150"); return f.ui.BtnResetService; },
         75, payload({0x54, 4, 0, 0, 0, 150}), true},
        {"service counter: 'Service due' in the edit sends the interval",
         [](ServiceForm& f) {
             f.state.parameterBlock.ServiceIntervall = 50000;
             f.ui.EditServiceZaehler->setText(QStringLiteral("Service fällig"));
             return f.ui.BtnResetService;
         },
         75, payload({0x54, 4, 0, 0, 0xC3, 0x50}), true},
        {"operating time always 0", [](ServiceForm& f) { return f.ui.BtnResetBsMotor; }, 76, payload({0x56, 4, 0, 0, 0, 0}), false},
        {"cycle counter from the edit",
         [](ServiceForm& f) { f.ui.EditPresszyklen->setText("100000"); return f.ui.BtnSetPz; },
         77, payload({0x55, 4, 0x00, 0x01, 0x86, 0xA0}), true},
        {"cycle counter: empty edit sends 0",
         [](ServiceForm& f) { f.ui.EditPresszyklen->setText(""); return f.ui.BtnSetPz; },
         77, payload({0x55, 4, 0, 0, 0, 0}), true},
    };
    for (const auto& c : cases) {
        for (const bool yes : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (yes ? " / Yes" : " / No"));
            ServiceForm f;
            f.state.LanguageIndex = LangEnglish;
            QPushButton* button = c.prepare(f);
            yes ? f.script().answerYes() : f.script().answerNo();
            button->click();

            ASSERT_EQ(f.script().shown().size(), 1u);
            const auto& q = f.script().shown()[0];
            EXPECT_EQ(q.kind, ScriptedPrompts::Kind::Question);
            EXPECT_EQ(q.caption, "Service");
            EXPECT_EQ(q.text, LangText(LangEnglish, c.question));
            EXPECT_EQ(q.icon, PromptIcon::Question);
            const auto sent = commands(f);
            if (yes) {
                ASSERT_EQ(sent.size(), 1u);
                EXPECT_EQ(sent[0], c.command);
            } else {
                EXPECT_TRUE(sent.empty());
            }
            ASSERT_EQ(f.prompts.timerActiveAtQuestion.size(), 1u);
            EXPECT_EQ(f.prompts.timerActiveAtQuestion[0], !c.holdsTimer);
            EXPECT_TRUE(f.searchDevice->isActive());
        }
    }
}

TEST(ServicePage, WarrantyRefreshFollowsEveryWarrantyClick)
{
    struct Case {
        const char* name;
        std::function<void(ServiceForm&)> act;
    };
    const Case cases[] = {
        {"clear, Yes", [](ServiceForm& f) { f.script().answerYes(); f.ui.BtnDeleteGarantie->click(); }},
        {"clear, No", [](ServiceForm& f) { f.script().answerNo(); f.ui.BtnDeleteGarantie->click(); }},
        {"set, Yes", [](ServiceForm& f) { fillWarrantyEdits(f.ui, "12", "00", "31", "02", "2010"); f.script().answerYes(); f.ui.BtnSetGarantie->click(); }},
        {"set, No", [](ServiceForm& f) { fillWarrantyEdits(f.ui, "12", "00", "31", "02", "2010"); f.script().answerNo(); f.ui.BtnSetGarantie->click(); }},
        {"set, hour 24", [](ServiceForm& f) { fillWarrantyEdits(f.ui, "24", "00", "31", "02", "2010"); f.ui.BtnSetGarantie->click(); }},
        {"set, empty minute", [](ServiceForm& f) { fillWarrantyEdits(f.ui, "12", "", "31", "02", "2010"); f.ui.BtnSetGarantie->click(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceForm f;
        c.act(f);
        ASSERT_FALSE(f.hid.written.empty());
        EXPECT_EQ(f.hid.written.back()[0], GetWarranty);
    }
}

TEST(ServicePage, InvalidWarrantyInputIsRefusedSilently)
{
    const char* rows[][5] = {
        {"24", "00", "31", "02", "2010"},
        {"12", "", "31", "02", "2010"},
        {"12", "60", "31", "02", "2010"},
        {"12", "00", "32", "02", "2010"},
        {"12", "00", "31", "13", "2010"},
        {"12", "00", "31", "02", "1999"},
        {"12", "00", "31", "02", "2100"},
        {"ab", "00", "31", "02", "2010"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(QStringLiteral("%1:%2 %3.%4.%5").arg(r[0], r[1], r[2], r[3], r[4]).toStdString());
        ServiceForm f;
        fillWarrantyEdits(f.ui, r[0], r[1], r[2], r[3], r[4]);
        f.ui.BtnSetGarantie->click();
        EXPECT_TRUE(f.script().shown().empty());
        EXPECT_TRUE(f.sent(0x59).empty());
    }
}

TEST(ServicePage, CustomerClockOnlyOnceTheWarrantyRuns)
{
    struct Case {
        const char* name;
        WarrantyStartValue warranty;
        bool kunde;        // customer's button, else the manufacturer's
        bool dialogOpens;
    };
    const Case cases[] = {
        {"customer, no warranty date", {0, 0, 0, 0, 0}, true, false},
        {"customer, warranty read failed", {}, true, true},
        {"customer, warranty running", {1, 2, 2010, 14, 30}, true, true},
        {"manufacturer, no warranty date", {0, 0, 0, 0, 0}, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceForm f;
        f.state.WarrantyStart = c.warranty;
        (c.kunde ? f.ui.BtnSetDateTimeKunde : f.ui.BtnSetDateTimeHersteller)->click();
        ASSERT_EQ(f.script().shown().size(), 1u);
        const auto& s = f.script().shown()[0];
        if (c.dialogOpens) {
            EXPECT_EQ(s.kind, ScriptedPrompts::Kind::Dialog);
            EXPECT_EQ(s.caption, "TDateTimeDlg");
        } else {
            EXPECT_EQ(s.kind, ScriptedPrompts::Kind::Message);
            EXPECT_EQ(s.caption, "Info");
            EXPECT_EQ(s.text, LangText(LangGerman, 79));
            EXPECT_EQ(s.icon, PromptIcon::Information);
        }
        EXPECT_TRUE(f.hid.written.empty());
    }
}

TEST(ServicePage, ServiceCounterEditIsCappedWhenItLosesTheFocus)
{
    struct Case {
        const char* text;
        std::uint32_t interval;
        const char* shown;
    };
    const Case cases[] = {
        {"250", 200, "200"},
        {"250", 500, "250"},
        {"abc", 200, "200"},
        {"abc", 150000, "100000"},
        {"-1", 300, "300"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ServiceForm f;
        f.state.parameterBlock.ServiceIntervall = c.interval;
        f.ui.EditServiceZaehler->setText(c.text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(f.ui.EditServiceZaehler, &out);
        EXPECT_EQ(f.ui.EditServiceZaehler->text(), c.shown);
    }
}

TEST(ServicePage, EditLimitsBindTypingNotTheToolsValues)
{
    ServiceForm f;
    // What the status refresh and the warranty refresh put in must arrive whole.
    f.ui.EditServiceZaehler->setText("000042");
    EXPECT_EQ(f.ui.EditServiceZaehler->text(), "000042");
    f.ui.EditPresszyklen->setText("1234567");
    EXPECT_EQ(f.ui.EditPresszyklen->text(), "1234567");
    f.ui.EditGarantieTag->setText("255");
    EXPECT_EQ(f.ui.EditGarantieTag->text(), "255");

    struct Case {
        QLineEdit* edit;
        const char* typed;
        const char* kept;
    };
    const Case cases[] = {
        {f.ui.EditServiceZaehler, "1234567", "12345"},
        {f.ui.EditPresszyklen, "12345678", "123456"},
        {f.ui.EditGarantieStunde, "123", "12"},
        {f.ui.EditGarantieJahr, "20266", "2026"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        c.edit->clear();
        QTest::keyClicks(c.edit, c.typed);
        EXPECT_EQ(c.edit->text(), c.kept);
    }
}
