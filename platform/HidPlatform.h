// The operating-system side of the HID transport, kept as small as hidapi's: one enumeration of the
// present interfaces (path and ids), open a path, read the attributes of a handle, write one output
// report, get one feature report, close.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One report on the wire: report id (always 0) followed by the 64-byte payload.
inline constexpr std::size_t HidReportSize = 65;
using HidReportBytes = std::array<std::uint8_t, HidReportSize>;

struct HidAttributes {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t versionNumber = 0;
};

// One present HID interface as the enumeration describes it, without opening it.
struct HidInterfaceInfo {
    std::string path;  // empty: the interface exists but its device path could not be read
    HidAttributes attributes;
};

class HidPlatform {
public:
    // An open device. NullHandle means "no handle"; InvalidHandle is what a failed open returns,
    // which is deliberately not null: the caller then fails to read attributes and moves on.
    using Handle = std::intptr_t;
    static constexpr Handle NullHandle = 0;
    static constexpr Handle InvalidHandle = -1;

    virtual ~HidPlatform() = default;

    // The HID interfaces present now, in enumeration order; every call enumerates afresh.
    virtual std::vector<HidInterfaceInfo> enumerate() = 0;
    // Opens a device path for reading and writing. Returns InvalidHandle on failure, never NullHandle.
    virtual Handle open(const std::string& path) = 0;
    // Reads vendor id, product id and version number; false if they cannot be read (or handle is invalid).
    virtual bool getAttributes(Handle handle, HidAttributes& attributes) = 0;
    // Writes one 65-byte output report (report id first). True when all 65 bytes went out.
    virtual bool writeOutputReport(Handle handle, const HidReportBytes& report) = 0;
    // Gets the 65-byte feature report with report id report[0]. True on success; on failure report is unspecified.
    virtual bool getFeatureReport(Handle handle, HidReportBytes& report) = 0;
    // Closes a handle returned by open (InvalidHandle and NullHandle are ignored).
    virtual void close(Handle handle) = 0;
};
