// The status read-outs, the warranty edits and the status page's show handler on the real form.
#include "tests/status/ui/ToolFormFixture.h"

#include "texts/Texte.h"
#include "ui_Main.h"  // generated here: AUTOUIC only looks at the sources themselves

#include <gtest/gtest.h>

namespace {
constexpr std::uint8_t GetInfo = 0x01;
constexpr std::uint8_t GetWarranty = 0x57;
}  // namespace

TEST(RefreshToolStatus, FillsEveryReadOut)
{
    ToolForm f;
    f.tool.setToolDateTime(QDateTime(QDate(2009, 11, 5), QTime(14, 3, 9)));
    SimInfo& i = f.tool.info();
    i.CycleCount = 20;
    i.ServiceCount = 42;
    i.MotorTimeMs = 3723000;
    i.BatteryMillivolts = 16800;
    i.ChipTempRaw = 251;
    i.ErrorFlags = 0x18;
    f.state.WarrantyStart = {0, 0, 0, 0, 0};
    f.state.parameterBlock.StartGarantie = 50;

    f.status.RefreshToolStatus();

    EXPECT_EQ(f.codes(), std::vector<std::uint8_t>{GetInfo});
    EXPECT_EQ(f.ui.LblDatum->text(), QStringLiteral("05.11.2009  14:03:09"));
    EXPECT_EQ(f.ui.LblDatumHersteller->text(), f.ui.LblDatum->text());
    EXPECT_EQ(f.ui.LblPresszyklen->text(), QStringLiteral("000020"));
    EXPECT_EQ(f.ui.EditPresszyklen->text(), QStringLiteral("000020"));
    EXPECT_EQ(f.ui.LblServiceZaehler->text(), QStringLiteral("000042"));
    EXPECT_EQ(f.ui.EditServiceZaehler->text(), QStringLiteral("000042"));
    EXPECT_EQ(f.ui.LblBsMotor->text(), QStringLiteral("1h 02m 03s"));
    EXPECT_EQ(f.ui.LblBsMotorHersteller->text(), QStringLiteral("1h 02m 03s"));
    EXPECT_EQ(f.ui.LblUbatt->text(), QStringLiteral("16.8V"));
    EXPECT_EQ(f.ui.LblFehlermeldung->text(), QStringLiteral("Hall-Sensor"));
    EXPECT_EQ(f.ui.LblTemperatur->text(), QStringLiteral("-261°C"));
    EXPECT_EQ(f.ui.LblStartGarantie->text(), QStringLiteral("30"));
    EXPECT_EQ(f.state.BatteryVoltage, 16.8f);
    EXPECT_EQ(f.state.ChipTemperature, -261.0f);
}

TEST(RefreshToolStatus, ServiceDueInLabelAndEdit)
{
    ToolForm f;
    f.tool.info().ServiceCount = 0;
    f.status.RefreshToolStatus();
    EXPECT_EQ(f.ui.LblServiceZaehler->text(), QStringLiteral("Service fällig"));
    EXPECT_EQ(f.ui.EditServiceZaehler->text(), QStringLiteral("Service fällig"));

    f.state.LanguageIndex = LangEnglish;
    f.status.RefreshToolStatus();
    EXPECT_EQ(f.ui.LblServiceZaehler->text(), LangText(LangEnglish, 78));
}

TEST(RefreshToolStatus, LeavesTheCounterEditBeingTypedIn)
{
    struct Case { const char* name; QLineEdit* (*edit)(Ui::THauptDialog&); QLabel* (*label)(Ui::THauptDialog&); };
    const Case cases[] = {
        {"cycle counter", [](Ui::THauptDialog& u) { return u.EditPresszyklen; },
         [](Ui::THauptDialog& u) { return u.LblPresszyklen; }},
        {"service counter", [](Ui::THauptDialog& u) { return u.EditServiceZaehler; },
         [](Ui::THauptDialog& u) { return u.LblServiceZaehler; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolForm f;
        f.tool.info().CycleCount = 7;
        f.tool.info().ServiceCount = 8;
        QLineEdit* edit = c.edit(f.ui);
        f.ui.PageControl->setCurrentWidget(f.ui.TS_Service);
        f.focus(edit);
        ASSERT_TRUE(edit->hasFocus());
        edit->setText(QStringLiteral("12"));
        f.status.RefreshToolStatus();
        EXPECT_EQ(edit->text(), QStringLiteral("12"));
        EXPECT_NE(c.label(f.ui)->text(), QString());  // the label still follows the tool

        f.focus(f.ui.EditMaschNr);
        f.status.RefreshToolStatus();
        EXPECT_NE(edit->text(), QStringLiteral("12"));
    }
}

TEST(RefreshToolStatus, WarrantyLabelByState)
{
    struct Case { const char* name; WarrantyStartValue w; std::int32_t cycles; const char* text; };
    const Case cases[] = {
        {"cycles still to go", {0, 0, 0, 0, 0}, 20, "30"},
        {"passed", {0, 0, 0, 0, 0}, 70, "-20"},
        {"not read", {}, 20, ""},
        {"date", {1, 2, 2010, 14, 30}, 20, "1.2.2010  14:30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolForm f;
        f.tool.info().CycleCount = c.cycles;
        f.state.WarrantyStart = c.w;
        f.state.parameterBlock.StartGarantie = 50;
        f.status.RefreshToolStatus();
        EXPECT_EQ(f.ui.LblStartGarantie->text(), QLatin1String(c.text));
    }
}

TEST(RefreshToolStatus, NothingChangesWithoutAnAnswer)
{
    {
        SCOPED_TRACE("failed information request");
        ToolForm f;
        f.ui.LblDatum->setText(QStringLiteral("old"));
        f.ui.LblUbatt->setText(QStringLiteral("old"));
        f.state.BatteryVoltage = 1.0f;
        f.tool.injectFailure(SimFailure::FailureReply, GetInfo);
        f.status.RefreshToolStatus();
        EXPECT_EQ(f.ui.LblDatum->text(), QStringLiteral("old"));
        EXPECT_EQ(f.ui.LblUbatt->text(), QStringLiteral("old"));
        EXPECT_EQ(f.state.BatteryVoltage, 1.0f);
    }
    {
        SCOPED_TRACE("no tool");
        ToolForm f;
        f.link.Close();
        f.tool.clearReceived();
        f.status.RefreshToolStatus();
        EXPECT_TRUE(f.codes().empty());
        EXPECT_EQ(f.ui.LblDatum->text(), QString());
    }
}

TEST(ShowWarrantyStart, ToolDateOrProposal)
{
    struct Case {
        const char* name;
        SimWarranty w;
        bool failRead;
        const char *h, *m, *d, *mo, *y;
    };
    const Case cases[] = {
        {"tool's warranty start", {1, 2, 2010, 14, 30}, false, "14", "30", "01", "02", "2010"},
        {"no date: the PC's time", {0, 0, 0, 0, 0}, false, "08", "07", "04", "03", "2026"},
        {"failed read", {1, 2, 2010, 14, 30}, true, "255", "255", "255", "255", "0255"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolForm f;
        f.tool.warranty() = c.w;
        if (c.failRead)
            f.tool.injectFailure(SimFailure::FailureReply, GetWarranty);
        f.status.ShowWarrantyStart();
        EXPECT_EQ(f.codes(), (std::vector<std::uint8_t>{GetInfo, GetWarranty}));
        EXPECT_EQ(f.ui.EditGarantieStunde->text(), QLatin1String(c.h));
        EXPECT_EQ(f.ui.EditGarantieMinute->text(), QLatin1String(c.m));
        EXPECT_EQ(f.ui.EditGarantieTag->text(), QLatin1String(c.d));
        EXPECT_EQ(f.ui.EditGarantieMonat->text(), QLatin1String(c.mo));
        EXPECT_EQ(f.ui.EditGarantieJahr->text(), QLatin1String(c.y));
    }
}

TEST(ShowWarrantyStart, StateFeedsTheStatusLabel)
{
    ToolForm f;
    f.tool.warranty() = {1, 2, 2010, 14, 30};
    f.status.ShowWarrantyStart();
    f.status.RefreshToolStatus();
    EXPECT_EQ(f.ui.LblStartGarantie->text(), QStringLiteral("1.2.2010  14:30"));
}

TEST(ShowWarrantyStart, SilentToolChangesNothing)
{
    ToolForm f;
    f.ui.EditGarantieJahr->setText(QStringLiteral("2011"));
    f.state.WarrantyStart = {3, 4, 2011, 5, 6};
    f.tool.injectFailure(SimFailure::FailureReply, GetInfo);
    f.status.ShowWarrantyStart();
    EXPECT_EQ(f.codes(), std::vector<std::uint8_t>{GetInfo});
    EXPECT_EQ(f.ui.EditGarantieJahr->text(), QStringLiteral("2011"));
    EXPECT_EQ(f.state.WarrantyStart.day, 3u);
}

TEST(TS_MaschinenStatusShow, DrawsTheLatestCycleOfTheToolsDay)
{
    ToolForm f;
    f.tool.setToolDateTime(QDateTime(QDate(2009, 7, 3), QTime(10, 0, 0)));
    f.tool.info().CycleCount = 123;
    f.ui.BtnSaveChart->setEnabled(true);
    f.ui.BtnPrintChart->setEnabled(true);
    f.status.TS_MaschinenStatusShow();
    EXPECT_EQ(f.drawn, QStringList{QStringLiteral("20090703\\000123")});
    EXPECT_FALSE(f.ui.BtnSaveChart->isEnabled());  // the chart enables them once it has drawn
    EXPECT_FALSE(f.ui.BtnPrintChart->isEnabled());
    // The parameter block is read first.
    const std::vector<std::uint8_t> codes = f.codes();
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), 0x60);
    EXPECT_EQ(codes.back(), GetInfo);
}

TEST(TS_MaschinenStatusShow, NoCurveWithoutCyclesOrAnswer)
{
    {
        SCOPED_TRACE("counter 0");
        ToolForm f;
        f.tool.info().CycleCount = 0;
        f.status.TS_MaschinenStatusShow();
        EXPECT_TRUE(f.drawn.isEmpty());
    }
    {
        SCOPED_TRACE("failed information request");
        ToolForm f;
        f.tool.info().CycleCount = 5;
        f.tool.injectFailure(SimFailure::FailureReply, GetInfo);
        f.status.TS_MaschinenStatusShow();
        EXPECT_TRUE(f.drawn.isEmpty());
    }
}

TEST(TS_MaschinenStatusShow, RunsWhenThePageIsShown)
{
    ToolForm f;
    f.tool.info().CycleCount = 9;
    f.ui.PageControl->setCurrentWidget(f.ui.TS_Service);
    f.drawn.clear();
    f.ui.PageControl->setCurrentWidget(f.ui.TS_MaschinenStatus);
    EXPECT_EQ(f.drawn.size(), 1);
}

TEST(ShowWarrantyStart, LongValuesShowWholeAndTheTypingLimitReturns)
{
    ToolForm f;
    f.tool.warranty() = {1, 2, 2010, 14, 30};
    f.tool.injectFailure(SimFailure::FailureReply, GetWarranty);
    f.status.ShowWarrantyStart();
    EXPECT_EQ(f.ui.EditGarantieTag->text(), QStringLiteral("255"));
    f.status.ShowWarrantyStart();
    EXPECT_EQ(f.ui.EditGarantieTag->text(), QStringLiteral("01"));
    EXPECT_EQ(f.ui.EditGarantieTag->maxLength(), 2);  // the form's limit for typing
}
