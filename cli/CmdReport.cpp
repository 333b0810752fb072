// report: the single-cycle or the multi-cycle report of cycles on the tool, written as PDF or as
// JPEG pages through the same engine and templates as the preview, so that a script can make a
// press protocol.
#include "cli/Cli.h"

#include "texts/Texte.h"
#include "curves/ChartSnapshot.h"
#include "curves/CycleArchive.h"
#include "curves/CycleChart.h"
#include "curves/MeasuredData.h"
#include "curves/MultiCycleReport.h"
#include "curves/PrintPicture.h"
#include "curves/ReportExport.h"
#include "curves/SingleCycleReport.h"
#include "link/Usbhidinterface.h"
#include "params/ParameterBlock.h"
#include "status/ToolInfoBlock.h"

#include <QRegularExpression>
#include <cstdio>

namespace {
const char* const Usage =
    "usage: report [--lang N] [--comment TEXT] (--pdf OUT.pdf | --jpeg OUT.jpg) [YYYYMMDD\\NNNNNN]\n"
    "       report --day YYYYMMDD [--cycles NNNNNN,NNNNNN,...] [--lang N] (--pdf OUT.pdf | --jpeg OUT.jpg)";

// Text ids of the captions the reports show.
namespace Txt {
constexpr int Arbeitskurve = 18, Kommentar = 19;
constexpr int SerialCaption = 5, VersionCaption = 6, WarrantyCaption = 7, ServiceCaption = 8;
constexpr int CounterCaption = 23, DateCaption = 24, MotorTimeCaption = 25, TemperatureCaption = 26,
              VoltageCaption = 27, RevolutionCaption = 28, ErrorCaption = 29, WarningCaption = 30,
              WorkValueCaption = 31;
}  // namespace Txt

struct ReportOptions {
    std::uint32_t language = LangGerman;
    QStringList comment;
    bool pdf = false;
    QString out;
    QString path;                    // single-cycle: the cycle, empty for the most recent one
    QDate day;                       // multi-cycle when valid
    std::optional<QStringList> cycles;
};

std::optional<ReportOptions> parse(const QStringList& args)
{
    ReportOptions o;
    bool haveComment = false, haveDay = false;
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--lang" && hasValue) {
            bool ok = false;
            const uint lang = args[++i].toUInt(&ok);
            if (!ok || lang >= LanguageCount)
                return std::nullopt;
            o.language = lang;
        } else if (a == "--comment" && hasValue && !haveComment) {
            haveComment = true;
            // The comment memo holds at most ten lines.
            o.comment = args[++i].split(QLatin1Char('\n')).mid(0, PrintInfoMaxLines);
        } else if ((a == "--pdf" || a == "--jpeg") && hasValue && o.out.isEmpty()) {
            o.pdf = a == "--pdf";
            o.out = args[++i];
            if (o.out.isEmpty())
                return std::nullopt;
        } else if (a == "--day" && hasValue && !haveDay) {
            haveDay = true;
            o.day = QDate::fromString(args[++i], QStringLiteral("yyyyMMdd"));
            if (!o.day.isValid())
                return std::nullopt;
        } else if (a == "--cycles" && hasValue && !o.cycles) {
            o.cycles = args[++i].split(QLatin1Char(','));
            static const QRegularExpression name(QStringLiteral("^[0-9]{6}$"));
            for (const QString& c : *o.cycles)
                if (!name.match(c).hasMatch())
                    return std::nullopt;
        } else if (a.startsWith("--")) {
            return std::nullopt;
        } else {
            positional << a;
        }
    }
    if (o.out.isEmpty() || positional.size() > 1)
        return std::nullopt;
    if (haveDay) {
        if (haveComment || !positional.isEmpty())
            return std::nullopt;
        return o;
    }
    if (o.cycles)
        return std::nullopt;
    if (!positional.isEmpty()) {
        static const QRegularExpression path(QStringLiteral("^[0-9]{8}\\\\[0-9]{6}$"));
        if (!path.match(positional.front()).hasMatch())
            return std::nullopt;
        o.path = positional.front();
    }
    return o;
}

QString windowTitle(std::uint32_t lang)
{
    const QString version = QStringLiteral(PRESSDIAG_VERSION_TEXT);
    return version.isEmpty() ? LangText(lang, 0) : QStringLiteral("%1 (%2)").arg(LangText(lang, 0), version);
}

int write(const report::PreparedReport& prepared, const ReportOptions& o, const QString& title)
{
    const ReportExportResult r = o.pdf ? exportReportPdf(prepared, o.out, title) : exportReportJpeg(prepared, o.out);
    if (!r.ok) {
        printError(r.error);
        return ExitFailure;
    }
    std::printf("%s\n", r.files.join(QLatin1Char(' ')).toLocal8Bit().constData());
    return ExitOk;
}

int singleCycle(TUsbHidInterface& link, const ReportOptions& o)
{
    const std::uint32_t lang = o.language;
    // The status values come from the tool as loading it fills the status page.
    Payload raw{};
    if (!link.CmdGetInfo(raw)) {
        printError(QStringLiteral("the tool did not answer the status request"));
        return ExitFailure;
    }
    const ToolInfoBlock info = ToolInfoBlock::decode(raw);
    const std::optional<ParameterBlock> block = readParameterPages(link);
    if (!block) {
        printError(QStringLiteral("the parameter block could not be read"));
        return ExitFailure;
    }
    WarrantyFields warranty;
    if (!link.CmdGetWarranty(warranty.day, warranty.month, warranty.year, warranty.hour, warranty.minute))
        warranty = {};
    QString path = o.path;
    if (path.isEmpty()) {
        if (info.CycleCount == 0) {
            printError(QStringLiteral("the tool has recorded no cycle yet"));
            return ExitFailure;
        }
        path = latestCyclePath(info);
    }

    QImage picture(chartImageInfo(ChartImage::PrintImgSingle).formSize, QImage::Format_RGB32);
    picture.fill(Qt::white);
    ChartState chart;
    const CycleChartDrawing d = drawToolCycle(link, path, picture, ChartImage::PrintImgSingle, chart);
    if (d.result.outcome != DrawOutcome::Drawn) {
        printError(d.bytesRead < static_cast<int>(CycleHeaderSize)
                       ? QStringLiteral("could not read the cycle '%1' from the tool").arg(path)
                       : QStringLiteral("'%1' is not a valid cycle file").arg(path));
        return ExitFailure;
    }
    const MeasuredData m = MeasuredData::from(*d.result.file, lang);
    using F = ChartSnapshot::Field;
    using L = MeasuredData::Label;
    ChartSnapshot s;
    const auto text = [lang](int id) { return LangText(lang, id); };
    const std::pair<F, QString> fields[] = {
        {F::Title, text(Txt::Arbeitskurve)},
        {F::CounterCaption, text(Txt::CounterCaption)},         {F::CounterValue, m[L::Index]},
        {F::DateCaption, text(Txt::DateCaption)},               {F::DateValue, m[L::Datum]},
        {F::MotorTimeCaption, text(Txt::MotorTimeCaption)},     {F::MotorTimeValue, m[L::BsMotor]},
        {F::TemperatureCaption, text(Txt::TemperatureCaption)}, {F::TemperatureValue, m[L::Temperatur]},
        {F::VoltageCaption, text(Txt::VoltageCaption)},         {F::VoltageValue, m[L::Akkuspannung]},
        {F::RevolutionCaption, text(Txt::RevolutionCaption)},   {F::RevolutionValue, m[L::Abschaltdrehzahl]},
        {F::ErrorCaption, text(Txt::ErrorCaption)},             {F::ErrorValue, m[L::ErrorCode]},
        {F::WarningCaption, text(Txt::WarningCaption)},         {F::WarningValue, m[L::WarnCode]},
        {F::SerialCaption, text(Txt::SerialCaption)},           {F::SerialValue, parameterText(block->MaschNr)},
        {F::VersionCaption, text(Txt::VersionCaption)},         {F::VersionValue, parameterText(block->Text)},
        {F::WarrantyCaption, text(Txt::WarrantyCaption)},
        {F::WarrantyValue, warrantyStatusText(warranty, block->StartGarantie, info.CycleCount)},
        {F::ServiceCaption, text(Txt::ServiceCaption)},
        {F::ServiceValue, serviceCountText(info.ServiceCount, lang)},
        // A script that asks for a report has prepared its output: the comment has its caption.
        {F::CommentCaption, text(Txt::Kommentar)},
    };
    for (const auto& [field, value] : fields)
        s.set(field, value);

    const SingleCycleReportData data{windowTitle(lang), o.comment, picture};
    const report::PreparedReport prepared = frxPrintSingle(s, data)->prepare();
    return write(prepared, o, windowTitle(lang));
}

int multiCycle(TUsbHidInterface& link, const ReportOptions& o)
{
    const QStringList names = o.cycles ? *o.cycles : findCycles(link, o.day);
    QStringList paths;
    for (const QString& n : names)
        paths << cyclePath(o.day, n);
    ReportValues values;
    QImage picture;
    ChartState chart;
    MultiCycleReport report(link, values, {picture, chart});
    report.setReportPaths(paths);
    const auto text = [&o](int id) { return LangText(o.language, id); };
    report.setCaptions({windowTitle(o.language), text(Txt::MotorTimeCaption), text(Txt::VoltageCaption),
                        text(Txt::RevolutionCaption), text(Txt::WorkValueCaption)});
    const report::PreparedReport prepared = report.makeReport()->prepare();
    if (report.failedReads() > 0 || !link.Connected) {
        printError(QStringLiteral("%1 of %2 cycles could not be read from the tool").arg(report.failedReads()).arg(paths.size()));
        return ExitFailure;
    }
    return write(prepared, o, windowTitle(o.language));
}
}  // namespace

int cmdReport(CliArgs& args)
{
    const auto o = parse(args.args);
    if (!o) {
        printError(QString::fromLatin1(Usage));
        return ExitUsage;
    }
    auto tool = openTool(args);
    if (!tool)
        return ExitFailure;
    return o->day.isValid() ? multiCycle(*tool->link, *o) : singleCycle(*tool->link, *o);
}
