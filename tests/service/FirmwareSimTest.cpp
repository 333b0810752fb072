// The download against the simulated tool in its bootloader: every page the tool programmed must
// equal the HEX image, and the restarted tool must run the new image.
#include "service/FirmwareDownload.h"
#include "sim/SimHidPlatform.h"
#include "tests/service/HexTestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// An image whose version text sits after the marker the tool looks for.
HexWriter imageWithVersion(std::uint32_t end, const std::string& version)
{
    HexWriter hex;
    hex.pattern(0x3000, 0x80);
    std::string marker = "FWV=" + version;
    std::vector<std::uint8_t> bytes(marker.begin(), marker.end());
    bytes.push_back(0);
    hex.data(0x3080, bytes);
    const std::uint32_t after = 0x3080 + static_cast<std::uint32_t>(bytes.size());
    if (end > after)
        hex.pattern(after, end - after);
    return hex.endOfFile();
}

class FirmwareOverSim : public ::testing::Test {
protected:
    FakeClock clock;
    SimHidPlatform bus{clock};
    SimulatedTool& tool = bus.addTool(SimScenario::New);
    TUsbHidInterface link{bus, clock};
    QTemporaryDir dir;
    QStringList log;

    void SetUp() override
    {
        tool.enterBootloader();
        ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
        tool.clearReceived();
    }

    QString writeHex(const HexWriter& hex)
    {
        const QString path = dir.filePath("App.hex");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(hex.bytes());
        return path;
    }

    bool download(const QString& path, HexImage& image)
    {
        return DownloadFirmware(link, clock, path, dir.path(), image, [this](const QString& l) { log << l; });
    }

    // Every programmed page against the image the loader made of the file.
    void expectFlashEqualsImage(const HexImage& image)
    {
        std::vector<int> programmed;
        for (const auto& [page, bytes] : tool.flashPages()) {
            programmed.push_back(page);
            const std::uint32_t base = static_cast<std::uint32_t>(page) * 1024;
            ASSERT_LE(base + 1024, image.ImageBuffer.size());
            EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image.ImageBuffer.begin() + base)) << "page " << page;
        }
        EXPECT_EQ(programmed, image.flashPages());
    }
};

}  // namespace

TEST_F(FirmwareOverSim, ProgrammedPagesEqualTheImageAndTheToolRunsIt)
{
    const std::string before = tool.firmwareVersion;
    ASSERT_NE(before, "V9.87");
    HexImage image;
    ASSERT_TRUE(download(writeHex(imageWithVersion(0x3000 + 2000, "V9.87")), image));

    expectFlashEqualsImage(image);
    // Beyond the data the tool received erased flash, as an untouched page would hold.
    const auto& last = tool.flashPages().at(14);
    EXPECT_TRUE(std::all_of(last.begin(), last.end(), [](std::uint8_t b) { return b == 0xFF; }));

    EXPECT_EQ(tool.firmwareVersion, "V9.87");
    EXPECT_FALSE(tool.bootloaderMode());
    // The tool restarts after the finish request and comes back with the new image.
    EXPECT_FALSE(tool.present());
    clock.advanceMs(SimRestartMs);
    ASSERT_TRUE(tool.present());
    link.Close();
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    QString firmware, bootloader;
    ASSERT_TRUE(link.ReadVersions(firmware, bootloader));
    EXPECT_EQ(firmware, "V9.87");
}

TEST_F(FirmwareOverSim, LargestImageIs1617ExchangesAndTheFinishWrite)
{
    HexImage image;
    ASSERT_TRUE(download(writeHex(imageWithVersion(0x10000, "V10.0")), image));
    expectFlashEqualsImage(image);
    ASSERT_EQ(tool.flashPages().size(), 49u);
    EXPECT_EQ(tool.flashPages().rbegin()->first, 60);

    const std::vector<std::uint8_t> codes = tool.receivedCodes();
    EXPECT_EQ(codes.size(), 1618u);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0x40), 49 * 32);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 0x41), 49);
    EXPECT_EQ(codes.back(), 0x51);
    EXPECT_TRUE(log.filter("not sent").size() == 1);
}

TEST_F(FirmwareOverSim, DataBelowTheApplicationGoToTheDumpButNeverToTheTool)
{
    HexWriter hex;
    hex.pattern(0x0000, 0x400, 0x55).pattern(0x3000, 0x400).endOfFile();
    HexImage image;
    ASSERT_TRUE(download(writeHex(hex), image));
    for (const auto& [page, bytes] : tool.flashPages())
        EXPECT_GE(page, 12);
    expectFlashEqualsImage(image);

    QFile dump(dir.filePath("debugout.bin"));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QByteArray bytes = dump.readAll();
    ASSERT_EQ(bytes.size(), 0x3400);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[0x10]), HexWriter::patternByte(0x10, 0x55));
}

TEST_F(FirmwareOverSim, ToolLostMidDownloadFailsAtThatRequest)
{
    tool.injectFailure(SimFailure::Unplug, 0, 40);  // 40 more exchanges, then the tool is gone
    HexImage image;
    EXPECT_FALSE(download(writeHex(imageWithVersion(0x3000 + 4096, "V1.1")), image));
    EXPECT_FALSE(link.Connected);
    EXPECT_EQ(tool.flashPages().size(), 1u);  // page 12 was programmed, page 13 never
    EXPECT_NE(tool.firmwareVersion, "V1.1");
    EXPECT_TRUE(log.filter("Execution time").isEmpty());
    EXPECT_FALSE(log.back().startsWith("\t"));  // the system's error text ends the log
}
