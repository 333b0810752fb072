// Values and pictures of the multi-cycle report, read from the tool once per record and report.
#include "curves/MultiCycleReport.h"

#include "curves/CycleFile.h"
#include "curves/MeasuredData.h"
#include "curves/PrintPicture.h"
#include "link/Usbhidinterface.h"

#include <stdexcept>

MultiCycleReport::MultiCycleReport(TUsbHidInterface& link, ReportValues& values, ReportPictureTarget target)
    : link_(link), values_(values), target_(target)
{
}

void MultiCycleReport::setReportPaths(const QStringList& paths)
{
    paths_ = paths;
    values_.ReportRecord.reset();
    reads_.assign(static_cast<std::size_t>(paths_.size()), std::nullopt);
    toolReads_ = 0;
    failedReads_ = 0;
}

void MultiCycleReport::takeRecord(int recNo)
{
    values_.ReportRecord = recNo;
    // The title is printed while the data set stands on record 0, also when nothing is selected:
    // a record without a path reads nothing.
    if (recNo < 0 || recNo >= paths_.size())
        return;
    std::optional<Read>& read = reads_[static_cast<std::size_t>(recNo)];
    if (!read) {
        // The tool's files do not change while a report is prepared, so one read serves both passes.
        read.emplace();
        if (link_.Connected) {
            read->attempted = true;
            CycleBuffer buffer{};
            const int n = link_.ReadToolFile(paths_[recNo], buffer);
            ++toolReads_;
            if (n > 0)
                read->bytes.assign(buffer.begin(), buffer.begin() + std::min<std::size_t>(n, buffer.size()));
        }
        if (read->bytes.size() < CycleHeaderSize)
            ++failedReads_;
    }
    if (!read->attempted || read->bytes.size() < CycleHeaderSize)
        return;  // the record shows what was read before

    const std::optional<CycleFile> f = CycleFile::decodeHeader(read->bytes);
    if (!f)
        return;
    values_.ReportDate = formatCycleDate(*f);
    values_.ReportCounter = QStringLiteral("%1").arg(f->CycleCounter, 6, 10, QLatin1Char('0'));
    values_.ReportMotorTime = formatCycleMotorTime(f->MotorTimeMs);
    values_.ReportRevolution = formatRevolution(f->RevolutionTimeMs);
    values_.ReportWorkValue = QStringLiteral("%1%").arg(f->SwitchOffWorkValue);
    values_.ReportVoltage = formatVoltage10(f->BatteryVoltage10);

    // The drawing prepares the samples in place: it works on a copy of what was read.
    CycleBuffer buffer{};
    std::copy(read->bytes.begin(), read->bytes.end(), buffer.begin());
    const QSize size = chartImageInfo(ChartImage::PrintImgReport).formSize;
    QImage work = target_.picture.size() == size ? target_.picture : resizedKeeping(target_.picture, size);
    const DrawResult r = drawCycle(work, ChartImage::PrintImgReport, buffer, read->bytes.size(), target_.chart);
    if (r.outcome == DrawOutcome::Drawn)
        target_.picture = work;
    if (onPictureDrawn)
        onPictureDrawn();
}

QString MultiCycleReport::frxPrintReportGetValue(int recNo, const QString& name)
{
    if (!values_.ReportRecord || *values_.ReportRecord != recNo)
        takeRecord(recNo);
    const auto is = [&name](const char* key) { return name.compare(QLatin1String(key), Qt::CaseInsensitive) == 0; };
    if (is("Caption")) return captions_.caption;
    if (is("Presszyklus")) return values_.ReportCounter;
    if (is("Datum")) return values_.ReportDate;
    if (is("CapBetriebsstunden")) return captions_.bsMotor;
    if (is("LblBetriebsstunden")) return values_.ReportMotorTime;
    if (is("CapAkkuspannung")) return captions_.akkuspannung;
    if (is("LblAkkuspannung")) return values_.ReportVoltage;
    if (is("CapAbschDZ")) return captions_.abschaltdrehzahl;
    if (is("LblAbschDZ")) return values_.ReportRevolution;
    if (is("CapAbschAW")) return captions_.abschaltAw;
    if (is("LblAbschAW")) return values_.ReportWorkValue;
    return QStringLiteral("[ERROR]");
}

void MultiCycleReport::frxPrintReportBeforePrint(report::ReportObject& object) const
{
    if (object.name == QLatin1String("Picture1"))
        object.picture = target_.picture;
}

std::unique_ptr<report::Report> MultiCycleReport::makeReport()
{
    auto t = report::builtInTemplate(QStringLiteral("frxPrintReport"));
    if (!t)
        throw std::logic_error("the template frxPrintReport does not load");
    auto r = std::make_unique<report::Report>(std::move(*t));
    r->dataSet().recordCount = static_cast<int>(paths_.size());
    report::Report* engine = r.get();
    r->setOnGetValue([this, engine](const QString& name) { return frxPrintReportGetValue(engine->currentRecord(), name); });
    r->setOnBeforePrint([this](report::ReportObject& o) { frxPrintReportBeforePrint(o); });
    return r;
}
