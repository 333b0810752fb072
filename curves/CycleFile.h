// One recorded press cycle as the tool stores it: a 64-byte big-endian header followed by one
// unsigned byte per sample. Decoded with named offsets; the samples stay in the caller's buffer.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// Every read of a cycle goes through one buffer of this size; the transfer refuses files whose
// chunks would not fit (at most 4960 bytes of file, plus the 32 bytes of the final empty chunk).
inline constexpr std::size_t CycleBufferSize = 5000;
using CycleBuffer = std::array<std::uint8_t, CycleBufferSize>;
// The largest file that fits the buffer together with the transfer's trailing empty chunk.
inline constexpr std::size_t CycleFileMaxSize = 4960;

inline constexpr std::size_t CycleHeaderSize = 64;
// Samples are on the scale of the band limits; the plot's full height is this many units.
inline constexpr int SampleFullScale = 160;

namespace CycleOffset {
inline constexpr std::size_t Signature = 0;  // 0x55 0x01
inline constexpr std::size_t FormatVersion = 2;
inline constexpr std::size_t Day = 4;
inline constexpr std::size_t Month = 5;
inline constexpr std::size_t Year = 6;
inline constexpr std::size_t Hour = 8;
inline constexpr std::size_t Minute = 9;
inline constexpr std::size_t Second = 10;
inline constexpr std::size_t CycleCounter = 11;
inline constexpr std::size_t MotorTimeMs = 15;
inline constexpr std::size_t ErrorFlags = 19;
inline constexpr std::size_t WarningFlags = 20;
inline constexpr std::size_t SampleIntervalMs = 21;
inline constexpr std::size_t SwitchOffWorkValue = 22;
inline constexpr std::size_t RedFrom = 23;
inline constexpr std::size_t YellowFrom = 24;
inline constexpr std::size_t GreenFrom = 25;
inline constexpr std::size_t GreenTo = 26;
inline constexpr std::size_t YellowTo = 27;
inline constexpr std::size_t CurveSpan = 28;
inline constexpr std::size_t ChipTemp = 36;
inline constexpr std::size_t BatteryVoltage10 = 38;
inline constexpr std::size_t RevolutionTimeMs = 39;
inline constexpr std::size_t Samples = 64;
}  // namespace CycleOffset

inline constexpr std::uint8_t CycleSignature0 = 0x55;
inline constexpr std::uint8_t CycleSignature1 = 0x01;

// Band limits and the time-axis span of a cycle: what the chart's background is drawn from.
struct BandLimits {
    std::uint8_t RedFrom = 0;     // 0 = no red band
    std::uint8_t YellowFrom = 0;  // 0 = no yellow band
    std::uint8_t GreenFrom = 0;   // 0 = no green band
    std::uint8_t GreenTo = 0;
    std::uint8_t YellowTo = 0;
    std::uint32_t CurveSpan = 0;  // 0 = no vertical grid lines
    bool operator==(const BandLimits&) const = default;
};

struct CycleFile {
    std::uint16_t FormatVersion = 0;
    std::uint8_t Day = 0, Month = 0;
    std::uint16_t Year = 0;
    std::uint8_t Hour = 0, Minute = 0, Second = 0;
    std::uint32_t CycleCounter = 0;
    std::int32_t MotorTimeMs = 0;
    std::uint8_t ErrorFlags = 0;
    std::uint8_t WarningFlags = 0;
    std::uint8_t SampleIntervalMs = 0;
    std::uint8_t SwitchOffWorkValue = 0;
    BandLimits bands;
    std::uint16_t ChipTemp = 0;  // raw; see chipTemperature()
    std::uint8_t BatteryVoltage10 = 0;
    std::uint8_t RevolutionTimeMs = 0;  // 0 = not available

    // Degrees Celsius: a raw value above 250 is negative, its low nine bits minus 512.
    int chipTemperature() const;

    // Signature 0x55 0x01 and format version 1 or 2. False for fewer than 64 bytes.
    static bool headerValid(std::span<const std::uint8_t> bytes);
    // Decodes the header fields whatever the signature says (the multi-cycle report reads them
    // unchecked); nullopt only for fewer than 64 bytes.
    static std::optional<CycleFile> decodeHeader(std::span<const std::uint8_t> bytes);
    // The checked form: nullopt for a short file or an invalid header.
    static std::optional<CycleFile> decode(std::span<const std::uint8_t> bytes);
};
