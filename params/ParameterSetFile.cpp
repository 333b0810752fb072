// Reading, checking and writing parameter-set files, with the rules the earlier Windows program
// used, so that files move between both programs unchanged.
#include "params/ParameterSetFile.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {
const QString Section = QString::fromLatin1(ParameterSetSection);

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Up to maxChars bytes of text, then a terminating zero; the field's later bytes stay.
void takeText(ParameterText& field, const QString& text, std::size_t maxChars)
{
    const std::string bytes = toCp1252(text);
    const std::size_t n = std::min({bytes.size(), maxChars, field.size() - 1});
    std::memcpy(field.data(), bytes.data(), n);
    field[n] = 0;
}
}  // namespace

std::uint32_t ChecksumStep(std::uint32_t a, std::uint32_t b)
{
    for (int i = 0; i < 8; ++i) {
        if ((a ^ b) & 1u)
            a = (a >> 1) ^ 0xA001u;
        else
            a >>= 1;
        b >>= 1;
    }
    return a;
}

std::int32_t parseParameterSetInt(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    std::uint32_t value = 0;
    if (i + 1 < n && text[i] == QLatin1Char('0') && (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        for (i += 2; i < n; ++i) {
            const int d = hexDigit(text[i]);
            if (d < 0)
                break;
            value = (value << 4) | static_cast<std::uint32_t>(d);
        }
        return static_cast<std::int32_t>(value);
    }
    bool negative = false;
    if (i < n && text[i] == QLatin1Char('-')) {
        negative = true;
        ++i;
    }
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i)
        value = value * 10u + static_cast<std::uint32_t>(text[i].unicode() - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

ParameterSetFile::ParameterSetFile(const QString& path) : profile_(path) {}

std::int32_t ParameterSetFile::readInt(const QString& key) const
{
    return parseParameterSetInt(profile_.readString(Section, key));
}

QString ParameterSetFile::readText(const QString& key, int maxChars) const
{
    return profile_.readString(Section, key).left(maxChars);
}

std::uint16_t ParameterSetFile::checksum() const
{
    std::uint32_t acc = 0xFFFFu;
    for (const char* key : ParameterSetChecksumKeys)
        acc += ChecksumStep(acc, static_cast<std::uint32_t>(readInt(QString::fromLatin1(key))));
    return static_cast<std::uint16_t>(acc & 0xFFFFu);
}

void ParameterSetFile::applyTo(ParameterBlock& block) const
{
    const auto u32 = [this](const char* key) { return static_cast<std::uint32_t>(readInt(QString::fromLatin1(key))); };
    const auto u8 = [&](const char* key) { return static_cast<std::uint8_t>(u32(key) & 0xFFu); };
    const auto u16 = [&](const char* key) { return static_cast<std::uint16_t>(u32(key) & 0xFFFFu); };

    takeText(block.Text, readText(QStringLiteral("Text"), ParameterSetBlockTextChars), ParameterSetBlockTextChars);
    takeText(block.Typ, readText(QStringLiteral("Typ"), ParameterSetBlockTextChars), ParameterSetBlockTextChars);
    block.Kennung = u32("Kennung");
    block.Ruecklaufzeit = u32("Ruecklaufzeit");
    block.MaxPresszeit = u32("MaxPresszeit");
    block.TestUBattWarnung = u32("TestUBattWarnung");
    block.TestUBattMin = u32("TestUBattMin");
    block.TestUBattPWM = u8("TestUBattPWM");
    block.RucklaufPwmStart = u8("RucklaufPwmStart");
    block.RucklaufPwmHold = u8("RucklaufPwmHold");
    block.ServiceIntervall = u32("ServiceIntervall");
    block.StartGarantie = static_cast<std::int32_t>(u32("StartGarantie"));
    block.AwSprung = u8("AwSprung");
    block.MinAw = u8("MinAw");
    block.MinAwGelb = u8("MinAwGelb");
    block.MinAwGruen = u8("MinAwGruen");
    block.MaxAwGelb = u8("MaxAwGelb");
    block.MaxAwGruen = u8("MaxAwGruen");
    block.MinTemp = static_cast<std::int8_t>(u8("MinTemp"));
    block.MaxTemp = static_cast<std::int8_t>(u8("MaxTemp"));
    block.AbschaltdruckMin = u16("AbschaltdruckMin");
    block.AbschaltdruckMax = u16("AbschaltdruckMax");
    block.Kolbendurchmesser = u8("Kolbendurchmesser");
    block.Flags = u8("Flags");
}

void ParameterSetFile::setInt(const char* key, std::int32_t value)
{
    profile_.setString(Section, QString::fromLatin1(key), QString::number(value));
}

bool ParameterSetFile::saveFrom(const ParameterBlock& block, std::uint32_t kennung)
{
    // All numbers go out as signed 32-bit decimals: a 32-bit field above 2^31 - 1 is written
    // negative and reads back to the same bits.
    const auto s32 = [](std::uint32_t v) { return static_cast<std::int32_t>(v); };
    profile_.setString(Section, QStringLiteral("Kennung"), QString::asprintf("0x%08X", kennung));
    profile_.setString(Section, QStringLiteral("Text"), parameterText(block.Text));
    profile_.setString(Section, QStringLiteral("Typ"), parameterText(block.Typ));
    setInt("Ruecklaufzeit", s32(block.Ruecklaufzeit));
    setInt("MaxPresszeit", s32(block.MaxPresszeit));
    setInt("TestUBattWarnung", s32(block.TestUBattWarnung));
    setInt("TestUBattMin", s32(block.TestUBattMin));
    setInt("TestUBattPWM", block.TestUBattPWM);
    setInt("RucklaufPwmStart", block.RucklaufPwmStart);
    setInt("RucklaufPwmHold", block.RucklaufPwmHold);
    setInt("AwSprung", block.AwSprung);
    setInt("MinAw", block.MinAw);
    setInt("MinAwGelb", block.MinAwGelb);
    setInt("MinAwGruen", block.MinAwGruen);
    setInt("MaxAwGelb", block.MaxAwGelb);
    setInt("MaxAwGruen", block.MaxAwGruen);
    setInt("ServiceIntervall", s32(block.ServiceIntervall));
    setInt("StartGarantie", block.StartGarantie);
    setInt("MinTemp", block.MinTemp);
    setInt("MaxTemp", block.MaxTemp);
    setInt("AbschaltdruckMin", block.AbschaltdruckMin);
    setInt("AbschaltdruckMax", block.AbschaltdruckMax);
    setInt("Kolbendurchmesser", block.Kolbendurchmesser);
    setInt("Flags", block.Flags);
    setInt(ParameterSetChecksumKey, checksum());
    return profile_.save();
}

bool ParameterSetFile::writeChecksum()
{
    setInt(ParameterSetChecksumKey, checksum());
    return profile_.save();
}

std::uint16_t ParameterSetChecksum(const QString& path)
{
    return ParameterSetFile(path).checksum();
}
