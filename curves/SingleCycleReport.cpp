// Values and picture of the single-cycle report.
#include "curves/SingleCycleReport.h"

#include <stdexcept>

QString frxPrintSingleGetValue(const QString& name, const ChartSnapshot& snapshot, const SingleCycleReportData& data)
{
    using F = ChartSnapshot::Field;
    if (name.compare(QLatin1String("PageCaption"), Qt::CaseInsensitive) == 0)
        return data.pageCaption;
    if (name.compare(QLatin1String("LblKommentar"), Qt::CaseInsensitive) == 0) {
        QString joined;
        for (const QString& line : data.commentLines)
            joined += line + QLatin1Char('\n');
        return joined;
    }
    static const std::pair<const char*, F> fields[] = {
        {"Caption", F::Title},
        {"CapPresszyklus", F::CounterCaption},       {"LblPresszyklus", F::CounterValue},
        {"CapDatum", F::DateCaption},                {"LblDatum", F::DateValue},
        {"CapBetriebsstunden", F::MotorTimeCaption}, {"LblBetriebsstunden", F::MotorTimeValue},
        {"CapTemperatur", F::TemperatureCaption},    {"LblTemperatur", F::TemperatureValue},
        {"CapAkkuspannung", F::VoltageCaption},      {"LblAkkuspannung", F::VoltageValue},
        {"CapAbschDZ", F::RevolutionCaption},        {"LblAbschDZ", F::RevolutionValue},
        {"CapFehler", F::ErrorCaption},              {"LblFehler", F::ErrorValue},
        {"CapWarnung", F::WarningCaption},           {"LblWarnung", F::WarningValue},
        {"CapSn", F::SerialCaption},                 {"LblSn", F::SerialValue},
        {"CapVersion", F::VersionCaption},           {"LblVersion", F::VersionValue},
        {"CapKommentar", F::CommentCaption},
    };
    for (const auto& [key, field] : fields)
        if (name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0)
            return snapshot.get(field);
    // The switch-off work value has no place in this report.
    if (name.compare(QLatin1String("CapAbschAw"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("LblAbschAw"), Qt::CaseInsensitive) == 0)
        return {};
    return QStringLiteral("!!!Nicht definiert!!!");
}

void frxPrintSingleBeforePrint(report::ReportObject& object, const QImage& picture)
{
    if (object.name == QLatin1String("Picture"))
        object.picture = picture;
}

std::unique_ptr<report::Report> frxPrintSingle(const ChartSnapshot& snapshot, const SingleCycleReportData& data)
{
    auto t = report::builtInTemplate(QStringLiteral("frxPrintSingle"));
    if (!t)
        throw std::logic_error("the template frxPrintSingle does not load");
    auto r = std::make_unique<report::Report>(std::move(*t));
    r->dataSet().recordCount = 1;
    r->setOnGetValue([&snapshot, &data](const QString& name) { return frxPrintSingleGetValue(name, snapshot, data); });
    r->setOnBeforePrint([&data](report::ReportObject& o) { frxPrintSingleBeforePrint(o, data.picture); });
    return r;
}
