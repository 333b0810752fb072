// Feeds arbitrary controller answers to every bootloader command: nothing is read or written out
// of bounds, and every call returns within its time-outs on virtual time.
#include "production/stbl/StblSession.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The controller's side: one input byte per answer byte; 0xFD stands for silence at that point.
class FuzzLine final : public stbl::Line {
public:
    FuzzLine(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool write(std::span<const std::uint8_t> bytes) override { return !bytes.empty(); }
    int readByte(std::uint8_t& byte, unsigned timeoutMs) override
    {
        if (at_ < size_ && data_[at_] != 0xFD) {
            byte = data_[at_++];
            return 1;
        }
        if (at_ < size_)
            ++at_;
        now_ += timeoutMs;
        return 0;
    }
    void discardInput() override {}
    std::uint64_t tickMs() override { return now_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::uint64_t now_ = 0;
};

void within(FuzzLine& line, std::uint64_t start, std::uint64_t limit)
{
    if (line.tickMs() - start > limit)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > 8192)
        return 0;
    FuzzLine line(data + 1, size - 1);
    stbl::Session s;
    s.attach(&line);
    const unsigned t = 1 + data[0] * 4u;
    s.setTimeout(t);

    std::array<std::uint8_t, 300> buffer{};
    STBL_Commands commands{};
    std::uint8_t version = 0;
    std::uint64_t start = line.tickMs();
    s.init();
    within(line, start, t);
    start = line.tickMs();
    s.get(&version, &commands);
    within(line, start, 3u * t);
    start = line.tickMs();
    s.erase(255, nullptr);
    within(line, start, t + STBL_ERASE_TIMEOUT_MS);
    const std::array<std::uint8_t, 3> pages{1, 2, 3};
    start = line.tickMs();
    s.erase(3, pages.data());
    within(line, start, t + STBL_ERASE_TIMEOUT_MS);
    start = line.tickMs();
    s.write(0x08000000, buffer.data(), 299, true);  // two requests, the second padded
    within(line, start, 2u * 3u * t);
    start = line.tickMs();
    s.read(0x08000000, buffer.data(), 300);
    within(line, start, 2u * 4u * t);
    start = line.tickMs();
    s.go(0x08000000);
    within(line, start, 2u * t);
    for (std::uint8_t code : {STBL_CMD_READOUT_UNPROTECT, STBL_CMD_READOUT_PROTECT, STBL_CMD_WRITE_UNPROTECT}) {
        start = line.tickMs();
        s.protectionCommand(code);
        within(line, start, t + STBL_PROTECT_TIMEOUT_MS);
    }
    return 0;
}
