// The simulated tool answers each command as the wire protocol fixes it; checked byte by byte
// through the real transport over SimHidPlatform.
#include "tests/sim/SimFixture.h"

namespace {

TEST_F(SimFixture, InfoBlockCarriesEveryLiveField)
{
    auto& i = tool.info();
    i.ErrorFlags = 0x18;
    i.WarningFlags = 0x12;
    i.ButtonState = 1;
    i.ChipTempRaw = 0x01F6;
    i.MotorCurrent = 0x1234;
    i.BatteryMillivolts = 16800;
    i.HallPeriod = 77;
    i.WorkValue = 0x00010203;
    i.CycleCount = 100000;
    i.ServiceCount = 42;
    i.MotorTimeMs = 3723000;
    clock.advanceMs(2500);

    const auto r = exchange({0x01});
    ASSERT_TRUE(r);
    const Payload& p = *r;
    EXPECT_EQ(p[0], 0x01);
    EXPECT_EQ(p[5], 0x18);
    EXPECT_EQ(p[6], 0x12);
    EXPECT_EQ(p[7], 1);
    EXPECT_EQ(be16(p, 9), 0x01F6);
    EXPECT_EQ(be16(p, 11), 0x1234);
    EXPECT_EQ(be16(p, 13), 16800);
    EXPECT_EQ(p[19], 77);
    EXPECT_EQ(be32(p, 21), 0x00010203u);
    EXPECT_EQ(p[31], 14);
    EXPECT_EQ(p[32], 3);
    EXPECT_EQ(be16(p, 33), 2026);
    EXPECT_EQ(p[35], 9);
    EXPECT_EQ(p[36], 26);
    EXPECT_EQ(p[37], 55);  // the tool clock runs on the injected clock
    EXPECT_EQ(be32(p, 38), 100000u);
    EXPECT_EQ(be16(p, 42), 42);
    EXPECT_EQ(be32(p, 44), 3723000u);
}

TEST_F(SimFixture, ClockIsSetByTimeAndDateCommands)
{
    ASSERT_TRUE(exchange({0x21, 3, 23, 59, 58}));
    ASSERT_TRUE(exchange({0x23, 4, 31, 12, 0x07, 0xD9}));
    clock.advanceMs(3000);  // across midnight into the new year
    const auto r = exchange({0x01});
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[31], 1);
    EXPECT_EQ((*r)[32], 1);
    EXPECT_EQ(be16(*r, 33), 2010);
    EXPECT_EQ((*r)[35], 0);
    EXPECT_EQ((*r)[36], 0);
    EXPECT_EQ((*r)[37], 1);
}

TEST_F(SimFixture, ImpossibleClockValuesAreRefusedAndChangeNothing)
{
    const QDateTime before = tool.toolDateTime();
    const std::initializer_list<std::uint8_t> bad[] = {
        {0x21, 3, 24, 0, 0},           // hour 24
        {0x21, 3, 12, 60, 0},          // minute 60
        {0x21, 2, 12, 0, 0},           // wrong argument count
        {0x23, 4, 31, 2, 0x07, 0xDA},  // 31 February 2010
        {0x23, 4, 29, 2, 0x07, 0xDA},  // 29 February in a common year
        {0x23, 4, 1, 13, 0x07, 0xDA},  // month 13
        {0x23, 4, 0, 1, 0x07, 0xDA},   // day 0
    };
    for (const auto& req : bad) {
        Payload p = request(req);
        EXPECT_FALSE(link.Exchange(p)) << int(p[0]);
        EXPECT_EQ(p[0], ReplyBusy);
        EXPECT_EQ(p[1], 0x02);
    }
    EXPECT_EQ(tool.toolDateTime(), before);
    EXPECT_TRUE(link.Connected);
}

TEST_F(SimFixture, VersionTextsAreZeroTerminatedFromByteOne)
{
    tool.firmwareVersion = "V2.14";
    tool.bootloaderVersion = "BL V1.03";
    QString fw, bl;
    ASSERT_TRUE(link.ReadVersions(fw, bl));
    EXPECT_EQ(fw, "V2.14");
    EXPECT_EQ(bl, "BL V1.03");
    const auto r = exchange({0x03});
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[6], 0);
}

TEST_F(SimFixture, CountersAreSetBigEndian)
{
    ASSERT_TRUE(link.CmdSetCycleCounter(100000));
    ASSERT_TRUE(link.CmdSetServiceCounter(250));
    ASSERT_TRUE(link.CmdSetOperatingTime(0));
    EXPECT_EQ(tool.info().CycleCount, 100000);
    EXPECT_EQ(tool.info().ServiceCount, 250);
    EXPECT_EQ(tool.info().MotorTimeMs, 0);
    EXPECT_EQ(tool.info().WarningFlags & 0x02, 0);

    // A service counter of 0 makes the tool warn that service is due; the 16-bit field saturates.
    ASSERT_TRUE(link.CmdSetServiceCounter(0));
    EXPECT_EQ(tool.info().WarningFlags & 0x02, 0x02);
    ASSERT_TRUE(link.CmdSetServiceCounter(70000));
    EXPECT_EQ(tool.info().ServiceCount, 0xFFFF);
    EXPECT_EQ(tool.info().WarningFlags & 0x02, 0);
}

TEST_F(SimFixture, WarrantyIsReadSetAndCleared)
{
    ASSERT_TRUE(link.CmdSetWarranty(14, 30, 1, 2, 2010));
    EXPECT_EQ(tool.warranty(), (SimWarranty{1, 2, 2010, 14, 30}));
    const auto r = exchange({0x57});
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[2], 1);
    EXPECT_EQ((*r)[3], 2);
    EXPECT_EQ(be16(*r, 4), 2010);
    EXPECT_EQ((*r)[6], 14);
    EXPECT_EQ((*r)[7], 30);

    // The warranty start is a record: a day the month lacks is kept as given.
    ASSERT_TRUE(link.CmdSetWarranty(12, 0, 31, 2, 2010));
    EXPECT_EQ(tool.warranty(), (SimWarranty{31, 2, 2010, 12, 0}));

    ASSERT_TRUE(link.CmdClearWarranty());
    std::uint32_t d, m, y, h, mi;
    ASSERT_TRUE(link.CmdGetWarranty(d, m, y, h, mi));
    EXPECT_EQ(d + m + y + h + mi, 0u);
}

TEST_F(SimFixture, UnknownCommandGetsTheFailureForm)
{
    Payload p = request({0x44});
    EXPECT_FALSE(link.Exchange(p));
    EXPECT_EQ(p[0], ReplyBusy);
    EXPECT_EQ(p[1], 0x02);
}

// --- parameter block -------------------------------------------------------------------------

struct LayoutCase {
    SimScenario scenario;
    int layout;
    std::size_t size;
    int pages;
};

class ParamPages : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ParamPages, ReadSendsEveryPageWithMoreFlagsUntilTheLast)
{
    const LayoutCase c = GetParam();
    FakeClock clock;
    SimHidPlatform bus{clock};
    SimulatedTool& tool = bus.addTool(c.scenario);
    TUsbHidInterface link{bus, clock};
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    EXPECT_EQ(tool.parameterLayout(), c.layout);
    EXPECT_EQ(tool.parameterBlock()[0], c.layout);

    for (int page = 0; page < c.pages; ++page) {
        Payload p{};
        p[0] = 0x60;
        p[1] = static_cast<std::uint8_t>(page);
        ASSERT_TRUE(link.Exchange(p));
        EXPECT_EQ(p[1], page + 1 < c.pages ? 1 : 0) << page;
        for (std::size_t i = 0; i < 32; ++i) {
            const std::size_t at = static_cast<std::size_t>(page) * 32 + i;
            EXPECT_EQ(p[2 + i], at < c.size ? tool.parameterBlock()[at] : 0) << at;
        }
    }
    std::array<std::uint8_t, 1024> scratch{};
    ASSERT_TRUE(link.CmdParamRead(scratch));
    const auto codes = tool.receivedCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0x60), 2 * c.pages);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ParamPages,
                         ::testing::Values(LayoutCase{SimScenario::V2, 2, 160, 5}, LayoutCase{SimScenario::Demo, 3, 200, 7}));

TEST_F(SimFixture, WrittenPagesTakeEffectOnlyOnStore)
{
    SimParameterBytes block = tool.parameterBlock();
    const SimParameterBytes original = block;
    block[40] = 'X';   // MaschNr
    block[199] = 0xAB;  // last byte of page 6
    ASSERT_TRUE(link.CmdParamWrite(block, 200));

    EXPECT_EQ(tool.parameterBlock(), original);
    EXPECT_EQ(tool.stagedParameterBlock(), block);
    std::array<std::uint8_t, 1024> read{};
    ASSERT_TRUE(link.CmdParamRead(read));
    EXPECT_TRUE(std::equal(original.begin(), original.end(), read.begin()));

    ASSERT_TRUE(link.CmdParamStore());
    EXPECT_EQ(tool.parameterBlock(), block);
    ASSERT_TRUE(link.CmdParamRead(read));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), read.begin()));
}

TEST_F(SimFixture, ParamWriteHonoursTheCountAndRefusesBadPages)
{
    Payload p{};
    p[0] = 0x61;
    p[1] = 6;
    p[2] = 8;
    std::fill(p.begin() + 3, p.begin() + 35, 0xEE);
    ASSERT_TRUE(link.Exchange(p));
    EXPECT_EQ(tool.stagedParameterBlock()[199], 0xEE);
    EXPECT_EQ(tool.stagedParameterBlock()[192], 0xEE);

    Payload count0{};
    count0[0] = 0x61;
    ASSERT_TRUE(link.Exchange(count0));  // a zero-length write is accepted and changes nothing

    for (auto [page, count] : {std::pair{7, 8}, std::pair{0, 33}}) {
        Payload bad{};
        bad[0] = 0x61;
        bad[1] = static_cast<std::uint8_t>(page);
        bad[2] = static_cast<std::uint8_t>(count);
        EXPECT_FALSE(link.Exchange(bad)) << page << "/" << count;
    }
    Payload beyond{};
    beyond[0] = 0x60;
    beyond[1] = 7;
    EXPECT_FALSE(link.Exchange(beyond));
}

// --- production test and calibration commands --------------------------------------------------

TEST_F(SimFixture, MotorModesChangeCurrentAndHallPeriod)
{
    struct Case {
        std::uint8_t mode;
        bool overcurrent;
        int current, hall;
    } cases[] = {
        {7, false, 262, 78}, {7, true, 2460, 78}, {1, false, 0, 0}, {9, false, 248, 81}, {1, true, 0, 0},
    };
    for (const auto& c : cases) {
        tool.setOvercurrentButton(c.overcurrent);
        ASSERT_TRUE(link.CmdTestMotor(c.mode));
        Payload info{};
        ASSERT_TRUE(link.CmdGetInfo(info));
        EXPECT_EQ(be16(info, 11), c.current) << int(c.mode) << c.overcurrent;
        EXPECT_EQ(info[19], c.hall) << int(c.mode) << c.overcurrent;
    }
    // The production limits: Hall 60..100 ms, current 100..400, raised 2100..2800.
    const auto& m = tool.motorModel();
    EXPECT_TRUE(m.hallPeriodRight >= 60 && m.hallPeriodRight <= 100);
    EXPECT_TRUE(m.runCurrentRight >= 100 && m.runCurrentRight <= 400);
    EXPECT_TRUE(m.overcurrentLoad >= 2100 && m.overcurrentLoad <= 2800);

    Payload bad{};
    bad[0] = 0x71;
    bad[1] = 1;
    bad[2] = 5;
    EXPECT_FALSE(link.Exchange(bad)) << "mode 5 is not a motor mode";
}

TEST_F(SimFixture, LedsAndStandbyAreTakenOver)
{
    ASSERT_TRUE(link.CmdTestLeds(1, 2));
    EXPECT_EQ(tool.ledStates(), (std::pair<std::uint8_t, std::uint8_t>{1, 2}));
    ASSERT_TRUE(link.CmdTestMotor(7));
    ASSERT_TRUE(link.CmdTestStandby());
    EXPECT_TRUE(tool.standby());
    EXPECT_EQ(tool.motorMode(), 1) << "standby stops the motor";
    Payload info{};
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_FALSE(tool.standby()) << "the next request wakes the board";
}

TEST_F(SimFixture, ButtonStateAndClockSecondsAreLive)
{
    tool.info().ButtonState = 1;
    Payload info{};
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_NE(info[7], 0);
    const int second = info[37];
    clock.advanceMs(2000);
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_EQ(info[37], (second + 2) % 60);
}

TEST_F(SimFixture, CalibrationRunStoresBothValues)
{
    ASSERT_TRUE(link.CmdCalibStart());
    EXPECT_TRUE(tool.calibrationRunActive());
    ASSERT_TRUE(link.CmdCalibSet(120000, 60000));
    EXPECT_FALSE(tool.calibrationRunActive());
    EXPECT_EQ(tool.calibrationValues(), (std::pair<std::uint32_t, std::uint32_t>{120000, 60000}));
    auto le32 = [&](std::size_t at) {
        const auto& b = tool.parameterBlock();
        return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
    };
    EXPECT_EQ(le32(132), 120000u);
    EXPECT_EQ(le32(136), 60000u);

    // 0 and 0: calibrate to 120 % by itself; the stored values stay.
    ASSERT_TRUE(link.CmdCalibSet(0, 0));
    EXPECT_EQ(le32(132), 120000u);
}

TEST(SimSensor, PressureSetsTheRawCountInTheLowBitsOfTheWorkValue)
{
    FakeClock clock;
    SimHidPlatform bus{clock};
    SimulatedTool& tool = bus.addTool(SimScenario::Sensor);
    TUsbHidInterface link{bus, clock};
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    const std::pair<double, int> cases[] = {{0, 412}, {1000, 3268}, {500, 1840}};
    for (auto [bar, count] : cases) {
        tool.setPressureBar(bar);
        Payload info{};
        ASSERT_TRUE(link.CmdGetInfo(info));
        EXPECT_EQ(be16(info, 23), count) << bar;
        EXPECT_EQ(be16(info, 21), 0) << bar;
    }
}

}  // namespace
