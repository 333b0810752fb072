// TDateTimeDlg: sets the tool's clock. Proposes the PC's date and time each time it is shown and,
// after a check and a question, sends the time (seconds 0) and then the date to the tool.
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

class Clock;
class Prompts;
class TUsbHidInterface;
namespace Ui { class TDateTimeDlg; }

class TDateTimeDlg : public QDialog {
    Q_OBJECT
public:
    // languageIndex is read on every show, so the dialog always speaks the window's current language.
    TDateTimeDlg(QWidget* owner, TUsbHidInterface& link, Clock& clock, Prompts& prompts,
                 const std::uint32_t& languageIndex);
    ~TDateTimeDlg() override;

    Ui::TDateTimeDlg& ui() { return *ui_; }

public slots:
    // Invalid input does nothing (the dialog stays open); No to the question leaves it open too.
    void BtnOkClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Captions from the text tables and the PC's current date and time in the edits.
    void FormShow();

    std::unique_ptr<Ui::TDateTimeDlg> ui_;
    TUsbHidInterface& link_;
    Clock& clock_;
    Prompts& prompts_;
    const std::uint32_t& languageIndex_;
};
