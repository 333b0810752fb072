// The one drawing routine of the report engine and the outputs built on it.
#include "report/ReportRenderer.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace report {

namespace {
// Text stands this far inside its object's edges, as report memos have always placed it.
constexpr double TextGapX = 2.0;
constexpr double TextGapY = 1.0;
// Arial's metric twin on systems that lack Arial itself.
const QString ArialStandIn = QStringLiteral("Liberation Sans");

QFont objectFont(const ReportObject& o)
{
    QFont f;
    f.setFamilies({o.fontFamily, ArialStandIn});
    f.setPixelSize(o.fontPixels);
    f.setBold(o.bold);
    f.setUnderline(o.underline);
    // Positions must not depend on the device's hinting.
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

int alignmentFlags(const ReportObject& o)
{
    int flags = Qt::TextWordWrap;
    switch (o.hAlign) {
    case HAlign::Left: flags |= Qt::AlignLeft; break;
    case HAlign::Center: flags |= Qt::AlignHCenter; break;
    case HAlign::Right: flags |= Qt::AlignRight; break;
    }
    switch (o.vAlign) {
    case VAlign::Top: flags |= Qt::AlignTop; break;
    case VAlign::Center: flags |= Qt::AlignVCenter; break;
    case VAlign::Bottom: flags |= Qt::AlignBottom; break;
    }
    return flags;
}

void drawText(QPainter& p, const ReportObject& o)
{
    const QRectF r = o.geometry;
    if (o.background.isValid())
        p.fillRect(r, o.background);
    if (!o.text.isEmpty()) {
        p.save();
        p.setClipRect(r, Qt::IntersectClip);
        p.setFont(objectFont(o));
        p.setPen(o.colour);
        p.drawText(r.adjusted(TextGapX, TextGapY, -TextGapX, -TextGapY), alignmentFlags(o), o.text);
        p.restore();
    }
    if (o.frameTop || o.frameBottom) {
        QPen pen(Qt::black, o.frameWidth);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        if (o.frameTop)
            p.drawLine(r.topLeft(), r.topRight());
        if (o.frameBottom)
            p.drawLine(r.bottomLeft(), r.bottomRight());
    }
}

void drawPicture(QPainter& p, const ReportObject& o)
{
    if (o.picture.isNull())
        return;
    const QRectF r = o.geometry;
    if (o.stretch || o.autoSize) {
        p.drawImage(r, o.picture);
        return;
    }
    p.save();
    p.setClipRect(r, Qt::IntersectClip);
    p.drawImage(QRectF(r.topLeft(), QSizeF(o.picture.size())), o.picture);
    p.restore();
}

QString xmlEscaped(const QString& s)
{
    return s.toHtmlEscaped();
}
}  // namespace

void drawPage(QPainter& painter, const PreparedPage& page, double dpi)
{
    painter.save();
    painter.scale(dpi / 96.0, dpi / 96.0);
    // Pictures are measured data: no smoothing and no lossy recompression in a PDF.
    painter.setRenderHint(QPainter::LosslessImageRendering, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    for (const PlacedObject& placed : page.objects) {
        if (placed.object.kind == ObjectKind::Text)
            drawText(painter, placed.object);
        else
            drawPicture(painter, placed.object);
    }
    painter.restore();
}

QImage pageImage(const PreparedReport& report, int pageIndex, int dpi)
{
    if (pageIndex < 0 || pageIndex >= report.pageCount())
        return {};
    const QSize size(qRound(report.pageSize.width() * dpi / 96.0), qRound(report.pageSize.height() * dpi / 96.0));
    QImage image(size, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter p(&image);
    drawPage(p, report.pages[static_cast<std::size_t>(pageIndex)], dpi);
    return image;
}

QByteArray xmpMetadata(const PdfExportSettings& s)
{
    const QString created = s.created.toOffsetFromUtc(s.created.offsetFromUtc()).toString(Qt::ISODate);
    const QString xmp = QStringLiteral(
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
        " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
        "  <rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
        " xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
        "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>\n"
        "   <dc:creator><rdf:Seq><rdf:li>%2</rdf:li></rdf:Seq></dc:creator>\n"
        "   <dc:description><rdf:Alt><rdf:li xml:lang=\"x-default\">%3</rdf:li></rdf:Alt></dc:description>\n"
        "   <pdf:Producer>%4</pdf:Producer>\n"
        "   <xmp:CreatorTool>%4</xmp:CreatorTool>\n"
        "   <xmp:CreateDate>%5</xmp:CreateDate>\n"
        "  </rdf:Description>\n"
        " </rdf:RDF>\n"
        "</x:xmpmeta>\n"
        "<?xpacket end=\"w\"?>")
                            .arg(xmlEscaped(s.title), xmlEscaped(s.author), xmlEscaped(s.subject),
                                 xmlEscaped(s.creator), created);
    return xmp.toUtf8();
}

QByteArray pdfDocument(const PreparedReport& report, const PdfExportSettings& settings)
{
    if (report.pages.empty())
        return {};
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfResolution);
        writer.setTitle(settings.title);
        writer.setCreator(settings.creator);
        writer.setDocumentXmpMetadata(xmpMetadata(settings));
        writer.setPageLayout(QPageLayout(QPageSize(report.pageSize * 25.4 / 96.0, QPageSize::Millimeter),
                                         QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        QPainter p;
        if (!p.begin(&writer))
            return {};
        for (int i = 0; i < report.pageCount(); ++i) {
            if (i > 0 && !writer.newPage())
                return {};
            drawPage(p, report.pages[static_cast<std::size_t>(i)], PdfResolution);
        }
        if (!p.end())
            return {};
    }
    return bytes;
}

bool printReport(QPrinter& printer, const PreparedReport& report)
{
    if (report.pages.empty())
        return false;
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(report.pageSize * 25.4 / 96.0, QPageSize::Millimeter),
                                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter p;
    if (!p.begin(&printer))
        return false;
    const int first = std::max(1, printer.fromPage());
    const int last = printer.toPage() > 0 ? std::min(printer.toPage(), report.pageCount()) : report.pageCount();
    for (int page = first; page <= last; ++page) {
        if (page > first && !printer.newPage())
            return false;
        drawPage(p, report.pages[static_cast<std::size_t>(page - 1)], printer.resolution());
    }
    return p.end();
}

QString jpegPagePath(const QString& chosenPath, int pageIndex)
{
    if (pageIndex <= 0)
        return chosenPath;
    const QFileInfo info(chosenPath);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? chosenPath : chosenPath.left(chosenPath.size() - suffix.size() - 1);
    // A dot in a folder name is not an extension.
    if (!suffix.isEmpty() && info.fileName().size() > suffix.size() + 1)
        return QStringLiteral("%1_%2.%3").arg(stem).arg(pageIndex + 1).arg(suffix);
    return QStringLiteral("%1_%2").arg(chosenPath).arg(pageIndex + 1);
}

std::vector<std::pair<QString, QByteArray>> jpegExport(const PreparedReport& report, const QString& chosenPath,
                                                       const ImageEncoder& encode)
{
    std::vector<std::pair<QString, QByteArray>> files;
    for (int i = 0; i < report.pageCount(); ++i) {
        std::optional<QByteArray> bytes = encode(pageImage(report, i));
        if (!bytes)
            return {};
        files.emplace_back(jpegPagePath(chosenPath, i), std::move(*bytes));
    }
    return files;
}

}  // namespace report
