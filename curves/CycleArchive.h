// The cycle archive on the tool's data store: one folder per day ("20090703"), one file per cycle
// named by its six-digit counter. Listing a day's cycles and building their paths.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>

class TUsbHidInterface;

// Cycle files carry exactly this many characters in their names; other files are skipped.
inline constexpr int CycleNameLength = 6;
// Range of the year spin edits.
inline constexpr int ArchiveFirstYear = 2005;
inline constexpr int ArchiveLastYear = 2050;

// "%04d%02d%02d\*": every file of the day.
QString dayPattern(const QDate& day);
// "%04d%02d%02d\%s": a file chosen from the day's list.
QString cyclePath(const QDate& day, const QString& name);
// "%04d%02d%02d\%06d": the most recent cycle, from the tool's date and its total counter.
QString latestCyclePath(int year, int month, int day, std::int32_t cycleCount);

// The day's cycle names in the tool's order: CmdFindFile first, then next, until a reply reports
// no further file or an exchange fails (the names found so far stay).
QStringList findCycles(TUsbHidInterface& link, const QDate& day);

// The calendar date after the month (or the year) spin edit changed: the day is kept, or moved to
// the last day of the new month when that month is shorter.
QDate withMonth(const QDate& date, int month);
QDate withYear(const QDate& date, int year);
