// The one link to the tool: finds it among the HID interfaces, carries one request/reply at a time
// (output report out, feature report polled until the echo) and offers every tool command as a call.
#pragma once

#include "platform/Clock.h"
#include "platform/HidPlatform.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

// 64-byte request or reply payload; byte 0 is the command code.
inline constexpr std::size_t PayloadSize = 64;
using Payload = std::array<std::uint8_t, PayloadSize>;

// Command codes of the tool.
enum class Cmd : std::uint8_t {
    GetInfo = 0x01,
    GetBootloaderVersion = 0x02,
    GetFirmwareVersion = 0x03,
    FormatStore = 0x11,
    SetTime = 0x21,
    SetDate = 0x23,
    FileRead = 0x31,
    FileWrite = 0x32,
    FileOpen = 0x33,
    FileOpenSized = 0x34,
    FindFile = 0x37,
    FwLoadBlock = 0x40,
    FwProgramPage = 0x41,
    FwFinish = 0x51,
    CalibStart = 0x52,
    CalibSet = 0x53,
    SetServiceCounter = 0x54,
    SetCycleCounter = 0x55,
    SetOperatingTime = 0x56,
    GetWarranty = 0x57,
    ClearWarranty = 0x58,
    SetWarranty = 0x59,
    ParamRead = 0x60,
    ParamWrite = 0x61,
    ParamStore = 0x62,
    TestLeds = 0x70,
    TestMotor = 0x71,
    TestStandby = 0x72,
};

// Status reply: with byte 1 = 1 and byte 2 != 0 the tool is still working, any other form is a failure.
inline constexpr std::uint8_t ReplyBusy = 0x7F;

inline constexpr std::int32_t ToolVendorId = 0x16D0;
inline constexpr std::int32_t ToolProductId = 0x0425;

// An exchange that has not seen its echo after this long (on the injected clock) fails.
inline constexpr std::uint64_t ExchangeTimeoutMs = 15000;
// The most chunk data one CmdFileRead reply carries.
inline constexpr std::size_t FileChunkSize = 32;
// One parameter page.
inline constexpr std::size_t ParamPageSize = 32;

class TUsbHidInterface {
public:
    TUsbHidInterface(HidPlatform& platform, Clock& clock);
    ~TUsbHidInterface();
    TUsbHidInterface(const TUsbHidInterface&) = delete;
    TUsbHidInterface& operator=(const TUsbHidInterface&) = delete;

    // --- transport ---------------------------------------------------------------------------
    // Opens the first HID interface matching the three ids (0 matches anything), from one
    // enumeration; interfaces whose enumerated ids do not match are never opened. An interface
    // whose path cannot be read ends the search. Does not close first.
    bool Open(std::int32_t vendorId, std::int32_t productId, std::int32_t version);
    // Opens one enumerated interface: whatever the platform's open returned, InvalidHandle on failure.
    HidPlatform::Handle OpenInterface(const HidInterfaceInfo& info);
    void Close();
    // Request in, reply out. False on a failed write (clears Connected), a failed feature read,
    // a failure status reply, or when ExchangeTimeoutMs pass without the echo (Connected unchanged).
    bool Exchange(Payload& buffer);
    // Sends a request without waiting for a reply. A failed write leaves Connected unchanged.
    bool WriteRequest(const Payload& buffer);
    // Reads one feature report into buffer.
    bool ReadFeature(Payload& buffer);

    // Diagnostic lines go to the sink only while it is enabled (the main window enables it while
    // its debug page is visible).
    void setDiagnosticSink(std::function<void(const QString&)> sink) { sink_ = std::move(sink); }
    void setDiagnosticsEnabled(bool enabled) { diagnosticsEnabled_ = enabled; }

    // --- command operations (each clears CommandBuffer, sets code and arguments, exchanges) ----
    // On success the 64 reply bytes are copied to destination; on failure it is left as it was.
    bool CmdGetInfo(Payload& destination);
    // Firmware (0x03) then bootloader (0x02) text; both empty and false if either exchange fails.
    bool ReadVersions(QString& firmware, QString& bootloader);
    bool CmdFormatStore();
    bool CmdSetTime(std::uint8_t hour, std::uint8_t minute, std::uint8_t second);
    bool CmdSetDate(std::uint8_t day, std::uint8_t month, std::uint16_t year);
    // destination := found name, or empty when the reply's found flag is 0; true whenever the exchange succeeded.
    bool CmdFindFile(bool first, const QString& pattern, QString& destination);
    // Reads a file of the data store into buffer; the byte count, 0 on failure. Never writes past
    // buffer: a file whose chunks (plus the final empty chunk) would not fit, or a chunk count
    // above 32, makes it fail.
    int ReadToolFile(const QString& path, std::span<std::uint8_t> buffer);
    bool CmdCalibStart();
    bool CmdCalibSet(std::int32_t first, std::int32_t second);
    bool CmdSetServiceCounter(std::int32_t value);
    bool CmdSetCycleCounter(std::int32_t value);
    bool CmdSetOperatingTime(std::int32_t value);
    // On failure all five outputs become 255.
    bool CmdGetWarranty(std::uint32_t& day, std::uint32_t& month, std::uint32_t& year, std::uint32_t& hour,
                        std::uint32_t& minute);
    bool CmdClearWarranty();
    bool CmdSetWarranty(std::uint8_t hour, std::uint8_t minute, std::uint8_t day, std::uint8_t month, std::uint16_t year);
    // Reads pages 0, 1, ... into destination at page * 32 until the more-pages flag is 0. Fails when
    // the tool announces more pages than destination holds (pages already copied stay).
    bool CmdParamRead(std::span<std::uint8_t> destination);
    // Sends length bytes as pages of at most 32 (at least one page, count 0 for length 0).
    // source must hold whole 32-byte pages covering length (at least 32 bytes).
    bool CmdParamWrite(std::span<const std::uint8_t> source, int length);
    bool CmdParamStore();
    bool CmdTestLeds(std::uint8_t state1, std::uint8_t state2);
    bool CmdTestMotor(std::uint8_t mode);
    bool CmdTestStandby();

    // --- fields ------------------------------------------------------------------------------
    bool Connected = false;
    HidPlatform::Handle DeviceHandle = HidPlatform::NullHandle;
    std::array<std::uint8_t, 1024> InputReport{};
    std::array<std::uint8_t, 1024> OutputReport{};
    Payload CommandBuffer{};
    std::int32_t VendorId = ToolVendorId;
    std::int32_t ProductId = ToolProductId;
    std::int32_t ReportLength = 64;

    HidPlatform& platform() { return platform_; }
    Clock& clock() { return clock_; }

private:
    void diag(const QString& line);
    // Clears CommandBuffer and sets its code.
    Payload& begin(Cmd code);

    HidPlatform& platform_;
    Clock& clock_;
    std::function<void(const QString&)> sink_;
    bool diagnosticsEnabled_ = false;
    HidReportBytes wire_{};
};

// Puts text (Windows-1252) into payload from offset on, cut so that at least one zero byte stays
// before the end of the payload; maxChars limits it further.
void putText(Payload& payload, std::size_t offset, const QString& text, std::size_t maxChars);
// Text from offset up to the first zero byte, or to the end of the payload if it holds none.
QString takeText(const Payload& payload, std::size_t offset);
