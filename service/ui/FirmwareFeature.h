// The service page's firmware update: opens the update dialog with the connection monitor
// stopped, so that only the dialog talks to the tool while it restarts into its bootloader.
#pragma once

#include "app/ui/MainContext.h"

#include <QObject>
#include <QString>

class FirmwareFeature : public QObject {
    Q_OBJECT
public:
    explicit FirmwareFeature(MainContext& ctx);

    MainContext& context() { return ctx_; }

    // Constructs the update dialog with presetHexPath (empty: interactive), shows it modally and
    // destroys it; the dialog's result (QDialog::Accepted after a successful download). The
    // caller decides about the connection monitor.
    int RunUpdateDialog(const QString& presetHexPath);

public slots:
    void BtnFwUpdateClick();

private:
    MainContext& ctx_;
};
