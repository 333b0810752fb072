// A report: one template, a user data set, and the program's two callbacks. prepare() runs the
// template over the data set (two passes, as the program's reports have always been run) and
// lays the bands out on pages; the result is drawn by ReportRenderer onto any paint device.
#pragma once

#include "report/ReportTemplate.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

namespace report {

// The program's data: a name and how many records the master-data band is printed for.
struct UserDataSet {
    QString name;
    int recordCount = 0;
};

// An object as it lands on a page: evaluated text, filled picture, page position in 1/96 inch.
struct PlacedObject {
    ReportObject object;  // geometry is absolute on the page
};

struct PreparedPage {
    std::vector<PlacedObject> objects;  // in drawing order
    // Top of each band printed on this page, by kind, in order (for tests and the outline).
    struct PlacedBand {
        BandKind kind;
        int record;  // the data set's record number while the band was printed
        double top;
    };
    std::vector<PlacedBand> bands;
};

struct PreparedReport {
    QSizeF pageSize;  // 1/96 inch
    std::vector<PreparedPage> pages;
    int pageCount() const { return static_cast<int>(pages.size()); }
};

class Report {
public:
    // Answers a bracketed name that is not the engine's own (Date, Time, Page).
    using GetValue = std::function<QString(const QString& name)>;
    // Called with each object before it is printed, in template order; may fill its picture.
    using BeforePrint = std::function<void(ReportObject& object)>;
    // Called between the records of a long run; returning false stops it (the result is empty).
    using Progress = std::function<bool(int pass, int record, int recordCount)>;

    explicit Report(ReportTemplate t);

    const ReportTemplate& reportTemplate() const { return template_; }
    UserDataSet& dataSet() { return dataSet_; }
    // The record the master-data band is being printed for (0 while the title is printed).
    int currentRecord() const { return record_; }
    // 1 while the first pass runs, 2 during the second.
    int currentPass() const { return pass_; }

    void setOnGetValue(GetValue f) { getValue_ = std::move(f); }
    void setOnBeforePrint(BeforePrint f) { beforePrint_ = std::move(f); }
    void setProgress(Progress f) { progress_ = std::move(f); }

    // Runs the report and returns its pages; now gives Date and Time. Clears any previous result.
    PreparedReport prepare(const QDateTime& now = QDateTime::currentDateTime());

    // The text of a template text with every [name] replaced: Date "dd.MM.yyyy", Time "hh:mm:ss",
    // Page the page number, anything else through getValue. A "[" without a closing "]" stays text.
    static QString evaluate(const QString& text, const std::function<QString(const QString&)>& lookup);

private:
    bool run(int pass, PreparedReport& out, const QDateTime& now);
    void printBand(const Band& band, double top, int page, PreparedPage& out, const QDateTime& now);

    ReportTemplate template_;
    UserDataSet dataSet_;
    GetValue getValue_;
    BeforePrint beforePrint_;
    Progress progress_;
    int record_ = 0;
    int pass_ = 0;
};

}  // namespace report
