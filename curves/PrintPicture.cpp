// Layout of the print picture.
#include "curves/PrintPicture.h"

#include <QFontMetrics>
#include <QPainter>

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
    out.fill(Qt::white);
    if (!image.isNull()) {
        QPainter p(&out);
        p.drawImage(0, 0, image);
    }
    return out;
}

void BuildPrintPicture(QImage& image, const ChartSnapshot& s, const QStringList& commentLines)
{
    image = resizedKeeping(image.copy(QRect(QPoint(0, 0), PrintChartSize)), PrintPictureSize);
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
