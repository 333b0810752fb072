// Both calibrations: forces in newtons for the calibration run, and the two-point sensor calibration.
#include "service/Calibration.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "tests/params/ParameterSetFakeAccess.h"
#include "tests/support/ScriptedHidPlatform.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>
#include <limits>

namespace {
struct Fixture {
    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock;
    TUsbHidInterface link{hid, clock};
    ScriptedPrompts prompts;
    FakeBlockAccess access;

    Fixture()
    {
        hid.echo = true;
        EXPECT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
        access.tool.LayoutVersion = 3;
        access.tool.Flags = 1;
        access.tool.Kolbendurchmesser = 40;
        access.tool.CntDs0bar = 111;
        access.tool.CntDs1000bar = 2222;
    }
    // A status reply whose pressure-sensor count (bytes 23..24) is count.
    void status(std::uint16_t count)
    {
        Payload p{};
        p[0] = 0x01;
        p[23] = static_cast<std::uint8_t>(count >> 8);
        p[24] = static_cast<std::uint8_t>(count & 0xFF);
        hid.replyPayload(p);
    }
    void statusFails() { hid.reply({0x7F, 0x02}); }
};
}  // namespace

TEST(CalibrationRun, ForcesInNewtons)
{
    const struct {
        const char* nominal;
        const char* reached;
        std::optional<CalibrationForces> forces;
    } cases[] = {
        {"45.5", "54.6", CalibrationForces{45500, 54600}},
        {"0", "0", CalibrationForces{0, 0}},  // the 120 % option
        {"88", " 87.9999 ", CalibrationForces{88000, 87999}},
        {"", "54.6", std::nullopt},
        {"45.5", "", std::nullopt},
        {"45,5", "54.6", std::nullopt},  // the comma is replaced when the edit is left, not here
        {"abc", "1", std::nullopt},
        {"5000000", "1", std::nullopt},  // more newtons than 32 bits hold
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.nominal) + " / " + c.reached);
        const auto f = calibrationRunForces(QString::fromLatin1(c.nominal), QString::fromLatin1(c.reached));
        ASSERT_EQ(f.has_value(), c.forces.has_value());
        if (f) {
            EXPECT_EQ(f->nominal, c.forces->nominal);
            EXPECT_EQ(f->calibration, c.forces->calibration);
        }
    }
}

TEST(CalibrationRun, AcceptSendsBothForcesOrRefusesWithAMessage)
{
    Fixture f;
    EXPECT_TRUE(acceptCalibrationRun(f.link, f.prompts, QStringLiteral("45.5"), QStringLiteral("54.6")));
    ASSERT_EQ(f.hid.written.size(), 1u);
    const Payload& p = f.hid.written[0];
    EXPECT_EQ(p[0], 0x53);
    EXPECT_EQ((std::vector<int>{p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8]}),
              (std::vector<int>{0x00, 0x00, 0xB1, 0xBC, 0x00, 0x00, 0xD5, 0x48}));
    EXPECT_TRUE(f.prompts.shown().empty());

    EXPECT_FALSE(acceptCalibrationRun(f.link, f.prompts, QString(), QStringLiteral("54.6")));
    EXPECT_EQ(f.hid.written.size(), 1u);
    ASSERT_EQ(f.prompts.messages().size(), 1u);
    EXPECT_EQ(f.prompts.messages()[0].caption, QStringLiteral("Info"));
    EXPECT_EQ(f.prompts.messages()[0].text, QStringLiteral("Daten ungültig!"));
    EXPECT_EQ(f.prompts.messages()[0].icon, PromptIcon::Exclamation);
}

TEST(SensorCalibration, StraightLineThroughBothReadings)
{
    // The worked example: 88 kN on a 40 mm piston is 700.28 bar.
    const float p = calibrationPressure(QStringLiteral("88"), 40);
    EXPECT_NEAR(p, 700.28f, 0.01f);
    EXPECT_EQ(sensorCount1000bar(400, 2400, p), std::optional<std::uint16_t>(3256));
    EXPECT_EQ(sensorCount1000bar(400, 400, p), std::optional<std::uint16_t>(400));
    // A reading that falls under pressure gives a negative count, kept as its low 16 bits.
    EXPECT_EQ(sensorCount1000bar(2400, 400, p), std::optional<std::uint16_t>(static_cast<std::uint16_t>(-456)));
    // A pressure so small that the line leaves every integer range: no result rather than garbage.
    EXPECT_EQ(sensorCount1000bar(0, 60000, std::numeric_limits<float>::denorm_min()), std::nullopt);
    EXPECT_EQ(sensorCount1000bar(0, 60000, 1e-30f), std::nullopt);
}

TEST(SensorCalibration, TypedForceToPressure)
{
    const struct {
        std::optional<QString> answer;
        std::uint8_t diameter;
        bool zero;
    } cases[] = {
        {QStringLiteral("88"), 40, false},
        {QStringLiteral("88,0"), 40, false},
        {std::nullopt, 40, true},  // cancelled
        {QString(), 40, true},
        {QStringLiteral("0"), 40, true},
        {QStringLiteral("abc"), 40, true},
        {QStringLiteral("nan"), 40, true},
        {QStringLiteral("1e300"), 40, true},
        {QStringLiteral("88"), 0, true},  // no piston area
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.answer ? c.answer->toStdString() : std::string("(cancelled)")) + " / " + std::to_string(c.diameter));
        const float p = calibrationPressure(c.answer, c.diameter);
        if (c.zero)
            EXPECT_EQ(p, 0.0f);
        else
            EXPECT_NEAR(p, 700.28f, 0.01f);
    }
}

TEST(SensorCalibration, CompletedAttemptWritesBothCounts)
{
    Fixture f;
    f.status(400);
    f.status(2400);
    f.prompts.answerInput(QStringLiteral("88"));
    EXPECT_EQ(runSensorCalibration(f.access, f.link, f.prompts, LangEnglish), SensorCalibrationResult::Written);
    EXPECT_EQ(f.access.calls, (std::vector<std::string>{"read", "write"}));
    ASSERT_EQ(f.access.written.size(), 1u);
    EXPECT_EQ(f.access.written[0].CntDs0bar, 400);
    EXPECT_EQ(f.access.written[0].CntDs1000bar, 3256);
    ASSERT_EQ(f.prompts.shown().size(), 1u);
    EXPECT_EQ(f.prompts.shown()[0].kind, ScriptedPrompts::Kind::Input);
    EXPECT_EQ(f.prompts.shown()[0].caption, LangText(LangEnglish, 66));
    EXPECT_EQ(f.prompts.shown()[0].text, QStringLiteral("Kalibrierkraft [KN] "));
    EXPECT_EQ(f.prompts.shown()[0].file.fileName, QString());  // empty default
}

TEST(SensorCalibration, AttemptsThatEndWithoutWriting)
{
    const struct {
        const char* name;
        bool firstReadFails;
        bool secondReadFails;
        std::optional<QString> answer;
        std::uint8_t diameter;
        bool asks;
        std::uint16_t cntDs0bar;  // the program's copy afterwards
    } cases[] = {
        {"cancelled", false, false, std::nullopt, 40, true, 400},
        {"zero force", false, false, QStringLiteral("0"), 40, true, 400},
        {"unparsable force", false, false, QStringLiteral("viel"), 40, true, 400},
        {"no piston", false, false, QStringLiteral("88"), 0, true, 400},
        {"second read fails", false, true, QStringLiteral("88"), 40, true, 400},
        {"first read fails", true, false, QStringLiteral("88"), 40, false, 111},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.access.tool.Kolbendurchmesser = c.diameter;
        if (c.firstReadFails) {
            f.statusFails();
        } else {
            f.status(400);
            if (c.secondReadFails)
                f.statusFails();
            else
                f.status(2400);
        }
        f.prompts.answerInput(c.answer);
        EXPECT_EQ(runSensorCalibration(f.access, f.link, f.prompts, LangGerman), SensorCalibrationResult::Ended);
        EXPECT_TRUE(f.access.written.empty());
        EXPECT_EQ(f.access.current.CntDs0bar, c.cntDs0bar);
        EXPECT_EQ(f.access.current.CntDs1000bar, 2222);
        EXPECT_EQ(f.prompts.shown().size(), c.asks ? 1u : 0u);
    }
}

TEST(SensorCalibration, AFailedBlockReadEndsTheAttemptBeforeAnything)
{
    Fixture f;
    f.access.readFails = true;
    f.status(400);
    f.status(2400);
    f.prompts.answerInput(QStringLiteral("88"));
    EXPECT_EQ(runSensorCalibration(f.access, f.link, f.prompts, LangGerman), SensorCalibrationResult::Ended);
    EXPECT_TRUE(f.access.written.empty());
    EXPECT_TRUE(f.prompts.shown().empty());
    EXPECT_TRUE(f.hid.written.empty());
}

TEST(SensorCalibration, NothingHappensWithoutATool)
{
    Fixture f;
    f.link.Close();
    EXPECT_EQ(runSensorCalibration(f.access, f.link, f.prompts, LangGerman), SensorCalibrationResult::NotConnected);
    EXPECT_TRUE(f.access.calls.empty());
    EXPECT_TRUE(f.prompts.shown().empty());
    EXPECT_TRUE(f.hid.written.empty());
}
