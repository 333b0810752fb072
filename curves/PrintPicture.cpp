// Layout of the print picture.
#include "curves/PrintPicture.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>

namespace {
constexpr int CaptionX = 30;
constexpr int ValueX = 250;
constexpr int TitleY = 5;
constexpr int FirstRowY = 50;
constexpr int RowStep = 15;
constexpr int CommentY = 600;

// Text with its top-left corner at (x, y), as the original canvas positions it.
void writeAt(QPainter& p, int x, int y, const QString& text)
{
    p.drawText(x, y + QFontMetrics(p.font()).ascent(), text);
}
}  // namespace

QFont printFont(int points, bool bold)
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize((points * 96 + 36) / 72);
    f.setBold(bold);
    return f;
}

QImage resizedKeeping(const QImage& image, QSize size)
{
    QImage out(size, QImage::Format_RGB32);
    const QImage src = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    const int rows = src.isNull() ? 0 : std::min(src.height(), size.height());
    const int cols = src.isNull() ? 0 : std::min(src.width(), size.width());
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        int x = 0;
        if (y < rows) {
            std::memcpy(line, src.constScanLine(y), static_cast<std::size_t>(cols) * sizeof(QRgb));
            x = cols;
        }
        std::fill(line + x, line + size.width(), qRgb(255, 255, 255));
    }
    return out;
}

void BuildPrintPicture(QImage& image, const ChartSnapshot& s, const QStringList& commentLines)
{
    // The upper 550 rows keep the chart; the rows below are new and white.
    image = resizedKeeping(image, PrintPictureSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRect(0, PrintChartSize.height(), PrintPictureSize.width(),
                     PrintPictureSize.height() - PrintChartSize.height()),
               Qt::white);
    p.setPen(Qt::black);

    p.setFont(printFont(16, true));
    writeAt(p, CaptionX, TitleY, s.get(ChartSnapshot::Title));

    const QFont caption = printFont(8, true);
    const QFont value = printFont(8, false);
    int y = FirstRowY;
    for (int row = 0; row < ChartSnapshot::RowCount; ++row, y += RowStep) {
        p.setFont(caption);
        writeAt(p, CaptionX, y, s.get(ChartSnapshot::rowCaption(row)));
        p.setFont(value);
        writeAt(p, ValueX, y, s.get(ChartSnapshot::rowValue(row)));
    }

    y = CommentY;
    p.setFont(caption);
    writeAt(p, CaptionX, y, s.get(ChartSnapshot::CommentCaption));
    p.setFont(value);
    for (const QString& line : commentLines) {
        writeAt(p, ValueX, y, line);
        y += RowStep;
    }
}
