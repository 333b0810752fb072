// Reading a full 65,535-byte diary from the simulated tool with 1 ms per output write and per
// feature read: the time against what the USB timing model alone costs. "ratio" is measured time
// over model time (goal: at most 1.01). Once through the logic, once through the diary page with
// its memo and the shared progress bar.
#include "app/ui/MainContext.h"
#include "app/ui/MainState.h"
#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "service/Diary.h"
#include "service/ui/DiaryFeature.h"
#include "sim/SimHidPlatform.h"
#include "ui_Main.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <benchmark/benchmark.h>
#include <chrono>
#include <optional>

namespace {
constexpr double LatencyMs = 1.0;

struct NoPrompts final : Prompts {
    void message(const QString&, const QString&, PromptIcon) override {}
    bool question(const QString&, const QString&, PromptIcon) override { return false; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    bool printDialog(QPagedPaintDevice&, const PrintDialogRequest&) override { return false; }
    int execDialog(QDialog&) override { return 0; }
};
struct NoShell final : Shell {
    void openDocument(const QString&) override {}
};

struct Bench {
    SystemClock clock;
    SimHidPlatform hid{clock};
    SimulatedTool& tool = hid.addTool(SimScenario::Demo);
    TUsbHidInterface link{hid, clock};

    Bench()
    {
        tool.setCycleRecording(false);
        tool.setRecordRequests(false);
        std::vector<std::uint8_t> diary(DiaryMaxBytes);
        for (std::size_t i = 0; i < diary.size(); ++i)
            diary[i] = (i % 64 == 62) ? '\r' : (i % 64 == 63) ? '\n' : static_cast<std::uint8_t>('a' + i % 26);
        tool.files()["KTB"] = diary;
        link.Open(ToolVendorId, ToolProductId, 0);
        tool.setLatencyMs(LatencyMs);
    }
};

// Output writes and feature reads one read costs when the tool answers at once: the open, one
// exchange per 32-byte chunk, the closing read; each one write and one read.
double modelMs()
{
    const double exchanges = 1.0 + static_cast<double>((DiaryMaxBytes + 31) / 32) + 1.0;
    return exchanges * 2.0 * LatencyMs;
}

void report(benchmark::State& state, double totalMs)
{
    const double perRead = totalMs / static_cast<double>(state.iterations());
    state.counters["model_ms"] = modelMs();
    state.counters["measured_ms"] = perRead;
    state.counters["ratio"] = perRead / modelMs();
}

void BM_ReadDiaryLogic(benchmark::State& state)
{
    Bench b;
    double totalMs = 0;
    for (auto _ : state) {
        std::string bytes;
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = ReadDiary(b.link, DiaryKind::Customer, bytes);
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (!ok || bytes.size() != DiaryMaxBytes)
            state.SkipWithError("diary read failed");
        benchmark::DoNotOptimize(bytes);
    }
    report(state, totalMs);
}

void BM_ReadDiaryPage(benchmark::State& state)
{
    Bench b;
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
    double totalMs = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = diaries.ReadDiary(DiaryKind::Customer);
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
        if (!ok || ui.Kundentagebuch->toPlainText().isEmpty())
            state.SkipWithError("diary read failed");
    }
    report(state, totalMs);
}

BENCHMARK(BM_ReadDiaryLogic)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ReadDiaryPage)->Unit(benchmark::kMillisecond)->Iterations(5);
}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
