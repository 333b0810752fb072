// Programming a controller board through its ROM serial bootloader: the line sequence on the
// serial port, then the bootloader library erases (or unprotects) the flash, downloads every
// element of the HEX image in 16-byte blocks and starts it. Widget-free: the page, the command
// line and the tests give it their clock, prompts, port and progress display.
#pragma once

#include "production/ControllerLibraries.h"

#include <QString>
#include <cstdint>
#include <functional>

class Clock;
class Prompts;
class SerialLines;

// The serial port settings of section "Fertigung".
struct ControllerPort {
    int number = 1;    // "ComPortNr", low 8 bits
    QString device;    // "ComPortDevice": a device path that overrides COMn (empty: none)

    QString name() const { return QStringLiteral("COM%1").arg(number); }
    // What is opened: the device path if one is set, else the platform's device for COMn.
    QString openName() const;
    // From the settings file (missing keys: COM1, no device).
    static ControllerPort fromSettings(const QString& iniPath);
};

struct ProgramRequest {
    QString hexPath;
    bool start = true;      // GO to the last element read
    bool unprotect = false; // "Unprotect": readout unprotect instead of the erase
    bool verify = false;    // read every block back and compare
};

struct ProgramContext {
    Clock& clock;
    Prompts& prompts;
    SerialLines& lines;
    ControllerLibraries& libraries;
    ControllerPort port;
    std::function<void(const QString&)> debugLine;                     // the debug page
    std::function<void(std::uint32_t min, std::uint32_t max)> progressRange;  // ProgressBarBl
    std::function<void(std::uint32_t position)> progress;
    std::function<void()> processEvents;
    std::function<void(const QString&)> report;  // one line per element and one for the start
};

inline constexpr std::uint32_t ControllerBlockSize = 16;
inline constexpr int ControllerBaud = 57600;
inline constexpr unsigned ControllerTimeoutConnectMs = 1000;
inline constexpr unsigned ControllerTimeoutBlockMs = 100;

// The caption of this Part's plain message boxes.
QString ControllerMessageCaption();

// Shows its own messages; false after any of them.
bool ProgramController(ProgramContext& ctx, const ProgramRequest& request);

// The first line sequence: DTR and RTS set, DTR cleared, RTS cleared, 100 ms each (the board
// starts into its ROM bootloader). Skipped, with a debug line, on a port without modem lines.
void ControllerLineSequenceProgram(SerialLines& lines, Clock& clock, const std::function<void(const QString&)>& debug);
// The second: DTR set with RTS clear, DTR cleared (the board restarts into its USB bootloader).
void ControllerLineSequenceRestart(SerialLines& lines, Clock& clock, const std::function<void(const QString&)>& debug);
