// Input checks of the service page's record setters.
#include "service/ServiceChecks.h"

std::optional<std::int32_t> parseInt32(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

namespace {
bool inRange(const std::optional<std::int32_t>& v, int lo, int hi)
{
    return v && *v >= lo && *v <= hi;
}
}  // namespace

std::optional<ToolDateTime> checkDateTimeInput(const QString& hour, const QString& minute, const QString& day,
                                               const QString& month, const QString& year, int minYear)
{
    const auto h = parseInt32(hour), mi = parseInt32(minute);
    const auto d = parseInt32(day), mo = parseInt32(month), y = parseInt32(year);
    if (!inRange(h, 0, 23) || !inRange(mi, 0, 59) || !inRange(d, 1, 31) || !inRange(mo, 1, 12)
        || !inRange(y, minYear, DateYearMax))
        return std::nullopt;
    ToolDateTime t;
    t.hour = static_cast<std::uint8_t>(*h);
    t.minute = static_cast<std::uint8_t>(*mi);
    t.day = static_cast<std::uint8_t>(*d);
    t.month = static_cast<std::uint8_t>(*mo);
    t.year = static_cast<std::uint16_t>(*y);
    return t;
}

bool warrantyRuns(std::uint32_t day, std::uint32_t month, std::uint32_t year)
{
    return day != 0 || month != 0 || year != 0;
}

std::uint32_t limitServiceCounter(const QString& text, std::uint32_t serviceInterval)
{
    const auto parsed = parseInt32(text);
    const std::uint32_t value = parsed ? static_cast<std::uint32_t>(*parsed) : ServiceCounterUnparsed;
    return value > serviceInterval ? serviceInterval : value;
}

std::uint32_t serviceCounterToSend(const QString& text, std::uint32_t serviceInterval)
{
    const auto parsed = parseInt32(text);
    return parsed ? static_cast<std::uint32_t>(*parsed) : serviceInterval;
}

std::uint32_t cycleCounterToSend(const QString& text)
{
    const auto parsed = parseInt32(text);
    return parsed ? static_cast<std::uint32_t>(*parsed) : 0;
}
