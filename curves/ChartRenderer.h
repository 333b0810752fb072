// Draws a work curve into a QImage: white plot, black frame, working-range bands, grey grid,
// the navy curve and the start and peak markers. Integer geometry with rounding half to even,
// no antialiasing, so that every pixel is where the plot geometry says.
#pragma once

#include "curves/CycleFile.h"
#include "curves/SamplePreparation.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <cstdint>
#include <optional>
#include <span>

// The four images a chart is drawn into.
enum class ChartImage { ImgChart, PrintImage, PrintImgSingle, PrintImgReport };

struct ChartImageInfo {
    ChartImage id;
    const char* name;  // the control's object name
    QSize formSize;    // size on the form (PrintImage: while its chart is drawn)
    int plotTop;       // PrintImage leaves room above the chart for the printed header
    bool strongBands;  // the single-cycle report prints in strong colours
    bool markers;      // the multi-cycle report's small pictures carry no markers
};

const ChartImageInfo& chartImageInfo(ChartImage image);
std::optional<ChartImage> chartImageFromName(const QString& name);

inline constexpr int PlotLeftMargin = 50;
inline constexpr int PlotRightMargin = 10;
inline constexpr int PlotBottomMargin = 20;

// Where the plot lies in the image, kept from the background to the curve of the same drawing.
struct PlotGeometry {
    std::int32_t PlotLeft = 0, PlotRight = 0, PlotTop = 0, PlotBottom = 0;
    float XScale = 0.0f;  // pixels per sample
    float YScale = 0.0f;  // pixels per unit of the sample scale

    // round(PlotBottom - v * YScale), ties to even.
    int y(double v) const;
    // round(k * XScale + PlotLeft), ties to even.
    int x(double k) const;
};

// The chart state the main window keeps from one drawing to the next.
struct ChartState {
    PlotGeometry geometry;
    BandLimits bands;
};

struct BandColours {
    QColor red, yellow, green;
};
BandColours bandColours(bool strong);

inline constexpr QRgb CurveColour = qRgb(0, 0, 128);
inline constexpr QRgb GridColour = qRgb(192, 192, 192);

enum class DrawOutcome {
    TooShort,       // fewer than 64 bytes: nothing drawn
    InvalidHeader,  // signature or format version wrong: nothing drawn
    Drawn,
};

struct DrawResult {
    DrawOutcome outcome = DrawOutcome::TooShort;
    std::optional<CycleFile> file;  // set when drawn
    PreparedSamples samples;
    StartAndPeak markers;
};

// Plot geometry of an image of size w x h for target (the curve's scale is set later).
PlotGeometry plotGeometryFor(ChartImage target, int w, int h);

// The background of a chart: white, frame and bands for limits. Sets geometry (XScale untouched).
// Paints into image at its current size; a null image only gets the geometry.
void DrawChartBackground(QImage& image, ChartImage target, const BandLimits& limits, PlotGeometry& geometry);

// Draws the cycle whose bytesRead bytes are in buffer into image (at its current size), preparing
// the samples in place. On a valid file updates state (geometry, bands) and returns Drawn with the
// decoded header; otherwise draws nothing, leaves image and state alone.
DrawResult drawCycle(QImage& image, ChartImage target, std::span<std::uint8_t> buffer, std::size_t bytesRead,
                     ChartState& state);

// The font of the marker times: the chart canvas font (Arial 8 point at 96 dpi, as Liberation Sans).
QFont chartCanvasFont();
