// The input checks of the service page's record setters, kept free of widgets so that they can be
// tested on their own: warranty start, tool clock, service and press-cycle counters.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Year limits. The upper limit leaves room for the tool's whole life; the lower limits are the
// earliest warranty start and the earliest clock date the tool's firmware accepts.
inline constexpr int WarrantyYearMin = 2000;
inline constexpr int ClockYearMin = 2008;
inline constexpr int DateYearMax = 2099;

// What an edit holds when it is typed over: surrounding blanks are ignored, anything else that is
// not a 32-bit signed decimal number gives nullopt.
std::optional<std::int32_t> parseInt32(const QString& text);

// A date and time as the tool's warranty and clock commands take it.
struct ToolDateTime {
    std::uint8_t day = 0;
    std::uint8_t month = 0;
    std::uint16_t year = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;

    bool operator==(const ToolDateTime&) const = default;
};

// Hour 0..23, minute 0..59, day 1..31, month 1..12 and year minYear..DateYearMax; every text must
// parse. The day is deliberately not compared with the length of the month: the tool stores what
// it is given. nullopt when anything is invalid.
std::optional<ToolDateTime> checkDateTimeInput(const QString& hour, const QString& minute, const QString& day,
                                               const QString& month, const QString& year, int minYear);

inline std::optional<ToolDateTime> checkWarrantyInput(const QString& hour, const QString& minute, const QString& day,
                                                      const QString& month, const QString& year)
{
    return checkDateTimeInput(hour, minute, day, month, year, WarrantyYearMin);
}

inline std::optional<ToolDateTime> checkClockInput(const QString& hour, const QString& minute, const QString& day,
                                                   const QString& month, const QString& year)
{
    return checkDateTimeInput(hour, minute, day, month, year, ClockYearMin);
}

// The customer may set the clock only once the warranty runs: any of day, month and year non-zero
// (a failed warranty read leaves 255 in all of them and so counts as running).
bool warrantyRuns(std::uint32_t day, std::uint32_t month, std::uint32_t year);

// The service counter edit when it loses the focus: its value (100000 when it does not parse),
// capped at the service interval with both compared unsigned, so a negative entry becomes the
// interval. The result is shown as an unsigned decimal.
inline constexpr std::uint32_t ServiceCounterUnparsed = 100000;
std::uint32_t limitServiceCounter(const QString& text, std::uint32_t serviceInterval);

// What the service counter setter sends: the edit's value, or the service interval when it does
// not parse (so "Service due" in the edit resets the counter to a full interval).
std::uint32_t serviceCounterToSend(const QString& text, std::uint32_t serviceInterval);

// What the press-cycle counter setter sends: the edit's value, 0 when it does not parse.
std::uint32_t cycleCounterToSend(const QString& text);
