// The main window's form with the service and diary features bound to it, over a scripted tool:
// enough of the window for the service page's handlers, without the connection monitor running.
#pragma once

#include "app/ui/MainContext.h"
#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "service/ui/DiaryFeature.h"
#include "service/ui/ServiceFeature.h"
#include "status/ui/StatusFeature.h"
#include "tests/support/ScriptedHidPlatform.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/ui/MainForm.h"
#include "ui_Main.h"

#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <vector>

// Prompts that also note whether the monitor's timer ran while a question was open.
class TimerWatchingPrompts final : public Prompts {
public:
    ScriptedPrompts script;
    QTimer* timer = nullptr;
    std::vector<bool> timerActiveAtQuestion;

    void message(const QString& c, const QString& t, PromptIcon i) override { script.message(c, t, i); }
    bool question(const QString& c, const QString& t, PromptIcon i) override
    {
        timerActiveAtQuestion.push_back(timer && timer->isActive());
        return script.question(c, t, i);
    }
    std::optional<QString> inputBox(const QString& c, const QString& p, const QString& d) override { return script.inputBox(c, p, d); }
    std::optional<QString> openFile(const FileDialogRequest& r) override { return script.openFile(r); }
    std::optional<QString> saveFile(const FileDialogRequest& r) override { return script.saveFile(r); }
    bool printDialog(QPagedPaintDevice& p, const PrintDialogRequest& r) override { return script.printDialog(p, r); }
    int execDialog(QDialog& d) override { return script.execDialog(d); }
};

struct ServiceForm : MainForm {
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock;
    TimerWatchingPrompts prompts;
    NoShell shell;
    AppPaths paths;
    TUsbHidInterface link{hid, clock};
    MainState state;
    QTimer* searchDevice = new QTimer(&window);
    MainContext ctx{window, ui, state, link, clock, prompts, shell, paths, {}};
    StatusFeature status{ctx};
    ServiceFeature service{ctx};
    DiaryFeature diaries{ctx};

    ServiceForm()
    {
        searchDevice->setObjectName(QStringLiteral("SearchDevice"));
        searchDevice->setInterval(1000);
        searchDevice->start();
        prompts.timer = searchDevice;
        ctx.features.status = &status;
        ctx.features.service = &service;
        ctx.features.diaries = &diaries;
        state.link = &link;
        hid.echo = true;
        link.Open(ToolVendorId, ToolProductId, 0);
        // What the monitor does once the tool has been connected for a tick.
        for (QPushButton* b : {ui.BtnFormatSD, ui.BtnSetDateTimeKunde, ui.BtnSetDateTimeHersteller, ui.BtnDeleteGarantie,
                               ui.BtnSetGarantie, ui.BtnResetBsMotor, ui.BtnResetService, ui.BtnSetPz})
            b->setEnabled(true);
    }

    ScriptedPrompts& script() { return prompts.script; }

    // Requests with this code, in order.
    std::vector<Payload> sent(std::uint8_t code) const
    {
        std::vector<Payload> out;
        for (const auto& w : hid.written)
            if (w[0] == code)
                out.push_back(w);
        return out;
    }
};

inline Payload payload(std::initializer_list<int> bytes)
{
    Payload p{};
    std::size_t i = 0;
    for (int b : bytes)
        p[i++] = static_cast<std::uint8_t>(b);
    return p;
}
