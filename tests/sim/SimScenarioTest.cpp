// The scenarios' content: cycle files in the layout the chart reads, with curves that rise,
// switch off near the nominal value inside the bands of the block and fall; counters, warranty,
// diaries; and the demo's recording of new cycles.
#include "tests/sim/SimFixture.h"

#include <QDate>
#include <cstdio>

namespace {

struct Header {
    int format = 0, day = 0, month = 0, year = 0, hour = 0, minute = 0, second = 0;
    std::uint32_t counter = 0, span = 0;
    std::int32_t motorMs = 0;
    int errors = 0, warnings = 0, interval = 0, switchOff = 0;
    int red = 0, yellowFrom = 0, greenFrom = 0, greenTo = 0, yellowTo = 0;
    int chipTemp = 0, battery10 = 0, revolutionMs = 0;
};

std::uint32_t be(const std::vector<std::uint8_t>& f, std::size_t at, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | f[at + static_cast<std::size_t>(i)];
    return v;
}

// Decoded independently of the generator, from the published header layout.
Header decode(const std::vector<std::uint8_t>& f)
{
    Header h;
    h.format = static_cast<int>(be(f, 2, 2));
    h.day = f[4];
    h.month = f[5];
    h.year = static_cast<int>(be(f, 6, 2));
    h.hour = f[8];
    h.minute = f[9];
    h.second = f[10];
    h.counter = be(f, 11, 4);
    h.motorMs = static_cast<std::int32_t>(be(f, 15, 4));
    h.errors = f[19];
    h.warnings = f[20];
    h.interval = f[21];
    h.switchOff = f[22];
    h.red = f[23];
    h.yellowFrom = f[24];
    h.greenFrom = f[25];
    h.greenTo = f[26];
    h.yellowTo = f[27];
    h.span = be(f, 28, 4);
    const int t = static_cast<int>(be(f, 36, 2));
    h.chipTemp = t > 250 ? (t & 0x1FF) - 512 : t;
    h.battery10 = f[38];
    h.revolutionMs = f[39];
    return h;
}

// The chart's start-of-rise rule: two rising steps and a rise of 6 over three; not at sample 0.
int startOfRise(const std::vector<std::uint8_t>& f)
{
    for (std::size_t i = 65; i + 3 < f.size(); ++i)
        if (f[i + 1] >= f[i] + 1 && f[i + 2] >= f[i + 1] + 1 && f[i + 3] >= f[i] + 6 && i - 65 != 0)
            return static_cast<int>(i - 65);
    return 0;
}

struct ScenarioCase {
    SimScenario scenario;
    int layout;
    int formatVersion;
    bool sensor;
    bool warranty;
    int days;
    int minPerDay, maxPerDay;
    bool customerDiary;
};

class ScenarioContent : public ::testing::TestWithParam<ScenarioCase> {};

TEST_P(ScenarioContent, CycleFilesAreValidAndLookRightInTheChart)
{
    const ScenarioCase c = GetParam();
    const QDateTime start(QDate(2026, 3, 14), QTime(15, 40, 12));
    FakeClock clock{start};
    SimulatedTool tool{clock, c.scenario};
    const auto& block = tool.parameterBlock();

    EXPECT_EQ(tool.parameterLayout(), c.layout);
    EXPECT_EQ(block[151] & 1, c.sensor ? 1 : 0);
    EXPECT_EQ(tool.warranty() != SimWarranty{}, c.warranty);
    EXPECT_EQ(tool.toolDateTime(), start);
    EXPECT_FALSE(tool.firmwareVersion.empty());
    EXPECT_FALSE(tool.bootloaderVersion.empty());
    EXPECT_EQ(tool.file("KTB") != nullptr, c.customerDiary);
    ASSERT_NE(tool.file("STB"), nullptr);
    if (c.sensor) {
        EXPECT_GT(block[156] | block[157] << 8, 0);
        EXPECT_GT(block[158] | block[159] << 8, block[156] | block[157] << 8);
    }

    std::map<std::string, int> perDay;
    int green = 0, total = 0;
    std::uint32_t lastCounter = 0;
    for (const auto& [path, f] : tool.files()) {
        const auto slash = path.find('\\');
        if (slash == std::string::npos)
            continue;
        SCOPED_TRACE(path);
        ++perDay[path.substr(0, slash)];
        ++total;
        ASSERT_GE(f.size(), 64u + 600u);
        ASSERT_LE(f.size(), 64u + 4000u);
        ASSERT_LE(f.size(), 4960u) << "fits the reader's 5000-byte buffer with its final chunk";
        EXPECT_EQ(f[0], 0x55);
        EXPECT_EQ(f[1], 0x01);
        const Header h = decode(f);
        EXPECT_EQ(h.format, c.formatVersion);
        char folder[32], name[32];
        std::snprintf(folder, sizeof folder, "%04d%02d%02d", h.year, h.month, h.day);
        std::snprintf(name, sizeof name, "%06u", h.counter);
        EXPECT_EQ(path, std::string(folder) + '\\' + name);
        EXPECT_TRUE(QDate(h.year, h.month, h.day).isValid());
        EXPECT_TRUE(QTime(h.hour, h.minute, h.second).isValid());
        EXPECT_LE(QDateTime(QDate(h.year, h.month, h.day), QTime(h.hour, h.minute, h.second)), start);
        EXPECT_GT(h.counter, lastCounter) << "counters rise with time";
        lastCounter = h.counter;

        EXPECT_EQ(h.red, block[141]);
        EXPECT_EQ(h.yellowFrom, block[142]);
        EXPECT_EQ(h.greenFrom, block[143]);
        EXPECT_EQ(h.yellowTo, block[144]);
        EXPECT_EQ(h.greenTo, block[145]);
        EXPECT_GT(h.interval, 0);
        EXPECT_EQ(h.span, (f.size() - 64) * static_cast<std::uint32_t>(h.interval));
        EXPECT_GE(h.chipTemp, 10);
        EXPECT_LE(h.chipTemp, 50);
        EXPECT_GE(h.battery10, 120);
        EXPECT_LE(h.battery10, 170);
        EXPECT_EQ(h.revolutionMs != 0, c.layout == 3);
        EXPECT_GT(h.motorMs, 0);

        // The curve: a start of the rise, a peak at the switch-off value, and a fall to the end.
        const int startNo = startOfRise(f);
        EXPECT_GT(startNo, 0);
        const auto peak = std::max_element(f.begin() + 64, f.end());
        EXPECT_GE(*peak, h.switchOff);
        EXPECT_LE(*peak, h.switchOff + 2);
        EXPECT_GT(peak - (f.begin() + 64), startNo);
        EXPECT_LT(f.back(), 10);

        // Flags agree with where the cycle switched off.
        const bool inGreen = h.switchOff >= h.greenFrom && h.switchOff <= h.greenTo;
        const bool inYellow = !inGreen && h.switchOff >= h.yellowFrom && h.switchOff <= h.yellowTo;
        EXPECT_EQ((h.warnings & 0x01) != 0, inYellow);
        EXPECT_EQ((h.errors & 0x02) != 0, !inGreen && !inYellow && h.switchOff >= h.red);
        green += inGreen;
    }
    EXPECT_EQ(static_cast<int>(perDay.size()), c.days);
    for (const auto& [day, n] : perDay) {
        EXPECT_GE(n, c.minPerDay) << day;
        EXPECT_LE(n, c.maxPerDay) << day;
    }
    EXPECT_GE(green * 10, total * 7) << "most cycles are good";

    // The status page draws "today\counter": that file must exist.
    char latest[32];
    std::snprintf(latest, sizeof latest, "20260314\\%06d", tool.info().CycleCount);
    EXPECT_NE(tool.file(latest), nullptr);
    EXPECT_EQ(static_cast<std::uint32_t>(tool.info().CycleCount), lastCounter);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, ScenarioContent,
    ::testing::Values(ScenarioCase{SimScenario::Demo, 3, 2, false, true, 3, 20, 80, true},
                      ScenarioCase{SimScenario::V2, 2, 1, false, true, 3, 20, 80, true},
                      ScenarioCase{SimScenario::Sensor, 3, 2, true, true, 3, 20, 80, true},
                      ScenarioCase{SimScenario::New, 3, 2, false, false, 1, 3, 5, false}));

TEST(ScenarioParse, NamesOfTheCommandLine)
{
    const std::pair<const char*, std::optional<SimScenario>> cases[] = {
        {"demo", SimScenario::Demo}, {"v2", SimScenario::V2}, {"sensor", SimScenario::Sensor},
        {"new", SimScenario::New},   {"DEMO", SimScenario::Demo}, {"", std::nullopt}, {"demo2", std::nullopt},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(parseSimScenario(name), expected) << name;
}

TEST(ScenarioContentTimes, NoCycleLiesInTheFutureAtAnyTimeOfDay)
{
    for (const QTime t : {QTime(0, 0, 30), QTime(6, 10, 0), QTime(23, 59, 50)}) {
        FakeClock clock{QDateTime(QDate(2026, 1, 1), t)};
        SimulatedTool tool{clock, SimScenario::Demo};
        for (const auto& [path, f] : tool.files()) {
            if (path.find('\\') == std::string::npos)
                continue;
            const Header h = decode(f);
            EXPECT_LE(QDateTime(QDate(h.year, h.month, h.day), QTime(h.hour, h.minute, h.second)), clock.now())
                << t.toString().toStdString() << " " << path;
        }
        char latest[32];
        std::snprintf(latest, sizeof latest, "20260101\\%06d", tool.info().CycleCount);
        EXPECT_NE(tool.file(latest), nullptr) << t.toString().toStdString();
    }
}

TEST(ScenarioDiaries, GermanLinesInWindows1252WithLineBreaks)
{
    FakeClock clock{QDateTime(QDate(2026, 3, 14), QTime(10, 0))};
    SimulatedTool tool{clock, SimScenario::Demo};
    const auto* ktb = tool.file("KTB");
    ASSERT_NE(ktb, nullptr);
    const std::string text(ktb->begin(), ktb->end());
    EXPECT_NE(text.find("\xFC"), std::string::npos) << "u-umlaut as one 1252 byte";
    EXPECT_EQ(text.find("\xC3"), std::string::npos) << "no UTF-8 sequences";
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find(std::string(1, '\0')), std::string::npos);
    EXPECT_LT(ktb->size(), 65535u);
}

struct DemoRecording : SimFixture {};

TEST_F(DemoRecording, ACycleEveryTwentySecondsWhileTalkedTo)
{
    tool.setCycleRecording(true);
    const auto before = tool.info();
    Payload info{};
    clock.advanceMs(19999);
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_EQ(tool.info().CycleCount, before.CycleCount);

    clock.advanceMs(1);
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_EQ(tool.info().CycleCount, before.CycleCount + 1);
    EXPECT_EQ(be32(info, 38), static_cast<std::uint32_t>(before.CycleCount + 1)) << "the reply already counts it";
    EXPECT_GT(tool.info().MotorTimeMs, before.MotorTimeMs);
    EXPECT_EQ(tool.info().ServiceCount, before.ServiceCount - 1);

    char path[32];
    std::snprintf(path, sizeof path, "%04d%02d%02d\\%06d", info[33] << 8 | info[34], info[32], info[31],
                  tool.info().CycleCount);
    const auto* f = tool.file(path);
    ASSERT_NE(f, nullptr) << path;
    const Header h = decode(*f);
    EXPECT_EQ(h.counter, static_cast<std::uint32_t>(tool.info().CycleCount));
    EXPECT_EQ(h.hour, info[35]);
    EXPECT_EQ(h.minute, info[36]);
    std::array<std::uint8_t, 5000> buffer{};
    EXPECT_EQ(link.ReadToolFile(QString::fromLatin1(path), buffer), static_cast<int>(f->size()));

    // A long silence (tool not connected) gives one cycle, not a backlog.
    clock.advanceMs(600000);
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_EQ(tool.info().CycleCount, before.CycleCount + 2);

    tool.setCycleRecording(false);
    clock.advanceMs(60000);
    ASSERT_TRUE(link.CmdGetInfo(info));
    EXPECT_EQ(tool.info().CycleCount, before.CycleCount + 2);
}

TEST_F(DemoRecording, NewCyclesFollowAChangedBlock)
{
    SimParameterBytes block = tool.parameterBlock();
    block[141] = 60;
    block[142] = 75;
    block[143] = 90;
    block[144] = 115;
    block[145] = 110;
    ASSERT_TRUE(link.CmdParamWrite(block, 200));
    ASSERT_TRUE(link.CmdParamStore());
    tool.recordCycle();
    char path[32];
    const QDate d = tool.toolDateTime().date();
    std::snprintf(path, sizeof path, "%04d%02d%02d\\%06d", d.year(), d.month(), d.day(), tool.info().CycleCount);
    ASSERT_NE(tool.file(path), nullptr);
    const Header h = decode(*tool.file(path));
    EXPECT_EQ(h.red, 60);
    EXPECT_EQ(h.yellowFrom, 75);
    EXPECT_EQ(h.greenFrom, 90);
    EXPECT_EQ(h.greenTo, 110);
    EXPECT_EQ(h.yellowTo, 115);
}

TEST_F(DemoRecording, TheNextCycleIsNamedAfterTheCounterTheProgramSet)
{
    const QDate d = tool.toolDateTime().date();
    const QString day = d.toString(QStringLiteral("yyyyMMdd"));
    const std::pair<std::int32_t, const char*> cases[] = {
        {41, "000042"}, {999999, "1000000"}, {0x7FFFFFFF, "-2147483648"}};  // the register wraps
    for (auto [counter, name] : cases) {
        ASSERT_TRUE(link.CmdSetCycleCounter(counter));
        tool.recordCycle();
        EXPECT_NE(tool.file((day + '\\' + name).toStdString()), nullptr) << name;
    }
}


// Each scenario's texts start from the demo block; the shorter ones must end where they end.
TEST(ScenarioTexts, EachTextFieldHoldsExactlyItsScenariosText)
{
    struct Case {
        SimScenario scenario;
        const char *text, *serial, *type;
    } cases[] = {
        {SimScenario::Demo, "Standard 120kN", "0815-4711", "AKP 120"},
        {SimScenario::V2, "Standard 60kN", "0612-0815", "AKP 60"},
        {SimScenario::Sensor, "Drucksensor 120kN", "0901-2231", "AKP 120 DS"},
    };
    // Zero-terminated 32-byte fields at 4, 36 and 68 of the block.
    auto field = [](const SimParameterBytes& b, std::size_t at) {
        std::string s;
        for (std::size_t i = at; i < at + 32 && b[i] != 0; ++i)
            s += static_cast<char>(b[i]);
        return s;
    };
    for (const auto& c : cases) {
        FakeClock clock{QDateTime(QDate(2026, 3, 14), QTime(15, 40, 12))};
        SimulatedTool tool{clock, c.scenario};
        const auto& block = tool.parameterBlock();
        EXPECT_EQ(field(block, 4), c.text);
        EXPECT_EQ(field(block, 36), c.serial);
        EXPECT_EQ(field(block, 68), c.type);
    }
}
}  // namespace
