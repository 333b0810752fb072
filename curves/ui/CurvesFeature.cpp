// The work-curve controls of the main window: cycle archive, chart, printing and JPEG export.
#include "curves/ui/CurvesFeature.h"

#include "texts/Texte.h"
#include "app/ui/MainState.h"
#include "curves/CycleArchive.h"
#include "curves/CycleChart.h"
#include "curves/JpegWriter.h"
#include "curves/MeasuredData.h"
#include "curves/PrintLayout.h"
#include "curves/PrintPicture.h"
#include "link/Usbhidinterface.h"
#include "platform/Prompts.h"

#include "ui_Main.h"

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QPrinter>

namespace {
// The wait cursor for as long as the object lives, the previous cursor afterwards.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// The memo's lines as the memo counts them: an empty last line after a final line break is none.
QStringList memoLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}
}  // namespace

CurvesFeature::CurvesFeature(MainContext& ctx) : ctx_(ctx)
{
    Ui::THauptDialog& ui = ctx_.ui;
    ui.SpinEditMonat->setRange(1, 12);
    ui.SpinEditJahr->setRange(ArchiveFirstYear, ArchiveLastYear);

    connect(ui.SpinEditMonat, qOverload<int>(&QSpinBox::valueChanged), this, [this] { SpinEditMonatChange(); });
    connect(ui.SpinEditJahr, qOverload<int>(&QSpinBox::valueChanged), this, [this] { SpinEditJahrChange(); });
    connect(ui.Calendar, &QCalendarWidget::selectionChanged, this, [this] { CalendarChange(); });
    connect(ui.BtnZyklenAktualisieren, &QPushButton::clicked, this, [this] { BtnZyklenAktualisierenClick(); });
    // A click on a line loads it, and so does moving the selection with the keyboard. A press
    // that moves the selection has loaded already; the click that ends that press loads nothing more.
    connect(ui.LbZyklen, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || !ctx_.ui.LbZyklen->isEnabled() || ctx_.ui.LbZyklen->signalsBlocked())
            return;
        rowChangedByPress_ = QApplication::mouseButtons() != Qt::NoButton;
        LbZyklenClick();
    });
    connect(ui.LbZyklen, &QListWidget::itemPressed, this, [this] {
        skipNextClick_ = std::exchange(rowChangedByPress_, false);
    });
    connect(ui.LbZyklen, &QListWidget::itemClicked, this, [this] {
        if (std::exchange(skipNextClick_, false))
            return;
        LbZyklenClick();
    });

    connect(ui.BtnPrintChart, &QPushButton::clicked, this, [this] { BtnPrintChartClick(); });
    connect(ui.BtnSaveChart, &QPushButton::clicked, this, [this] { BtnSaveChartClick(); });
    connect(ui.PrintInfo, &QPlainTextEdit::textChanged, this, [this] { PrintInfoChange(); });

    printerFactory_ = [] { return std::make_unique<QPrinter>(QPrinter::HighResolution); };
}

CurvesFeature::~CurvesFeature() = default;

QLabel* CurvesFeature::imageLabel(ChartImage image) const
{
    Ui::THauptDialog& ui = ctx_.ui;
    switch (image) {
    case ChartImage::ImgChart: return ui.ImgChart;
    case ChartImage::PrintImage: return ui.PrintImage;
    case ChartImage::PrintImgSingle: return ui.PrintImgSingle;
    case ChartImage::PrintImgReport: return ui.PrintImgReport;
    }
    return ui.ImgChart;
}

// ------------------------------------------------------------------------------------------------
// Cycle archive

void CurvesFeature::ListCycles()
{
    WaitCursor wait;
    QListWidget* list = ctx_.ui.LbZyklen;
    const QStringList names = findCycles(ctx_.link, ctx_.ui.Calendar->selectedDate());
    // Refilling moves the current row; that is not a click.
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(names);
}

void CurvesFeature::SpinEditMonatChange()
{
    QCalendarWidget* calendar = ctx_.ui.Calendar;
    const QDate date = withMonth(calendar->selectedDate(), ctx_.ui.SpinEditMonat->value());
    if (date.isValid())
        calendar->setSelectedDate(date);
}

void CurvesFeature::SpinEditJahrChange()
{
    QCalendarWidget* calendar = ctx_.ui.Calendar;
    const QDate date = withYear(calendar->selectedDate(), ctx_.ui.SpinEditJahr->value());
    if (date.isValid())
        calendar->setSelectedDate(date);
}

void CurvesFeature::CalendarChange()
{
    ListCycles();
}

void CurvesFeature::BtnZyklenAktualisierenClick()
{
    ListCycles();
}

void CurvesFeature::LbZyklenClick()
{
    QListWidget* list = ctx_.ui.LbZyklen;
    const QListWidgetItem* item = list->currentItem();
    if (!item)
        return;  // a click beside the lines selects nothing to load
    const QString path = cyclePath(ctx_.ui.Calendar->selectedDate(), item->text());
    list->setEnabled(false);
    DrawCycleChart(path, ChartImage::ImgChart, true);
    list->setEnabled(true);
    list->setFocus();
}

// ------------------------------------------------------------------------------------------------
// Chart

void CurvesFeature::DrawCycleChart(const QString& path, ChartImage image, bool updateLabels)
{
    QLabel* label = imageLabel(image);
    QImage& bitmap = images_[static_cast<std::size_t>(image)];
    // The bitmap takes the control's current size (ImgChart grows with the window); the drawing
    // replaces it only when a file was drawn.
    QImage work = bitmap.size() == label->size() ? bitmap : resizedKeeping(bitmap, label->size());
    const CycleChartDrawing d = drawToolCycle(ctx_.link, path, work, image, chart_);
    if (d.result.outcome == DrawOutcome::Drawn) {
        bitmap = work;
        label->setPixmap(QPixmap::fromImage(bitmap));
        if (updateLabels)
            writeLabels(*d.result.file);
        if (image == ChartImage::ImgChart)
            currentCyclePath_ = path;
        if (updateLabels)
            copySnapshot();
    }
    ctx_.ui.BtnSaveChart->setEnabled(true);
    ctx_.ui.BtnPrintChart->setEnabled(true);
}

void CurvesFeature::DrawLatestCycle(const QString& path)
{
    DrawCycleChart(path, ChartImage::ImgChart, true);
}

void CurvesFeature::writeLabels(const CycleFile& file)
{
    Ui::THauptDialog& ui = ctx_.ui;
    const MeasuredData d = MeasuredData::from(file, ctx_.state.LanguageIndex);
    QLabel* const labels[MeasuredData::Count] = {ui.LblChartDatum,      ui.LblChartIndex,
                                                 ui.LblChartBsMotor,    ui.LblChartErrorCode,
                                                 ui.LblChartWarnCode,   ui.LblChartAbschaltdrehzahl,
                                                 ui.LblChartTemperatur, ui.LblChartAkkuspannung};
    for (int l = 0; l < MeasuredData::Count; ++l)
        labels[l]->setText(d[static_cast<MeasuredData::Label>(l)]);
    ui.CapChartSolldruck->setVisible(false);
    ui.LblChartSolldruck->setVisible(false);
}

void CurvesFeature::copySnapshot()
{
    Ui::THauptDialog& ui = ctx_.ui;
    using F = ChartSnapshot::Field;
    const std::pair<F, QString> fields[] = {
        {F::Title, ui.GroupBoxArbeitskuve->title()},
        {F::CounterCaption, ui.CapChartIndex->text()},
        {F::CounterValue, ui.LblChartIndex->text()},
        {F::DateCaption, ui.CapChartDatum->text()},
        {F::DateValue, ui.LblChartDatum->text()},
        {F::MotorTimeCaption, ui.CapChartBsMotor->text()},
        {F::MotorTimeValue, ui.LblChartBsMotor->text()},
        {F::TemperatureCaption, ui.CapChartTemperatur->text()},
        {F::TemperatureValue, ui.LblChartTemperatur->text()},
        {F::VoltageCaption, ui.CapChartAkkuspannung->text()},
        {F::VoltageValue, ui.LblChartAkkuspannung->text()},
        {F::RevolutionCaption, ui.CapChartAbschaltdrehzahl->text()},
        {F::RevolutionValue, ui.LblChartAbschaltdrehzahl->text()},
        {F::ErrorCaption, ui.CapChartErrorCode->text()},
        {F::ErrorValue, ui.LblChartErrorCode->text()},
        {F::WarningCaption, ui.CapChartWarnCode->text()},
        {F::WarningValue, ui.LblChartWarnCode->text()},
        {F::SerialCaption, ui.CapMaschNr->text()},
        {F::SerialValue, ui.LblMaschNr->text()},
        {F::VersionCaption, ui.CapVarianteTxt->text()},
        {F::VersionValue, ui.LblVarianteTxt->text()},
        {F::WarrantyCaption, ui.CapStartGarantie->text()},
        {F::WarrantyValue, ui.LblStartGarantie->text()},
        {F::ServiceCaption, ui.CapServiceIn->text()},
        {F::ServiceValue, ui.LblServiceZaehler->text()},
    };
    for (const auto& [field, text] : fields)
        snapshot_.set(field, text);
}

// ------------------------------------------------------------------------------------------------
// Output

QStringList CurvesFeature::commentLines() const
{
    return memoLines(ctx_.ui.PrintInfo->toPlainText());
}

void CurvesFeature::BuildPrintPicture()
{
    QLabel* label = ctx_.ui.PrintImage;
    QImage& bitmap = images_[static_cast<std::size_t>(ChartImage::PrintImage)];
    // The chart is drawn into the upper 700 x 550 with its plot from y 260 on.
    bitmap = resizedKeeping(bitmap, PrintChartSize);
    label->resize(PrintChartSize);
    DrawCycleChart(currentCyclePath_, ChartImage::PrintImage, true);

    snapshot_.set(ChartSnapshot::CommentCaption, ctx_.ui.CapKommentar->text());
    ::BuildPrintPicture(bitmap, snapshot_, commentLines());
    label->resize(PrintPictureSize);
    label->setPixmap(QPixmap::fromImage(bitmap));
}

void CurvesFeature::BtnPrintChartClick()
{
    BuildPrintPicture();
    std::unique_ptr<QPrinter> printer = printerFactory_();
    if (!printer)
        return;
    PrintDialogRequest request;
    request.pageRangeEnabled = true;
    request.selectionEnabled = true;
    request.fromPage = request.toPage = 1;
    request.minPage = request.maxPage = 1;
    if (!ctx_.prompts.printDialog(*printer, request))
        return;
    // One page whatever range was chosen; any failure ends the print silently.
    (void)printPicture(*printer, picture(ChartImage::PrintImage));
}

void CurvesFeature::BtnSaveChartClick()
{
    if (saveDir_.isEmpty())
        saveDir_ = ctx_.paths.appDir;
    BuildPrintPicture();
    FileDialogRequest request;
    request.title = LangText(ctx_.state.LanguageIndex, TextId::SaveChartTitle);
    request.initialDir = saveDir_;
    request.defaultExtension = QStringLiteral("JPG");
    request.fileName = QStringLiteral("%1_%2.jpg")
                           .arg(snapshot_.get(ChartSnapshot::CounterValue), snapshot_.get(ChartSnapshot::SerialValue));
    const std::optional<QString> path = ctx_.prompts.saveFile(request);
    if (!path)
        return;
    saveDir_ = QFileInfo(*path).absolutePath();
    if (!writeJpegFile(picture(ChartImage::PrintImage), *path))
        ctx_.prompts.message(QStringLiteral("Error"), QStringLiteral("Cannot create file \"%1\".").arg(*path),
                             PromptIcon::Error);
}

void CurvesFeature::PrintInfoChange()
{
    if (trimmingMemo_)
        return;
    QPlainTextEdit* memo = ctx_.ui.PrintInfo;
    const QString text = memo->toPlainText();
    QStringList lines = memoLines(text);
    if (lines.size() <= PrintInfoMaxLines)
        return;
    // The memo loses its last lines until ten are left (as many deletions as lines too many).
    const bool finalBreak = text.endsWith(QLatin1Char('\n'));
    while (lines.size() > PrintInfoMaxLines)
        lines.removeLast();
    trimmingMemo_ = true;
    memo->setPlainText(lines.join(QLatin1Char('\n')) + (finalBreak ? QStringLiteral("\n") : QString()));
    memo->moveCursor(QTextCursor::End);
    trimmingMemo_ = false;
}
