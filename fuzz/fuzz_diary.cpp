// Fuzzes the diary read on arbitrary tool replies: the input is cut into 64-byte replies, the
// first answering the open, the rest the chunk reads; once they run out every read fails.
// Also checks that whatever text arrives survives the memo's round trip back to the tool's bytes.
#include "link/Usbhidinterface.h"
#include "service/Diary.h"
#include "tests/support/ScriptedHidPlatform.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Enough replies for a diary of the full 16-bit length in 32-byte chunks, and a few more.
    constexpr std::size_t MaxReplies = 2100;
    if (size > MaxReplies * PayloadSize)
        return 0;

    ScriptedHidPlatform hid = ScriptedHidPlatform::withTool();
    FakeClock clock;
    clock.setAutoAdvanceMs(1);  // a reply stream of stale echoes must still end the exchange
    TUsbHidInterface link(hid, clock);
    if (!link.Open(ToolVendorId, ToolProductId, 0))
        __builtin_trap();
    for (std::size_t at = 0; at < size; at += PayloadSize) {
        Payload p{};
        std::memcpy(p.data(), data + at, std::min(PayloadSize, size - at));
        hid.replyPayload(p);
    }

    std::string bytes;
    const bool ok = ReadDiary(link, DiaryKind::Customer, bytes);
    if (!ok && !bytes.empty())
        __builtin_trap();
    if (bytes.size() > DiaryMaxBytes + DiaryWire::ChunkMax)
        __builtin_trap();
    const QString text = diaryTextFromBytes(bytes);
    if (diaryTextFromBytes(diaryBytesFromText(text)) != text)
        __builtin_trap();
    return 0;
}
