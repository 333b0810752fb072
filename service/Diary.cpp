// Transfer of the customer and service diaries over the tool's file commands, from request
// buffers of its own so that the shared command buffer keeps the last command's reply.
#include "service/Diary.h"

#include "link/Usbhidinterface.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <cstring>

namespace {

void setRange(const DiaryProgress& p, int minimum, int maximum)
{
    if (p.setRange)
        p.setRange(minimum, maximum);
}

void setPosition(const DiaryProgress& p, int position)
{
    if (p.setPosition)
        p.setPosition(position);
}

// Copies a name into the payload from offset on, at most maxChars characters; the zero filling
// of the request terminates it.
void putName(Payload& payload, std::size_t offset, const char* name, std::size_t maxChars)
{
    const std::size_t n = std::min({std::strlen(name), maxChars, PayloadSize - 1 - offset});
    std::memcpy(payload.data() + offset, name, n);
}

Payload request(Cmd code)
{
    Payload p{};
    p[0] = static_cast<std::uint8_t>(code);
    return p;
}

}  // namespace

const char* diaryFileName(DiaryKind kind)
{
    switch (kind) {
    case DiaryKind::Customer:
        return "KTB";
    case DiaryKind::Service:
        return "STB";
    }
    return "";
}

bool ReadDiary(TUsbHidInterface& link, DiaryKind kind, std::string& bytes, const DiaryProgress& progress)
{
    using namespace DiaryWire;
    bytes.clear();
    const char* name = diaryFileName(kind);
    if (*name == '\0')
        return false;

    Payload open = request(Cmd::FileOpenSized);
    putName(open, OpenName, name, PayloadSize);
    if (!link.Exchange(open) || open[OpenStatus] != 0)
        return false;

    const int size = (open[OpenSize] << 8) | open[OpenSize + 1];
    setRange(progress, 0, size);
    bytes.reserve(static_cast<std::size_t>(size) + ChunkMax);

    int remaining = size;
    while (remaining > 0) {
        setPosition(progress, size - remaining);
        Payload chunk = request(Cmd::FileRead);
        if (!link.Exchange(chunk) || chunk[ReadStatus] != 0) {
            bytes.clear();
            return false;
        }
        const std::size_t n = chunk[ReadCount];
        if (n == 0 || n > ChunkMax) {
            bytes.clear();
            return false;
        }
        // As text a chunk ends at its first zero byte; the count still says how far the file went.
        const auto* begin = chunk.data() + ReadData;
        const auto* end = std::find(begin, begin + n, std::uint8_t{0});
        bytes.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(end - begin));
        remaining -= static_cast<int>(n);
    }

    setPosition(progress, 0);
    // The tool expects one read past the end before the file counts as closed; its answer says nothing new.
    Payload last = request(Cmd::FileRead);
    link.Exchange(last);
    return true;
}

DiaryWriteResult WriteDiary(TUsbHidInterface& link, DiaryKind kind, std::string_view bytes,
                            const DiaryProgress& progress)
{
    using namespace DiaryWire;
    const char* name = diaryFileName(kind);
    if (*name == '\0')
        return DiaryWriteResult::UnknownKind;

    if (link.Connected && !bytes.empty()) {
        // The tool could store a longer diary but never announce its length: it would not read back.
        if (bytes.size() > DiaryMaxBytes)
            return DiaryWriteResult::TooLong;
        const int len = static_cast<int>(bytes.size());
        setRange(progress, 0, len);
        bool first = true;
        for (int pos = 0; pos < len;) {
            const int n = std::min(len - pos, static_cast<int>(ChunkMax));
            Payload chunk = request(Cmd::FileWrite);
            chunk[WriteFirst] = first ? 1 : 0;
            chunk[WriteCount] = static_cast<std::uint8_t>(n);
            putName(chunk, WriteName, name, WriteNameMax);
            std::memcpy(chunk.data() + WriteData, bytes.data() + pos, static_cast<std::size_t>(n));
            if (!link.Exchange(chunk))
                return DiaryWriteResult::Failed;
            pos += n;
            setPosition(progress, pos);
            first = false;
        }
    }
    setPosition(progress, 0);
    return DiaryWriteResult::Written;
}

QString diaryTextFromBytes(std::string_view bytes)
{
    QString text = fromCp1252(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::string diaryBytesFromText(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    t.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    t.replace(QChar::LineSeparator, QLatin1Char('\n'));
    t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return toCp1252(t);
}
