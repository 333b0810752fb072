// Binds the main window's controls of this subsystem to its logic (placeholder until built).
#pragma once

#include "app/ui/MainContext.h"

#include <QObject>

class ParameterSetFeature : public QObject {
    Q_OBJECT
public:
    explicit ParameterSetFeature(MainContext& ctx) : ctx_(ctx) {}
    void ListParameterSets() {}

    MainContext& context() { return ctx_; }

private:
    MainContext& ctx_;
};
