// Binds the main window's controls of this subsystem to its logic (placeholder until built).
#pragma once

#include "app/ui/MainContext.h"

#include <QObject>

class CurvesFeature : public QObject {
    Q_OBJECT
public:
    explicit CurvesFeature(MainContext& ctx) : ctx_(ctx) {}
    void ListCycles() {}

    MainContext& context() { return ctx_; }

private:
    MainContext& ctx_;
};
