// The service page's record setters: data store, tool clock, warranty start, service counter,
// operating time and press-cycle counter. Each checks its input where it has one, asks before it
// changes the tool, and sends one command; the status refresh shows the outcome.
#pragma once

#include "app/ui/MainContext.h"

#include <QObject>

class QTimer;

class ServiceFeature : public QObject {
    Q_OBJECT
public:
    explicit ServiceFeature(MainContext& ctx);

    MainContext& context() { return ctx_; }

public slots:
    void BtnFormatSDClick();
    void BtnSetDateTimeHerstellerClick();
    // Only once the warranty runs; otherwise text 79 explains why not.
    void BtnSetDateTimeKundeClick();
    void BtnDeleteGarantieClick();
    void BtnSetGarantieClick();
    void BtnResetServiceClick();
    void BtnResetBsMotorClick();
    void BtnSetPzClick();
    // When EditServiceZaehler loses the focus: cap its value at the service interval.
    void EditServiceZaehlerExit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ask(int textId);
    void openDateTimeDialog();
    // The connection monitor's timer; the counter setters hold it so that no refresh overwrites
    // the edit between reading it and sending it.
    QTimer* searchDevice();

    MainContext& ctx_;
};
