// The print picture, its JPEG encoding and its size and place on a printed page.
#include "curves/JpegWriter.h"
#include "curves/PrintLayout.h"
#include "curves/PrintPicture.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>
#include <gtest/gtest.h>

extern "C" {
#include <jpeglib.h>
}

namespace {

int inkIn(const QImage& image, QRect area)
{
    area = area.intersected(image.rect());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qGray(image.pixel(x, y)) < 128;
    return n;
}

ChartSnapshot filledSnapshot()
{
    ChartSnapshot s;
    for (int f = 0; f < ChartSnapshot::FieldCount; ++f)
        s.set(static_cast<ChartSnapshot::Field>(f), QStringLiteral("WWW"));
    return s;
}

TEST(PrintPicture, KeepsTheChartAndWritesRowsAndComments)
{
    QImage image(PrintChartSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(400, 400, qRgb(0, 0, 128));  // something of the chart
    image.setPixel(400, 549, qRgb(0, 0, 128));
    BuildPrintPicture(image, filledSnapshot(), {"WWW", "WWW", "WWW"});
    ASSERT_EQ(image.size(), QSize(700, 750));
    EXPECT_EQ(image.pixel(400, 400), qRgb(0, 0, 128));
    EXPECT_EQ(image.pixel(400, 549), qRgb(0, 0, 128));

    // Title at (30, 5), 16 point: taller than the rows.
    EXPECT_GT(inkIn(image, QRect(30, 5, 60, 22)), 0);
    EXPECT_EQ(inkIn(image, QRect(0, 0, 29, 48)), 0);
    // Twelve rows from y 50, 15 apart: caption at x 30, value at x 250, nothing in between.
    for (int row = 0; row < 12; ++row) {
        const int y = 50 + 15 * row;
        EXPECT_GT(inkIn(image, QRect(30, y, 40, 12)), 0) << row;
        EXPECT_GT(inkIn(image, QRect(250, y, 40, 12)), 0) << row;
        EXPECT_EQ(inkIn(image, QRect(80, y, 160, 12)), 0) << row;
    }
    EXPECT_EQ(inkIn(image, QRect(0, 50 + 15 * 12, 700, 550 - 50 - 15 * 12)), 2);  // only the two chart pixels
    // Comment caption at (30, 600) and three lines at x 250 from y 600.
    EXPECT_GT(inkIn(image, QRect(30, 600, 40, 12)), 0);
    for (int line = 0; line < 3; ++line)
        EXPECT_GT(inkIn(image, QRect(250, 600 + 15 * line, 40, 12)), 0) << line;
    EXPECT_EQ(inkIn(image, QRect(250, 645, 400, 105)), 0);
    EXPECT_EQ(inkIn(image, QRect(0, 550, 29, 200)), 0);
}

TEST(PrintPicture, LowerPartIsWhiteWhateverTheImageHeldBefore)
{
    // A previous print picture (700 x 750) with the chart not redrawn: its lower part goes white.
    QImage image(PrintPictureSize, QImage::Format_RGB32);
    image.fill(Qt::red);
    BuildPrintPicture(image, ChartSnapshot{}, {});
    EXPECT_EQ(image.pixel(10, 549), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(10, 550), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(699, 749), qRgb(255, 255, 255));
}

TEST(ChartSnapshotFields, TextsAreCutToTheirCapacity)
{
    ChartSnapshot s;
    s.set(ChartSnapshot::CounterValue, QString(40, QLatin1Char('9')));
    s.set(ChartSnapshot::ErrorValue, QString(40, QLatin1Char('9')));
    EXPECT_EQ(s.get(ChartSnapshot::CounterValue).size(), 31);
    EXPECT_EQ(s.get(ChartSnapshot::ErrorValue).size(), 40);
    EXPECT_EQ(ChartSnapshot::rowCaption(0), ChartSnapshot::CounterCaption);
    EXPECT_EQ(ChartSnapshot::rowValue(11), ChartSnapshot::ServiceValue);
}

struct Decoded {
    int width = 0, height = 0, components = 0;
    int luminanceDc = 0;  // first entry of the luminance quantisation table
    QRgb firstPixel = 0;
};

Decoded decodeJpeg(const QByteArray& bytes)
{
    Decoded d;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
        d.width = static_cast<int>(cinfo.image_width);
        d.height = static_cast<int>(cinfo.image_height);
        d.components = cinfo.num_components;
        if (cinfo.quant_tbl_ptrs[0])
            d.luminanceDc = cinfo.quant_tbl_ptrs[0]->quantval[0];
        cinfo.out_color_space = JCS_RGB;
        jpeg_start_decompress(&cinfo);
        std::vector<unsigned char> row(static_cast<std::size_t>(cinfo.output_width) * 3);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
        d.firstPixel = qRgb(row[0], row[1], row[2]);
        jpeg_abort_decompress(&cinfo);
    }
    jpeg_destroy_decompress(&cinfo);
    return d;
}

TEST(ChartJpeg, FileDecodesToThePictureAtQualitySeventyFive)
{
    QImage picture(PrintChartSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    BuildPrintPicture(picture, filledSnapshot(), {"x"});
    QTemporaryDir dir;
    const QString path = dir.filePath("000123_SN.jpg");
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older file is replaced");
    old.close();
    ASSERT_TRUE(writeJpegFile(picture, path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const Decoded d = decodeJpeg(f.readAll());
    EXPECT_EQ(d.width, 700);
    EXPECT_EQ(d.height, 750);
    EXPECT_EQ(d.components, 3);
    // libjpeg scales the standard luminance table (DC 16) by 50 % at quality 75.
    EXPECT_EQ(d.luminanceDc, 8);
}

TEST(ChartJpeg, ColoursKeepTheirChannels)
{
    QImage picture(64, 16, QImage::Format_RGB32);
    picture.fill(qRgb(200, 30, 60));
    const auto bytes = encodeJpeg(picture);
    ASSERT_TRUE(bytes.has_value());
    const QRgb p = decodeJpeg(*bytes).firstPixel;
    EXPECT_NEAR(qRed(p), 200, 4);
    EXPECT_NEAR(qGreen(p), 30, 4);
    EXPECT_NEAR(qBlue(p), 60, 4);
}

TEST(ChartJpeg, NothingToEncodeOrNowhereToWrite)
{
    EXPECT_FALSE(encodeJpeg(QImage()).has_value());
    QImage picture(10, 10, QImage::Format_RGB32);
    picture.fill(Qt::white);
    EXPECT_FALSE(writeJpegFile(picture, "/nonexistent-folder/x.jpg"));
}

TEST(PrintLayoutSize, FiveSixthsOfThePageWithWholePixelsPerPicturePixel)
{
    struct Case {
        int pw, ph;
        QSize size;
    } cases[] = {
        {4960, 7016, {4133, 4375}},  // A4 portrait at 600 dpi: 4960 * 5/6, 7 * 5/6 * 750
        {600, 800, {500, 0}},        // narrower than the picture: height 0
        {7016, 4960, {3500, 4133}},  // landscape: 6 * 5/6 * 700, 4960 * 5/6
        {1000, 1000, {583, 833}},    // square pages count as landscape
        {2480, 3508, {2067, 1875}},  // A4 at 300 dpi
    };
    for (const auto& c : cases)
        EXPECT_EQ(printedSize(c.pw, c.ph, PrintPictureSize), c.size) << c.pw << "x" << c.ph;
}

// The printed page rendered back with poppler: the picture lies at (500, 500) in device pixels.
TEST(PrintLayoutPage, PrintsOnePageWithThePictureAtItsPlace)
{
    const QString pdftoppm = QStandardPaths::findExecutable("pdftoppm");
    if (pdftoppm.isEmpty())
        GTEST_SKIP() << "pdftoppm not installed";
    QTemporaryDir dir;
    const QString pdf = dir.filePath("page.pdf");
    {
        QPdfWriter writer(pdf);
        // 4960 x 7016 device pixels (A4 at 600 dpi); PDF pages have whole points, so 620 x 877 at 576 dpi.
        writer.setResolution(576);
        writer.setPageSize(QPageSize(QSize(620, 877), QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        ASSERT_EQ(writer.width(), 4960);
        ASSERT_EQ(writer.height(), 7016);
        QImage picture(PrintPictureSize, QImage::Format_RGB32);
        picture.fill(Qt::black);
        ASSERT_TRUE(printPicture(writer, picture));
    }
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1) << "exactly one page";

    // At a tenth of the resolution the picture covers (50, 50) to (463, 487).
    QProcess p;
    p.start(pdftoppm, {"-r", "57.6", "-png", "-singlefile", pdf, dir.filePath("page")});
    ASSERT_TRUE(p.waitForFinished(60000));
    QImage page(dir.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.size(), QSize(496, 702));
    const auto dark = [&](int x, int y) { return qGray(page.pixel(x, y)) < 128; };
    EXPECT_TRUE(dark(51, 51));
    EXPECT_TRUE(dark(462, 486));
    EXPECT_FALSE(dark(48, 100));
    EXPECT_FALSE(dark(100, 48));
    EXPECT_FALSE(dark(465, 300));
    EXPECT_FALSE(dark(300, 489));
}

TEST(PrintLayoutPage, NarrowPagePrintsNothingVisible)
{
    QTemporaryDir dir;
    QPdfWriter writer(dir.filePath("narrow.pdf"));
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(600, 800), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    ASSERT_LT(writer.width(), 700);
    QImage picture(PrintPictureSize, QImage::Format_RGB32);
    picture.fill(Qt::black);
    EXPECT_TRUE(printPicture(writer, picture));
    EXPECT_EQ(printedSize(writer.width(), writer.height(), picture.size()).height(), 0);
    EXPECT_FALSE(printPicture(writer, QImage())) << "a null picture is not printed";
}

}  // namespace
