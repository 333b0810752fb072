// The tool's configuration record as a value type, with an explicit little-endian codec.
// Layout version 2 is 160 bytes, version 3 is 200; the program always holds 200 bytes.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

class TUsbHidInterface;

inline constexpr std::size_t ParameterBlockSize = 200;
inline constexpr std::size_t ParameterBlockSizeV2 = 160;
inline constexpr std::size_t ParameterTextSize = 32;
// The program writes at most this many characters into a text field.
inline constexpr std::size_t ParameterTextMaxChars = 30;

using ParameterText = std::array<std::uint8_t, ParameterTextSize>;
using ParameterBlockBytes = std::array<std::uint8_t, ParameterBlockSize>;

// Byte offsets of the fields.
namespace ParamOffset {
inline constexpr std::size_t LayoutVersion = 0;
inline constexpr std::size_t Text = 4;
inline constexpr std::size_t MaschNr = 36;
inline constexpr std::size_t Typ = 68;
inline constexpr std::size_t Kennung = 100;
inline constexpr std::size_t Ruecklaufzeit = 104;
inline constexpr std::size_t MaxPresszeit = 108;
inline constexpr std::size_t TestUBattMin = 112;
inline constexpr std::size_t TestUBattWarnung = 116;
inline constexpr std::size_t ServiceIntervall = 120;
inline constexpr std::size_t StartGarantie = 124;
inline constexpr std::size_t Reserved128 = 128;
inline constexpr std::size_t AwNomVal = 132;
inline constexpr std::size_t AwKalVal = 136;
inline constexpr std::size_t AwSprung = 140;
inline constexpr std::size_t MinAw = 141;
inline constexpr std::size_t MinAwGelb = 142;
inline constexpr std::size_t MinAwGruen = 143;
inline constexpr std::size_t MaxAwGelb = 144;
inline constexpr std::size_t MaxAwGruen = 145;
inline constexpr std::size_t TestUBattPWM = 146;
inline constexpr std::size_t RucklaufPwmStart = 147;
inline constexpr std::size_t RucklaufPwmHold = 148;
inline constexpr std::size_t MinTemp = 149;
inline constexpr std::size_t MaxTemp = 150;
inline constexpr std::size_t Flags = 151;
inline constexpr std::size_t AbschaltdruckMin = 152;
inline constexpr std::size_t AbschaltdruckMax = 154;
inline constexpr std::size_t CntDs0bar = 156;
inline constexpr std::size_t CntDs1000bar = 158;
inline constexpr std::size_t Kolbendurchmesser = 160;
inline constexpr std::size_t Reserved161 = 161;
}  // namespace ParamOffset

struct ParameterBlock {
    std::uint32_t LayoutVersion = 0;
    ParameterText Text{};
    ParameterText MaschNr{};
    ParameterText Typ{};
    std::uint32_t Kennung = 0;
    std::uint32_t Ruecklaufzeit = 0;
    std::uint32_t MaxPresszeit = 0;
    std::uint32_t TestUBattMin = 0;
    std::uint32_t TestUBattWarnung = 0;
    std::uint32_t ServiceIntervall = 0;
    std::int32_t StartGarantie = 0;
    std::array<std::uint8_t, 4> Reserved128{};
    std::uint32_t AwNomVal = 0;
    std::uint32_t AwKalVal = 0;
    std::uint8_t AwSprung = 0;
    std::uint8_t MinAw = 0;
    std::uint8_t MinAwGelb = 0;
    std::uint8_t MinAwGruen = 0;
    std::uint8_t MaxAwGelb = 0;
    std::uint8_t MaxAwGruen = 0;
    std::uint8_t TestUBattPWM = 0;
    std::uint8_t RucklaufPwmStart = 0;
    std::uint8_t RucklaufPwmHold = 0;
    std::int8_t MinTemp = 0;
    std::int8_t MaxTemp = 0;
    std::uint8_t Flags = 0;
    std::uint16_t AbschaltdruckMin = 0;
    std::uint16_t AbschaltdruckMax = 0;
    std::uint16_t CntDs0bar = 0;
    std::uint16_t CntDs1000bar = 0;
    std::uint8_t Kolbendurchmesser = 0;
    std::array<std::uint8_t, 39> Reserved161{};

    static ParameterBlock decode(std::span<const std::uint8_t, ParameterBlockSize> bytes);
    ParameterBlockBytes encode() const;

    bool operator==(const ParameterBlock&) const = default;
};

// A text field as shown: the bytes up to the first zero (or all 32), decoded from Windows-1252.
QString parameterText(const ParameterText& field);
// Clears the field and copies at most maxChars characters of text (Windows-1252) into it.
void setParameterText(ParameterText& field, const QString& text, std::size_t maxChars = ParameterTextMaxChars);

// --- transfer -----------------------------------------------------------------------------------
// Bytes a block of this layout occupies on the tool: 160 for layout 2, 200 for layout 3, 0 for any
// other (then a single empty page is written).
int parameterBlockLength(std::uint32_t layoutVersion);
// Layouts this program knows how to show and write.
bool isKnownLayout(std::uint32_t layoutVersion);
// Reads the block page by page (CmdParamRead into a 1024-byte scratch). nullopt when a page exchange
// fails or the tool announces more than 32 pages. The 40 bytes a layout-2 tool does not send are 0.
std::optional<ParameterBlock> readParameterPages(TUsbHidInterface& link);
// Sends the pages for the block's layout (CmdParamWrite) and then commits them (CmdParamStore);
// false as soon as a page or the commit fails, and the commit is then not sent.
bool writeParameterPages(TUsbHidInterface& link, const ParameterBlock& block);
