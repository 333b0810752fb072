// Report exports through the program's JPEG encoder and its file writing.
#include "curves/ReportExport.h"

#include "curves/JpegWriter.h"

#include <QFile>
#include <QSaveFile>

namespace {
// The whole content replaces the file only when it was written completely.
bool writeWhole(const QString& path, const QByteArray& bytes, QString& error)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        error = QStringLiteral("cannot write \"%1\": %2").arg(path, f.errorString());
        return false;
    }
    return true;
}
}  // namespace

ReportExportResult exportReportPdf(const report::PreparedReport& report, const QString& path, const QString& title)
{
    ReportExportResult r;
    report::PdfExportSettings settings;
    settings.title = title;
    settings.creator = QStringLiteral("pressdiag " PRESSDIAG_VERSION_TEXT);
    const QByteArray pdf = report::pdfDocument(report, settings);
    if (pdf.isEmpty()) {
        r.error = QStringLiteral("the report has no pages");
        return r;
    }
    if (!writeWhole(path, pdf, r.error))
        return r;
    r.ok = true;
    r.files << path;
    return r;
}

ReportExportResult exportReportJpeg(const report::PreparedReport& report, const QString& path)
{
    ReportExportResult r;
    const auto pages = report::jpegExport(report, path, [](const QImage& page) {
        return encodeJpeg(page, report::JpegExportQuality);
    });
    if (pages.empty()) {
        r.error = QStringLiteral("the report's pages could not be encoded");
        return r;
    }
    for (const auto& [file, bytes] : pages) {
        if (!writeWhole(file, bytes, r.error)) {
            for (const QString& written : r.files)
                QFile::remove(written);
            r.files.clear();
            return r;
        }
        r.files << file;
    }
    r.ok = true;
    return r;
}
