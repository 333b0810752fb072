// Sample preparation in the read buffer and the search for the start of the rise and the peak.
#include "curves/SamplePreparation.h"
#include "tests/curves/CycleFixture.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> samplesOf(const CycleBuffer& b, std::size_t count)
{
    return std::vector<int>(b.begin() + CycleOffset::Samples, b.begin() + CycleOffset::Samples + count);
}

TEST(SamplePreparation, FillsSingleDropoutsOnly)
{
    struct Case {
        std::vector<std::uint8_t> in;
        std::vector<int> out;
    } cases[] = {
        {{0, 10, 0, 12}, {0, 10, 11, 12, 0, 0}},
        {{0, 10, 0, 0, 12}, {0, 10, 0, 0, 12, 0, 0}},
        {{9, 0, 4, 0, 7}, {9, 6, 4, 5, 7, 0, 0}},    // the mean is rounded down
        {{0, 5, 0}, {0, 5, 0, 0}},                   // no later non-zero neighbour
    };
    for (const auto& c : cases) {
        CycleBuffer b;
        const std::size_t t = CycleFixture().samples(c.in).into(b);
        const PreparedSamples p = prepareSamples(b, t, 777);
        EXPECT_EQ(samplesOf(b, c.out.size()), c.out);
        EXPECT_EQ(p.end, CycleOffset::Samples + c.out.size() - 1);
    }
}

TEST(SamplePreparation, EndsTwoBytesAfterTheLastNonZeroByteAndClearsThem)
{
    CycleBuffer b;
    std::size_t t = CycleFixture().samples({5, 6, 7, 0, 0, 0, 0}).into(b);
    // Bytes behind the count (left over from the last chunk) are not part of the file.
    b[t] = 99;
    b[t + 1] = 99;
    PreparedSamples p = prepareSamples(b, t, 777);
    EXPECT_EQ(p.end, CycleOffset::Samples + 4u);
    EXPECT_FLOAT_EQ(p.xScale, 777.0f / 4.0f);

    // The last non-zero byte right at the end of the count: the two zeros go behind it.
    t = CycleFixture().samples({5, 6, 7}).into(b);
    b[t] = 99;
    b[t + 1] = 98;
    p = prepareSamples(b, t, 777);
    EXPECT_EQ(b[t], 0);
    EXPECT_EQ(b[t + 1], 0);
    EXPECT_EQ(p.end, t + 1);
}

TEST(SamplePreparation, CurveWithoutWidthHasNoScaleAndNoCurve)
{
    // The last non-zero byte at index 62 leaves no step between the first and the last sample.
    CycleBuffer b;
    CycleFixture f;
    f.u8(62, 1).u8(63, 0);
    const std::size_t t = f.into(b);
    const PreparedSamples p = prepareSamples(b, t, 777);
    EXPECT_EQ(p.end, CycleOffset::Samples);
    EXPECT_EQ(p.xScale, 0.0f);
    EXPECT_FALSE(p.hasCurve());
}

TEST(SamplePreparation, HeaderOnlyFileDrawsNothing)
{
    CycleBuffer b;
    const std::size_t t = CycleFixture().into(b);  // last non-zero byte is in the header
    const PreparedSamples p = prepareSamples(b, t, 777);
    EXPECT_LT(p.end, CycleOffset::Samples);
    EXPECT_FALSE(p.hasCurve());
    EXPECT_GT(p.xScale, 0.0f);
    EXPECT_LT(p.xScale, 1e-6f);
}

TEST(SamplePreparation, NeverWritesPastTheBuffer)
{
    std::array<std::uint8_t, 80> b;
    b.fill(1);
    const PreparedSamples p = prepareSamples(b, 500, 777);  // a count larger than the buffer
    EXPECT_EQ(p.end, 81u);
    EXPECT_EQ(b[79], 1);
}

TEST(StartAndPeak, FindsTheSampleBeforeTheFirstSteadyRise)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> samples;
        bool start;
        int startNumber, startValue;
        int peakNumber, peakValue;
        bool markers;
    } cases[] = {
        {"rise after a flat start", {3, 3, 3, 4, 5, 9, 20, 20, 8}, true, 1, 3, 7, 20, true},
        // Ties at the peak go to the later sample.
        {"two equal peaks", {3, 3, 4, 5, 9, 30, 12, 30, 5}, true, 1, 3, 7, 30, true},
        {"rise from the first sample is not the start", {2, 3, 4, 8, 9, 9, 9, 9}, false, 0, 0, 0, 0, false},
        {"a later rise after one from the first sample", {2, 3, 4, 5, 9, 9, 9, 9, 10, 11, 16, 4}, true, 6, 9, 10, 16, true},
        {"steps too small", {3, 3, 4, 5, 6, 7, 8, 9}, false, 0, 0, 0, 0, false},
        {"start value zero has no peak", {1, 0, 0, 1, 2, 8, 9, 3}, true, 1, 0, 0, 0, false},
        {"flat curve", {7, 7, 7, 7, 7, 7}, false, 0, 0, 0, 0, false},
    };
    for (const auto& c : cases) {
        CycleBuffer b;
        const std::size_t t = CycleFixture().samples(c.samples).into(b);
        const PreparedSamples p = prepareSamples(b, t, 777);
        const StartAndPeak r = findStartAndPeak(b, p.end);
        EXPECT_EQ(r.startFound, c.start) << c.what;
        EXPECT_EQ(r.startNumber, c.startNumber) << c.what;
        EXPECT_EQ(r.startValue, c.startValue) << c.what;
        EXPECT_EQ(r.peakNumber, c.peakNumber) << c.what;
        EXPECT_EQ(r.peakValue, c.peakValue) << c.what;
        EXPECT_EQ(r.markersDrawable(), c.markers) << c.what;
    }
}

TEST(StartAndPeak, ReadsNothingPastTheBuffer)
{
    // A rise in the last bytes of a buffer: the look-ahead reads zeros beyond its end.
    std::array<std::uint8_t, 70> b{};
    b[64] = 1;
    b[65] = 1;
    b[66] = 2;
    b[67] = 3;
    b[68] = 4;
    b[69] = 9;
    const StartAndPeak r = findStartAndPeak(b, 71);
    EXPECT_TRUE(r.startFound);
    EXPECT_EQ(r.startNumber, 1);
    EXPECT_EQ(r.peakNumber, 5);
}

}  // namespace
