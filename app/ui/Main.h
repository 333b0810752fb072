// THauptDialog: the main window. It owns the window state, the transport and the feature objects,
// and keeps only its own handlers: start-up, close, resize, the connection monitor, the status bar,
// the information links and the language choice.
#pragma once

#include "app/ui/MainContext.h"
#include "app/ui/MainState.h"

#include <QBuffer>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>
#include <QWidget>
#include <array>
#include <memory>

class Anchors;

class THauptDialog : public QWidget {
    Q_OBJECT
public:
    // The application title the program entry sets, text 0 in German.
    static const QString ApplicationTitle;
    // Interval of the connection monitor.
    static constexpr int SearchDeviceIntervalMs = 1000;
    // Status bar panels.
    static constexpr int PanelText = 0, PanelProgress = 1, PanelLamp = 2;
    static constexpr int ProgressPanelWidth = 200, LampPanelWidth = 50;

    explicit THauptDialog(Services& services, QWidget* parent = nullptr);
    ~THauptDialog() override;

    // --- handlers ------------------------------------------------------------------------------
    // Runs once, on the first show; tests may call it directly (a second call does nothing).
    void FormShow();
    // Runs once, on close; a second call does nothing.
    void FormClose();
    void FormResize();
    void SearchDeviceTimer();
    void StatusBarDrawPanel(QPainter& painter, int panel, const QRect& rect);
    void LinkClicked(QObject* sender);
    void LanguageClicked(QObject* sender);
    void ApplyLanguage();

    // --- for the features and tests ----------------------------------------------------------------
    MainContext& context() { return *ctx_; }
    Ui::THauptDialog& ui() { return *ui_; }
    MainState& state() { return state_; }
    TUsbHidInterface& link() { return *link_; }
    QTimer& SearchDevice() { return searchDevice_; }
    // LedImage: the four lamp pictures by index (0 red, 1 yellow, 2 green, 3 grey).
    const QPixmap& ledImage(int index) const;
    // The lamp the status bar shows now (2 connected, 3 not).
    int lampIndex() const;
    // The fifteen buttons the monitor enables while a tool is connected, in its order.
    std::array<QWidget*, 15> serviceButtons() const;
    bool formShown() const { return shown_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpForm();
    void setUpAnchors();
    void layOutWindow();
    void refreshStatusBar();
    void updateStatusPanelText();
    void updateDiagnostics();
    void emptyToolLabels();
    void setServiceButtonsEnabled(bool enabled);
    bool kalRunAllowed() const;
    void loadTool();
    // The two diaries, customer first, read after a tool was found.
    void loadDiaries();
    // Hands the report engine its string set for the current language (no engine yet).
    void applyReportEngineStrings();
    void applyQtTranslation();
    void loadLogo();
    void readInfoLinks();
    void centreOnScreen();

    Services& services_;
    std::unique_ptr<Ui::THauptDialog> ui_;
    MainState state_;
    std::unique_ptr<TUsbHidInterface> link_;
    std::unique_ptr<MainContext> ctx_;
    std::unique_ptr<StatusFeature> status_;
    std::unique_ptr<ParameterFeature> params_;
    std::unique_ptr<ParameterSetFeature> paramSets_;
    std::unique_ptr<CurvesFeature> curves_;
    std::unique_ptr<ServiceFeature> service_;
    std::unique_ptr<DiaryFeature> diaries_;
    std::unique_ptr<CalibrationFeature> calibration_;
    std::unique_ptr<FirmwareFeature> firmware_;
    QTimer searchDevice_;
    QTranslator qtTranslator_;
    bool qtTranslatorInstalled_ = false;
    std::unique_ptr<QBuffer> memoryStream_;
    std::array<QPixmap, 4> ledImage_;
    bool shown_ = false;
    bool inTick_ = false;
    bool closed_ = false;
};
