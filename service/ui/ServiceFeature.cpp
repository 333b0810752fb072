// The service page's record setters.
#include "service/ui/ServiceFeature.h"

#include "texts/Texte.h"
#include "app/ui/Main.h"
#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "platform/Prompts.h"
#include "service/ServiceChecks.h"
#include "service/ui/Datetimedialog.h"
#include "status/ui/StatusFeature.h"
#include "ui_Main.h"

#include <QEvent>
#include <QLineEdit>
#include <QTimer>
#include <QValidator>

namespace {
// Holds the monitor's timer for the life of a handler, so every way out restarts it. A timer
// that was not running (a test driving the ticks by hand) stays stopped.
class TimerHold {
public:
    explicit TimerHold(QTimer* timer) : timer_(timer && timer->isActive() ? timer : nullptr)
    {
        if (timer_)
            timer_->stop();
    }
    ~TimerHold()
    {
        if (timer_)
            timer_->start();
    }
    TimerHold(const TimerHold&) = delete;
    TimerHold& operator=(const TimerHold&) = delete;

private:
    QTimer* timer_;
};
// A length limit on what the user types only. The program itself puts longer texts into these
// edits (six counter digits, "Service fällig", 255 after a failed warranty read), which a plain
// maximum length would cut off without a trace.
class TypedLengthLimit final : public QValidator {
public:
    TypedLengthLimit(int maxChars, QObject* parent) : QValidator(parent), maxChars_(maxChars) {}
    State validate(QString& input, int&) const override { return input.size() <= maxChars_ ? Acceptable : Invalid; }

private:
    int maxChars_;
};

void limitTypingOnly(QLineEdit* edit)
{
    const int maxChars = edit->maxLength();
    edit->setMaxLength(32767);
    edit->setValidator(new TypedLengthLimit(maxChars, edit));
}
}  // namespace

ServiceFeature::ServiceFeature(MainContext& ctx) : ctx_(ctx)
{
    auto& ui = ctx_.ui;
    connect(ui.BtnFormatSD, &QPushButton::clicked, this, &ServiceFeature::BtnFormatSDClick);
    connect(ui.BtnSetDateTimeHersteller, &QPushButton::clicked, this, &ServiceFeature::BtnSetDateTimeHerstellerClick);
    connect(ui.BtnSetDateTimeKunde, &QPushButton::clicked, this, &ServiceFeature::BtnSetDateTimeKundeClick);
    connect(ui.BtnDeleteGarantie, &QPushButton::clicked, this, &ServiceFeature::BtnDeleteGarantieClick);
    connect(ui.BtnSetGarantie, &QPushButton::clicked, this, &ServiceFeature::BtnSetGarantieClick);
    connect(ui.BtnResetService, &QPushButton::clicked, this, &ServiceFeature::BtnResetServiceClick);
    connect(ui.BtnResetBsMotor, &QPushButton::clicked, this, &ServiceFeature::BtnResetBsMotorClick);
    connect(ui.BtnSetPz, &QPushButton::clicked, this, &ServiceFeature::BtnSetPzClick);
    // OnExit semantics: every loss of focus, whether or not the text changed.
    ui.EditServiceZaehler->installEventFilter(this);
    for (QLineEdit* edit : {ui.EditServiceZaehler, ui.EditPresszyklen, ui.EditGarantieStunde, ui.EditGarantieMinute,
                            ui.EditGarantieTag, ui.EditGarantieMonat, ui.EditGarantieJahr})
        limitTypingOnly(edit);
}

bool ServiceFeature::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ctx_.ui.EditServiceZaehler && event->type() == QEvent::FocusOut)
        EditServiceZaehlerExit();
    return QObject::eventFilter(watched, event);
}

QTimer* ServiceFeature::searchDevice()
{
    if (auto* main = dynamic_cast<THauptDialog*>(&ctx_.window))
        return &main->SearchDevice();
    // A form without the main window around it (the page's own tests) names its timer instead.
    return ctx_.window.findChild<QTimer*>(QStringLiteral("SearchDevice"));
}

bool ServiceFeature::ask(int textId)
{
    return ctx_.prompts.question(QStringLiteral("Service"), LangText(ctx_.state.LanguageIndex, textId),
                                 PromptIcon::Question);
}

void ServiceFeature::openDateTimeDialog()
{
    TDateTimeDlg dlg(&ctx_.window, ctx_.link, ctx_.clock, ctx_.prompts, ctx_.state.LanguageIndex);
    ctx_.prompts.execDialog(dlg);
}

void ServiceFeature::BtnFormatSDClick()
{
    if (ask(TextId::QuestionFormatStore))
        ctx_.link.CmdFormatStore();
}

void ServiceFeature::BtnSetDateTimeHerstellerClick()
{
    openDateTimeDialog();
}

void ServiceFeature::BtnSetDateTimeKundeClick()
{
    const auto& w = ctx_.state.WarrantyStart;
    if (!warrantyRuns(w.day, w.month, w.year)) {
        ctx_.prompts.message(QStringLiteral("Info"), LangText(ctx_.state.LanguageIndex, TextId::ClockNeedsWarranty),
                             PromptIcon::Information);
        return;
    }
    openDateTimeDialog();
}

void ServiceFeature::BtnDeleteGarantieClick()
{
    if (ask(TextId::QuestionClearWarranty))
        ctx_.link.CmdClearWarranty();
    // Also after No: the edits may hold a half-typed date, and show the tool's again.
    ctx_.features.status->ShowWarrantyStart();
}

void ServiceFeature::BtnSetGarantieClick()
{
    auto& ui = ctx_.ui;
    const auto t = checkWarrantyInput(ui.EditGarantieStunde->text(), ui.EditGarantieMinute->text(),
                                      ui.EditGarantieTag->text(), ui.EditGarantieMonat->text(),
                                      ui.EditGarantieJahr->text());
    if (t && ask(TextId::QuestionSetDateTime))
        ctx_.link.CmdSetWarranty(t->hour, t->minute, t->day, t->month, t->year);
    ctx_.features.status->ShowWarrantyStart();
}

void ServiceFeature::BtnResetServiceClick()
{
    TimerHold hold(searchDevice());
    const std::uint32_t value =
        serviceCounterToSend(ctx_.ui.EditServiceZaehler->text(), ctx_.state.parameterBlock.ServiceIntervall);
    if (ask(TextId::QuestionServiceCounter))
        ctx_.link.CmdSetServiceCounter(static_cast<std::int32_t>(value));
}

void ServiceFeature::BtnResetBsMotorClick()
{
    if (ask(TextId::QuestionOperatingTime))
        ctx_.link.CmdSetOperatingTime(0);
}

void ServiceFeature::BtnSetPzClick()
{
    TimerHold hold(searchDevice());
    const std::uint32_t value = cycleCounterToSend(ctx_.ui.EditPresszyklen->text());
    if (ask(TextId::QuestionCycleCounter))
        ctx_.link.CmdSetCycleCounter(static_cast<std::int32_t>(value));
}

void ServiceFeature::EditServiceZaehlerExit()
{
    auto* edit = ctx_.ui.EditServiceZaehler;
    const std::uint32_t value = limitServiceCounter(edit->text(), ctx_.state.parameterBlock.ServiceIntervall);
    edit->setText(QString::number(value));
}
