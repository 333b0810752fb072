// Firmware download into the simulated tool: blocks into the page buffer, pages into flash, and the
// restart with the new image that takes the tool off the bus for a moment.
#include "tests/sim/SimFixture.h"

#include <cstring>

namespace {

struct FirmwareTest : SimFixture {
    // Loads one 1 KB page through 32 blocks and programs it as flash page `page`.
    bool programPage(int page, const SimFlashPage& bytes)
    {
        for (int block = 0; block < 32; ++block) {
            Payload p{};
            p[0] = 0x40;
            p[1] = static_cast<std::uint8_t>(block);
            std::memcpy(p.data() + 2, bytes.data() + block * 32, 32);
            if (!link.Exchange(p))
                return false;
        }
        Payload prog{};
        prog[0] = 0x41;
        prog[1] = static_cast<std::uint8_t>(page);
        return link.Exchange(prog);
    }

    bool finish()
    {
        Payload p{};
        p[0] = 0x51;
        return link.WriteRequest(p);
    }

    static SimFlashPage pageWith(std::size_t at, std::string_view text)
    {
        SimFlashPage page;
        page.fill(0xFF);
        std::memcpy(page.data() + at, text.data(), text.size());
        return page;
    }
};

TEST_F(FirmwareTest, BlocksFillThePageBufferAndProgrammingCopiesItToFlash)
{
    SimFlashPage page;
    for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(programPage(12, page));
    EXPECT_EQ(tool.pageBuffer(), page);
    ASSERT_EQ(tool.flashPages().count(12), 1u);
    EXPECT_EQ(tool.flashPages().at(12), page);
}

TEST_F(FirmwareTest, TheBootloaderAndOutOfRangeRequestsAreRefused)
{
    const std::pair<std::uint8_t, std::uint8_t> refused[] = {
        {0x41, 11},  // would overwrite the bootloader
        {0x41, 64},  // beyond the flash
        {0x40, 32},  // block index beyond the page
    };
    for (auto [code, arg] : refused) {
        Payload p{};
        p[0] = code;
        p[1] = arg;
        EXPECT_FALSE(link.Exchange(p)) << int(code) << "/" << int(arg);
    }
    EXPECT_TRUE(tool.flashPages().empty());
}

TEST_F(FirmwareTest, RestartLeavesTheBusThenComesBackWithTheNewVersion)
{
    tool.firmwareVersion = "V2.14";
    // The marker may sit anywhere, even across the boundary of two pages.
    SimFlashPage a = pageWith(1020, "FWV=");
    SimFlashPage b = pageWith(0, std::string_view("V2.15 (07.2026)\0", 16));
    ASSERT_TRUE(programPage(30, a));
    ASSERT_TRUE(programPage(31, b));
    ASSERT_TRUE(finish());

    EXPECT_FALSE(tool.present());
    EXPECT_TRUE(bus.enumerate().empty());
    Payload info{};
    info[0] = 0x01;
    EXPECT_FALSE(link.Exchange(info));
    EXPECT_FALSE(link.Connected);

    clock.advanceMs(SimRestartMs - 1);
    EXPECT_FALSE(tool.present());
    clock.advanceMs(1);
    EXPECT_TRUE(tool.present());

    // The handle of before the restart is dead; a fresh open talks to the new image.
    Payload again{};
    again[0] = 0x01;
    EXPECT_FALSE(link.Exchange(again));
    link.Close();
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    QString fw, bl;
    ASSERT_TRUE(link.ReadVersions(fw, bl));
    EXPECT_EQ(fw, "V2.15 (07.2026)");
}

TEST_F(FirmwareTest, AnImageWithoutMarkerKeepsTheVersion)
{
    tool.firmwareVersion = "V2.14";
    ASSERT_TRUE(programPage(12, pageWith(0, "no version here")));
    ASSERT_TRUE(finish());
    EXPECT_EQ(tool.firmwareVersion, "V2.14");
}

TEST_F(FirmwareTest, BootloaderAnswersOnlyVersionsAndTheDownload)
{
    tool.enterBootloader();
    EXPECT_TRUE(tool.bootloaderMode());
    link.Close();
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));

    Payload info{};
    info[0] = 0x01;
    EXPECT_FALSE(link.Exchange(info));
    EXPECT_TRUE(link.Connected);
    QString fw, bl;
    EXPECT_TRUE(link.ReadVersions(fw, bl));
    ASSERT_TRUE(programPage(12, pageWith(0, std::string_view("FWV=V3.00\0", 10))));
    ASSERT_TRUE(finish());
    EXPECT_FALSE(tool.bootloaderMode());
    EXPECT_EQ(tool.firmwareVersion, "V3.00");
}

TEST_F(FirmwareTest, EnteringTheBootloaderKillsOpenHandles)
{
    tool.enterBootloader();
    Payload p{};
    p[0] = 0x03;
    EXPECT_FALSE(link.Exchange(p));
    EXPECT_FALSE(link.Connected);
}

}  // namespace
