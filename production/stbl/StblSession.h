// The bootloader protocol over an abstract byte line with its own clock, so that the shared
// library, the tests and the fuzz target run the same code on a serial port or on virtual time.
#pragma once

#include "production/stbl/STBLLIB.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace stbl {

class Line {
public:
    virtual ~Line() = default;
    virtual bool write(std::span<const std::uint8_t> data) = 0;
    // 1: byte set; 0: nothing within timeoutMs; -1: the line failed.
    virtual int readByte(std::uint8_t& byte, unsigned timeoutMs) = 0;
    virtual void discardInput() = 0;
    // Monotonic; moves on by the time-out whenever readByte times out.
    virtual std::uint64_t tickMs() = 0;
};

// A line given as the C transport table of the library's hook.
class TransportLine final : public Line {
public:
    explicit TransportLine(const STBL_Transport& t) : t_(t) {}
    bool write(std::span<const std::uint8_t> data) override
    {
        return t_.write(t_.context, data.data(), static_cast<unsigned>(data.size())) == 0;
    }
    int readByte(std::uint8_t& byte, unsigned timeoutMs) override
    {
        const int r = t_.read_byte(t_.context, &byte, timeoutMs);
        return r > 0 ? 1 : (r == 0 ? 0 : -1);
    }
    void discardInput() override
    {
        if (t_.discard_input)
            t_.discard_input(t_.context);
    }
    std::uint64_t tickMs() override { return t_.tick_ms(t_.context); }

private:
    STBL_Transport t_;
};

// Complement framing: a command code is followed by code ^ 0xFF; an address or length by the XOR
// of its bytes.
std::uint8_t xorOf(std::span<const std::uint8_t> bytes);

class Session {
public:
    // line may be null (no port open): every command then gives STBL_ERR_NOT_OPEN.
    void attach(Line* line);
    Line* line() const { return line_; }

    void setTimeout(unsigned ms) { timeoutMs_ = ms == 0 ? 1 : ms; }
    unsigned timeout() const { return timeoutMs_; }

    std::uint8_t init();
    std::uint8_t get(std::uint8_t* version, STBL_Commands* commands);
    std::uint8_t erase(unsigned nbSectors, const std::uint8_t* sectors);
    std::uint8_t write(std::uint32_t address, const std::uint8_t* data, std::uint32_t length, bool pad);
    std::uint8_t read(std::uint32_t address, std::uint8_t* data, std::uint32_t length);
    std::uint8_t go(std::uint32_t address);
    // READOUT PROTECT, READOUT UNPROTECT, WRITE UNPROTECT: two answers, restart, re-sync.
    std::uint8_t protectionCommand(std::uint8_t code);

    bool offersExtendedErase() const { return extendedErase_; }

private:
    // Waits until deadline (tick count) for one answer byte.
    std::uint8_t readUntil(std::uint8_t& byte, std::uint64_t deadline);
    // One ACK within limitMs; NACK and other bytes become status codes.
    std::uint8_t expectAck(unsigned limitMs);
    std::uint8_t send(std::span<const std::uint8_t> bytes);
    std::uint8_t command(std::uint8_t code);
    std::uint8_t sendAddress(std::uint32_t address);
    std::uint8_t writeBlock(std::uint32_t address, const std::uint8_t* data, std::uint32_t length, bool pad);
    std::uint8_t readBlock(std::uint32_t address, std::uint8_t* data, std::uint32_t length);
    // Keeps synchronising until the controller answers or the deadline passes.
    std::uint8_t resync(std::uint64_t deadline);

    Line* line_ = nullptr;
    unsigned timeoutMs_ = STBL_DEFAULT_TIMEOUT_MS;
    bool extendedErase_ = false;
};

}  // namespace stbl
