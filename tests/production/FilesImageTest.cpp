// The image library: HEX files into elements at full 32-bit addresses, the handle rules of its
// entry points, and what the element calls copy.
#include "production/files/FILES.h"
#include "sim/SimSampleImages.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <string>

namespace {

struct Loaded {
    unsigned status = 0;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> elements;
};

class FilesTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    std::string write(const std::string& text, const char* name = "image.hex")
    {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
        return path.toStdString();
    }

    Loaded load(const std::string& text)
    {
        Loaded out;
        FILES_Handle image = nullptr;
        out.status = FILES_ImageFromFile(write(text).c_str(), &image, FILES_FORMAT_HEX);
        if (out.status != FILES_OK)
            return out;
        unsigned count = 0;
        EXPECT_EQ(FILES_GetImageNbElement(image, &count), FILES_OK);
        for (unsigned i = 0; i < count; ++i) {
            FILES_ImageElement e{};
            EXPECT_EQ(FILES_GetImageElement(image, i, &e), FILES_OK);
            std::vector<std::uint8_t> data(e.Length);
            e.Data = data.data();
            EXPECT_EQ(FILES_GetImageElement(image, i, &e), FILES_OK);
            out.elements.emplace_back(e.Address, data);
        }
        EXPECT_EQ(FILES_DestroyImage(image), FILES_OK);
        return out;
    }
};

std::vector<std::uint8_t> bytes(std::size_t n, std::uint8_t first = 0)
{
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(first + i);
    return v;
}

std::string hex(std::vector<SimImageBlock> blocks, bool linear = true)
{
    return SimIntelHex(blocks, linear);
}

TEST_F(FilesTest, ElementsSitAtFullAddressesInAscendingOrder)
{
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::pair<std::uint32_t, std::size_t>> elements;  // address, length
    };
    const std::vector<Case> cases = {
        {"linear, contiguous records are one element", hex({{0x08000000, bytes(40)}}), {{0x08000000, 40}}},
        {"linear, a gap makes two", hex({{0x08000000, bytes(16)}, {0x08000400, bytes(8)}}),
         {{0x08000000, 16}, {0x08000400, 8}}},
        {"file order does not matter", hex({{0x08010000, bytes(4)}, {0x08000000, bytes(4)}}),
         {{0x08000000, 4}, {0x08010000, 4}}},
        {"across a 64 KB boundary", hex({{0x0800FFF8, bytes(16)}}), {{0x0800FFF8, 16}}},
        {"segment records", hex({{0x00012340, bytes(20)}}, false), {{0x00012340, 20}}},
        // Segment 0x1000, offset 0xFFF8, 16 bytes: the offset wraps to the segment's start.
        {"segment offsets wrap", ":020000021000EC\r\n:10FFF800000102030405060708090A0B0C0D0E0F81\r\n:00000001FF\r\n",
         {{0x00010000, 8}, {0x0001FFF8, 8}}},
        {"nothing but the end", ":00000001FF\r\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded l = load(c.text);
        ASSERT_EQ(l.status, FILES_OK);
        ASSERT_EQ(l.elements.size(), c.elements.size());
        for (std::size_t i = 0; i < c.elements.size(); ++i) {
            EXPECT_EQ(l.elements[i].first, c.elements[i].first);
            EXPECT_EQ(l.elements[i].second.size(), c.elements[i].second);
        }
    }
    const Loaded wrapped = load(cases[5].text);
    EXPECT_EQ(wrapped.elements[0].second, bytes(8, 8)) << "the wrapped half holds the record's last bytes";
}

TEST_F(FilesTest, DamagedOrConflictingFilesAreRefused)
{
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"wrong checksum", ":0400000001020304F0\r\n:00000001FF\r\n"},
        {"address record of one byte", ":01000004" "08F3\r\n:00000001FF\r\n"},
        {"overlapping data", ":0400000001020304F2\r\n:0400020001020304F0\r\n:00000001FF\r\n"},
        {"data past 4 GB", ":02000004FFFFFC\r\n:08FFFC000102030405060708D9\r\n:00000001FF\r\n"},
        {"not a HEX file", "\x7F" "ELF\x02\x01"},
        {"record cut short", ":0400000001\r\n"},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(load(text).status, FILES_ERR_FORMAT);
    }
}

TEST_F(FilesTest, PathsThatAreNoReadableFile)
{
    FILES_Handle image = nullptr;
    EXPECT_EQ(FILES_ImageFromFile(dir.filePath("missing.hex").toUtf8().constData(), &image, FILES_FORMAT_HEX),
              FILES_ERR_NOT_FOUND);
    EXPECT_EQ(FILES_ImageFromFile(dir.path().toUtf8().constData(), &image, FILES_FORMAT_HEX), FILES_ERR_NOT_FOUND);
    EXPECT_EQ(image, nullptr);
    const std::string path = write(":00000001FF\r\n");
    EXPECT_EQ(FILES_ImageFromFile(path.c_str(), &image, 7), FILES_ERR_ARGUMENT);
    EXPECT_EQ(FILES_ImageFromFile(nullptr, &image, FILES_FORMAT_HEX), FILES_ERR_ARGUMENT);
}

TEST_F(FilesTest, ElementCallsCopyOnlyIntoABufferLargeEnough)
{
    FILES_Handle image = nullptr;
    ASSERT_EQ(FILES_ImageFromFile(write(hex({{0x08000000, bytes(40)}})).c_str(), &image, FILES_FORMAT_HEX), FILES_OK);
    std::vector<std::uint8_t> small(39, 0xEE);
    FILES_ImageElement e{0, 39, small.data()};
    EXPECT_EQ(FILES_GetImageElement(image, 0, &e), FILES_ERR_ARGUMENT);
    EXPECT_EQ(e.Length, 40u);
    EXPECT_EQ(small[0], 0xEE) << "nothing copied";
    EXPECT_EQ(FILES_GetImageElement(image, 1, &e), FILES_ERR_INDEX);
    EXPECT_EQ(FILES_GetImageElement(image, 0, nullptr), FILES_ERR_ARGUMENT);

    EXPECT_EQ(FILES_DestroyImage(image), FILES_OK);
    unsigned count = 0;
    EXPECT_EQ(FILES_GetImageNbElement(image, &count), FILES_ERR_HANDLE) << "a destroyed handle is dead";
    EXPECT_EQ(FILES_DestroyImage(image), FILES_ERR_HANDLE);
    int notAnImage = 0;
    EXPECT_EQ(FILES_GetImageNbElement(reinterpret_cast<FILES_Handle>(&notAnImage), &count), FILES_ERR_HANDLE);
}

TEST_F(FilesTest, BuildingAndFilteringImages)
{
    FILES_Handle image = nullptr;
    ASSERT_EQ(FILES_CreateImage(&image, 3), FILES_OK);
    std::vector<std::uint8_t> a = bytes(8), b = bytes(8, 8);
    const FILES_ImageElement second{0x1008, 8, b.data()}, first{0x1000, 8, a.data()}, clash{0x1004, 8, a.data()};
    ASSERT_EQ(FILES_SetImageElement(image, 0, 1, &second), FILES_OK);
    ASSERT_EQ(FILES_SetImageElement(image, 0, 1, &first), FILES_OK);
    unsigned count = 0;
    ASSERT_EQ(FILES_GetImageNbElement(image, &count), FILES_OK);
    EXPECT_EQ(count, 1u) << "touching elements are merged";
    EXPECT_EQ(FILES_SetImageElement(image, 0, 1, &clash), FILES_ERR_ARGUMENT);

    const FILES_Sector keep[] = {{0x1004, 4}, {0x100C, 0x100}};
    const FILES_Mapping map{2, keep};
    ASSERT_EQ(FILES_FilterImageForOperation(image, &map, 0), FILES_OK);
    ASSERT_EQ(FILES_GetImageNbElement(image, &count), FILES_OK);
    ASSERT_EQ(count, 2u);
    FILES_ImageElement e{};
    ASSERT_EQ(FILES_GetImageElement(image, 1, &e), FILES_OK);
    EXPECT_EQ(e.Address, 0x100Cu);
    EXPECT_EQ(e.Length, 4u);
    EXPECT_EQ(FILES_FilterImageForOperation(image, &map, 1), FILES_ERR_ARGUMENT);

    char name[16] = {};
    EXPECT_EQ(FILES_GetImageName(image, name, sizeof name), FILES_OK);
    EXPECT_STREQ(name, "Image 3");
    EXPECT_EQ(FILES_SetImageName(image, std::string(300, 'x').c_str()), FILES_ERR_ARGUMENT);
    EXPECT_EQ(FILES_GetImageName(image, name, 4), FILES_ERR_ARGUMENT);
    EXPECT_EQ(FILES_DestroyImage(image), FILES_OK);

    const FILES_Sector pages[] = {{0x08000000, 1024}, {0x08000400, 1024}};
    const FILES_Mapping flash{2, pages};
    ASSERT_EQ(FILES_CreateImageFromMapping(&image, &flash), FILES_OK);
    ASSERT_EQ(FILES_GetImageNbElement(image, &count), FILES_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(FILES_DestroyImage(image), FILES_OK);
}

}  // namespace
