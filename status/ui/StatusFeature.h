// Binds the main window's controls of this subsystem to its logic (placeholder until built).
#pragma once

#include "app/ui/MainContext.h"

#include <QObject>

class StatusFeature : public QObject {
    Q_OBJECT
public:
    explicit StatusFeature(MainContext& ctx) : ctx_(ctx) {}
    void RefreshToolStatus() {}
    void ShowWarrantyStart() {}
    void TS_MaschinenStatusShow() {}

    MainContext& context() { return ctx_; }

private:
    MainContext& ctx_;
};
