// The tool's data store over the wire: chunked writes and reads, sized opens, searches and format.
#include "tests/sim/SimFixture.h"

#include <QString>

namespace {

constexpr std::uint8_t FileRead = 0x31, FileWrite = 0x32, FileOpen = 0x33, FileOpenSized = 0x34, FindFile = 0x37;

struct StoreTest : SimFixture {
    void SetUp() override
    {
        SimFixture::SetUp();
        tool.files().clear();
    }

    // 0x32 of one chunk: flag, count, name at 3, data at 20.
    std::optional<Payload> writeChunk(std::string_view name, std::string_view data, bool first, int count = -1)
    {
        Payload p = withText({FileWrite, static_cast<std::uint8_t>(first ? 1 : 0),
                              static_cast<std::uint8_t>(count < 0 ? data.size() : static_cast<std::size_t>(count))},
                             3, name);
        for (std::size_t i = 0; i < data.size() && 20 + i < p.size(); ++i)
            p[20 + i] = static_cast<std::uint8_t>(data[i]);
        return exchangePayload(p);
    }

    std::string content(std::string_view path)
    {
        const auto* f = tool.file(path);
        return f ? std::string(f->begin(), f->end()) : std::string("<none>");
    }

    // Every name a search returns, first then next until the found flag is 0.
    std::vector<std::string> find(std::string_view pattern)
    {
        std::vector<std::string> names;
        for (bool first = true; names.size() < 1000; first = false) {
            const auto r = exchangePayload(withText({FindFile, static_cast<std::uint8_t>(first ? 1 : 0)}, 2, pattern));
            if (!r || (*r)[1] == 0)
                break;
            names.emplace_back(reinterpret_cast<const char*>(r->data() + 2));
        }
        return names;
    }
};

TEST_F(StoreTest, ChunkedWriteAppendsAndAFirstChunkStartsTheFileAnew)
{
    ASSERT_TRUE(writeChunk("KTB", std::string(32, 'a'), true));
    ASSERT_TRUE(writeChunk("KTB", std::string(32, 'b'), false));
    ASSERT_TRUE(writeChunk("KTB", "cccccc", false));
    EXPECT_EQ(content("KTB"), std::string(32, 'a') + std::string(32, 'b') + "cccccc");

    ASSERT_TRUE(writeChunk("KTB", "new", true));
    EXPECT_EQ(content("KTB"), "new");
    EXPECT_EQ(content("ktb"), "new");  // names compare without regard to case
    EXPECT_EQ(tool.files().size(), 1u);
}

TEST_F(StoreTest, MalformedWritesAreRefused)
{
    struct Case {
        const char* what;
        std::string name;
        int count;
    } cases[] = {
        {"count 0", "KTB", 0},
        {"count 33", "KTB", 33},
        {"empty name", "", 3},
        {"name of 17 characters leaves no zero before byte 20", "ABCDEFGHIJKLMNOPQ", 3},
    };
    for (const auto& c : cases) {
        Payload p = withText({FileWrite, 1, static_cast<std::uint8_t>(c.count)}, 3, c.name);
        EXPECT_FALSE(link.Exchange(p)) << c.what;
        EXPECT_EQ(p[0], ReplyBusy) << c.what;
    }
    EXPECT_TRUE(tool.files().empty());
    // 16 characters still fit.
    EXPECT_TRUE(writeChunk("ABCDEFGHIJKLMNOP", "x", true));
}

TEST_F(StoreTest, ReadDeliversFullChunksThenTheRestThenCountZero)
{
    std::vector<std::uint8_t> data(70);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i + 1);
    tool.files()["20090703\\000017"] = data;

    const auto open = exchangePayload(withText({FileOpen}, 1, "20090703\\000017"));
    ASSERT_TRUE(open);
    EXPECT_EQ((*open)[2], 0);
    std::vector<std::uint8_t> got;
    for (int expected : {32, 32, 6, 0, 0}) {
        const auto r = exchange({FileRead});
        ASSERT_TRUE(r);
        EXPECT_EQ((*r)[1], 0);
        ASSERT_EQ((*r)[2], expected);
        got.insert(got.end(), r->begin() + 3, r->begin() + 3 + expected);
        for (std::size_t i = 3 + static_cast<std::size_t>(expected); i < 35; ++i)
            EXPECT_EQ((*r)[i], 0) << "bytes beyond the count are zero";
    }
    EXPECT_EQ(got, data);

    std::array<std::uint8_t, 5000> buffer{};
    EXPECT_EQ(link.ReadToolFile("20090703\\000017", buffer), 70);
}

TEST_F(StoreTest, SizedOpenAnnouncesTheLengthAndMissingFilesDoNotOpen)
{
    tool.files()["STB"] = std::vector<std::uint8_t>(300, 'x');
    const auto r = exchangePayload(withText({FileOpenSized}, 1, "STB"));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[2], 0);
    EXPECT_EQ(be16(*r, 9), 300);

    tool.files()["BIG"] = std::vector<std::uint8_t>(70000, 'x');
    const auto big = exchangePayload(withText({FileOpenSized}, 1, "BIG"));
    ASSERT_TRUE(big);
    EXPECT_EQ(be16(*big, 9), 0xFFFF) << "a length the 16-bit field cannot hold saturates";

    for (std::uint8_t code : {FileOpen, FileOpenSized}) {
        const auto missing = exchangePayload(withText({code}, 1, "NOFILE"));
        ASSERT_TRUE(missing);
        EXPECT_NE((*missing)[2], 0);
        const auto read = exchange({FileRead});  // nothing is open now
        ASSERT_TRUE(read);
        EXPECT_NE((*read)[1], 0);
        EXPECT_EQ((*read)[2], 0);
    }
}

TEST_F(StoreTest, EndtestRoundTripAsTheProductionCheckDoesIt)
{
    Payload w = withText({FileWrite, 1, 2}, 3, "Endtest");
    w[20] = 'X';
    w[21] = 'Y';
    ASSERT_TRUE(link.Exchange(w));
    ASSERT_TRUE(exchangePayload(withText({FileOpenSized}, 1, "Endtest")));
    const auto r = exchange({FileRead});
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[3], 'X');
    EXPECT_EQ((*r)[4], 'Y');
    ASSERT_TRUE(link.CmdFormatStore());
    EXPECT_TRUE(tool.files().empty());
}

TEST_F(StoreTest, SearchesListOneNamePerCall)
{
    for (const char* path : {"20090703\\000012", "20090703\\000013", "20090703\\00014", "20090704\\000015", "KTB", "STB"})
        tool.files()[path] = {1};

    struct Case {
        const char* pattern;
        std::vector<std::string> names;
    } cases[] = {
        {"20090703\\*", {"000012", "000013", "00014"}},
        {"20090703\\0000*", {"000012", "000013"}},
        {"20090705\\*", {}},
        {"KTB", {"KTB"}},
        {"ktb", {"KTB"}},
        {"K*", {"KTB"}},
        {"2009*", {"20090703", "20090704"}},
        {"*", {"20090703", "20090704", "KTB", "STB"}},
        {"20090704\\000015", {"000015"}},
        {"KT", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(find(c.pattern), c.names) << c.pattern;

    // Once a search has run out, further "next" calls keep finding nothing.
    const auto next = exchangePayload(withText({FindFile, 0}, 2, "*"));
    ASSERT_TRUE(next);
    EXPECT_EQ((*next)[1], 0);
}

TEST_F(StoreTest, TransportListingMatchesTheSearch)
{
    tool.files()["20260314\\000001"] = {1};
    tool.files()["20260314\\000002"] = {1};
    QStringList names;
    QString name;
    for (bool first = true; link.CmdFindFile(first, "20260314\\*", name) && !name.isEmpty(); first = false)
        names << name;
    EXPECT_EQ(names, (QStringList{"000001", "000002"}));
}

TEST_F(StoreTest, FormatErasesEverythingAndClosesTheOpenFile)
{
    tool.files()["KTB"] = {1, 2, 3};
    tool.files()["20090703\\000012"] = {1};
    ASSERT_TRUE(exchangePayload(withText({FileOpen}, 1, "KTB")));
    ASSERT_TRUE(link.CmdFormatStore());
    EXPECT_TRUE(tool.files().empty());
    const auto read = exchange({FileRead});
    ASSERT_TRUE(read);
    EXPECT_NE((*read)[1], 0);
    EXPECT_TRUE(find("*").empty());
}

}  // namespace
