// The firmware update from the service page.
#include "service/ui/FirmwareFeature.h"

#include "app/ui/Main.h"
#include "platform/Prompts.h"
#include "service/ui/Fwupdatedialog.h"

#include "ui_Main.h"

#include <QPushButton>
#include <QTimer>

FirmwareFeature::FirmwareFeature(MainContext& ctx) : ctx_(ctx)
{
    connect(ctx_.ui.BtnFwUpdate, &QPushButton::clicked, this, &FirmwareFeature::BtnFwUpdateClick);
}

int FirmwareFeature::RunUpdateDialog(const QString& presetHexPath)
{
    TFwUpdateDlg dialog(&ctx_.window, ctx_, presetHexPath);
    return ctx_.prompts.execDialog(dialog);
}

void FirmwareFeature::BtnFwUpdateClick()
{
    auto* main = qobject_cast<THauptDialog*>(&ctx_.window);
    QTimer* searchDevice = main ? &main->SearchDevice() : nullptr;
    if (searchDevice)
        searchDevice->stop();
    RunUpdateDialog(QString());
    if (searchDevice)
        searchDevice->start();
}
