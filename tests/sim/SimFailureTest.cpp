// The reply model of the simulated tool (answer on the next feature read, repeated until the next
// request), its injected failures and its USB timing model.
#include "tests/sim/SimFixture.h"

namespace {

Payload req(std::uint8_t code, std::uint8_t arg = 0)
{
    Payload p{};
    p[0] = code;
    p[1] = arg;
    return p;
}

struct WireTest : ::testing::Test {
    FakeClock clock;
    SimulatedTool tool{clock, SimScenario::Demo};
    void SetUp() override { tool.setCycleRecording(false); }

    Payload read()
    {
        Payload r{};
        EXPECT_TRUE(tool.replyForFeatureRead(r));
        return r;
    }
};

TEST_F(WireTest, FeatureReportIsZeroBeforeTheFirstRequestAndRepeatsTheLastReply)
{
    EXPECT_EQ(read(), Payload{});
    ASSERT_TRUE(tool.receiveRequest(req(0x03)));
    const Payload first = read();
    EXPECT_EQ(first[0], 0x03);
    EXPECT_EQ(read(), first);
    EXPECT_EQ(read(), first);
}

TEST_F(WireTest, BusyAndStaleDelayTheAnswerByTheirPollCount)
{
    struct Case {
        SimFailure mode;
        int count;
    } cases[] = {{SimFailure::Busy, 3}, {SimFailure::Stale, 2}, {SimFailure::Busy, 0}};
    for (const auto& c : cases) {
        ASSERT_TRUE(tool.receiveRequest(req(0x02)));
        const Payload before = read();
        tool.injectFailure(c.mode, 0x01, c.count);
        ASSERT_TRUE(tool.receiveRequest(req(0x01)));
        for (int i = 0; i < c.count; ++i) {
            const Payload r = read();
            if (c.mode == SimFailure::Busy) {
                EXPECT_EQ(r[0], ReplyBusy);
                EXPECT_EQ(r[1], 0x01);
                EXPECT_EQ(r[2], 0x05);
            } else {
                EXPECT_EQ(r, before) << "the previous echo";
            }
        }
        EXPECT_EQ(read()[0], 0x01);
    }
}

TEST_F(WireTest, InjectionsApplyOnlyToTheirCommand)
{
    tool.injectFailure(SimFailure::FailureReply, 0x57, 1);
    ASSERT_TRUE(tool.receiveRequest(req(0x01)));
    EXPECT_EQ(read()[0], 0x01);
    ASSERT_TRUE(tool.receiveRequest(req(0x57)));
    const Payload r = read();
    EXPECT_EQ(r[0], ReplyBusy);
    EXPECT_EQ(r[1], 0x02);
    ASSERT_TRUE(tool.receiveRequest(req(0x57)));
    EXPECT_EQ(read()[0], 0x57) << "used up after one exchange";
}

TEST_F(WireTest, FailureReplyDoesNotExecuteTheCommand)
{
    tool.injectFailure(SimFailure::FailureReply, 0, 2);
    Payload set = req(0x55, 4);
    set[5] = 7;
    ASSERT_TRUE(tool.receiveRequest(set));
    ASSERT_TRUE(tool.receiveRequest(req(0x11)));
    EXPECT_NE(tool.info().CycleCount, 7);
    EXPECT_FALSE(tool.files().empty());
    ASSERT_TRUE(tool.receiveRequest(set));
    EXPECT_EQ(tool.info().CycleCount, 7);
}

TEST_F(WireTest, ForeverLastsUntilCleared)
{
    tool.injectFailure(SimFailure::FailureReply, 0, SimForever);
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(tool.receiveRequest(req(0x01)));
        EXPECT_EQ(read()[0], ReplyBusy);
    }
    tool.clearFailures();
    ASSERT_TRUE(tool.receiveRequest(req(0x01)));
    EXPECT_EQ(read()[0], 0x01);
}

// Through the transport: what each malformed or failing reply does to a real caller.
struct FailureOverLink : SimFixture {};

TEST_F(FailureOverLink, UnplugAnswersCountExchangesThenWritesFail)
{
    tool.injectFailure(SimFailure::Unplug, 0, 2);
    Payload buf{};
    EXPECT_TRUE(link.CmdGetInfo(buf));
    EXPECT_TRUE(link.CmdGetInfo(buf));
    EXPECT_FALSE(link.CmdGetInfo(buf));
    EXPECT_FALSE(link.Connected);
    EXPECT_FALSE(tool.present());
    EXPECT_TRUE(bus.enumerate().empty());

    tool.plugIn();
    link.Close();
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    EXPECT_TRUE(link.CmdGetInfo(buf));
}

TEST_F(FailureOverLink, BusyPollsEndInTheAnswerAndFailureFormsFail)
{
    tool.injectFailure(SimFailure::Busy, 0x01, 50);
    Payload buf{};
    EXPECT_TRUE(link.CmdGetInfo(buf));
    EXPECT_EQ(buf[0], 0x01);

    tool.injectFailure(SimFailure::FailureReply, 0x57);
    std::uint32_t d, m, y, h, mi;
    EXPECT_FALSE(link.CmdGetWarranty(d, m, y, h, mi));
    EXPECT_EQ(d, 255u);
    EXPECT_TRUE(link.Connected);
}

TEST_F(FailureOverLink, StaleEchoOfTheSameCommandIsTakenForTheAnswer)
{
    // Two reads in a row: a stale reply of the first looks like the answer to the second. This is
    // the hazard the firmware's behaviour creates; the simulator must reproduce it.
    tool.files()["F"] = std::vector<std::uint8_t>(64, 'a');
    ASSERT_TRUE(exchangePayload(withText({0x33}, 1, "F")));
    const auto first = exchange({0x31});
    ASSERT_TRUE(first);
    tool.injectFailure(SimFailure::Stale, 0x31, 1);
    const auto second = exchange({0x31});
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, *first);
}

TEST_F(FailureOverLink, MalformedRepliesAreBoundedByTheCaller)
{
    tool.files()["20260314\\000001"] = std::vector<std::uint8_t>(100, 7);
    std::array<std::uint8_t, 5000> file{};
    tool.injectFailure(SimFailure::BadChunkCount, 0x31);
    EXPECT_EQ(link.ReadToolFile("20260314\\000001", file), 0);
    EXPECT_EQ(link.ReadToolFile("20260314\\000001", file), 100) << "one injection, one bad chunk";

    tool.injectFailure(SimFailure::TextWithoutZero, 0x03);
    Payload v{};
    v[0] = 0x03;
    ASSERT_TRUE(link.Exchange(v));
    EXPECT_EQ(std::count(v.begin(), v.end(), 0), 0) << "no zero byte anywhere";
    QString fw, bl;
    tool.injectFailure(SimFailure::TextWithoutZero, 0x03);
    ASSERT_TRUE(link.ReadVersions(fw, bl));
    EXPECT_EQ(fw.size(), 63);
    EXPECT_TRUE(fw.startsWith(QString::fromStdString(tool.firmwareVersion)));

    tool.injectFailure(SimFailure::TextWithoutZero, 0x37);
    QString name;
    ASSERT_TRUE(link.CmdFindFile(true, "20260314\\*", name));
    EXPECT_EQ(name.size(), 62);

    tool.injectFailure(SimFailure::EndlessPages, 0x60, SimForever);
    std::array<std::uint8_t, 1024> block{};
    EXPECT_FALSE(link.CmdParamRead(block));
    const auto codes = tool.receivedCodes();
    EXPECT_LE(std::count(codes.begin(), codes.end(), 0x60), 33);
}

TEST(SimLatency, EveryWriteAndFeatureReadCostsTheLatencyOnTheClock)
{
    FakeClock clock;
    SimHidPlatform bus{clock};
    SimulatedTool& tool = bus.addTool(SimScenario::New);
    TUsbHidInterface link{bus, clock};
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));

    struct Case {
        double ms;
        int exchanges;
        std::uint64_t expectedMs;
    } cases[] = {{0, 10, 0}, {1, 10, 20}, {0.25, 10, 5}, {2.5, 2, 10}};
    for (const auto& c : cases) {
        tool.setLatencyMs(c.ms);
        const std::uint64_t start = clock.tickMs();
        Payload buf{};
        for (int i = 0; i < c.exchanges; ++i)
            ASSERT_TRUE(link.CmdGetInfo(buf));  // one write and one read each
        EXPECT_EQ(clock.tickMs() - start, c.expectedMs) << c.ms;
    }
}

}  // namespace
