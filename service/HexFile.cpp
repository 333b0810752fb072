// Intel HEX loader: record scan into an image buffer indexed by flash address, the dump file and
// the log lines of the update log. The file is untrusted: every read is checked against the end
// of the data and every write against the buffer.
#include "service/HexFile.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace {

constexpr std::uint8_t RecordStart = ':';
constexpr std::uint8_t CarriageReturn = 0x0D;
constexpr std::uint8_t LineFeed = 0x0A;

enum class RecordType : std::uint8_t {
    Data = 0x00,
    EndOfFile = 0x01,
    ExtendedSegmentAddress = 0x02,
    ExtendedLinearAddress = 0x04,
    StartLinearAddress = 0x05,
};

// A byte as the log shows it next to its code: printable ASCII as itself, anything else as '?'
// so that no control character lands in the text log.
QChar logChar(std::uint8_t b)
{
    return (b >= 0x20 && b < 0x7F) ? QChar(b) : QChar('?');
}

// Capacity rule of the image buffer: doubling, never less than what addresses need.
void growTo(std::vector<std::uint8_t>& buffer, std::uint64_t needed)
{
    std::uint64_t capacity = buffer.size();
    if (capacity >= needed)
        return;
    while (capacity < needed)
        capacity = capacity == 0 ? FwFlash::PageSize : capacity * 2;
    buffer.resize(static_cast<std::size_t>(capacity), FwFlash::Erased);
}

class RecordScanner {
public:
    RecordScanner(std::span<const std::uint8_t> data, HexImage& image, const FwLogSink& log)
        : data_(data), image_(image), log_(log)
    {
    }

    // The scan of every record up to the end-of-file record or the end of the data.
    bool run()
    {
        for (;;) {
            while (pos_ < data_.size() && (data_[pos_] == CarriageReturn || data_[pos_] == LineFeed)) {
                if (data_[pos_] == LineFeed)
                    ++line_;
                ++pos_;
            }
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
            bool endOfFile = false;
            if (!record(endOfFile))
                return false;
            if (endOfFile)
                return true;
            skipLine();
        }
    }

private:
    void log(const QString& text) const
    {
        if (log_)
            log_(text);
    }

    // One hexadecimal digit, strictly: the end of the data or a non-digit fails the load.
    bool nibble(int& value)
    {
        if (pos_ >= data_.size()) {
            log(QString::asprintf("\tRecord in line %d cut short by the end of the file", line_));
            return false;
        }
        const std::uint8_t c = data_[pos_];
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

    // Two digits at offset at, without failing: only the checksum check reads this way, because a
    // record whose checksum cannot be read still loads.
    std::optional<std::uint8_t> peekByte(std::size_t at) const
    {
        if (at + 1 >= data_.size())
            return std::nullopt;
        const int hi = HexDigitValue(data_[at]);
        const int lo = HexDigitValue(data_[at + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        return static_cast<std::uint8_t>(hi << 4 | lo);
    }

    // Checks the checksum of the current record; dataUnread data bytes still stand before it.
    // A wrong checksum keeps the record (files from older tool chains may carry bad ones) but
    // leaves a trace in the log.
    void checkSum(std::size_t dataUnread)
    {
        std::uint8_t sum = sum_;
        std::size_t at = pos_;
        bool readable = true;
        for (std::size_t k = 0; k <= dataUnread && readable; ++k, at += 2) {
            const std::optional<std::uint8_t> b = peekByte(at);
            readable = b.has_value();
            if (readable)
                sum = static_cast<std::uint8_t>(sum + *b);
        }
        if (!readable || sum != 0)
            log(QString::asprintf("\tWarning: checksum error in line %d", line_));
    }

    bool record(bool& endOfFile)
    {
        sum_ = 0;
        std::uint8_t count = 0;
        std::uint8_t addressHi = 0;
        std::uint8_t addressLo = 0;
        std::uint8_t type = 0;
        if (!byte(count) || !byte(addressHi) || !byte(addressLo) || !byte(type))
            return false;
        const std::uint32_t address = static_cast<std::uint32_t>(addressHi) << 8 | addressLo;

        switch (static_cast<RecordType>(type)) {
        case RecordType::Data: {
            const std::uint64_t start = std::uint64_t{base_} + address;
            const std::uint64_t end = start + count;
            if (end > FwFlash::AddressLimit) {
                log(QString::asprintf("\tData record in line %d lies beyond address %lX", line_,
                                      static_cast<unsigned long>(FwFlash::AddressLimit)));
                return false;
            }
            growTo(image_.ImageBuffer, end);
            image_.DataEnd = std::max(image_.DataEnd, static_cast<std::uint32_t>(end));
            for (std::uint64_t a = start; a < end; ++a) {
                std::uint8_t b = 0;
                if (!byte(b))
                    return false;
                image_.ImageBuffer[static_cast<std::size_t>(a)] = b;
            }
            checkSum(0);
            return true;
        }
        case RecordType::EndOfFile:
            checkSum(count);
            endOfFile = true;
            return true;
        case RecordType::ExtendedSegmentAddress: {
            // The data field is one number; wrapping at 32 bits keeps a malformed count harmless,
            // and the address limit above stops the data records that would follow from it.
            std::uint32_t number = 0;
            for (int k = 0; k < count; ++k) {
                std::uint8_t b = 0;
                if (!byte(b))
                    return false;
                number = number << 8 | b;
            }
            base_ = number * 16u;
            checkSum(0);
            return true;
        }
        case RecordType::ExtendedLinearAddress:
        case RecordType::StartLinearAddress:
            log(QString::asprintf("\tRecordType %02X not yet implemented", type));
            checkSum(count);
            return true;
        }
        checkSum(count);  // every other type is ignored
        return true;
    }

    // Past the next line feed, or to the end of the data when there is none.
    void skipLine()
    {
        const auto it = std::find(data_.begin() + static_cast<std::ptrdiff_t>(pos_), data_.end(), LineFeed);
        if (it == data_.end()) {
            pos_ = data_.size();
            return;
        }
        pos_ = static_cast<std::size_t>(it - data_.begin()) + 1;
        ++line_;
    }

    std::span<const std::uint8_t> data_;
    HexImage& image_;
    const FwLogSink& log_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::uint32_t base_ = 0;
    std::uint8_t sum_ = 0;
};

}  // namespace

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

int HexImage::pageCount() const
{
    if (ImageEnd < FwFlash::ApplicationBase)
        return 1;
    const std::uint32_t lastIndex = (ImageEnd - FwFlash::ApplicationBase) / FwFlash::PageSize + 1;
    return static_cast<int>(std::min<std::uint32_t>(lastIndex + 1, FwFlash::MaxPages));
}

std::vector<int> HexImage::flashPages() const
{
    std::vector<int> pages;
    const int n = pageCount();
    for (int a = 0; a < n; ++a)
        pages.push_back(FwFlash::FirstPage + a);
    return pages;
}

std::array<std::uint8_t, FwFlash::BlockSize> HexImage::block(int pageIndex, int blockIndex) const
{
    std::array<std::uint8_t, FwFlash::BlockSize> out;
    out.fill(FwFlash::Erased);
    if (pageIndex < 0 || blockIndex < 0)
        return out;
    const std::uint64_t address = std::uint64_t{FwFlash::ApplicationBase} +
                                  std::uint64_t(pageIndex) * FwFlash::PageSize +
                                  std::uint64_t(blockIndex) * FwFlash::BlockSize;
    for (std::size_t k = 0; k < out.size(); ++k)
        if (address + k < ImageBuffer.size())
            out[k] = ImageBuffer[static_cast<std::size_t>(address + k)];
    return out;
}

std::span<const std::uint8_t> HexImage::dumpBytes() const
{
    return std::span<const std::uint8_t>(ImageBuffer.data(), std::min<std::size_t>(DataEnd, ImageBuffer.size()));
}

bool LoadHexData(std::span<const std::uint8_t> data, HexImage& image, const FwLogSink& log,
                 const std::function<void(std::span<const std::uint8_t>)>& dump)
{
    const auto say = [&log](const QString& text) {
        if (log)
            log(text);
    };
    image.ImageEnd = 0;
    image.DataEnd = 0;
    image.ImageBuffer.clear();
    // Twice the file's length holds any file of ordinary records; more memory than the
    // addressable range could never be written, so the start stops there.
    image.ImageBuffer.assign(static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t{data.size()} * 2,
                                                                               FwFlash::AddressLimit)),
                             FwFlash::Erased);

    if (!RecordScanner(data, image, log).run())
        return false;

    if (dump)
        dump(image.dumpBytes());

    image.ImageEnd = image.DataEnd;
    say(QString::asprintf("\tFirmware size: %ld Bytes",
                          static_cast<long>(image.ImageEnd) - static_cast<long>(FwFlash::ApplicationBase)));
    if (image.ImageEnd % 4 != 0) {
        const std::uint32_t rounded = (image.ImageEnd + 3) & ~std::uint32_t{3};
        say(QString::asprintf("\tWarning: data not aligned to 32 bits, padded (length was %lX, now %lX)",
                              static_cast<unsigned long>(image.ImageEnd), static_cast<unsigned long>(rounded)));
        image.ImageEnd = rounded;
    }
    if (image.DataEnd > FwFlash::SendLimit)
        say(QString::asprintf("\tWarning: data beyond %lX not sent (image ends at %lX)",
                              static_cast<unsigned long>(FwFlash::SendLimit - 1),
                              static_cast<unsigned long>(image.DataEnd)));

    // The download reads whole pages past the data's end; they must come from the buffer.
    growTo(image.ImageBuffer,
           std::max<std::uint64_t>(image.ImageEnd, std::uint64_t{FwFlash::ApplicationBase} +
                                                       std::uint64_t(image.pageCount()) * FwFlash::PageSize));
    return true;
}

bool LoadHexFile(const QString& path, const std::optional<QString>& dumpDir, HexImage& image, const FwLogSink& log)
{
    const auto say = [&log](const QString& text) {
        if (log)
            log(text);
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        say(QStringLiteral("Can't open %1").arg(path));
        return false;
    }
    const qint64 length = file.isSequential() ? -1 : file.size();
    if (length < 0 || length > MaxHexFileSize) {
        say(QStringLiteral("\tError File Length"));
        return false;
    }
    const QByteArray bytes = file.read(length);
    file.close();
    say(QStringLiteral("\tFile %1 loaded ok").arg(path));

    const auto writeDump = [&dumpDir](std::span<const std::uint8_t> bytesOut) {
        if (!dumpDir)
            return;
        QFile out(QDir(*dumpDir).filePath(QString::fromLatin1(HexDumpFileName)));
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(reinterpret_cast<const char*>(bytesOut.data()), static_cast<qint64>(bytesOut.size()));
    };
    return LoadHexData(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                     static_cast<std::size_t>(bytes.size())),
                       image, log, writeDump);
}
