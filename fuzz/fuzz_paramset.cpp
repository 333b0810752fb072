// Arbitrary bytes as a parameter-set file: reading, checksum and taking it into a block never read
// or write out of bounds, and a checksum or a set written into any file is found there again.
#include "params/ParameterSetFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
const QString& scratchPath()
{
    // Every save syncs the file to disk; in memory that costs nothing and the search stays fast.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/fuzz_paramset-XXXXXX")
                                                                       : QDir::tempPath() + QStringLiteral("/fuzz_paramset-XXXXXX"));
    static const QString path = dir.filePath(QStringLiteral("fuzz.tcf"));
    return path;
}

void writeInput(const std::uint8_t* data, std::size_t size)
{
    QFile f(scratchPath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Real sets are well under 1 KB; a few KB leave room for odd shapes without slowing the search.
    if (size > 8192)
        return 0;
    const QString& path = scratchPath();

    writeInput(data, size);
    {
        const ParameterSetFile f(path);
        ParameterBlock block;
        f.applyTo(block);
        (void)f.checksum();
        (void)f.readText(QStringLiteral("Text"), ParameterSetListTextChars);
        (void)parseParameterSetInt(QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    }

    // The checksum button makes any file valid.
    {
        ParameterSetFile f(path);
        if (f.writeChecksum() && !ParameterSetFile(path).checksumMatches())
            std::abort();
    }

    // Saving a block over whatever the file holds gives a valid file that reads back to the block.
    writeInput(data, size);
    ParameterBlock saved;
    if (size >= ParameterBlockSize) {
        ParameterBlockBytes bytes{};
        std::memcpy(bytes.data(), data, ParameterBlockSize);
        saved = ParameterBlock::decode(bytes);
    }
    const std::uint32_t kennung = saved.Kennung ^ 0x5A5A5A5Au;
    {
        ParameterSetFile f(path);
        if (!f.saveFrom(saved, kennung))
            return 0;
    }
    const ParameterSetFile back(path);
    if (!back.checksumMatches())
        std::abort();
    ParameterBlock read = saved;
    back.applyTo(read);
    const bool same = read.Kennung == kennung && read.Ruecklaufzeit == saved.Ruecklaufzeit &&
                      read.MaxPresszeit == saved.MaxPresszeit && read.TestUBattWarnung == saved.TestUBattWarnung &&
                      read.TestUBattMin == saved.TestUBattMin && read.ServiceIntervall == saved.ServiceIntervall &&
                      read.StartGarantie == saved.StartGarantie && read.TestUBattPWM == saved.TestUBattPWM &&
                      read.RucklaufPwmStart == saved.RucklaufPwmStart && read.RucklaufPwmHold == saved.RucklaufPwmHold &&
                      read.AwSprung == saved.AwSprung && read.MinAw == saved.MinAw && read.MinAwGelb == saved.MinAwGelb &&
                      read.MinAwGruen == saved.MinAwGruen && read.MaxAwGelb == saved.MaxAwGelb &&
                      read.MaxAwGruen == saved.MaxAwGruen && read.MinTemp == saved.MinTemp &&
                      read.MaxTemp == saved.MaxTemp && read.AbschaltdruckMin == saved.AbschaltdruckMin &&
                      read.AbschaltdruckMax == saved.AbschaltdruckMax &&
                      read.Kolbendurchmesser == saved.Kolbendurchmesser && read.Flags == saved.Flags;
    if (!same)
        std::abort();
    return 0;
}
