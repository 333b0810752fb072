// Writing a prepared report as PDF or as JPEG pages: rendered completely in memory first, then
// written file by file, so that a failure leaves no cut file behind.
#pragma once

#include "report/ReportRenderer.h"

#include <QString>
#include <QStringList>

struct ReportExportResult {
    bool ok = false;
    QStringList files;  // written, in page order
    QString error;      // why not, for a message
};

// The PDF the preview exports: A4, author " ", subject "PDF export".
ReportExportResult exportReportPdf(const report::PreparedReport& report, const QString& path, const QString& title);
// One JPEG per page: path for page 1, "_2", "_3" ... before the extension for the others. When a
// page cannot be written, the pages this export wrote before it are removed again.
ReportExportResult exportReportJpeg(const report::PreparedReport& report, const QString& path);
