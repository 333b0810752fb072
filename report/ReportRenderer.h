// Draws prepared report pages with one QPainter routine onto every output: the preview and
// QPrinter, QPdfWriter (text stays text, pictures lossless) and page images for JPEG export.
#pragma once

#include "report/Report.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QPainter;
class QPrinter;

namespace report {

// Pages exported as images are rendered at this resolution: one picture pixel per image pixel and
// text as the preview shows it at 100 %.
inline constexpr int ImageExportDpi = 96;
inline constexpr int JpegExportQuality = 90;
// PDF pages are drawn at this resolution (units per inch of the PDF writer).
inline constexpr int PdfResolution = 1200;

// Draws page onto painter, whose device has dpi units per inch and whose origin is the paper's
// top-left corner.
void drawPage(QPainter& painter, const PreparedPage& page, double dpi);

// One page as an image (white paper) at dpi.
QImage pageImage(const PreparedReport& report, int pageIndex, int dpi = ImageExportDpi);

struct PdfExportSettings {
    QString title;
    QString author = QStringLiteral(" ");
    QString subject = QStringLiteral("PDF export");
    QString creator;
    QDateTime created = QDateTime::currentDateTime();
};
// The whole report as a PDF document: A4 pages, no outline, no background, no protection, default
// viewer preferences; author and subject in the XMP metadata. Empty for a report without pages.
QByteArray pdfDocument(const PreparedReport& report, const PdfExportSettings& settings = {});
// The XMP packet pdfDocument embeds.
QByteArray xmpMetadata(const PdfExportSettings& settings);

// Prints every page on printer (full-page mode, A4); false when it cannot be painted on.
bool printReport(QPrinter& printer, const PreparedReport& report);

// Where page pageIndex (0-based) of a JPEG export goes: the chosen path for the first page, then
// "_2", "_3" ... before the extension ("out.jpg", "out_2.jpg").
QString jpegPagePath(const QString& chosenPath, int pageIndex);

// Encodes an image; nullopt on failure. The program passes its libjpeg encoder.
using ImageEncoder = std::function<std::optional<QByteArray>(const QImage&)>;
// The files of a JPEG export, path and content, in page order; empty when encoding a page failed.
std::vector<std::pair<QString, QByteArray>> jpegExport(const PreparedReport& report, const QString& chosenPath,
                                                       const ImageEncoder& encode);

}  // namespace report
