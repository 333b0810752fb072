// Opening the tool for pressdiag-cli: the simulated one with --simulate, otherwise the first real
// tool through hidapi.
#include "cli/Cli.h"

#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "platform/HidapiPlatform.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimulatedTool.h"

#include <cstdio>

CliTool::~CliTool()
{
    // The transport closes its handle through the platform, so it goes first.
    link.reset();
    platform.reset();
}

void printError(const QString& text)
{
    std::fprintf(stderr, "pressdiag-cli: %s\n", text.toLocal8Bit().constData());
}

std::unique_ptr<CliTool> openTool(const CliArgs& args)
{
    auto tool = std::make_unique<CliTool>();
    tool->clock = std::make_unique<SystemClock>();
    if (args.simulate) {
        const auto scenario = parseSimScenario(args.simulate->toStdString());
        if (!scenario) {
            printError(QStringLiteral("unknown simulation scenario '%1' (demo, v2, sensor, new)").arg(*args.simulate));
            return nullptr;
        }
        auto sim = std::make_unique<SimHidPlatform>(*tool->clock);
        tool->simulated = &sim->addTool(*scenario);
        tool->platform = std::move(sim);
    } else {
        tool->platform = std::make_unique<HidapiPlatform>();
    }
    tool->link = std::make_unique<TUsbHidInterface>(*tool->platform, *tool->clock);
    if (!tool->link->Open(ToolVendorId, ToolProductId, 0)) {
        printError(QStringLiteral("no tool found (USB HID 16d0:0425); is it plugged in and readable (udev rule)?"));
        return nullptr;
    }
    return tool;
}
