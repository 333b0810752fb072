// Running a report over its data set and laying the bands out on pages.
#include "report/Report.h"

namespace report {

namespace {
// Template measures are rounded to 1/100 unit: thirteen bands that fill a page exactly may add up
// to a few hundredths more than the page holds, and must still fit.
constexpr double FitTolerance = 0.1;
}  // namespace

Report::Report(ReportTemplate t) : template_(std::move(t))
{
    dataSet_.name = template_.dataSet;
}

QString Report::evaluate(const QString& text, const std::function<QString(const QString&)>& lookup)
{
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('['), i);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0)
            break;
        out += QStringView(text).mid(i, open - i);
        out += lookup(text.mid(open + 1, close - open - 1));
        i = close + 1;
    }
    out += QStringView(text).mid(i);
    return out;
}

void Report::printBand(const Band& band, double top, int page, PreparedPage& out, const QDateTime& now)
{
    const QPointF origin = template_.printableRect().topLeft() + QPointF(0.0, top);
    out.bands.push_back({band.kind, record_, top});
    const auto lookup = [&](const QString& name) -> QString {
        if (name.compare(QLatin1String("Date"), Qt::CaseInsensitive) == 0)
            return now.date().toString(QStringLiteral("dd.MM.yyyy"));
        if (name.compare(QLatin1String("Time"), Qt::CaseInsensitive) == 0)
            return now.time().toString(QStringLiteral("hh:mm:ss"));
        if (name.compare(QLatin1String("Page"), Qt::CaseInsensitive) == 0)
            return QString::number(page);
        return getValue_ ? getValue_(name) : QString();
    };
    for (const ReportObject& o : band.objects) {
        PlacedObject placed{o};
        ReportObject& obj = placed.object;
        if (beforePrint_)
            beforePrint_(obj);
        if (obj.kind == ObjectKind::Text) {
            obj.text = evaluate(o.text, lookup);
        } else if (obj.autoSize && !obj.picture.isNull()) {
            // Pictures are drawn one image pixel per 1/96 inch.
            obj.geometry.setSize(obj.picture.size());
        }
        obj.geometry.translate(origin);
        out.objects.push_back(std::move(placed));
    }
}

bool Report::run(int pass, PreparedReport& out, const QDateTime& now)
{
    pass_ = pass;
    record_ = 0;
    out.pageSize = template_.pageSize();
    out.pages.clear();
    const Band* title = template_.band(BandKind::ReportTitle);
    const Band* footer = template_.band(BandKind::PageFooter);
    const Band* data = template_.band(BandKind::MasterData);
    const double pageHeight = template_.printableRect().height();
    const double footerTop = footer ? pageHeight - footer->height : pageHeight;

    out.pages.emplace_back();
    double y = 0.0;
    const auto endPage = [&] {
        if (footer)
            printBand(*footer, footerTop, out.pageCount(), out.pages.back(), now);
    };
    if (title) {
        printBand(*title, y, 1, out.pages.back(), now);
        y += title->height;
    }
    const int records = data ? std::max(0, dataSet_.recordCount) : 0;
    for (int r = 0; r < records; ++r) {
        if (progress_ && !progress_(pass, r, records))
            return false;
        record_ = r;
        // A band that does not fit starts the next page, unless the page is still empty: a band
        // taller than a whole page is printed all the same (the loader refuses such templates).
        if (y > 0.0 && y + data->height > footerTop + FitTolerance) {
            endPage();
            out.pages.emplace_back();
            y = 0.0;
        }
        printBand(*data, y, out.pageCount(), out.pages.back(), now);
        y += data->height;
    }
    endPage();
    return true;
}

PreparedReport Report::prepare(const QDateTime& now)
{
    PreparedReport result;
    // The first pass only finds the pages; the program's callbacks run in both, as they always have.
    if (!run(1, result, now) || !run(2, result, now))
        result.pages.clear();
    pass_ = 0;
    return result;
}

}  // namespace report
