// Measured-data label texts of a cycle.
#include "curves/MeasuredData.h"

#include "texts/Texte.h"

namespace {
constexpr const char* NoValue = "---";

struct FlagText {
    std::uint8_t mask;
    int textId;
};
// 0x10 comes before 0x08: a Hall fault explains a temperature-sensor fault, not the other way round.
constexpr FlagText ErrorTexts[] = {
    {0x01, TextId::ErrorRunningTime},    {0x02, TextId::ErrorRedWorkArea}, {0x04, TextId::ErrorUndervoltage},
    {0x10, TextId::ErrorHallSensor},     {0x08, TextId::ErrorTempSensorInit}, {0x20, TextId::ErrorOvercurrent},
    {0x40, TextId::ErrorUndertemperature}, {0x80, TextId::ErrorOvertemperature},
};
constexpr FlagText WarningTexts[] = {
    {0x01, TextId::WarningYellowWorkArea}, {0x02, TextId::WarningService}, {0x10, TextId::WarningLowBattery},
};

template <std::size_t N>
std::optional<int> firstText(const FlagText (&table)[N], std::uint8_t flags)
{
    for (const auto& row : table)
        if (flags & row.mask)
            return row.textId;
    return std::nullopt;
}

QString flagText(std::optional<int> id, std::uint32_t languageIndex)
{
    return id ? LangText(languageIndex, *id) : QString::fromLatin1(NoValue);
}
}  // namespace

QString formatCycleDate(const CycleFile& f)
{
    return QString::asprintf("%02d.%02d.%04d  %02d:%02d:%02d", f.Day, f.Month, f.Year, f.Hour, f.Minute, f.Second);
}

QString formatCycleMotorTime(std::int32_t motorTimeMs)
{
    const std::int32_t s = motorTimeMs / 1000;
    const std::int32_t h = s >= 3600 ? s / 3600 : 0;
    const std::int32_t rest = s - h * 3600;
    const std::int32_t m = rest >= 60 ? rest / 60 : 0;
    return QString::asprintf("%dh:%02dm", h, m);
}

QString formatRevolution(std::uint8_t revolutionTimeMs)
{
    if (revolutionTimeMs == 0)
        return QString::fromLatin1(NoValue);
    return QString::asprintf("%d U/min", 60000 / revolutionTimeMs);
}

QString formatVoltage10(std::uint8_t batteryVoltage10)
{
    return QString::asprintf("%.1fV", batteryVoltage10 * 0.1);
}

std::optional<int> cycleErrorTextId(std::uint8_t errorFlags) { return firstText(ErrorTexts, errorFlags); }
std::optional<int> cycleWarningTextId(std::uint8_t warningFlags) { return firstText(WarningTexts, warningFlags); }

MeasuredData MeasuredData::from(const CycleFile& f, std::uint32_t languageIndex)
{
    MeasuredData d;
    d.text[Datum] = formatCycleDate(f);
    d.text[Index] = QString::asprintf("%06u", f.CycleCounter);
    d.text[BsMotor] = formatCycleMotorTime(f.MotorTimeMs);
    d.text[ErrorCode] = flagText(cycleErrorTextId(f.ErrorFlags), languageIndex);
    d.text[WarnCode] = flagText(cycleWarningTextId(f.WarningFlags), languageIndex);
    d.text[Abschaltdrehzahl] = formatRevolution(f.RevolutionTimeMs);
    d.text[Temperatur] = QString::asprintf("%d", f.chipTemperature()) + QStringLiteral("°C");
    d.text[Akkuspannung] = formatVoltage10(f.BatteryVoltage10);
    return d;
}

const char* MeasuredData::labelName(Label label)
{
    static constexpr const char* Names[Count] = {
        "LblChartDatum",      "LblChartIndex",           "LblChartBsMotor",    "LblChartErrorCode",
        "LblChartWarnCode",   "LblChartAbschaltdrehzahl", "LblChartTemperatur", "LblChartAkkuspannung"};
    return Names[label];
}
