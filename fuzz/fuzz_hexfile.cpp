// Fuzzes the HEX loader with arbitrary file contents: it must never read past the data, never
// write past the image buffer, and keep the buffer bounded whatever addresses the file claims.
#include "service/HexFile.h"

#include <cstddef>
#include <cstdint>

namespace {
// Larger inputs only repeat records; the loader's cost is linear in the size.
constexpr std::size_t MaxInput = 256 * 1024;
// The buffer starts at most at the address limit and doubles from below it at most once more.
constexpr std::size_t MaxBuffer = 2 * FwFlash::AddressLimit;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > MaxInput)
        return 0;
    HexImage image;
    std::size_t lines = 0;
    const bool ok = LoadHexData(std::span<const std::uint8_t>(data, size), image,
                                [&lines](const QString&) { ++lines; },
                                [&image](std::span<const std::uint8_t> dump) {
                                    if (dump.size() > image.ImageBuffer.size())
                                        __builtin_trap();
                                });
    if (image.ImageBuffer.size() > MaxBuffer)
        __builtin_trap();
    if (!ok)
        return 0;
    if (image.ImageEnd % 4 != 0 || image.ImageEnd < image.DataEnd || lines == 0)
        __builtin_trap();
    const int pages = image.pageCount();
    if (pages < 1 || pages > FwFlash::MaxPages ||
        image.ImageBuffer.size() < FwFlash::ApplicationBase + static_cast<std::size_t>(pages) * FwFlash::PageSize)
        __builtin_trap();
    unsigned sum = 0;
    for (int a = 0; a < pages; ++a)
        for (int i = 0; i < FwFlash::BlocksPerPage; ++i)
            sum += image.block(a, i)[0];
    return sum == 0xFFFFFFFFu ? 1 : 0;  // keeps the reads from being optimised away
}
