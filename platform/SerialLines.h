// The serial port as the production functions use it before the bootloader library takes over:
// opened exclusively, its DTR and RTS lines switched, its state and time-outs set, closed again.
// The product uses QtSerialLines; the simulated bench has its own adapter model behind this.
#pragma once

#include <QString>

class SerialLines {
public:
    virtual ~SerialLines() = default;
    // Opens the device for reading and writing, exclusively; false when it cannot be opened.
    virtual bool open(const QString& device) = 0;
    // Sets or clears DTR, then RTS. False when the port has no modem lines (a pseudo-terminal).
    virtual bool setModemLines(bool dtr, bool rts) = 0;
    // DTR and RTS control off, the read and write time-outs of the bootloader's line.
    virtual void prepareForLibrary() = 0;
    virtual void close() = 0;
    // A device the bootloader library must open instead of the configured one (the simulated
    // bench's pseudo-terminal); empty for a real port.
    virtual QString libraryDevice() const { return {}; }
};
