// Header validity, decoding and the measured-data label texts of cycle files.
#include "texts/Texte.h"
#include "curves/CycleFile.h"
#include "curves/MeasuredData.h"
#include "tests/curves/CycleFixture.h"

#include <gtest/gtest.h>

namespace {

TEST(CycleFileHeader, AcceptsOnlySignatureAndFormatVersionsOneAndTwo)
{
    struct Case {
        const char* what;
        std::uint8_t b0, b1, b2, b3;
        bool valid;
    } cases[] = {
        {"version 1", 0x55, 0x01, 0, 1, true},
        {"version 2", 0x55, 0x01, 0, 2, true},
        {"version 3", 0x55, 0x01, 0, 3, false},
        {"version 0", 0x55, 0x01, 0, 0, false},
        {"high byte of the version set", 0x55, 0x01, 1, 2, false},
        {"first signature byte wrong", 0x54, 0x01, 0, 2, false},
        {"second signature byte wrong", 0x55, 0x02, 0, 2, false},
    };
    for (const auto& c : cases) {
        CycleFixture f;
        f.u8(0, c.b0).u8(1, c.b1).u8(2, c.b2).u8(3, c.b3);
        EXPECT_EQ(CycleFile::headerValid(f.bytes), c.valid) << c.what;
        EXPECT_EQ(CycleFile::decode(f.bytes).has_value(), c.valid) << c.what;
        EXPECT_TRUE(CycleFile::decodeHeader(f.bytes).has_value()) << c.what;
    }
}

TEST(CycleFileHeader, ShortFileIsNeitherValidNorDecoded)
{
    CycleFixture f;
    f.bytes.resize(63);
    EXPECT_FALSE(CycleFile::headerValid(f.bytes));
    EXPECT_FALSE(CycleFile::decodeHeader(f.bytes).has_value());
}

TEST(CycleFileHeader, DecodesBigEndianFieldsAtTheirOffsets)
{
    CycleFixture f;
    f.date(31, 12, 2026, 23, 58, 59)
        .be32(CycleOffset::CycleCounter, 0x01020304)
        .be32(CycleOffset::MotorTimeMs, 0xFFFFFC18)  // -1000
        .u8(CycleOffset::ErrorFlags, 0x81)
        .u8(CycleOffset::WarningFlags, 0x12)
        .u8(CycleOffset::SampleIntervalMs, 7)
        .u8(CycleOffset::SwitchOffWorkValue, 93)
        .bands(60, 80, 100, 130, 150)
        .span(0x00012345)
        .be16(CycleOffset::ChipTemp, 502)
        .u8(CycleOffset::BatteryVoltage10, 168)
        .u8(CycleOffset::RevolutionTimeMs, 9);
    const auto c = CycleFile::decode(f.bytes);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Day, 31);
    EXPECT_EQ(c->Month, 12);
    EXPECT_EQ(c->Year, 2026);
    EXPECT_EQ(c->Hour, 23);
    EXPECT_EQ(c->Minute, 58);
    EXPECT_EQ(c->Second, 59);
    EXPECT_EQ(c->CycleCounter, 0x01020304u);
    EXPECT_EQ(c->MotorTimeMs, -1000);
    EXPECT_EQ(c->ErrorFlags, 0x81);
    EXPECT_EQ(c->WarningFlags, 0x12);
    EXPECT_EQ(c->SampleIntervalMs, 7);
    EXPECT_EQ(c->SwitchOffWorkValue, 93);
    EXPECT_EQ(c->bands, (BandLimits{60, 80, 100, 130, 150, 0x12345}));
    EXPECT_EQ(c->chipTemperature(), -10);
    EXPECT_EQ(c->BatteryVoltage10, 168);
    EXPECT_EQ(c->RevolutionTimeMs, 9);
}

TEST(MeasuredDataTexts, FormatEachLabelFromTheHeader)
{
    struct Case {
        const char* what;
        std::size_t offset;
        int width;  // bytes written big-endian
        std::uint32_t value;
        MeasuredData::Label label;
        const char* expected;
    } cases[] = {
        {"chip temperature 250", CycleOffset::ChipTemp, 2, 250, MeasuredData::Temperatur, "250°C"},
        {"chip temperature 251 is negative", CycleOffset::ChipTemp, 2, 251, MeasuredData::Temperatur, "-261°C"},
        {"chip temperature 511", CycleOffset::ChipTemp, 2, 511, MeasuredData::Temperatur, "-1°C"},
        {"chip temperature 0xFFF6 keeps nine bits", CycleOffset::ChipTemp, 2, 0xFFF6, MeasuredData::Temperatur, "-10°C"},
        {"revolution 7 ms", CycleOffset::RevolutionTimeMs, 1, 7, MeasuredData::Abschaltdrehzahl, "8571 U/min"},
        {"revolution not available", CycleOffset::RevolutionTimeMs, 1, 0, MeasuredData::Abschaltdrehzahl, "---"},
        {"motor time one hour", CycleOffset::MotorTimeMs, 4, 3600000, MeasuredData::BsMotor, "1h:00m"},
        {"motor time just under an hour", CycleOffset::MotorTimeMs, 4, 3599999, MeasuredData::BsMotor, "0h:59m"},
        {"motor time 119 s", CycleOffset::MotorTimeMs, 4, 119000, MeasuredData::BsMotor, "0h:01m"},
        {"motor time 120 s", CycleOffset::MotorTimeMs, 4, 120000, MeasuredData::BsMotor, "0h:02m"},
        {"negative motor time", CycleOffset::MotorTimeMs, 4, 0xFFFFFC18, MeasuredData::BsMotor, "0h:00m"},
        {"counter is six digits", CycleOffset::CycleCounter, 4, 123, MeasuredData::Index, "000123"},
        {"counter above six digits", CycleOffset::CycleCounter, 4, 1234567, MeasuredData::Index, "1234567"},
        {"voltage", CycleOffset::BatteryVoltage10, 1, 168, MeasuredData::Akkuspannung, "16.8V"},
        {"voltage zero", CycleOffset::BatteryVoltage10, 1, 0, MeasuredData::Akkuspannung, "0.0V"},
        {"no error bit", CycleOffset::ErrorFlags, 1, 0, MeasuredData::ErrorCode, "---"},
        {"warning bit without text", CycleOffset::WarningFlags, 1, 0x04, MeasuredData::WarnCode, "---"},
    };
    for (const auto& c : cases) {
        CycleFixture f;
        for (int i = 0; i < c.width; ++i)
            f.u8(c.offset + i, static_cast<std::uint8_t>(c.value >> (8 * (c.width - 1 - i))));
        const auto d = MeasuredData::from(*CycleFile::decode(f.bytes), LangGerman);
        EXPECT_EQ(d[c.label], QString::fromUtf8(c.expected)) << c.what;
    }
}

TEST(MeasuredDataTexts, DateHasTwoBlanksBetweenDateAndTime)
{
    CycleFixture f;
    f.date(3, 7, 2009, 4, 5, 6);
    EXPECT_EQ(MeasuredData::from(*CycleFile::decode(f.bytes), LangGerman)[MeasuredData::Datum],
              QStringLiteral("03.07.2009  04:05:06"));
}

TEST(MeasuredDataTexts, FlagTextsFollowTheirPriorityAndTheLanguage)
{
    struct Case {
        std::uint8_t errors, warnings;
        int errorText, warningText;  // -1: "---"
    } cases[] = {
        {0x18, 0, 88, -1},     // 0x10 is tested before 0x08
        {0x08, 0, 89, -1},
        {0x06, 0, 86, -1},
        {0x80, 0x01, 92, 93},
        {0x00, 0x12, -1, 94},
        {0x00, 0x10, -1, 95},
        {0x00, 0xEC, -1, -1},  // no bit with a text
    };
    for (std::uint32_t lang : {LangGerman, LangEnglish}) {
        for (const auto& c : cases) {
            CycleFixture f;
            f.u8(CycleOffset::ErrorFlags, c.errors).u8(CycleOffset::WarningFlags, c.warnings);
            const auto d = MeasuredData::from(*CycleFile::decode(f.bytes), lang);
            const auto text = [&](int id) { return id < 0 ? QStringLiteral("---") : LangText(lang, id); };
            EXPECT_EQ(d[MeasuredData::ErrorCode], text(c.errorText)) << int(c.errors);
            EXPECT_EQ(d[MeasuredData::WarnCode], text(c.warningText)) << int(c.warnings);
            EXPECT_EQ(cycleErrorTextId(c.errors).value_or(-1), c.errorText);
            EXPECT_EQ(cycleWarningTextId(c.warnings).value_or(-1), c.warningText);
        }
    }
}

}  // namespace
