// Windows-1252 codec: a table for 0x80..0x9F, identity with Latin-1 elsewhere.
#include "platform/Cp1252.h"

#include <array>

namespace {
// Unicode code points of bytes 0x80..0x9F; 0 marks the five bytes Windows-1252 leaves unassigned.
constexpr std::array<char16_t, 32> HighTable = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
}

std::string toCp1252(const QString& text)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        char mapped = '?';
        for (std::size_t i = 0; i < HighTable.size(); ++i) {
            if (HighTable[i] != 0 && HighTable[i] == c) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
            if (HighTable[i] == 0 && c == 0x80 + i) {  // unassigned bytes round-trip as C1 controls
                mapped = static_cast<char>(c);
                break;
            }
        }
        out.push_back(mapped);
    }
    return out;
}

QString fromCp1252(std::string_view bytes)
{
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F) {
            const char16_t u = HighTable[b - 0x80];
            out.append(QChar(u != 0 ? u : static_cast<char16_t>(b)));
        } else {
            out.append(QChar(static_cast<char16_t>(b)));
        }
    }
    return out;
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t len = 0;
        std::uint32_t cp = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            cp = b & 0x1Fu;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            cp = b & 0x0Fu;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            cp = b & 0x07u;
        } else {
            return false;
        }
        if (n - i < len)
            return false;
        for (std::size_t k = 1; k < len; ++k) {
            const auto c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

QString decodeTextFile(std::string_view bytes)
{
    // A UTF-8 signature says how the file was meant, even when a later hand edit put a 1252 byte
    // in it; read as 1252 it would become three letters glued to the first line (and hide a
    // section header there), which a save would turn back into the signature.
    static constexpr std::string_view Signature = "\xEF\xBB\xBF";
    while (bytes.substr(0, Signature.size()) == Signature)  // editors that added one twice
        bytes.remove_prefix(Signature.size());
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return fromCp1252(bytes);
}
