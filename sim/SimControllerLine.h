// The simulated controller wired straight to the bootloader library's transport hook, on the
// injected clock: no pseudo-terminal, no thread, and a wait for an answer costs virtual time only.
// With a baud rate the line costs what a real one would (bitsPerByte per byte each way).
#pragma once

#include "platform/Clock.h"
#include "production/stbl/STBLLIB.h"
#include "sim/SimController.h"

#include <cstdint>

class SimControllerLine {
public:
    SimControllerLine(SimController& controller, Clock& clock, unsigned baud = 0, unsigned bitsPerByte = 11);

    // The table for STBL_SetTransport; valid while this object lives.
    const STBL_Transport& transport() const { return transport_; }

    // Bytes that crossed the line each way.
    std::uint64_t bytesToController() const { return toController_; }
    std::uint64_t bytesToHost() const { return toHost_; }
    // The line's time in microseconds (the clock's milliseconds plus what is owed below 1 ms).
    std::uint64_t nowUs() const;

private:
    static int write(void* self, const unsigned char* data, unsigned length);
    static int readByte(void* self, unsigned char* byte, unsigned timeoutMs);
    static void discardInput(void* self);
    static unsigned long long tickMs(void* self);
    void advanceTo(std::uint64_t us);

    SimController& controller_;
    Clock& clock_;
    STBL_Transport transport_{};
    std::uint64_t byteUs_ = 0;
    std::uint64_t rxFree_ = 0, txFree_ = 0;
    std::uint64_t subMsUs_ = 0;  // time below the clock's resolution that has passed already
    std::uint64_t toController_ = 0, toHost_ = 0;
};
