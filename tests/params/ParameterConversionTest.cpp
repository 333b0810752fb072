// Unit conversions of the parameter block and the rules by which its edits are shown and taken.
#include "params/ParameterConversions.h"

#include <gtest/gtest.h>

TEST(PistonConversion, FortyMillimetreRoundTrips)
{
    // Showing rounds to whole kN and taking back truncates, so only whole-kN pressures survive.
    struct Case { std::uint16_t bar; const char* shown; std::uint16_t back; };
    const Case cases[] = {
        {700, "88", 700},
        {650, "82", 652},
        {720, "90", 716},
        {0, "0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bar);
        const QString shown = pressureAsForceText(c.bar, 40);
        EXPECT_EQ(shown, QLatin1String(c.shown));
        EXPECT_EQ(forceTextToPressure(shown, 40), c.back);
    }
}

TEST(PistonConversion, SinglePrecisionAndPiAsTheToolTakesIt)
{
    EXPECT_EQ(PistonArea(40), 1256.64f);
    EXPECT_EQ(PressureToForce(700, 40), static_cast<float>(700 * 0.1 * 1256.64f * 0.001));
    EXPECT_EQ(ForceToPressure(88.0f, 40), static_cast<float>(880.0 / 1256.64f * 1000.0));
    // The largest values the fields can hold stay finite and readable.
    EXPECT_EQ(pressureAsForceText(65535, 255), QStringLiteral("334691"));
}

TEST(PistonConversion, NoPistonGivesZeroBothWays)
{
    EXPECT_EQ(PressureToForce(700, 0), 0.0f);
    EXPECT_EQ(pressureAsForceText(700, 0), QStringLiteral("0"));
    EXPECT_EQ(ForceToPressure(88.0f, 0), 0.0f);
    EXPECT_EQ(forceTextToPressure(QStringLiteral("88"), 0), 0);
}

TEST(PistonConversion, TypedForcesOutsideTheFieldKeepTheLow16Bits)
{
    struct Case { const char* text; std::uint8_t d; std::uint16_t bar; };
    const Case cases[] = {
        {"88.5", 40, 704},        // decimals count
        {"-88", 40, 65536 - 700},  // negative pressures wrap like the tool's 16-bit field
        {"99999", 1, 56064},      // 1 273 223 936 bar in single precision
        {"1e99", 40, 0},  // not representable in single precision
        {"88,5", 40, 0},  // the comma is replaced before this rule, never by it
        {"", 40, 0},
        {"kN", 40, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(forceTextToPressure(QString::fromLatin1(c.text), c.d), c.bar);
    }
}

TEST(RoundToDigits, RoundsHalfUp)
{
    struct Case { double value; int digits; double result; };
    const Case cases[] = {
        {87.9648, 0, 88.0}, {81.68, 0, 82.0}, {0.5, 0, 1.0}, {-1.5, 0, -1.0},
        {1.25, 1, 1.3},     {1234.0, -2, 1200.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " @" << c.digits);
        EXPECT_DOUBLE_EQ(RoundToDigits(c.value, c.digits), c.result);
    }
}

TEST(EditParsing, SecondsAndVoltsToThousandths)
{
    struct Case { const char* text; std::optional<std::uint32_t> value; };
    const Case cases[] = {
        {"2.5", 2500u},
        {"2.3", 2300u},  // double precision: no millisecond lost here
        {" 1.0 ", 1000u},
        {"16", 16000u},
        {".5", 500u},
        {"1e1", 10000u},
        {"-1", 4294966296u},  // the 32-bit form of -1000, as the field holds it
        {"0.0009", 0u},       // truncated, not rounded
        {"2,5", std::nullopt},  // only "." is the decimal separator
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"5000000", std::nullopt},  // 5·10⁹ ms does not fit the field
        {"1 2", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseThousandths(QString::fromLatin1(c.text)), c.value);
    }
}

TEST(EditParsing, ReturnTimeFromTheStatusPageIsSinglePrecision)
{
    struct Case { const char* text; std::uint32_t ms; };
    const Case cases[] = {
        {"2.5", 2500}, {"2.3", 2299}, {"", 0}, {"abc", 0}, {"2,5", 0}, {"1e30", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(returnTimeTextToMs(QString::fromLatin1(c.text)), c.ms);
    }
}

TEST(EditParsing, Integers)
{
    struct Case { const char* text; std::optional<std::uint32_t> value; };
    const Case cases[] = {
        {"300", 300u},
        {"-5", 0xFFFFFFFBu},
        {"+7", 7u},
        {"-1", 0xFFFFFFFFu},
        {"4294967295", 0xFFFFFFFFu},  // what an all-ones field shows must go back unchanged
        {"-2147483648", 0x80000000u},
        {"4294967296", std::nullopt},
        {"-2147483649", std::nullopt},
        {"12abc", std::nullopt},
        {"1.0", std::nullopt},
        {"0x10", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseInteger32(QString::fromLatin1(c.text)), c.value);
    }
}

TEST(EditParsing, DecimalCommaAndDisplay)
{
    EXPECT_EQ(withDecimalPoint(QStringLiteral("2,5")), QStringLiteral("2.5"));
    EXPECT_EQ(withDecimalPoint(QStringLiteral("1,2,3")), QStringLiteral("1.2,3"));
    EXPECT_EQ(withDecimalPoint(QStringLiteral("25")), QStringLiteral("25"));
    EXPECT_EQ(thousandthsText(2500), QStringLiteral("2.5"));
    EXPECT_EQ(thousandthsText(2299), QStringLiteral("2.3"));
    EXPECT_EQ(thousandthsText(0), QStringLiteral("0.0"));
    EXPECT_EQ(thousandthsText(4294967295u), QStringLiteral("4294967.3"));
}

namespace {
// A layout-3 block with every field set to something recognisable.
ParameterBlock sampleBlock()
{
    ParameterBlock b;
    b.LayoutVersion = 3;
    setParameterText(b.Text, QStringLiteral("Variante Grün"));
    setParameterText(b.MaschNr, QStringLiteral("SN-0815"));
    setParameterText(b.Typ, QStringLiteral("PZ 40"));
    b.Kennung = 0x00ABCDEF;
    b.Ruecklaufzeit = 2500;
    b.MaxPresszeit = 12000;
    b.TestUBattMin = 14500;
    b.TestUBattWarnung = 15200;
    b.ServiceIntervall = 20000;
    b.StartGarantie = -1;
    b.Reserved128 = {1, 2, 3, 4};
    b.AwNomVal = 60000;
    b.AwKalVal = 61000;
    b.AwSprung = 10;
    b.MinAw = 20;
    b.MinAwGelb = 30;
    b.MinAwGruen = 40;
    b.MaxAwGelb = 120;
    b.MaxAwGruen = 110;
    b.TestUBattPWM = 50;
    b.RucklaufPwmStart = 60;
    b.RucklaufPwmHold = 70;
    b.MinTemp = -5;
    b.MaxTemp = static_cast<std::int8_t>(200);
    b.Flags = 1;
    b.AbschaltdruckMin = 650;
    b.AbschaltdruckMax = 700;
    b.CntDs0bar = 410;
    b.CntDs1000bar = 3900;
    b.Kolbendurchmesser = 40;
    b.Reserved161.fill(0x5A);
    return b;
}
}  // namespace

TEST(ParameterEdits, ShowsEveryFieldInItsFormat)
{
    const ParameterEdits e = parameterEditTexts(sampleBlock());
    EXPECT_EQ(e.EditVarianteTxt, QStringLiteral("Variante Grün"));
    EXPECT_EQ(e.EditMaschNr, QStringLiteral("SN-0815"));
    EXPECT_EQ(e.EditTyp, QStringLiteral("PZ 40"));
    EXPECT_EQ(e.Lblkennung, QStringLiteral("00ABCDEF"));
    EXPECT_EQ(e.EditRlz, QStringLiteral("2.5"));
    EXPECT_EQ(e.EditMaxPz, QStringLiteral("12.0"));
    EXPECT_EQ(e.EditMinUbattEinsch, QStringLiteral("14.5"));
    EXPECT_EQ(e.EditMinUbattWarnung, QStringLiteral("15.2"));
    EXPECT_EQ(e.EditServiceIntervall, QStringLiteral("20000"));
    EXPECT_EQ(e.EditStartGarantie, QStringLiteral("4294967295"));
    EXPECT_EQ(e.LblAwNomVal, QStringLiteral("60000"));
    EXPECT_EQ(e.LblAwKalVal, QStringLiteral("61000"));
    EXPECT_EQ(e.EditMaxAwGelb, QStringLiteral("120"));
    EXPECT_EQ(e.EditRucklaufPwmHold, QStringLiteral("70"));
    EXPECT_EQ(e.EditMinTemp, QStringLiteral("-5"));
    EXPECT_EQ(e.EditMaxTemp, QStringLiteral("-56"));  // the field is signed
    EXPECT_EQ(e.EditAbschaltdruckMin, QStringLiteral("82"));
    EXPECT_EQ(e.EditAbschaltdruckMax, QStringLiteral("88"));
    EXPECT_EQ(e.LblCntDs0bar, QStringLiteral("410"));
    EXPECT_EQ(e.LblCntDs1000bar, QStringLiteral("3900"));
    EXPECT_EQ(e.EditKolbendurchmesser, QStringLiteral("40"));

    ParameterBlock v2 = sampleBlock();
    v2.LayoutVersion = 2;
    const ParameterEdits e2 = parameterEditTexts(v2);
    EXPECT_EQ(e2.LblCntDs0bar, QString());
    EXPECT_EQ(e2.LblCntDs1000bar, QString());
}

TEST(ParameterEdits, TakingUnchangedEditsKeepsTheBlockButFlagsAndOffGridPressures)
{
    const ParameterBlock before = sampleBlock();
    ParameterBlock b = before;
    ParameterEdits e = parameterEditTexts(b);
    EXPECT_TRUE(takeParameterEdits(b, e).isEmpty());

    ParameterBlock expected = before;
    expected.Flags = 0;
    expected.AbschaltdruckMin = 652;  // 650 bar is not a whole number of kN
    EXPECT_EQ(b, expected);
}

TEST(ParameterEdits, LeavesTheFieldsNoEditOwns)
{
    ParameterBlock b = sampleBlock();
    ParameterEdits e;  // every edit empty
    e.Lblkennung = QStringLiteral("FFFFFFFF");
    e.LblAwNomVal = e.LblAwKalVal = e.LblCntDs0bar = e.LblCntDs1000bar = QStringLiteral("1");
    takeParameterEdits(b, e);
    EXPECT_EQ(b.LayoutVersion, 3u);
    EXPECT_EQ(b.Kennung, 0x00ABCDEFu);
    EXPECT_EQ(b.Reserved128, (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
    EXPECT_EQ(b.AwNomVal, 60000u);
    EXPECT_EQ(b.AwKalVal, 61000u);
    EXPECT_EQ(b.CntDs0bar, 410);
    EXPECT_EQ(b.CntDs1000bar, 3900);
    EXPECT_EQ(b.Reserved161[0], 0x5A);
    EXPECT_EQ(b.Reserved161[38], 0x5A);
    // Everything an edit owns became 0 without a message, except the four decimal fields.
    EXPECT_EQ(b.ServiceIntervall, 0u);
    EXPECT_EQ(b.Kolbendurchmesser, 0);
    EXPECT_EQ(b.AbschaltdruckMax, 0);
    EXPECT_EQ(parameterText(b.MaschNr), QString());
}

TEST(ParameterEdits, EditToFieldRules)
{
    struct Case {
        const char* name;
        void (*edit)(ParameterEdits&);
        bool (*check)(const ParameterBlock&);
    };
    const Case cases[] = {
        {"PWM 300 keeps the low byte", [](ParameterEdits& e) { e.EditPwmBatt = "300"; },
         [](const ParameterBlock& b) { return b.TestUBattPWM == 44; }},
        {"min temp -5 is byte 251", [](ParameterEdits& e) { e.EditMinTemp = "-5"; },
         [](const ParameterBlock& b) { return b.encode()[ParamOffset::MinTemp] == 251 && b.MinTemp == -5; }},
        {"start -1 sets all 32 bits", [](ParameterEdits& e) { e.EditStartGarantie = "-1"; },
         [](const ParameterBlock& b) { return static_cast<std::uint32_t>(b.StartGarantie) == 0xFFFFFFFFu; }},
        {"service interval junk gives 0", [](ParameterEdits& e) { e.EditServiceIntervall = "12x"; },
         [](const ParameterBlock& b) { return b.ServiceIntervall == 0; }},
        {"2.5 s is 2500 ms", [](ParameterEdits& e) { e.EditRlz = "2.5"; },
         [](const ParameterBlock& b) { return b.Ruecklaufzeit == 2500; }},
        {"volts to millivolts", [](ParameterEdits& e) { e.EditMinUbattEinsch = "14.4"; },
         [](const ParameterBlock& b) { return b.TestUBattMin == 14400; }},
        {"the pressures use the diameter from before", [](ParameterEdits& e) {
             e.EditKolbendurchmesser = "50";
             e.EditAbschaltdruckMax = "88";
         },
         [](const ParameterBlock& b) { return b.AbschaltdruckMax == 700 && b.Kolbendurchmesser == 50; }},
        {"diameter keeps the low byte", [](ParameterEdits& e) { e.EditKolbendurchmesser = "296"; },
         [](const ParameterBlock& b) { return b.Kolbendurchmesser == 40; }},
        {"texts are cut at 30 and the field cleared", [](ParameterEdits& e) {
             e.EditTyp = QString(40, QLatin1Char('x'));
         },
         [](const ParameterBlock& b) {
             return parameterText(b.Typ) == QString(30, QLatin1Char('x')) && b.Typ[30] == 0 && b.Typ[31] == 0;
         }},
        {"texts travel as Windows-1252", [](ParameterEdits& e) { e.EditVarianteTxt = QStringLiteral("Grün"); },
         [](const ParameterBlock& b) { return b.Text[2] == 0xFC && b.Text[4] == 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParameterBlock b = sampleBlock();
        ParameterEdits e = parameterEditTexts(b);
        c.edit(e);
        takeParameterEdits(b, e);
        EXPECT_TRUE(c.check(b));
    }
}

TEST(ParameterEdits, UnparsableSecondsAndVoltsAreReportedInOrder)
{
    ParameterBlock b = sampleBlock();
    ParameterEdits e = parameterEditTexts(b);
    e.EditRlz = "abc";
    e.EditMaxPz = "";
    e.EditMinUbattWarnung = "1,5";
    e.EditMinUbattEinsch = "x";
    e.EditPwmBatt = "junk";  // integer fields fail silently
    const QStringList debug = takeParameterEdits(b, e);
    EXPECT_EQ(debug, (QStringList{"EditRlz: abc", "EditMaxPz: ", "EditMinUbattWarnung: 1,5", "EditMinUbattEinsch: x"}));
    EXPECT_EQ(b.Ruecklaufzeit, 0u);
    EXPECT_EQ(b.MaxPresszeit, 0u);
    EXPECT_EQ(b.TestUBattWarnung, 0u);
    EXPECT_EQ(b.TestUBattMin, 0u);
    EXPECT_EQ(b.TestUBattPWM, 0);
}

TEST(ParameterEdits, SwitchOffEditsGetTheirCommaReplaced)
{
    ParameterBlock b = sampleBlock();
    ParameterEdits e = parameterEditTexts(b);
    e.EditAbschaltdruckMin = "82,0";
    e.EditAbschaltdruckMax = "88,5,1";
    takeParameterEdits(b, e);
    EXPECT_EQ(e.EditAbschaltdruckMin, QStringLiteral("82.0"));
    EXPECT_EQ(b.AbschaltdruckMin, 652);
    EXPECT_EQ(e.EditAbschaltdruckMax, QStringLiteral("88.5,1"));
    EXPECT_EQ(b.AbschaltdruckMax, 0);  // still not a number
}

TEST(ParameterEdits, SerialNumberKeepsTheLastTwoBytes)
{
    struct Case { QString text; QString stored; };
    const Case cases[] = {
        {QString(30, QLatin1Char('7')), QString(30, QLatin1Char('7'))},
        {QString(35, QLatin1Char('8')), QString(30, QLatin1Char('8'))},
        {QStringLiteral("SN1"), QStringLiteral("SN1")},
        {QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        ParameterBlock b;
        b.MaschNr.fill(0x41);
        setSerialNumber(b, c.text);
        EXPECT_EQ(QString::fromLatin1(reinterpret_cast<const char*>(b.MaschNr.data()),
                                      static_cast<qsizetype>(c.stored.size())),
                  c.stored);
        for (std::size_t i = static_cast<std::size_t>(c.stored.size()); i < 30; ++i)
            EXPECT_EQ(b.MaschNr[i], 0) << i;
        EXPECT_EQ(b.MaschNr[30], 0x41);
        EXPECT_EQ(b.MaschNr[31], 0x41);
    }
}
