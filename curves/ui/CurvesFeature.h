// Binds the work-curve controls of the main window to the chart logic: the cycle archive (calendar,
// spin edits, cycle list), the chart with its measured-data labels, printing and saving as JPEG.
// Owns the chart state: plot geometry and band limits, ChartSnapshot, CurrentCyclePath and the
// folder remembered between saves.
#pragma once

#include "app/ui/MainContext.h"
#include "curves/ChartRenderer.h"
#include "curves/ChartSnapshot.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QLabel;
class QPrinter;

class CurvesFeature : public QObject {
    Q_OBJECT
public:
    explicit CurvesFeature(MainContext& ctx);
    ~CurvesFeature() override;

    // --- cycle archive ---------------------------------------------------------------------------
    // Refills LbZyklen with the cycle files of the calendar's day (wait cursor meanwhile). Also
    // called by the connection monitor right after a tool was opened.
    void ListCycles();
    // The spin edits set the calendar's month or year; a day the new month lacks becomes its last day.
    void SpinEditMonatChange();
    void SpinEditJahrChange();
    // The calendar's date really changed: the new day is listed.
    void CalendarChange();
    void BtnZyklenAktualisierenClick();
    // Loads the selected cycle into ImgChart with the labels.
    void LbZyklenClick();

    // --- chart -----------------------------------------------------------------------------------
    // Reads the cycle at path from the tool and draws it into image; with updateLabels the
    // measured-data labels and the ChartSnapshot follow. A file shorter than 64 bytes or with an
    // invalid header leaves the picture, the labels and the snapshot as they were. Whatever
    // happened, BtnSaveChart and BtnPrintChart are enabled afterwards.
    void DrawCycleChart(const QString& path, ChartImage image, bool updateLabels);
    // The status page's most recent cycle: StatusFeature::TS_MaschinenStatusShow hands its path
    // ("%04d%02d%02d\%06d") here, through StatusFeature::setCycleChartDrawer (wired by the main window).
    void DrawLatestCycle(const QString& path);

    // --- output ----------------------------------------------------------------------------------
    // Redraws CurrentCyclePath into PrintImage and lays out the 700 x 750 print picture there.
    void BuildPrintPicture();
    // Print dialog, then one page with the print picture at (500, 500).
    void BtnPrintChartClick();
    // Save dialog (remembered folder, "<counter>_<serial>.jpg"), then the picture as JPEG.
    void BtnSaveChartClick();
    // Keeps the comment memo at PrintInfoMaxLines lines.
    void PrintInfoChange();

    // --- state -----------------------------------------------------------------------------------
    const ChartState& chartState() const { return chart_; }
    const ChartSnapshot& snapshot() const { return snapshot_; }
    const QString& CurrentCyclePath() const { return currentCyclePath_; }
    const QString& saveDirectory() const { return saveDir_; }
    // The bitmap of a chart image as last drawn (null before its first drawing).
    const QImage& picture(ChartImage image) const { return images_[static_cast<std::size_t>(image)]; }
    // The lines of PrintInfo as the print picture writes them.
    QStringList commentLines() const;
    QLabel* imageLabel(ChartImage image) const;

    // Where printing goes; the product prints on the printer the dialog chose. Tests print to PDF.
    void setPrinterFactory(std::function<std::unique_ptr<QPrinter>()> factory) { printerFactory_ = std::move(factory); }

    MainContext& context() { return ctx_; }

private:
    void writeLabels(const CycleFile& file);
    void copySnapshot();

    MainContext& ctx_;
    ChartState chart_;
    ChartSnapshot snapshot_;
    QString currentCyclePath_;
    QString saveDir_;
    std::array<QImage, 4> images_;
    std::function<std::unique_ptr<QPrinter>()> printerFactory_;
    bool trimmingMemo_ = false;
    bool rowChangedByPress_ = false;
    bool skipNextClick_ = false;
};
