// Transport and command operations of the tool link. Every request is one output report; the reply
// is the first feature report that echoes the request's command code.
#include "link/Usbhidinterface.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cstring>

namespace {
// Offsets of command arguments and reply fields.
constexpr std::size_t TextArgOffset = 1;       // 0x33/0x34 path
constexpr std::size_t FindFirstOffset = 1;     // 0x37
constexpr std::size_t FindPatternOffset = 2;   // 0x37
constexpr std::size_t FindFoundOffset = 1;     // 0x37 reply
constexpr std::size_t FindNameOffset = 2;      // 0x37 reply
constexpr std::size_t MaxPathChars = 62;
constexpr std::size_t MaxPatternChars = 61;
constexpr std::size_t OpenStatusOffset = 2;    // 0x33 reply
constexpr std::size_t ReadStatusOffset = 1;    // 0x31 reply
constexpr std::size_t ReadCountOffset = 2;     // 0x31 reply
constexpr std::size_t ReadDataOffset = 3;      // 0x31 reply
constexpr std::size_t VersionTextOffset = 1;   // 0x02/0x03 reply
constexpr std::size_t PageNumberOffset = 1;    // 0x60/0x61
constexpr std::size_t MorePagesOffset = 1;     // 0x60 reply
constexpr std::size_t PageDataOffset = 2;      // 0x60 reply
constexpr std::size_t WriteCountOffset = 2;    // 0x61
constexpr std::size_t WriteDataOffset = 3;     // 0x61
constexpr std::size_t ArgCountOffset = 1;      // commands with an argument count
constexpr std::size_t ArgsOffset = 2;

void put16(Payload& p, std::size_t o, std::uint16_t v)
{
    p[o] = static_cast<std::uint8_t>(v >> 8);
    p[o + 1] = static_cast<std::uint8_t>(v);
}

void put32(Payload& p, std::size_t o, std::uint32_t v)
{
    p[o] = static_cast<std::uint8_t>(v >> 24);
    p[o + 1] = static_cast<std::uint8_t>(v >> 16);
    p[o + 2] = static_cast<std::uint8_t>(v >> 8);
    p[o + 3] = static_cast<std::uint8_t>(v);
}
}  // namespace

void putText(Payload& payload, std::size_t offset, const QString& text, std::size_t maxChars)
{
    if (offset >= payload.size())
        return;
    const std::string bytes = toCp1252(text);
    // At least one zero byte must stay before the end of the payload to terminate the text.
    const std::size_t room = payload.size() - offset - 1;
    const std::size_t n = std::min({bytes.size(), maxChars, room});
    std::memcpy(payload.data() + offset, bytes.data(), n);
    std::fill(payload.begin() + static_cast<std::ptrdiff_t>(offset + n), payload.end(), std::uint8_t{0});
}

QString takeText(const Payload& payload, std::size_t offset)
{
    if (offset >= payload.size())
        return {};
    const auto begin = payload.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = std::find(begin, payload.end(), std::uint8_t{0});
    return fromCp1252(std::string_view(reinterpret_cast<const char*>(&*begin), static_cast<std::size_t>(end - begin)));
}

TUsbHidInterface::TUsbHidInterface(HidPlatform& platform, Clock& clock) : platform_(platform), clock_(clock) {}

TUsbHidInterface::~TUsbHidInterface() { Close(); }

void TUsbHidInterface::diag(const QString& line)
{
    if (diagnosticsEnabled_ && sink_)
        sink_(line);
}

// --- transport ----------------------------------------------------------------------------------

bool TUsbHidInterface::Open(std::int32_t vendorId, std::int32_t productId, std::int32_t version)
{
    Connected = false;
    diag(QStringLiteral("Suche nach angeschlossenen USB-Geräten:"));
    const auto mismatch = [&](const HidAttributes& a) {
        return (vendorId != 0 && vendorId != a.vendorId) || (productId != 0 && productId != a.productId) ||
               (version != 0 && version != a.versionNumber);
    };
    const auto attributesLine = [this](const HidAttributes& a) {
        if (diagnosticsEnabled_)
            diag(QString::asprintf("\tVID=%04Xh; PID=%04Xh; VERS=%dd", a.vendorId, a.productId, a.versionNumber));
    };
    // One enumeration per search: it already names every interface's ids, so only a match is
    // opened, and other HID devices on the machine are never touched.
    for (const HidInterfaceInfo& info : platform_.enumerate()) {
        diag(QStringLiteral("\tSetupDiEnumDeviceInterfaces(): 1"));
        if (info.path.empty()) {
            // As the first Windows version did: an unreadable path ends the search.
            diag(QStringLiteral("\tSetupDiGetDeviceInterfaceDetail(): 0"));
            return false;
        }
        if (mismatch(info.attributes)) {
            attributesLine(info.attributes);
            continue;
        }
        const HidPlatform::Handle handle = OpenInterface(info);
        // The device behind the path may have changed since the enumeration: its own ids decide.
        HidAttributes attributes;
        const bool readable = platform_.getAttributes(handle, attributes);
        attributesLine(attributes);
        if (!readable || mismatch(attributes)) {
            platform_.close(handle);
            continue;
        }
        VendorId = vendorId;
        ProductId = productId;
        DeviceHandle = handle;
        Connected = true;
        return true;
    }
    diag(QStringLiteral("\tSetupDiEnumDeviceInterfaces(): 0"));
    return false;
}

HidPlatform::Handle TUsbHidInterface::OpenInterface(const HidInterfaceInfo& info)
{
    if (diagnosticsEnabled_)
        diag(QStringLiteral("\tDevicePath: %1").arg(QString::fromLocal8Bit(info.path.c_str())));
    HidPlatform::Handle handle = platform_.open(info.path);
    if (handle == HidPlatform::NullHandle)  // a platform must not hand out null for a failed open
        handle = HidPlatform::InvalidHandle;
    if (diagnosticsEnabled_)
        diag(QString::asprintf("\tdeviceHandle: %d", static_cast<int>(handle)));
    return handle;
}

void TUsbHidInterface::Close()
{
    if (DeviceHandle != HidPlatform::NullHandle)
        platform_.close(DeviceHandle);
    DeviceHandle = HidPlatform::NullHandle;
    Connected = false;
}

bool TUsbHidInterface::Exchange(Payload& buffer)
{
    const std::uint8_t code = buffer[0];
    OutputReport[0] = 0;
    std::memcpy(OutputReport.data() + 1, buffer.data(), PayloadSize);
    if (DeviceHandle == HidPlatform::NullHandle) {
        Connected = false;
        return false;
    }
    std::memcpy(wire_.data(), OutputReport.data(), HidReportSize);
    if (!platform_.writeOutputReport(DeviceHandle, wire_)) {
        Connected = false;
        return false;
    }
    buffer.fill(0);
    const std::uint64_t start = clock_.tickMs();
    for (;;) {
        if (!ReadFeature(buffer))
            return false;
        if (buffer[0] == code)
            return true;
        if (buffer[0] == ReplyBusy && !(buffer[1] == 1 && buffer[2] != 0))
            return false;
        // Busy, empty or stale: poll again, but never for ever.
        if (clock_.tickMs() - start >= ExchangeTimeoutMs)
            return false;
    }
}

bool TUsbHidInterface::WriteRequest(const Payload& buffer)
{
    OutputReport[0] = 0;
    std::memcpy(OutputReport.data() + 1, buffer.data(), PayloadSize);
    if (DeviceHandle == HidPlatform::NullHandle) {
        Connected = false;
        return false;
    }
    std::memcpy(wire_.data(), OutputReport.data(), HidReportSize);
    return platform_.writeOutputReport(DeviceHandle, wire_);
}

bool TUsbHidInterface::ReadFeature(Payload& buffer)
{
    InputReport.fill(0);
    if (DeviceHandle == HidPlatform::NullHandle) {
        Connected = false;
        return false;
    }
    wire_.fill(0);  // report id 0
    if (!platform_.getFeatureReport(DeviceHandle, wire_))
        return false;
    std::memcpy(InputReport.data(), wire_.data(), HidReportSize);
    std::memcpy(buffer.data(), InputReport.data() + 1, PayloadSize);
    return true;
}

// --- command operations -------------------------------------------------------------------------

Payload& TUsbHidInterface::begin(Cmd code)
{
    CommandBuffer.fill(0);
    CommandBuffer[0] = static_cast<std::uint8_t>(code);
    return CommandBuffer;
}

bool TUsbHidInterface::CmdGetInfo(Payload& destination)
{
    begin(Cmd::GetInfo);
    if (!Exchange(CommandBuffer))
        return false;
    destination = CommandBuffer;
    return true;
}

bool TUsbHidInterface::ReadVersions(QString& firmware, QString& bootloader)
{
    firmware.clear();
    bootloader.clear();
    begin(Cmd::GetFirmwareVersion);
    if (!Exchange(CommandBuffer))
        return false;
    const QString fw = takeText(CommandBuffer, VersionTextOffset);
    begin(Cmd::GetBootloaderVersion);
    if (!Exchange(CommandBuffer))
        return false;
    firmware = fw;
    bootloader = takeText(CommandBuffer, VersionTextOffset);
    return true;
}

bool TUsbHidInterface::CmdFormatStore()
{
    begin(Cmd::FormatStore);
    return Exchange(CommandBuffer);
}

bool TUsbHidInterface::CmdSetTime(std::uint8_t hour, std::uint8_t minute, std::uint8_t second)
{
    Payload& p = begin(Cmd::SetTime);
    p[ArgCountOffset] = 3;
    p[ArgsOffset] = hour;
    p[ArgsOffset + 1] = minute;
    p[ArgsOffset + 2] = second;
    return Exchange(p);
}

bool TUsbHidInterface::CmdSetDate(std::uint8_t day, std::uint8_t month, std::uint16_t year)
{
    Payload& p = begin(Cmd::SetDate);
    p[ArgCountOffset] = 4;
    p[ArgsOffset] = day;
    p[ArgsOffset + 1] = month;
    put16(p, ArgsOffset + 2, year);
    return Exchange(p);
}

bool TUsbHidInterface::CmdFindFile(bool first, const QString& pattern, QString& destination)
{
    Payload& p = begin(Cmd::FindFile);
    p[FindFirstOffset] = first ? 1 : 0;
    putText(p, FindPatternOffset, pattern, MaxPatternChars);
    if (!Exchange(p))
        return false;
    if (CommandBuffer[FindFoundOffset] != 0)
        destination = takeText(CommandBuffer, FindNameOffset);
    else
        destination.clear();
    return true;
}

int TUsbHidInterface::ReadToolFile(const QString& path, std::span<std::uint8_t> buffer)
{
    Payload& p = begin(Cmd::FileOpen);
    putText(p, TextArgOffset, path, MaxPathChars);
    if (!Exchange(p) || CommandBuffer[OpenStatusOffset] != 0)
        return 0;
    std::size_t total = 0;
    for (std::size_t chunk = 0;; ++chunk) {
        begin(Cmd::FileRead);
        if (!Exchange(CommandBuffer) || CommandBuffer[ReadStatusOffset] != 0)
            return 0;
        const std::size_t n = CommandBuffer[ReadCountOffset];
        const std::size_t at = chunk * FileChunkSize;
        // Every chunk lands at a multiple of 32 with all 32 bytes, the empty last one included:
        // a file whose chunks would not fit is refused rather than cut or overrun.
        if (n > FileChunkSize || at + FileChunkSize > buffer.size())
            return 0;
        std::memcpy(buffer.data() + at, CommandBuffer.data() + ReadDataOffset, FileChunkSize);
        total += n;
        if (n == 0)
            break;
    }
    begin(Cmd::FileRead);
    (void)Exchange(CommandBuffer);
    return static_cast<int>(total);
}

bool TUsbHidInterface::CmdCalibStart()
{
    begin(Cmd::CalibStart);
    return Exchange(CommandBuffer);
}

bool TUsbHidInterface::CmdCalibSet(std::int32_t first, std::int32_t second)
{
    Payload& p = begin(Cmd::CalibSet);
    put32(p, 1, static_cast<std::uint32_t>(first));
    put32(p, 5, static_cast<std::uint32_t>(second));
    return Exchange(p);
}

namespace {
bool setCounter(TUsbHidInterface& link, Payload& p, std::int32_t value)
{
    p[ArgCountOffset] = 4;
    put32(p, ArgsOffset, static_cast<std::uint32_t>(value));
    return link.Exchange(p);
}
}  // namespace

bool TUsbHidInterface::CmdSetServiceCounter(std::int32_t value)
{
    return setCounter(*this, begin(Cmd::SetServiceCounter), value);
}

bool TUsbHidInterface::CmdSetCycleCounter(std::int32_t value)
{
    return setCounter(*this, begin(Cmd::SetCycleCounter), value);
}

bool TUsbHidInterface::CmdSetOperatingTime(std::int32_t value)
{
    return setCounter(*this, begin(Cmd::SetOperatingTime), value);
}

bool TUsbHidInterface::CmdGetWarranty(std::uint32_t& day, std::uint32_t& month, std::uint32_t& year,
                                      std::uint32_t& hour, std::uint32_t& minute)
{
    begin(Cmd::GetWarranty);
    if (!Exchange(CommandBuffer)) {
        day = month = year = hour = minute = 255;
        return false;
    }
    const Payload& r = CommandBuffer;
    day = r[2];
    month = r[3];
    year = (static_cast<std::uint32_t>(r[4]) << 8) | r[5];
    hour = r[6];
    minute = r[7];
    return true;
}

bool TUsbHidInterface::CmdClearWarranty()
{
    Payload& p = begin(Cmd::ClearWarranty);
    p[ArgCountOffset] = 0;
    return Exchange(p);
}

bool TUsbHidInterface::CmdSetWarranty(std::uint8_t hour, std::uint8_t minute, std::uint8_t day, std::uint8_t month,
                                      std::uint16_t year)
{
    Payload& p = begin(Cmd::SetWarranty);
    p[ArgCountOffset] = 6;
    p[2] = day;
    p[3] = month;
    put16(p, 4, year);
    p[6] = hour;
    p[7] = minute;
    return Exchange(p);
}

bool TUsbHidInterface::CmdParamRead(std::span<std::uint8_t> destination)
{
    const std::size_t pageCapacity = destination.size() / ParamPageSize;
    for (std::size_t page = 0;; ++page) {
        // A tool that keeps announcing pages beyond what the destination holds is not followed.
        if (page >= pageCapacity || page > 0xFF)
            return false;
        Payload& p = begin(Cmd::ParamRead);
        p[PageNumberOffset] = static_cast<std::uint8_t>(page);
        if (!Exchange(p))
            return false;
        std::memcpy(destination.data() + page * ParamPageSize, CommandBuffer.data() + PageDataOffset, ParamPageSize);
        if (CommandBuffer[MorePagesOffset] == 0)
            return true;
    }
}

bool TUsbHidInterface::CmdParamWrite(std::span<const std::uint8_t> source, int length)
{
    int remaining = length;
    std::size_t page = 0;
    do {
        Payload& p = begin(Cmd::ParamWrite);
        p[PageNumberOffset] = static_cast<std::uint8_t>(page);
        p[WriteCountOffset] = static_cast<std::uint8_t>(std::clamp(remaining, 0, static_cast<int>(ParamPageSize)));
        const std::size_t from = page * ParamPageSize;
        if (from < source.size()) {
            const std::size_t n = std::min(ParamPageSize, source.size() - from);
            std::memcpy(p.data() + WriteDataOffset, source.data() + from, n);
        }
        if (!Exchange(p))
            return false;
        remaining -= static_cast<int>(ParamPageSize);
        ++page;
    } while (remaining > 0);
    return true;
}

bool TUsbHidInterface::CmdParamStore()
{
    begin(Cmd::ParamStore);
    return Exchange(CommandBuffer);
}

bool TUsbHidInterface::CmdTestLeds(std::uint8_t state1, std::uint8_t state2)
{
    Payload& p = begin(Cmd::TestLeds);
    p[ArgCountOffset] = 2;
    p[ArgsOffset] = state1;
    p[ArgsOffset + 1] = state2;
    return Exchange(p);
}

bool TUsbHidInterface::CmdTestMotor(std::uint8_t mode)
{
    Payload& p = begin(Cmd::TestMotor);
    p[ArgCountOffset] = 1;
    p[ArgsOffset] = mode;
    return Exchange(p);
}

bool TUsbHidInterface::CmdTestStandby()
{
    Payload& p = begin(Cmd::TestStandby);
    p[ArgCountOffset] = 0;
    return Exchange(p);
}
