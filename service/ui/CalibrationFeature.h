// Binds the calibration button of the service page: the calibration run, or for a tool with a
// pressure sensor the sensor calibration.
#pragma once

#include "app/ui/MainContext.h"
#include "params/ui/ParameterSetFeature.h"

#include <QObject>

class CalibrationFeature : public QObject {
    Q_OBJECT
public:
    explicit CalibrationFeature(MainContext& ctx);

    // Flags bit 0 of the block as last read chooses TKalDsDlg, otherwise TKalRunDlg; the dialog is
    // made for this use with the main window as owner.
    void BtnKalRunClick();

    MainContext& context() { return ctx_; }

private:
    MainContext& ctx_;
    MainBlockAccess block_;
};
