// Listing the cycle files of a day folder on the tool.
#include "curves/CycleArchive.h"

#include "link/Usbhidinterface.h"

#include <algorithm>

QString dayPattern(const QDate& day)
{
    return QString::asprintf("%04d%02d%02d\\*", day.year(), day.month(), day.day());
}

QString cyclePath(const QDate& day, const QString& name)
{
    return QString::asprintf("%04d%02d%02d\\", day.year(), day.month(), day.day()) + name;
}

QString latestCyclePath(int year, int month, int day, std::int32_t cycleCount)
{
    return QString::asprintf("%04d%02d%02d\\%06d", year, month, day, cycleCount);
}

QStringList findCycles(TUsbHidInterface& link, const QDate& day)
{
    const QString pattern = dayPattern(day);
    QStringList names;
    QString name;
    for (bool first = true;; first = false) {
        if (!link.CmdFindFile(first, pattern, name) || name.isEmpty())
            break;
        if (name.size() == CycleNameLength)
            names << name;
    }
    return names;
}

namespace {
QDate clampedDate(int year, int month, int day)
{
    const QDate firstOfMonth(year, month, 1);
    if (!firstOfMonth.isValid())
        return {};
    return QDate(year, month, std::min(day, firstOfMonth.daysInMonth()));
}
}  // namespace

QDate withMonth(const QDate& date, int month) { return clampedDate(date.year(), month, date.day()); }
QDate withYear(const QDate& date, int year) { return clampedDate(year, date.month(), date.day()); }
