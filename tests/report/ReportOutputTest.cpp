// What a prepared report becomes: page images at 96 dpi, PDF documents (text, pictures, metadata),
// JPEG page files, printing, and the engine's interface strings.
#include "report/ReportRenderer.h"
#include "report/ReportStrings.h"

#include <QBuffer>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace report;

namespace {
const QDateTime Now(QDate(2026, 3, 4), QTime(9, 5, 7));

// The multi-cycle template with a value per name and a red picture per block.
PreparedReport cycles(int records)
{
    auto t = builtInTemplate(QStringLiteral("frxPrintReport"));
    EXPECT_TRUE(t);
    Report r(*t);
    r.dataSet().recordCount = records;
    r.setOnGetValue([&r](const QString& name) {
        if (name == QLatin1String("Presszyklus"))
            return QStringLiteral("%1").arg(r.currentRecord() + 10, 6, 10, QLatin1Char('0'));
        if (name == QLatin1String("Caption"))
            return QStringLiteral("Report title");
        return name;
    });
    r.setOnBeforePrint([](ReportObject& o) {
        if (o.name == QLatin1String("Picture1")) {
            o.picture = QImage(206, 81, QImage::Format_RGB32);
            o.picture.fill(QColor(255, 0, 0));
        }
    });
    return r.prepare(Now);
}

bool dark(const QImage& img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 96;
}

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}
}  // namespace

TEST(ReportOutput, PageImageAt96DpiPutsBandsAndObjectsInPlace)
{
    const PreparedReport report = cycles(2);
    const QImage page = pageImage(report, 0);
    ASSERT_EQ(page.size(), QSize(794, 1123));
    EXPECT_EQ(page.pixel(5, 5), qRgb(255, 255, 255));  // the margin stays white
    // Title: grey from (18.9, 18.9) over 759.69 x 22.68, with white text in the middle.
    EXPECT_EQ(page.pixel(20, 20), qRgb(128, 128, 128));
    EXPECT_EQ(page.pixel(776, 40), qRgb(128, 128, 128));
    EXPECT_EQ(page.pixel(20, 42), qRgb(255, 255, 255));
    bool whiteText = false;
    for (int x = 300; x < 500 && !whiteText; ++x)
        for (int y = 22; y < 40 && !whiteText; ++y)
            whiteText = page.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_TRUE(whiteText);
    // Pictures: 206 x 81 at (18.9 + 529.13, 18.9 + 26.46) and one block lower.
    for (int block = 0; block < 2; ++block) {
        const int top = qRound(45.36 + block * 79.37);
        EXPECT_EQ(page.pixel(550, top + 3), qRgb(255, 0, 0)) << block;
        EXPECT_EQ(page.pixel(752, top + 40), qRgb(255, 0, 0)) << block;
        EXPECT_EQ(page.pixel(757, top + 40), qRgb(255, 255, 255)) << block;
    }
    // The separator of the first block at its band's 75.59, under the text and the picture alike.
    const int separator = static_cast<int>(18.9 + 26.46 + 75.59);
    EXPECT_TRUE(dark(page, 100, separator) || dark(page, 100, separator + 1));
    EXPECT_TRUE(dark(page, 600, separator) || dark(page, 600, separator + 1));
    // The footer's two-pixel line stands at the page's printable foot less 26.46 plus 7.56.
    const double footerLine = 18.9 + 1084.724 - 26.46 + 7.56;
    EXPECT_TRUE(dark(page, 400, static_cast<int>(footerLine)));
    EXPECT_FALSE(dark(page, 400, static_cast<int>(footerLine) - 3));
    // Block text in black: "#000010" starts at about x 18.9 + 7.56 + 2.
    bool text = false;
    for (int x = 26; x < 60 && !text; ++x)
        for (int y = 46; y < 63 && !text; ++y)
            text = dark(page, x, y);
    EXPECT_TRUE(text);
    EXPECT_TRUE(pageImage(report, 1).isNull());
}

TEST(ReportOutput, PdfKeepsTextSearchablePicturesLosslessAndCarriesTheMetadata)
{
    const PreparedReport report = cycles(14);
    PdfExportSettings settings;
    settings.creator = QStringLiteral("pressdiag test");
    settings.created = Now;
    const QByteArray pdf = pdfDocument(report, settings);
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(pdf);
    }
    const QString info = run(QStringLiteral("pdfinfo"), {path});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595(\\.\\d+)? x 84[12](\\.\\d+)? pts \\(A4\\)"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Encrypted:\\s+no")))) << info.toStdString();

    const QString page1 = run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                            QStringLiteral("1"), path, QStringLiteral("-")});
    for (const char* expected : {"Report title", "#000010", "#000022", "CapBetriebsstunden", "LblAbschAW"})
        EXPECT_TRUE(page1.contains(QLatin1String(expected))) << expected;
    EXPECT_FALSE(page1.contains(QLatin1String("#000023")));
    const QString page2 = run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("2"), QStringLiteral("-l"),
                                                            QStringLiteral("2"), path, QStringLiteral("-")});
    EXPECT_TRUE(page2.contains(QLatin1String("#000023")));
    EXPECT_FALSE(page2.contains(QLatin1String("Report title")));
    EXPECT_TRUE(page2.contains(QRegularExpression(QStringLiteral("(^|\\s)2(\\s|$)"))));

    // Every picture embedded without JPEG recompression.
    const QString images = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    EXPECT_TRUE(images.contains(QLatin1String(" image "))) << images.toStdString();
    EXPECT_FALSE(images.contains(QLatin1String("jpeg"))) << images.toStdString();

    // Author " " and subject "PDF export" in the XMP packet; no outline, no protection.
    EXPECT_TRUE(pdf.contains("<dc:creator><rdf:Seq><rdf:li> </rdf:li></rdf:Seq></dc:creator>"));
    EXPECT_TRUE(pdf.contains("<rdf:li xml:lang=\"x-default\">PDF export</rdf:li>"));
    EXPECT_TRUE(pdf.contains("pressdiag test"));
    EXPECT_FALSE(pdf.contains("/Outlines"));
    EXPECT_FALSE(pdf.contains("/Encrypt"));
    EXPECT_FALSE(pdf.contains("/ViewerPreferences"));

    EXPECT_TRUE(pdfDocument(PreparedReport{}).isEmpty());
}

TEST(ReportOutput, XmpEscapesWhatItCarries)
{
    PdfExportSettings s;
    s.title = QStringLiteral("a<b>&\"c\"");
    const QByteArray xmp = xmpMetadata(s);
    EXPECT_TRUE(xmp.contains("a&lt;b&gt;&amp;&quot;c&quot;"));
    EXPECT_FALSE(xmp.contains("a<b>"));
}

TEST(ReportOutput, PrintingThroughQPrinterGivesThePdfPages)
{
    const PreparedReport report = cycles(40);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("printed.pdf")));
    ASSERT_TRUE(printReport(printer, report));
    const QString info = run(QStringLiteral("pdfinfo"), {dir.filePath(QStringLiteral("printed.pdf"))});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\b")))) << info.toStdString();
    const QString text = run(QStringLiteral("pdftotext"), {dir.filePath(QStringLiteral("printed.pdf")), QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QLatin1String("#000049")));
    EXPECT_FALSE(printReport(printer, PreparedReport{}));
}

TEST(ReportOutput, JpegPagesAreNamedAfterTheChosenFile)
{
    const std::pair<const char*, const char*> names[] = {
        {"/tmp/out.jpg", "/tmp/out_2.jpg"},
        {"/tmp/a.b/out.JPG", "/tmp/a.b/out_2.JPG"},
        {"/tmp/a.b/out", "/tmp/a.b/out_2"},
        {"/tmp/.jpg", "/tmp/.jpg_2"},
    };
    for (const auto& [chosen, second] : names) {
        EXPECT_EQ(jpegPagePath(QString::fromLatin1(chosen), 0), QLatin1String(chosen));
        EXPECT_EQ(jpegPagePath(QString::fromLatin1(chosen), 1), QLatin1String(second)) << chosen;
    }
    EXPECT_EQ(jpegPagePath(QStringLiteral("out.jpg"), 9), QLatin1String("out_10.jpg"));

    const PreparedReport report = cycles(14);
    std::vector<QSize> sizes;
    const auto files = jpegExport(report, QStringLiteral("/x/r.jpg"), [&](const QImage& img) {
        sizes.push_back(img.size());
        return std::optional<QByteArray>(QByteArray("jpeg"));
    });
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].first, QLatin1String("/x/r.jpg"));
    EXPECT_EQ(files[1].first, QLatin1String("/x/r_2.jpg"));
    EXPECT_EQ(sizes[0], QSize(794, 1123));
    int calls = 0;
    EXPECT_TRUE(jpegExport(report, QStringLiteral("r.jpg"), [&](const QImage&) {
                    return ++calls == 2 ? std::nullopt : std::optional<QByteArray>(QByteArray("x"));
                }).empty());
}

TEST(ReportStrings, SixCompiledInSetsAndTheirFallbacks)
{
    const std::tuple<int, const char*, const char*> sets[] = {
        {1020, "en", "Print"},     {1021, "de", "Drucken"},  {1022, "fr", "Imprimer"},
        {1023, "it", "Stampa"},    {1024, "es", "Imprimir"}, {1025, "sv", "Skriv ut"},
        {1019, "en", "Print"},     {0, "en", "Print"},
    };
    for (const auto& [number, language, print] : sets) {
        const ReportStrings s = ReportStrings::builtIn(number);
        EXPECT_EQ(s.language, QLatin1String(language)) << number;
        EXPECT_EQ(s.print, QString::fromUtf8(print)) << number;
        EXPECT_TRUE(s.pageOf.contains(QLatin1String("%1")) && s.pageOf.contains(QLatin1String("%2"))) << number;
    }
    const std::pair<const char*, bool> streams[] = {
        {"{\"print\": \"Tryck\"}", true},
        {"{\"print\": 5}", false},
        {"[\"print\"]", false},
        {"not json", false},
    };
    for (const auto& [text, valid] : streams) {
        QByteArray bytes(text);
        QBuffer b(&bytes);
        b.open(QIODevice::ReadOnly);
        const auto s = ReportStrings::load(b);
        EXPECT_EQ(s.has_value(), valid) << text;
        if (s) {
            EXPECT_EQ(s->print, QLatin1String("Tryck"));
            EXPECT_EQ(s->close, QLatin1String("Close"));  // left out: English
        }
    }
    setEngineStrings(ReportStrings::builtIn(1021));
    EXPECT_EQ(engineStrings().close, QStringLiteral("Schließen"));
    setEngineStrings(ReportStrings{});
}
