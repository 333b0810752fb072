// Loading the engine's interface strings.
#include "report/ReportStrings.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

void initReportResources();

namespace report {

namespace {
constexpr qint64 MaxStringSetBytes = 64 * 1024;
constexpr qsizetype MaxStringLength = 256;

ReportStrings& current()
{
    static ReportStrings strings;
    return strings;
}
}  // namespace

std::optional<ReportStrings> ReportStrings::load(QIODevice& stream)
{
    const QByteArray bytes = stream.read(MaxStringSetBytes + 1);
    if (bytes.size() > MaxStringSetBytes)
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    ReportStrings s;
    const std::pair<const char*, QString*> fields[] = {
        {"language", &s.language}, {"preview", &s.preview},       {"print", &s.print},
        {"exportPdf", &s.exportPdf}, {"exportJpeg", &s.exportJpeg}, {"first", &s.first},
        {"prior", &s.prior},       {"next", &s.next},             {"last", &s.last},
        {"pageOf", &s.pageOf},     {"outlinePage", &s.outlinePage}, {"close", &s.close},
        {"preparing", &s.preparing}, {"exporting", &s.exporting}, {"cancel", &s.cancel},
        {"pdfFilter", &s.pdfFilter}, {"jpegFilter", &s.jpegFilter}, {"pdfTitle", &s.pdfTitle},
        {"jpegTitle", &s.jpegTitle},
    };
    for (const auto& [key, field] : fields) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            continue;
        if (!v.isString() || v.toString().size() > MaxStringLength)
            return std::nullopt;
        *field = v.toString();
    }
    return s;
}

ReportStrings ReportStrings::builtIn(int resourceNumber)
{
    initReportResources();
    if (resourceNumber < 1020 || resourceNumber > 1025)
        resourceNumber = 1020;
    QFile f(QStringLiteral(":/report/strings/%1.json").arg(resourceNumber));
    if (f.open(QIODevice::ReadOnly))
        if (std::optional<ReportStrings> s = load(f))
            return *s;
    return ReportStrings{};
}

const ReportStrings& engineStrings()
{
    return current();
}

void setEngineStrings(const ReportStrings& strings)
{
    current() = strings;
}

}  // namespace report
