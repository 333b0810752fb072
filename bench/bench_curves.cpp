// Cost of the work-curve chart: drawing the largest cycle file into ImgChart, building the print
// picture and encoding it as JPEG, and reading that file from the tool against the USB timing model.
#include "curves/ChartRenderer.h"
#include "curves/JpegWriter.h"
#include "curves/PrintPicture.h"
#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimulatedTool.h"
#include "tests/curves/CycleFixture.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>

namespace {
// The largest file the transfer takes: 4960 bytes, 4896 samples, a start, a peak, a long plateau
// and a last sample that is not zero, so that every point of the buffer is drawn.
CycleFixture largestCycle()
{
    std::vector<std::uint8_t> s;
    s.reserve(CycleFileMaxSize - CycleHeaderSize);
    for (int i = 0; i < 400; ++i)
        s.push_back(static_cast<std::uint8_t>(2 + (i % 3 == 0)));
    for (int v = 4; v <= 150; v += 2)
        s.push_back(static_cast<std::uint8_t>(v));
    while (s.size() < CycleFileMaxSize - CycleHeaderSize - 200)
        s.push_back(static_cast<std::uint8_t>(140 + (s.size() % 7)));
    while (s.size() < CycleFileMaxSize - CycleHeaderSize)
        s.push_back(5);
    CycleFixture f;
    f.bands(100, 110, 120, 140, 150).span(static_cast<std::uint32_t>(s.size() * 5)).u8(CycleOffset::SampleIntervalMs, 5).samples(s);
    return f;
}

void BM_DrawCycleChartImgChart(benchmark::State& state)
{
    const CycleFixture f = largestCycle();
    QImage image(chartImageInfo(ChartImage::ImgChart).formSize, QImage::Format_RGB32);
    CycleBuffer buffer{};
    for (auto _ : state) {
        // The samples are prepared in place, so every drawing starts from the file as read.
        std::memcpy(buffer.data(), f.bytes.data(), f.bytes.size());
        ChartState chart;
        const DrawResult r = drawCycle(image, ChartImage::ImgChart, buffer, f.bytes.size(), chart);
        if (r.outcome != DrawOutcome::Drawn || !r.markers.markersDrawable())
            state.SkipWithError("the cycle was not drawn with markers");
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawCycleChartImgChart)->Unit(benchmark::kMicrosecond);

void BM_PrintPictureAndJpeg(benchmark::State& state)
{
    const CycleFixture f = largestCycle();
    ChartSnapshot snapshot;
    for (int i = 0; i < ChartSnapshot::FieldCount; ++i)
        snapshot.set(static_cast<ChartSnapshot::Field>(i), QStringLiteral("Gesamtzählerstand: 0h:59m"));
    const QStringList comment = {"Kommentar eins", "Kommentar zwei", "Kommentar drei"};
    CycleBuffer buffer{};
    std::size_t bytes = 0;
    for (auto _ : state) {
        QImage image(PrintChartSize, QImage::Format_RGB32);
        std::memcpy(buffer.data(), f.bytes.data(), f.bytes.size());
        ChartState chart;
        drawCycle(image, ChartImage::PrintImage, buffer, f.bytes.size(), chart);
        BuildPrintPicture(image, snapshot, comment);
        const auto jpeg = encodeJpeg(image);
        if (!jpeg)
            state.SkipWithError("encoding failed");
        else
            bytes = static_cast<std::size_t>(jpeg->size());
    }
    state.counters["jpeg_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PrintPictureAndJpeg)->Unit(benchmark::kMillisecond);

// 158 exchanges (open, 155 full chunks, the empty chunk, one further read), each one output write
// and one feature read of 1 ms: the model alone is 316 ms.
void BM_ReadLargestCycleWithUsbTiming(benchmark::State& state)
{
    SystemClock clock;
    SimHidPlatform hid(clock);
    SimulatedTool& tool = hid.addTool(SimScenario::New);
    tool.setCycleRecording(false);
    tool.files()["20261210\\004960"] = largestCycle().bytes;
    TUsbHidInterface link(hid, clock);
    if (!link.Open(ToolVendorId, ToolProductId, 0)) {
        state.SkipWithError("no simulated tool");
        return;
    }
    tool.setLatencyMs(1.0);
    constexpr double ModelMs = 158 * 2 * 1.0;
    for (auto _ : state) {
        CycleBuffer buffer{};
        const auto t0 = std::chrono::steady_clock::now();
        const int n = link.ReadToolFile(QStringLiteral("20261210\\004960"), buffer);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (n != static_cast<int>(CycleFileMaxSize))
            state.SkipWithError("the file was not read whole");
        state.counters["ms"] = ms;
        state.counters["ratio_to_model"] = ms / ModelMs;
    }
}
BENCHMARK(BM_ReadLargestCycleWithUsbTiming)->Iterations(5)->Unit(benchmark::kMillisecond);
}  // namespace
