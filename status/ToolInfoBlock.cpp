// Decoding of the tool information block and the status read-out texts.
#include "status/ToolInfoBlock.h"

#include "texts/Texte.h"

namespace {
using Bytes = std::span<const std::uint8_t, ToolInfoBlockSize>;

std::uint16_t be16(Bytes b, std::size_t o)
{
    return static_cast<std::uint16_t>((b[o] << 8) | b[o + 1]);
}
std::uint32_t be32(Bytes b, std::size_t o)
{
    return (static_cast<std::uint32_t>(b[o]) << 24) | (static_cast<std::uint32_t>(b[o + 1]) << 16) |
           (static_cast<std::uint32_t>(b[o + 2]) << 8) | static_cast<std::uint32_t>(b[o + 3]);
}

struct FlagText {
    bool warning;  // false: ErrorFlags, true: WarningFlags
    std::uint8_t mask;
    int textId;
};
// First match wins, so the order is the priority of the messages.
constexpr FlagText FlagTexts[] = {
    {false, 0x01, TextId::ErrorRunningTime},      {false, 0x02, TextId::ErrorRedWorkArea},
    {false, 0x04, TextId::ErrorUndervoltage},     {false, 0x10, TextId::ErrorHallSensor},
    {false, 0x08, TextId::ErrorTempSensorInit},   {false, 0x20, TextId::ErrorOvercurrent},
    {false, 0x40, TextId::ErrorUndertemperature}, {false, 0x80, TextId::ErrorOvertemperature},
    {true, 0x01, TextId::WarningYellowWorkArea},  {true, 0x02, TextId::WarningService},
    {true, 0x10, TextId::WarningLowBattery},
};
}  // namespace

ToolInfoBlock ToolInfoBlock::decode(Bytes b)
{
    namespace O = ToolInfoOffset;
    ToolInfoBlock t;
    t.ErrorFlags = b[O::ErrorFlags];
    t.WarningFlags = b[O::WarningFlags];
    t.ButtonState = b[O::ButtonState];
    t.ChipTempRaw = be16(b, O::ChipTempRaw);
    t.MotorCurrent = be16(b, O::MotorCurrent);
    t.BatteryMillivolts = be16(b, O::BatteryMillivolts);
    t.HallPeriod = b[O::HallPeriod];
    t.WorkValue = static_cast<std::int32_t>(be32(b, O::WorkValue));
    t.ClockDay = b[O::ClockDay];
    t.ClockMonth = b[O::ClockMonth];
    t.ClockYear = be16(b, O::ClockYear);
    t.ClockHour = b[O::ClockHour];
    t.ClockMinute = b[O::ClockMinute];
    t.ClockSecond = b[O::ClockSecond];
    t.CycleCount = static_cast<std::int32_t>(be32(b, O::CycleCount));
    t.ServiceCount = be16(b, O::ServiceCount);
    t.MotorTimeMs = static_cast<std::int32_t>(be32(b, O::MotorTimeMs));
    return t;
}

std::int32_t ToolInfoBlock::chipTemperature() const { return chipTemperatureFromRaw(ChipTempRaw); }

float ToolInfoBlock::batteryVoltage() const { return batteryVoltageFromMillivolts(BatteryMillivolts); }

std::int32_t chipTemperatureFromRaw(std::uint16_t raw)
{
    if (raw <= 250)
        return raw;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(raw) | 0xFFFFFE00u);
}

float batteryVoltageFromMillivolts(std::uint16_t millivolts)
{
    return static_cast<float>(millivolts * 0.001);
}

int errorWarningTextId(std::uint8_t errorFlags, std::uint8_t warningFlags)
{
    for (const FlagText& f : FlagTexts) {
        // Warnings are consulted only while no error bit is set.
        if (f.warning && errorFlags != 0)
            break;
        if (((f.warning ? warningFlags : errorFlags) & f.mask) != 0)
            return f.textId;
    }
    return -1;
}

HoursMinutesSeconds splitSeconds(std::int32_t seconds)
{
    HoursMinutesSeconds r;
    r.s = seconds;
    if (r.s >= 3600) {
        r.h = r.s / 3600;
        r.s -= r.h * 3600;
    }
    if (r.s >= 60) {
        r.m = r.s / 60;
        r.s -= r.m * 60;
    }
    return r;
}

QString clockText(const ToolInfoBlock& i)
{
    return QString::asprintf("%02d.%02d.%04d  %02d:%02d:%02d", i.ClockDay, i.ClockMonth, i.ClockYear, i.ClockHour,
                             i.ClockMinute, i.ClockSecond);
}

QString counterText(std::int32_t value) { return QString::asprintf("%06d", value); }

QString serviceCountText(std::uint16_t serviceCount, std::uint32_t languageIndex)
{
    if (serviceCount == 0)
        return LangText(languageIndex, TextId::ServiceDue);
    return QString::asprintf("%06d", serviceCount);
}

QString motorTimeText(std::int32_t motorTimeMs)
{
    const HoursMinutesSeconds t = splitSeconds(motorTimeMs / 1000);
    return QString::asprintf("%dh %02dm %02ds", t.h, t.m, t.s);
}

QString batteryText(float volts) { return QString::asprintf("%.1fV", static_cast<double>(volts)); }

QString temperatureText(std::int32_t degrees) { return QString::number(degrees) + QStringLiteral("°C"); }

QString errorWarningText(std::uint8_t errorFlags, std::uint8_t warningFlags, std::uint32_t languageIndex)
{
    const int id = errorWarningTextId(errorFlags, warningFlags);
    return id < 0 ? QString() : LangText(languageIndex, id);
}

QString warrantyStatusText(const WarrantyFields& w, std::int32_t startGarantie, std::int32_t cycleCount)
{
    if (w.day == 0 && w.month == 0 && w.year == 0) {
        // Widened so that extreme counters cannot overflow.
        const std::int64_t toGo = static_cast<std::int64_t>(startGarantie) - cycleCount;
        return QString::number(toGo);
    }
    if (w.day == 255)
        return {};
    return QString::asprintf("%u.%u.%u  %02u:%02u", w.day, w.month, w.year, w.hour, w.minute);
}

WarrantyEditTexts warrantyEditTexts(const WarrantyFields& w, const QDateTime& now)
{
    std::uint32_t day = w.day, month = w.month, year = w.year, hour = w.hour, minute = w.minute;
    if (day == 0 && month == 0 && year == 0) {
        const QDate d = now.date();
        const QTime t = now.time();
        day = static_cast<std::uint32_t>(d.day());
        month = static_cast<std::uint32_t>(d.month());
        year = static_cast<std::uint32_t>(d.year());
        hour = static_cast<std::uint32_t>(t.hour());
        minute = static_cast<std::uint32_t>(t.minute());
    }
    return {QString::asprintf("%02u", hour), QString::asprintf("%02u", minute), QString::asprintf("%02u", day),
            QString::asprintf("%02u", month), QString::asprintf("%04u", year)};
}

QString latestCyclePath(const ToolInfoBlock& i)
{
    return QString::asprintf("%04d%02d%02d\\%06d", i.ClockYear, i.ClockMonth, i.ClockDay, i.CycleCount);
}
