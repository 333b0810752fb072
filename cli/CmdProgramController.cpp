// program-controller: a controller board programmed through its serial bootloader from the
// command line, as the production page does it, for production lines and scripts.
#include "cli/Cli.h"

#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/QtSerialLines.h"
#include "production/ProgramController.h"
#include "sim/SimProductionBench.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace {

// Messages go to stderr; nothing here asks questions.
class StderrPrompts final : public Prompts {
public:
    void message(const QString&, const QString& text, PromptIcon) override { printError(text); }
    bool question(const QString&, const QString& text, PromptIcon) override
    {
        printError(text);
        return false;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    bool printDialog(QPagedPaintDevice&, const PrintDialogRequest&) override { return false; }
    int execDialog(QDialog&) override { return 0; }
};

const char* Usage =
    "usage: program-controller [--port DEVICE] [--unprotect] [--no-start] [--verify] "
    "[--fault silent|wrong-sync|nack-write|slow-erase] FILE.hex";

}  // namespace

int cmdProgramController(CliArgs& args)
{
    ProgramRequest request;
    QString port, fault;
    QString file;
    for (int i = 0; i < args.args.size(); ++i) {
        const QString& a = args.args[i];
        if (a == "--port" && i + 1 < args.args.size())
            port = args.args[++i];
        else if (a == "--fault" && i + 1 < args.args.size() && args.simulate)
            fault = args.args[++i];
        else if (a == "--unprotect")
            request.unprotect = true;
        else if (a == "--no-start")
            request.start = false;
        else if (a == "--verify")
            request.verify = true;
        else if (!a.startsWith("--") && file.isEmpty())
            file = a;
        else {
            printError(QString::fromLatin1(Usage));
            return ExitUsage;
        }
    }
    const std::pair<const char*, std::pair<SimControllerFault, std::uint8_t>> faults[] = {
        {"silent", {SimControllerFault::Silent, 0}},
        {"wrong-sync", {SimControllerFault::WrongSync, 0}},
        {"nack-write", {SimControllerFault::NackCommand, STBL_CMD_WRITE_MEMORY}},
        {"slow-erase", {SimControllerFault::SlowErase, 0}},
    };
    std::optional<std::pair<SimControllerFault, std::uint8_t>> chosen;
    for (const auto& [name, f] : faults)
        if (fault == QLatin1String(name))
            chosen = f;
    if (file.isEmpty() || (!fault.isEmpty() && !chosen)) {
        printError(QString::fromLatin1(Usage));
        return ExitUsage;
    }
    request.hexPath = file;

    SystemClock clock;
    StderrPrompts prompts;
    ControllerLibraries libraries;
    const QString ini = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pressdiag.ini"));
    ControllerPort settings = ControllerPort::fromSettings(ini);
    if (!port.isEmpty())
        settings.device = port;

    std::unique_ptr<SerialLines> lines;
    if (args.simulate) {
        auto bench = std::make_unique<SimProductionBench>(clock, SimProductionBench::Wiring::PseudoTerminal, nullptr, true);
        if (chosen)
            bench->withController([&](SimController& c) { c.setFault(chosen->first, chosen->second); });
        lines = std::move(bench);
    } else {
        lines = std::make_unique<QtSerialLines>();
    }
    ProgramContext ctx{clock, prompts, *lines, libraries, settings,
                       [](const QString& line) { std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData()); },
                       {}, {}, {},
                       [](const QString& line) { std::printf("%s\n", line.toLocal8Bit().constData()); }};
    const bool ok = ProgramController(ctx, request);
    std::fflush(stdout);
    return ok ? ExitOk : ExitFailure;
}
