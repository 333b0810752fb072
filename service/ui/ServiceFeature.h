// Binds the main window's controls of this subsystem to its logic (placeholder until built).
#pragma once

#include "app/ui/MainContext.h"

#include <QObject>

class ServiceFeature : public QObject {
    Q_OBJECT
public:
    explicit ServiceFeature(MainContext& ctx) : ctx_(ctx) {}

    MainContext& context() { return ctx_; }

private:
    MainContext& ctx_;
};
