// The calibration feature of the main window.
#include "service/ui/CalibrationFeature.h"

#include "app/ui/MainState.h"
#include "platform/Prompts.h"
#include "service/Calibration.h"
#include "service/ui/Kaldsdialog.h"
#include "service/ui/Kalrundialog.h"
#include "ui_Main.h"

CalibrationFeature::CalibrationFeature(MainContext& ctx) : ctx_(ctx), block_(ctx)
{
    connect(ctx_.ui.BtnKalRun, &QPushButton::clicked, this, &CalibrationFeature::BtnKalRunClick);
}

void CalibrationFeature::BtnKalRunClick()
{
    if (hasPressureSensor(ctx_.state.parameterBlock)) {
        TKalDsDlg dialog(&ctx_.window, ctx_.link, ctx_.prompts, block_, ctx_.state.LanguageIndex);
        ctx_.prompts.execDialog(dialog);
    } else {
        TKalRunDlg dialog(&ctx_.window, ctx_.link, ctx_.prompts, ctx_.state.LanguageIndex);
        ctx_.prompts.execDialog(dialog);
    }
}
