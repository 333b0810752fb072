// The main window's form with the status and parameter features bound to it, over a simulated
// tool on the fake clock: the handlers run exactly as in the program, without the connection monitor.
#pragma once

#include "app/ui/MainContext.h"
#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "params/ui/ParameterFeature.h"
#include "platform/Shell.h"
#include "sim/SimHidPlatform.h"
#include "status/ui/StatusFeature.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/ui/MainForm.h"
#include "ui_Main.h"

#include <QApplication>
#include <QPushButton>
#include <QWidget>

struct ToolForm : MainForm {
    FakeClock clock{QDateTime(QDate(2026, 3, 4), QTime(8, 7, 6))};
    SimHidPlatform hid{clock};
    SimulatedTool& tool;
    ScriptedPrompts prompts;
    NoShell shell;
    AppPaths paths;
    TUsbHidInterface link{hid, clock};
    MainState state;
    MainContext ctx{window, ui, state, link, clock, prompts, shell, paths, {}};
    StatusFeature status{ctx};
    ParameterFeature params{ctx};
    QStringList drawn;  // paths handed to the chart

    explicit ToolForm(SimScenario scenario = SimScenario::V2) : tool(hid.addTool(scenario))
    {
        tool.setCycleRecording(false);
        state.link = &link;
        ctx.features.status = &status;
        ctx.features.params = &params;
        status.setCycleChartDrawer([this](const QString& path) { drawn << path; });
        link.Open(ToolVendorId, ToolProductId, 0);
        // What the monitor does once the tool has been connected for a tick.
        ui.BtnSetRlz->setEnabled(true);
        ui.BtnSetSn->setEnabled(true);
    }
    // Puts a line edit under the keyboard focus the way a click would.
    void focus(QWidget* w)
    {
        window.show();
        window.activateWindow();
        w->setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }
    std::vector<std::uint8_t> codes() const { return tool.receivedCodes(); }
};
