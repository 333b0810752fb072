// Firmware update speed: loading a HEX file the size of a full 64 KB flash image, and a 49-page
// download over the simulated tool with the USB timing model (1 ms per output write and per
// feature read), reported against the model's own time.
#include "bench/support/BenchSupport.h"
#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "service/FirmwareDownload.h"
#include "service/HexFile.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimulatedTool.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

// About 170 KB of HEX text: 16-byte data records from address 0 on, with segment records past
// 64 KB, as a compiler writes a combined bootloader and application file.
QByteArray hexFile170k()
{
    QByteArray out;
    std::uint32_t segment = 0;
    const auto record = [&out](std::uint8_t type, std::uint16_t address, const std::uint8_t* data, int n) {
        std::uint8_t sum = static_cast<std::uint8_t>(n + (address >> 8) + (address & 0xFF) + type);
        QByteArray line = QByteArray(":") + QByteArray::number(n, 16).rightJustified(2, '0') +
                          QByteArray::number(address, 16).rightJustified(4, '0') +
                          QByteArray::number(type, 16).rightJustified(2, '0');
        for (int k = 0; k < n; ++k) {
            line += QByteArray::number(data[k], 16).rightJustified(2, '0');
            sum = static_cast<std::uint8_t>(sum + data[k]);
        }
        line += QByteArray::number(static_cast<std::uint8_t>(-sum), 16).rightJustified(2, '0');
        out += line.toUpper() + "\r\n";
    };
    for (std::uint32_t a = 0; out.size() < 170 * 1024; a += 16) {
        if (a >> 16 != segment) {
            segment = a >> 16;
            const std::uint8_t s[2] = {static_cast<std::uint8_t>(segment << 4), 0};
            record(0x02, 0, s, 2);
        }
        std::uint8_t data[16];
        for (int k = 0; k < 16; ++k)
            data[k] = static_cast<std::uint8_t>((a + k) * 13);
        record(0x00, static_cast<std::uint16_t>(a), data, 16);
    }
    record(0x01, 0, nullptr, 0);
    return out;
}

void BM_LoadHexFile170KB(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("App.hex");
    const QByteArray text = hexFile170k();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size()) {
            state.SkipWithError("cannot write the HEX file");
            return;
        }
    }
    HexImage image;
    for (auto _ : state) {
        if (!LoadHexFile(path, dir.path(), image, [](const QString&) {}))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.ImageBuffer.data());
    }
    state.counters["file_KB"] = static_cast<double>(text.size()) / 1024.0;
    state.counters["pages"] = image.pageCount();
}
BENCHMARK(BM_LoadHexFile170KB)->Unit(benchmark::kMillisecond);

// The scan alone, without the file system.
void BM_LoadHexData170KB(benchmark::State& state)
{
    const QByteArray text = hexFile170k();
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.constData()),
                                              static_cast<std::size_t>(text.size()));
    HexImage image;
    for (auto _ : state) {
        if (!LoadHexData(bytes, image, {}))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image.ImageBuffer.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * text.size());
}
BENCHMARK(BM_LoadHexData170KB)->Unit(benchmark::kMillisecond);


void BM_Download49PagesWithUsbTiming(benchmark::State& state)
{
    constexpr double LatencyMs = 1.0;
    SystemClock clock;
    SimHidPlatform sim(clock);
    SimulatedTool& tool = sim.addTool(SimScenario::New);
    tool.setRecordRequests(false);
    CountingHidPlatform bus(sim);
    TUsbHidInterface link(bus, clock);

    HexImage image;
    const QByteArray text = hexFile170k();
    if (!LoadHexData(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.constData()),
                                                   static_cast<std::size_t>(text.size())),
                     image, {}) ||
        image.pageCount() != FwFlash::MaxPages) {
        state.SkipWithError("image does not fill 49 pages");
        return;
    }

    double modelMs = 0;
    double wallMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tool.setLatencyMs(0);
        tool.enterBootloader();
        link.Close();
        if (!link.Open(ToolVendorId, ToolProductId, 0)) {
            state.SkipWithError("bootloader not found");
            break;
        }
        tool.setLatencyMs(LatencyMs);
        bus.resetCounts();
        state.ResumeTiming();

        const auto start = std::chrono::steady_clock::now();
        if (!SendFirmwareImage(link, clock, image, {}))
            state.SkipWithError("download failed");
        const auto end = std::chrono::steady_clock::now();

        modelMs += static_cast<double>(bus.transfers()) * LatencyMs;
        wallMs += std::chrono::duration<double, std::milli>(end - start).count();
    }
    const double n = static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
    state.counters["model_ms"] = modelMs / n;
    state.counters["wall_ms"] = wallMs / n;
    state.counters["wall/model"] = modelMs > 0 ? wallMs / modelMs : 0;
}
BENCHMARK(BM_Download49PagesWithUsbTiming)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
