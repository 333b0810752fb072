// Binds the tool status read-outs of the main window (status page, service page, warranty edits)
// to the decoded tool information block.
#pragma once

#include "app/ui/MainContext.h"

#include <QObject>
#include <QString>
#include <functional>

class StatusFeature : public QObject {
    Q_OBJECT
public:
    explicit StatusFeature(MainContext& ctx);

    // One CmdGetInfo; every status read-out except the three parameter-block labels. Without a tool
    // or when the read fails nothing changes.
    void RefreshToolStatus();
    // Reads the warranty start into the window state and fills the five warranty edits (the PC's
    // time as a proposal while the tool has no warranty date).
    void ShowWarrantyStart();
    // The status page's show handler: re-reads the parameter block and draws the latest cycle.
    void TS_MaschinenStatusShow();

    // Where the latest cycle is handed for drawing: the main window connects the work-curve chart,
    // tests a recorder. Unset, nothing is drawn.
    void setCycleChartDrawer(std::function<void(const QString& path)> drawer) { drawCycleChart_ = std::move(drawer); }

    MainContext& context() { return ctx_; }

private:
    MainContext& ctx_;
    std::function<void(const QString&)> drawCycleChart_;
};
