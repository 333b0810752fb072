// The request bytes of every command operation and how their replies are taken apart.
#include "link/Usbhidinterface.h"
#include "tests/support/ScriptedHidPlatform.h"

#include <functional>
#include <gtest/gtest.h>

namespace {
struct Fixture {
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock;
    TUsbHidInterface link{hid, clock};
    Fixture()
    {
        hid.echo = true;
        EXPECT_TRUE(link.Open(0x16D0, 0x0425, 0));
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

TEST(Commands, RequestBytes)
{
    struct Case {
        const char* name;
        std::function<bool(TUsbHidInterface&)> call;
        Payload expected;  // everything not listed is zero
    };
    Payload info{};
    const Case cases[] = {
        {"CmdGetInfo", [&](TUsbHidInterface& l) { return l.CmdGetInfo(info); }, bytes({0x01})},
        {"CmdFormatStore", [](TUsbHidInterface& l) { return l.CmdFormatStore(); }, bytes({0x11})},
        {"CmdSetTime", [](TUsbHidInterface& l) { return l.CmdSetTime(14, 30, 59); }, bytes({0x21, 3, 14, 30, 59})},
        {"CmdSetDate 5.11.2009", [](TUsbHidInterface& l) { return l.CmdSetDate(5, 11, 2009); }, bytes({0x23, 0x04, 0x05, 0x0B, 0x07, 0xD9})},
        {"CmdSetWarranty", [](TUsbHidInterface& l) { return l.CmdSetWarranty(14, 30, 1, 2, 2010); }, bytes({0x59, 0x06, 0x01, 0x02, 0x07, 0xDA, 0x0E, 0x1E})},
        {"CmdSetCycleCounter 100000", [](TUsbHidInterface& l) { return l.CmdSetCycleCounter(100000); }, bytes({0x55, 0x04, 0x00, 0x01, 0x86, 0xA0})},
        {"CmdSetServiceCounter", [](TUsbHidInterface& l) { return l.CmdSetServiceCounter(200); }, bytes({0x54, 0x04, 0, 0, 0, 200})},
        {"CmdSetOperatingTime", [](TUsbHidInterface& l) { return l.CmdSetOperatingTime(0); }, bytes({0x56, 0x04})},
        {"CmdCalibSet without count byte", [](TUsbHidInterface& l) { return l.CmdCalibSet(120000, 60000); }, bytes({0x53, 0x00, 0x01, 0xD4, 0xC0, 0x00, 0x00, 0xEA, 0x60})},
        {"CmdCalibStart", [](TUsbHidInterface& l) { return l.CmdCalibStart(); }, bytes({0x52})},
        {"CmdClearWarranty", [](TUsbHidInterface& l) { return l.CmdClearWarranty(); }, bytes({0x58, 0})},
        {"CmdParamStore", [](TUsbHidInterface& l) { return l.CmdParamStore(); }, bytes({0x62})},
        {"CmdTestLeds", [](TUsbHidInterface& l) { return l.CmdTestLeds(1, 2); }, bytes({0x70, 2, 1, 2})},
        {"CmdTestMotor", [](TUsbHidInterface& l) { return l.CmdTestMotor(7); }, bytes({0x71, 1, 7})},
        {"CmdTestStandby", [](TUsbHidInterface& l) { return l.CmdTestStandby(); }, bytes({0x72, 0})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        EXPECT_TRUE(c.call(f.link));
        ASSERT_EQ(f.hid.written.size(), 1u);
        EXPECT_EQ(f.hid.written[0], c.expected);
    }
}

TEST(Commands, FailedExchangesReportFalse)
{
    Fixture f;
    f.hid.echo = false;
    f.hid.reply({0x7F, 0x02});
    EXPECT_FALSE(f.link.CmdSetCycleCounter(1));
    EXPECT_TRUE(f.link.Connected);
}

TEST(Commands, GetInfoCopiesOnlyOnSuccess)
{
    Fixture f;
    f.hid.echo = false;
    Payload reply = bytes({0x01, 0, 0, 0, 0, 0x18});
    reply[63] = 0x99;
    f.hid.replyPayload(reply);
    Payload dest{};
    ASSERT_TRUE(f.link.CmdGetInfo(dest));
    EXPECT_EQ(dest, reply);
    dest.fill(0xAA);
    f.hid.reply({0x7F, 0x02});
    EXPECT_FALSE(f.link.CmdGetInfo(dest));
    EXPECT_EQ(dest[0], 0xAA);
}

TEST(Commands, WarrantyReplyAndItsFailureValues)
{
    Fixture f;
    f.hid.echo = false;
    f.hid.reply({0x57, 0, 31, 12, 0x07, 0xEA, 23, 59});
    std::uint32_t d, m, y, h, mi;
    ASSERT_TRUE(f.link.CmdGetWarranty(d, m, y, h, mi));
    EXPECT_EQ(std::vector<std::uint32_t>({d, m, y, h, mi}), std::vector<std::uint32_t>({31, 12, 2026, 23, 59}));
    f.hid.reply({0x7F, 0x02});
    EXPECT_FALSE(f.link.CmdGetWarranty(d, m, y, h, mi));
    EXPECT_EQ(std::vector<std::uint32_t>({d, m, y, h, mi}), std::vector<std::uint32_t>(5, 255));
}

TEST(Commands, ReadVersions)
{
    {
        SCOPED_TRACE("both answered; a text without zero byte ends at the payload end");
        Fixture f;
        f.hid.echo = false;
        f.hid.reply({0x03, 'V', '1', '.', '2', 0, 'x'});
        Payload full{};
        full.fill('B');
        full[0] = 0x02;
        f.hid.replyPayload(full);
        QString fw, bl;
        ASSERT_TRUE(f.link.ReadVersions(fw, bl));
        EXPECT_EQ(fw, "V1.2");
        EXPECT_EQ(bl, QString(63, 'B'));
        EXPECT_EQ(f.hid.written[0][0], 0x03);
        EXPECT_EQ(f.hid.written[1][0], 0x02);
    }
    {
        SCOPED_TRACE("0x03 answered, 0x02 not: both texts empty");
        Fixture f;
        f.hid.echo = false;
        f.hid.reply({0x03, 'V', '1'});
        f.hid.reply({0x7F, 0x02});
        QString fw = "old", bl = "old";
        EXPECT_FALSE(f.link.ReadVersions(fw, bl));
        EXPECT_TRUE(fw.isEmpty());
        EXPECT_TRUE(bl.isEmpty());
    }
}

TEST(Commands, FindFile)
{
    Fixture f;
    f.hid.echo = false;
    f.hid.reply({0x37, 1, '0', '0', '0', '1', '2', '3', 0});
    f.hid.reply({0x37, 0, 'x'});
    QString name;
    ASSERT_TRUE(f.link.CmdFindFile(true, QStringLiteral("20090703\\*"), name));
    EXPECT_EQ(name, "000123");
    EXPECT_EQ(f.hid.written[0], bytes({0x37, 1, '2', '0', '0', '9', '0', '7', '0', '3', '\\', '*'}));
    ASSERT_TRUE(f.link.CmdFindFile(false, QStringLiteral("20090703\\*"), name));
    EXPECT_TRUE(name.isEmpty());
    EXPECT_EQ(f.hid.written[1][1], 0);
}

TEST(Commands, TextArgumentsAlwaysKeepATerminatingZero)
{
    Fixture f;
    QString name;
    f.link.CmdFindFile(true, QString(100, 'a'), name);
    const Payload& w = f.hid.written[0];
    EXPECT_EQ(w[2 + 60], 'a');  // 61 characters fit
    EXPECT_EQ(w[63], 0);
    std::array<std::uint8_t, 64> buf{};
    f.hid.echo = false;
    f.hid.reply({0x33, 0, 1});  // open refused
    EXPECT_EQ(f.link.ReadToolFile(QString(100, 'p'), buf), 0);
    EXPECT_EQ(f.hid.written[1][62], 'p');
    EXPECT_EQ(f.hid.written[1][63], 0);
}

TEST(ParamWrite, PageCountsForEveryLength)
{
    struct Case { int length; std::vector<int> counts; };
    const Case cases[] = {
        {200, {32, 32, 32, 32, 32, 32, 8}},
        {160, {32, 32, 32, 32, 32}},
        {0, {0}},
        {33, {32, 1}},
    };
    std::array<std::uint8_t, 1024> source{};
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<std::uint8_t>(i);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        Fixture f;
        ASSERT_TRUE(f.link.CmdParamWrite(source, c.length));
        ASSERT_EQ(f.hid.written.size(), c.counts.size());
        for (std::size_t p = 0; p < c.counts.size(); ++p) {
            EXPECT_EQ(f.hid.written[p][0], 0x61);
            EXPECT_EQ(f.hid.written[p][1], p);
            EXPECT_EQ(f.hid.written[p][2], c.counts[p]);
            EXPECT_EQ(f.hid.written[p][3], static_cast<std::uint8_t>(p * 32));
            EXPECT_EQ(f.hid.written[p][34], static_cast<std::uint8_t>(p * 32 + 31));
        }
    }
}

TEST(ParamWrite, StopsAtTheFirstFailedPage)
{
    Fixture f;
    f.hid.echo = false;
    f.hid.reply({0x61});
    f.hid.reply({0x7F, 0x02});
    std::array<std::uint8_t, 200> source{};
    EXPECT_FALSE(f.link.CmdParamWrite(source, 200));
    EXPECT_EQ(f.hid.written.size(), 2u);
}

TEST(ParamRead, FollowsTheMorePagesFlagWithinTheDestination)
{
    auto page = [](int n, bool more) {
        Payload p{};
        p[0] = 0x60;
        p[1] = more ? 1 : 0;
        for (int i = 0; i < 32; ++i)
            p[2 + i] = static_cast<std::uint8_t>(n * 32 + i);
        return p;
    };
    {
        SCOPED_TRACE("seven pages");
        Fixture f;
        f.hid.echo = false;
        for (int n = 0; n < 7; ++n)
            f.hid.replyPayload(page(n, n < 6));
        std::array<std::uint8_t, 1024> dest{};
        ASSERT_TRUE(f.link.CmdParamRead(dest));
        EXPECT_EQ(f.hid.written.size(), 7u);
        EXPECT_EQ(f.hid.written[6][1], 6);
        EXPECT_EQ(dest[199], 199);
        EXPECT_EQ(dest[224], 0);
    }
    {
        SCOPED_TRACE("a flag that never ends fails at 32 pages");
        Fixture f;
        f.hid.echo = false;
        Payload more = page(0, true);
        f.hid.whenEmpty = more;
        std::array<std::uint8_t, 1024> dest{};
        EXPECT_FALSE(f.link.CmdParamRead(dest));
        EXPECT_EQ(f.hid.written.size(), 32u);
    }
}

TEST(ReadToolFile, ChunksLandAtMultiplesOf32)
{
    auto chunk = [](int n, std::uint8_t fill) {
        Payload p{};
        p[0] = 0x31;
        p[2] = static_cast<std::uint8_t>(n);
        for (int i = 0; i < 32; ++i)
            p[3 + i] = fill;
        return p;
    };
    {
        SCOPED_TRACE("64 bytes: 32, 32, 0 and one further read");
        Fixture f;
        f.hid.echo = false;
        f.hid.reply({0x33, 0, 0});
        f.hid.replyPayload(chunk(32, 1));
        f.hid.replyPayload(chunk(32, 2));
        f.hid.replyPayload(chunk(0, 3));
        f.hid.reply({0x31});
        std::array<std::uint8_t, 5000> buf{};
        EXPECT_EQ(f.link.ReadToolFile(QStringLiteral("20090703\\000123"), buf), 64);
        ASSERT_EQ(f.hid.written.size(), 5u);
        EXPECT_EQ(f.hid.written[0], bytes({0x33, '2', '0', '0', '9', '0', '7', '0', '3', '\\', '0', '0', '0', '1', '2', '3'}));
        EXPECT_EQ(buf[31], 1);
        EXPECT_EQ(buf[63], 2);
        EXPECT_EQ(buf[95], 3);  // the empty chunk still writes its 32 bytes
    }
    {
        SCOPED_TRACE("open refused: no read");
        Fixture f;
        f.hid.echo = false;
        f.hid.reply({0x33, 0, 5});
        std::array<std::uint8_t, 64> buf{};
        EXPECT_EQ(f.link.ReadToolFile(QStringLiteral("x"), buf), 0);
        EXPECT_EQ(f.hid.written.size(), 1u);
    }
    {
        SCOPED_TRACE("count above 32 fails");
        Fixture f;
        f.hid.echo = false;
        f.hid.reply({0x33, 0, 0});
        f.hid.replyPayload(chunk(40, 1));
        std::array<std::uint8_t, 5000> buf{};
        EXPECT_EQ(f.link.ReadToolFile(QStringLiteral("x"), buf), 0);
    }
    {
        SCOPED_TRACE("a file longer than the buffer is refused, nothing written past it");
        Fixture f;
        f.hid.echo = false;
        f.hid.reply({0x33, 0, 0});
        f.hid.whenEmpty = chunk(32, 9);
        std::array<std::uint8_t, 100> buf{};
        EXPECT_EQ(f.link.ReadToolFile(QStringLiteral("x"), std::span<std::uint8_t>(buf.data(), 96)), 0);
        EXPECT_EQ(buf[96], 0);
        EXPECT_EQ(buf[95], 9);
    }
    {
        SCOPED_TRACE("a failed chunk status fails the transfer");
        Fixture f;
        f.hid.echo = false;
        f.hid.reply({0x33, 0, 0});
        f.hid.reply({0x31, 1, 32});
        std::array<std::uint8_t, 5000> buf{};
        EXPECT_EQ(f.link.ReadToolFile(QStringLiteral("x"), buf), 0);
    }
}
