// Where and how large the print picture lands on a printed page, and the printing of that one page.
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

class QPaintDevice;

// The picture's top-left corner on the page, in device pixels.
inline constexpr QPoint PrintOrigin(500, 500);

// Size of the printed picture on a page of pageWidth x pageHeight device pixels: five sixths of
// the page width (portrait) or height (landscape) for one side, the other side from the whole
// number of picture pixels per page pixel. A portrait page narrower than the picture prints
// height 0.
QSize printedSize(int pageWidth, int pageHeight, QSize picture);

// Prints picture as the one page of device (a printer or PDF writer), stretched to printedSize at
// PrintOrigin. False when there is nothing to print or the device cannot be painted on.
bool printPicture(QPaintDevice& device, const QImage& picture);
