// Chart drawing. A line includes its first point and excludes its last; rectangles include their
// top-left edge and exclude their bottom-right edge; every coordinate is an integer rounded half to even.
#include "curves/ChartRenderer.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr ChartImageInfo Images[] = {
    {ChartImage::ImgChart, "ImgChart", QSize(837, 173), 10, false, true},
    {ChartImage::PrintImage, "PrintImage", QSize(700, 550), 260, false, true},
    {ChartImage::PrintImgSingle, "PrintImgSingle", QSize(633, 281), 10, true, true},
    {ChartImage::PrintImgReport, "PrintImgReport", QSize(206, 81), 10, false, false},
};

constexpr int GridValues[] = {25, 50, 75, 100, 125, 150};
constexpr std::uint32_t GridTimeStep = 500;

int roundEven(double v)
{
    // nearbyint rounds in the current mode, which is to nearest with ties to even; values far
    // outside the image are clamped so that a corrupt scale cannot overflow the conversion.
    const double r = std::nearbyint(v);
    if (!(r > -1.0e9))
        return -1000000000;
    if (r > 1.0e9)
        return 1000000000;
    return static_cast<int>(r);
}

// A line from (x1, y1) to (x2, y2) that includes its first pixel and leaves out its last, so
// that a closed outline paints each corner once. Qt's aliased flat-cap line covers the half-open
// span [min, max) whatever its direction; a line drawn backwards is shifted by one to match.
void lineTo(QPainter& p, int x1, int y1, int x2, int y2)
{
    if (x1 == x2 && y1 == y2)
        return;
    if (y1 == y2 && x2 < x1)
        p.drawLine(x2 + 1, y1, x1 + 1, y1);
    else if (x1 == x2 && y2 < y1)
        p.drawLine(x1, y2 + 1, x1, y1 + 1);
    else
        p.drawLine(x1, y1, x2, y2);
}

// Fills [left, right) x [top, bottom); an empty or inverted rectangle paints nothing.
void fillBand(QPainter& p, int left, int top, int right, int bottom, const QColor& colour)
{
    if (right <= left || bottom <= top)
        return;
    p.fillRect(QRect(left, top, right - left, bottom - top), colour);
}

// A line two pixels wide, both end points included: a 2 x 2 block (the point and the pixels left
// of and above it) at every step from a to b. Pixels outside the image are left out.
void wideLine(QImage& image, QPoint a, QPoint b, QRgb colour)
{
    const int w = image.width(), h = image.height();
    const auto plot = [&](int x, int y) {
        for (int yy = y - 1; yy <= y; ++yy) {
            if (yy < 0 || yy >= h)
                continue;
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(yy));
            for (int xx = x - 1; xx <= x; ++xx)
                if (xx >= 0 && xx < w)
                    row[xx] = colour;
        }
    };
    // Bresenham over the whole segment; its length is bounded by the plot's width plus the
    // value range per sample.
    const int dx = std::abs(b.x() - a.x()), sx = a.x() < b.x() ? 1 : -1;
    const int dy = -std::abs(b.y() - a.y()), sy = a.y() < b.y() ? 1 : -1;
    int err = dx + dy, x = a.x(), y = a.y();
    for (;;) {
        plot(x, y);
        if (x == b.x() && y == b.y())
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

struct Marker {
    int x, y;
    QString time;
};

Marker markerAt(const PlotGeometry& g, int number, int value, int intervalMs)
{
    return {g.x(number), g.y(value), QString::asprintf("%.2fs", number * intervalMs * 0.001)};
}

// The square and the time of a marker; its line is drawn before.
void drawMarkerSquareAndTime(QPainter& p, const PlotGeometry& g, const Marker& m)
{
    p.fillRect(QRect(m.x - 3, m.y - 3, 6, 6), Qt::black);
    const QFontMetrics fm(p.font());
    const QRect box(m.x - 8, g.PlotBottom + 6, fm.horizontalAdvance(m.time), fm.height());
    p.fillRect(box, Qt::white);
    p.setPen(Qt::black);
    p.drawText(box.left(), box.top() + fm.ascent(), m.time);
}
}  // namespace

const ChartImageInfo& chartImageInfo(ChartImage image)
{
    return Images[static_cast<int>(image)];
}

std::optional<ChartImage> chartImageFromName(const QString& name)
{
    for (const auto& i : Images)
        if (name == QLatin1String(i.name))
            return i.id;
    return std::nullopt;
}

int PlotGeometry::y(double v) const
{
    return roundEven(static_cast<double>(PlotBottom) - v * static_cast<double>(YScale));
}

int PlotGeometry::x(double k) const
{
    return roundEven(k * static_cast<double>(XScale) + static_cast<double>(PlotLeft));
}

BandColours bandColours(bool strong)
{
    if (strong)
        return {QColor(255, 0, 0), QColor(255, 255, 0), QColor(128, 255, 128)};
    return {QColor(253, 109, 102), QColor(255, 255, 128), QColor(170, 255, 174)};
}

QFont chartCanvasFont()
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(11);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

PlotGeometry plotGeometryFor(ChartImage target, int w, int h)
{
    PlotGeometry g;
    g.PlotLeft = PlotLeftMargin;
    g.PlotRight = w - PlotRightMargin;
    g.PlotBottom = h - PlotBottomMargin;
    g.PlotTop = chartImageInfo(target).plotTop;
    g.YScale = static_cast<float>(std::abs(g.PlotBottom - g.PlotTop) * 0.00625);
    return g;
}

void DrawChartBackground(QImage& image, ChartImage target, const BandLimits& limits, PlotGeometry& geometry)
{
    const float xScale = geometry.XScale;
    geometry = plotGeometryFor(target, image.width(), image.height());
    geometry.XScale = xScale;
    if (image.isNull())
        return;
    const PlotGeometry& g = geometry;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(image.rect(), Qt::white);

    p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::FlatCap));
    const int l = g.PlotLeft - 1, r = g.PlotRight, t = g.PlotTop - 1, b = g.PlotBottom + 1;
    lineTo(p, l, b, l, t);
    lineTo(p, l, t, r, t);
    lineTo(p, r, t, r, b);
    lineTo(p, r, b, l, b);

    const BandColours c = bandColours(chartImageInfo(target).strongBands);
    if (limits.RedFrom != 0)
        fillBand(p, g.PlotLeft, roundEven(g.PlotBottom - static_cast<double>(g.YScale) * SampleFullScale + 1),
                 g.PlotRight, g.y(limits.RedFrom), c.red);
    if (limits.YellowFrom != 0)
        fillBand(p, g.PlotLeft, g.y(limits.YellowTo), g.PlotRight, g.y(limits.YellowFrom), c.yellow);
    if (limits.GreenFrom != 0)
        fillBand(p, g.PlotLeft, g.y(limits.GreenTo), g.PlotRight, g.y(limits.GreenFrom), c.green);
}

DrawResult drawCycle(QImage& image, ChartImage target, std::span<std::uint8_t> buffer, std::size_t bytesRead,
                     ChartState& state)
{
    DrawResult result;
    const std::size_t t = bytesRead < buffer.size() ? bytesRead : buffer.size();
    if (t < CycleHeaderSize)
        return result;
    result.file = CycleFile::decode(buffer.first(t));
    if (!result.file) {
        // Drawing the samples over the previous picture with the previous file's geometry would
        // show a chart that belongs to no file; an unreadable file leaves the picture as it was.
        result.outcome = DrawOutcome::InvalidHeader;
        return result;
    }
    result.outcome = DrawOutcome::Drawn;
    state.bands = result.file->bands;
    PlotGeometry& g = state.geometry;
    DrawChartBackground(image, target, state.bands, g);

    const int plotWidth = image.width() - (PlotLeftMargin + PlotRightMargin);
    if (!image.isNull() && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);  // the curve is written pixel by pixel
    result.samples = prepareSamples(buffer, t, plotWidth);
    g.XScale = result.samples.xScale;
    if (image.isNull())
        return result;

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(GridColour), 1, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::white);
    for (int v : GridValues)
        lineTo(p, g.PlotLeft, g.y(v), g.PlotRight, g.y(v));
    if (state.bands.CurveSpan != 0) {
        const float step = static_cast<float>(static_cast<double>(plotWidth) / state.bands.CurveSpan);
        const auto column = [&](std::uint64_t u) { return roundEven(g.PlotLeft + static_cast<double>(u) * step); };
        const auto vertical = [&](int x) { lineTo(p, x, g.PlotBottom, x, g.PlotTop); };
        const std::uint64_t lastU = (std::uint64_t{state.bands.CurveSpan} - 1) / GridTimeStep * GridTimeStep;
        if (lastU < GridTimeStep) {
            // a span of at most 500 has no line
        } else if (std::abs(GridTimeStep * static_cast<double>(step)) < 1.0) {
            // Lines closer than a pixel (a corrupt span asks for millions of them) fill every
            // column between the first and the last one; each is drawn once, same pixels.
            const int a = column(GridTimeStep), b = column(lastU);
            for (int x = std::max(std::min(a, b), 0); x <= std::min(std::max(a, b), image.width() - 1); ++x)
                vertical(x);
        } else {
            for (std::uint64_t u = GridTimeStep; u <= lastU; u += GridTimeStep) {
                const int x = column(u);
                if ((step >= 0 && x >= image.width()) || (step < 0 && x < 0))
                    break;  // every further line lies outside the image too
                vertical(x);
            }
        }
    }

    if (!result.samples.hasCurve())
        return result;

    p.end();
    const std::size_t first = CycleOffset::Samples;
    const std::size_t end = result.samples.end;
    auto sample = [&](std::size_t i) { return i < buffer.size() ? buffer[i] : 0; };
    QPoint prev(g.x(0), g.y(sample(first)));
    for (std::size_t i = first + 1; i <= end; ++i) {
        const QPoint pt(g.x(static_cast<double>(i - first)), g.y(sample(i)));
        wideLine(image, prev, pt, CurveColour);
        prev = pt;
    }

    result.markers = findStartAndPeak(buffer, end);
    if (chartImageInfo(target).markers && result.markers.markersDrawable()) {
        const int interval = result.file->SampleIntervalMs;
        const Marker markers[] = {markerAt(g, result.markers.startNumber, result.markers.startValue, interval),
                                  markerAt(g, result.markers.peakNumber, result.markers.peakValue, interval)};
        // The lines end above the times, the squares inside the plot: the order of drawing
        // the parts of different markers does not change a pixel.
        for (const Marker& m : markers)
            wideLine(image, QPoint(m.x, m.y), QPoint(m.x, g.PlotBottom), qRgb(0, 0, 0));
        QPainter q(&image);
        q.setFont(chartCanvasFont());
        for (const Marker& m : markers)
            drawMarkerSquareAndTime(q, g, m);
    }
    return result;
}
