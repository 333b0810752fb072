// Elements of an image and HEX text into them, over the record scan the firmware update uses.
#include "production/files/FilesImage.h"

#include "service/hex/HexRecords.h"

#include <algorithm>

namespace files {

namespace {

constexpr std::uint64_t AddressSpace = 0x100000000ull;

}  // namespace

bool Image::add(std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return true;
    const std::uint64_t end = std::uint64_t{address} + bytes.size();
    if (end > AddressSpace)
        return false;
    // First element that ends at or after the new start: the only candidates to touch or overlap.
    auto it = std::lower_bound(elements_.begin(), elements_.end(), address,
                               [](const Element& e, std::uint32_t a) { return e.end() < a; });
    if (it != elements_.end() && it->address < end && std::uint64_t{address} < it->end())
        return false;
    if (it != elements_.end() && it->end() == address) {
        it->data.insert(it->data.end(), bytes.begin(), bytes.end());
        auto next = it + 1;
        if (next != elements_.end() && next->address < it->end())
            return false;  // cannot happen: the next one started after the new end
        if (next != elements_.end() && next->address == it->end()) {
            it->data.insert(it->data.end(), next->data.begin(), next->data.end());
            elements_.erase(next);
        }
        return true;
    }
    if (it != elements_.end() && it->address == end) {
        it->data.insert(it->data.begin(), bytes.begin(), bytes.end());
        it->address = address;
        return true;
    }
    elements_.insert(it, Element{address, std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
    return true;
}

bool Image::replace(std::size_t index, std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    if (index >= elements_.size())
        return false;
    const Element old = elements_[index];
    elements_.erase(elements_.begin() + static_cast<std::ptrdiff_t>(index));
    if (add(address, bytes))
        return true;
    // Put the old one back where it was; it fitted before.
    elements_.insert(elements_.begin() + static_cast<std::ptrdiff_t>(index), old);
    return false;
}

void Image::keepOnly(std::span<const FILES_Sector> sectors)
{
    std::vector<Element> old;
    old.swap(elements_);
    for (const Element& e : old)
        for (const FILES_Sector& s : sectors) {
            const std::uint64_t from = std::max<std::uint64_t>(e.address, s.Address);
            const std::uint64_t to = std::min<std::uint64_t>(e.end(), std::uint64_t{s.Address} + s.Size);
            if (from < to)
                add(static_cast<std::uint32_t>(from),
                    std::span(e.data).subspan(static_cast<std::size_t>(from - e.address), static_cast<std::size_t>(to - from)));
        }
}

unsigned imageFromHex(std::span<const std::uint8_t> text, Image& image)
{
    std::uint32_t base = 0;
    bool segmented = false;
    bool ok = true;
    const auto onRecord = [&](const HexRecord& r) {
        // A controller must hold exactly what the file says: a damaged record is not programmed.
        if (!r.checksumOk)
            return ok = false;
        switch (r.type) {
        case 0x00: {
            if (segmented && std::uint32_t{r.address} + r.data.size() > 0x10000u) {
                // Segment offsets wrap within their 64 KB.
                const std::size_t first = 0x10000u - r.address;
                return ok = image.add(base + r.address, r.data.first(first)) && image.add(base, r.data.subspan(first));
            }
            return ok = image.add(base + r.address, r.data);  // refuses data past 4 GB
        }
        case 0x02:
        case 0x04:
            if (r.data.size() != 2)
                return ok = false;
            segmented = r.type == 0x02;
            base = r.type == 0x02 ? (std::uint32_t{r.data[0]} << 8 | r.data[1]) * 16u
                                  : (std::uint32_t{r.data[0]} << 24 | std::uint32_t{r.data[1]} << 16);
            return true;
        default:
            return true;  // end of file, start addresses, anything newer
        }
    };
    if (!scanHexRecords(text, onRecord, {}) || !ok)
        return FILES_ERR_FORMAT;
    return FILES_OK;
}

}  // namespace files
