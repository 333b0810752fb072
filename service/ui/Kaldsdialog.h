// TKalDsDlg: the two-point calibration of a tool's pressure sensor. Each "Start" is one attempt;
// the dialog closes after a completed one.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

class ParameterBlockAccess;
class Prompts;
class TUsbHidInterface;
namespace Ui { class TKalDsDlg; }

class TKalDsDlg : public QDialog {
    Q_OBJECT
public:
    // languageIndex is read on every show, so the dialog speaks the window's current language.
    TKalDsDlg(QWidget* owner, TUsbHidInterface& link, Prompts& prompts, ParameterBlockAccess& block,
              const std::uint32_t& languageIndex);
    ~TKalDsDlg() override;

    Ui::TKalDsDlg& ui() { return *ui_; }

public slots:
    // An attempt that ends early (failed read, cancelled or zero force) keeps the dialog open.
    void BtnOkClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    std::unique_ptr<Ui::TKalDsDlg> ui_;
    TUsbHidInterface& link_;
    Prompts& prompts_;
    ParameterBlockAccess& block_;
    const std::uint32_t& languageIndex_;
};
