// Intel HEX record scan. The text is untrusted: every read is checked against the end of the data
// and against the line.
#include "service/hex/HexRecords.h"

#include <array>
#include <optional>

namespace {

constexpr std::uint8_t RecordStart = ':';
constexpr std::uint8_t CarriageReturn = 0x0D;
constexpr std::uint8_t LineFeed = 0x0A;

// A byte as the log shows it next to its code: printable ASCII as itself, anything else as '?'
// so that no control character lands in the text log.
QChar logChar(std::uint8_t b)
{
    return (b >= 0x20 && b < 0x7F) ? QChar(b) : QChar('?');
}

// The record layer: every read is checked against the end of the data and against the line.
class RecordParser {
public:
    RecordParser(std::span<const std::uint8_t> data, const FwLogSink& log) : data_(data), log_(log) {}

    bool run(const HexRecordSink& onRecord)
    {
        for (;;) {
            skipLineEnds();
            if (pos_ >= data_.size())
                return true;
            const std::uint8_t first = data_[pos_];
            if (first != RecordStart) {
                log(QStringLiteral("\tMissing start of record (':') wrong byte %1 / %2")
                        .arg(logChar(first))
                        .arg(QString::asprintf("%02X", first)));
                return false;
            }
            ++pos_;
            HexRecord record;
            record.line = line_;
            std::uint8_t count = 0;
            std::uint8_t addressHi = 0;
            std::uint8_t addressLo = 0;
            sum_ = 0;
            if (!byte(count) || !byte(addressHi) || !byte(addressLo) || !byte(record.type))
                return false;
            record.address = static_cast<std::uint16_t>(addressHi << 8 | addressLo);
            for (std::size_t k = 0; k < count; ++k)
                if (!byte(payload_[k]))
                    return false;
            record.data = std::span<const std::uint8_t>(payload_.data(), count);
            // Older tool chains wrote files with bad or missing checksums; the record still counts.
            const std::optional<std::uint8_t> checksum = peekByte();
            record.checksumOk = checksum && static_cast<std::uint8_t>(sum_ + *checksum) == 0;
            if (!onRecord(record))
                return false;
            if (record.type == EndOfFileType)
                return true;
            skipRestOfLine();
        }
    }

private:
    static constexpr std::uint8_t EndOfFileType = 0x01;

    void log(const QString& text) const
    {
        if (log_)
            log_(text);
    }

    static bool isLineEnd(std::uint8_t b) { return b == CarriageReturn || b == LineFeed; }

    // CR LF, a lone LF and a lone CR each end one line, so line numbers match what an editor shows.
    void skipLineEnds()
    {
        while (pos_ < data_.size() && isLineEnd(data_[pos_])) {
            if (data_[pos_] == CarriageReturn && pos_ + 1 < data_.size() && data_[pos_ + 1] == LineFeed)
                ++pos_;
            ++pos_;
            ++line_;
        }
    }

    void skipRestOfLine()
    {
        while (pos_ < data_.size() && !isLineEnd(data_[pos_]))
            ++pos_;
    }

    // One hexadecimal digit, strictly: the end of the line or of the data, or a non-digit, fails.
    bool nibble(int& value)
    {
        if (pos_ >= data_.size()) {
            log(QString::asprintf("\tRecord in line %d cut short by the end of the file", line_));
            return false;
        }
        const std::uint8_t c = data_[pos_];
        if (isLineEnd(c)) {
            log(QString::asprintf("\tRecord in line %d cut short by the end of the line", line_));
            return false;
        }
        value = HexDigitValue(c);
        if (value < 0) {
            log(QStringLiteral("Wrong Hex-Nibble %1 (%2)").arg(logChar(c)).arg(QString::asprintf("%02X", c)));
            return false;
        }
        ++pos_;
        return true;
    }

    bool byte(std::uint8_t& value)
    {
        int hi = 0;
        int lo = 0;
        if (!nibble(hi) || !nibble(lo))
            return false;
        value = static_cast<std::uint8_t>(hi << 4 | lo);
        sum_ = static_cast<std::uint8_t>(sum_ + value);
        return true;
    }

    // The checksum byte, without failing: a record whose checksum cannot be read still loads.
    std::optional<std::uint8_t> peekByte() const
    {
        if (pos_ + 1 >= data_.size())
            return std::nullopt;
        const int hi = HexDigitValue(data_[pos_]);
        const int lo = HexDigitValue(data_[pos_ + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        return static_cast<std::uint8_t>(hi << 4 | lo);
    }

    std::span<const std::uint8_t> data_;
    const FwLogSink& log_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::uint8_t sum_ = 0;
    std::array<std::uint8_t, 255> payload_{};
};

}  // namespace

bool scanHexRecords(std::span<const std::uint8_t> data, const HexRecordSink& onRecord, const FwLogSink& log)
{
    return RecordParser(data, log).run(onRecord);
}

int HexDigitValue(std::uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

