// The simulated tool's wire, command handling and records. Scenario content and cycle
// generation live in SimScenario.cpp.
#include "sim/SimulatedTool.h"

#include "sim/SimCalendar.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr std::uint8_t StatusWorking = 0x01;
constexpr std::uint8_t StatusFailed = 0x02;
constexpr std::uint8_t BusyDetail = 0x05;

// ToolInfoBlock offsets.
namespace Info {
constexpr std::size_t ErrorFlags = 5;
constexpr std::size_t WarningFlags = 6;
constexpr std::size_t ButtonState = 7;
constexpr std::size_t ChipTempRaw = 9;
constexpr std::size_t MotorCurrent = 11;
constexpr std::size_t BatteryMillivolts = 13;
constexpr std::size_t HallPeriod = 19;
constexpr std::size_t WorkValue = 21;
constexpr std::size_t ClockDay = 31;
constexpr std::size_t ClockMonth = 32;
constexpr std::size_t ClockYear = 33;
constexpr std::size_t ClockHour = 35;
constexpr std::size_t ClockMinute = 36;
constexpr std::size_t ClockSecond = 37;
constexpr std::size_t CycleCount = 38;
constexpr std::size_t ServiceCount = 42;
constexpr std::size_t MotorTimeMs = 44;
}  // namespace Info

// Request and reply layouts of the file commands.
constexpr std::size_t ReadStatus = 1;
constexpr std::size_t ReadCount = 2;
constexpr std::size_t ReadData = 3;
constexpr std::uint8_t BadChunkCountValue = 40;
constexpr std::size_t WriteFirst = 1;
constexpr std::size_t WriteCount = 2;
constexpr std::size_t WriteName = 3;
constexpr std::size_t WriteNameEnd = 20;  // name bytes 3..19, data from 20
constexpr std::size_t WriteData = 20;
constexpr std::size_t OpenPath = 1;
constexpr std::size_t OpenStatus = 2;
constexpr std::size_t OpenSize = 9;
constexpr std::size_t FindFirst = 1;
constexpr std::size_t FindPattern = 2;
constexpr std::size_t FindFound = 1;
constexpr std::size_t FindName = 2;
constexpr std::uint8_t OpenNotFound = 1;
constexpr std::uint8_t ReadNothingOpen = 1;

// Parameter pages.
constexpr std::size_t PageNumber = 1;
constexpr std::size_t PageMore = 1;
constexpr std::size_t PageReadData = 2;
constexpr std::size_t PageWriteCount = 2;
constexpr std::size_t PageWriteData = 3;
constexpr std::size_t PageSize = 32;

constexpr std::size_t ParamAwNomVal = 132;
constexpr std::size_t ParamAwKalVal = 136;

constexpr std::uint8_t WarningService = 0x02;

// At most this much lost time (a long preemption) is made good on later waits.
constexpr std::int64_t MaxOvershootCreditNs = 1'000'000'000;

// Firmware marker: the version text of an image follows it.
constexpr std::string_view FirmwareVersionMarker = "FWV=";
constexpr std::size_t MaxVersionChars = 62;

void put16(Payload& p, std::size_t at, std::uint16_t v)
{
    p[at] = static_cast<std::uint8_t>(v >> 8);
    p[at + 1] = static_cast<std::uint8_t>(v);
}

void put32(Payload& p, std::size_t at, std::uint32_t v)
{
    p[at] = static_cast<std::uint8_t>(v >> 24);
    p[at + 1] = static_cast<std::uint8_t>(v >> 16);
    p[at + 2] = static_cast<std::uint8_t>(v >> 8);
    p[at + 3] = static_cast<std::uint8_t>(v);
}

std::uint16_t get16(const Payload& p, std::size_t at) { return static_cast<std::uint16_t>(p[at] << 8 | p[at + 1]); }

std::uint32_t get32(const Payload& p, std::size_t at)
{
    return static_cast<std::uint32_t>(p[at]) << 24 | static_cast<std::uint32_t>(p[at + 1]) << 16 |
           static_cast<std::uint32_t>(p[at + 2]) << 8 | p[at + 3];
}

void putLe32(SimParameterBytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Text from `from` up to the first zero byte, or to the end of the payload.
std::string_view textAt(const Payload& p, std::size_t from)
{
    const auto* begin = reinterpret_cast<const char*>(p.data()) + from;
    const std::size_t max = p.size() - from;
    const void* zero = std::memchr(begin, 0, max);
    return {begin, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : max};
}

void setFailure(Payload& reply)
{
    reply.fill(0);
    reply[0] = ReplyBusy;
    reply[1] = StatusFailed;
}

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// '*' (any run) and '?' (one character), case-insensitive; "*.*" is every name, as on DOS.
bool globMatch(std::string_view pattern, std::string_view name)
{
    if (pattern == "*.*")
        return true;
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::string_view stripRoot(std::string_view path)
{
    while (!path.empty() && path.front() == '\\')
        path.remove_prefix(1);
    return path;
}

}  // namespace

bool SimNameLess::operator()(std::string_view a, std::string_view b) const
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const char x = lower(a[i]), y = lower(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    return a.size() < b.size();
}

std::optional<SimScenario> parseSimScenario(std::string_view name)
{
    if (equalNoCase(name, "demo"))
        return SimScenario::Demo;
    if (equalNoCase(name, "v2"))
        return SimScenario::V2;
    if (equalNoCase(name, "sensor"))
        return SimScenario::Sensor;
    if (equalNoCase(name, "new"))
        return SimScenario::New;
    return std::nullopt;
}

SimulatedTool::SimulatedTool(Clock& clock, SimScenario scenario)
    : clock_(clock), fakeClock_(dynamic_cast<FakeClock*>(&clock)), scenario_(scenario),
      rng_(0x5EED0000u + static_cast<unsigned>(scenario))
{
    received_.reserve(1024);
    openContent_.reserve(4096);
    clockBaseTick_ = clock_.tickMs();
    clockBaseMs_ = simMsFromDateTime(clock_.now());
    lastCycleTick_ = clockBaseTick_;
    loadScenario(scenario);
}

// --- timing and presence ---------------------------------------------------------------------

void SimulatedTool::setLatencyMs(double ms)
{
    latencyNs_ = ms > 0 ? static_cast<std::int64_t>(ms * 1e6 + 0.5) : 0;
    owedNs_ = 0;
    overshootNs_ = 0;
}

void SimulatedTool::chargeLatency()
{
    if (latencyNs_ == 0)
        return;
    if (fakeClock_) {
        owedNs_ += latencyNs_;
        if (owedNs_ >= 1000000) {
            fakeClock_->advanceMs(static_cast<std::uint64_t>(owedNs_ / 1000000));
            owedNs_ %= 1000000;
        }
        return;
    }
    // Busy wait on the steady clock. A wait that overshoots (the thread was preempted) is made
    // good on the following waits, so the total follows the model; the caller's own time between
    // requests is never credited.
    using namespace std::chrono;
    const auto now = [] { return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count(); };
    const std::int64_t start = now();
    const std::int64_t target = start + latencyNs_ - overshootNs_;
    std::int64_t end = start;
    while (end < target)
        end = now();
    overshootNs_ = std::min<std::int64_t>(end - target, MaxOvershootCreditNs);
}

bool SimulatedTool::present() const { return plugged_ && (backAtTick_ == 0 || clock_.tickMs() >= backAtTick_); }

void SimulatedTool::leaveBus(std::uint64_t backAfterMs)
{
    ++generation_;
    backAtTick_ = backAfterMs == 0 ? 0 : clock_.tickMs() + backAfterMs;
    resetWire();
}

void SimulatedTool::resetWire()
{
    current_.fill(0);
    previous_.fill(0);
    busyPolls_ = 0;
    stalePolls_ = 0;
    fileOpen_ = false;
    findResults_.clear();
    findIndex_ = 0;
}

void SimulatedTool::unplug()
{
    if (!plugged_)
        return;
    plugged_ = false;
    leaveBus(0);
}

void SimulatedTool::plugIn()
{
    if (plugged_)
        return;
    plugged_ = true;
    backAtTick_ = 0;
    motorMode_ = SimMotorMode::Stop;
    standby_ = false;
    applyMotor();
}

void SimulatedTool::enterBootloader()
{
    plugged_ = true;
    leaveBus(0);
    bootloader_ = true;
    motorMode_ = SimMotorMode::Stop;
    applyMotor();
}

// --- fault injection -------------------------------------------------------------------------

void SimulatedTool::injectFailure(SimFailure mode, std::uint8_t code, int count)
{
    if (mode == SimFailure::None)
        return;
    injections_.push_back({mode, code, count});
}

void SimulatedTool::clearFailures()
{
    injections_.clear();
    busyPolls_ = 0;
    stalePolls_ = 0;
}

bool SimulatedTool::takeInjection(SimFailure mode, std::uint8_t code)
{
    for (auto it = injections_.begin(); it != injections_.end(); ++it) {
        if (it->mode != mode || (it->code != 0 && it->code != code))
            continue;
        if (it->remaining != SimForever && --it->remaining <= 0)
            injections_.erase(it);
        return true;
    }
    return false;
}

std::vector<std::uint8_t> SimulatedTool::receivedCodes() const
{
    std::vector<std::uint8_t> codes;
    codes.reserve(received_.size());
    for (const auto& r : received_)
        codes.push_back(r[0]);
    return codes;
}

// --- the wire ----------------------------------------------------------------------------------

bool SimulatedTool::receiveRequest(const Payload& request)
{
    if (!present())
        return false;
    backAtTick_ = 0;  // back on the bus for good
    chargeLatency();
    const std::uint8_t code = request[0];

    if (!injections_.empty()) {
        for (auto it = injections_.begin(); it != injections_.end(); ++it) {
            if (it->mode != SimFailure::Unplug || (it->code != 0 && it->code != code))
                continue;
            if (it->remaining <= 0 && it->remaining != SimForever) {
                injections_.erase(it);
                unplug();
                return false;
            }
            if (it->remaining != SimForever)
                --it->remaining;
            break;
        }
    }

    if (cycleRecording_) {
        const std::uint64_t tick = clock_.tickMs();
        if (tick - lastCycleTick_ >= SimDemoCycleEveryMs) {
            lastCycleTick_ = tick;
            recordCycle();
        }
    }

    if (recordRequests_) {
        if (received_.size() >= SimMaxRecorded)
            received_.erase(received_.begin(), received_.begin() + static_cast<std::ptrdiff_t>(SimMaxRecorded / 2));
        received_.push_back(request);
    }

    previous_ = current_;
    busyPolls_ = 0;
    stalePolls_ = 0;
    if (!injections_.empty()) {
        for (auto it = injections_.begin(); it != injections_.end();) {
            const bool applies = it->code == 0 || it->code == code;
            if (applies && (it->mode == SimFailure::Busy || it->mode == SimFailure::Stale)) {
                (it->mode == SimFailure::Busy ? busyPolls_ : stalePolls_) = it->remaining == SimForever ? 1 << 30 : it->remaining;
                it = injections_.erase(it);
            } else {
                ++it;
            }
        }
        if (takeInjection(SimFailure::FailureReply, code)) {
            setFailure(current_);
            return true;
        }
    }
    execute(request, current_);
    return true;
}

bool SimulatedTool::replyForFeatureRead(Payload& reply)
{
    if (!present())
        return false;
    chargeLatency();
    if (busyPolls_ > 0) {
        --busyPolls_;
        reply.fill(0);
        reply[0] = ReplyBusy;
        reply[1] = StatusWorking;
        reply[2] = BusyDetail;
        return true;
    }
    if (stalePolls_ > 0) {
        --stalePolls_;
        reply = previous_;
        return true;
    }
    reply = current_;
    return true;
}

// --- commands ------------------------------------------------------------------------------------

void SimulatedTool::execute(const Payload& request, Payload& reply)
{
    const std::uint8_t code = request[0];
    reply.fill(0);
    reply[0] = code;

    if (bootloader_) {
        // The bootloader knows only its versions and the download.
        switch (static_cast<Cmd>(code)) {
        case Cmd::GetBootloaderVersion:
        case Cmd::GetFirmwareVersion:
        case Cmd::FwLoadBlock:
        case Cmd::FwProgramPage:
        case Cmd::FwFinish:
            break;
        default:
            setFailure(reply);
            return;
        }
    }
    if (standby_ && code != static_cast<std::uint8_t>(Cmd::TestStandby))
        standby_ = false;  // any request wakes the board

    switch (static_cast<Cmd>(code)) {
    case Cmd::GetInfo:
        answerInfo(reply);
        return;
    case Cmd::GetBootloaderVersion:
        answerText(reply, bootloaderVersion, code);
        return;
    case Cmd::GetFirmwareVersion:
        answerText(reply, firmwareVersion, code);
        return;
    case Cmd::FormatStore:
        files_.clear();
        fileOpen_ = false;
        findResults_.clear();
        return;
    case Cmd::SetTime:
        answerSetTime(request, reply);
        return;
    case Cmd::SetDate:
        answerSetDate(request, reply);
        return;
    case Cmd::FileRead:
        answerFileRead(reply);
        return;
    case Cmd::FileWrite:
        answerFileWrite(request, reply);
        return;
    case Cmd::FileOpen:
        answerFileOpen(request, reply, false);
        return;
    case Cmd::FileOpenSized:
        answerFileOpen(request, reply, true);
        return;
    case Cmd::FindFile:
        answerFindFile(request, reply);
        return;
    case Cmd::FwLoadBlock: {
        const std::size_t block = request[1];
        if (block >= SimFlashPageSize / SimFlashBlockSize) {
            setFailure(reply);
            return;
        }
        std::copy_n(request.begin() + 2, SimFlashBlockSize, pageBuffer_.begin() + static_cast<std::ptrdiff_t>(block * SimFlashBlockSize));
        return;
    }
    case Cmd::FwProgramPage: {
        const int page = request[1];
        // The bootloader protects itself: pages below the application base are refused.
        if (page < SimFirstApplicationPage || page >= SimFlashPageCount) {
            setFailure(reply);
            return;
        }
        flash_[page] = pageBuffer_;
        return;
    }
    case Cmd::FwFinish:
        finishFirmware();
        return;
    case Cmd::CalibStart:
        calibrationRun_ = true;
        return;
    case Cmd::CalibSet: {
        calibration_ = {get32(request, 1), get32(request, 5)};
        calibrationRun_ = false;
        // The tool keeps nominal and calibrated switch-off values in its block; 0/0 asks it to
        // calibrate to 120 % by itself, which leaves the stored values as they are.
        if (calibration_.first != 0 && calibration_.second != 0) {
            for (auto* b : {&committed_, &staged_}) {
                putLe32(*b, ParamAwNomVal, calibration_.first);
                putLe32(*b, ParamAwKalVal, calibration_.second);
            }
        }
        return;
    }
    case Cmd::SetServiceCounter:
        if (request[1] != 4) {
            setFailure(reply);
            return;
        }
        info_.ServiceCount = static_cast<std::uint16_t>(std::min<std::uint32_t>(get32(request, 2), 0xFFFF));
        updateServiceWarning();
        return;
    case Cmd::SetCycleCounter:
        if (request[1] != 4) {
            setFailure(reply);
            return;
        }
        info_.CycleCount = static_cast<std::int32_t>(get32(request, 2));
        return;
    case Cmd::SetOperatingTime:
        if (request[1] != 4) {
            setFailure(reply);
            return;
        }
        info_.MotorTimeMs = static_cast<std::int32_t>(get32(request, 2));
        return;
    case Cmd::GetWarranty:
        reply[2] = warranty_.day;
        reply[3] = warranty_.month;
        put16(reply, 4, warranty_.year);
        reply[6] = warranty_.hour;
        reply[7] = warranty_.minute;
        return;
    case Cmd::ClearWarranty:
        if (request[1] != 0) {
            setFailure(reply);
            return;
        }
        warranty_ = {};
        return;
    case Cmd::SetWarranty:
        if (request[1] != 6) {
            setFailure(reply);
            return;
        }
        // Stored as given: the warranty start is a record, not a clock.
        warranty_ = {request[2], request[3], get16(request, 4), request[6], request[7]};
        return;
    case Cmd::ParamRead:
        answerParamRead(request, reply);
        return;
    case Cmd::ParamWrite:
        answerParamWrite(request, reply);
        return;
    case Cmd::ParamStore:
        committed_ = staged_;
        return;
    case Cmd::TestLeds:
        if (request[1] != 2) {
            setFailure(reply);
            return;
        }
        leds_ = {request[2], request[3]};
        return;
    case Cmd::TestMotor:
        if (request[1] != 1 ||
            (request[2] != SimMotorMode::Stop && request[2] != SimMotorMode::Right && request[2] != SimMotorMode::Left)) {
            setFailure(reply);
            return;
        }
        motorMode_ = request[2];
        applyMotor();
        return;
    case Cmd::TestStandby:
        if (request[1] != 0) {
            setFailure(reply);
            return;
        }
        motorMode_ = SimMotorMode::Stop;
        applyMotor();
        standby_ = true;
        return;
    }
    setFailure(reply);  // a code the firmware does not know
}

void SimulatedTool::answerInfo(Payload& reply)
{
    reply[Info::ErrorFlags] = info_.ErrorFlags;
    reply[Info::WarningFlags] = info_.WarningFlags;
    reply[Info::ButtonState] = info_.ButtonState;
    put16(reply, Info::ChipTempRaw, info_.ChipTempRaw);
    put16(reply, Info::MotorCurrent, info_.MotorCurrent);
    put16(reply, Info::BatteryMillivolts, info_.BatteryMillivolts);
    reply[Info::HallPeriod] = info_.HallPeriod;
    put32(reply, Info::WorkValue, static_cast<std::uint32_t>(info_.WorkValue));
    const SimCivilTime t = simCivilFromMs(toolNowMs(clock_.tickMs()));
    reply[Info::ClockDay] = static_cast<std::uint8_t>(t.day);
    reply[Info::ClockMonth] = static_cast<std::uint8_t>(t.month);
    put16(reply, Info::ClockYear, static_cast<std::uint16_t>(t.year));
    reply[Info::ClockHour] = static_cast<std::uint8_t>(t.hour);
    reply[Info::ClockMinute] = static_cast<std::uint8_t>(t.minute);
    reply[Info::ClockSecond] = static_cast<std::uint8_t>(t.second);
    put32(reply, Info::CycleCount, static_cast<std::uint32_t>(info_.CycleCount));
    put16(reply, Info::ServiceCount, info_.ServiceCount);
    put32(reply, Info::MotorTimeMs, static_cast<std::uint32_t>(info_.MotorTimeMs));
}

void SimulatedTool::answerText(Payload& reply, const std::string& text, std::uint8_t code)
{
    const std::size_t n = std::min(text.size(), MaxVersionChars);
    std::memcpy(reply.data() + 1, text.data(), n);
    if (takeInjection(SimFailure::TextWithoutZero, code))
        std::fill(reply.begin() + 1 + static_cast<std::ptrdiff_t>(n), reply.end(), static_cast<std::uint8_t>('#'));
}

void SimulatedTool::answerSetTime(const Payload& request, Payload& reply)
{
    const int h = request[2], m = request[3], s = request[4];
    if (request[1] != 3 || h > 23 || m > 59 || s > 59) {
        setFailure(reply);
        return;
    }
    SimCivilTime t = simCivilFromMs(toolNowMs(clock_.tickMs()));
    t.hour = h;
    t.minute = m;
    t.second = s;
    t.millisecond = 0;
    setToolMs(simMsFromCivil(t));
}

void SimulatedTool::answerSetDate(const Payload& request, Payload& reply)
{
    const int d = request[2], m = request[3], y = get16(request, 4);
    // The RTC cannot hold a day the month does not have.
    if (request[1] != 4 || m < 1 || m > 12 || d < 1 || d > simDaysInMonth(y, m) || y < 2000 || y > 2099) {
        setFailure(reply);
        return;
    }
    SimCivilTime t = simCivilFromMs(toolNowMs(clock_.tickMs()));
    t.year = y;
    t.month = m;
    t.day = d;
    setToolMs(simMsFromCivil(t));
}

void SimulatedTool::answerFileRead(Payload& reply)
{
    if (!fileOpen_) {
        reply[ReadStatus] = ReadNothingOpen;
        return;
    }
    const std::size_t n = std::min(FileChunkSize, openContent_.size() - readPos_);
    std::memcpy(reply.data() + ReadData, openContent_.data() + readPos_, n);
    readPos_ += n;
    reply[ReadCount] = static_cast<std::uint8_t>(n);
    if (takeInjection(SimFailure::BadChunkCount, static_cast<std::uint8_t>(Cmd::FileRead)))
        reply[ReadCount] = BadChunkCountValue;
}

void SimulatedTool::answerFileWrite(const Payload& request, Payload& reply)
{
    const std::size_t n = request[WriteCount];
    const auto* nameBegin = reinterpret_cast<const char*>(request.data()) + WriteName;
    const void* zero = std::memchr(nameBegin, 0, WriteNameEnd - WriteName);
    if (n < 1 || n > FileChunkSize || !zero) {
        setFailure(reply);
        return;
    }
    const std::string_view name = stripRoot({nameBegin, static_cast<std::size_t>(static_cast<const char*>(zero) - nameBegin)});
    if (name.empty()) {
        setFailure(reply);
        return;
    }
    auto it = files_.find(name);
    const std::size_t have = it == files_.end() || request[WriteFirst] ? 0 : it->second.size();
    if (have + n > SimMaxFileSize || storeBytes() + n > SimStoreCapacity) {
        setFailure(reply);
        return;
    }
    if (it == files_.end())
        it = files_.emplace(std::string(name), std::vector<std::uint8_t>{}).first;
    if (request[WriteFirst])
        it->second.clear();
    it->second.insert(it->second.end(), request.begin() + WriteData, request.begin() + static_cast<std::ptrdiff_t>(WriteData + n));
}

void SimulatedTool::answerFileOpen(const Payload& request, Payload& reply, bool sized)
{
    fileOpen_ = false;
    const auto it = files_.find(stripRoot(textAt(request, OpenPath)));
    if (it == files_.end()) {
        reply[OpenStatus] = OpenNotFound;
        return;
    }
    openContent_.assign(it->second.begin(), it->second.end());
    readPos_ = 0;
    fileOpen_ = true;
    if (sized)
        put16(reply, OpenSize, static_cast<std::uint16_t>(std::min<std::size_t>(openContent_.size(), 0xFFFF)));
}

void SimulatedTool::answerFindFile(const Payload& request, Payload& reply)
{
    if (request[FindFirst] != 0) {
        findResults_.clear();
        findIndex_ = 0;
        const std::string_view pattern = stripRoot(textAt(request, FindPattern));
        const std::size_t slash = pattern.rfind('\\');
        const std::string_view dir = slash == std::string_view::npos ? std::string_view{} : pattern.substr(0, slash);
        const std::string_view namePattern = slash == std::string_view::npos ? pattern : pattern.substr(slash + 1);
        for (const auto& [path, content] : files_) {
            std::string_view p = path;
            std::string_view entry;
            if (dir.empty()) {
                entry = p.substr(0, p.find('\\'));  // root files and folder names
            } else {
                if (p.size() <= dir.size() + 1 || p[dir.size()] != '\\' || !equalNoCase(p.substr(0, dir.size()), dir))
                    continue;
                entry = p.substr(dir.size() + 1);
                if (entry.find('\\') != std::string_view::npos)
                    entry = entry.substr(0, entry.find('\\'));
            }
            if (!globMatch(namePattern, entry))
                continue;
            if (!findResults_.empty() && equalNoCase(findResults_.back(), entry))
                continue;  // the files of one folder are adjacent in the store's order
            findResults_.emplace_back(entry);
        }
    }
    if (findIndex_ >= findResults_.size())
        return;  // found flag 0
    const std::string& name = findResults_[findIndex_++];
    reply[FindFound] = 1;
    const std::size_t n = std::min(name.size(), PayloadSize - FindName - 1);
    std::memcpy(reply.data() + FindName, name.data(), n);
    if (takeInjection(SimFailure::TextWithoutZero, static_cast<std::uint8_t>(Cmd::FindFile)))
        std::fill(reply.begin() + static_cast<std::ptrdiff_t>(FindName + n), reply.end(), static_cast<std::uint8_t>('#'));
}

void SimulatedTool::answerParamRead(const Payload& request, Payload& reply)
{
    const std::size_t page = request[PageNumber];
    const std::size_t size = parameterBlockSize();
    const std::size_t pages = (size + PageSize - 1) / PageSize;
    const bool endless = takeInjection(SimFailure::EndlessPages, static_cast<std::uint8_t>(Cmd::ParamRead));
    if (page >= pages && !endless) {
        setFailure(reply);
        return;
    }
    for (std::size_t i = 0; i < PageSize && page * PageSize + i < size; ++i)
        reply[PageReadData + i] = committed_[page * PageSize + i];
    reply[PageMore] = (endless || page + 1 < pages) ? 1 : 0;
}

void SimulatedTool::answerParamWrite(const Payload& request, Payload& reply)
{
    const std::size_t page = request[PageNumber];
    const std::size_t count = request[PageWriteCount];
    const std::size_t size = parameterBlockSize();
    if (count > PageSize || page * PageSize >= size) {
        setFailure(reply);
        return;
    }
    for (std::size_t i = 0; i < count && page * PageSize + i < size; ++i)
        staged_[page * PageSize + i] = request[PageWriteData + i];
}

void SimulatedTool::finishFirmware()
{
    // The new image names its version after the marker; an image without one keeps the old text.
    std::vector<std::uint8_t> image;
    image.reserve(flash_.size() * SimFlashPageSize);
    for (const auto& [page, bytes] : flash_)
        image.insert(image.end(), bytes.begin(), bytes.end());
    const auto marker = std::search(image.begin(), image.end(), FirmwareVersionMarker.begin(), FirmwareVersionMarker.end());
    if (marker != image.end()) {
        std::string version;
        for (auto it = marker + static_cast<std::ptrdiff_t>(FirmwareVersionMarker.size());
             it != image.end() && *it != 0 && version.size() < MaxVersionChars; ++it)
            version.push_back(static_cast<char>(*it));
        firmwareVersion = version;
    }
    bootloader_ = false;
    motorMode_ = SimMotorMode::Stop;
    applyMotor();
    leaveBus(SimRestartMs);
}

// --- state ---------------------------------------------------------------------------------------

std::int64_t SimulatedTool::toolNowMs(std::uint64_t tick) const
{
    return clockBaseMs_ + static_cast<std::int64_t>(tick - clockBaseTick_);
}

QDateTime SimulatedTool::toolDateTime() const { return simDateTimeFromMs(toolNowMs(clock_.tickMs())); }

void SimulatedTool::setToolDateTime(const QDateTime& t) { setToolMs(simMsFromDateTime(t)); }

void SimulatedTool::setToolMs(std::int64_t naiveMs)
{
    clockBaseTick_ = clock_.tickMs();
    clockBaseMs_ = naiveMs;
}

void SimulatedTool::setOvercurrentButton(bool pressed)
{
    overcurrentButton_ = pressed;
    applyMotor();
}

void SimulatedTool::applyMotor()
{
    switch (motorMode_) {
    case SimMotorMode::Right:
        info_.MotorCurrent = overcurrentButton_ ? motor_.overcurrentLoad : motor_.runCurrentRight;
        info_.HallPeriod = motor_.hallPeriodRight;
        break;
    case SimMotorMode::Left:
        info_.MotorCurrent = overcurrentButton_ ? motor_.overcurrentLoad : motor_.runCurrentLeft;
        info_.HallPeriod = motor_.hallPeriodLeft;
        break;
    default:
        info_.MotorCurrent = 0;
        info_.HallPeriod = 0;
        break;
    }
}

void SimulatedTool::setPressureBar(double bar)
{
    const double count = sensorCountAt0 + (static_cast<double>(sensorCountAt1000) - sensorCountAt0) * bar / 1000.0;
    info_.WorkValue = static_cast<std::int32_t>(std::clamp(count, 0.0, 65535.0) + 0.5);
}

void SimulatedTool::updateServiceWarning()
{
    if (info_.ServiceCount == 0)
        info_.WarningFlags |= WarningService;
    else
        info_.WarningFlags &= static_cast<std::uint8_t>(~WarningService);
}

void SimulatedTool::setParameterBlock(const SimParameterBytes& bytes, int layout)
{
    layout_ = layout == 2 ? 2 : 3;
    committed_ = bytes;
    std::fill(committed_.begin() + static_cast<std::ptrdiff_t>(parameterBlockSize()), committed_.end(), 0);
    staged_ = committed_;
}

const std::vector<std::uint8_t>* SimulatedTool::file(std::string_view path) const
{
    const auto it = files_.find(stripRoot(path));
    return it == files_.end() ? nullptr : &it->second;
}

std::size_t SimulatedTool::storeBytes() const
{
    std::size_t total = 0;
    for (const auto& [name, content] : files_)
        total += content.size();
    return total;
}

void SimulatedTool::trimStore()
{
    // Oldest day folder first (day folders sort by date); root files such as the diaries stay.
    while (storeBytes() > SimStoreCapacity) {
        const auto first = std::find_if(files_.begin(), files_.end(),
                                        [](const auto& f) { return f.first.find('\\') != std::string::npos; });
        if (first == files_.end())
            return;
        const std::string folder = first->first.substr(0, first->first.find('\\') + 1);
        for (auto it = first; it != files_.end();) {
            if (it->first.size() >= folder.size() && equalNoCase(std::string_view(it->first).substr(0, folder.size()), folder))
                it = files_.erase(it);
            else
                ++it;
        }
    }
}

void SimulatedTool::setCycleRecording(bool on)
{
    cycleRecording_ = on;
    lastCycleTick_ = clock_.tickMs();
}
