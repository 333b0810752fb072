// The diary pages on the real form: read on page show, memo text, write button, refusals and the
// shared progress bar.
#include "tests/service/ui/ServiceFormFixture.h"

#include "texts/Texte.h"
#include "ui_Main.h"  // generated for this program from the main window form

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {
void openReply(ServiceForm& f, int size)
{
    Payload p{};
    p[0] = 0x34;
    p[9] = static_cast<std::uint8_t>(size >> 8);
    p[10] = static_cast<std::uint8_t>(size);
    f.hid.replyPayload(p);
}

void chunkReply(ServiceForm& f, const std::string& data, int count)
{
    Payload p{};
    p[0] = 0x31;
    p[2] = static_cast<std::uint8_t>(count);
    for (std::size_t i = 0; i < data.size(); ++i)
        p[3 + i] = static_cast<std::uint8_t>(data[i]);
    f.hid.replyPayload(p);
}

std::string sentText(const ServiceForm& f)
{
    std::string out;
    for (const auto& w : f.sent(0x32))
        out.append(reinterpret_cast<const char*>(w.data() + 20), w[2]);
    return out;
}
}  // namespace

TEST(DiaryPages, ShowingAPageReadsItsDiaryIntoTheMemo)
{
    struct Case {
        QWidget* (*page)(Ui::THauptDialog&);
        QPlainTextEdit* (*memo)(Ui::THauptDialog&);
        char name0;
    };
    const Case cases[] = {
        {[](Ui::THauptDialog& ui) -> QWidget* { return ui.TS_KundenTagebuch; }, [](Ui::THauptDialog& ui) { return ui.Kundentagebuch; }, 'K'},
        {[](Ui::THauptDialog& ui) -> QWidget* { return ui.TS_ServiceTagebuch; }, [](Ui::THauptDialog& ui) { return ui.Servicetagebuch; }, 'S'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name0);
        ServiceForm f;
        const std::string diary = "01.02.2010 Dichtung gew\xE4" "chselt\r\nPr\xFC" "fung ok";
        openReply(f, static_cast<int>(diary.size()));
        chunkReply(f, diary.substr(0, 32), 32);
        chunkReply(f, diary.substr(32), static_cast<int>(diary.size() - 32));
        f.ui.PageControl->setCurrentWidget(c.page(f.ui));
        EXPECT_EQ(c.memo(f.ui)->toPlainText(), QStringLiteral("01.02.2010 Dichtung gewächselt\nPrüfung ok"));
        ASSERT_FALSE(f.hid.written.empty());
        EXPECT_EQ(f.hid.written[0][0], 0x34);
        EXPECT_EQ(f.hid.written[0][1], c.name0);
        EXPECT_EQ(f.sent(0x31).size(), 3u);
        EXPECT_EQ(f.ui.ProgressBar->value(), 0);
    }
}

TEST(DiaryPages, AFailedReadOrNoToolLeavesTheMemoEmpty)
{
    struct Case {
        const char* name;
        void (*script)(ServiceForm&);
        std::size_t reads;
    };
    const Case cases[] = {
        {"no tool", [](ServiceForm& f) { f.link.Close(); }, 0},
        {"open refused", [](ServiceForm& f) { f.hid.reply({0x34, 0, 1}); }, 0},
        {"count 0 before the end", [](ServiceForm& f) { openReply(f, 70); chunkReply(f, "abc", 3); chunkReply(f, "", 0); }, 2},
        {"count above 32", [](ServiceForm& f) { openReply(f, 70); chunkReply(f, "abc", 40); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ServiceForm f;
        f.ui.Kundentagebuch->setPlainText("what the last tool said");
        c.script(f);
        EXPECT_FALSE(f.diaries.ReadDiary(DiaryKind::Customer));
        EXPECT_TRUE(f.ui.Kundentagebuch->toPlainText().isEmpty());
        EXPECT_EQ(f.sent(0x31).size(), c.reads);  // the echoing tool would answer every further read
    }
}

TEST(DiaryPages, AnEmptyDiaryLeavesTheProgressBarIdle)
{
    ServiceForm f;
    openReply(f, 0);
    EXPECT_TRUE(f.diaries.ReadDiary(DiaryKind::Service));
    EXPECT_EQ(f.sent(0x31).size(), 1u);
    EXPECT_LT(f.ui.ProgressBar->minimum(), f.ui.ProgressBar->maximum());  // not a busy indicator
    EXPECT_EQ(f.ui.ProgressBar->value(), 0);
}

TEST(DiaryPages, WriteSendsTheMemoAsTheToolsText)
{
    ServiceForm f;
    f.ui.Servicetagebuch->setPlainText(QStringLiteral("Grüße\u00A0€\nZeile 2\n"));
    f.ui.BtnWriteSTB->click();
    EXPECT_EQ(sentText(f), "Gr\xFC\xDF" "e\xA0\x80\r\nZeile 2\r\n");
    ASSERT_EQ(f.sent(0x32).size(), 1u);
    EXPECT_EQ(f.sent(0x32)[0][1], 1);
    EXPECT_EQ(f.sent(0x32)[0][3], 'S');
    EXPECT_EQ(f.ui.ProgressBar->value(), 0);
    EXPECT_TRUE(f.script().shown().empty());
}

TEST(DiaryPages, AnEmptyMemoSendsNothing)
{
    ServiceForm f;
    f.ui.Kundentagebuch->clear();
    f.ui.BtnWriteKTB->click();
    EXPECT_TRUE(f.hid.written.empty());
    EXPECT_TRUE(f.diaries.WriteDiary(DiaryKind::Customer));
}

TEST(DiaryPages, AMemoTheToolCouldNotAnnounceIsRefusedWithAMessage)
{
    ServiceForm f;
    f.state.LanguageIndex = LangEnglish;
    // 65,534 characters and one line break: 65,536 bytes once the break is CR LF.
    f.ui.Kundentagebuch->setPlainText(QString(32767, 'x') + '\n' + QString(32767, 'y'));
    EXPECT_FALSE(f.diaries.WriteDiary(DiaryKind::Customer));
    EXPECT_TRUE(f.hid.written.empty());
    ASSERT_EQ(f.script().messages().size(), 1u);
    EXPECT_EQ(f.script().messages()[0].text, LangText(LangEnglish, 105));
    EXPECT_EQ(f.script().messages()[0].icon, PromptIcon::Exclamation);

    // One byte less goes out whole.
    f.ui.Kundentagebuch->setPlainText(QString(32766, 'x') + '\n' + QString(32767, 'y'));
    EXPECT_TRUE(f.diaries.WriteDiary(DiaryKind::Customer));
    EXPECT_EQ(sentText(f).size(), 65535u);
    EXPECT_EQ(f.script().messages().size(), 1u);
}
