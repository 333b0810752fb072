// Decoding of the tool information block and the texts of the status read-outs.
#include "status/ToolInfoBlock.h"

#include "texts/Texte.h"

#include <gtest/gtest.h>

namespace {
using Block = std::array<std::uint8_t, ToolInfoBlockSize>;

void put16(Block& b, std::size_t o, std::uint16_t v)
{
    b[o] = static_cast<std::uint8_t>(v >> 8);
    b[o + 1] = static_cast<std::uint8_t>(v);
}
void put32(Block& b, std::size_t o, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[o + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
}  // namespace

TEST(ToolInfoBlock, DecodesEveryFieldBigEndian)
{
    Block b{};
    b[0] = 0x01;
    b[5] = 0x12;
    b[6] = 0x34;
    b[7] = 1;
    put16(b, 9, 0x01F6);
    put16(b, 11, 0x0A0B);
    put16(b, 13, 16800);
    b[19] = 42;
    put32(b, 21, 0xFFFE1234);  // negative work value; the sensor count is its low half
    b[31] = 5;
    b[32] = 11;
    put16(b, 33, 2009);
    b[35] = 14;
    b[36] = 3;
    b[37] = 9;
    put32(b, 38, 123456);
    put16(b, 42, 0xBEEF);
    put32(b, 44, 3723000);
    // Bytes the tool does not define must not leak into any field.
    for (std::size_t o : {1u, 2u, 3u, 4u, 8u, 15u, 16u, 17u, 18u, 20u, 25u, 30u, 48u, 63u})
        b[o] = 0xAA;

    const ToolInfoBlock t = ToolInfoBlock::decode(b);
    EXPECT_EQ(t.ErrorFlags, 0x12);
    EXPECT_EQ(t.WarningFlags, 0x34);
    EXPECT_EQ(t.ButtonState, 1);
    EXPECT_EQ(t.ChipTempRaw, 0x01F6);
    EXPECT_EQ(t.MotorCurrent, 0x0A0B);
    EXPECT_EQ(t.BatteryMillivolts, 16800);
    EXPECT_EQ(t.HallPeriod, 42);
    EXPECT_EQ(t.WorkValue, static_cast<std::int32_t>(0xFFFE1234));
    EXPECT_EQ(t.pressureSensorCount(), 0x1234);
    EXPECT_EQ(t.ClockDay, 5);
    EXPECT_EQ(t.ClockMonth, 11);
    EXPECT_EQ(t.ClockYear, 2009);
    EXPECT_EQ(t.ClockHour, 14);
    EXPECT_EQ(t.ClockMinute, 3);
    EXPECT_EQ(t.ClockSecond, 9);
    EXPECT_EQ(t.CycleCount, 123456);
    EXPECT_EQ(t.ServiceCount, 0xBEEF);
    EXPECT_EQ(t.MotorTimeMs, 3723000);
    EXPECT_EQ(clockText(t), QStringLiteral("05.11.2009  14:03:09"));
    EXPECT_EQ(latestCyclePath(t), QStringLiteral("20091105\\123456"));
}

TEST(ToolInfoBlock, ChipTemperatureSignRule)
{
    struct Case { std::uint16_t raw; std::int32_t degrees; const char* text; };
    const Case cases[] = {
        {0, 0, "0°C"},
        {25, 25, "25°C"},
        {250, 250, "250°C"},    // the last value still taken as positive
        {251, -261, "-261°C"},  // bits 9..31 set on a 9-bit value: 251 - 512
        {0x01F6, -10, "-10°C"},
        {511, -1, "-1°C"},
        {0xFFF6, -10, "-10°C"},  // already sign-extended to 16 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(chipTemperatureFromRaw(c.raw), c.degrees);
        EXPECT_EQ(temperatureText(chipTemperatureFromRaw(c.raw)), QString::fromUtf8(c.text));
    }
}

TEST(ToolInfoBlock, ErrorAndWarningPriority)
{
    struct Case { std::uint8_t errors, warnings; int textId; };
    const Case cases[] = {
        {0x18, 0x00, 88},  // Hall sensor is tested before the temperature sensor
        {0x08, 0x00, 89},
        {0x03, 0x00, 85},
        {0x80, 0x00, 92},
        {0x60, 0x00, 90},
        {0x00, 0x12, 94},
        {0x01, 0x10, 85},  // an error hides every warning
        {0x40, 0x01, 91},
        {0x00, 0x13, 93},
        {0x00, 0x10, 95},
        {0x00, 0x04, -1},  // unlisted warning bits show nothing
        {0x00, 0xEC, -1},
        {0x00, 0x00, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.errors) << "/" << int(c.warnings));
        EXPECT_EQ(errorWarningTextId(c.errors, c.warnings), c.textId);
    }
    EXPECT_EQ(errorWarningText(0x18, 0, LangGerman), QStringLiteral("Hall-Sensor"));
    EXPECT_EQ(errorWarningText(0, 0x04, LangGerman), QString());
}

TEST(ToolInfoBlock, MotorTimeSplitsIntoHoursMinutesSeconds)
{
    struct Case { std::int32_t ms; const char* text; };
    const Case cases[] = {
        {3723000, "1h 02m 03s"},
        {60000, "0h 01m 00s"},
        {3600000, "1h 00m 00s"},
        {59999, "0h 00m 59s"},  // milliseconds are cut, not rounded
        {0, "0h 00m 00s"},
        {2147483647, "596h 31m 23s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(motorTimeText(c.ms), QString::fromLatin1(c.text));
    }
}

TEST(ToolInfoBlock, BatteryVoltageIsSinglePrecision)
{
    EXPECT_EQ(batteryText(batteryVoltageFromMillivolts(16800)), QStringLiteral("16.8V"));
    EXPECT_EQ(batteryText(batteryVoltageFromMillivolts(0)), QStringLiteral("0.0V"));
    // The calibration button compares the float with 15.8 and 17.0 in double precision: the
    // single-precision rounding is what puts 15 800 mV inside the window and 15 799 outside.
    EXPECT_GT(static_cast<double>(batteryVoltageFromMillivolts(15800)), 15.8);
    EXPECT_LT(static_cast<double>(batteryVoltageFromMillivolts(15799)), 15.8);
    EXPECT_LT(static_cast<double>(batteryVoltageFromMillivolts(16999)), 17.0);
    EXPECT_FALSE(static_cast<double>(batteryVoltageFromMillivolts(17000)) < 17.0);
}

TEST(ToolInfoBlock, CounterTexts)
{
    EXPECT_EQ(counterText(42), QStringLiteral("000042"));
    EXPECT_EQ(counterText(1234567), QStringLiteral("1234567"));
    EXPECT_EQ(serviceCountText(42, LangGerman), QStringLiteral("000042"));
    EXPECT_EQ(serviceCountText(0, LangGerman), QStringLiteral("Service fällig"));
    EXPECT_EQ(serviceCountText(0, LangEnglish), LangText(LangEnglish, 78));
}

TEST(ToolInfoBlock, WarrantyStatusText)
{
    const WarrantyFields none{0, 0, 0, 0, 0};
    const WarrantyFields notRead{};
    const WarrantyFields date{1, 2, 2010, 14, 30};
    struct Case { const char* name; WarrantyFields w; std::int32_t start, cycles; const char* text; };
    const Case cases[] = {
        {"no date: cycles to go", none, 50, 20, "30"},
        {"no date, passed", none, 50, 70, "-20"},
        {"no date, extremes do not overflow", none, -2147483647 - 1, 1, "-2147483649"},
        {"not read", notRead, 50, 20, ""},
        {"date", date, 50, 20, "1.2.2010  14:30"},
        {"hour and minute are padded", {9, 12, 2011, 7, 5}, 0, 0, "9.12.2011  07:05"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(warrantyStatusText(c.w, c.start, c.cycles), QString::fromLatin1(c.text));
    }
}

TEST(ToolInfoBlock, WarrantyEditsShowTheToolOrProposeNow)
{
    const QDateTime now(QDate(2026, 3, 4), QTime(8, 7, 6));
    struct Case { const char* name; WarrantyFields w; const char* h; const char* m; const char* d; const char* mo; const char* y; };
    const Case cases[] = {
        {"tool's date", {1, 2, 2010, 14, 30}, "14", "30", "01", "02", "2010"},
        {"failed read shows the 255s", {}, "255", "255", "255", "255", "0255"},
        {"no date: the PC's time", {0, 0, 0, 0, 0}, "08", "07", "04", "03", "2026"},
        {"only the year set counts as a date", {0, 0, 2011, 0, 0}, "00", "00", "00", "00", "2011"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const WarrantyEditTexts t = warrantyEditTexts(c.w, now);
        EXPECT_EQ(t.stunde, QLatin1String(c.h));
        EXPECT_EQ(t.minute, QLatin1String(c.m));
        EXPECT_EQ(t.tag, QLatin1String(c.d));
        EXPECT_EQ(t.monat, QLatin1String(c.mo));
        EXPECT_EQ(t.jahr, QLatin1String(c.y));
    }
}
