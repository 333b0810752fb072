// The simulated tool under load: reading a recorded cycle and a full firmware download through the
// transport, with and without the USB timing model, and building a scenario (program start).
#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimulatedTool.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>

namespace {

// The most recent cycle of the demo tool, as the status page reads it (about 60 chunks).
void BM_ReadCycleFile(benchmark::State& state)
{
    const double latencyMs = static_cast<double>(state.range(0)) / 1000.0;
    SystemClock clock;
    SimHidPlatform hid(clock);
    SimulatedTool& tool = hid.addTool(SimScenario::Demo);
    tool.setCycleRecording(false);
    tool.setRecordRequests(false);
    TUsbHidInterface link(hid, clock);
    if (!link.Open(ToolVendorId, ToolProductId, 0)) {
        state.SkipWithError("no simulated tool");
        return;
    }
    const QDate d = tool.toolDateTime().date();
    const QString path = QString::asprintf("%04d%02d%02d\\%06d", d.year(), d.month(), d.day(), tool.info().CycleCount);
    const auto* file = tool.file(path.toStdString());
    if (!file) {
        state.SkipWithError("no latest cycle");
        return;
    }
    const std::size_t chunks = file->size() / 32 + 1;
    // open + chunks + final empty chunk + one extra read, each one write and one feature read
    const double modelMs = static_cast<double>(chunks + 3) * 2.0 * latencyMs;
    tool.setLatencyMs(latencyMs);
    std::array<std::uint8_t, 5000> buffer{};
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (link.ReadToolFile(path, buffer) != static_cast<int>(file->size()))
            state.SkipWithError("read failed");
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        state.counters["bytes"] = static_cast<double>(file->size());
        if (modelMs > 0)
            state.counters["ratio_to_model"] = ms / modelMs;
    }
}
BENCHMARK(BM_ReadCycleFile)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond);

// 49 pages of 32 blocks plus one program request each: 1617 exchanges, then the restart.
void BM_FirmwareDownload(benchmark::State& state)
{
    const double latencyMs = static_cast<double>(state.range(0)) / 1000.0;
    const double modelMs = 49.0 * 33.0 * 2.0 * latencyMs + latencyMs;
    SystemClock clock;
    SimHidPlatform hid(clock);
    SimulatedTool& tool = hid.addTool(SimScenario::Demo);
    tool.setCycleRecording(false);
    tool.setRecordRequests(false);
    TUsbHidInterface link(hid, clock);
    for (auto _ : state) {
        state.PauseTiming();
        tool.plugIn();
        tool.enterBootloader();
        tool.setLatencyMs(latencyMs);
        link.Close();
        if (!link.Open(ToolVendorId, ToolProductId, 0)) {
            state.SkipWithError("no simulated tool");
            return;
        }
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        for (int page = 0; page < 49; ++page) {
            for (int block = 0; block < 32; ++block) {
                Payload p{};
                p[0] = 0x40;
                p[1] = static_cast<std::uint8_t>(block);
                p[2] = static_cast<std::uint8_t>(page);
                if (!link.Exchange(p))
                    state.SkipWithError("block failed");
            }
            Payload prog{};
            prog[0] = 0x41;
            prog[1] = static_cast<std::uint8_t>(page + 12);
            if (!link.Exchange(prog))
                state.SkipWithError("program failed");
        }
        Payload finish{};
        finish[0] = 0x51;
        link.WriteRequest(finish);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (modelMs > 0)
            state.counters["ratio_to_model"] = ms / modelMs;
        state.PauseTiming();
        tool.unplug();  // skip the 1.5 s restart of real time
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirmwareDownload)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(3);

// What --simulate costs at start-up: the demo tool with three days of cycles.
void BM_BuildDemoScenario(benchmark::State& state)
{
    FakeClock clock;
    for (auto _ : state) {
        SimulatedTool tool(clock, SimScenario::Demo);
        benchmark::DoNotOptimize(tool.info().CycleCount);
    }
}
BENCHMARK(BM_BuildDemoScenario)->Unit(benchmark::kMillisecond);

}  // namespace
