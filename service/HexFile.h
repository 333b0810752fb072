// Intel HEX firmware files: the loader that turns a file into the flash image the download sends,
// with the log lines the update log keeps, and the flash layout of the tool's application area.
#pragma once

#include "service/hex/HexRecords.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

// Flash layout the download assumes. Nothing below the application base is ever sent; the
// bootloader lives there.
namespace FwFlash {
inline constexpr std::uint32_t ApplicationBase = 0x3000;
inline constexpr std::uint32_t PageSize = 1024;
inline constexpr std::uint32_t BlockSize = 32;
inline constexpr int BlocksPerPage = 32;
inline constexpr int FirstPage = 12;  // ApplicationBase / PageSize
inline constexpr int MaxPages = 49;   // pages 12 to 60
// One past the last address a download may send (0xF400).
inline constexpr std::uint32_t SendLimit = ApplicationBase + MaxPages * PageSize;
// What erased flash reads as: bytes that no record sets.
inline constexpr std::uint8_t Erased = 0xFF;
// One past the highest address that 16-bit segment addressing reaches (segment 0xFFFF, offset
// 0xFFFF, 255 data bytes). A data record beyond it can only come from a damaged file, and
// refusing it keeps the image buffer bounded whatever the file says.
inline constexpr std::uint32_t AddressLimit = 0x110100;
}  // namespace FwFlash

// The largest HEX file the loader reads. Even one data byte per record covers the whole
// addressable range in well under this; anything larger is not a firmware file.
inline constexpr std::int64_t MaxHexFileSize = 64 * 1024 * 1024;


// A loaded image.
struct HexImage {
    // Indexed by flash address; its size is the capacity. Bytes no record sets are FwFlash::Erased.
    // After a successful load it covers every byte of every page the download sends.
    std::vector<std::uint8_t> ImageBuffer;
    // One past the highest address a data record wrote, rounded up to a multiple of 4.
    std::uint32_t ImageEnd = 0;
    // The same before the rounding: how much of the image goes into the dump file.
    std::uint32_t DataEnd = 0;

    // Number of pages the download sends: up to and including the first page that starts beyond
    // ImageEnd, at most FwFlash::MaxPages.
    int pageCount() const;
    // Their flash page numbers (12, 13, ...).
    std::vector<int> flashPages() const;
    // The 32 bytes of block blockIndex (0..31) of page index pageIndex (0..48), taken from
    // ImageBuffer; bytes outside it (only possible before a load) read as erased flash.
    std::array<std::uint8_t, FwFlash::BlockSize> block(int pageIndex, int blockIndex) const;
    // Image bytes 0 .. DataEnd (never more than the buffer holds).
    std::span<const std::uint8_t> dumpBytes() const;
};


// Scans HEX text held in memory into image with the firmware's address rules and writes the
// load's log lines from the record scan on (the size line, the alignment warning and the warnings
// about checksums and unsent data). Type 02 sets a segment base (its data times 16); types 04 and
// 05 are logged and change nothing; both address types must hold exactly 2 data bytes. A file
// without data for the application area (0x3000 to 0xF3FF) fails: it would program erased pages
// over the start of the application.
// dump, if set, receives the image from address 0 to the unrounded end right after the scan, so
// the caller can write the dump file at the point the log expects it. Returns false when the
// data cannot be loaded (the reason is logged); image is then unspecified.
bool LoadHexData(std::span<const std::uint8_t> data, HexImage& image, const FwLogSink& log,
                 const std::function<void(std::span<const std::uint8_t>)>& dump = {});

// The whole load from a file: opens and reads path, scans it (LoadHexData) and writes the image
// dump "debugout.bin" into dumpDir (failures there are ignored; no dump without dumpDir). False
// when the file cannot be read or loaded; the reason is logged.
bool LoadHexFile(const QString& path, const std::optional<QString>& dumpDir, HexImage& image, const FwLogSink& log);

// The dump file's name in the directory the loader writes to.
inline constexpr const char* HexDumpFileName = "debugout.bin";
