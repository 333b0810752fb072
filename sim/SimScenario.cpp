// Content of the simulated tools: parameter blocks, counters, warranty, diaries and the recorded
// cycles (work curves that rise, switch off near the nominal work value and fall, with the band
// limits of the tool's block), generated from a fixed seed so every run looks the same.
#include "sim/SimulatedTool.h"

#include "platform/Cp1252.h"
#include "sim/SimCalendar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Parameter block offsets (little-endian block).
namespace Block {
constexpr std::size_t LayoutVersion = 0;
constexpr std::size_t Text = 4;
constexpr std::size_t MaschNr = 36;
constexpr std::size_t Typ = 68;
constexpr std::size_t Kennung = 100;
constexpr std::size_t Ruecklaufzeit = 104;
constexpr std::size_t MaxPresszeit = 108;
constexpr std::size_t TestUBattMin = 112;
constexpr std::size_t TestUBattWarnung = 116;
constexpr std::size_t ServiceIntervall = 120;
constexpr std::size_t StartGarantie = 124;
constexpr std::size_t AwNomVal = 132;
constexpr std::size_t AwKalVal = 136;
constexpr std::size_t AwSprung = 140;
constexpr std::size_t MinAw = 141;
constexpr std::size_t MinAwGelb = 142;
constexpr std::size_t MinAwGruen = 143;
constexpr std::size_t MaxAwGelb = 144;
constexpr std::size_t MaxAwGruen = 145;
constexpr std::size_t TestUBattPWM = 146;
constexpr std::size_t RucklaufPwmStart = 147;
constexpr std::size_t RucklaufPwmHold = 148;
constexpr std::size_t MinTemp = 149;
constexpr std::size_t MaxTemp = 150;
constexpr std::size_t Flags = 151;
constexpr std::size_t AbschaltdruckMin = 152;
constexpr std::size_t AbschaltdruckMax = 154;
constexpr std::size_t CntDs0bar = 156;
constexpr std::size_t CntDs1000bar = 158;
constexpr std::size_t Kolbendurchmesser = 160;
constexpr std::size_t TextSize = 32;
}  // namespace Block

// CycleFile header (big-endian).
namespace Cycle {
constexpr std::size_t HeaderSize = 64;
constexpr std::uint8_t Signature0 = 0x55;
constexpr std::uint8_t Signature1 = 0x01;
constexpr std::size_t FormatVersion = 2;
constexpr std::size_t Day = 4;
constexpr std::size_t Month = 5;
constexpr std::size_t Year = 6;
constexpr std::size_t Hour = 8;
constexpr std::size_t Minute = 9;
constexpr std::size_t Second = 10;
constexpr std::size_t CycleCounter = 11;
constexpr std::size_t MotorTimeMs = 15;
constexpr std::size_t ErrorFlags = 19;
constexpr std::size_t WarningFlags = 20;
constexpr std::size_t SampleIntervalMs = 21;
constexpr std::size_t SwitchOffWorkValue = 22;
constexpr std::size_t RedFrom = 23;
constexpr std::size_t YellowFrom = 24;
constexpr std::size_t GreenFrom = 25;
constexpr std::size_t GreenTo = 26;
constexpr std::size_t YellowTo = 27;
constexpr std::size_t CurveSpan = 28;
constexpr std::size_t ChipTemp = 36;
constexpr std::size_t BatteryVoltage10 = 38;
constexpr std::size_t RevolutionTimeMs = 39;
constexpr std::size_t MinSamples = 600;
constexpr std::size_t MaxSamples = 4000;
constexpr std::uint8_t IntervalMs = 5;
}  // namespace Cycle

constexpr std::uint8_t ErrorRunTime = 0x01;
constexpr std::uint8_t ErrorRedBand = 0x02;
constexpr std::uint8_t ErrorUndervoltage = 0x04;
constexpr std::uint8_t WarningYellowBand = 0x01;
constexpr std::uint8_t WarningService = 0x02;
constexpr std::uint8_t WarningBatteryLow = 0x10;

// A charged battery; the demo swaps to one when the running battery gets low.
constexpr std::uint16_t ChargedBatteryMv = 16750;
constexpr std::uint16_t SwapBatteryBelowMv = 15300;
constexpr std::uint16_t DrainPerCycleMv = 2;

void putLe(SimParameterBytes& b, std::size_t at, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t getLe(const SimParameterBytes& b, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | b[at + static_cast<std::size_t>(i)];
    return v;
}

void putText(SimParameterBytes& b, std::size_t at, const char* utf8)
{
    const std::string bytes = toCp1252(QString::fromUtf8(utf8));
    const std::size_t n = std::min(bytes.size(), Block::TextSize - 1);
    // Scenarios start from the demo block: a shorter text must not keep the tail of the longer one.
    std::fill_n(b.begin() + static_cast<std::ptrdiff_t>(at), Block::TextSize, std::uint8_t{0});
    std::copy_n(bytes.begin(), n, b.begin() + static_cast<std::ptrdiff_t>(at));
}

void putBe(std::vector<std::uint8_t>& f, std::size_t at, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        f[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * (bytes - 1 - i)));
}

// Uniform helpers over the engine's raw output, so the content does not depend on the standard
// library's distribution implementations.
int uniform(std::mt19937& rng, int lo, int hi)
{
    if (hi <= lo)
        return lo;
    return lo + static_cast<int>(rng() % static_cast<std::uint32_t>(hi - lo + 1));
}

double unit(std::mt19937& rng) { return static_cast<double>(rng()) / 4294967296.0; }

struct Bands {
    int red = 0, yellowFrom = 0, greenFrom = 0, greenTo = 0, yellowTo = 0;
    bool valid() const { return red > 0 && red <= yellowFrom && yellowFrom <= greenFrom && greenFrom < greenTo && greenTo <= yellowTo; }
};

enum class CycleKind { Green, Yellow, Red, RunTime };

struct Curve {
    std::vector<std::uint8_t> samples;
    int switchOff = 0;
    int motorMs = 0;
};

std::uint8_t clampSample(double v) { return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::lround(v)), 1, 255)); }

// One press cycle at 5 ms per sample: motor start, approach at low force, contact, a progressive
// rise to the switch-off value, a short hold, the fall when the return valve opens and the
// return stroke at residual pressure.
Curve makeCurve(std::mt19937& rng, int target, bool slowRise, int returnMs)
{
    Curve c;
    auto& s = c.samples;
    s.reserve(Cycle::MaxSamples);
    const int lead = uniform(rng, 2, 6);
    for (int i = 0; i < lead; ++i)
        s.push_back(0);

    // Motor start: at most one unit per sample, so it is not taken for the rise.
    const int plateau = uniform(rng, 8, 13);
    for (int v = 1; v <= plateau; ++v)
        s.push_back(static_cast<std::uint8_t>(v));

    int approach = uniform(rng, 150, 650);
    int rise = slowRise ? uniform(rng, 1700, 2300) : uniform(rng, 220, 850);
    const int returnSamples = std::clamp(returnMs, 500, 5000) / Cycle::IntervalMs;
    const int fixed = lead + plateau + 8 + 4 + 30 + returnSamples + 8;
    if (fixed + approach + rise > static_cast<int>(Cycle::MaxSamples))
        approach = std::max(40, static_cast<int>(Cycle::MaxSamples) - fixed - rise);
    if (fixed + approach + rise > static_cast<int>(Cycle::MaxSamples))
        rise = static_cast<int>(Cycle::MaxSamples) - fixed - approach;
    if (fixed + approach + rise < static_cast<int>(Cycle::MinSamples))
        approach = static_cast<int>(Cycle::MinSamples) - fixed - rise;

    const bool dropout = uniform(rng, 0, 19) == 0;
    const int dropoutAt = uniform(rng, 20, std::max(21, approach - 20));
    for (int i = 0; i < approach; ++i) {
        const double base = plateau + 2.0 * i / approach;  // friction grows a little as the die travels
        const int noise = uniform(rng, -1, 1);
        s.push_back(dropout && i == dropoutAt ? 0 : clampSample(base + noise));
    }

    // Contact: the die meets the work piece and the force jumps.
    const int jumpSteps = uniform(rng, 3, 5);
    double v = s.back();
    for (int i = 0; i < jumpSteps; ++i) {
        v += uniform(rng, 2, 4);
        s.push_back(clampSample(v));
    }
    const double contact = v;
    const double exponent = 1.3 + 0.5 * unit(rng);
    for (int i = 1; i <= rise; ++i) {
        const double x = static_cast<double>(i) / rise;
        const double f = contact + (target - contact) * std::pow(x, exponent);
        s.push_back(clampSample(i == rise ? target : std::min<double>(target, f + 0.6 * (unit(rng) - 0.5))));
    }
    // Hold: the valve needs a moment; the force overshoots by a unit or so.
    const int overshoot = uniform(rng, 0, 2);
    s.push_back(clampSample(target + overshoot));
    s.push_back(clampSample(target + overshoot / 2));
    s.push_back(clampSample(target));
    c.switchOff = target;

    // Fall: the return valve opens.
    const int fall = uniform(rng, 12, 30);
    const double residual = uniform(rng, 5, 8);
    for (int i = 1; i <= fall; ++i)
        s.push_back(clampSample(residual + (target - residual) * std::exp(-4.5 * i / fall)));
    // Return stroke at residual pressure, easing off.
    for (int i = 0; i < returnSamples; ++i) {
        const double r = residual - (residual - 2.0) * i / returnSamples;
        s.push_back(clampSample(r + uniform(rng, -1, 1) * 0.6));
    }
    const int tail = uniform(rng, 0, 8);
    for (int i = 0; i < tail; ++i)
        s.push_back(0);
    if (s.size() > Cycle::MaxSamples)
        s.resize(Cycle::MaxSamples);
    c.motorMs = static_cast<int>(s.size() - static_cast<std::size_t>(lead + tail)) * Cycle::IntervalMs;
    return c;
}

int pickTarget(std::mt19937& rng, CycleKind kind, const Bands& b)
{
    if (!b.valid())
        return uniform(rng, 97, 103);
    auto inRange = [&](int lo, int hi) { return uniform(rng, lo, hi); };
    const bool low = uniform(rng, 0, 1) == 0;
    switch (kind) {
    case CycleKind::Yellow:
        if (low && b.yellowFrom < b.greenFrom)
            return inRange(b.yellowFrom, b.greenFrom - 1);
        if (b.greenTo < b.yellowTo)
            return inRange(b.greenTo + 1, b.yellowTo);
        break;
    case CycleKind::Red:
        if (low && b.red < b.yellowFrom)
            return inRange(b.red, b.yellowFrom - 1);
        if (b.yellowTo < 150)
            return inRange(b.yellowTo + 1, std::min(150, b.yellowTo + 8));
        break;
    case CycleKind::RunTime:
        return std::max(20, inRange(b.red - 15, b.red - 2));
    case CycleKind::Green:
        break;
    }
    const int mid = (b.greenFrom + b.greenTo) / 2;
    return std::clamp(inRange(mid - 4, mid + 4), b.greenFrom + 1, b.greenTo - 1);
}

std::string dayFolder(const SimCivilTime& t)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", t.year, t.month, t.day);
    return buf;
}

std::vector<std::uint8_t> diaryBytes(const QString& text) { const std::string b = toCp1252(text); return {b.begin(), b.end()}; }

QString dated(const QDate& d, const char* utf8)
{
    return d.toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char(' ') + QString::fromUtf8(utf8) + QStringLiteral("\r\n");
}

}  // namespace

void SimulatedTool::loadScenario(SimScenario scenario)
{
    SimParameterBytes b{};
    const SimCivilTime now = simCivilFromMs(clockBaseMs_);
    const QDate today(now.year, now.month, now.day);
    int layout = 3;
    int historyDays = 3;
    int baseCycles = 0;
    int sinceService = 0;
    std::uint32_t serviceInterval = 10000;
    info_ = {};

    putLe(b, Block::Kennung, 0x00000201, 4);
    putLe(b, Block::Ruecklaufzeit, 2500, 4);
    putLe(b, Block::MaxPresszeit, 15000, 4);
    putLe(b, Block::TestUBattMin, 14000, 4);
    putLe(b, Block::TestUBattWarnung, 14800, 4);
    putLe(b, Block::StartGarantie, 50, 4);
    putLe(b, Block::AwNomVal, 120000, 4);
    putLe(b, Block::AwKalVal, 118600, 4);
    b[Block::AwSprung] = 5;
    b[Block::MinAw] = 70;
    b[Block::MinAwGelb] = 80;
    b[Block::MinAwGruen] = 85;
    b[Block::MaxAwGruen] = 105;
    b[Block::MaxAwGelb] = 110;
    b[Block::TestUBattPWM] = 50;
    b[Block::RucklaufPwmStart] = 80;
    b[Block::RucklaufPwmHold] = 30;
    b[Block::MinTemp] = static_cast<std::uint8_t>(-10);
    b[Block::MaxTemp] = 60;
    putLe(b, Block::AbschaltdruckMin, 900, 2);
    putLe(b, Block::AbschaltdruckMax, 1000, 2);
    b[Block::Kolbendurchmesser] = 40;
    putText(b, Block::Text, "Standard 120kN");
    putText(b, Block::MaschNr, "0815-4711");
    putText(b, Block::Typ, "AKP 120");
    firmwareVersion = "V2.14";
    bootloaderVersion = "BL V1.03";

    switch (scenario) {
    case SimScenario::Demo:
        baseCycles = 3412;
        sinceService = 2210;
        warranty_ = {0, 0, 0, 9, 30};
        {
            const QDate w = today.addDays(-412);
            warranty_.day = static_cast<std::uint8_t>(w.day());
            warranty_.month = static_cast<std::uint8_t>(w.month());
            warranty_.year = static_cast<std::uint16_t>(w.year());
        }
        files_["KTB"] = diaryBytes(dated(today.addDays(-412), "Werkzeug übernommen, Einweisung durch Außendienst (Hr. Maier)") +
                                   dated(today.addDays(-301), "Akku 2 getauscht, Ladegerät war defekt") +
                                   dated(today.addDays(-133), "Presseinsatz 95 mm² nachbestellt") +
                                   dated(today.addDays(-9), "Baustelle Umspannwerk Nord, ca. 60 Pressungen am Tag"));
        files_["STB"] = diaryBytes(dated(today.addDays(-420), "Endprüfung bestanden, Kalibrierfahrt 120 kN") +
                                   dated(today.addDays(-190), "Wartung: Hydrauliköl gewechselt, Dichtungen geprüft") +
                                   dated(today.addDays(-190), "Servicezähler zurückgesetzt, Firmware V2.14 aufgespielt"));
        break;
    case SimScenario::V2:
        layout = 2;
        baseCycles = 18250;
        serviceInterval = 5000;
        sinceService = 4840;
        putLe(b, Block::AwNomVal, 60000, 4);
        putLe(b, Block::AwKalVal, 59100, 4);
        putLe(b, Block::Ruecklaufzeit, 2000, 4);
        putLe(b, Block::Kennung, 0x00000101, 4);
        putText(b, Block::Text, "Standard 60kN");
        putText(b, Block::MaschNr, "0612-0815");
        putText(b, Block::Typ, "AKP 60");
        firmwareVersion = "V1.08";
        bootloaderVersion = "BL V1.00";
        {
            const QDate w = today.addDays(-1150);
            warranty_ = {static_cast<std::uint8_t>(w.day()), static_cast<std::uint8_t>(w.month()),
                         static_cast<std::uint16_t>(w.year()), 14, 5};
        }
        files_["KTB"] = diaryBytes(dated(today.addDays(-1150), "Übergabe an Kolonne 3") +
                                   dated(today.addDays(-640), "Gehäuse gerissen, zur Reparatur eingeschickt"));
        files_["STB"] = diaryBytes(dated(today.addDays(-1160), "Endprüfung bestanden") +
                                   dated(today.addDays(-625), "Gehäuse erneuert, Kalibrierfahrt 60 kN") +
                                   dated(today.addDays(-210), "Wartung, Motorkohlen gewechselt"));
        break;
    case SimScenario::Sensor:
        baseCycles = 860;
        sinceService = 860;
        b[Block::Flags] = 0x01;
        putLe(b, Block::CntDs0bar, 409, 2);
        putLe(b, Block::CntDs1000bar, 3262, 2);
        putText(b, Block::Text, "Drucksensor 120kN");
        putText(b, Block::MaschNr, "0901-2231");
        putText(b, Block::Typ, "AKP 120 DS");
        firmwareVersion = "V2.20 DS";
        {
            const QDate w = today.addDays(-120);
            warranty_ = {static_cast<std::uint8_t>(w.day()), static_cast<std::uint8_t>(w.month()),
                         static_cast<std::uint16_t>(w.year()), 11, 0};
        }
        files_["KTB"] = diaryBytes(dated(today.addDays(-120), "In Betrieb genommen"));
        files_["STB"] = diaryBytes(dated(today.addDays(-125), "Endprüfung bestanden, Drucksensor kalibriert (0 / 1000 bar)"));
        break;
    case SimScenario::New:
        historyDays = 1;
        baseCycles = 0;
        sinceService = 0;
        warranty_ = {};
        putText(b, Block::MaschNr, "0912-0042");
        files_["STB"] = diaryBytes(dated(today.addDays(-2), "Endprüfung bestanden, Kalibrierfahrt 120 kN"));
        break;
    }

    putLe(b, Block::LayoutVersion, static_cast<std::uint32_t>(layout), 4);
    putLe(b, Block::ServiceIntervall, serviceInterval, 4);
    setParameterBlock(b, layout);

    info_.CycleCount = baseCycles;
    info_.MotorTimeMs = baseCycles * 8700;
    info_.ChipTempRaw = 26;
    info_.BatteryMillivolts = ChargedBatteryMv;
    if (scenario == SimScenario::Sensor) {
        setPressureBar(0);
    }

    // Recorded cycles: today and the days before, in working hours (today: up to a little
    // before now). The new tool has only a handful from its final test.
    const std::int64_t nowMs = clockBaseMs_;
    for (int day = historyDays - 1; day >= 0; --day) {
        const std::int64_t midnight = (nowMs / SimMsPerDay - day) * SimMsPerDay;
        std::int64_t from = midnight + 7 * 3600000LL;
        std::int64_t to = midnight + 16 * 3600000LL + 30 * 60000LL;
        if (day == 0) {
            to = nowMs - 2 * 60000;
            from = std::max(midnight, std::min<std::int64_t>(from, to - 9 * 3600000LL));
            if (to <= from) {
                from = midnight;
                to = std::max<std::int64_t>(midnight, nowMs - 1000);
            }
        }
        int count = scenario == SimScenario::New ? uniform(rng_, 3, 5) : uniform(rng_, 20, 80);
        const std::int64_t span = std::max<std::int64_t>(0, to - from);
        count = static_cast<int>(std::min<std::int64_t>(count, span / 20000 + 1));
        std::vector<std::int64_t> times;
        for (int i = 0; i < count; ++i)
            times.push_back(from + static_cast<std::int64_t>(unit(rng_) * static_cast<double>(span)));
        std::sort(times.begin(), times.end());
        for (std::size_t i = 1; i < times.size(); ++i)
            times[i] = std::max(times[i], times[i - 1] + 20000);
        info_.BatteryMillivolts = ChargedBatteryMv;
        for (const std::int64_t t : times)
            if (t <= nowMs)
                writeCycle(t, true);
    }
    info_.ErrorFlags = 0;
    info_.WarningFlags = 0;
    info_.ServiceCount = static_cast<std::uint16_t>(std::clamp<std::int64_t>(
        static_cast<std::int64_t>(serviceInterval) - sinceService - (info_.CycleCount - baseCycles), 1, 0xFFFF));
    if (scenario == SimScenario::New)
        info_.ServiceCount = static_cast<std::uint16_t>(serviceInterval - static_cast<std::uint32_t>(info_.CycleCount));
    updateServiceWarning();
    calibration_ = {getLe(committed_, Block::AwNomVal, 4), getLe(committed_, Block::AwKalVal, 4)};
    setCycleRecording(scenario == SimScenario::Demo);
}

void SimulatedTool::recordCycle() { writeCycle(toolNowMs(clock_.tickMs()), false); }

void SimulatedTool::writeCycle(std::int64_t naiveMs, bool history)
{
    const Bands bands{committed_[Block::MinAw], committed_[Block::MinAwGelb], committed_[Block::MinAwGruen],
                      committed_[Block::MaxAwGruen], committed_[Block::MaxAwGelb]};
    const int roll = uniform(rng_, 0, 99);
    CycleKind kind = CycleKind::Green;
    if (scenario_ != SimScenario::New) {
        if (roll < 8)
            kind = CycleKind::Yellow;
        else if (roll < 10)
            kind = CycleKind::Red;
        else if (roll < 11)
            kind = CycleKind::RunTime;
    }
    const int target = pickTarget(rng_, kind, bands);
    const int returnMs = static_cast<int>(std::min<std::uint32_t>(getLe(committed_, Block::Ruecklaufzeit, 4), 5000));
    const Curve curve = makeCurve(rng_, target, kind == CycleKind::RunTime, returnMs);

    std::uint8_t errors = 0, warnings = 0;
    if (bands.valid()) {
        if (target < bands.red)
            errors |= ErrorRunTime;
        else if (target < bands.yellowFrom || target > bands.yellowTo)
            errors |= ErrorRedBand;
        else if (target < bands.greenFrom || target > bands.greenTo)
            warnings |= WarningYellowBand;
    }

    // Battery: drains a little with every cycle and sags under load.
    if (info_.BatteryMillivolts < SwapBatteryBelowMv)
        info_.BatteryMillivolts = ChargedBatteryMv;
    info_.BatteryMillivolts = static_cast<std::uint16_t>(info_.BatteryMillivolts - DrainPerCycleMv);
    const int sagMv = uniform(rng_, 500, 900);
    const int loadedMv = info_.BatteryMillivolts - sagMv;
    if (loadedMv < static_cast<int>(getLe(committed_, Block::TestUBattMin, 4)))
        errors |= ErrorUndervoltage;
    else if (loadedMv < static_cast<int>(getLe(committed_, Block::TestUBattWarnung, 4)))
        warnings |= WarningBatteryLow;
    // Chip temperature wanders with the work between 22 and 34 degrees.
    int temp = static_cast<std::int16_t>(info_.ChipTempRaw > 250 ? info_.ChipTempRaw - 512 : info_.ChipTempRaw);
    temp = std::clamp(temp + uniform(rng_, -1, 1), 22, 34);
    info_.ChipTempRaw = static_cast<std::uint16_t>(temp < 0 ? temp + 512 : temp);

    // The tool's counters wrap as 32-bit registers do.
    info_.CycleCount = static_cast<std::int32_t>(static_cast<std::uint32_t>(info_.CycleCount) + 1u);
    info_.MotorTimeMs = static_cast<std::int32_t>(static_cast<std::uint32_t>(info_.MotorTimeMs) +
                                                  static_cast<std::uint32_t>(curve.motorMs));
    if (!history) {
        if (info_.ServiceCount > 0)
            --info_.ServiceCount;
        info_.ErrorFlags = errors;
        info_.WarningFlags = static_cast<std::uint8_t>(warnings | (info_.WarningFlags & WarningService));
        updateServiceWarning();
    }

    const SimCivilTime t = simCivilFromMs(naiveMs);
    std::vector<std::uint8_t> f(Cycle::HeaderSize, 0);
    f[0] = Cycle::Signature0;
    f[1] = Cycle::Signature1;
    putBe(f, Cycle::FormatVersion, layout_ == 2 ? 1 : 2, 2);
    f[Cycle::Day] = static_cast<std::uint8_t>(t.day);
    f[Cycle::Month] = static_cast<std::uint8_t>(t.month);
    putBe(f, Cycle::Year, static_cast<std::uint32_t>(t.year), 2);
    f[Cycle::Hour] = static_cast<std::uint8_t>(t.hour);
    f[Cycle::Minute] = static_cast<std::uint8_t>(t.minute);
    f[Cycle::Second] = static_cast<std::uint8_t>(t.second);
    putBe(f, Cycle::CycleCounter, static_cast<std::uint32_t>(info_.CycleCount), 4);
    putBe(f, Cycle::MotorTimeMs, static_cast<std::uint32_t>(info_.MotorTimeMs), 4);
    f[Cycle::ErrorFlags] = errors;
    f[Cycle::WarningFlags] = warnings;
    f[Cycle::SampleIntervalMs] = Cycle::IntervalMs;
    f[Cycle::SwitchOffWorkValue] = static_cast<std::uint8_t>(curve.switchOff);
    f[Cycle::RedFrom] = static_cast<std::uint8_t>(bands.red);
    f[Cycle::YellowFrom] = static_cast<std::uint8_t>(bands.yellowFrom);
    f[Cycle::GreenFrom] = static_cast<std::uint8_t>(bands.greenFrom);
    f[Cycle::GreenTo] = static_cast<std::uint8_t>(bands.greenTo);
    f[Cycle::YellowTo] = static_cast<std::uint8_t>(bands.yellowTo);
    putBe(f, Cycle::CurveSpan, static_cast<std::uint32_t>(curve.samples.size() * Cycle::IntervalMs), 4);
    putBe(f, Cycle::ChipTemp, info_.ChipTempRaw, 2);
    f[Cycle::BatteryVoltage10] = static_cast<std::uint8_t>(std::clamp(loadedMv / 100, 0, 255));
    // Older firmware (layout 2) does not measure the motor speed.
    f[Cycle::RevolutionTimeMs] = layout_ == 2 ? 0 : static_cast<std::uint8_t>(uniform(rng_, 6, 9));
    f.insert(f.end(), curve.samples.begin(), curve.samples.end());

    char name[24];
    std::snprintf(name, sizeof name, "%06d", static_cast<int>(info_.CycleCount));  // as the status page builds the path
    files_[dayFolder(t) + '\\' + name] = std::move(f);
    trimStore();
}
