// Plain calendar arithmetic for the simulated tool's clock: a local date and time held as
// milliseconds since 1970-01-01 00:00 with no time zone, as a battery-backed RTC keeps it.
// Kept free of QDateTime so that answering 0x01 costs no allocation or zone lookup.
#pragma once

#include <QDateTime>
#include <cstdint>

struct SimCivilTime {
    int year = 1970;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t simDaysFromCivil(int y, int m, int d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153u * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2u) / 5u + static_cast<unsigned>(d) - 1u;
    const unsigned doe = yoe * 365u + yoe / 4u - yoe / 100u + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr void simCivilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460u + doe / 36524u - doe / 146096u) / 365u;
    const unsigned doy = doe - (365u * yoe + yoe / 4u - yoe / 100u);
    const unsigned mp = (5u * doy + 2u) / 153u;
    d = static_cast<int>(doy - (153u * mp + 2u) / 5u + 1u);
    m = static_cast<int>(mp < 10u ? mp + 3u : mp - 9u);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0));
}

constexpr bool simIsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

constexpr int simDaysInMonth(int y, int m)
{
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12)
        return 0;
    return m == 2 && simIsLeapYear(y) ? 29 : days[m - 1];
}

inline constexpr std::int64_t SimMsPerDay = 86400000;

constexpr SimCivilTime simCivilFromMs(std::int64_t ms)
{
    std::int64_t days = ms / SimMsPerDay;
    std::int64_t rest = ms % SimMsPerDay;
    if (rest < 0) {
        rest += SimMsPerDay;
        --days;
    }
    SimCivilTime t;
    simCivilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600000);
    t.minute = static_cast<int>(rest / 60000 % 60);
    t.second = static_cast<int>(rest / 1000 % 60);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

constexpr std::int64_t simMsFromCivil(const SimCivilTime& t)
{
    return simDaysFromCivil(t.year, t.month, t.day) * SimMsPerDay + t.hour * 3600000LL + t.minute * 60000LL +
           t.second * 1000LL + t.millisecond;
}

inline std::int64_t simMsFromDateTime(const QDateTime& dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    return simMsFromCivil({d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()});
}

inline QDateTime simDateTimeFromMs(std::int64_t ms)
{
    const SimCivilTime c = simCivilFromMs(ms);
    return QDateTime(QDate(c.year, c.month, c.day), QTime(c.hour, c.minute, c.second, c.millisecond));
}
