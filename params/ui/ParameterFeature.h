// Binds the parameter tab, the return-time setting of the status page and the serial number and
// version labels of the service page to the tool's parameter block.
#pragma once

#include "app/ui/MainContext.h"

#include <QObject>

class ParameterFeature : public QObject {
    Q_OBJECT
public:
    explicit ParameterFeature(MainContext& ctx);

    // Reads the block, the warranty start and the version texts from the tool. True when a fresh
    // block arrived; false without a tool or when a page exchange failed (the block is unchanged).
    bool ReadParameterBlock();
    // Every field of the current block into its control.
    void ShowParameterBlock();
    // Sends the current block and commits it; tells the user the outcome. Nothing without a tool.
    void WriteParameterBlock();
    // The parameter tab's edits into the current block.
    void TakeParameterEdits();
    // Focus-out of the decimal edits: the first "," becomes ".".
    void CheckDecimalSeparator(QObject* sender);

    void TS_ParameterShow();
    void BtnReadParaClick();
    void BtnWriteParaClick();
    void BtnSetRlzClick();
    void BtnSetSnClick();

    MainContext& context() { return ctx_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The read-modify-write of one field: a fresh read, the change, show, write, show. When the
    // fresh read fails nothing is written, so a stale block never reaches the tool.
    template <typename Change>
    void changeOneField(Change change);
    void reportTransfer(bool ok);

    MainContext& ctx_;
};
