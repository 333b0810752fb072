// Reading a full 65,535-byte diary from the simulated tool with 1 ms per output write and per
// feature read: the time against what the USB timing model alone costs. "ratio" is measured time
// over model time (goal: at most 1.01). Once through the logic, once through the diary page with
// its memo and the shared progress bar; and both again without latency, which leaves the
// program's own cost. The model's busy wait needs a core to itself: run on an idle machine.
#include "app/ui/MainContext.h"
#include "bench/support/BenchSupport.h"
#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "service/Diary.h"
#include "service/ui/DiaryFeature.h"
#include "sim/SimHidPlatform.h"
#include "ui_Main.h"

#include <QPlainTextEdit>
#include <benchmark/benchmark.h>
#include <chrono>
#include <optional>

namespace {

struct Bench {
    SystemClock clock;
    SimHidPlatform sim{clock};
    SimulatedTool& tool = sim.addTool(SimScenario::Demo);
    CountingHidPlatform hid{sim};
    TUsbHidInterface link{hid, clock};

    explicit Bench(double latencyMs)
    {
        tool.setCycleRecording(false);
        tool.setRecordRequests(false);
        std::vector<std::uint8_t> diary(DiaryMaxBytes);
        for (std::size_t i = 0; i < diary.size(); ++i)
            diary[i] = (i % 64 == 62) ? '\r' : (i % 64 == 63) ? '\n' : static_cast<std::uint8_t>('a' + i % 26);
        tool.files()["KTB"] = diary;
        link.Open(ToolVendorId, ToolProductId, 0);
        tool.setLatencyMs(latencyMs);
        hid.resetCounts();
    }
};

// measured_ms: wall time of one read; model_ms: what the timing model alone charges for the
// writes and reads that read made; ratio: the two against each other. With latency 0 the
// measured time is the program's own cost (the simulator's included).
template <class ReadOnce>
void run(benchmark::State& state, Bench& b, double latencyMs, ReadOnce readOnce)
{
    double totalMs = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = readOnce();
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (!ok)
            state.SkipWithError("diary read failed");
    }
    const double n = static_cast<double>(state.iterations());
    const double perRead = totalMs / n;
    const double transfers = static_cast<double>(b.hid.transfers()) / n;
    state.counters["measured_ms"] = perRead;
    state.counters["transfers"] = transfers;
    if (latencyMs > 0) {
        state.counters["model_ms"] = transfers * latencyMs;
        state.counters["ratio"] = perRead / (transfers * latencyMs);
    }
}

void BM_ReadDiaryLogic(benchmark::State& state)
{
    const double latency = static_cast<double>(state.range(0));
    Bench b(latency);
    run(state, b, latency, [&] {
        std::string bytes;
        const bool ok = ReadDiary(b.link, DiaryKind::Customer, bytes);
        benchmark::DoNotOptimize(bytes);
        return ok && bytes.size() == DiaryMaxBytes;
    });
}

void BM_ReadDiaryPage(benchmark::State& state)
{
    const double latency = static_cast<double>(state.range(0));
    Bench b(latency);
    QWidget window;
    Ui::THauptDialog ui;
    ui.setupUi(&window);
    window.show();  // the progress bar paints as it would on screen
    MainState mainState;
    NoPrompts prompts;
    NoShell shell;
    AppPaths paths;
    MainContext ctx{window, ui, mainState, b.link, b.clock, prompts, shell, paths, {}};
    DiaryFeature diaries(ctx);
    run(state, b, latency, [&] {
        return diaries.ReadDiary(DiaryKind::Customer) && !ui.Kundentagebuch->toPlainText().isEmpty();
    });
}

// Argument: latency in ms per output write and per feature read.
BENCHMARK(BM_ReadDiaryLogic)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadDiaryPage)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadDiaryLogic)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDiaryPage)->Arg(0)->Unit(benchmark::kMillisecond);
}  // namespace
