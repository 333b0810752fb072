// Sample images for the simulated bench.
#include "sim/SimSampleImages.h"

#include "sim/SimController.h"

#include <cstdio>
#include <cstring>

namespace {

void record(std::string& out, std::uint8_t type, std::uint16_t address, std::span<const std::uint8_t> data)
{
    char buf[16];
    std::uint8_t sum = static_cast<std::uint8_t>(data.size() + (address >> 8) + (address & 0xFF) + type);
    std::snprintf(buf, sizeof buf, ":%02X%04X%02X", static_cast<unsigned>(data.size()), address, type);
    out += buf;
    for (std::uint8_t b : data) {
        std::snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
        sum = static_cast<std::uint8_t>(sum + b);
    }
    std::snprintf(buf, sizeof buf, "%02X\r\n", static_cast<std::uint8_t>(-sum));
    out += buf;
}

// Bytes that look like Thumb code and differ from place to place (a simple LCG).
void fillCodeLike(std::vector<std::uint8_t>& v, std::size_t from, std::uint32_t seed)
{
    std::uint32_t x = seed;
    for (std::size_t i = from; i < v.size(); ++i) {
        x = x * 1664525u + 1013904223u;
        v[i] = static_cast<std::uint8_t>(x >> 24);
    }
}

SimImageBlock firmware(std::uint32_t size, const char* label, std::uint32_t seed)
{
    SimImageBlock b{0x3000, std::vector<std::uint8_t>(size)};
    fillCodeLike(b.data, 0, seed);
    std::memcpy(b.data.data() + 0x100, label, std::strlen(label));
    return b;
}

}  // namespace

std::string SimIntelHex(std::span<const SimImageBlock> blocks, bool linear)
{
    std::string out;
    std::int64_t upper = -1;
    for (const SimImageBlock& b : blocks)
        for (std::size_t at = 0; at < b.data.size();) {
            const std::uint32_t address = b.address + static_cast<std::uint32_t>(at);
            const std::uint32_t high = linear ? address >> 16 : (address >> 4) & 0xF000;
            if (high != upper) {
                const std::uint8_t v[2] = {static_cast<std::uint8_t>(high >> 8), static_cast<std::uint8_t>(high)};
                record(out, linear ? 0x04 : 0x02, 0, v);
                upper = high;
            }
            const std::uint32_t offset = linear ? (address & 0xFFFF) : address - (high << 4);
            // A record never crosses a 64 KB boundary.
            const std::size_t n = std::min<std::size_t>({16, b.data.size() - at, 0x10000u - offset});
            record(out, 0x00, static_cast<std::uint16_t>(offset), std::span(b.data).subspan(at, n));
            at += n;
        }
    record(out, 0x01, 0, {});
    return out;
}

SimImageBlock SimControllerImage(std::uint32_t size, bool usbBootloaderTag)
{
    SimImageBlock b{SimController::FlashBase, std::vector<std::uint8_t>(size, 0xFF)};
    fillCodeLike(b.data, 0, size);
    // Initial stack pointer at the top of 20 KB of RAM, reset handler just after the vectors.
    const std::uint32_t words[2] = {0x20005000u, SimController::FlashBase + 0x131u};
    for (int w = 0; w < 2 && size >= 8; ++w)
        for (int k = 0; k < 4; ++k)
            b.data[static_cast<std::size_t>(w * 4 + k)] = static_cast<std::uint8_t>(words[w] >> (8 * k));
    if (usbBootloaderTag && size >= 0x100 + std::strlen(SimController::UsbBootloaderTag))
        std::memcpy(b.data.data() + 0x100, SimController::UsbBootloaderTag, std::strlen(SimController::UsbBootloaderTag));
    return b;
}

std::string SimUsbBootloaderHex()
{
    const SimImageBlock b = SimControllerImage(12 * 1024, true);
    return SimIntelHex(std::span(&b, 1));
}

std::string SimTestFirmwareHex()
{
    const SimImageBlock b = firmware(16 * 1024, "PRESSDIAG SIM TEST FIRMWARE", 7);
    return SimIntelHex(std::span(&b, 1), false);
}

std::string SimSeriesFirmwareHex()
{
    const SimImageBlock b = firmware(40 * 1024, "PRESSDIAG SIM SERIES FIRMWARE", 11);
    return SimIntelHex(std::span(&b, 1), false);
}
