// TKalRunDlg: the calibration-run dialog.
#include "service/ui/Kalrundialog.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "params/ParameterConversions.h"
#include "service/Calibration.h"
#include "ui_Kalrundialog.h"

#include <QEvent>
#include <QShowEvent>

TKalRunDlg::TKalRunDlg(QWidget* owner, TUsbHidInterface& link, Prompts& prompts, const std::uint32_t& languageIndex)
    : QDialog(owner), ui_(std::make_unique<Ui::TKalRunDlg>()), link_(link), prompts_(prompts), languageIndex_(languageIndex)
{
    ui_->setupUi(this);
    // A sizeable border rather than a fixed dialog frame.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setSizeGripEnabled(true);
    connect(ui_->BtnAbbruch, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->BtnOk, &QPushButton::clicked, this, &TKalRunDlg::BtnOkClick);
    connect(ui_->CbKal120, &QCheckBox::toggled, this, &TKalRunDlg::CbKal120Click);
    ui_->EditNomVal->installEventFilter(this);
    ui_->EditKalVal->installEventFilter(this);
}

TKalRunDlg::~TKalRunDlg() = default;

void TKalRunDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

bool TKalRunDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == ui_->EditNomVal || watched == ui_->EditKalVal))
        CheckDecimalSeparator(watched);
    return QDialog::eventFilter(watched, event);
}

void TKalRunDlg::FormShow()
{
    ui_->CbKal120->setChecked(true);
    CbKal120Click();
    // The force entry stays out of sight: the tool calibrates itself to 120 %. The instruction
    // takes the panel's room.
    ui_->CbKal120->hide();
    ui_->HstPanel->hide();
    const std::uint32_t lang = languageIndex_;
    ui_->LblAnweisung->setText(LangText(lang, TextId::CalibrationRunInstruction));
    // The tool enters its calibration run now; without it there is nothing to take over.
    ui_->BtnOk->setEnabled(link_.CmdCalibStart());
    setWindowTitle(LangText(lang, TextId::Calibration));
    ui_->BtnAbbruch->setText(LangText(lang, TextId::Cancel));
    ui_->BtnOk->setText(LangText(lang, TextId::TakeOver));
}

void TKalRunDlg::CbKal120Click()
{
    const bool to120 = ui_->CbKal120->isChecked();
    const QString text = to120 ? QStringLiteral("0") : QString();
    ui_->EditNomVal->setText(text);
    ui_->EditKalVal->setText(text);
    ui_->EditNomVal->setEnabled(!to120);
    ui_->EditKalVal->setEnabled(!to120);
}

void TKalRunDlg::BtnOkClick()
{
    if (acceptCalibrationRun(link_, prompts_, ui_->EditNomVal->text(), ui_->EditKalVal->text()))
        accept();
}

void TKalRunDlg::CheckDecimalSeparator(QObject* sender)
{
    if (auto* edit = qobject_cast<QLineEdit*>(sender))
        edit->setText(withDecimalPoint(edit->text()));
}
