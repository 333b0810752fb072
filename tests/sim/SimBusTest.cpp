// The simulated bus: enumeration order, foreign devices, presence and handle life.
#include "tests/sim/SimFixture.h"

namespace {

TEST(SimBus, EnumeratesPresentDevicesInOrderWithPathLookups)
{
    FakeClock clock;
    SimHidPlatform bus{clock};
    bus.addForeignDevice(0x046D, 0xC077);
    SimulatedTool& absent = bus.addTool(SimScenario::New);
    bus.addForeignDevice(0x0001, 0x0002, true, false);
    bus.addTool(SimScenario::New);
    absent.unplug();

    const std::vector<HidInterfaceInfo> list = bus.enumerate();
    ASSERT_EQ(list.size(), 3u) << "the unplugged tool is skipped";
    EXPECT_EQ(list[0].attributes.vendorId, 0x046D);
    EXPECT_FALSE(list[0].path.empty());
    EXPECT_TRUE(list[1].path.empty()) << "an unreadable path enumerates without one";
    EXPECT_EQ(list[1].attributes.productId, 0x0002);
    EXPECT_EQ(list[2].attributes.vendorId, ToolVendorId);
    EXPECT_EQ(list[2].attributes.productId, ToolProductId);
    EXPECT_EQ(bus.enumerations(), 1);
    EXPECT_EQ(bus.opens(), 0) << "enumerating opens nothing";
}

TEST(SimBus, OpenFollowsTheTransportRulesOverForeignDevices)
{
    struct Device {
        std::uint16_t vid, pid;
        bool openable, pathReadable;
    };
    struct Case {
        const char* what;
        std::vector<Device> before;  // foreign devices enumerated before the tool
        std::int32_t vid, pid;
        bool opened;
        std::uint16_t openedVid;
    } cases[] = {
        {"other vendor is passed over", {{0x046D, 0xC077, true, true}}, ToolVendorId, ToolProductId, true, 0x16D0},
        {"one that cannot be opened is skipped", {{0x16D0, 0x0425, false, true}}, ToolVendorId, ToolProductId, true, 0x16D0},
        {"an unreadable path ends the search", {{0x046D, 0xC077, true, false}}, ToolVendorId, ToolProductId, false, 0},
        {"0,0,0 takes the first openable device", {{0x1234, 0x5678, false, true}, {0x046D, 0xC077, true, true}}, 0, 0, true, 0x046D},
    };
    for (const auto& c : cases) {
        FakeClock clock;
        SimHidPlatform bus{clock};
        for (const auto& d : c.before)
            bus.addForeignDevice(d.vid, d.pid, d.openable, d.pathReadable);
        bus.addTool(SimScenario::New);
        TUsbHidInterface link{bus, clock};
        EXPECT_EQ(link.Open(c.vid, c.pid, 0), c.opened) << c.what;
        if (c.opened) {
            HidAttributes a;
            ASSERT_TRUE(bus.getAttributes(link.DeviceHandle, a)) << c.what;
            EXPECT_EQ(a.vendorId, c.openedVid) << c.what;
        }
        EXPECT_EQ(bus.openHandles(), c.opened ? 1 : 0) << c.what << ": rejected handles are closed";
    }
}

TEST(SimBus, TwoToolsOpenTheFirstAndEachAnswersItsOwnState)
{
    FakeClock clock;
    SimHidPlatform bus{clock};
    SimulatedTool& a = bus.addTool(SimScenario::New);
    SimulatedTool& b = bus.addTool(SimScenario::New);
    a.info().CycleCount = 11;
    b.info().CycleCount = 22;
    TUsbHidInterface link{bus, clock};
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    Payload info{};
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_EQ(be32(info, 38), 11u);
    EXPECT_EQ(bus.tool(1), &b);

    a.unplug();
    link.Close();
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_EQ(be32(info, 38), 22u);
}

TEST(SimBus, AHandleDiesWhenTheToolLeavesTheBusEvenAfterItReturns)
{
    FakeClock clock;
    SimHidPlatform bus{clock};
    SimulatedTool& tool = bus.addTool(SimScenario::New);
    TUsbHidInterface link{bus, clock};
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    const auto old = link.DeviceHandle;
    tool.unplug();
    tool.plugIn();
    HidAttributes a;
    EXPECT_FALSE(bus.getAttributes(old, a));
    Payload info{};
    EXPECT_FALSE(link.CmdGetInfo(info));
    EXPECT_FALSE(link.Connected);
    link.Close();
    EXPECT_EQ(bus.openHandles(), 0);
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    EXPECT_TRUE(link.CmdGetInfo(info));
}

TEST(SimBus, ForeignDevicesHaveNoFeatureReportAndBadReportIdsFail)
{
    FakeClock clock;
    SimHidPlatform bus{clock};
    bus.addForeignDevice(0x046D, 0xC077);
    bus.addTool(SimScenario::New);
    const std::vector<HidInterfaceInfo> list = bus.enumerate();
    ASSERT_EQ(list.size(), 2u);
    const auto foreign = bus.open(list[0].path);
    HidReportBytes report{};
    EXPECT_TRUE(bus.writeOutputReport(foreign, report));
    EXPECT_FALSE(bus.getFeatureReport(foreign, report));

    const auto tool = bus.open(list[1].path);
    report[0] = 1;  // the tool has report id 0 only
    EXPECT_FALSE(bus.writeOutputReport(tool, report));
    EXPECT_FALSE(bus.getFeatureReport(tool, report));
    EXPECT_EQ(bus.open("no such path"), HidPlatform::InvalidHandle);
    HidAttributes a;
    EXPECT_FALSE(bus.getAttributes(HidPlatform::InvalidHandle, a));
}

}  // namespace
