// The parameter block's byte layout and its page transfer with the tool.
#include "params/ParameterBlock.h"

#include "link/Usbhidinterface.h"
#include "tests/support/ScriptedHidPlatform.h"

#include <gtest/gtest.h>

namespace {
ParameterBlockBytes countingBytes()
{
    ParameterBlockBytes b{};
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return b;
}

struct Link {
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock;
    TUsbHidInterface link{hid, clock};
    Link() { EXPECT_TRUE(link.Open(ToolVendorId, ToolProductId, 0)); }

    // The tool's answer to one 0x60 request: page n of bytes, flagged as the last one or not.
    void page(std::span<const std::uint8_t> bytes, std::size_t n, bool more)
    {
        Payload p{};
        p[0] = 0x60;
        p[1] = more ? 1 : 0;
        for (std::size_t i = 0; i < ParamPageSize && n * ParamPageSize + i < bytes.size(); ++i)
            p[2 + i] = bytes[n * ParamPageSize + i];
        hid.replyPayload(p);
    }
    void pages(std::span<const std::uint8_t> bytes, std::size_t count)
    {
        for (std::size_t n = 0; n < count; ++n)
            page(bytes, n, n + 1 < count);
    }
};

ParameterBlockBytes withLayout(ParameterBlockBytes b, std::uint32_t layout)
{
    b[0] = static_cast<std::uint8_t>(layout);
    b[1] = b[2] = b[3] = 0;
    return b;
}
}  // namespace

TEST(ParameterBlockCodec, RoundTripsEveryByte)
{
    const ParameterBlockBytes bytes = countingBytes();
    EXPECT_EQ(ParameterBlock::decode(bytes).encode(), bytes);
}

TEST(ParameterBlockCodec, FieldsAreLittleEndianAtTheirOffsets)
{
    ParameterBlockBytes bytes{};
    const auto set = [&bytes](std::size_t o, std::initializer_list<std::uint8_t> v) {
        std::copy(v.begin(), v.end(), bytes.begin() + static_cast<std::ptrdiff_t>(o));
    };
    set(0, {3, 0, 0, 0});
    set(4, {'A', 'B', 0, 'Z'});  // the text ends at the first zero
    set(100, {0x01, 0x02, 0x00, 0x00});
    set(104, {0xC4, 0x09, 0, 0});
    set(124, {0xFF, 0xFF, 0xFF, 0xFF});
    set(149, {0xFB, 0xC8});
    set(152, {0x8A, 0x02, 0xBC, 0x02});
    set(156, {0x9A, 0x01});
    set(160, {40});
    const ParameterBlock p = ParameterBlock::decode(bytes);
    EXPECT_EQ(p.LayoutVersion, 3u);
    EXPECT_EQ(parameterText(p.Text), QStringLiteral("AB"));
    EXPECT_EQ(p.Kennung, 0x0201u);
    EXPECT_EQ(p.Ruecklaufzeit, 2500u);
    EXPECT_EQ(p.StartGarantie, -1);
    EXPECT_EQ(p.MinTemp, -5);
    EXPECT_EQ(p.MaxTemp, -56);
    EXPECT_EQ(p.AbschaltdruckMin, 650);
    EXPECT_EQ(p.AbschaltdruckMax, 700);
    EXPECT_EQ(p.CntDs0bar, 410);
    EXPECT_EQ(p.Kolbendurchmesser, 40);
}

TEST(ParameterBlockCodec, TextFieldWithoutTerminatorShowsAll32Bytes)
{
    ParameterBlock p;
    p.Typ.fill('x');
    EXPECT_EQ(parameterText(p.Typ), QString(32, QLatin1Char('x')));
}

TEST(ParameterBlockTransfer, LengthByLayout)
{
    struct Case { std::uint32_t layout; int length; bool known; };
    const Case cases[] = {{2, 160, true}, {3, 200, true}, {0, 0, false}, {5, 0, false}, {0x0300, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        EXPECT_EQ(parameterBlockLength(c.layout), c.length);
        EXPECT_EQ(isKnownLayout(c.layout), c.known);
    }
}

TEST(ParameterBlockTransfer, ReadsAsManyPagesAsTheToolSends)
{
    struct Case { const char* name; std::uint32_t layout; std::size_t pages; bool tailZero; };
    const Case cases[] = {
        {"layout 3 in seven pages", 3, 7, false},
        {"layout 2 in five pages", 2, 5, true},
        // A layout-2 tool that sends more than its 160 bytes still leaves the tail clear.
        {"layout 2 in seven pages", 2, 7, true},
        {"layout 5 in seven pages", 5, 7, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Link t;
        const ParameterBlockBytes bytes = withLayout(countingBytes(), c.layout);
        t.pages(bytes, c.pages);
        const std::optional<ParameterBlock> read = readParameterPages(t.link);
        ASSERT_TRUE(read);
        ASSERT_EQ(t.hid.written.size(), c.pages);
        for (std::size_t n = 0; n < c.pages; ++n) {
            EXPECT_EQ(t.hid.written[n][0], 0x60);
            EXPECT_EQ(t.hid.written[n][1], n);
        }
        const ParameterBlockBytes got = read->encode();
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + 160, bytes.begin()));
        for (std::size_t i = 160; i < 200; ++i)
            ASSERT_EQ(got[i], c.tailZero ? 0 : bytes[i]) << i;
    }
}

TEST(ParameterBlockTransfer, ReadFailsWithoutAPartialBlock)
{
    {
        SCOPED_TRACE("a page exchange fails");
        Link t;
        const ParameterBlockBytes bytes = withLayout(countingBytes(), 3);
        t.page(bytes, 0, true);
        t.page(bytes, 1, true);
        t.hid.reply({0x7F, 0x02});
        EXPECT_FALSE(readParameterPages(t.link));
        EXPECT_EQ(t.hid.written.size(), 3u);
    }
    {
        SCOPED_TRACE("the more-pages flag never clears");
        Link t;
        Payload endless{};
        endless[0] = 0x60;
        endless[1] = 1;
        t.hid.whenEmpty = endless;
        EXPECT_FALSE(readParameterPages(t.link));
        EXPECT_EQ(t.hid.written.size(), 32u);
    }
}

TEST(ParameterBlockTransfer, WritesThePagesOfItsLayoutThenCommits)
{
    struct Case { std::uint32_t layout; std::vector<int> counts; };
    const Case cases[] = {
        {2, {32, 32, 32, 32, 32}},
        {3, {32, 32, 32, 32, 32, 32, 8}},
        {5, {0}},  // unknown layout: one empty page, then still the commit
        {0, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout);
        Link t;
        t.hid.echo = true;
        const ParameterBlock block = ParameterBlock::decode(withLayout(countingBytes(), c.layout));
        const ParameterBlockBytes bytes = block.encode();
        EXPECT_TRUE(writeParameterPages(t.link, block));
        ASSERT_EQ(t.hid.written.size(), c.counts.size() + 1);
        for (std::size_t n = 0; n < c.counts.size(); ++n) {
            const Payload& w = t.hid.written[n];
            EXPECT_EQ(w[0], 0x61);
            EXPECT_EQ(w[1], n);
            EXPECT_EQ(w[2], c.counts[n]);
            for (int i = 0; i < c.counts[n]; ++i)
                ASSERT_EQ(w[3 + static_cast<std::size_t>(i)], bytes[n * 32 + static_cast<std::size_t>(i)]) << n << "/" << i;
        }
        EXPECT_EQ(t.hid.written.back()[0], 0x62);
    }
}

TEST(ParameterBlockTransfer, WriteFailures)
{
    const ParameterBlock block = ParameterBlock::decode(withLayout(countingBytes(), 3));
    {
        SCOPED_TRACE("a failed page ends the write before the commit");
        Link t;
        t.hid.reply({0x61});
        t.hid.reply({0x7F, 0x02});
        EXPECT_FALSE(writeParameterPages(t.link, block));
        EXPECT_EQ(t.hid.written.size(), 2u);
    }
    {
        SCOPED_TRACE("a failed commit");
        Link t;
        for (int n = 0; n < 7; ++n)
            t.hid.reply({0x61});
        t.hid.reply({0x7F, 0x02});
        EXPECT_FALSE(writeParameterPages(t.link, block));
        ASSERT_EQ(t.hid.written.size(), 8u);
        EXPECT_EQ(t.hid.written.back()[0], 0x62);
    }
}
