// Every command operation against the simulated tool, checking the effect on the tool's records,
// and the transport's behaviour under the tool's failure modes.
#include "link/Usbhidinterface.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimulatedTool.h"

#include <gtest/gtest.h>

namespace {
struct SimLink : ::testing::Test {
    FakeClock clock{QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0))};
    SimHidPlatform hid{clock};
    SimulatedTool& tool = hid.addTool(SimScenario::Demo);
    TUsbHidInterface link{hid, clock};

    void SetUp() override
    {
        tool.setCycleRecording(false);
        ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    }

    // A raw request built in the caller's own buffer, as the diaries and the firmware download do.
    Payload reply{};

    // Sends the request and keeps the reply in `reply`.
    bool raw(std::initializer_list<int> head, const std::string& name = {}, std::size_t nameAt = 0,
             const std::vector<std::uint8_t>& data = {}, std::size_t dataAt = 0)
    {
        Payload p{};
        std::size_t i = 0;
        for (int b : head)
            p[i++] = static_cast<std::uint8_t>(b);
        for (std::size_t k = 0; k < name.size(); ++k)
            p[nameAt + k] = static_cast<std::uint8_t>(name[k]);
        for (std::size_t k = 0; k < data.size(); ++k)
            p[dataAt + k] = data[k];
        const bool ok = link.Exchange(p);
        reply = p;
        return ok;
    }
};
}  // namespace

TEST_F(SimLink, ClockCountersAndWarrantyChangeTheToolsRecords)
{
    ASSERT_TRUE(link.CmdSetDate(5, 11, 2009));
    ASSERT_TRUE(link.CmdSetTime(14, 30, 0));
    EXPECT_EQ(tool.toolDateTime().date(), QDate(2009, 11, 5));
    EXPECT_EQ(tool.toolDateTime().time().hour(), 14);
    EXPECT_EQ(tool.toolDateTime().time().minute(), 30);

    ASSERT_TRUE(link.CmdSetCycleCounter(100000));
    ASSERT_TRUE(link.CmdSetServiceCounter(250));
    ASSERT_TRUE(link.CmdSetOperatingTime(0));
    EXPECT_EQ(tool.info().CycleCount, 100000);
    EXPECT_EQ(tool.info().ServiceCount, 250);
    EXPECT_EQ(tool.info().MotorTimeMs, 0);

    Payload info{};
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_EQ(info[0], 0x01);
    EXPECT_EQ((info[38] << 24) | (info[39] << 16) | (info[40] << 8) | info[41], 100000);
    EXPECT_EQ(info[31], 5);
    EXPECT_EQ(info[32], 11);
    EXPECT_EQ((info[33] << 8) | info[34], 2009);

    ASSERT_TRUE(link.CmdSetWarranty(14, 30, 1, 2, 2010));
    std::uint32_t d, m, y, h, mi;
    ASSERT_TRUE(link.CmdGetWarranty(d, m, y, h, mi));
    EXPECT_EQ(std::vector<std::uint32_t>({d, m, y, h, mi}), std::vector<std::uint32_t>({1, 2, 2010, 14, 30}));
    ASSERT_TRUE(link.CmdClearWarranty());
    ASSERT_TRUE(link.CmdGetWarranty(d, m, y, h, mi));
    EXPECT_EQ(std::vector<std::uint32_t>({d, m, y}), std::vector<std::uint32_t>({0, 0, 0}));
    EXPECT_EQ(tool.warranty(), SimWarranty{});
}

TEST_F(SimLink, ParameterPagesTakeEffectOnlyAfterTheStore)
{
    std::array<std::uint8_t, 1024> pages{};
    ASSERT_TRUE(link.CmdParamRead(pages));
    const std::size_t size = tool.parameterBlockSize();
    EXPECT_TRUE(std::equal(pages.begin(), pages.begin() + static_cast<std::ptrdiff_t>(size), tool.parameterBlock().begin()));

    std::array<std::uint8_t, 1024> changed = pages;
    changed[104] = static_cast<std::uint8_t>(pages[104] ^ 0x5A);  // Ruecklaufzeit low byte
    ASSERT_TRUE(link.CmdParamWrite(changed, static_cast<int>(size)));
    EXPECT_EQ(tool.parameterBlock()[104], pages[104]);
    EXPECT_EQ(tool.stagedParameterBlock()[104], changed[104]);
    ASSERT_TRUE(link.CmdParamStore());
    EXPECT_EQ(tool.parameterBlock()[104], changed[104]);
}

TEST_F(SimLink, ParameterReadTakesTheLayoutsPageCount)
{
    for (const auto& [scenario, pagesExpected] : {std::pair{SimScenario::V2, 5}, std::pair{SimScenario::Demo, 7}}) {
        FakeClock c;
        SimHidPlatform p(c);
        SimulatedTool& t = p.addTool(scenario);
        TUsbHidInterface l(p, c);
        ASSERT_TRUE(l.Open(ToolVendorId, ToolProductId, 0));
        t.clearReceived();
        std::array<std::uint8_t, 1024> pages{};
        ASSERT_TRUE(l.CmdParamRead(pages));
        EXPECT_EQ(static_cast<int>(t.receivedRequests().size()), pagesExpected);
    }
}

TEST_F(SimLink, FilesAreWrittenFoundReadBackAndErased)
{
    // 0x32: first chunk flag, count, name at 3.., data at 20..
    const std::vector<std::uint8_t> first(32, 'a'), second{'b', 'c'};
    ASSERT_TRUE(raw({0x32, 1, 32}, "TESTFILE", 3, first, 20));
    ASSERT_TRUE(raw({0x32, 0, 2}, "TESTFILE", 3, second, 20));
    ASSERT_NE(tool.file("TESTFILE"), nullptr);
    EXPECT_EQ(tool.file("TESTFILE")->size(), 34u);

    std::array<std::uint8_t, 5000> buf{};
    EXPECT_EQ(link.ReadToolFile(QStringLiteral("TESTFILE"), buf), 34);
    EXPECT_EQ(buf[31], 'a');
    EXPECT_EQ(buf[33], 'c');

    // Sized open reports the length at 9..10.
    ASSERT_TRUE(raw({0x34}, "TESTFILE", 1));
    EXPECT_EQ(reply[2], 0);
    EXPECT_EQ((reply[9] << 8) | reply[10], 34);

    // Today's day folder holds recorded cycles with six-digit names.
    const QString day = tool.toolDateTime().date().toString("yyyyMMdd");
    QString name;
    ASSERT_TRUE(link.CmdFindFile(true, day + "\\*", name));
    EXPECT_EQ(name.size(), 6);
    int count = 0;
    while (!name.isEmpty() && count < 1000) {
        ++count;
        ASSERT_TRUE(link.CmdFindFile(false, day + "\\*", name));
    }
    EXPECT_GE(count, 1);

    ASSERT_TRUE(link.CmdFormatStore());
    EXPECT_TRUE(tool.files().empty());
    ASSERT_TRUE(link.CmdFindFile(true, day + "\\*", name));
    EXPECT_TRUE(name.isEmpty());
}

TEST_F(SimLink, VersionsCalibrationAndProductionCommands)
{
    QString fw, bl;
    ASSERT_TRUE(link.ReadVersions(fw, bl));
    EXPECT_EQ(fw.toStdString(), tool.firmwareVersion);
    EXPECT_EQ(bl.toStdString(), tool.bootloaderVersion);

    ASSERT_TRUE(link.CmdCalibStart());
    EXPECT_TRUE(tool.calibrationRunActive());
    ASSERT_TRUE(link.CmdCalibSet(120000, 60000));
    EXPECT_EQ(tool.calibrationValues(), std::make_pair(std::uint32_t{120000}, std::uint32_t{60000}));

    ASSERT_TRUE(link.CmdTestLeds(1, 0));
    EXPECT_EQ(tool.ledStates(), std::make_pair(std::uint8_t{1}, std::uint8_t{0}));
    ASSERT_TRUE(link.CmdTestMotor(SimMotorMode::Right));
    Payload info{};
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_GT((info[11] << 8) | info[12], 0);
    EXPECT_GT(info[19], 0);
    ASSERT_TRUE(link.CmdTestMotor(SimMotorMode::Stop));
    ASSERT_TRUE(link.CmdTestStandby());
    EXPECT_TRUE(tool.standby());
}

TEST_F(SimLink, FirmwareDownloadRestartsTheToolWithTheNewImage)
{
    std::vector<std::uint8_t> image(1024, 0xFF);
    const std::string marker = "FWV=V9.99 test";
    std::copy(marker.begin(), marker.end(), image.begin() + 100);
    image[100 + marker.size()] = 0;
    for (int block = 0; block < 32; ++block) {
        Payload p{};
        p[0] = 0x40;
        p[1] = static_cast<std::uint8_t>(block);
        std::copy_n(image.begin() + block * 32, 32, p.begin() + 2);
        ASSERT_TRUE(link.Exchange(p));
    }
    Payload program{};
    program[0] = 0x41;
    program[1] = 12;
    ASSERT_TRUE(link.Exchange(program));
    ASSERT_TRUE(tool.flashPages().count(12));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), tool.flashPages().at(12).begin()));

    Payload finish{};
    finish[0] = 0x51;
    ASSERT_TRUE(link.WriteRequest(finish));
    EXPECT_FALSE(tool.present());
    Payload info{};
    EXPECT_FALSE(link.CmdGetInfo(info));  // off the bus while it restarts
    EXPECT_FALSE(link.Connected);

    clock.advanceMs(SimRestartMs + 10);
    link.Close();
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    QString fw, bl;
    ASSERT_TRUE(link.ReadVersions(fw, bl));
    EXPECT_EQ(fw, "V9.99 test");
}

TEST_F(SimLink, FailureModes)
{
    Payload info{};
    {
        SCOPED_TRACE("busy replies keep polling");
        tool.injectFailure(SimFailure::Busy, 0x01, 5);
        EXPECT_TRUE(link.CmdGetInfo(info));
    }
    {
        SCOPED_TRACE("the failure form returns false, link stays");
        tool.injectFailure(SimFailure::FailureReply, 0x55, 1);
        EXPECT_FALSE(link.CmdSetCycleCounter(7));
        EXPECT_TRUE(link.Connected);
        EXPECT_NE(tool.info().CycleCount, 7);
        EXPECT_TRUE(link.CmdSetCycleCounter(7));
    }
    {
        SCOPED_TRACE("an endless stale reply ends at the bound on virtual time");
        tool.setLatencyMs(1.0);
        tool.injectFailure(SimFailure::Stale, 0x01, SimForever);
        const std::uint64_t t0 = clock.tickMs();
        EXPECT_FALSE(link.CmdGetInfo(info));
        EXPECT_TRUE(link.Connected);
        EXPECT_GE(clock.tickMs() - t0, ExchangeTimeoutMs);
        tool.clearFailures();
        tool.setLatencyMs(0);
    }
    {
        SCOPED_TRACE("unplugging mid-sequence clears Connected");
        tool.injectFailure(SimFailure::Unplug, 0, 2);
        EXPECT_TRUE(link.CmdGetInfo(info));
        EXPECT_TRUE(link.CmdGetInfo(info));
        EXPECT_FALSE(link.CmdGetInfo(info));
        EXPECT_FALSE(link.Connected);
    }
}

TEST_F(SimLink, MalformedRepliesNeverOverrunTheBuffers)
{
    std::array<std::uint8_t, 1024> pages{};
    tool.injectFailure(SimFailure::EndlessPages, 0x60, SimForever);
    EXPECT_FALSE(link.CmdParamRead(pages));
    tool.clearFailures();

    const QString day = tool.toolDateTime().date().toString("yyyyMMdd");
    QString name;
    ASSERT_TRUE(link.CmdFindFile(true, day + "\\*", name));
    std::array<std::uint8_t, 5000> buf{};
    tool.injectFailure(SimFailure::BadChunkCount, 0x31, SimForever);
    EXPECT_EQ(link.ReadToolFile(day + "\\" + name, buf), 0);
    tool.clearFailures();

    tool.injectFailure(SimFailure::TextWithoutZero, 0, SimForever);
    QString fw, bl;
    ASSERT_TRUE(link.ReadVersions(fw, bl));
    EXPECT_EQ(fw.size(), 63);
}

TEST(SimBus, ForeignDevicesAreSkippedOrEndTheSearch)
{
    FakeClock clock;
    {
        SimHidPlatform hid(clock);
        hid.addForeignDevice(0x046D, 0xC077);
        hid.addForeignDevice(0x16D0, 0x0425, /*openable=*/false);
        hid.addTool(SimScenario::Demo);
        TUsbHidInterface link(hid, clock);
        EXPECT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    }
    {
        SimHidPlatform hid(clock);
        hid.addForeignDevice(0x046D, 0xC077, true, /*pathReadable=*/false);
        hid.addTool(SimScenario::Demo);
        TUsbHidInterface link(hid, clock);
        EXPECT_FALSE(link.Open(ToolVendorId, ToolProductId, 0));
    }
}
