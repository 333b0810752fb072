// Decoding of the cycle file header (big-endian, fixed offsets).
#include "curves/CycleFile.h"

namespace {
std::uint16_t be16(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}

std::uint32_t be32(std::span<const std::uint8_t> b, std::size_t at)
{
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) | (std::uint32_t{b[at + 2]} << 8) |
           std::uint32_t{b[at + 3]};
}
}  // namespace

int CycleFile::chipTemperature() const
{
    if (ChipTemp > 250)
        return static_cast<int>(ChipTemp & 0x1FF) - 512;
    return ChipTemp;
}

bool CycleFile::headerValid(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < CycleHeaderSize)
        return false;
    if (bytes[CycleOffset::Signature] != CycleSignature0 || bytes[CycleOffset::Signature + 1] != CycleSignature1)
        return false;
    const std::uint16_t version = be16(bytes, CycleOffset::FormatVersion);
    return version == 1 || version == 2;
}

std::optional<CycleFile> CycleFile::decodeHeader(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < CycleHeaderSize)
        return std::nullopt;
    CycleFile f;
    f.FormatVersion = be16(bytes, CycleOffset::FormatVersion);
    f.Day = bytes[CycleOffset::Day];
    f.Month = bytes[CycleOffset::Month];
    f.Year = be16(bytes, CycleOffset::Year);
    f.Hour = bytes[CycleOffset::Hour];
    f.Minute = bytes[CycleOffset::Minute];
    f.Second = bytes[CycleOffset::Second];
    f.CycleCounter = be32(bytes, CycleOffset::CycleCounter);
    f.MotorTimeMs = static_cast<std::int32_t>(be32(bytes, CycleOffset::MotorTimeMs));
    f.ErrorFlags = bytes[CycleOffset::ErrorFlags];
    f.WarningFlags = bytes[CycleOffset::WarningFlags];
    f.SampleIntervalMs = bytes[CycleOffset::SampleIntervalMs];
    f.SwitchOffWorkValue = bytes[CycleOffset::SwitchOffWorkValue];
    f.bands.RedFrom = bytes[CycleOffset::RedFrom];
    f.bands.YellowFrom = bytes[CycleOffset::YellowFrom];
    f.bands.GreenFrom = bytes[CycleOffset::GreenFrom];
    f.bands.GreenTo = bytes[CycleOffset::GreenTo];
    f.bands.YellowTo = bytes[CycleOffset::YellowTo];
    f.bands.CurveSpan = be32(bytes, CycleOffset::CurveSpan);
    f.ChipTemp = be16(bytes, CycleOffset::ChipTemp);
    f.BatteryVoltage10 = bytes[CycleOffset::BatteryVoltage10];
    f.RevolutionTimeMs = bytes[CycleOffset::RevolutionTimeMs];
    return f;
}

std::optional<CycleFile> CycleFile::decode(std::span<const std::uint8_t> bytes)
{
    if (!headerValid(bytes))
        return std::nullopt;
    return decodeHeader(bytes);
}
