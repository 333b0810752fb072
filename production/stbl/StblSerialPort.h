// A serial device as the bootloader's byte line: raw mode, the chosen framing, exclusive use.
#pragma once

#include "production/stbl/StblSession.h"

#include <string>

namespace stbl {

struct LineSettings {
    int baud = 57600;
    int dataBits = 8;
    int parity = STBL_PARITY_EVEN;
    int stopBits = 1;
};

// The device name for port number n (1..255) on this platform; empty for a number out of range.
std::string portDeviceName(int n);

class SerialPort final : public Line {
public:
    ~SerialPort() override;
    // STBL_OK, STBL_ERR_OPEN or STBL_ERR_SETTINGS.
    std::uint8_t open(const std::string& device, const LineSettings& settings);
    void close();

    bool write(std::span<const std::uint8_t> data) override;
    int readByte(std::uint8_t& byte, unsigned timeoutMs) override;
    void discardInput() override;
    std::uint64_t tickMs() override;

private:
    int fd_ = -1;
    std::uint8_t buffer_[256] = {};
    std::size_t have_ = 0, next_ = 0;
};

}  // namespace stbl
