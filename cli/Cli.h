// Shared pieces of pressdiag-cli: the parsed command line and opening the tool (real or simulated).
#pragma once

#include <QStringList>
#include <memory>
#include <optional>
#include <string>

class Clock;
class HidPlatform;
class TUsbHidInterface;
class SimulatedTool;

// Exit codes every command keeps to.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;  // tool missing, command failed, file unreadable
inline constexpr int ExitUsage = 2;

struct CliArgs {
    QString command;
    QStringList args;                 // everything after the command, options included
    std::optional<QString> simulate;  // --simulate[=SCENARIO] given before the command ("demo" default)
};

// A connected tool for the commands that need one.
struct CliTool {
    std::unique_ptr<Clock> clock;
    std::unique_ptr<HidPlatform> platform;
    std::unique_ptr<TUsbHidInterface> link;
    SimulatedTool* simulated = nullptr;  // set when --simulate was given
    ~CliTool();
};

// Opens the simulated tool (--simulate) or the first real tool 16d0:0425. On failure writes a
// one-line reason to stderr and returns nullptr.
std::unique_ptr<CliTool> openTool(const CliArgs& args);

// Writes "pressdiag-cli: <text>" to stderr.
void printError(const QString& text);

// Command entry points; each returns an exit code.
int cmdInfo(CliArgs& args);
int cmdLs(CliArgs& args);
int cmdGet(CliArgs& args);
int cmdChecksum(CliArgs& args);
int cmdHexInfo(CliArgs& args);
int cmdFlash(CliArgs& args);
int cmdRender(CliArgs& args);
int cmdReport(CliArgs& args);
int cmdProgramController(CliArgs& args);
