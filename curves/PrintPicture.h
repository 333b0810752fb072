// The print picture: the chart of the current cycle with its measured data above and the user's
// comment below, 700 x 750 pixels, as it is printed and saved as JPEG.
#pragma once

#include "curves/ChartSnapshot.h"

#include <QFont>
#include <QImage>
#include <QSize>
#include <QStringList>

inline constexpr QSize PrintChartSize(700, 550);
inline constexpr QSize PrintPictureSize(700, 750);
// The memo's lines; a longer memo loses its last line.
inline constexpr int PrintInfoMaxLines = 10;

// Arial as its metric twin Liberation Sans, at 96 dpi (8 point = 11 pixels, 16 point = 21).
QFont printFont(int points, bool bold);

// image at size, keeping the pixels both share (the top-left part); new pixels are white.
QImage resizedKeeping(const QImage& image, QSize size);

// Turns image (the 700 x 550 chart drawing, or whatever it held) into the 700 x 750 print picture:
// the upper 550 rows keep the chart, the rest is white, and the title, the twelve caption/value
// rows and the comment lines are written over it.
void BuildPrintPicture(QImage& image, const ChartSnapshot& snapshot, const QStringList& commentLines);
