// Main window costs: from constructing THauptDialog to the end of the first full load of a
// simulated tool, and one connected tick of the connection monitor. Without latency the figures
// are the program's own overhead; with the USB timing model (1 ms per report) they show what a
// full-speed HID link adds.
#include "app/ui/Main.h"
#include "bench/support/BenchSupport.h"
#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "sim/SimHidPlatform.h"
#include "ui_Main.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// One program run: app folder, services and a demo tool; the window is built by the caller.
struct Run {
    explicit Run(Clock& clock, double latencyMs) : sim(clock)
    {
        SimulatedTool& tool = sim.addTool(SimScenario::Demo);
        tool.setLatencyMs(latencyMs);
        tool.setRecordRequests(false);
        paths.appDir = dir.path();
        paths.executableName = QStringLiteral("pressdiag");
        paths.currentDir = dir.path();
    }
    QTemporaryDir dir;
    SimHidPlatform sim;
    NoPrompts prompts;
    NoShell shell;
    AppPaths paths;
};

// Construction, first show and the tick that finds and loads the tool.
void constructAndLoad(benchmark::State& state, Clock& clock, double latencyMs)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto run = std::make_unique<Run>(clock, latencyMs);
        Services services{run->sim, clock, run->prompts, run->shell, run->paths};
        LastCycleCount = 0;
        state.ResumeTiming();

        auto window = std::make_unique<THauptDialog>(services);
        window->show();
        window->SearchDevice().stop();
        window->SearchDeviceTimer();
        benchmark::DoNotOptimize(window->link().Connected);

        state.PauseTiming();
        if (!window->link().Connected)
            state.SkipWithError("the simulated tool was not found");
        window.reset();
        run.reset();
        state.ResumeTiming();
    }
}

void BM_ConstructToFirstFullLoad(benchmark::State& state)
{
    FakeClock clock;
    constructAndLoad(state, clock, 0.0);
}
BENCHMARK(BM_ConstructToFirstFullLoad)->Unit(benchmark::kMillisecond);

void BM_ConstructToFirstFullLoad_UsbTiming(benchmark::State& state)
{
    SystemClock clock;
    constructAndLoad(state, clock, 1.0);
}
BENCHMARK(BM_ConstructToFirstFullLoad_UsbTiming)->Unit(benchmark::kMillisecond)->Iterations(5);

// A connected tick on the status page whose counter does not change: buttons, one status refresh,
// one counter read, the status bar.
void connectedTick(benchmark::State& state, Clock& clock, double latencyMs)
{
    Run run(clock, latencyMs);
    Services services{run.sim, clock, run.prompts, run.shell, run.paths};
    LastCycleCount = 0;
    THauptDialog window(services);
    window.show();
    window.SearchDevice().stop();
    window.SearchDeviceTimer();  // load
    window.SearchDeviceTimer();  // first look at the counter (redraws once)
    // The demo tool records a cycle every 20 s of clock time while talked to; keep the counter still.
    run.sim.tool()->setCycleRecording(false);
    for (auto _ : state) {
        window.SearchDeviceTimer();
        QCoreApplication::processEvents();  // the status bar repaint the tick asked for
    }
    if (!window.link().Connected)
        state.SkipWithError("the simulated tool was lost");
}

void BM_ConnectedTick(benchmark::State& state)
{
    FakeClock clock;
    connectedTick(state, clock, 0.0);
}
BENCHMARK(BM_ConnectedTick)->Unit(benchmark::kMicrosecond);

void BM_ConnectedTick_UsbTiming(benchmark::State& state)
{
    SystemClock clock;
    connectedTick(state, clock, 1.0);
}
BENCHMARK(BM_ConnectedTick_UsbTiming)->Unit(benchmark::kMillisecond);

}  // namespace
