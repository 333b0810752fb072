// Finding the tool among HID interfaces and the request/reply exchange.
#include "link/Usbhidinterface.h"
#include "tests/support/ScriptedHidPlatform.h"

#include <gtest/gtest.h>

namespace {
using Iface = ScriptedHidPlatform::Interface;

Iface device(std::uint16_t vid, std::uint16_t pid, bool openable = true, bool pathReadable = true)
{
    Iface i;
    i.attributes = {vid, pid, 0x0100};
    i.openable = openable;
    i.pathReadable = pathReadable;
    return i;
}

Payload request(std::uint8_t code)
{
    Payload p{};
    p[0] = code;
    return p;
}
}  // namespace

TEST(Open, ChoosesTheFirstInterfaceThatMatches)
{
    struct Case {
        const char* name;
        std::vector<Iface> interfaces;
        std::int32_t vid, pid;
        bool opened;
        std::intptr_t handle;  // index + 100 of the interface that must be open
    };
    const Case cases[] = {
        {"any device with zero ids", {device(0x1234, 0x0001), device(0x16D0, 0x0425)}, 0, 0, true, 100},
        {"lower index of two tools", {device(0x1234, 1), device(0x16D0, 0x0425), device(0x16D0, 0x0425)}, 0x16D0, 0x0425, true, 101},
        {"unreadable path ends the search", {device(0x1234, 1), device(0, 0, true, false), device(0x16D0, 0x0425)}, 0x16D0, 0x0425, false, 0},
        {"unopenable interface is skipped", {device(0x16D0, 0x0425, false), device(0x16D0, 0x0425)}, 0x16D0, 0x0425, true, 101},
        {"no matching device", {device(0x1234, 1)}, 0x16D0, 0x0425, false, 0},
        {"no interfaces at all", {}, 0x16D0, 0x0425, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHidPlatform hid;
        hid.interfaces = c.interfaces;
        FakeClock clock;
        TUsbHidInterface link(hid, clock);
        EXPECT_EQ(link.Open(c.vid, c.pid, 0), c.opened);
        EXPECT_EQ(link.Connected, c.opened);
        EXPECT_EQ(link.DeviceHandle, c.opened ? c.handle : HidPlatform::NullHandle);
    }
}

TEST(Open, StoresTheArgumentsNotTheDeviceIds)
{
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock;
    TUsbHidInterface link(hid, clock);
    EXPECT_EQ(link.VendorId, 0x16D0);
    ASSERT_TRUE(link.Open(0, 0x0425, 0));
    EXPECT_EQ(link.VendorId, 0);
    EXPECT_EQ(link.ProductId, 0x0425);
}

TEST(Open, OpensOnlyInterfacesWhoseIdsMatchFromOneEnumeration)
{
    ScriptedHidPlatform hid;
    Iface gone = device(0x16D0, 0x0425);
    gone.attributesReadable = false;  // enumerated as a tool, but its handle yields no attributes
    hid.interfaces = {device(0x1234, 1), device(0x046D, 0xC077), gone, device(0x16D0, 0x0425)};
    FakeClock clock;
    TUsbHidInterface link(hid, clock);
    ASSERT_TRUE(link.Open(0x16D0, 0x0425, 0));
    EXPECT_EQ(hid.enumerations, 1);
    EXPECT_EQ(hid.opens, 2) << "foreign devices are never opened";
    EXPECT_EQ(hid.closed, std::vector<HidPlatform::Handle>{102}) << "the rejected match is closed again";
    EXPECT_EQ(link.DeviceHandle, 103);

    SCOPED_TRACE("twenty foreign devices and no tool");
    ScriptedHidPlatform many;
    for (int i = 0; i < 20; ++i)
        many.interfaces.push_back(device(0x1000, static_cast<std::uint16_t>(i)));
    TUsbHidInterface other(many, clock);
    EXPECT_FALSE(other.Open(0x16D0, 0x0425, 0));
    EXPECT_EQ(many.enumerations, 1);
    EXPECT_EQ(many.opens, 0);
}

TEST(Open, WritesDiagnosticLinesOnlyWhileEnabled)
{
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock;
    TUsbHidInterface link(hid, clock);
    QStringList lines;
    link.setDiagnosticSink([&](const QString& l) { lines << l; });
    link.Open(0x16D0, 0x0425, 0);
    EXPECT_TRUE(lines.isEmpty());
    link.Close();
    link.setDiagnosticsEnabled(true);
    link.Open(0x16D0, 0x0425, 0);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("Suche nach angeschlossenen USB-Geräten:"),
                                  "\tSetupDiEnumDeviceInterfaces(): 1", "\tDevicePath: /dev/scripted0",
                                  "\tdeviceHandle: 100", "\tVID=16D0h; PID=0425h; VERS=256d"}));
}

TEST(Exchange, RepliesSeenWhilePolling)
{
    struct Case {
        const char* name;
        std::vector<std::vector<std::uint8_t>> replies;
        bool result;
        int reads;
    };
    const Case cases[] = {
        {"busy keeps polling", {{0x7F, 0x01, 0x05}, {0x11}}, true, 2},
        {"busy form with zero is a failure", {{0x7F, 0x01, 0x00}}, false, 1},
        {"failure form", {{0x7F, 0x02}}, false, 1},
        {"empty report keeps polling", {{0x00}, {0x00}, {0x11, 0xAB}}, true, 3},
        {"stale echo keeps polling", {{0x03}, {0x11}}, true, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
        for (const auto& r : c.replies)
            hid.reply(r);
        FakeClock clock;
        TUsbHidInterface link(hid, clock);
        ASSERT_TRUE(link.Open(0x16D0, 0x0425, 0));
        Payload buffer = request(0x11);
        EXPECT_EQ(link.Exchange(buffer), c.result);
        EXPECT_TRUE(link.Connected);
        EXPECT_EQ(hid.featureReads, c.reads);
        if (!c.result) {
            EXPECT_EQ(buffer[0], 0x7F);  // the status reply stays in the buffer
        }
    }
}

TEST(Exchange, SuccessHandsBackAllSixtyFourReplyBytes)
{
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    Payload reply{};
    for (std::size_t i = 0; i < reply.size(); ++i)
        reply[i] = static_cast<std::uint8_t>(i == 0 ? 0x01 : 0xFF - i);
    hid.replyPayload(reply);
    FakeClock clock;
    TUsbHidInterface link(hid, clock);
    ASSERT_TRUE(link.Open(0x16D0, 0x0425, 0));
    Payload buffer = request(0x01);
    buffer[5] = 0x55;
    ASSERT_TRUE(link.Exchange(buffer));
    EXPECT_EQ(buffer, reply);
    ASSERT_EQ(hid.written.size(), 1u);
    EXPECT_EQ(hid.written[0][5], 0x55);
}

TEST(Exchange, FailuresAndTheConnectedFlag)
{
    FakeClock clock;
    {
        SCOPED_TRACE("closed transport: no I/O");
        ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
        TUsbHidInterface link(hid, clock);
        link.Connected = true;
        Payload b = request(0x01);
        EXPECT_FALSE(link.Exchange(b));
        EXPECT_FALSE(link.Connected);
        EXPECT_TRUE(hid.written.empty());
        EXPECT_EQ(hid.featureReads, 0);
    }
    {
        SCOPED_TRACE("failed write clears Connected, buffer unchanged");
        ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
        TUsbHidInterface link(hid, clock);
        ASSERT_TRUE(link.Open(0x16D0, 0x0425, 0));
        hid.writesFail = true;
        Payload b = request(0x01);
        b[9] = 7;
        EXPECT_FALSE(link.Exchange(b));
        EXPECT_FALSE(link.Connected);
        EXPECT_EQ(b[9], 7);
    }
    {
        SCOPED_TRACE("failed write in WriteRequest keeps Connected");
        ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
        TUsbHidInterface link(hid, clock);
        ASSERT_TRUE(link.Open(0x16D0, 0x0425, 0));
        hid.writesFail = true;
        EXPECT_FALSE(link.WriteRequest(request(0x51)));
        EXPECT_TRUE(link.Connected);
    }
    {
        SCOPED_TRACE("failed feature read keeps Connected");
        ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
        hid.failRead();
        TUsbHidInterface link(hid, clock);
        ASSERT_TRUE(link.Open(0x16D0, 0x0425, 0));
        Payload b = request(0x01);
        EXPECT_FALSE(link.Exchange(b));
        EXPECT_TRUE(link.Connected);
    }
}

TEST(Exchange, AnEndlessStaleReplyEndsAtTheBoundOnVirtualTime)
{
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    Payload stale{};
    stale[0] = 0x03;
    hid.whenEmpty = stale;
    FakeClock clock;
    clock.setAutoAdvanceMs(1);
    TUsbHidInterface link(hid, clock);
    ASSERT_TRUE(link.Open(0x16D0, 0x0425, 0));
    Payload b = request(0x01);
    const std::uint64_t before = clock.tickMs();
    EXPECT_FALSE(link.Exchange(b));
    EXPECT_TRUE(link.Connected);
    EXPECT_GE(clock.tickMs() - before, ExchangeTimeoutMs);
    EXPECT_LT(hid.featureReads, 20000);
}

TEST(Close, ForgetsTheHandleAndTheLink)
{
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock;
    TUsbHidInterface link(hid, clock);
    ASSERT_TRUE(link.Open(0x16D0, 0x0425, 0));
    link.Close();
    EXPECT_FALSE(link.Connected);
    EXPECT_EQ(link.DeviceHandle, HidPlatform::NullHandle);
    EXPECT_EQ(hid.closed, std::vector<HidPlatform::Handle>{100});
    link.Close();  // a second close touches nothing
    EXPECT_EQ(hid.closed.size(), 1u);
}
