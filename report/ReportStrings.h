// The report engine's own interface strings (preview window, buttons, progress, file filters) in
// one language. Six sets are compiled in, numbered as the program has always numbered them:
// 1020 English, 1021 German, 1022 French, 1023 Italian, 1024 Spanish, 1025 Swedish.
#pragma once

#include <QIODevice>
#include <QString>
#include <optional>

namespace report {

struct ReportStrings {
    QString language = QStringLiteral("en");
    QString preview = QStringLiteral("Preview");
    QString print = QStringLiteral("Print");
    QString exportPdf = QStringLiteral("Export to PDF");
    QString exportJpeg = QStringLiteral("Export to JPEG");
    QString first = QStringLiteral("First page");
    QString prior = QStringLiteral("Previous page");
    QString next = QStringLiteral("Next page");
    QString last = QStringLiteral("Last page");
    QString pageOf = QStringLiteral("Page %1 of %2");  // page number, page count
    QString outlinePage = QStringLiteral("Page %1");
    QString close = QStringLiteral("Close");
    QString preparing = QStringLiteral("Preparing report…");
    QString exporting = QStringLiteral("Exporting…");
    QString cancel = QStringLiteral("Cancel");
    QString pdfFilter = QStringLiteral("PDF file (*.pdf)");
    QString jpegFilter = QStringLiteral("JPEG image (*.jpg)");
    QString pdfTitle = QStringLiteral("Export to PDF");
    QString jpegTitle = QStringLiteral("Export to JPEG");

    // Reads a string set (a JSON object of the keys above); nullopt when the stream holds no
    // valid set. Keys a set leaves out keep their English text.
    static std::optional<ReportStrings> load(QIODevice& stream);
    // One of the compiled-in sets; the English one for any other number.
    static ReportStrings builtIn(int resourceNumber);
};

// The string set the engine's preview and progress use, process-wide as the program's language is.
const ReportStrings& engineStrings();
void setEngineStrings(const ReportStrings& strings);

}  // namespace report
