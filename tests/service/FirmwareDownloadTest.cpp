// The download over the link: the exact bytes of every request, how many go out, what a failed
// exchange does to the run, and the lines the update log receives.
#include "service/FirmwareDownload.h"
#include "service/UpdateLog.h"
#include "tests/service/FirmwareEchoTool.h"
#include "tests/service/HexTestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

namespace {

HexImage imageOf(const HexWriter& hex)
{
    HexImage image;
    const QByteArray text = hex.bytes();
    EXPECT_TRUE(LoadHexData(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.constData()),
                                                          static_cast<std::size_t>(text.size())),
                            image, {}));
    return image;
}

class FirmwareDownload : public ::testing::Test {
protected:
    FakeClock clock;
    FirmwareEchoTool tool{&clock};
    TUsbHidInterface link{tool, clock};
    QStringList log;
    FwLogSink sink = [this](const QString& l) { log << l; };

    void SetUp() override { ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0)); }
};

}  // namespace

TEST_F(FirmwareDownload, RequestBytesCarryBlockIndexImageBytesAndPageNumber)
{
    // Data end at 0x3000 + 2000: pages 12, 13 and 14, the last one entirely erased flash.
    const HexImage image = imageOf(HexWriter().pattern(0x3000, 2000).endOfFile());
    ASSERT_TRUE(SendFirmwareImage(link, clock, image, sink));

    ASSERT_EQ(tool.written.size(), 3u * 33u + 1u);
    std::size_t w = 0;
    for (int a = 0; a < 3; ++a) {
        for (int i = 0; i < 32; ++i, ++w) {
            const Payload& p = tool.written[w];
            ASSERT_EQ(p[0], 0x40) << "request " << w;
            EXPECT_EQ(p[1], i);
            for (int k = 0; k < 32; ++k) {
                const std::uint32_t address = 0x3000 + a * 1024 + i * 32 + k;
                const std::uint8_t expected = address < 0x3000 + 2000 ? HexWriter::patternByte(address) : 0xFF;
                ASSERT_EQ(p[2 + k], expected) << std::hex << "address 0x" << address;
            }
            for (std::size_t k = 34; k < 64; ++k)
                ASSERT_EQ(p[k], 0) << "unused byte " << k << " of request " << w;
        }
        Payload program{};
        program[0] = 0x41;
        program[1] = static_cast<std::uint8_t>(12 + a);
        EXPECT_EQ(tool.written[w++], program);
    }
    Payload finish{};
    finish[0] = 0x51;
    EXPECT_EQ(tool.written[w], finish);
}

TEST_F(FirmwareDownload, FullImageTakes49PagesOf33ExchangesAndOneWrite)
{
    const HexImage image = imageOf(HexWriter().pattern(0x3000, 0xF800 - 0x3000).endOfFile());
    std::vector<int> positions;
    std::vector<int> pagesDone;
    DownloadObserver observer;
    observer.pageStarting = [&](int position, int flashPage) {
        positions.push_back(position);
        EXPECT_EQ(flashPage, position + 11);
    };
    observer.pageDone = [&](int flashPage, bool ok) {
        EXPECT_TRUE(ok);
        pagesDone.push_back(flashPage);
    };
    ASSERT_TRUE(SendFirmwareImage(link, clock, image, sink, observer));

    // 49 x 33 = 1617 exchanges, then the one finish write.
    EXPECT_EQ(tool.requests(Cmd::FwLoadBlock).size() + tool.requests(Cmd::FwProgramPage).size(), 1617u);
    EXPECT_EQ(tool.written.size(), 1618u);
    const auto programs = tool.requests(Cmd::FwProgramPage);
    ASSERT_EQ(programs.size(), 49u);
    EXPECT_EQ(programs.front()[1], 12);
    EXPECT_EQ(programs.back()[1], 60);
    EXPECT_EQ(tool.requests(Cmd::FwFinish).size(), 1u);
    EXPECT_EQ(positions.size(), 49u);
    EXPECT_EQ(positions.back(), 49);
    EXPECT_EQ(pagesDone, image.flashPages());
    // The last block sent is the one just below 0xF400, nothing of the data beyond.
    const Payload& lastBlock = tool.written[1618 - 3];
    EXPECT_EQ(lastBlock[1], 31);
    EXPECT_EQ(lastBlock[2 + 31], HexWriter::patternByte(0xF3FF));
}

TEST_F(FirmwareDownload, FailedExchangeStopsAtThatRequestAndLogsTheSystemError)
{
    struct Case {
        const char* name;
        FirmwareEchoTool::Fault fault;
        int at;  // index of the failing request
        int failedPage;
        bool connectedAfter;
    };
    const Case cases[] = {
        {"tool gone at a block of page 13", FirmwareEchoTool::Fault::WriteFails, 33 + 5, 13, false},
        {"error reply to the program request of page 12", FirmwareEchoTool::Fault::ErrorReply, 32, 12, true},
        {"error reply to the first block", FirmwareEchoTool::Fault::ErrorReply, 0, 12, true},
    };
    const HexImage image = imageOf(HexWriter().pattern(0x3000, 0x1000).endOfFile());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tool.written.clear();
        log.clear();
        link.Close();
        ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
        tool.fault = c.fault;
        tool.faultAt = c.at;
        std::vector<std::pair<int, bool>> done;
        DownloadObserver observer;
        observer.pageDone = [&](int page, bool ok) { done.emplace_back(page, ok); };
        errno = EIO;

        EXPECT_FALSE(SendFirmwareImage(link, clock, image, sink, observer));
        EXPECT_EQ(tool.written.size(), static_cast<std::size_t>(c.at + 1));  // nothing after the failure
        EXPECT_TRUE(tool.requests(Cmd::FwFinish).empty());
        ASSERT_FALSE(done.empty());
        EXPECT_EQ(done.back(), std::make_pair(c.failedPage, false));
        EXPECT_EQ(log, QStringList({QString::fromLocal8Bit(std::strerror(EIO))}));
        EXPECT_EQ(link.Connected, c.connectedAfter);
    }
}

TEST_F(FirmwareDownload, FailedFinishWriteIsLoggedButTheDownloadSucceeds)
{
    const HexImage image = imageOf(HexWriter().pattern(0x3000, 16).endOfFile());
    tool.fault = FirmwareEchoTool::Fault::WriteFails;
    tool.faultAt = 2 * 33;  // pages 12 and 13, then the finish request
    EXPECT_TRUE(SendFirmwareImage(link, clock, image, sink));
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].startsWith("\tExecution time "));
    EXPECT_EQ(log[1], QString::fromLocal8Bit(std::strerror(EIO)));
}

TEST_F(FirmwareDownload, DownloadOfAFileWritesTheWholeLogInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("App.hex");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(HexWriter().pattern(0x3000, 0x7D1).endOfFile().bytes());
    }
    UpdateLog updateLog;
    ASSERT_TRUE(updateLog.open(dir.path()));
    HexImage image;
    ASSERT_TRUE(DownloadFirmware(link, clock, path, dir.path(), image, updateLog.sink()));
    updateLog.close();

    QFile f(QDir(dir.path()).filePath("fwupd.log"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // Three pages of 33 exchanges at 1 ms of fake time each.
    const QByteArray expected = "Flash Application " + path.toUtf8() + "\n"
                                "\tFile " + path.toUtf8() + " loaded ok\n"
                                "\tFirmware size: 2001 Bytes\n"
                                "\tWarning: data not aligned to 32 bits, padded (length was 37D1, now 37D4)\n"
                                "\tExecution time 99ms\n";
    EXPECT_EQ(f.readAll(), expected);
    EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath("debugout.bin")));
}

TEST_F(FirmwareDownload, FileThatDoesNotLoadSendsNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.hex");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(HexWriter().pattern(0x3000, 64).raw(":10301000zz\r\n").bytes());
    }
    bool started = false;
    DownloadObserver observer;
    observer.started = [&] { started = true; };
    HexImage image;
    EXPECT_FALSE(DownloadFirmware(link, clock, path, dir.path(), image, sink, observer));
    EXPECT_TRUE(tool.written.empty());
    EXPECT_FALSE(started);
    EXPECT_EQ(log.back(), "Wrong Hex-Nibble z (7A)");

    // An empty file programs nothing (it used to send page 12 full of erased flash).
    {
        QFile f(dir.filePath("empty.hex"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_FALSE(DownloadFirmware(link, clock, dir.filePath("empty.hex"), dir.path(), image, sink, observer));
    EXPECT_TRUE(tool.written.empty());
    EXPECT_FALSE(started);

    log.clear();
    EXPECT_FALSE(DownloadFirmware(link, clock, dir.filePath("none.hex"), dir.path(), image, sink, observer));
    EXPECT_EQ(log, QStringList({"Flash Application " + dir.filePath("none.hex"), "Can't open " + dir.filePath("none.hex")}));
    EXPECT_TRUE(tool.written.empty());
}

TEST(UpdateLogFile, EachRunStartsTheLogAnewAndAMissingFolderMeansNoLog)
{
    QTemporaryDir dir;
    {
        UpdateLog first;
        ASSERT_TRUE(first.open(dir.path()));
        first.LogLine("old run");
    }
    UpdateLog second;
    ASSERT_TRUE(second.open(dir.path()));
    second.LogLine("new run");
    second.close();
    QFile f(QDir(dir.path()).filePath("fwupd.log"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "new run\n");

    UpdateLog none;
    EXPECT_FALSE(none.open(dir.filePath("no/such/folder")));
    none.LogLine("dropped");  // no log, no crash
    EXPECT_FALSE(none.isOpen());
}
