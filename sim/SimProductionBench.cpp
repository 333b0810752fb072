// The simulated adapter: line changes reach the controller, board events reach the tool.
#include "sim/SimProductionBench.h"

#include "platform/Clock.h"
#include "sim/SimSampleImages.h"
#include "sim/SimulatedTool.h"

#include <QCoreApplication>
#include <QMetaObject>

SimProductionBench::SimProductionBench(Clock& clock, Wiring wiring, SimulatedTool* tool, bool blank, unsigned baud)
    : clock_(clock), tool_(tool), alive_(std::make_shared<bool>(true))
{
    const auto setUp = [&](SimController& c) {
        if (!blank) {
            const SimImageBlock bl = SimControllerImage(12 * 1024, true);
            // Programmed once before: the sample USB bootloader is in flash.
            c.loadFlash(bl.address, bl.data);
        }
    };
    if (wiring == Wiring::Direct) {
        direct_ = std::make_unique<SimController>();
        line_ = std::make_unique<SimControllerLine>(*direct_, clock_, baud);
        setUp(*direct_);
        direct_->onEvent = [this](SimBoardEvent e) { apply(e); };
    } else {
        port_ = std::make_unique<SimControllerPort>(baud);
        std::weak_ptr<bool> alive = alive_;
        port_->withController([&](SimController& c) {
            setUp(c);
            // GO arrives on the worker thread; the tool lives on the program's thread.
            c.onEvent = [this, alive](SimBoardEvent e) {
                if (QCoreApplication* app = QCoreApplication::instance())
                    QMetaObject::invokeMethod(app, [this, alive, e] {
                        if (alive.lock())
                            apply(e);
                    }, Qt::QueuedConnection);
            };
        });
    }
}

SimProductionBench::~SimProductionBench()
{
    alive_.reset();
    port_.reset();  // joins the worker before the rest goes
}

void SimProductionBench::withController(const std::function<void(SimController&)>& f)
{
    if (direct_)
        f(*direct_);
    else
        port_->withController(f);
}

const STBL_Transport* SimProductionBench::transport() const { return line_ ? &line_->transport() : nullptr; }

bool SimProductionBench::open(const QString& device)
{
    opened.push_back(device);
    if (failOpen)
        return false;
    open_ = true;
    return true;
}

bool SimProductionBench::setModemLines(bool dtr, bool rts)
{
    if (!open_ || !modemLines)
        return false;
    lineChanges.emplace_back(dtr, rts);
    if (direct_) {
        direct_->setLines(dtr, rts, line_->nowUs());
        return true;
    }
    // Line changes come from the program's thread: the events they cause are applied at once.
    std::vector<SimBoardEvent> events;
    port_->withController([&](SimController& c) {
        auto keep = std::move(c.onEvent);
        c.onEvent = [&events](SimBoardEvent e) { events.push_back(e); };
        c.setLines(dtr, rts, SimControllerPort::nowUs());
        c.onEvent = std::move(keep);
    });
    for (SimBoardEvent e : events)
        apply(e);
    return true;
}

QString SimProductionBench::libraryDevice() const
{
    return port_ ? QString::fromStdString(port_->devicePath()) : QString();
}

void SimProductionBench::apply(SimBoardEvent e)
{
    if (!tool_)
        return;
    switch (e) {
    case SimBoardEvent::HeldInReset:
        tool_->unplug();
        break;
    case SimBoardEvent::UsbBootloader:
        tool_->enterBootloader();
        break;
    case SimBoardEvent::RomBootloader:
    case SimBoardEvent::BlankOrUnknown:
        break;
    }
}
