// The image model behind the FILES library: elements at 32-bit addresses, kept sorted, without
// overlaps, touching neighbours merged; and the reading of HEX text into it.
#pragma once

#include "production/files/FILES.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace files {

struct Element {
    std::uint32_t address = 0;
    std::vector<std::uint8_t> data;
    std::uint64_t end() const { return std::uint64_t{address} + data.size(); }
};

class Image {
public:
    const std::vector<Element>& elements() const { return elements_; }
    std::string name;

    // Adds bytes at address; false (nothing changes) when they would overlap what is there or
    // run past 4 GB. Touching elements become one.
    bool add(std::uint32_t address, std::span<const std::uint8_t> bytes);
    // Replaces element index; false when out of range or the result would overlap.
    bool replace(std::size_t index, std::uint32_t address, std::span<const std::uint8_t> bytes);
    // Keeps only bytes inside the sectors.
    void keepOnly(std::span<const FILES_Sector> sectors);

private:
    std::vector<Element> elements_;
};

// FILES_OK, or FILES_ERR_FORMAT when the text is not an image this library accepts.
unsigned imageFromHex(std::span<const std::uint8_t> text, Image& image);

}  // namespace files
