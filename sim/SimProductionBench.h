// The simulated production test adapter: the controller board with its ROM bootloader, the serial
// port whose DTR and RTS lines reset it and select its boot source, and the tool's USB side. A
// board started into its USB bootloader appears on the simulated HID bus in bootloader mode; held
// in reset it leaves the bus.
#pragma once

#include "platform/SerialLines.h"
#include "sim/SimController.h"
#include "sim/SimControllerLine.h"
#include "sim/SimControllerPort.h"

#include <QString>
#include <memory>
#include <utility>
#include <vector>

class Clock;
class SimulatedTool;

class SimProductionBench final : public SerialLines {
public:
    enum class Wiring {
        PseudoTerminal,  // the library opens a pseudo-terminal; the controller runs on a worker thread
        Direct,          // the library's transport hook on the injected clock (tests, benchmarks)
    };
    // tool: the simulated tool whose USB presence follows the board (may be null). The board
    // starts programmed with the sample USB bootloader unless blank is set.
    SimProductionBench(Clock& clock, Wiring wiring, SimulatedTool* tool = nullptr, bool blank = false, unsigned baud = 0);
    ~SimProductionBench() override;

    // Runs f on the controller (safely against the worker thread).
    void withController(const std::function<void(SimController&)>& f);
    // Direct wiring: the table to hand to STBL_SetTransport; null otherwise.
    const STBL_Transport* transport() const;
    SimControllerLine* line() { return line_.get(); }

    // --- SerialLines --------------------------------------------------------------------------
    bool open(const QString& device) override;
    bool setModemLines(bool dtr, bool rts) override;
    void prepareForLibrary() override {}
    void close() override { open_ = false; }
    QString libraryDevice() const override;

    // --- for tests ---------------------------------------------------------------------------
    std::vector<QString> opened;                    // every device name asked for
    std::vector<std::pair<bool, bool>> lineChanges; // DTR, RTS as switched
    bool failOpen = false;                          // the port cannot be opened
    bool modemLines = true;                         // false: behaves like a pseudo-terminal

private:
    void apply(SimBoardEvent e);

    Clock& clock_;
    SimulatedTool* tool_;
    std::unique_ptr<SimController> direct_;        // Direct wiring
    std::unique_ptr<SimControllerLine> line_;
    std::unique_ptr<SimControllerPort> port_;      // PseudoTerminal wiring
    std::shared_ptr<bool> alive_;
    bool open_ = false;
};
