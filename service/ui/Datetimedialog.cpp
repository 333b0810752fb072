// TDateTimeDlg: the tool clock dialog.
#include "service/ui/Datetimedialog.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "service/ServiceChecks.h"
#include "ui_Datetimedialog.h"

#include <QShowEvent>

TDateTimeDlg::TDateTimeDlg(QWidget* owner, TUsbHidInterface& link, Clock& clock, Prompts& prompts,
                           const std::uint32_t& languageIndex)
    : QDialog(owner),
      ui_(std::make_unique<Ui::TDateTimeDlg>()),
      link_(link),
      clock_(clock),
      prompts_(prompts),
      languageIndex_(languageIndex)
{
    ui_->setupUi(this);
    // A sizeable border rather than a fixed dialog frame; the layouts keep the edits in place.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setSizeGripEnabled(true);
    connect(ui_->BtnAbbruch, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->BtnOk, &QPushButton::clicked, this, &TDateTimeDlg::BtnOkClick);
    // Filled already here as well, so whoever looks at the form before it is shown sees what it will show.
    FormShow();
}

TDateTimeDlg::~TDateTimeDlg() = default;

void TDateTimeDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

void TDateTimeDlg::FormShow()
{
    const std::uint32_t lang = languageIndex_;
    setWindowTitle(LangText(lang, TextId::DateTimeDialogCaption));
    ui_->CapDate->setText(LangText(lang, TextId::DateTimeDialogDate));
    ui_->CapTime->setText(LangText(lang, TextId::DateTimeDialogTime));
    ui_->BtnAbbruch->setText(LangText(lang, TextId::Cancel));
    ui_->BtnOk->setText(LangText(lang, TextId::TakeOver));

    const QDateTime now = clock_.now();
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    ui_->EditStunde->setText(two(now.time().hour()));
    ui_->EditMinute->setText(two(now.time().minute()));
    ui_->EditTag->setText(two(now.date().day()));
    ui_->EditMonat->setText(two(now.date().month()));
    ui_->EditJahr->setText(QStringLiteral("%1").arg(now.date().year(), 4, 10, QLatin1Char('0')));
}

void TDateTimeDlg::BtnOkClick()
{
    const auto t = checkClockInput(ui_->EditStunde->text(), ui_->EditMinute->text(), ui_->EditTag->text(),
                                   ui_->EditMonat->text(), ui_->EditJahr->text());
    if (!t)
        return;
    if (!prompts_.question(QStringLiteral("Service"), LangText(languageIndex_, TextId::QuestionSetDateTime),
                           PromptIcon::Question))
        return;
    // Whole minutes: the seconds start at 0. The status refresh shows what the tool made of it.
    link_.CmdSetTime(t->hour, t->minute, 0);
    link_.CmdSetDate(t->day, t->month, t->year);
    accept();
}
