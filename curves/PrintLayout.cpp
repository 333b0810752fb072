// Printed size and placement of the print picture.
#include "curves/PrintLayout.h"

#include <QPaintDevice>
#include <QPainter>
#include <cmath>

namespace {
// Held in extended precision, as the printing arithmetic always was.
constexpr long double FiveSixths = 5.0L / 6.0L;

int roundEven(long double v) { return static_cast<int>(std::nearbyint(v)); }
}  // namespace

QSize printedSize(int pageWidth, int pageHeight, QSize picture)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return {0, 0};
    if (pageWidth < pageHeight) {
        const int perPixel = pageWidth / picture.width();
        return {roundEven(pageWidth * FiveSixths), roundEven(perPixel * FiveSixths * picture.height())};
    }
    const int perPixel = pageHeight / picture.height();
    return {roundEven(perPixel * FiveSixths * picture.width()), roundEven(pageHeight * FiveSixths)};
}

bool printPicture(QPaintDevice& device, const QImage& picture)
{
    const QImage bitmap = picture.convertToFormat(QImage::Format_RGB32);
    if (bitmap.isNull())
        return false;
    const QSize size = printedSize(device.width(), device.height(), bitmap.size());
    QPainter p;
    if (!p.begin(&device))
        return false;
    if (size.width() > 0 && size.height() > 0)
        p.drawImage(QRect(PrintOrigin, size), bitmap);
    return p.end();
}
