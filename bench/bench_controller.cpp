// Programming a 48 KB image into the simulated controller: the whole ProgramController road
// against a wire-time model of 57,600 baud and 11 bits per byte (virtual time, so the figure is
// what the protocol and the program's waits cost on a real line), and the program's own cost per
// 16-byte block with an instant line (real time).
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "production/ProgramController.h"
#include "sim/SimProductionBench.h"
#include "sim/SimSampleImages.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

class SilentPrompts final : public Prompts {
public:
    void message(const QString&, const QString&, PromptIcon) override { ++messages; }
    bool question(const QString&, const QString&, PromptIcon) override { return false; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    bool printDialog(QPagedPaintDevice&, const PrintDialogRequest&) override { return false; }
    int execDialog(QDialog&) override { return 0; }
    int messages = 0;
};

constexpr std::uint32_t ImageSize = 48 * 1024;

QString writeImage(const QTemporaryDir& dir)
{
    const SimImageBlock block = SimControllerImage(ImageSize, false);
    const QString path = dir.filePath("bench.hex");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray::fromStdString(SimIntelHex(std::span(&block, 1))));
    return path;
}

QString libraryDir() { return QStringLiteral(PRESSDIAG_LIBRARY_DIR); }

void runOnce(unsigned baud, benchmark::State& state, double* lineModelMs, double* virtualMs)
{
    QTemporaryDir dir;
    const QString hex = writeImage(dir);
    FakeClock clock;
    SilentPrompts prompts;
    SimProductionBench bench(clock, SimProductionBench::Wiring::Direct, nullptr, true, baud);
    ControllerLibraries libs{QStringList{libraryDir()}};
    if (libs.load() || libs.stbl.STBL_SetTransport(bench.transport()) != STBL_OK) {
        state.SkipWithError("libraries not loaded");
        return;
    }
    ProgramContext ctx{clock, prompts, bench, libs, ControllerPort{}, {}, {}, {}, {}, {}};
    const std::uint64_t start = bench.line()->nowUs();
    if (!ProgramController(ctx, {hex, true, false, false}) || prompts.messages)
        state.SkipWithError("programming failed");
    const std::uint64_t bytes = bench.line()->bytesToController() + bench.line()->bytesToHost();
    if (lineModelMs)
        *lineModelMs = static_cast<double>(bytes) * 11.0 * 1000.0 / 57600.0;
    if (virtualMs)
        *virtualMs = static_cast<double>(bench.line()->nowUs() - start) / 1000.0;
    libs.stbl.STBL_SetTransport(nullptr);
}

// The whole road at line speed, on virtual time: how far above the pure byte time it lands.
void BM_Program48KbAgainstLineModel(benchmark::State& state)
{
    double model = 0, took = 0;
    for (auto _ : state)
        runOnce(57600, state, &model, &took);
    state.counters["line_model_ms"] = model;
    state.counters["virtual_ms"] = took;
    state.counters["ratio"] = model > 0 ? took / model : 0;
}
BENCHMARK(BM_Program48KbAgainstLineModel)->Iterations(1)->Unit(benchmark::kMillisecond);

// The program's and the libraries' own cost: an instant line, so only CPU time is left.
void BM_ProgramCostPer16ByteBlock(benchmark::State& state)
{
    for (auto _ : state)
        runOnce(0, state, nullptr, nullptr);
    state.counters["per_block_us"] = benchmark::Counter(static_cast<double>(state.iterations() * (ImageSize / 16)),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProgramCostPer16ByteBlock)->Unit(benchmark::kMillisecond);

}  // namespace
