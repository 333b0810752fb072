// TFwUpdateDlg: the firmware update dialog. It waits for the tool in its bootloader (opening and
// re-opening the link itself, since the main window's monitor is stopped meanwhile), then loads
// a HEX file and downloads it page by page. Opened from the service page without a file, or by
// the production functions with a preset file that it downloads by itself.
#pragma once

#include "service/HexFile.h"
#include "service/UpdateLog.h"

#include <QDialog>
#include <QString>
#include <QTimer>
#include <memory>

struct MainContext;
namespace Ui { class TFwUpdateDlg; }

class TFwUpdateDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int UpdateIntervalMs = 1000;
    static constexpr int AutoRunDelayMs = 100;
    // The longest preset path the dialog keeps (the settings file holds no more).
    static constexpr int MaxPresetPathChars = 1023;

    // owner: the main window. presetHexPath empty: interactive; otherwise the file to download
    // automatically, without a file dialog and without a success message.
    TFwUpdateDlg(QWidget* owner, MainContext& ctx, const QString& presetHexPath);
    ~TFwUpdateDlg() override;

    // --- handlers ------------------------------------------------------------------------------
    // Instruction, captions and, with a preset file, the automatic start. Runs on every show.
    void FormShow();
    // The Update timer's tick: re-opens a lost link, or reads the versions and enables Update.
    void UpdateTimer();
    // The AutoRunFertigung timer's tick: starts the run as if Update had been pressed.
    void AutoRunFertigungTimer();
    // One update run: log, download, message; closes the dialog with OK after a success.
    void BtnUpdateClick();
    // The file (preset or chosen), then the load and the page download. False on any failure,
    // a cancelled file dialog included.
    bool DownloadFirmware();

    // --- for the production functions and tests ------------------------------------------------
    QTimer& Update() { return update_; }
    QTimer& AutoRunFertigung() { return autoRun_; }
    Ui::TFwUpdateDlg& ui() { return *ui_; }
    const QString& PresetHexPath() const { return presetHexPath_; }
    const HexImage& image() const { return image_; }
    // True while a run is in progress.
    bool running() const { return running_; }

public slots:
    // Closing is refused while a run is in progress: the buttons are disabled then, and a
    // half-written flash must not be left behind by the window's close button or Escape.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::TFwUpdateDlg> ui_;
    MainContext& ctx_;
    UpdateLog updateLog_;
    HexImage image_;
    QString presetHexPath_;
    QTimer update_;
    QTimer autoRun_;
    bool running_ = false;
};
