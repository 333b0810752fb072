// Cost of one exchange through the transport and the simulated tool, the overhead against the USB
// timing model, and heap allocations per exchange.
#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimulatedTool.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::uint64_t> allocations{0};
}

void* operator new(std::size_t n)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {
// CmdGetInfo is the exchange the connection monitor runs every second.
void BM_ExchangeGetInfo(benchmark::State& state)
{
    FakeClock clock;
    SimHidPlatform hid(clock);
    hid.addTool(SimScenario::Demo);
    TUsbHidInterface link(hid, clock);
    if (!link.Open(ToolVendorId, ToolProductId, 0)) {
        state.SkipWithError("no simulated tool");
        return;
    }
    Payload info{};
    link.CmdGetInfo(info);  // warm-up
    const std::uint64_t before = allocations.load();
    for (auto _ : state) {
        if (!link.CmdGetInfo(info))
            state.SkipWithError("exchange failed");
        benchmark::DoNotOptimize(info);
    }
    state.counters["exchanges/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["allocs/exchange"] =
        static_cast<double>(allocations.load() - before) / static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
}
BENCHMARK(BM_ExchangeGetInfo);

// 1,000 exchanges with 1 ms per output write and 1 ms per feature read: the model alone is 2,000 ms.
void BM_ThousandExchangesWithUsbTiming(benchmark::State& state)
{
    SystemClock clock;
    SimHidPlatform hid(clock);
    SimulatedTool& tool = hid.addTool(SimScenario::Demo);
    TUsbHidInterface link(hid, clock);
    if (!link.Open(ToolVendorId, ToolProductId, 0)) {
        state.SkipWithError("no simulated tool");
        return;
    }
    tool.setLatencyMs(1.0);
    Payload info{};
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < 1000; ++i)
            if (!link.CmdGetInfo(info))
                state.SkipWithError("exchange failed");
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        state.counters["ms_per_1000"] = ms;
        state.counters["ratio_to_model"] = ms / 2000.0;
    }
}
BENCHMARK(BM_ThousandExchangesWithUsbTiming)->Iterations(3)->Unit(benchmark::kMillisecond);
}  // namespace
