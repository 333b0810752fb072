// Binds the main window's controls of this subsystem to its logic (placeholder until built).
#pragma once

#include "app/ui/MainContext.h"

#include <QObject>

class ParameterFeature : public QObject {
    Q_OBJECT
public:
    explicit ParameterFeature(MainContext& ctx) : ctx_(ctx) {}
    void ReadParameterBlock() {}
    void ShowParameterBlock() {}
    void WriteParameterBlock() {}
    void TakeParameterEdits() {}

    MainContext& context() { return ctx_; }

private:
    MainContext& ctx_;
};
