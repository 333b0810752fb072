// Builds Intel HEX text for the firmware tests: records with correct checksums unless a test asks
// for a wrong one, so every fixture says in a line or two which image it stands for.
#pragma once

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

class HexWriter {
public:
    // One record; checksumDelta != 0 makes its checksum wrong by that much.
    HexWriter& record(std::uint8_t type, std::uint16_t address, const std::vector<std::uint8_t>& data,
                      int checksumDelta = 0)
    {
        std::uint8_t sum = static_cast<std::uint8_t>(data.size() + (address >> 8) + (address & 0xFF) + type);
        for (std::uint8_t b : data)
            sum = static_cast<std::uint8_t>(sum + b);
        const std::uint8_t checksum = static_cast<std::uint8_t>(-sum + checksumDelta);
        text_ += ':' + hex(static_cast<std::uint8_t>(data.size())) + hex(static_cast<std::uint8_t>(address >> 8)) +
                 hex(static_cast<std::uint8_t>(address)) + hex(type);
        for (std::uint8_t b : data)
            text_ += hex(b);
        text_ += hex(checksum) + lineEnd_;
        return *this;
    }

    // Data records of at most 16 bytes from a full address; segment records where the 64 KB
    // window changes.
    HexWriter& data(std::uint32_t address, const std::vector<std::uint8_t>& bytes)
    {
        for (std::size_t off = 0; off < bytes.size(); off += 16) {
            const std::uint32_t a = address + static_cast<std::uint32_t>(off);
            const std::uint32_t segment = a >> 16;
            if (segment != segment_) {
                segment_ = segment;
                record(0x02, 0, {static_cast<std::uint8_t>(segment << 12 >> 8), 0});
            }
            const std::size_t n = std::min<std::size_t>(16, bytes.size() - off);
            record(0x00, static_cast<std::uint16_t>(a), std::vector<std::uint8_t>(bytes.begin() + off, bytes.begin() + off + n));
        }
        return *this;
    }

    // count bytes from address, each the low byte of its own address plus seed: pages that
    // differ from one another so a page sent twice or out of order shows.
    HexWriter& pattern(std::uint32_t address, std::size_t count, std::uint8_t seed = 0)
    {
        std::vector<std::uint8_t> bytes(count);
        for (std::size_t k = 0; k < count; ++k)
            bytes[k] = static_cast<std::uint8_t>((address + k) * 7 + ((address + k) >> 10) + seed);
        return data(address, bytes);
    }

    HexWriter& endOfFile() { return record(0x01, 0, {}); }
    HexWriter& raw(const std::string& text)
    {
        text_ += text;
        return *this;
    }
    HexWriter& lineEnd(const std::string& eol)
    {
        lineEnd_ = eol;
        return *this;
    }

    const std::string& text() const { return text_; }
    QByteArray bytes() const { return QByteArray::fromStdString(text_); }

    static std::uint8_t patternByte(std::uint32_t address, std::uint8_t seed = 0)
    {
        return static_cast<std::uint8_t>(address * 7 + (address >> 10) + seed);
    }

private:
    static std::string hex(std::uint8_t b)
    {
        static const char digits[] = "0123456789ABCDEF";
        return {digits[b >> 4], digits[b & 15]};
    }

    std::string text_;
    std::string lineEnd_ = "\r\n";
    std::uint32_t segment_ = 0;
};
