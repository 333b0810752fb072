// Intel HEX loader: record scan into an image buffer indexed by flash address, the dump file and
// the log lines of the update log. The file is untrusted: every read is checked against the end
// of the data and every write against the buffer.
#include "service/HexFile.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <functional>

namespace {

enum class RecordType : std::uint8_t {
    Data = 0x00,
    EndOfFile = 0x01,
    ExtendedSegmentAddress = 0x02,
    ExtendedLinearAddress = 0x04,
    StartLinearAddress = 0x05,
};

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

// The firmware download's address rules over the records: where data go, what the address
// records do, and which records make a file unusable for the download.
class FirmwareImageBuilder {
public:
    FirmwareImageBuilder(HexImage& image, const FwLogSink& log) : image_(image), log_(log) {}

    bool operator()(const HexRecord& r)
    {
        switch (static_cast<RecordType>(r.type)) {
        case RecordType::Data: {
            const std::uint64_t start = std::uint64_t{base_} + r.address;
            const std::uint64_t end = start + r.data.size();
            // Unreachable with 2-byte segment records; kept so the buffer stays bounded whatever
            // rule places the data.
            if (end > FwFlash::AddressLimit) {
                log(QString::asprintf("\tData record in line %d lies beyond address %lX", r.line,
                                      static_cast<unsigned long>(FwFlash::AddressLimit)));
                return false;
            }
            growTo(image_.ImageBuffer, end);
            image_.DataEnd = std::max(image_.DataEnd, static_cast<std::uint32_t>(end));
            std::copy(r.data.begin(), r.data.end(), image_.ImageBuffer.begin() + static_cast<std::ptrdiff_t>(start));
            if (start < end && start < FwFlash::SendLimit && end > FwFlash::ApplicationBase)
                applicationData_ = true;
            break;
        }
        case RecordType::EndOfFile:
            break;
        case RecordType::ExtendedSegmentAddress:
            if (!addressRecordSize(r))
                return false;
            base_ = (std::uint32_t{r.data[0]} << 8 | r.data[1]) * 16u;
            break;
        case RecordType::ExtendedLinearAddress:
            if (!addressRecordSize(r))
                return false;
            log(QString::asprintf("\tRecordType %02X not yet implemented", r.type));
            break;
        case RecordType::StartLinearAddress:
            log(QString::asprintf("\tRecordType %02X not yet implemented", r.type));
            break;
        }
        // every other type is ignored
        if (!r.checksumOk)
            log(QString::asprintf("\tWarning: checksum error in line %d", r.line));
        return true;
    }

    bool hasApplicationData() const { return applicationData_; }

private:
    void log(const QString& text) const
    {
        if (log_)
            log_(text);
    }

    // Any other length is a damaged or foreign record: read as a number it would move all the data
    // that follow somewhere else without a word.
    bool addressRecordSize(const HexRecord& r) const
    {
        if (r.data.size() == 2)
            return true;
        log(QString::asprintf("\tAddress record (type %02X) in line %d holds %d data bytes instead of 2", r.type,
                              r.line, static_cast<int>(r.data.size())));
        return false;
    }

    HexImage& image_;
    const FwLogSink& log_;
    std::uint32_t base_ = 0;
    bool applicationData_ = false;
};

}  // namespace

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

    FirmwareImageBuilder builder(image, log);
    if (!scanHexRecords(data, std::ref(builder), log))
        return false;
    if (!builder.hasApplicationData()) {
        say(QString::asprintf("\tNo data record for the application area (%lX to %lX)",
                              static_cast<unsigned long>(FwFlash::ApplicationBase),
                              static_cast<unsigned long>(FwFlash::SendLimit - 1)));
        return false;
    }

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
