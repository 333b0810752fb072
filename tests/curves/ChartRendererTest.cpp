// Pixel tests of the chart: frame, bands, grid, curve and markers at the plot geometry's pixels,
// for the four target images, and what a bad or degenerate file leaves behind.
#include "curves/ChartRenderer.h"
#include "tests/curves/CycleFixture.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;

QImage blankImage(ChartImage target)
{
    QImage image(chartImageInfo(target).formSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

int countColour(const QImage& image, QRect area, QRgb colour)
{
    area = area.intersected(image.rect());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

QRgb px(const QImage& image, int x, int y) { return image.pixel(x, y); }

DrawResult draw(QImage& image, ChartImage target, const CycleFixture& f, ChartState& state)
{
    CycleBuffer buffer;
    const std::size_t t = f.into(buffer);
    return drawCycle(image, target, buffer, t, state);
}

TEST(ChartGeometry, PlotFollowsTheImageAndItsTopMargin)
{
    struct Case {
        ChartImage image;
        int right, bottom, top;
        float yScale;
    } cases[] = {
        {ChartImage::ImgChart, 827, 153, 10, 143 * 0.00625f},
        {ChartImage::PrintImage, 690, 530, 260, 1.6875f},
        {ChartImage::PrintImgSingle, 623, 261, 10, 251 * 0.00625f},
        {ChartImage::PrintImgReport, 196, 61, 10, 51 * 0.00625f},
    };
    for (const auto& c : cases) {
        const QSize size = chartImageInfo(c.image).formSize;
        const PlotGeometry g = plotGeometryFor(c.image, size.width(), size.height());
        EXPECT_EQ(g.PlotLeft, 50);
        EXPECT_EQ(g.PlotRight, c.right);
        EXPECT_EQ(g.PlotBottom, c.bottom);
        EXPECT_EQ(g.PlotTop, c.top);
        EXPECT_FLOAT_EQ(g.YScale, c.yScale);
    }
    EXPECT_EQ(chartImageFromName("PrintImgSingle"), ChartImage::PrintImgSingle);
    EXPECT_FALSE(chartImageFromName("Image1").has_value());
}

TEST(ChartGeometry, RoundsHalfToEven)
{
    PlotGeometry g = plotGeometryFor(ChartImage::PrintImage, 700, 550);  // YScale 1.6875 exactly
    EXPECT_EQ(g.y(8), 516);   // 516.5
    EXPECT_EQ(g.y(40), 462);  // 462.5
    EXPECT_EQ(g.y(24), 490);  // 489.5
    g.XScale = 0.5f;
    EXPECT_EQ(g.x(1), 50);    // 50.5
    EXPECT_EQ(g.x(3), 52);    // 51.5
}

TEST(ChartBackground, FrameSurroundsThePlotOnePixelOutside)
{
    for (ChartImage target : {ChartImage::ImgChart, ChartImage::PrintImage, ChartImage::PrintImgSingle,
                              ChartImage::PrintImgReport}) {
        QImage image = blankImage(target);
        image.fill(Qt::red);  // the background must cover everything
        PlotGeometry g;
        DrawChartBackground(image, target, BandLimits{}, g);
        const int l = g.PlotLeft - 1, r = g.PlotRight, t = g.PlotTop - 1, b = g.PlotBottom + 1;
        const int w = r - l + 1, h = b - t + 1;
        EXPECT_EQ(countColour(image, QRect(l, t, w, 1), Black), w);
        EXPECT_EQ(countColour(image, QRect(l, b, w, 1), Black), w);
        EXPECT_EQ(countColour(image, QRect(l, t, 1, h), Black), h);
        EXPECT_EQ(countColour(image, QRect(r, t, 1, h), Black), h);
        EXPECT_EQ(countColour(image, image.rect(), Black), 2 * w + 2 * h - 4) << "nothing else is black";
        EXPECT_EQ(countColour(image, image.rect(), White), image.width() * image.height() - (2 * w + 2 * h - 4));
    }
}

// Which colour each row of the plot shows for the limits red 100, yellow 110..150, green 120..140
// on ImgChart: y(100) = 64, y(110) = 55, y(120) = 46, y(140) = 28, y(150) = 19, red's top 11.
TEST(ChartBackground, BandsIncludeTheirTopRowAndExcludeTheirBottomRow)
{
    const BandLimits limits{100, 110, 120, 140, 150, 0};
    struct Case {
        ChartImage image;
    } cases[] = {{ChartImage::ImgChart}, {ChartImage::PrintImgSingle}};
    for (const auto& c : cases) {
        const bool strong = chartImageInfo(c.image).strongBands;
        const BandColours colours = bandColours(strong);
        QImage image = blankImage(c.image);
        PlotGeometry g;
        DrawChartBackground(image, c.image, limits, g);
        // Rows from top to bottom, as [first, last] with their colour.
        struct Run {
            int first, last;
            QRgb colour;
        };
        std::vector<Run> runs;
        const int top = static_cast<int>(std::nearbyint(g.PlotBottom - double(g.YScale) * 160 + 1));
        runs.push_back({g.PlotTop, top - 1, White});
        runs.push_back({top, g.y(150) - 1, colours.red.rgb()});
        runs.push_back({g.y(150), g.y(140) - 1, colours.yellow.rgb()});
        runs.push_back({g.y(140), g.y(120) - 1, colours.green.rgb()});
        runs.push_back({g.y(120), g.y(110) - 1, colours.yellow.rgb()});
        runs.push_back({g.y(110), g.y(100) - 1, colours.red.rgb()});
        runs.push_back({g.y(100), g.PlotBottom, White});
        if (c.image == ChartImage::ImgChart) {
            EXPECT_EQ(top, 11);
            EXPECT_EQ(g.y(150), 19);
            EXPECT_EQ(g.y(140), 28);
            EXPECT_EQ(g.y(120), 46);
            EXPECT_EQ(g.y(110), 55);
            EXPECT_EQ(g.y(100), 64);
        }
        const int width = g.PlotRight - g.PlotLeft;
        for (const Run& run : runs) {
            for (int y = run.first; y <= run.last; ++y) {
                ASSERT_EQ(countColour(image, QRect(g.PlotLeft, y, width, 1), run.colour), width)
                    << "row " << y << " strong " << strong;
                EXPECT_EQ(px(image, g.PlotRight, y), Black) << "the band stops before the frame";
            }
        }
    }
}

TEST(ChartBackground, BandLimitZeroMeansNoBand)
{
    struct Case {
        const char* what;
        BandLimits limits;
        bool red, yellow, green;
    } cases[] = {
        {"no red band", {0, 110, 120, 140, 150, 0}, false, true, true},
        {"no yellow band", {100, 0, 120, 140, 150, 0}, true, false, true},
        {"no green band", {100, 110, 0, 140, 150, 0}, true, true, false},
        {"no band at all", {0, 0, 0, 140, 150, 0}, false, false, false},
        {"inverted yellow limits paint nothing", {0, 150, 0, 0, 110, 0}, false, false, false},
    };
    for (const auto& c : cases) {
        QImage image = blankImage(ChartImage::ImgChart);
        PlotGeometry g;
        DrawChartBackground(image, ChartImage::ImgChart, c.limits, g);
        const BandColours colours = bandColours(false);
        EXPECT_EQ(countColour(image, image.rect(), colours.red.rgb()) > 0, c.red) << c.what;
        EXPECT_EQ(countColour(image, image.rect(), colours.yellow.rgb()) > 0, c.yellow) << c.what;
        EXPECT_EQ(countColour(image, image.rect(), colours.green.rgb()) > 0, c.green) << c.what;
    }
}

TEST(ChartBackground, RoundingHalfToEvenPlacesTheBandEdges)
{
    // PrintImage: YScale 1.6875, y(8) = 516.5 -> 516 and y(40) = 462.5 -> 462.
    QImage image(700, 550, QImage::Format_RGB32);
    PlotGeometry g;
    DrawChartBackground(image, ChartImage::PrintImage, BandLimits{0, 0, 8, 40, 0, 0}, g);
    const QRgb green = bandColours(false).green.rgb();
    EXPECT_EQ(px(image, 100, 461), White);
    EXPECT_EQ(px(image, 100, 462), green);
    EXPECT_EQ(px(image, 100, 515), green);
    EXPECT_EQ(px(image, 100, 516), White);
}

// A cycle whose samples are all zero: background and grid only.
CycleFixture gridOnly(std::uint32_t curveSpan)
{
    CycleFixture f;
    f.span(curveSpan).samples({0, 0, 0, 0});
    return f;
}

TEST(ChartGrid, SixHorizontalLinesAtTheQuarterValues)
{
    QImage image = blankImage(ChartImage::ImgChart);
    ChartState state;
    ASSERT_EQ(draw(image, ChartImage::ImgChart, gridOnly(0), state).outcome, DrawOutcome::Drawn);
    const PlotGeometry& g = state.geometry;
    const int rows[] = {131, 108, 86, 64, 41, 19};  // y(25) ... y(150)
    const int values[] = {25, 50, 75, 100, 125, 150};
    const int width = g.PlotRight - g.PlotLeft;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(g.y(values[i]), rows[i]);
        EXPECT_EQ(countColour(image, QRect(g.PlotLeft, rows[i], width, 1), GridColour), width) << rows[i];
        EXPECT_EQ(px(image, g.PlotRight, rows[i]), Black);
        EXPECT_EQ(px(image, g.PlotLeft - 1, rows[i]), Black);
    }
    const QRect plot(g.PlotLeft, g.PlotTop, width, g.PlotBottom - g.PlotTop + 1);
    EXPECT_EQ(countColour(image, plot, GridColour), 6 * width) << "no vertical lines for span 0";
    EXPECT_EQ(countColour(image, image.rect(), CurveColour), 0);
}

TEST(ChartGrid, VerticalLinesEveryFiveHundredOfTheSpan)
{
    struct Case {
        std::uint32_t span;
        std::vector<int> columns;
    } cases[] = {
        {500, {}},                  // u < span: 500 itself has no line
        {501, {825}},               // 50 + 500 * 777 / 501 = 825.45
        {2000, {244, 439, 633}},
        {0xFFFFFFFFu, {}},          // a corrupt span: a line in every column (filled in below)
    };
    for (auto& c : cases) {
        QImage image = blankImage(ChartImage::ImgChart);
        ChartState state;
        ASSERT_EQ(draw(image, ChartImage::ImgChart, gridOnly(c.span), state).outcome, DrawOutcome::Drawn);
        const PlotGeometry& g = state.geometry;
        if (c.span == 0xFFFFFFFFu)
            for (int x = 50; x < 827; ++x)
                c.columns.push_back(x);
        const int height = g.PlotBottom - g.PlotTop;  // PlotBottom down to PlotTop + 1
        std::vector<int> found;
        for (int x = g.PlotLeft; x < g.PlotRight; ++x)
            if (countColour(image, QRect(x, g.PlotTop + 1, 1, height), GridColour) >= height - 6)
                found.push_back(x);
        EXPECT_EQ(found, c.columns) << c.span;
        for (int x : found) {
            EXPECT_EQ(px(image, x, g.PlotTop), White) << "the line stops short of its last point";
            EXPECT_EQ(px(image, x, g.PlotBottom), GridColour);
        }
    }
}

TEST(ChartCurve, EverySamplePointIsNavy)
{
    for (ChartImage target : {ChartImage::ImgChart, ChartImage::PrintImage, ChartImage::PrintImgSingle,
                              ChartImage::PrintImgReport}) {
        QImage image = blankImage(target);
        ChartState state;
        CycleFixture f;
        f.bands(100, 110, 120, 140, 150).span(1200).samples(pressCurve(300));
        const DrawResult r = draw(image, target, f, state);
        ASSERT_EQ(r.outcome, DrawOutcome::Drawn);
        const PlotGeometry& g = state.geometry;
        EXPECT_FLOAT_EQ(g.XScale, float((image.width() - 60) / double(r.samples.end - 64)));
        const auto samples = pressCurve(300);
        int navy = 0;
        // The curve ends two samples after the last non-zero one; its very last point is left out.
        for (std::size_t k = 0; k + 64 < r.samples.end; ++k) {
            const QPoint p(g.x(double(k)), g.y(k < samples.size() ? samples[k] : 0));
            const QRect markerSquares[] = {
                QRect(g.x(r.markers.startNumber) - 3, g.y(r.markers.startValue) - 3, 6, 6),
                QRect(g.x(r.markers.peakNumber) - 3, g.y(r.markers.peakValue) - 3, 6, 6)};
            if (chartImageInfo(target).markers &&
                (markerSquares[0].contains(p) || markerSquares[1].contains(p) || p.x() == g.x(r.markers.startNumber) ||
                 p.x() == g.x(r.markers.peakNumber)))
                continue;  // painted over by a marker
            EXPECT_EQ(px(image, p.x(), p.y()), CurveColour) << "sample " << k << " at " << p.x() << "," << p.y();
            ++navy;
        }
        EXPECT_GT(navy, 200);
    }
}

TEST(ChartCurve, ValuesAboveFullScaleAreDrawnAboveThePlot)
{
    QImage image = blankImage(ChartImage::PrintImage);
    ChartState state;
    CycleFixture f;
    f.samples({200, 200, 200, 200});
    ASSERT_EQ(draw(image, ChartImage::PrintImage, f, state).outcome, DrawOutcome::Drawn);
    const int y = state.geometry.y(200);  // 530 - 337.5 = 192.5 -> 192
    EXPECT_EQ(y, 192);
    EXPECT_LT(y, state.geometry.PlotTop);
    EXPECT_EQ(px(image, state.geometry.x(1), y), CurveColour);
}

// Samples with a start at number 2 (value 2) and the peak at number 12 (value 120).
std::vector<std::uint8_t> markedCurve()
{
    return {2, 2, 2, 2, 4, 8, 20, 40, 60, 80, 100, 110, 120, 90, 60, 30, 10, 5, 5, 5, 5, 5};
}

TEST(ChartMarkers, SquaresLinesAndTimesAtStartAndPeak)
{
    QImage image = blankImage(ChartImage::ImgChart);
    ChartState state;
    CycleFixture f;
    f.u8(CycleOffset::SampleIntervalMs, 25).samples(markedCurve());
    const DrawResult r = draw(image, ChartImage::ImgChart, f, state);
    ASSERT_EQ(r.outcome, DrawOutcome::Drawn);
    EXPECT_EQ(r.markers.startNumber, 2);
    EXPECT_EQ(r.markers.startValue, 2);
    EXPECT_EQ(r.markers.peakNumber, 12);
    EXPECT_EQ(r.markers.peakValue, 120);
    const PlotGeometry& g = state.geometry;
    for (auto [number, value] : {std::pair{2, 2}, std::pair{12, 120}}) {
        const int x = g.x(number), y = g.y(value);
        EXPECT_EQ(countColour(image, QRect(x - 3, y - 3, 6, 6), Black), 36) << number;
        // The square is exactly 6 x 6: the pixels right of it and below it are not black
        // unless the vertical line runs there.
        EXPECT_NE(px(image, x + 3, y - 3), Black) << number;
        EXPECT_NE(px(image, x - 4, y - 3), Black) << number;
        EXPECT_NE(px(image, x - 3, y - 4), Black) << number;
        // The 2-pixel line from the point down to the bottom of the plot.
        for (int yy = y; yy < g.PlotBottom; ++yy)
            ASSERT_EQ(px(image, x, yy), Black) << number << " row " << yy;
        // The time below the plot, in the margin: number x 25 ms.
        const QRect text(x - 8, g.PlotBottom + 6, 40, 14);
        EXPECT_GT(countColour(image, text, Black), 10) << number;
    }
    // Nothing black in the margin except the two times.
    const QRect margin(0, g.PlotBottom + 2, image.width(), image.height() - g.PlotBottom - 2);
    const QRect times(g.x(2) - 8, g.PlotBottom + 6, g.x(12) - g.x(2) + 60, 14);
    EXPECT_EQ(countColour(image, margin, Black), countColour(image, times, Black));
}

TEST(ChartMarkers, NotDrawnWithoutAStartOrInTheReportPicture)
{
    struct Case {
        const char* what;
        ChartImage image;
        std::vector<std::uint8_t> samples;
    } cases[] = {
        {"report picture", ChartImage::PrintImgReport, markedCurve()},
        {"rise from the first sample", ChartImage::ImgChart, {2, 3, 4, 8, 9, 9, 9, 9, 9}},
        {"no rise at all", ChartImage::ImgChart, {50, 50, 50, 50, 50, 50, 50, 50}},
    };
    for (const auto& c : cases) {
        QImage image = blankImage(c.image);
        ChartState state;
        CycleFixture f;
        f.samples(c.samples);
        ASSERT_EQ(draw(image, c.image, f, state).outcome, DrawOutcome::Drawn);
        const PlotGeometry& g = state.geometry;
        const QRect insideFrame(g.PlotLeft, g.PlotTop, g.PlotRight - g.PlotLeft, g.PlotBottom - g.PlotTop + 1);
        EXPECT_EQ(countColour(image, insideFrame, Black), 0) << c.what;
        const QRect belowFrame(0, g.PlotBottom + 2, image.width(), image.height());
        EXPECT_EQ(countColour(image, belowFrame, Black), 0) << c.what;
        EXPECT_GT(countColour(image, image.rect(), CurveColour), 0) << c.what;
    }
}

TEST(ChartDrawing, AFileThatCannotBeDrawnLeavesPictureAndStateAlone)
{
    struct Case {
        const char* what;
        CycleFixture file;
        DrawOutcome outcome;
    };
    std::vector<Case> cases;
    {
        CycleFixture f;
        f.be16(CycleOffset::FormatVersion, 3).samples(markedCurve());
        cases.push_back({"format version 3", f, DrawOutcome::InvalidHeader});
    }
    {
        CycleFixture f;
        f.u8(CycleOffset::FormatVersion, 1).samples(markedCurve());
        cases.push_back({"high byte of the version set", f, DrawOutcome::InvalidHeader});
    }
    {
        CycleFixture f;
        f.bytes.resize(63);
        cases.push_back({"63 bytes", f, DrawOutcome::TooShort});
    }
    for (const auto& c : cases) {
        QImage image = blankImage(ChartImage::ImgChart);
        image.fill(qRgb(1, 2, 3));
        const QImage before = image.copy();
        ChartState state;
        state.geometry = plotGeometryFor(ChartImage::PrintImage, 700, 550);
        state.geometry.XScale = 4.0f;
        state.bands = BandLimits{1, 2, 3, 4, 5, 6};
        const ChartState saved = state;
        const DrawResult r = draw(image, ChartImage::ImgChart, c.file, state);
        EXPECT_EQ(r.outcome, c.outcome) << c.what;
        EXPECT_FALSE(r.file.has_value()) << c.what;
        EXPECT_EQ(image, before) << c.what;
        EXPECT_EQ(state.bands, saved.bands) << c.what;
        EXPECT_EQ(state.geometry.PlotTop, saved.geometry.PlotTop) << c.what;
        EXPECT_EQ(state.geometry.XScale, saved.geometry.XScale) << c.what;
    }
}

TEST(ChartDrawing, CurveWithoutWidthDrawsBackgroundAndGridOnly)
{
    // The last non-zero byte at index 62: the curve would have one point and no scale.
    QImage image = blankImage(ChartImage::ImgChart);
    ChartState state;
    CycleFixture f;
    f.bands(100, 110, 120, 140, 150).span(2000).u8(62, 7);
    const DrawResult r = draw(image, ChartImage::ImgChart, f, state);
    ASSERT_EQ(r.outcome, DrawOutcome::Drawn);
    EXPECT_FALSE(r.samples.hasCurve());
    EXPECT_EQ(state.geometry.XScale, 0.0f);
    EXPECT_EQ(countColour(image, image.rect(), CurveColour), 0);
    EXPECT_GT(countColour(image, image.rect(), GridColour), 0);
    EXPECT_GT(countColour(image, image.rect(), bandColours(false).green.rgb()), 0);
    const PlotGeometry& g = state.geometry;
    const QRect insideFrame(g.PlotLeft, g.PlotTop, g.PlotRight - g.PlotLeft, g.PlotBottom - g.PlotTop + 1);
    EXPECT_EQ(countColour(image, insideFrame, Black), 0) << "no markers";
}

TEST(ChartDrawing, AValidFileStoresItsBandsAndGeometry)
{
    QImage image(1000, 200, QImage::Format_RGB32);  // ImgChart grows with the window
    ChartState state;
    CycleFixture f;
    f.bands(10, 20, 30, 40, 50).span(777).samples(pressCurve(100));
    const DrawResult r = draw(image, ChartImage::ImgChart, f, state);
    ASSERT_EQ(r.outcome, DrawOutcome::Drawn);
    EXPECT_EQ(state.bands, (BandLimits{10, 20, 30, 40, 50, 777}));
    EXPECT_EQ(state.geometry.PlotRight, 990);
    EXPECT_EQ(state.geometry.PlotBottom, 180);
    EXPECT_FLOAT_EQ(state.geometry.XScale, 940.0f / (r.samples.end - 64));
}

}  // namespace

// The other pixel tests compare with the renderer's own colour constants; this one holds the literal
// colours, so a changed colour value fails here and not only by eye on a printed chart.
TEST(ChartColours, BandsGridFrameAndCurveHaveTheirExactColours)
{
    struct Case {
        ChartImage image;
        QRgb red, yellow, green;
    } cases[] = {
        {ChartImage::ImgChart, qRgb(253, 109, 102), qRgb(255, 255, 128), qRgb(170, 255, 174)},
        {ChartImage::PrintImage, qRgb(253, 109, 102), qRgb(255, 255, 128), qRgb(170, 255, 174)},
        {ChartImage::PrintImgReport, qRgb(253, 109, 102), qRgb(255, 255, 128), qRgb(170, 255, 174)},
        {ChartImage::PrintImgSingle, qRgb(255, 0, 0), qRgb(255, 255, 0), qRgb(128, 255, 128)},
    };
    for (const auto& c : cases) {
        QImage image = blankImage(c.image);
        ChartState state;
        CycleFixture f;
        f.bands(60, 80, 100, 120, 140).span(0).samples(pressCurve(100));
        ASSERT_EQ(draw(image, c.image, f, state).outcome, DrawOutcome::Drawn);
        const PlotGeometry& g = state.geometry;
        // A column where the curve still runs flat near the baseline, before the start marker, so
        // the bands above it and the grid rows at 25, 50, ... 150 show their own colours.
        const int x = g.PlotLeft + 5;
        auto between = [&](int lo, int hi) { return (g.y(lo) + g.y(hi)) / 2; };
        const int bottom = g.PlotBottom;
        SCOPED_TRACE(chartImageInfo(c.image).formSize.width());
        EXPECT_EQ(px(image, x, between(60, 74)), c.red);
        EXPECT_EQ(px(image, x, between(80, 99)), c.yellow);
        EXPECT_EQ(px(image, x, between(101, 120)), c.green);
        EXPECT_EQ(px(image, x, between(152, 159)), c.red) << "red above the yellow band";
        EXPECT_EQ(px(image, x, g.y(50)), qRgb(192, 192, 192)) << "grid";
        EXPECT_EQ(px(image, g.PlotLeft - 1, bottom), qRgb(0, 0, 0)) << "frame";
        // The curve's first point sits at x(0) = PlotLeft on the baseline value of the first sample.
        EXPECT_EQ(px(image, g.PlotLeft, g.y(pressCurve(100)[0])), qRgb(0, 0, 128)) << "curve";
    }
}
