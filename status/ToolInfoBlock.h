// The tool's live state as sent in reply to CmdGetInfo, decoded into a value type, and the texts
// of the status read-outs built from it (pure functions, so the forms only place them).
#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <span>

inline constexpr std::size_t ToolInfoBlockSize = 64;

// Payload offsets of the fields; multi-byte numbers are big-endian.
namespace ToolInfoOffset {
inline constexpr std::size_t ErrorFlags = 5;
inline constexpr std::size_t WarningFlags = 6;
inline constexpr std::size_t ButtonState = 7;
inline constexpr std::size_t ChipTempRaw = 9;
inline constexpr std::size_t MotorCurrent = 11;
inline constexpr std::size_t BatteryMillivolts = 13;
inline constexpr std::size_t HallPeriod = 19;
inline constexpr std::size_t WorkValue = 21;
inline constexpr std::size_t ClockDay = 31;
inline constexpr std::size_t ClockMonth = 32;
inline constexpr std::size_t ClockYear = 33;
inline constexpr std::size_t ClockHour = 35;
inline constexpr std::size_t ClockMinute = 36;
inline constexpr std::size_t ClockSecond = 37;
inline constexpr std::size_t CycleCount = 38;
inline constexpr std::size_t ServiceCount = 42;
inline constexpr std::size_t MotorTimeMs = 44;
}  // namespace ToolInfoOffset

struct ToolInfoBlock {
    std::uint8_t ErrorFlags = 0;
    std::uint8_t WarningFlags = 0;
    std::uint8_t ButtonState = 0;
    std::uint16_t ChipTempRaw = 0;
    std::uint16_t MotorCurrent = 0;
    std::uint16_t BatteryMillivolts = 0;
    std::uint8_t HallPeriod = 0;
    std::int32_t WorkValue = 0;
    std::uint8_t ClockDay = 0;
    std::uint8_t ClockMonth = 0;
    std::uint16_t ClockYear = 0;
    std::uint8_t ClockHour = 0;
    std::uint8_t ClockMinute = 0;
    std::uint8_t ClockSecond = 0;
    std::int32_t CycleCount = 0;
    std::uint16_t ServiceCount = 0;
    std::int32_t MotorTimeMs = 0;

    static ToolInfoBlock decode(std::span<const std::uint8_t, ToolInfoBlockSize> bytes);

    // Chip temperature in °C after the sign rule (see chipTemperatureFromRaw).
    std::int32_t chipTemperature() const;
    // Battery voltage in volts, single precision.
    float batteryVoltage() const;
    // The pressure sensor's raw count: the low 16 bits of WorkValue.
    std::uint16_t pressureSensorCount() const { return static_cast<std::uint16_t>(WorkValue & 0xFFFF); }

    bool operator==(const ToolInfoBlock&) const = default;
};

// The firmware sends a negative temperature as a 9-bit two's complement; every raw value above 250
// is taken as negative by setting bits 9 to 31 (251..511 give raw - 512, 0xFFF6 gives -10).
std::int32_t chipTemperatureFromRaw(std::uint16_t raw);
// Millivolts × 0.001, rounded to single precision: the calibration-button window relies on that.
float batteryVoltageFromMillivolts(std::uint16_t millivolts);

// Text id of the one error or warning to show, -1 when none applies. Errors win over warnings;
// the Hall-sensor bit (0x10) is tested before the temperature-sensor bit (0x08).
int errorWarningTextId(std::uint8_t errorFlags, std::uint8_t warningFlags);

// Hours, minutes and seconds of a whole number of seconds; minutes and seconds stay in 0..59 for
// non-negative input, a negative input leaves h = m = 0 and s negative.
struct HoursMinutesSeconds {
    std::int32_t h = 0, m = 0, s = 0;
};
HoursMinutesSeconds splitSeconds(std::int32_t seconds);

// --- read-out texts -----------------------------------------------------------------------------
// "%02d.%02d.%04d  %02d:%02d:%02d" of the tool clock (two spaces between date and time).
QString clockText(const ToolInfoBlock& info);
// "%06d": the cycle counter.
QString counterText(std::int32_t value);
// "%06d", or text 78 in the given language when the counter is 0 (service due).
QString serviceCountText(std::uint16_t serviceCount, std::uint32_t languageIndex);
// "%dh %02dm %02ds" of the motor time; the milliseconds are truncated toward zero.
QString motorTimeText(std::int32_t motorTimeMs);
// "%.1fV".
QString batteryText(float volts);
// "%d°C".
QString temperatureText(std::int32_t degrees);
// The error or warning text in the given language, empty when none applies.
QString errorWarningText(std::uint8_t errorFlags, std::uint8_t warningFlags, std::uint32_t languageIndex);

// Warranty start as the tool reports it: all 0 = no warranty date yet, day 255 = not read.
struct WarrantyFields {
    std::uint32_t day = 255, month = 255, year = 255, hour = 255, minute = 255;
};
// LblStartGarantie: without a warranty date the cycles still to go (StartGarantie − CycleCount,
// negative once passed); empty while not read; otherwise "%d.%d.%d  %02d:%02d".
QString warrantyStatusText(const WarrantyFields& warranty, std::int32_t startGarantie, std::int32_t cycleCount);

// Texts of the five warranty-start edits: the tool's warranty start when it has one (also the 255s
// of a failed read), else the PC's local time as a proposal. "%02d", the year "%04d".
struct WarrantyEditTexts {
    QString stunde, minute, tag, monat, jahr;
};
WarrantyEditTexts warrantyEditTexts(const WarrantyFields& warranty, const QDateTime& now);

// Path of the most recent cycle on the tool: the day folder of its clock and the counter as name,
// "%04d%02d%02d\%06d".
QString latestCyclePath(const ToolInfoBlock& info);
