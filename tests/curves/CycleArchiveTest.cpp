// Listing a day's cycles and reading a cycle file, against the simulated tool.
#include "curves/CycleArchive.h"
#include "curves/CycleFile.h"
#include "link/Usbhidinterface.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimulatedTool.h"

#include <gtest/gtest.h>

namespace {

class ArchiveOnSimulatedTool : public ::testing::Test {
protected:
    FakeClock clock{QDateTime(QDate(2009, 7, 3), QTime(12, 0, 0))};
    SimHidPlatform hid{clock};
    SimulatedTool& tool = hid.addTool(SimScenario::New);
    TUsbHidInterface link{hid, clock};

    void SetUp() override
    {
        tool.setCycleRecording(false);
        tool.files().clear();
        ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
        tool.clearReceived();
    }
    void put(const std::string& path, std::size_t size, std::uint8_t fill = 7)
    {
        tool.files()[path] = std::vector<std::uint8_t>(size, fill);
    }
};

TEST_F(ArchiveOnSimulatedTool, ListsSixCharacterNamesOfTheDayOnly)
{
    put("20090703\\000012", 100);
    put("20090703\\000010", 100);
    put("20090703\\12345", 100);    // five characters
    put("20090703\\1234567", 100);  // seven characters
    put("20090703\\000011", 100);
    put("20090704\\000013", 100);   // another day
    const QStringList names = findCycles(link, QDate(2009, 7, 3));
    EXPECT_EQ(names, (QStringList{"000010", "000011", "000012"}));
    // First search, then "next" until the tool reports no further file: five names plus the end.
    const auto codes = tool.receivedCodes();
    EXPECT_EQ(codes, std::vector<std::uint8_t>(6, 0x37));
    EXPECT_EQ(tool.receivedRequests().front()[1], 1);
    EXPECT_EQ(tool.receivedRequests().back()[1], 0);
    EXPECT_EQ(takeText(tool.receivedRequests().front(), 2), QStringLiteral("20090703\\*"));
}

TEST_F(ArchiveOnSimulatedTool, EmptyDayOrNoToolGivesAnEmptyList)
{
    EXPECT_TRUE(findCycles(link, QDate(2009, 7, 3)).isEmpty());
    put("20090703\\000001", 100);
    link.Close();
    EXPECT_TRUE(findCycles(link, QDate(2009, 7, 3)).isEmpty());
}

TEST_F(ArchiveOnSimulatedTool, AFailedExchangeEndsTheListWithTheNamesFoundSoFar)
{
    put("20090703\\000001", 100);
    put("20090703\\000002", 100);
    put("20090703\\000003", 100);
    tool.injectFailure(SimFailure::Unplug, 0, 2);  // answers the first two, then leaves the bus
    EXPECT_EQ(findCycles(link, QDate(2009, 7, 3)), (QStringList{"000001", "000002"}));
}

TEST_F(ArchiveOnSimulatedTool, ReadsAFileInChunksOfThirtyTwo)
{
    struct Case {
        std::size_t size;
        int reads;  // CmdFileRead requests: the chunks, the empty one and one further
    } cases[] = {{64, 4}, {65, 5}, {100, 6}, {4960, 157}};
    for (const auto& c : cases) {
        put("20090703\\000001", c.size, 0x5A);
        tool.clearReceived();
        CycleBuffer buffer{};
        EXPECT_EQ(link.ReadToolFile("20090703\\000001", buffer), static_cast<int>(c.size)) << c.size;
        const auto codes = tool.receivedCodes();
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.front(), 0x33);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 0x31), c.reads) << c.size;
        EXPECT_EQ(buffer[c.size - 1], 0x5A);
    }
}

TEST_F(ArchiveOnSimulatedTool, RefusedOpenOrOversizedFileReadsNothing)
{
    CycleBuffer buffer{};
    EXPECT_EQ(link.ReadToolFile("20090703\\000099", buffer), 0);  // the tool answers the open with status != 0
    EXPECT_EQ(tool.receivedCodes(), std::vector<std::uint8_t>{0x33}) << "no read after a refused open";

    // One byte more than the buffer can take with the final empty chunk: refused, never overrun.
    put("20090703\\000002", CycleFileMaxSize + 1, 0x5A);
    std::array<std::uint8_t, CycleBufferSize + 64> guarded{};
    EXPECT_EQ(link.ReadToolFile("20090703\\000002", std::span(guarded).first(CycleBufferSize)), 0);
    for (std::size_t i = CycleBufferSize; i < guarded.size(); ++i)
        ASSERT_EQ(guarded[i], 0) << i;
}

TEST(ArchivePaths, FolderAndFileNamesOfADay)
{
    EXPECT_EQ(dayPattern(QDate(2009, 7, 3)), QStringLiteral("20090703\\*"));
    EXPECT_EQ(cyclePath(QDate(2009, 7, 3), "000123"), QStringLiteral("20090703\\000123"));
    EXPECT_EQ(latestCyclePath(2026, 12, 1, 42), QStringLiteral("20261201\\000042"));
}

TEST(ArchiveCalendar, AShorterMonthMovesTheDayToItsLastDay)
{
    struct Case {
        QDate from;
        int month, year;  // 0: unchanged
        QDate to;
    } cases[] = {
        {QDate(2009, 1, 31), 4, 0, QDate(2009, 4, 30)},
        {QDate(2009, 1, 31), 2, 0, QDate(2009, 2, 28)},
        {QDate(2008, 1, 31), 2, 0, QDate(2008, 2, 29)},
        {QDate(2008, 2, 29), 0, 2009, QDate(2009, 2, 28)},
        {QDate(2008, 2, 29), 0, 2012, QDate(2012, 2, 29)},
        {QDate(2009, 4, 15), 12, 0, QDate(2009, 12, 15)},
    };
    for (const auto& c : cases) {
        const QDate got = c.month ? withMonth(c.from, c.month) : withYear(c.from, c.year);
        EXPECT_EQ(got, c.to) << c.from.toString().toStdString();
    }
}

}  // namespace
