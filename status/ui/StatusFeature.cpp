// Status read-outs: the tool information block placed into the labels and edits of the main window.
#include "status/ui/StatusFeature.h"

#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "params/ui/ParameterFeature.h"
#include "platform/Clock.h"
#include "status/ToolInfoBlock.h"
#include "status/ui/LineEditText.h"

#include "ui_Main.h"

namespace {
// The once-per-second refresh must not overwrite what the user is typing.
void setUnlessFocused(QLineEdit* edit, const QString& text)
{
    if (!edit->hasFocus())
        setShownText(edit, text);
}
}  // namespace

StatusFeature::StatusFeature(MainContext& ctx) : ctx_(ctx)
{
    QTabWidget* pages = ctx_.ui.PageControl;
    connect(pages, &QTabWidget::currentChanged, this, [this, pages](int index) {
        if (pages->widget(index) == ctx_.ui.TS_MaschinenStatus)
            TS_MaschinenStatusShow();
    });
}

void StatusFeature::RefreshToolStatus()
{
    if (!ctx_.link.Connected)
        return;
    Payload reply{};
    if (!ctx_.link.CmdGetInfo(reply))
        return;
    const ToolInfoBlock info = ToolInfoBlock::decode(reply);
    Ui::THauptDialog& ui = ctx_.ui;
    MainState& state = ctx_.state;

    const QString clock = clockText(info);
    ui.LblDatum->setText(clock);
    ui.LblDatumHersteller->setText(clock);

    const QString cycles = counterText(info.CycleCount);
    ui.LblPresszyklen->setText(cycles);
    setUnlessFocused(ui.EditPresszyklen, cycles);

    const QString service = serviceCountText(info.ServiceCount, state.LanguageIndex);
    ui.LblServiceZaehler->setText(service);
    setUnlessFocused(ui.EditServiceZaehler, service);

    const QString motor = motorTimeText(info.MotorTimeMs);
    ui.LblBsMotorHersteller->setText(motor);
    ui.LblBsMotor->setText(motor);

    state.BatteryVoltage = info.batteryVoltage();
    ui.LblUbatt->setText(batteryText(state.BatteryVoltage));

    ui.LblFehlermeldung->setText(errorWarningText(info.ErrorFlags, info.WarningFlags, state.LanguageIndex));

    const std::int32_t temperature = info.chipTemperature();
    state.ChipTemperature = static_cast<float>(temperature);
    ui.LblTemperatur->setText(temperatureText(temperature));

    const WarrantyStartValue& w = state.WarrantyStart;
    ui.LblStartGarantie->setText(warrantyStatusText({w.day, w.month, w.year, w.hour, w.minute},
                                                    state.parameterBlock.StartGarantie, info.CycleCount));
}

void StatusFeature::ShowWarrantyStart()
{
    // A tool that does not answer its information request is not asked for the warranty either.
    Payload reply{};
    if (!ctx_.link.CmdGetInfo(reply))
        return;
    WarrantyStartValue& w = ctx_.state.WarrantyStart;
    ctx_.link.CmdGetWarranty(w.day, w.month, w.year, w.hour, w.minute);
    const WarrantyEditTexts t = warrantyEditTexts({w.day, w.month, w.year, w.hour, w.minute}, ctx_.clock.now());
    Ui::THauptDialog& ui = ctx_.ui;
    setShownText(ui.EditGarantieStunde, t.stunde);
    setShownText(ui.EditGarantieMinute, t.minute);
    setShownText(ui.EditGarantieTag, t.tag);
    setShownText(ui.EditGarantieMonat, t.monat);
    setShownText(ui.EditGarantieJahr, t.jahr);
}

void StatusFeature::TS_MaschinenStatusShow()
{
    ctx_.ui.BtnSaveChart->setEnabled(false);
    ctx_.ui.BtnPrintChart->setEnabled(false);
    if (ctx_.features.params)
        ctx_.features.params->ReadParameterBlock();
    Payload reply{};
    if (!ctx_.link.CmdGetInfo(reply))
        return;
    const ToolInfoBlock info = ToolInfoBlock::decode(reply);
    // A tool that has never pressed has no cycle to show; the buttons stay disabled.
    if (info.CycleCount == 0)
        return;
    if (drawCycleChart_)
        drawCycleChart_(latestCyclePath(info));
}
