// The main window: start-up, the once-per-second connection monitor, the status bar, the
// information links and the language choice. Everything else lives in the feature classes.
#include "app/ui/Main.h"

#include "texts/Languages.h"
#include "texts/Texte.h"
#include "app/ui/Anchors.h"
#include "app/ui/Pictures.h"
#include "curves/ui/CurvesFeature.h"
#include "link/Usbhidinterface.h"
#include "params/ui/ParameterFeature.h"
#include "params/ui/ParameterSetFeature.h"
#include "platform/Profile.h"
#include "platform/Shell.h"
#include "service/ui/CalibrationFeature.h"
#include "service/ui/DiaryFeature.h"
#include "service/ui/FirmwareFeature.h"
#include "service/ui/ServiceFeature.h"
#include "status/ui/StatusFeature.h"

#include "ui_Main.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <clocale>

std::int32_t LastCycleCount = 0;

const QString THauptDialog::ApplicationTitle = QStringLiteral("Analysesoftware für Akku Press- und Schneidwerkzeuge");

namespace {

// Form sizes the fixed geometry of the form was laid out for.
constexpr QSize WindowDesignSize(902, 738);
constexpr QSize PageDesignSize(876, 555);
constexpr QSize ChartGroupDesignSize(857, 241);

// Settings file keys.
const QString SettingsSection = QStringLiteral("Settings");
const QString LanguageKey = QStringLiteral("Language");
const QString InfoSection = QStringLiteral("Info");
const QString NoLink = QStringLiteral("none");
constexpr int InfoLinkCount = 10;
// The profile functions read settings into 1024-byte buffers.
constexpr int ProfileValueMaxChars = 1023;
// Lines the debug memo keeps; the transport writes several per second while the page is open.
constexpr int DebugMemoMaxLines = 20000;

// Fields of the tool information block the monitor reads itself (payload offsets, big-endian).
constexpr std::size_t InfoHallPeriod = 19;
constexpr std::size_t InfoWorkValue = 21;
constexpr std::size_t InfoCycleCount = 38;

std::int32_t readBigEndian32(const Payload& p, std::size_t offset)
{
    const std::uint32_t v = (std::uint32_t(p[offset]) << 24) | (std::uint32_t(p[offset + 1]) << 16) |
                            (std::uint32_t(p[offset + 2]) << 8) | std::uint32_t(p[offset + 3]);
    return static_cast<std::int32_t>(v);
}

void setCaption(QTabWidget& pages, QWidget* control, const QString& text)
{
    if (const int index = pages.indexOf(control); index >= 0)
        pages.setTabText(index, text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
}

// A page kept from the user leaves the tab bar altogether. Qt's tab bar still selects a merely
// invisible tab with its arrow keys, Ctrl+Tab, Ctrl+PgUp/PgDn and the mouse wheel (it skips only
// disabled ones), and a disabled page would grey the off-screen chart images drawn on TS_BMP.
// The page stays a hidden child of the page control, so its controls keep working for the code.
void setTabShown(QTabWidget& pages, QWidget* page, bool shown)
{
    const int index = pages.indexOf(page);
    if (shown)
        pages.setTabVisible(index, true);
    else if (index >= 0)
        pages.removeTab(index);
}

}  // namespace

THauptDialog::THauptDialog(Services& services, QWidget* parent)
    : QWidget(parent), services_(services), ui_(std::make_unique<Ui::THauptDialog>())
{
    ui_->setupUi(this);
    setUpForm();
    setUpAnchors();

    link_ = std::make_unique<TUsbHidInterface>(services.hid, services.clock);
    state_.link = link_.get();
    state_.IniPath = services.paths.iniPath();
    // printf-style formatting and parsing of the C library use "." whatever the desktop's locale.
    std::setlocale(LC_NUMERIC, "C");
    state_.WarrantyStart = WarrantyStartValue{};
    state_.LibraryLoaded = false;

    ctx_ = std::make_unique<MainContext>(MainContext{*this, *ui_, state_, *link_, services.clock, services.prompts,
                                                     services.shell, services.paths, Features{}});
    status_ = std::make_unique<StatusFeature>(*ctx_);
    params_ = std::make_unique<ParameterFeature>(*ctx_);
    paramSets_ = std::make_unique<ParameterSetFeature>(*ctx_);
    curves_ = std::make_unique<CurvesFeature>(*ctx_);
    service_ = std::make_unique<ServiceFeature>(*ctx_);
    diaries_ = std::make_unique<DiaryFeature>(*ctx_);
    calibration_ = std::make_unique<CalibrationFeature>(*ctx_);
    firmware_ = std::make_unique<FirmwareFeature>(*ctx_);
    ctx_->features = Features{status_.get(),  params_.get(),  paramSets_.get(),   curves_.get(),
                              service_.get(), diaries_.get(), calibration_.get(), firmware_.get()};
    // The status page shows its most recent cycle through the work-curve chart.
    status_->setCycleChartDrawer([this](const QString& path) { curves_->DrawLatestCycle(path); });

    link_->setDiagnosticSink([this](const QString& line) { ui_->DebugMemo->appendPlainText(line); });
    connect(ui_->PageControl, &QTabWidget::currentChanged, this, [this] { updateDiagnostics(); });
    updateDiagnostics();

    searchDevice_.setInterval(SearchDeviceIntervalMs);
    connect(&searchDevice_, &QTimer::timeout, this, [this] { SearchDeviceTimer(); });
}

THauptDialog::~THauptDialog()
{
    searchDevice_.stop();
    // The features refer to the transport and the form: they go first.
    firmware_.reset();
    calibration_.reset();
    diaries_.reset();
    service_.reset();
    curves_.reset();
    paramSets_.reset();
    params_.reset();
    status_.reset();
    link_->setDiagnosticSink({});
    link_->Close();
}

void THauptDialog::setUpForm()
{
    Ui::THauptDialog& ui = *ui_;
    // The form is laid out with fixed geometry; the window itself is resizable.
    setMinimumSize(400, 300);

    // The form keeps the debug page and the two report buttons out of sight.
    setTabShown(*ui.PageControl, ui.TS_Debug, services_.debug);
    ui.Button1->setVisible(services_.manufacturer);
    ui.Button2->setVisible(services_.manufacturer);

    // The calendar starts on today's date.
    ui.Calendar->setSelectedDate(services_.clock.now().date());

    for (int i = 0; i < 4; ++i)
        ledImage_[static_cast<std::size_t>(i)] = drawLamp(static_cast<Lamp>(i));

    const std::pair<QLabel*, Flag> flags[] = {{ui.ImgDe, Flag::German},  {ui.ImgGb, Flag::English},
                                              {ui.ImgFr, Flag::French},  {ui.ImgEsp, Flag::Spanish},
                                              {ui.ImgIt, Flag::Italian}, {ui.ImgSw, Flag::Swedish},
                                              {ui.ImgFin, Flag::Finnish}};
    for (const auto& [label, flag] : flags) {
        label->setPixmap(drawFlag(flag, label->size()));
        label->installEventFilter(this);
    }
    for (QLabel* link : {ui.LblLink01, ui.LblLink02, ui.LblLink03, ui.LblLink04, ui.LblLink05, ui.LblLink06,
                         ui.LblLink07, ui.LblLink08, ui.LblLink09, ui.LblLink10}) {
        link->installEventFilter(this);
        // Captions come from a hand-edited settings file: show them as written, not as rich text.
        link->setTextFormat(Qt::PlainText);
    }

    ui.DebugMemo->setMaximumBlockCount(DebugMemoMaxLines);
    // Where settings and parameter sets are read from is the first question when they seem lost.
    ui.DebugMemo->appendPlainText(
        QStringLiteral("App folder: ") +
        describeAppDir({services_.paths.appDir, services_.paths.appDirSource}));

    StatusPanelBar& bar = *ui.StatusBar;
    bar.setPanelCount(3);
    bar.setPanelOwnerDrawn(PanelProgress, true);
    bar.setPanelOwnerDrawn(PanelLamp, true);
    bar.setPanelWidth(PanelText, width() - ProgressPanelWidth - LampPanelWidth);
    bar.setPanelWidth(PanelProgress, ProgressPanelWidth);
    bar.setPanelWidth(PanelLamp, LampPanelWidth);
    bar.setDrawPanel([this](QPainter& painter, int panel, const QRect& rect) { StatusBarDrawPanel(painter, panel, rect); });
    ui.ProgressBar->setRange(0, 100);
}

void THauptDialog::setUpAnchors()
{
    Ui::THauptDialog& ui = *ui_;
    using namespace Anchor;
    auto* window = new Anchors(*this, WindowDesignSize);
    window->add(*ui.PageControl, All);
    window->add(*ui.GroupBoxLanguage, Top | Right);
    window->add(*ui.StatusBar, Left | Right | Bottom);

    auto* status = new Anchors(*ui.TS_MaschinenStatus, PageDesignSize);
    status->add(*ui.GbInfo, Left | Top | Right);
    status->add(*ui.GroupBoxArbeitskuve, All);
    status->add(*ui.GroupBoxMessdaten, Left | Bottom);
    status->add(*ui.GroupBoxAwKurve, Left | Bottom);

    auto* chart = new Anchors(*ui.GroupBoxArbeitskuve, ChartGroupDesignSize);
    chart->add(*ui.ImgChart, All);
    chart->add(*ui.CapKommentar, Left | Bottom);
    chart->add(*ui.PrintInfo, Left | Right | Bottom);
    chart->add(*ui.BtnSaveChart, Right | Bottom);
    chart->add(*ui.BtnPrintChart, Right | Bottom);

    const std::pair<QWidget*, std::pair<QWidget*, QWidget*>> memoPages[] = {
        {ui.TS_KundenTagebuch, {ui.Kundentagebuch, ui.BtnWriteKTB}},
        {ui.TS_ServiceTagebuch, {ui.Servicetagebuch, ui.BtnWriteSTB}},
        {ui.TS_Debug, {ui.DebugMemo, nullptr}},
        {ui.TS_BMP, {ui.ScrollBoxBmp, nullptr}},
    };
    for (const auto& [page, controls] : memoPages) {
        auto* anchors = new Anchors(*page, PageDesignSize);
        anchors->add(*controls.first, All);
        if (controls.second)
            anchors->add(*controls.second, Left | Bottom);
    }
}

// ------------------------------------------------------------------------------------------------
// Start-up and close

void THauptDialog::showEvent(QShowEvent* event)
{
    if (!shown_ && !parentWidget())
        centreOnScreen();
    QWidget::showEvent(event);
    FormShow();
}

void THauptDialog::centreOnScreen()
{
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void THauptDialog::FormShow()
{
    if (shown_)
        return;
    shown_ = true;
    Ui::THauptDialog& ui = *ui_;

    memoryStream_ = std::make_unique<QBuffer>();
    memoryStream_->open(QIODevice::ReadWrite);
    state_.MemoryStream = memoryStream_.get();

    searchDevice_.start();
    std::setlocale(LC_NUMERIC, "C");

    state_.LanguageIndex = static_cast<std::uint32_t>(Profile(state_.IniPath).readInt(SettingsSection, LanguageKey, 0));
    ApplyLanguage();

    setTabShown(*ui.PageControl, ui.TS_BMP, services_.debug);
    ui.PageControl->setCurrentWidget(ui.TS_MaschinenStatus);
    setTabShown(*ui.PageControl, ui.TS_Fertigung, services_.production);
    ui.GbHersteller->setVisible(services_.manufacturer);
    for (QCheckBox* box : {ui.CbWriteParaDelPz, ui.CbWriteParaDelGarantie, ui.CbWriteParaDelBsz}) {
        box->setChecked(false);
        box->setVisible(services_.manufacturer);
    }
    ui.LblChartAbschaltAw->setVisible(false);
    ui.CapChartAbschaltAw->setVisible(false);
    setTabShown(*ui.PageControl, ui.TS_Parameter, services_.manufacturer);

    ui.SpinEditMonat->setValue(ui.Calendar->selectedDate().month());
    ui.SpinEditJahr->setValue(ui.Calendar->selectedDate().year());

    loadLogo();
    ctx_->features.paramSets->ListParameterSets();
    readInfoLinks();
}

void THauptDialog::loadLogo()
{
    // A Windows bitmap named "logo" without extension beside the program.
    const QString path = services_.paths.inAppDir(QStringLiteral("logo"));
    if (!QFileInfo(path).isFile())
        return;
    QImage image;
    if (!image.load(path, "BMP"))
        return;
    // Transparent as a bitmap image is: the colour of the bottom-left pixel is see-through.
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(image.pixel(0, image.height() - 1), Qt::MaskInColor)));
    ui_->Logo->setPixmap(pixmap);
    ui_->Logo->resize(pixmap.size());
}

void THauptDialog::readInfoLinks()
{
    Ui::THauptDialog& ui = *ui_;
    const std::array<QLabel*, InfoLinkCount> labels = {ui.LblLink01, ui.LblLink02, ui.LblLink03, ui.LblLink04,
                                                       ui.LblLink05, ui.LblLink06, ui.LblLink07, ui.LblLink08,
                                                       ui.LblLink09, ui.LblLink10};
    const Profile ini(state_.IniPath);
    for (int n = 1; n <= InfoLinkCount; ++n) {
        const QString number = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
        const QString text = ini.readString(InfoSection, QStringLiteral("Text") + number, NoLink).left(ProfileValueMaxChars);
        if (text == NoLink)
            continue;
        state_.LinkTargets[static_cast<std::size_t>(n)] =
            ini.readString(InfoSection, QStringLiteral("Link") + number, QString()).left(ProfileValueMaxChars);
        QLabel* label = labels[static_cast<std::size_t>(n - 1)];
        // The first two links keep their language captions (texts 61 and 62).
        if (n >= 3)
            label->setText(text);
        label->setVisible(true);
    }
}

void THauptDialog::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void THauptDialog::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    // Written as a signed decimal, so an out-of-range value read at start goes back unchanged.
    Profile ini(state_.IniPath);
    ini.writeString(SettingsSection, LanguageKey, QString::number(static_cast<std::int32_t>(state_.LanguageIndex)));

    state_.MemoryStream = nullptr;
    memoryStream_.reset();
    // No tick may re-open the device once the window has let go of it.
    searchDevice_.stop();
    link_->Close();
    if (state_.LibraryLoaded) {
        if (state_.FreeLibrary)
            state_.FreeLibrary();
        state_.LibraryLoaded = false;
    }
}

// ------------------------------------------------------------------------------------------------
// Resize and status bar

void THauptDialog::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void THauptDialog::FormResize()
{
    Ui::THauptDialog& ui = *ui_;
    if (ui.PageControl->currentWidget() == ui.TS_MaschinenStatus)
        ctx_->features.status->TS_MaschinenStatusShow();

    StatusPanelBar& bar = *ui.StatusBar;
    bar.setPanelWidth(PanelLamp, LampPanelWidth);
    bar.setPanelWidth(PanelProgress, ProgressPanelWidth);
    bar.setPanelWidth(PanelText, width() - ProgressPanelWidth - LampPanelWidth);

    if (ui.ProgressBar->parentWidget() != &bar) {
        ui.ProgressBar->setParent(&bar);
        ui.ProgressBar->show();
    }
    ui.ProgressBar->setGeometry(bar.panelWidth(PanelText) + 1, 2, bar.panelWidth(PanelProgress), bar.height() - 2);
    refreshStatusBar();
}

void THauptDialog::updateStatusPanelText()
{
    ui_->StatusBar->setPanelText(PanelText, link_->Connected ? parameterText(state_.parameterBlock.MaschNr) : QString());
}

void THauptDialog::StatusBarDrawPanel(QPainter& painter, int panel, const QRect& rect)
{
    updateStatusPanelText();
    if (panel == PanelLamp)
        painter.drawPixmap(rect.topLeft(), ledImage(lampIndex()));
}

void THauptDialog::refreshStatusBar()
{
    updateStatusPanelText();
    ui_->StatusBar->update();
}

const QPixmap& THauptDialog::ledImage(int index) const
{
    return ledImage_[static_cast<std::size_t>(std::clamp(index, 0, 3))];
}

int THauptDialog::lampIndex() const
{
    return link_->Connected ? static_cast<int>(Lamp::Green) : static_cast<int>(Lamp::Grey);
}

// ------------------------------------------------------------------------------------------------
// Connection monitor

std::array<QWidget*, 15> THauptDialog::serviceButtons() const
{
    const Ui::THauptDialog& ui = *ui_;
    return {ui.BtnFormatSD,  ui.BtnKalRun,         ui.BtnSetRlz,       ui.BtnSetDateTimeKunde,
            ui.BtnSetDateTimeHersteller, ui.BtnFwUpdate, ui.BtnDeleteGarantie, ui.BtnSetGarantie,
            ui.BtnResetBsMotor, ui.BtnResetService, ui.BtnSetPz,      ui.BtnSetSn,
            ui.BtnWriteParaSatz, ui.BtnTest,         ui.BtnFwProg};
}

bool THauptDialog::kalRunAllowed() const
{
    // Single-precision readings compared with double bounds: 15 800 mV counts as above 15.8 V.
    const double volts = state_.BatteryVoltage;
    const double degrees = state_.ChipTemperature;
    const bool inWindow = volts > 15.8 && volts < 17.0 && degrees > 10 && degrees < 50;
    return inWindow || state_.parameterBlock.LayoutVersion == 3;
}

void THauptDialog::setServiceButtonsEnabled(bool enabled)
{
    for (QWidget* button : serviceButtons())
        button->setEnabled(enabled);
}

void THauptDialog::emptyToolLabels()
{
    Ui::THauptDialog& ui = *ui_;
    for (QLabel* label : {ui.LblMaschTyp, ui.LblMaschNr, ui.LblVarianteTxt, ui.LblStartGarantie, ui.LblServiceZaehler,
                          ui.LblPresszyklen, ui.LblBsMotor, ui.LblFehlermeldung, ui.LblDatum, ui.LblTemperatur,
                          ui.LblUbatt})
        label->clear();
    ui.EditRlzKunde->clear();
}

void THauptDialog::SearchDeviceTimer()
{
    // A message box shown during a tick runs its own event loop, which delivers further ticks:
    // those are skipped so that a tick never runs inside another.
    if (inTick_)
        return;
    inTick_ = true;
    Ui::THauptDialog& ui = *ui_;
    Features& f = ctx_->features;

    if (link_->Connected) {
        ui.BtnFormatSD->setEnabled(true);
        ui.BtnKalRun->setEnabled(kalRunAllowed());
        for (QWidget* button : serviceButtons())
            if (button != ui.BtnFormatSD && button != ui.BtnKalRun)
                button->setEnabled(true);
        f.status->RefreshToolStatus();
        ui.LblMaschTyp->setText(parameterText(state_.parameterBlock.Typ));
        ui.LblMaschNr->setText(parameterText(state_.parameterBlock.MaschNr));
        ui.LblVarianteTxt->setText(parameterText(state_.parameterBlock.Text));

        QWidget* page = ui.PageControl->currentWidget();
        if (page == ui.TS_Fertigung) {
            Payload info{};
            if (link_->CmdGetInfo(info)) {
                ui.LblEmvAw->setText(QString::number(readBigEndian32(info, InfoWorkValue)));
                ui.LblEmvDz->setText(QString::number(info[InfoHallPeriod]));
            }
        } else if (page == ui.TS_MaschinenStatus) {
            Payload info{};
            if (link_->CmdGetInfo(info)) {
                const std::int32_t count = readBigEndian32(info, InfoCycleCount);
                if (count != LastCycleCount) {
                    LastCycleCount = count;
                    f.status->TS_MaschinenStatusShow();
                }
            }
        }
        refreshStatusBar();
    } else {
        link_->Close();
        link_->Open(ToolVendorId, ToolProductId, 0);
        emptyToolLabels();
        if (link_->Connected)
            loadTool();
        // Also right after a successful open: the buttons follow on the next tick.
        setServiceButtonsEnabled(false);
        refreshStatusBar();
    }
    inTick_ = false;
}

void THauptDialog::loadTool()
{
    Features& f = ctx_->features;
    f.status->RefreshToolStatus();
    f.params->ReadParameterBlock();
    loadDiaries();
    f.status->TS_MaschinenStatusShow();
    f.curves->ListCycles();
    f.params->ShowParameterBlock();
    f.status->ShowWarrantyStart();
}

void THauptDialog::loadDiaries()
{
    ctx_->features.diaries->ReadDiary(DiaryKind::Customer);
    ctx_->features.diaries->ReadDiary(DiaryKind::Service);
}

void THauptDialog::updateDiagnostics()
{
    link_->setDiagnosticsEnabled(ui_->PageControl->currentWidget() == ui_->TS_Debug);
}

// ------------------------------------------------------------------------------------------------
// Links and language

bool THauptDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget && widget->rect().contains(mouse->position().toPoint())) {
            const Ui::THauptDialog& ui = *ui_;
            if (widget->parentWidget() == ui.GroupBoxLanguage)
                LanguageClicked(watched);
            else if (widget->parentWidget() == ui.TS_Info)
                LinkClicked(watched);
        }
    }
    return QWidget::eventFilter(watched, event);
}

void THauptDialog::LinkClicked(QObject* sender)
{
    const Ui::THauptDialog& ui = *ui_;
    const std::array<QObject*, InfoLinkCount> labels = {ui.LblLink01, ui.LblLink02, ui.LblLink03, ui.LblLink04,
                                                        ui.LblLink05, ui.LblLink06, ui.LblLink07, ui.LblLink08,
                                                        ui.LblLink09, ui.LblLink10};
    const auto it = std::find(labels.begin(), labels.end(), sender);
    if (it == labels.end())
        return;
    const auto n = static_cast<std::size_t>(it - labels.begin()) + 1;
    QString target = state_.LinkTargets[n];
#ifndef Q_OS_WIN
    // Targets are written for Windows ("docs\manual.pdf").
    target.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
    services_.shell.openDocument(services_.paths.appDir + QLatin1Char('/') + target);
}

void THauptDialog::LanguageClicked(QObject* sender)
{
    const Ui::THauptDialog& ui = *ui_;
    const std::pair<QObject*, std::uint32_t> flags[] = {{ui.ImgFr, LangFrench},   {ui.ImgGb, LangEnglish},
                                                        {ui.ImgDe, LangGerman},   {ui.ImgIt, LangItalian},
                                                        {ui.ImgSw, LangSwedish},  {ui.ImgEsp, LangSpanish},
                                                        {ui.ImgFin, LangFinnish}};
    for (const auto& [flag, language] : flags)
        if (flag == sender)
            state_.LanguageIndex = language;
    ApplyLanguage();
}

void THauptDialog::ApplyLanguage()
{
    Ui::THauptDialog& ui = *ui_;
    const std::uint32_t lang = state_.LanguageIndex;
    auto text = [lang](int id) { return LangText(lang, id); };

    ui.GroupBoxLanguage->setTitle(text(TextId::GroupBoxLanguage));

    const QString version = QStringLiteral(PRESSDIAG_VERSION_TEXT);
    setWindowTitle(version.isEmpty() ? text(TextId::Title)
                                   : QStringLiteral("%1 (%2)").arg(text(TextId::Title), version));

    // Ids 2 to 35, then 102, then 36 to 62: the order the captions were always written in.
    const std::pair<int, QWidget*> captions[] = {
        {TextId::TS_MaschinenStatus, ui.TS_MaschinenStatus},
        {TextId::GbInfo, ui.GbInfo},
        {TextId::CapMaschTyp, ui.CapMaschTyp},
        {TextId::CapMaschNr, ui.CapMaschNr},
        {TextId::CapVarianteTxt, ui.CapVarianteTxt},
        {TextId::CapStartGarantie, ui.CapStartGarantie},
        {TextId::CapServiceIn, ui.CapServiceIn},
        {TextId::CapZaehlerstand, ui.CapZaehlerstand},
        {TextId::CapBetriebsstunden, ui.CapBetriebsstunden},
        {TextId::CapFehlermeldung, ui.CapFehlermeldung},
        {TextId::CapDatum, ui.CapDatum},
        {TextId::CapChipTemp, ui.CapChipTemp},
        {TextId::CapAkkuSpannung, ui.CapAkkuSpannung},
        {TextId::CapRuecklaufzeit, ui.CapRuecklaufzeit},
        {TextId::BtnSetDateTimeKunde, ui.BtnSetDateTimeKunde},
        {TextId::BtnSetRlz, ui.BtnSetRlz},
        {TextId::GroupBoxArbeitskuve, ui.GroupBoxArbeitskuve},
        {TextId::CapKommentar, ui.CapKommentar},
        {TextId::BtnSaveChart, ui.BtnSaveChart},
        {TextId::BtnPrintChart, ui.BtnPrintChart},
        {TextId::GroupBoxMessdaten, ui.GroupBoxMessdaten},
        {TextId::CapChartIndex, ui.CapChartIndex},
        {TextId::CapChartDatum, ui.CapChartDatum},
        {TextId::CapChartBsMotor, ui.CapChartBsMotor},
        {TextId::CapChartTemperatur, ui.CapChartTemperatur},
        {TextId::CapChartAkkuspannung, ui.CapChartAkkuspannung},
        {TextId::CapChartAbschaltdrehzahl, ui.CapChartAbschaltdrehzahl},
        {TextId::CapChartErrorCode, ui.CapChartErrorCode},
        {TextId::CapChartWarnCode, ui.CapChartWarnCode},
        {TextId::CapChartAbschaltAw, ui.CapChartAbschaltAw},
        {TextId::GroupBoxAwKurve, ui.GroupBoxAwKurve},
        {TextId::CapAwKurveDatum, ui.CapAwKurveDatum},
        {TextId::CapAwKurveZaehler, ui.CapAwKurveZaehler},
        {TextId::BtnZyklenAktualisieren, ui.BtnZyklenAktualisieren},
        {TextId::CapChartSolldruck, ui.CapChartSolldruck},
        {TextId::TS_Service, ui.TS_Service},
        {TextId::GbService, ui.GbService},
        {TextId::BtnFwUpdate, ui.BtnFwUpdate},
        {TextId::BtnFormatSD, ui.BtnFormatSD},
        {TextId::BtnKalRun, ui.BtnKalRun},
        {TextId::BtnSetDateTimeHersteller, ui.BtnSetDateTimeHersteller},
        {TextId::BtnResetService, ui.BtnResetService},
        {TextId::BtnWriteParaSatz, ui.BtnWriteParaSatz},
        {TextId::CbWriteParaDateTime, ui.CbWriteParaDateTime},
        {TextId::CbWriteParaDelData, ui.CbWriteParaDelData},
        {TextId::CbWriteParaDelSz, ui.CbWriteParaDelSz},
        {TextId::CbWriteParaDelPz, ui.CbWriteParaDelPz},
        {TextId::CbWriteParaDelGarantie, ui.CbWriteParaDelGarantie},
        {TextId::CbWriteParaDelBsz, ui.CbWriteParaDelBsz},
        {TextId::GbHersteller, ui.GbHersteller},
        {TextId::BtnDeleteGarantie, ui.BtnDeleteGarantie},
        {TextId::BtnResetBsMotor, ui.BtnResetBsMotor},
        {TextId::BtnSetPz, ui.BtnSetPz},
        {TextId::BtnSetSn, ui.BtnSetSn},
        {TextId::TS_KundenTagebuch, ui.TS_KundenTagebuch},
        {TextId::BtnWriteKTB, ui.BtnWriteKTB},
        {TextId::TS_ServiceTagebuch, ui.TS_ServiceTagebuch},
        {TextId::BtnWriteSTB, ui.BtnWriteSTB},
        {TextId::TS_Info, ui.TS_Info},
        {TextId::CapInfoPDF, ui.CapInfoPDF},
        {TextId::LblLink01, ui.LblLink01},
        {TextId::LblLink02, ui.LblLink02},
    };
    for (const auto& [id, control] : captions)
        setCaption(*ui.PageControl, control, text(id));

    applyReportEngineStrings();
    applyQtTranslation();
    ui.Calendar->setLocale(localeFor(lang));
}

void THauptDialog::applyReportEngineStrings()
{
    // The report engine takes the string set reportStringSet(LanguageIndex) here once it exists;
    // until then there is nothing to switch.
}

void THauptDialog::applyQtTranslation()
{
    if (qtTranslatorInstalled_) {
        QCoreApplication::removeTranslator(&qtTranslator_);
        qtTranslatorInstalled_ = false;
    }
    const QString language = qtTranslationFor(state_.LanguageIndex);
    if (language.isEmpty())
        return;
    // qtbase_xx where Qt ships it; some languages come only as the older combined qt_xx file.
    // Where neither exists Qt's own texts stay English.
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString& stem : {QStringLiteral("qtbase_"), QStringLiteral("qt_")}) {
        if (qtTranslator_.load(stem + language, dir)) {
            qtTranslatorInstalled_ = QCoreApplication::installTranslator(&qtTranslator_);
            return;
        }
    }
}
