// TKalRunDlg: the calibration run. Showing it puts the tool into its calibration run; "Übernehmen"
// sends the nominal force and the force the run reached (0 and 0 for the calibration to 120 %).
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

class Prompts;
class TUsbHidInterface;
namespace Ui { class TKalRunDlg; }

class TKalRunDlg : public QDialog {
    Q_OBJECT
public:
    // languageIndex is read on every show, so the dialog speaks the window's current language.
    TKalRunDlg(QWidget* owner, TUsbHidInterface& link, Prompts& prompts, const std::uint32_t& languageIndex);
    ~TKalRunDlg() override;

    Ui::TKalRunDlg& ui() { return *ui_; }

public slots:
    // Ticked: both forces 0 and fixed; not ticked: both empty, to be typed in kN.
    void CbKal120Click();
    // Unparsable forces show "Daten ungültig!" and keep the dialog open.
    void BtnOkClick();
    // Leaving a force edit: the first "," becomes ".".
    void CheckDecimalSeparator(QObject* sender);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();

    std::unique_ptr<Ui::TKalRunDlg> ui_;
    TUsbHidInterface& link_;
    Prompts& prompts_;
    const std::uint32_t& languageIndex_;
};
