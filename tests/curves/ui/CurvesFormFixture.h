// The main window's form with the work-curve feature bound to it, over a simulated tool on the
// fake clock, with a temporary app folder: the handlers run exactly as in the program, without
// the connection monitor.
#pragma once

#include "app/ui/MainContext.h"
#include "app/ui/MainState.h"
#include "curves/ui/CurvesFeature.h"
#include "link/Usbhidinterface.h"
#include "platform/Shell.h"
#include "sim/SimHidPlatform.h"
#include "tests/curves/CycleFixture.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/ui/MainForm.h"
#include "ui_Main.h"

#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>

struct CurvesForm : MainForm {
    QTemporaryDir dir;
    FakeClock clock{QDateTime(QDate(2009, 7, 3), QTime(12, 0, 0))};
    SimHidPlatform hid{clock};
    SimulatedTool& tool;
    ScriptedPrompts prompts;
    NoShell shell;
    AppPaths paths;
    TUsbHidInterface link{hid, clock};
    MainState state;
    MainContext ctx{window, ui, state, link, clock, prompts, shell, paths, {}};
    CurvesFeature curves{ctx};

    CurvesForm() : tool(hid.addTool(SimScenario::New))
    {
        paths.appDir = dir.path();
        paths.executableName = QStringLiteral("pressdiag");
        paths.currentDir = dir.path();
        tool.setCycleRecording(false);
        tool.files().clear();
        state.link = &link;
        ctx.features.curves = &curves;
        {
            const QSignalBlocker quiet(ui.Calendar);
            ui.Calendar->setSelectedDate(QDate(2009, 7, 3));
        }
        // As the main window's first show leaves them: the spin edits show the calendar's month and year.
        for (QSpinBox* spin : {ui.SpinEditMonat, ui.SpinEditJahr}) {
            const QSignalBlocker quiet(spin);
            spin->setValue(spin == ui.SpinEditMonat ? 7 : 2009);
        }
        link.Open(ToolVendorId, ToolProductId, 0);
        tool.clearReceived();
    }

    // A cycle file on the tool at "YYYYMMDD\name".
    void put(const QDate& day, const QString& name, const CycleFixture& f)
    {
        tool.files()[(day.toString("yyyyMMdd") + "\\" + name).toStdString()] = f.bytes;
    }
    // A complete, drawable cycle with a start and a peak.
    static CycleFixture cycle(std::uint32_t counter)
    {
        CycleFixture f;
        f.be32(CycleOffset::CycleCounter, counter)
            .be32(CycleOffset::MotorTimeMs, 3599999)
            .be16(CycleOffset::ChipTemp, 251)
            .u8(CycleOffset::BatteryVoltage10, 168)
            .u8(CycleOffset::RevolutionTimeMs, 7)
            .u8(CycleOffset::ErrorFlags, 0x18)
            .u8(CycleOffset::WarningFlags, 0x04)
            .bands(100, 110, 120, 140, 150)
            .span(1500)
            .samples({2, 2, 2, 2, 4, 8, 20, 40, 60, 80, 100, 110, 120, 90, 60, 30, 10, 5, 5, 5, 5, 5});
        return f;
    }
    int requests(std::uint8_t code) const
    {
        const auto c = tool.receivedCodes();
        return static_cast<int>(std::count(c.begin(), c.end(), code));
    }
    QStringList listed() const
    {
        QStringList out;
        for (int i = 0; i < ui.LbZyklen->count(); ++i)
            out << ui.LbZyklen->item(i)->text();
        return out;
    }
};
