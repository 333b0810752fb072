// The single-cycle report: the chart of the current cycle in strong colours with the measured data
// and status values of the moment, and the user's comment, on one page of the template
// frxPrintSingle.
#pragma once

#include "curves/ChartSnapshot.h"
#include "report/Report.h"

#include <QImage>
#include <QString>
#include <QStringList>
#include <memory>

// What the report shows besides the snapshot: the main window's title, the comment memo's lines
// and the bitmap of PrintImgSingle.
struct SingleCycleReportData {
    QString pageCaption;
    QStringList commentLines;
    QImage picture;
};

// The answer for a bracketed name of the template, compared without regard to case;
// "!!!Nicht definiert!!!" for names the report does not know.
QString frxPrintSingleGetValue(const QString& name, const ChartSnapshot& snapshot, const SingleCycleReportData& data);
// The object named "Picture" (exactly) gets the bitmap of PrintImgSingle; others stay as they are.
void frxPrintSingleBeforePrint(report::ReportObject& object, const QImage& picture);

// The report with its data set DsPrintSingle at one record and both callbacks bound. The snapshot
// and data must outlive the report.
std::unique_ptr<report::Report> frxPrintSingle(const ChartSnapshot& snapshot, const SingleCycleReportData& data);
