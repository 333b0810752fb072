// Diary transfer against a scripted tool: request bytes, chunking, the end of a read, the refusals
// that keep a bad reply or an oversized memo from doing harm, and the memo text conversion.
#include "service/Diary.h"

#include "link/Usbhidinterface.h"
#include "tests/support/ScriptedHidPlatform.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct Tool {
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock;
    TUsbHidInterface link{hid, clock};
    std::vector<std::pair<int, int>> ranges;
    std::vector<int> positions;
    DiaryProgress progress{[this](int lo, int hi) { ranges.emplace_back(lo, hi); },
                           [this](int pos) { positions.push_back(pos); }};

    Tool() { EXPECT_TRUE(link.Open(ToolVendorId, ToolProductId, 0)); }

    void openReply(int size, std::uint8_t status = 0)
    {
        Payload p{};
        p[0] = 0x34;
        p[2] = status;
        p[9] = static_cast<std::uint8_t>(size >> 8);
        p[10] = static_cast<std::uint8_t>(size & 0xFF);
        hid.replyPayload(p);
    }
    void chunkReply(const std::string& data, int count, std::uint8_t status = 0)
    {
        Payload p{};
        p[0] = 0x31;
        p[1] = status;
        p[2] = static_cast<std::uint8_t>(count);
        for (std::size_t i = 0; i < data.size() && 3 + i < p.size(); ++i)
            p[3 + i] = static_cast<std::uint8_t>(data[i]);
        hid.replyPayload(p);
    }
    void chunkReply(const std::string& data) { chunkReply(data, static_cast<int>(data.size())); }

    int sent(std::uint8_t code) const
    {
        int n = 0;
        for (const auto& w : hid.written)
            n += w[0] == code;
        return n;
    }
};

std::string pattern(std::size_t n, std::size_t from = 0)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>('A' + (from + i) % 26));
    return s;
}

}  // namespace

TEST(DiaryRead, ChunksUntilTheAnnouncedLengthThenOneMoreRead)
{
    struct Case {
        const char* name;
        int size;
        std::vector<int> counts;  // chunk counts the tool answers with
        std::size_t expectedLength;
    };
    const Case cases[] = {
        {"empty diary", 0, {}, 0},
        {"70 bytes in 32, 32, 6", 70, {32, 32, 6}, 70},
        {"length above 255 is big-endian", 0x012C, [] { std::vector<int> v(9, 32); v.push_back(12); return v; }(), 300},
        {"short chunks", 5, {1, 2, 2}, 5},
        {"most the tool can announce", 65535, [] { std::vector<int> v(2047, 32); v.push_back(31); return v; }(), 65535},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Tool t;
        t.openReply(c.size);
        std::size_t at = 0;
        for (int n : c.counts) {
            t.chunkReply(pattern(static_cast<std::size_t>(n), at));
            at += static_cast<std::size_t>(n);
        }
        t.chunkReply("", 0);  // the answer to the closing read
        std::string bytes = "stale";
        ASSERT_TRUE(ReadDiary(t.link, DiaryKind::Customer, bytes, t.progress));
        EXPECT_EQ(bytes, pattern(c.expectedLength));
        EXPECT_EQ(t.sent(0x31), static_cast<int>(c.counts.size()) + 1);
        EXPECT_TRUE(t.hid.replies.empty());
    }
}

TEST(DiaryRead, RequestBytes)
{
    Tool t;
    t.openReply(3);
    t.chunkReply("abc");
    t.chunkReply("", 0);
    std::string bytes;
    ASSERT_TRUE(ReadDiary(t.link, DiaryKind::Service, bytes, t.progress));
    ASSERT_EQ(t.hid.written.size(), 3u);
    Payload open{};
    open[0] = 0x34;
    open[1] = 'S';
    open[2] = 'T';
    open[3] = 'B';
    EXPECT_EQ(t.hid.written[0], open);
    Payload read{};
    read[0] = 0x31;
    EXPECT_EQ(t.hid.written[1], read);
    EXPECT_EQ(t.hid.written[2], read);
}

TEST(DiaryRead, ProgressFollowsTheChunksAndEndsAtZero)
{
    Tool t;
    t.openReply(70);
    t.chunkReply(pattern(32));
    t.chunkReply(pattern(32));
    t.chunkReply(pattern(6));
    std::string bytes;
    ASSERT_TRUE(ReadDiary(t.link, DiaryKind::Customer, bytes, t.progress));
    EXPECT_EQ(t.ranges, (std::vector<std::pair<int, int>>{{0, 70}}));
    EXPECT_EQ(t.positions, (std::vector<int>{0, 32, 64, 0}));
}

TEST(DiaryRead, ChunkTextEndsAtItsFirstZeroButCountsInFull)
{
    Tool t;
    t.openReply(8);
    t.chunkReply(std::string("ab\0cd", 5));
    t.chunkReply("xyz");
    std::string bytes;
    ASSERT_TRUE(ReadDiary(t.link, DiaryKind::Customer, bytes));
    EXPECT_EQ(bytes, "abxyz");
    EXPECT_EQ(t.sent(0x31), 3);
}

TEST(DiaryRead, ChunksPastTheAnnouncedLengthAreKept)
{
    // The tool's chunk is the truth about what it sent; the loop only needs to end.
    Tool t;
    t.openReply(10);
    t.chunkReply(pattern(32));
    std::string bytes;
    ASSERT_TRUE(ReadDiary(t.link, DiaryKind::Customer, bytes));
    EXPECT_EQ(bytes, pattern(32));
}

TEST(DiaryRead, FailuresLeaveNothingAndStopAtOnce)
{
    struct Case {
        const char* name;
        std::function<void(Tool&)> script;
        int reads;  // 0x31 requests sent before giving up
    };
    const Case cases[] = {
        {"open refused", [](Tool& t) { t.openReply(10, 1); }, 0},
        {"open answered with a failure status", [](Tool& t) { t.hid.reply({0x7F, 0x02}); }, 0},
        {"open not answered", [](Tool& t) { t.hid.failRead(); }, 0},
        {"chunk status not ok", [](Tool& t) { t.openReply(70); t.chunkReply(pattern(32)); t.chunkReply(pattern(32), 32, 1); }, 2},
        {"chunk read fails", [](Tool& t) { t.openReply(70); t.chunkReply(pattern(32)); t.hid.failRead(); }, 2},
        {"count 0 before the end", [](Tool& t) { t.openReply(70); t.chunkReply(pattern(32)); t.chunkReply("", 0); }, 2},
        {"count above 32", [](Tool& t) { t.openReply(70); t.chunkReply(pattern(32), 33); }, 1},
        {"count 255", [](Tool& t) { t.openReply(70); t.chunkReply(pattern(32), 255); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Tool t;
        c.script(t);
        t.hid.whenEmpty = Payload{0x31};  // a tool that would go on answering with empty chunks
        std::string bytes = "stale";
        EXPECT_FALSE(ReadDiary(t.link, DiaryKind::Customer, bytes, t.progress));
        EXPECT_TRUE(bytes.empty());
        EXPECT_EQ(t.sent(0x31), c.reads);
        EXPECT_TRUE(t.link.Connected);
    }
}

TEST(DiaryRead, WithoutToolOrKindNothingIsSent)
{
    Tool t;
    std::string bytes = "stale";
    EXPECT_FALSE(ReadDiary(t.link, static_cast<DiaryKind>(3), bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(t.hid.written.empty());

    t.link.Close();
    bytes = "stale";
    EXPECT_FALSE(ReadDiary(t.link, DiaryKind::Customer, bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(t.hid.written.empty());
}

TEST(DiaryWrite, ChunksOfAtMost32WithTheFirstFlagged)
{
    struct Case {
        std::size_t length;
        std::vector<int> counts;
    };
    const Case cases[] = {
        {1, {1}},
        {32, {32}},
        {33, {32, 1}},
        {70, {32, 32, 6}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        Tool t;
        t.hid.echo = true;
        const std::string text = pattern(c.length);
        EXPECT_EQ(WriteDiary(t.link, DiaryKind::Customer, text, t.progress), DiaryWriteResult::Written);
        ASSERT_EQ(t.hid.written.size(), c.counts.size());
        std::size_t pos = 0;
        std::vector<int> positions;
        for (std::size_t i = 0; i < c.counts.size(); ++i) {
            const auto n = static_cast<std::size_t>(c.counts[i]);
            Payload expected{};
            expected[0] = 0x32;
            expected[1] = i == 0 ? 1 : 0;
            expected[2] = static_cast<std::uint8_t>(n);
            expected[3] = 'K';
            expected[4] = 'T';
            expected[5] = 'B';
            for (std::size_t k = 0; k < n; ++k)
                expected[20 + k] = static_cast<std::uint8_t>(text[pos + k]);
            EXPECT_EQ(t.hid.written[i], expected) << "chunk " << i;
            pos += n;
            positions.push_back(static_cast<int>(pos));
        }
        positions.push_back(0);
        EXPECT_EQ(t.ranges, (std::vector<std::pair<int, int>>{{0, static_cast<int>(c.length)}}));
        EXPECT_EQ(t.positions, positions);
    }
}

TEST(DiaryWrite, NothingToSendLeavesTheToolsDiary)
{
    Tool t;
    EXPECT_EQ(WriteDiary(t.link, DiaryKind::Service, "", t.progress), DiaryWriteResult::Written);
    t.link.Close();
    EXPECT_EQ(WriteDiary(t.link, DiaryKind::Service, "abc", t.progress), DiaryWriteResult::Written);
    EXPECT_TRUE(t.hid.written.empty());
    EXPECT_TRUE(t.ranges.empty());
    EXPECT_EQ(t.positions, (std::vector<int>{0, 0}));
}

TEST(DiaryWrite, LongerThanTheToolCanAnnounceIsRefusedBeforeAnyChunk)
{
    Tool t;
    t.hid.echo = true;
    EXPECT_EQ(WriteDiary(t.link, DiaryKind::Customer, std::string(DiaryMaxBytes + 1, 'x'), t.progress),
              DiaryWriteResult::TooLong);
    EXPECT_TRUE(t.hid.written.empty());
    EXPECT_TRUE(t.ranges.empty());

    EXPECT_EQ(WriteDiary(t.link, DiaryKind::Customer, std::string(DiaryMaxBytes, 'x')), DiaryWriteResult::Written);
    EXPECT_EQ(t.hid.written.size(), 2048u);
    EXPECT_EQ(t.hid.written.back()[2], 31);
}

TEST(DiaryWrite, AFailedChunkEndsTheWrite)
{
    Tool t;
    t.hid.reply({0x32});
    t.hid.reply({0x7F, 0x02});
    t.hid.echo = true;
    EXPECT_EQ(WriteDiary(t.link, DiaryKind::Customer, pattern(70), t.progress), DiaryWriteResult::Failed);
    EXPECT_EQ(t.hid.written.size(), 2u);
    EXPECT_EQ(t.positions, (std::vector<int>{32}));  // the bar stays where the write stopped
}

TEST(DiaryWrite, UnknownKindSendsNothing)
{
    Tool t;
    EXPECT_EQ(WriteDiary(t.link, static_cast<DiaryKind>(0), "abc"), DiaryWriteResult::UnknownKind);
    EXPECT_TRUE(t.hid.written.empty());
}

TEST(DiaryText, ToolBytesAndMemoText)
{
    struct Case {
        std::string bytes;
        QString text;
    };
    const Case both[] = {
        {"", ""},
        {"Zeile 1\r\nZeile 2\r\n", "Zeile 1\nZeile 2\n"},
        {"Gr\xFC\xDF" "e \x80 \x96", QStringLiteral("Grüße € –")},
        {"\r\n\r\n", "\n\n"},
        {"a\xA0" "b", QStringLiteral("a\u00A0b")},
    };
    for (const auto& c : both) {
        EXPECT_EQ(diaryTextFromBytes(c.bytes), c.text);
        EXPECT_EQ(diaryBytesFromText(c.text), c.bytes);
    }
    // Line breaks the tool or a document may hold otherwise all become one line break.
    EXPECT_EQ(diaryTextFromBytes("a\nb\rc"), "a\nb\nc");
    EXPECT_EQ(diaryBytesFromText(QStringLiteral("a\u2029b\u2028c\rd\r\ne")), "a\r\nb\r\nc\r\nd\r\ne");
    EXPECT_EQ(diaryBytesFromText(QStringLiteral("\u4E2D")), "?");
}
