// The multi-cycle report: one block per selected cycle of a day with its number, date and time,
// motor time, battery voltage, revolution speed and switch-off work value, and a small picture of
// its curve in light colours without markers, on the pages of the template frxPrintReport.
#pragma once

#include "curves/ChartRenderer.h"
#include "report/Report.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TUsbHidInterface;

// The texts of the record last read, kept for the whole program run.
struct ReportValues {
    QString ReportCounter, ReportDate, ReportMotorTime, ReportRevolution, ReportWorkValue, ReportVoltage;
    // The data-set record these belong to; none at program start and at the start of every report.
    std::optional<int> ReportRecord;
};

// The captions the report takes from the main window at the moment it runs.
struct MultiCycleCaptions {
    QString caption;           // the main window's title
    QString bsMotor;           // CapChartBsMotor
    QString akkuspannung;      // CapChartAkkuspannung
    QString abschaltdrehzahl;  // CapChartAbschaltdrehzahl
    QString abschaltAw;        // CapChartAbschaltAw
};

// What the report draws into: the bitmap of PrintImgReport and the main window's chart state.
struct ReportPictureTarget {
    QImage& picture;
    ChartState& chart;
};

class MultiCycleReport {
public:
    // values lives for the program run; picture and chart are the main window's.
    MultiCycleReport(TUsbHidInterface& link, ReportValues& values, ReportPictureTarget target);

    // One path per selected cycle, in list order; forgets ReportRecord and what an earlier report read.
    void setReportPaths(const QStringList& paths);
    const QStringList& reportPaths() const { return paths_; }
    void setCaptions(const MultiCycleCaptions& captions) { captions_ = captions; }

    // The report's OnGetValue for the data set's current record recNo: on a new record the cycle
    // is read (once per report: the second pass takes what the first read) and the values and the
    // picture follow it; then the name is answered, "[ERROR]" for names the report does not know.
    QString frxPrintReportGetValue(int recNo, const QString& name);
    // The object named "Picture1" (exactly) gets the bitmap of PrintImgReport.
    void frxPrintReportBeforePrint(report::ReportObject& object) const;

    // frxPrintReport over DsPrintReport with one record per path, both callbacks bound. The report
    // refers to this object, which must outlive it.
    std::unique_ptr<report::Report> makeReport();

    // How many files were read from the tool since the paths were set.
    int toolReads() const { return toolReads_; }
    // How many records showed earlier values because nothing or fewer than 64 bytes could be read.
    int failedReads() const { return failedReads_; }
    // Called whenever the picture was drawn (the main window shows it and enables its buttons).
    std::function<void()> onPictureDrawn;

private:
    struct Read {
        bool attempted = false;  // false: the tool was not connected
        std::vector<std::uint8_t> bytes;
    };
    void takeRecord(int recNo);

    TUsbHidInterface& link_;
    ReportValues& values_;
    ReportPictureTarget target_;
    QStringList paths_;
    MultiCycleCaptions captions_;
    std::vector<std::optional<Read>> reads_;  // per record, what its first visit read
    int toolReads_ = 0;
    int failedReads_ = 0;
};
