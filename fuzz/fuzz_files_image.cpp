// Feeds arbitrary text to the image library's HEX reading: nothing out of bounds, and whatever it
// accepts is an image of sorted, separate elements within the 32-bit address space.
#include "production/files/FilesImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    files::Image image;
    if (files::imageFromHex(std::span(data, size), image) != FILES_OK)
        return 0;
    std::uint64_t previousEnd = 0;
    bool first = true;
    for (const files::Element& e : image.elements()) {
        if (e.data.empty() || e.end() > 0x100000000ull || (!first && e.address <= previousEnd))
            std::abort();
        previousEnd = e.end();
        first = false;
    }
    return 0;
}
