// The two text diaries the tool keeps in its data store ("KTB" for the customer, "STB" for the
// service workshop): their transfer in 32-byte chunks, and the conversion between the tool's
// Windows-1252 text with CR LF line breaks and the text a memo shows.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class TUsbHidInterface;

// The numbers are the diary kinds the tool's protocol and the rest of the program use.
enum class DiaryKind { Customer = 1, Service = 2 };

// The tool announces a diary's length in 16 bits, so no longer diary can be read back.
inline constexpr std::size_t DiaryMaxBytes = 65535;

// Request and reply layout of the file commands the diaries use (payload offsets).
namespace DiaryWire {
inline constexpr std::size_t OpenName = 1;        // 0x34 request: file name, zero-terminated
inline constexpr std::size_t OpenStatus = 2;      // 0x34 reply: 0 = open
inline constexpr std::size_t OpenSize = 9;        // 0x34 reply: length, 16-bit big-endian
inline constexpr std::size_t ReadStatus = 1;      // 0x31 reply: 0 = ok
inline constexpr std::size_t ReadCount = 2;       // 0x31 reply: bytes in this chunk
inline constexpr std::size_t ReadData = 3;        // 0x31 reply: chunk bytes
inline constexpr std::size_t WriteFirst = 1;      // 0x32 request: 1 on the first chunk (starts the file anew)
inline constexpr std::size_t WriteCount = 2;      // 0x32 request: bytes in this chunk, 1..32
inline constexpr std::size_t WriteName = 3;       // 0x32 request: file name, zero-terminated
inline constexpr std::size_t WriteNameMax = 16;   // characters of the name field (bytes 3..19)
inline constexpr std::size_t WriteData = 20;      // 0x32 request: chunk bytes
inline constexpr std::size_t ChunkMax = 32;
}  // namespace DiaryWire

// The file name of a diary on the tool; empty for a value that is no diary kind.
const char* diaryFileName(DiaryKind kind);

// The shared progress bar, as far as a transfer drives it. Either function may be empty.
struct DiaryProgress {
    std::function<void(int minimum, int maximum)> setRange;
    std::function<void(int position)> setPosition;
};

// Reads a diary: opens it with its size, reads chunks until the announced length has arrived and
// sends one more read to close the transfer. On success bytes holds the diary (each chunk taken up
// to its first zero byte). False, with bytes empty, when the kind is unknown, the open fails, a
// chunk read fails or reports a bad status, or a chunk's count is 0 or above 32 before the length
// is reached (the tool could otherwise keep the read going without progress).
bool ReadDiary(TUsbHidInterface& link, DiaryKind kind, std::string& bytes, const DiaryProgress& progress = {});

enum class DiaryWriteResult {
    Written,        // every chunk went out, or there was nothing to send (no tool, empty text)
    Failed,         // a chunk exchange failed; the chunks before it are on the tool
    TooLong,        // longer than DiaryMaxBytes: refused before anything was sent
    UnknownKind,
};

// Writes bytes as the diary in chunks of at most 32, the first one flagged so that the tool starts
// the file anew. Without a tool, or with no bytes, nothing is sent (the tool keeps its diary).
DiaryWriteResult WriteDiary(TUsbHidInterface& link, DiaryKind kind, std::string_view bytes,
                            const DiaryProgress& progress = {});

// Tool bytes to memo text: Windows-1252 decoded, every CR LF (and a lone CR or LF) becoming '\n'.
QString diaryTextFromBytes(std::string_view bytes);
// Memo text to tool bytes: every line break ('\n', CR, CR LF, and the paragraph and line separators
// a text document may hold) becomes CR LF, the rest is encoded as Windows-1252 ('?' for what it lacks).
std::string diaryBytesFromText(const QString& text);
