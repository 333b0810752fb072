// TKalDsDlg: the pressure-sensor calibration dialog.
#include "service/ui/Kaldsdialog.h"

#include "texts/Texte.h"
#include "service/Calibration.h"
#include "ui_Kaldsdialog.h"

#include <QShowEvent>

TKalDsDlg::TKalDsDlg(QWidget* owner, TUsbHidInterface& link, Prompts& prompts, ParameterBlockAccess& block,
                     const std::uint32_t& languageIndex)
    : QDialog(owner),
      ui_(std::make_unique<Ui::TKalDsDlg>()),
      link_(link),
      prompts_(prompts),
      block_(block),
      languageIndex_(languageIndex)
{
    ui_->setupUi(this);
    // A sizeable border rather than a fixed dialog frame.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setSizeGripEnabled(true);
    connect(ui_->BtnAbbruch, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->BtnOk, &QPushButton::clicked, this, &TKalDsDlg::BtnOkClick);
    FormShow();
}

TKalDsDlg::~TKalDsDlg() = default;

void TKalDsDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TKalDsDlg::FormShow()
{
    const std::uint32_t lang = languageIndex_;
    setWindowTitle(LangText(lang, TextId::Calibration));
    ui_->LblAnweisung->setText(LangText(lang, TextId::CalibrationPressureInstruction));
    ui_->BtnOk->setText(LangText(lang, TextId::Start));
    ui_->BtnAbbruch->setText(LangText(lang, TextId::Cancel));
}

void TKalDsDlg::BtnOkClick()
{
    if (runSensorCalibration(block_, link_, prompts_, languageIndex_) == SensorCalibrationResult::Written)
        accept();
}
