// The HEX loader: which pages a file makes the download send, what the image holds where no
// record wrote, the log lines of a load, and damaged files failing instead of reading past the data.
#include "service/HexFile.h"
#include "tests/service/HexTestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct Loaded {
    bool ok = false;
    HexImage image;
    QStringList log;
};

Loaded load(const QByteArray& text)
{
    Loaded r;
    r.ok = LoadHexData(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.constData()),
                                                     static_cast<std::size_t>(text.size())),
                       r.image, [&r](const QString& line) { r.log << line; });
    return r;
}

int countLines(const QStringList& log, const QString& start)
{
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const QString& l) { return l.startsWith(start); }));
}

std::vector<int> range(int first, int last)
{
    std::vector<int> v;
    for (int p = first; p <= last; ++p)
        v.push_back(p);
    return v;
}

}  // namespace

TEST(HexFilePages, LastPageSentIsTheFirstOneStartingBeyondTheImage)
{
    struct Case {
        const char* name;
        std::uint32_t from, to;  // data bytes [from, to)
        std::uint32_t imageEnd;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"data end inside page 13", 0x3000, 0x3000 + 2000, 0x3000 + 2000, {12, 13, 14}},
        {"data end on a page boundary", 0x3000, 0x3000 + 2048, 0x3000 + 2048, {12, 13, 14, 15}},
        {"data end one byte past the boundary", 0x3000, 0x3000 + 2049, 0x3000 + 2052, {12, 13, 14, 15}},
        {"data up to the last sendable byte", 0x3000, 0xF400, 0xF400, range(12, 60)},
        {"data reaching 0xF400", 0x3000, 0xF401, 0xF404, range(12, 60)},
        {"data far beyond 0xF400", 0xE000, 0x12000, 0x12000, range(12, 60)},
        {"a single byte at the base", 0x3000, 0x3001, 0x3004, {12, 13}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded r = load(HexWriter().pattern(c.from, c.to - c.from).endOfFile().bytes());
        ASSERT_TRUE(r.ok) << r.log.join('\n').toStdString();
        EXPECT_EQ(r.image.ImageEnd, c.imageEnd);
        EXPECT_EQ(r.image.flashPages(), c.pages);
        // Every page that is sent comes from inside the buffer.
        EXPECT_GE(r.image.ImageBuffer.size(), FwFlash::ApplicationBase + c.pages.size() * FwFlash::PageSize);
    }
}

TEST(HexFilePages, ImageHoldsTheDataAndErasedFlashEverywhereElse)
{
    // Two islands with a gap, data below the application base, and an odd end that gets padded.
    const Loaded r = load(HexWriter()
                              .pattern(0x2FF0, 0x20)     // straddles the application base
                              .pattern(0x3100, 0x10, 3)  // after a gap
                              .pattern(0x3400, 0x05, 9)  // ends at 0x3405, padded to 0x3408
                              .endOfFile()
                              .bytes());
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.image.ImageEnd, 0x3408u);
    ASSERT_EQ(r.image.pageCount(), 3);

    for (int a = 0; a < r.image.pageCount(); ++a) {
        for (int i = 0; i < FwFlash::BlocksPerPage; ++i) {
            const auto blk = r.image.block(a, i);
            for (std::uint32_t k = 0; k < FwFlash::BlockSize; ++k) {
                const std::uint32_t address = FwFlash::ApplicationBase + a * FwFlash::PageSize + i * FwFlash::BlockSize + k;
                std::uint8_t expected = FwFlash::Erased;
                if (address < 0x3010)
                    expected = HexWriter::patternByte(address);
                else if (address >= 0x3100 && address < 0x3110)
                    expected = HexWriter::patternByte(address, 3);
                else if (address >= 0x3400 && address < 0x3405)
                    expected = HexWriter::patternByte(address, 9);
                ASSERT_EQ(blk[k], expected) << std::hex << "address 0x" << address;
            }
        }
    }
    // Below the base the image holds what the file said, padding included in the dump only up to the data.
    EXPECT_EQ(r.image.ImageBuffer[0x2FF0], HexWriter::patternByte(0x2FF0));
    EXPECT_EQ(r.image.ImageBuffer[0x2FEF], FwFlash::Erased);
    EXPECT_EQ(r.image.dumpBytes().size(), 0x3405u);
}

TEST(HexFileRecords, SegmentRecordsMoveTheBaseByTimesSixteen)
{
    const Loaded r = load(HexWriter()
                              .record(0x02, 0, {0x02, 0x00})  // base 0x2000
                              .record(0x00, 0x1000, {0xAB, 0xCD})
                              .record(0x02, 0, {0x00, 0x00})
                              .record(0x00, 0x3002, {0xEF})
                              .endOfFile()
                              .bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image.ImageBuffer[0x3000], 0xAB);
    EXPECT_EQ(r.image.ImageBuffer[0x3001], 0xCD);
    EXPECT_EQ(r.image.ImageBuffer[0x3002], 0xEF);
    EXPECT_EQ(r.image.ImageEnd, 0x3004u);
}

TEST(HexFileRecords, LinearAddressTypesAreLoggedOnceEachAndChangeNothing)
{
    const auto base = [] { return HexWriter().pattern(0x3000, 0x40); };
    const Loaded plain = load(base().endOfFile().bytes());
    const Loaded withTypes = load(base()
                                      .record(0x04, 0, {0x00, 0x01})
                                      .record(0x05, 0, {0x00, 0x00, 0x30, 0x00})
                                      .record(0x03, 0, {0x12, 0x34, 0x00, 0x00})  // ignored silently
                                      .record(0x06, 0, {})
                                      .pattern(0x3040, 0x40)
                                      .endOfFile()
                                      .bytes());
    ASSERT_TRUE(withTypes.ok);
    EXPECT_EQ(countLines(withTypes.log, "\tRecordType 04 not yet implemented"), 1);
    EXPECT_EQ(countLines(withTypes.log, "\tRecordType 05 not yet implemented"), 1);
    EXPECT_EQ(countLines(withTypes.log, "\tRecordType"), 2);
    // The 04 record did not move the following data to 0x13040.
    EXPECT_EQ(withTypes.image.ImageEnd, 0x3080u);
    EXPECT_EQ(withTypes.image.ImageBuffer[0x3040], HexWriter::patternByte(0x3040));
    EXPECT_EQ(plain.image.ImageEnd, 0x3040u);
}

TEST(HexFileRecords, EndOfDataEndsTheScanWithOrWithoutEndRecord)
{
    struct Case {
        const char* name;
        std::string tail;  // after one 16-byte record at 0x3000
        std::uint32_t imageEnd;
    };
    const Case cases[] = {
        {"end-of-file record", ":00000001FF\r\n", 0x3010},
        {"no end-of-file record", "", 0x3010},
        {"blank lines at the end", "\r\n\r\n\n", 0x3010},
        {"last record without a line feed", ":0130100011AE", 0x3014},
        {"last record with a cut checksum", ":0130100011A", 0x3014},
        {"records after the end record are not read", ":00000001FF\r\n:01301000zz\r\n", 0x3010},
        {"lone carriage returns between records", "\r:0130100011AE\r", 0x3014},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded r = load(HexWriter().pattern(0x3000, 16).raw(c.tail).bytes());
        ASSERT_TRUE(r.ok) << r.log.join('\n').toStdString();
        EXPECT_EQ(r.image.ImageEnd, c.imageEnd);
    }
}

TEST(HexFileLog, LinesOfAnUnalignedLoadInOrder)
{
    const Loaded r = load(HexWriter().pattern(0x3000, 0x7D1).endOfFile().bytes());
    ASSERT_TRUE(r.ok);
    const QStringList expected = {
        "\tFirmware size: 2001 Bytes",
        "\tWarning: data not aligned to 32 bits, padded (length was 37D1, now 37D4)",
    };
    EXPECT_EQ(r.log, expected);
}

TEST(HexFileLog, SizeCountsFromTheApplicationBaseAndAlignedImagesGetNoWarning)
{
    struct Case {
        const char* name;
        QByteArray text;
        QStringList log;
    };
    const Case cases[] = {
        {"aligned image", HexWriter().pattern(0x3000, 0x800).bytes(), {"\tFirmware size: 2048 Bytes"}},
        {"data below the base as well", HexWriter().pattern(0x0000, 0x100).pattern(0x3000, 0x10).bytes(),
         {"\tFirmware size: 16 Bytes"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded r = load(c.text);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.log, c.log);
    }
}

TEST(HexFileLog, WrongChecksumsAreNamedByLineAndTheDataStillLoad)
{
    const Loaded r = load(HexWriter()
                              .pattern(0x3000, 16)
                              .record(0x00, 0x3010, {0x11, 0x22}, 1)  // line 2
                              .pattern(0x3012, 2)
                              .raw("\r\n")                            // an empty line 4
                              .record(0x00, 0x3014, {0x33}, -5)       // line 5
                              .endOfFile()
                              .bytes());
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.log.filter("checksum"),
              QStringList({"\tWarning: checksum error in line 2", "\tWarning: checksum error in line 5"}));
    EXPECT_EQ(r.image.ImageBuffer[0x3010], 0x11);
    EXPECT_EQ(r.image.ImageBuffer[0x3014], 0x33);
}

TEST(HexFileLog, DataBeyondTheSendableRangeGetOneWarning)
{
    const Loaded beyond = load(HexWriter().pattern(0xF000, 0x2000).endOfFile().bytes());
    ASSERT_TRUE(beyond.ok);
    EXPECT_EQ(beyond.log.filter("not sent"), QStringList({"\tWarning: data beyond F3FF not sent (image ends at 11000)"}));
    EXPECT_EQ(beyond.image.ImageBuffer[0x10FFF], HexWriter::patternByte(0x10FFF));

    const Loaded upTo = load(HexWriter().pattern(0xF000, 0x400).endOfFile().bytes());
    ASSERT_TRUE(upTo.ok);
    EXPECT_TRUE(upTo.log.filter("not sent").isEmpty());
}

TEST(HexFileFaults, DamagedRecordsFailWithTheirReason)
{
    const std::string good = HexWriter().pattern(0x3000, 16).text();
    struct Case {
        const char* name;
        std::string text;
        QString lastLine;
    };
    const Case cases[] = {
        {"letter in the data", good + ":02301000G1FF00\r\n", "Wrong Hex-Nibble G (47)"},
        {"space in the address", good + ":0230 00011FF00\r\n", "Wrong Hex-Nibble   (20)"},
        {"control byte in the count", good + ":\x01" "2301000\r\n", "Wrong Hex-Nibble ? (01)"},
        {"line feed inside a record", good + ":02301\n", "\tRecord in line 2 cut short by the end of the line"},
        {"carriage return inside the data", good + ":02301000AA\r:0130100011AE\r",
         "\tRecord in line 2 cut short by the end of the line"},
        {"data shorter than the count", good + "\r\n:10301000AABB\r\n", "\tRecord in line 3 cut short by the end of the line"},
        {"byte above 0x7F", good + ":0\xE4\r\n", "Wrong Hex-Nibble ? (E4)"},
        {"no colon", good + "X0130100011AE\r\n", "\tMissing start of record (':') wrong byte X / 58"},
        {"leading blank", " :0130100011AE\r\n", "\tMissing start of record (':') wrong byte   / 20"},
        {"header cut by the end", good + ":1030", "\tRecord in line 2 cut short by the end of the file"},
        {"data cut by the end", good + ":10301000AABB", "\tRecord in line 2 cut short by the end of the file"},
        {"colon alone at the end", good + "\r\n:", "\tRecord in line 3 cut short by the end of the file"},
        {"segment record with four bytes", good + ":0400000210000300E7\r\n" + HexWriter().pattern(0x3010, 16).text(),
         "\tAddress record (type 02) in line 2 holds 4 data bytes instead of 2"},
        {"segment record with three bytes", HexWriter().record(0x02, 0, {0xFF, 0xFF, 0xFF}).record(0x00, 0, {1}).text(),
         "\tAddress record (type 02) in line 1 holds 3 data bytes instead of 2"},
        {"empty segment record", good + HexWriter().record(0x02, 0, {}).text(),
         "\tAddress record (type 02) in line 2 holds 0 data bytes instead of 2"},
        {"linear address record with one byte", good + HexWriter().record(0x04, 0, {0x01}).text(),
         "\tAddress record (type 04) in line 2 holds 1 data bytes instead of 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded r = load(QByteArray::fromStdString(c.text));
        EXPECT_FALSE(r.ok);
        ASSERT_FALSE(r.log.isEmpty());
        EXPECT_EQ(r.log.back(), c.lastLine);
        EXPECT_EQ(countLines(r.log, "\tFirmware size"), 0);
    }
}

TEST(HexFileFaults, FilesWithoutDataForTheApplicationAreaFail)
{
    // Each of these used to "load" and make the download program erased pages from page 12 on.
    struct Case {
        const char* name;
        QByteArray text;
    };
    const Case cases[] = {
        {"empty file", ""},
        {"blank lines only", "\r\n\r\n\n\r"},
        {"only an end record", ":00000001FF\r\n"},
        {"only address records", HexWriter().record(0x02, 0, {0x01, 0x00}).record(0x04, 0, {0, 0}).endOfFile().bytes()},
        {"empty data record at the base", HexWriter().record(0x00, 0x3000, {}).endOfFile().bytes()},
        {"data only below the application", HexWriter().pattern(0x1000, 0x2000).endOfFile().bytes()},
        {"data only beyond the sendable range", HexWriter().pattern(0xF400, 0x100).endOfFile().bytes()},
        {"data after the end record", HexWriter().endOfFile().pattern(0x3000, 16).bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded r = load(c.text);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.log.value(r.log.size() - 1), "\tNo data record for the application area (3000 to F3FF)");
        EXPECT_EQ(countLines(r.log, "\tFirmware size"), 0);
    }
    // One byte at either end of the area is enough.
    EXPECT_TRUE(load(HexWriter().pattern(0x2FFF, 2).bytes()).ok);
    EXPECT_TRUE(load(HexWriter().pattern(0xF3FF, 2).bytes()).ok);
}

TEST(HexFileRecords, CarriageReturnsAloneEndLinesLikeLineFeeds)
{
    // A file with lone CRs used to load only its first record: the rest of it was one long line.
    for (const std::string eol : {"\r", "\n", "\r\n"}) {
        SCOPED_TRACE(testing::PrintToString(eol));
        const Loaded r = load(HexWriter()
                                  .lineEnd(eol)
                                  .pattern(0x3000, 16)
                                  .record(0x00, 0x3010, {0x11, 0x22}, 1)  // line 2
                                  .raw(eol)                               // an empty line 3
                                  .pattern(0x3012, 0x30)
                                  .endOfFile()
                                  .bytes());
        ASSERT_TRUE(r.ok) << r.log.join('\n').toStdString();
        EXPECT_EQ(r.image.DataEnd, 0x3042u);
        EXPECT_EQ(r.image.ImageBuffer[0x3041], HexWriter::patternByte(0x3041));
        EXPECT_EQ(r.log.filter("checksum"), QStringList({"\tWarning: checksum error in line 2"}));
    }
}

TEST(HexRecordScan, DeliversEveryRecordAsItStandsUpToTheEndRecord)
{
    struct Seen {
        int line;
        std::uint8_t type;
        std::uint16_t address;
        std::vector<std::uint8_t> data;
        bool checksumOk;
        bool operator==(const Seen&) const = default;
    };
    const QByteArray text = HexWriter()
                                .record(0x04, 0, {0x08, 0x01})  // a full 32-bit base, as image libraries use it
                                .record(0x00, 0xFFF0, {1, 2, 3}, 2)
                                .raw("\r\n")
                                .record(0x05, 0, {0x08, 0x01, 0x00, 0x00})
                                .endOfFile()
                                .record(0x00, 0, {9})
                                .bytes();
    std::vector<Seen> seen;
    QStringList log;
    const bool ok = scanHexRecords(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.constData()), static_cast<std::size_t>(text.size())),
        [&](const HexRecord& r) {
            seen.push_back({r.line, r.type, r.address, {r.data.begin(), r.data.end()}, r.checksumOk});
            return true;
        },
        [&](const QString& l) { log << l; });
    ASSERT_TRUE(ok);
    EXPECT_TRUE(log.isEmpty());  // what a record means, and whether a bad checksum matters, is the caller's
    const std::vector<Seen> expected = {
        {1, 0x04, 0x0000, {0x08, 0x01}, true},
        {2, 0x00, 0xFFF0, {1, 2, 3}, false},
        {4, 0x05, 0x0000, {0x08, 0x01, 0x00, 0x00}, true},
        {5, 0x01, 0x0000, {}, true},
    };
    EXPECT_EQ(seen, expected);

    // A sink that refuses a record fails the scan there.
    int calls = 0;
    EXPECT_FALSE(scanHexRecords(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.constData()), static_cast<std::size_t>(text.size())),
        [&](const HexRecord&) { return ++calls < 2; }, {}));
    EXPECT_EQ(calls, 2);
}

TEST(HexFileFaults, HighestSegmentStaysWithinTheAddressLimit)
{
    // Segment 0xFFFF, offset 0xFFF0: the top of what segment addressing can reach still loads.
    const Loaded r = load(HexWriter()
                              .pattern(0x3000, 16)
                              .record(0x02, 0, {0xFF, 0xFF})
                              .record(0x00, 0xFFF0, std::vector<std::uint8_t>(255, 0x5A))
                              .bytes());
    ASSERT_TRUE(r.ok) << r.log.join('\n').toStdString();
    EXPECT_EQ(r.image.DataEnd, 0xFFFF0u + 0xFFF0u + 255u);
    EXPECT_EQ(r.image.ImageBuffer[r.image.DataEnd - 1], 0x5A);
    EXPECT_EQ(r.image.pageCount(), FwFlash::MaxPages);
}

class HexFileOnDisk : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QStringList log;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    bool loadFile(const QString& path, HexImage& image)
    {
        return LoadHexFile(path, dir.path(), image, [this](const QString& l) { log << l; });
    }
    QByteArray dump() const
    {
        QFile f(QDir(dir.path()).filePath("debugout.bin"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

TEST_F(HexFileOnDisk, DumpHoldsTheImageFromZeroToTheUnroundedEnd)
{
    const QString path = write("app.hex", HexWriter().pattern(0x0100, 4).pattern(0x3000, 0x11).endOfFile().bytes());
    HexImage image;
    ASSERT_TRUE(loadFile(path, image));
    EXPECT_EQ(log.value(0), "\tFile " + path + " loaded ok");
    EXPECT_EQ(log.value(1), "\tFirmware size: 17 Bytes");

    const QByteArray bin = dump();
    ASSERT_EQ(bin.size(), 0x3011);
    EXPECT_EQ(static_cast<std::uint8_t>(bin[0x00FF]), FwFlash::Erased);
    EXPECT_EQ(static_cast<std::uint8_t>(bin[0x0100]), HexWriter::patternByte(0x0100));
    EXPECT_EQ(static_cast<std::uint8_t>(bin[0x2000]), FwFlash::Erased);
    EXPECT_EQ(static_cast<std::uint8_t>(bin[0x3010]), HexWriter::patternByte(0x3010));
}

TEST_F(HexFileOnDisk, UnreadableFileFailsWithItsName)
{
    HexImage image;
    const QString missing = dir.filePath("missing.hex");
    EXPECT_FALSE(loadFile(missing, image));
    EXPECT_EQ(log, QStringList({"Can't open " + missing}));
    EXPECT_EQ(dump(), "<missing>");

    log.clear();
    EXPECT_FALSE(loadFile(dir.path(), image));  // a folder is not a file
    EXPECT_EQ(log.size(), 1);
}

TEST_F(HexFileOnDisk, DamagedOrEmptyFileWritesNoDump)
{
    HexImage image;
    EXPECT_FALSE(loadFile(write("bad.hex", ":0130000G11\r\n"), image));
    EXPECT_EQ(log.back(), "Wrong Hex-Nibble G (47)");
    EXPECT_EQ(dump(), "<missing>");

    EXPECT_FALSE(loadFile(write("empty.hex", {}), image));
    EXPECT_EQ(log.back(), "\tNo data record for the application area (3000 to F3FF)");
    EXPECT_EQ(dump(), "<missing>");
}
