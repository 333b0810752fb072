// A model of the tool's firmware: answers every command of the wire protocol from its own live
// state, data store, parameter block and flash, on the injected clock, with fault injection and
// a USB timing model. SimHidPlatform puts it on the (simulated) bus.
#pragma once

#include "link/Usbhidinterface.h"
#include "platform/Clock.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum class SimScenario { Demo, V2, Sensor, New };
// "demo", "v2", "sensor", "new" (case-insensitive); nullopt for anything else.
std::optional<SimScenario> parseSimScenario(std::string_view name);

enum class SimFailure {
    None,
    Busy,             // 0x7F 0x01 0x05 for `count` polls before the answer
    FailureReply,     // 0x7F 0x02 instead of the answer for `count` exchanges; the command is not executed
    Stale,            // the previous reply for `count` polls before the answer
    Unplug,           // `count` more exchanges are answered, then the tool is unplugged (writes fail)
    BadChunkCount,    // the next `count` 0x31 replies carry count 40
    TextWithoutZero,  // the next `count` version or find-file texts fill the payload without a zero byte
    EndlessPages,     // the next `count` 0x60 replies set the more-pages flag, also beyond the block
};
// A failure injected with this count lasts until clearFailures().
inline constexpr int SimForever = -1;

// Case-insensitive ordering of data-store names, as the tool's FAT file system compares them.
struct SimNameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
// The data store: "KTB", "STB", "Endtest", "20090703\000123", ... -> content.
using SimFileStore = std::map<std::string, std::vector<std::uint8_t>, SimNameLess>;

// Live values of the information block (reply of 0x01); the clock is kept apart.
struct SimInfo {
    std::uint8_t ErrorFlags = 0;
    std::uint8_t WarningFlags = 0;
    std::uint8_t ButtonState = 0;
    std::uint16_t ChipTempRaw = 27;
    std::uint16_t MotorCurrent = 0;
    std::uint16_t BatteryMillivolts = 16400;
    std::uint8_t HallPeriod = 0;
    std::int32_t WorkValue = 0;
    std::int32_t CycleCount = 0;
    std::uint16_t ServiceCount = 0;
    std::int32_t MotorTimeMs = 0;
};

// Warranty start as the tool stores it; all zero = no warranty date.
struct SimWarranty {
    std::uint8_t day = 0;
    std::uint8_t month = 0;
    std::uint16_t year = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    bool operator==(const SimWarranty&) const = default;
};

// What the motor test commands make the board draw and report.
struct SimMotorModel {
    std::uint16_t runCurrentRight = 262;
    std::uint16_t runCurrentLeft = 248;
    std::uint8_t hallPeriodRight = 78;
    std::uint8_t hallPeriodLeft = 81;
    std::uint16_t overcurrentLoad = 2460;  // while the adapter's overcurrent button is held
};

namespace SimMotorMode {
inline constexpr std::uint8_t Stop = 1;
inline constexpr std::uint8_t Right = 7;
inline constexpr std::uint8_t Left = 9;
}  // namespace SimMotorMode

// Flash geometry of the tool.
inline constexpr std::size_t SimFlashPageSize = 1024;
inline constexpr std::size_t SimFlashBlockSize = 32;
inline constexpr int SimFlashPageCount = 64;          // 64 KB
inline constexpr int SimFirstApplicationPage = 12;    // 0x3000; below is the bootloader
// How long the tool is off the bus after 0x51 while it restarts.
inline constexpr std::uint64_t SimRestartMs = 1500;
// Demo tools record a cycle this often while connected.
inline constexpr std::uint64_t SimDemoCycleEveryMs = 20000;
// The data store holds this much; the demo drops its oldest day folder rather than overflow.
inline constexpr std::size_t SimStoreCapacity = 64u * 1024u * 1024u;
// The longest file the tool writes (0x32 beyond it fails).
inline constexpr std::size_t SimMaxFileSize = 1024u * 1024u;
// receivedRequests() keeps at most this many; the older half goes when it fills up.
inline constexpr std::size_t SimMaxRecorded = 100000;

using SimFlashPage = std::array<std::uint8_t, SimFlashPageSize>;
using SimParameterBytes = std::array<std::uint8_t, 200>;

class SimulatedTool {
public:
    // The tool clock starts at clock.now(); the scenario fills block, store, counters and texts.
    explicit SimulatedTool(Clock& clock, SimScenario scenario = SimScenario::Demo);
    SimulatedTool(const SimulatedTool&) = delete;
    SimulatedTool& operator=(const SimulatedTool&) = delete;

    // --- the wire (SimHidPlatform calls these) --------------------------------------------
    // One request payload in. False when the tool is not on the bus (the write fails).
    bool receiveRequest(const Payload& request);
    // The current feature report. False when the tool is not on the bus.
    bool replyForFeatureRead(Payload& reply);
    // Increments whenever the tool leaves the bus (unplug, restart, bootloader entry): handles
    // opened before are dead from then on, as on a real bus.
    std::uint64_t connectionGeneration() const { return generation_; }

    // --- fault injection and timing --------------------------------------------------------
    // mode for requests with command `code` (0 = every command), lasting `count` polls or
    // exchanges as the enum says (SimForever: until cleared). Several injections may be active.
    void injectFailure(SimFailure mode, std::uint8_t code = 0, int count = 1);
    void clearFailures();
    // Cost of every output write and every feature read, on the clock (FakeClock: advanced;
    // any other clock: a busy wait whose overshoots are made good on the next waits).
    void setLatencyMs(double ms);
    double latencyMs() const { return static_cast<double>(latencyNs_) / 1e6; }

    // --- what was received ---------------------------------------------------------------
    const std::vector<Payload>& receivedRequests() const { return received_; }
    void clearReceived() { received_.clear(); }
    void setRecordRequests(bool on) { recordRequests_ = on; }
    // Codes of the received requests, in order (handy for sequence checks).
    std::vector<std::uint8_t> receivedCodes() const;

    // --- presence ----------------------------------------------------------------------------
    void unplug();
    void plugIn();
    // On the bus: plugged in and not in the middle of a restart.
    bool present() const;
    // Power cycle with the trigger held: the tool comes back at once running its bootloader.
    void enterBootloader();
    bool bootloaderMode() const { return bootloader_; }

    // --- live state ------------------------------------------------------------------------
    SimInfo& info() { return info_; }
    const SimInfo& info() const { return info_; }
    // The tool clock (a plain local date and time that runs on the injected clock).
    QDateTime toolDateTime() const;
    void setToolDateTime(const QDateTime& t);
    SimMotorModel& motorModel() { return motor_; }
    std::uint8_t motorMode() const { return motorMode_; }
    void setOvercurrentButton(bool pressed);
    bool standby() const { return standby_; }
    std::pair<std::uint8_t, std::uint8_t> ledStates() const { return leds_; }
    // Hydraulic pressure seen by the pressure sensor; sets the raw count in WorkValue from the
    // sensor's own characteristic (sensorCountAt0 / sensorCountAt1000).
    void setPressureBar(double bar);
    std::uint16_t sensorCountAt0 = 412;
    std::uint16_t sensorCountAt1000 = 3268;

    // --- parameter block ------------------------------------------------------------------
    // The committed block; bytes beyond the layout's size (160 for layout 2) are zero.
    const SimParameterBytes& parameterBlock() const { return committed_; }
    // Pages written with 0x61 and not yet made permanent by 0x62.
    const SimParameterBytes& stagedParameterBlock() const { return staged_; }
    int parameterLayout() const { return layout_; }
    std::size_t parameterBlockSize() const { return layout_ == 2 ? 160 : 200; }
    // Replaces committed and staged block; layout 2 = 160 bytes / 5 pages, otherwise 200 / 7.
    void setParameterBlock(const SimParameterBytes& bytes, int layout);

    // --- records --------------------------------------------------------------------------
    SimWarranty& warranty() { return warranty_; }
    std::string firmwareVersion;
    std::string bootloaderVersion;
    // The two values of the last 0x53 (nominal force, calibration force, newtons).
    std::pair<std::uint32_t, std::uint32_t> calibrationValues() const { return calibration_; }
    bool calibrationRunActive() const { return calibrationRun_; }

    // --- data store -------------------------------------------------------------------------
    SimFileStore& files() { return files_; }
    const SimFileStore& files() const { return files_; }
    // Content of a file, or nullptr.
    const std::vector<std::uint8_t>* file(std::string_view path) const;

    // --- flash ------------------------------------------------------------------------------
    const std::map<int, SimFlashPage>& flashPages() const { return flash_; }
    const SimFlashPage& pageBuffer() const { return pageBuffer_; }

    // --- cycles -----------------------------------------------------------------------------
    // Appends one realistic cycle at the tool clock's current time: file "YYYYMMDD\NNNNNN",
    // counters, operating time, battery and the live flags follow.
    void recordCycle();
    // Whether the tool records a cycle every 20 s of clock time while it is being talked to
    // (on for the demo scenario).
    void setCycleRecording(bool on);
    bool cycleRecording() const { return cycleRecording_; }

    SimScenario scenario() const { return scenario_; }

private:
    struct Injection {
        SimFailure mode;
        std::uint8_t code;
        int remaining;
    };

    void chargeLatency();
    void leaveBus(std::uint64_t backAfterMs);
    void resetWire();
    std::int64_t toolNowMs(std::uint64_t tick) const;
    // Sets the tool clock in its own plain local time, which knows no daylight-saving gaps.
    void setToolMs(std::int64_t naiveMs);
    // The first active injection of mode that applies to code; consumes one use when take is true.
    bool takeInjection(SimFailure mode, std::uint8_t code);
    void execute(const Payload& request, Payload& reply);
    void answerInfo(Payload& reply);
    void answerText(Payload& reply, const std::string& text, std::uint8_t code);
    void answerFileRead(Payload& reply);
    void answerFileWrite(const Payload& request, Payload& reply);
    void answerFileOpen(const Payload& request, Payload& reply, bool sized);
    void answerFindFile(const Payload& request, Payload& reply);
    void answerParamRead(const Payload& request, Payload& reply);
    void answerParamWrite(const Payload& request, Payload& reply);
    void answerSetDate(const Payload& request, Payload& reply);
    void answerSetTime(const Payload& request, Payload& reply);
    void finishFirmware();
    void applyMotor();
    void updateServiceWarning();
    void trimStore();
    std::size_t storeBytes() const;

    // Scenario content (SimScenario.cpp).
    void loadScenario(SimScenario scenario);
    void writeCycle(std::int64_t naiveMs, bool history);

    Clock& clock_;
    FakeClock* fakeClock_ = nullptr;
    SimScenario scenario_;

    // wire
    Payload current_{};
    Payload previous_{};
    int busyPolls_ = 0;
    int stalePolls_ = 0;
    std::vector<Injection> injections_;
    std::vector<Payload> received_;
    bool recordRequests_ = true;

    // timing
    std::int64_t latencyNs_ = 0;
    std::int64_t owedNs_ = 0;
    std::int64_t overshootNs_ = 0;

    // presence
    bool plugged_ = true;
    std::uint64_t backAtTick_ = 0;
    std::uint64_t generation_ = 0;
    bool bootloader_ = false;

    // clock: naive local milliseconds since 1970 at tick clockBaseTick_
    std::int64_t clockBaseMs_ = 0;
    std::uint64_t clockBaseTick_ = 0;

    SimInfo info_;
    SimMotorModel motor_;
    std::uint8_t motorMode_ = SimMotorMode::Stop;
    bool overcurrentButton_ = false;
    bool standby_ = false;
    std::pair<std::uint8_t, std::uint8_t> leds_{0, 0};

    SimParameterBytes committed_{};
    SimParameterBytes staged_{};
    int layout_ = 3;

    SimWarranty warranty_;
    std::pair<std::uint32_t, std::uint32_t> calibration_{0, 0};
    bool calibrationRun_ = false;

    SimFileStore files_;
    bool fileOpen_ = false;
    std::vector<std::uint8_t> openContent_;
    std::size_t readPos_ = 0;
    std::vector<std::string> findResults_;
    std::size_t findIndex_ = 0;

    std::map<int, SimFlashPage> flash_;
    SimFlashPage pageBuffer_{};

    bool cycleRecording_ = false;
    std::uint64_t lastCycleTick_ = 0;
    std::mt19937 rng_;
};
