// TDateTimeDlg: proposed values and captions on every show, the check, the question and the two
// clock commands.
#include "service/ui/Datetimedialog.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "tests/support/ScriptedHidPlatform.h"
#include "tests/support/ScriptedPrompts.h"
#include "ui_Datetimedialog.h"

#include <gtest/gtest.h>

namespace {
struct Dialog {
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock{QDateTime(QDate(2009, 3, 5), QTime(7, 4, 33))};
    ScriptedPrompts prompts;
    TUsbHidInterface link{hid, clock};
    std::uint32_t language = LangGerman;
    TDateTimeDlg dlg{nullptr, link, clock, prompts, language};

    Dialog()
    {
        hid.echo = true;
        link.Open(ToolVendorId, ToolProductId, 0);
    }
    void enter(const char* h, const char* mi, const char* d, const char* mo, const char* y)
    {
        auto& ui = dlg.ui();
        ui.EditStunde->setText(h);
        ui.EditMinute->setText(mi);
        ui.EditTag->setText(d);
        ui.EditMonat->setText(mo);
        ui.EditJahr->setText(y);
    }
};

Payload bytes(std::initializer_list<int> list)
{
    Payload p{};
    std::size_t i = 0;
    for (int b : list)
        p[i++] = static_cast<std::uint8_t>(b);
    return p;
}
}  // namespace

TEST(DateTimeDialog, ProposesThePcClockAndSpeaksTheCurrentLanguageOnEveryShow)
{
    Dialog d;
    auto& ui = d.dlg.ui();
    EXPECT_EQ(ui.EditStunde->text(), "07");
    EXPECT_EQ(ui.EditMinute->text(), "04");
    EXPECT_EQ(ui.EditTag->text(), "05");
    EXPECT_EQ(ui.EditMonat->text(), "03");
    EXPECT_EQ(ui.EditJahr->text(), "2009");
    EXPECT_EQ(d.dlg.windowTitle(), LangText(LangGerman, 63));

    d.language = LangEnglish;
    d.clock.setNow(QDateTime(QDate(2026, 11, 28), QTime(23, 59, 0)));
    ui.EditStunde->setText("x");
    d.dlg.show();
    EXPECT_EQ(d.dlg.windowTitle(), "Set Date / Time");
    EXPECT_EQ(ui.CapDate->text(), LangText(LangEnglish, 64));
    EXPECT_EQ(ui.CapTime->text(), LangText(LangEnglish, 65));
    EXPECT_EQ(ui.BtnAbbruch->text(), LangText(LangEnglish, 96));
    EXPECT_EQ(ui.BtnOk->text(), LangText(LangEnglish, 97));
    EXPECT_EQ(ui.EditStunde->text(), "23");
    EXPECT_EQ(ui.EditMinute->text(), "59");
    EXPECT_EQ(ui.EditTag->text(), "28");
    EXPECT_EQ(ui.EditMonat->text(), "11");
    EXPECT_EQ(ui.EditJahr->text(), "2026");
    EXPECT_FALSE(ui.EditDatum->isVisible());
    EXPECT_FALSE(ui.EditZeit->isVisible());
    d.dlg.hide();
}

TEST(DateTimeDialog, YesSendsTimeWithZeroSecondsThenDateAndCloses)
{
    Dialog d;
    d.enter("14", "30", "05", "11", "2009");
    d.prompts.answerYes();
    d.dlg.ui().BtnOk->click();
    ASSERT_EQ(d.prompts.shown().size(), 1u);
    EXPECT_EQ(d.prompts.shown()[0].caption, "Service");
    EXPECT_EQ(d.prompts.shown()[0].text, LangText(LangGerman, 44));
    EXPECT_EQ(d.prompts.shown()[0].icon, PromptIcon::Question);
    ASSERT_EQ(d.hid.written.size(), 2u);
    EXPECT_EQ(d.hid.written[0], bytes({0x21, 3, 14, 30, 0}));
    EXPECT_EQ(d.hid.written[1], bytes({0x23, 4, 5, 11, 0x07, 0xD9}));
    EXPECT_EQ(d.dlg.result(), QDialog::Accepted);
}

TEST(DateTimeDialog, InvalidInputOrNoLeavesItOpenAndSendsNothing)
{
    struct Case {
        const char *h, *mi, *d, *mo, *y;
        bool asked;  // the check passed, so the question came (answered No)
    };
    const Case cases[] = {
        {"12", "00", "01", "01", "2007", false},
        {"12", "00", "01", "01", "2100", false},
        {"24", "00", "01", "01", "2010", false},
        {"12", "", "01", "01", "2010", false},
        {"12", "00", "01", "13", "2010", false},
        {"12", "00", "00", "01", "2010", false},
        {"12", "00", "01", "01", "2021", true},
        {"12", "00", "31", "02", "2099", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.y);
        Dialog d;
        d.enter(c.h, c.mi, c.d, c.mo, c.y);
        d.prompts.answerNo();
        d.dlg.ui().BtnOk->click();
        EXPECT_EQ(d.prompts.shown().size(), c.asked ? 1u : 0u);
        EXPECT_TRUE(d.hid.written.empty());
        EXPECT_EQ(d.dlg.result(), 0);
    }
}

TEST(DateTimeDialog, CancelSendsNothing)
{
    Dialog d;
    d.dlg.ui().BtnAbbruch->click();
    EXPECT_EQ(d.dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(d.prompts.shown().empty());
    EXPECT_TRUE(d.hid.written.empty());
}
