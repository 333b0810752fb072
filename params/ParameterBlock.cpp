// Little-endian codec of the parameter block; offsets are the named constants of the header.
#include "params/ParameterBlock.h"

#include "link/Usbhidinterface.h"
#include "platform/Cp1252.h"

#include <algorithm>
#include <cstring>

namespace {
using Bytes = std::span<const std::uint8_t, ParameterBlockSize>;

std::uint32_t u32(Bytes b, std::size_t o)
{
    return static_cast<std::uint32_t>(b[o]) | (static_cast<std::uint32_t>(b[o + 1]) << 8) |
           (static_cast<std::uint32_t>(b[o + 2]) << 16) | (static_cast<std::uint32_t>(b[o + 3]) << 24);
}
std::uint16_t u16(Bytes b, std::size_t o)
{
    return static_cast<std::uint16_t>(b[o] | (b[o + 1] << 8));
}
template <std::size_t N>
void copyOut(Bytes b, std::size_t o, std::array<std::uint8_t, N>& dst)
{
    std::copy_n(b.begin() + static_cast<std::ptrdiff_t>(o), N, dst.begin());
}

void put32(ParameterBlockBytes& b, std::size_t o, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[o + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(ParameterBlockBytes& b, std::size_t o, std::uint16_t v)
{
    b[o] = static_cast<std::uint8_t>(v);
    b[o + 1] = static_cast<std::uint8_t>(v >> 8);
}
template <std::size_t N>
void copyIn(ParameterBlockBytes& b, std::size_t o, const std::array<std::uint8_t, N>& src)
{
    std::copy(src.begin(), src.end(), b.begin() + static_cast<std::ptrdiff_t>(o));
}
}  // namespace

ParameterBlock ParameterBlock::decode(std::span<const std::uint8_t, ParameterBlockSize> b)
{
    namespace O = ParamOffset;
    ParameterBlock p;
    p.LayoutVersion = u32(b, O::LayoutVersion);
    copyOut(b, O::Text, p.Text);
    copyOut(b, O::MaschNr, p.MaschNr);
    copyOut(b, O::Typ, p.Typ);
    p.Kennung = u32(b, O::Kennung);
    p.Ruecklaufzeit = u32(b, O::Ruecklaufzeit);
    p.MaxPresszeit = u32(b, O::MaxPresszeit);
    p.TestUBattMin = u32(b, O::TestUBattMin);
    p.TestUBattWarnung = u32(b, O::TestUBattWarnung);
    p.ServiceIntervall = u32(b, O::ServiceIntervall);
    p.StartGarantie = static_cast<std::int32_t>(u32(b, O::StartGarantie));
    copyOut(b, O::Reserved128, p.Reserved128);
    p.AwNomVal = u32(b, O::AwNomVal);
    p.AwKalVal = u32(b, O::AwKalVal);
    p.AwSprung = b[O::AwSprung];
    p.MinAw = b[O::MinAw];
    p.MinAwGelb = b[O::MinAwGelb];
    p.MinAwGruen = b[O::MinAwGruen];
    p.MaxAwGelb = b[O::MaxAwGelb];
    p.MaxAwGruen = b[O::MaxAwGruen];
    p.TestUBattPWM = b[O::TestUBattPWM];
    p.RucklaufPwmStart = b[O::RucklaufPwmStart];
    p.RucklaufPwmHold = b[O::RucklaufPwmHold];
    p.MinTemp = static_cast<std::int8_t>(b[O::MinTemp]);
    p.MaxTemp = static_cast<std::int8_t>(b[O::MaxTemp]);
    p.Flags = b[O::Flags];
    p.AbschaltdruckMin = u16(b, O::AbschaltdruckMin);
    p.AbschaltdruckMax = u16(b, O::AbschaltdruckMax);
    p.CntDs0bar = u16(b, O::CntDs0bar);
    p.CntDs1000bar = u16(b, O::CntDs1000bar);
    p.Kolbendurchmesser = b[O::Kolbendurchmesser];
    copyOut(b, O::Reserved161, p.Reserved161);
    return p;
}

ParameterBlockBytes ParameterBlock::encode() const
{
    namespace O = ParamOffset;
    ParameterBlockBytes b{};
    put32(b, O::LayoutVersion, LayoutVersion);
    copyIn(b, O::Text, Text);
    copyIn(b, O::MaschNr, MaschNr);
    copyIn(b, O::Typ, Typ);
    put32(b, O::Kennung, Kennung);
    put32(b, O::Ruecklaufzeit, Ruecklaufzeit);
    put32(b, O::MaxPresszeit, MaxPresszeit);
    put32(b, O::TestUBattMin, TestUBattMin);
    put32(b, O::TestUBattWarnung, TestUBattWarnung);
    put32(b, O::ServiceIntervall, ServiceIntervall);
    put32(b, O::StartGarantie, static_cast<std::uint32_t>(StartGarantie));
    copyIn(b, O::Reserved128, Reserved128);
    put32(b, O::AwNomVal, AwNomVal);
    put32(b, O::AwKalVal, AwKalVal);
    b[O::AwSprung] = AwSprung;
    b[O::MinAw] = MinAw;
    b[O::MinAwGelb] = MinAwGelb;
    b[O::MinAwGruen] = MinAwGruen;
    b[O::MaxAwGelb] = MaxAwGelb;
    b[O::MaxAwGruen] = MaxAwGruen;
    b[O::TestUBattPWM] = TestUBattPWM;
    b[O::RucklaufPwmStart] = RucklaufPwmStart;
    b[O::RucklaufPwmHold] = RucklaufPwmHold;
    b[O::MinTemp] = static_cast<std::uint8_t>(MinTemp);
    b[O::MaxTemp] = static_cast<std::uint8_t>(MaxTemp);
    b[O::Flags] = Flags;
    put16(b, O::AbschaltdruckMin, AbschaltdruckMin);
    put16(b, O::AbschaltdruckMax, AbschaltdruckMax);
    put16(b, O::CntDs0bar, CntDs0bar);
    put16(b, O::CntDs1000bar, CntDs1000bar);
    b[O::Kolbendurchmesser] = Kolbendurchmesser;
    copyIn(b, O::Reserved161, Reserved161);
    return b;
}

QString parameterText(const ParameterText& field)
{
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return fromCp1252(std::string_view(reinterpret_cast<const char*>(field.data()),
                                       static_cast<std::size_t>(end - field.begin())));
}

void setParameterText(ParameterText& field, const QString& text, std::size_t maxChars)
{
    field.fill(0);
    const std::string bytes = toCp1252(text);
    const std::size_t n = std::min({bytes.size(), maxChars, field.size()});
    std::memcpy(field.data(), bytes.data(), n);
}

int parameterBlockLength(std::uint32_t layoutVersion)
{
    switch (layoutVersion) {
    case 2: return static_cast<int>(ParameterBlockSizeV2);
    case 3: return static_cast<int>(ParameterBlockSize);
    default: return 0;
    }
}

bool isKnownLayout(std::uint32_t layoutVersion) { return layoutVersion == 2 || layoutVersion == 3; }

std::optional<ParameterBlock> readParameterPages(TUsbHidInterface& link)
{
    // 32 pages; a tool that keeps announcing more makes CmdParamRead fail instead of overrunning.
    std::array<std::uint8_t, 1024> scratch{};
    if (!link.CmdParamRead(scratch))
        return std::nullopt;
    ParameterBlock block = ParameterBlock::decode(std::span<const std::uint8_t, ParameterBlockSize>(
        scratch.data(), ParameterBlockSize));
    if (block.LayoutVersion == 2) {
        // A layout-2 tool may still send further pages; what lies beyond its 160 bytes is not ours.
        std::array<std::uint8_t, ParameterBlockSize> bytes = block.encode();
        std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(ParameterBlockSizeV2), bytes.end(), std::uint8_t{0});
        block = ParameterBlock::decode(bytes);
    }
    return block;
}

bool writeParameterPages(TUsbHidInterface& link, const ParameterBlock& block)
{
    // CmdParamWrite reads whole 32-byte pages; 7 pages cover the 200 bytes.
    std::array<std::uint8_t, 7 * ParamPageSize> pages{};
    const ParameterBlockBytes bytes = block.encode();
    std::copy(bytes.begin(), bytes.end(), pages.begin());
    if (!link.CmdParamWrite(pages, parameterBlockLength(block.LayoutVersion)))
        return false;
    return link.CmdParamStore();
}
