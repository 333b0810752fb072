// Unit conversions and edit texts of the parameter block.
#include "params/ParameterConversions.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {
constexpr double Int32Min = -2147483648.0;
constexpr double UInt32End = 4294967296.0;

// Truncates toward zero and keeps the low 32 bits, for values in the signed or unsigned 32-bit range.
std::optional<std::uint32_t> truncTo32(double v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    const double t = std::trunc(v);
    if (t < Int32Min || t >= UInt32End)
        return std::nullopt;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(t));
}

std::uint8_t low8(const QString& text) { return static_cast<std::uint8_t>(parseInteger32(text).value_or(0)); }
}  // namespace

float PistonArea(std::uint8_t diameterMm)
{
    const int squared = diameterMm * diameterMm;
    return static_cast<float>(squared * PistonPi * 0.25);
}

float PressureToForce(std::uint32_t bar, std::uint8_t diameterMm)
{
    const double area = PistonArea(diameterMm);
    return static_cast<float>(bar * 0.1 * area * 0.001);
}

float ForceToPressure(float kN, std::uint8_t diameterMm)
{
    const double area = PistonArea(diameterMm);
    // Without a piston there is no pressure to speak of; dividing would give inf or nan.
    if (area == 0.0)
        return 0.0f;
    return static_cast<float>(static_cast<double>(kN) * 10.0 / area * 1000.0);
}

double RoundToDigits(double value, int digits)
{
    return std::floor(value * std::pow(10.0, digits) + 0.5) * std::pow(10.0, -digits);
}

std::optional<double> parseDecimal(const QString& text)
{
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);  // toDouble always reads "." as the separator
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<std::uint32_t> parseInteger32(const QString& text)
{
    static const QRegularExpression integer(QStringLiteral(R"(^\s*[+-]?\d+\s*$)"));
    if (!integer.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok || v < -2147483648LL || v > 4294967295LL)
        return std::nullopt;
    return static_cast<std::uint32_t>(v);
}

std::optional<std::uint32_t> parseThousandths(const QString& text)
{
    const std::optional<double> v = parseDecimal(text);
    if (!v)
        return std::nullopt;
    return truncTo32(*v * 1000.0);
}

std::uint32_t returnTimeTextToMs(const QString& text)
{
    const std::optional<double> v = parseDecimal(text);
    if (!v)
        return 0;
    const float seconds = static_cast<float>(*v);
    return truncTo32(static_cast<double>(seconds) * 1000.0).value_or(0);
}

QString thousandthsText(std::uint32_t value) { return QString::asprintf("%.1f", value * 0.001); }

QString withDecimalPoint(const QString& text)
{
    QString t = text;
    const qsizetype comma = t.indexOf(QLatin1Char(','));
    if (comma >= 0)
        t[comma] = QLatin1Char('.');
    return t;
}

QString pressureAsForceText(std::uint16_t bar, std::uint8_t diameterMm)
{
    const double kN = RoundToDigits(PressureToForce(bar, diameterMm), 0);
    return QString::number(kN, 'f', QLocale::FloatingPointShortest);
}

std::uint16_t forceTextToPressure(const QString& text, std::uint8_t diameterMm)
{
    const std::optional<double> v = parseDecimal(text);
    if (!v)
        return 0;
    const float kN = static_cast<float>(*v);
    const double bar = ForceToPressure(kN, diameterMm);
    // Only the low 16 bits reach the field; a value too large to truncate at all stores 0.
    if (!std::isfinite(bar) || std::fabs(bar) >= 9.2e18)
        return 0;
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(std::trunc(bar)) & 0xFFFF);
}

ParameterEdits parameterEditTexts(const ParameterBlock& b)
{
    ParameterEdits e;
    e.EditVarianteTxt = parameterText(b.Text);
    e.EditMaschNr = parameterText(b.MaschNr);
    e.EditTyp = parameterText(b.Typ);
    e.Lblkennung = QString::asprintf("%08X", b.Kennung);
    e.EditRlz = thousandthsText(b.Ruecklaufzeit);
    e.EditMaxPz = thousandthsText(b.MaxPresszeit);
    e.EditMinUbattEinsch = thousandthsText(b.TestUBattMin);
    e.EditMinUbattWarnung = thousandthsText(b.TestUBattWarnung);
    e.EditServiceIntervall = QString::number(b.ServiceIntervall);
    e.EditStartGarantie = QString::number(static_cast<std::uint32_t>(b.StartGarantie));
    e.LblAwNomVal = QString::number(b.AwNomVal);
    e.LblAwKalVal = QString::number(b.AwKalVal);
    e.EditAwSprung = QString::number(b.AwSprung);
    e.EditMinAw = QString::number(b.MinAw);
    e.EditMinAwGelb = QString::number(b.MinAwGelb);
    e.EditMinAwGruen = QString::number(b.MinAwGruen);
    e.EditMaxAwGelb = QString::number(b.MaxAwGelb);
    e.EditMaxAwGruen = QString::number(b.MaxAwGruen);
    e.EditPwmBatt = QString::number(b.TestUBattPWM);
    e.EditRucklaufPwmStart = QString::number(b.RucklaufPwmStart);
    e.EditRucklaufPwmHold = QString::number(b.RucklaufPwmHold);
    e.EditMinTemp = QString::number(b.MinTemp);
    e.EditMaxTemp = QString::number(b.MaxTemp);
    e.EditAbschaltdruckMin = pressureAsForceText(b.AbschaltdruckMin, b.Kolbendurchmesser);
    e.EditAbschaltdruckMax = pressureAsForceText(b.AbschaltdruckMax, b.Kolbendurchmesser);
    // Layout 2 has no pressure sensor fields worth showing.
    if (b.LayoutVersion >= 3) {
        e.LblCntDs0bar = QString::number(b.CntDs0bar);
        e.LblCntDs1000bar = QString::number(b.CntDs1000bar);
    }
    e.EditKolbendurchmesser = QString::number(b.Kolbendurchmesser);
    return e;
}

QStringList takeParameterEdits(ParameterBlock& b, ParameterEdits& e)
{
    QStringList debug;
    b.Flags = 0;

    setParameterText(b.Text, e.EditVarianteTxt);
    setParameterText(b.MaschNr, e.EditMaschNr);
    setParameterText(b.Typ, e.EditTyp);

    const auto thousandths = [&debug](const QString& text, const char* name) -> std::uint32_t {
        if (const auto v = parseThousandths(text))
            return *v;
        debug << QStringLiteral("%1: %2").arg(QLatin1String(name), text);
        return 0;
    };
    b.Ruecklaufzeit = thousandths(e.EditRlz, "EditRlz");
    b.MaxPresszeit = thousandths(e.EditMaxPz, "EditMaxPz");
    b.TestUBattWarnung = thousandths(e.EditMinUbattWarnung, "EditMinUbattWarnung");
    b.TestUBattMin = thousandths(e.EditMinUbattEinsch, "EditMinUbattEinsch");

    b.TestUBattPWM = low8(e.EditPwmBatt);
    b.RucklaufPwmStart = low8(e.EditRucklaufPwmStart);
    b.RucklaufPwmHold = low8(e.EditRucklaufPwmHold);
    b.ServiceIntervall = parseInteger32(e.EditServiceIntervall).value_or(0);
    b.StartGarantie = static_cast<std::int32_t>(parseInteger32(e.EditStartGarantie).value_or(0));
    b.AwSprung = low8(e.EditAwSprung);
    b.MinAw = low8(e.EditMinAw);
    b.MinAwGelb = low8(e.EditMinAwGelb);
    b.MinAwGruen = low8(e.EditMinAwGruen);
    b.MaxAwGruen = low8(e.EditMaxAwGruen);
    b.MaxAwGelb = low8(e.EditMaxAwGelb);
    b.MinTemp = static_cast<std::int8_t>(low8(e.EditMinTemp));
    b.MaxTemp = static_cast<std::int8_t>(low8(e.EditMaxTemp));

    e.EditAbschaltdruckMin = withDecimalPoint(e.EditAbschaltdruckMin);
    b.AbschaltdruckMin = forceTextToPressure(e.EditAbschaltdruckMin, b.Kolbendurchmesser);
    e.EditAbschaltdruckMax = withDecimalPoint(e.EditAbschaltdruckMax);
    b.AbschaltdruckMax = forceTextToPressure(e.EditAbschaltdruckMax, b.Kolbendurchmesser);

    b.Kolbendurchmesser = low8(e.EditKolbendurchmesser);
    return debug;
}

void setSerialNumber(ParameterBlock& b, const QString& text)
{
    ParameterText fresh{};
    setParameterText(fresh, text, ParameterTextMaxChars);
    std::copy_n(fresh.begin(), ParameterTextMaxChars, b.MaschNr.begin());
}
