// TKalDsDlg: the pressure-sensor calibration dialog.
#include "service/ui/Kaldsdialog.h"

#include "app/Texte.h"
#include "service/Calibration.h"
#include "ui_Kaldsdialog.h"

#include <QShowEvent>

namespace {
constexpr int TextCaption = 66;
constexpr int TextInstruction = 99;
constexpr int TextStart = 100;
constexpr int TextCancel = 96;
}  // namespace

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
    setWindowTitle(LangText(lang, TextCaption));
    ui_->LblAnweisung->setText(LangText(lang, TextInstruction));
    ui_->BtnOk->setText(LangText(lang, TextStart));
    ui_->BtnAbbruch->setText(LangText(lang, TextCancel));
}

void TKalDsDlg::BtnOkClick()
{
    if (runSensorCalibration(block_, link_, prompts_, languageIndex_) == SensorCalibrationResult::Written)
        accept();
}
