// Unit conversions of the parameter block (bar ↔ kN with the piston, ms ↔ s, mV ↔ V) and the
// texts of the parameter edits in both directions, free of widgets so that every rule is testable.
#pragma once

#include "params/ParameterBlock.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// The tool's firmware works with this value of pi; a more precise one would shift every stored
// switch-off pressure.
inline constexpr double PistonPi = 3.1416;

// Piston area in mm²: d × d × 3.1416 × 0.25, rounded to single precision.
float PistonArea(std::uint8_t diameterMm);
// Kilonewtons on the piston at a pressure in bar, single precision.
float PressureToForce(std::uint32_t bar, std::uint8_t diameterMm);
// Bar needed for a force in kN, single precision; 0 when the piston diameter is 0.
float ForceToPressure(float kN, std::uint8_t diameterMm);
// floor(value × 10^digits + 0.5) × 10^−digits.
double RoundToDigits(double value, int digits);

// --- parsing rules ------------------------------------------------------------------------------
// A decimal number with "." as separator (the process's separator), optional sign and exponent,
// surrounding blanks allowed; nullopt otherwise (no commas, no inf/nan, no hex).
std::optional<double> parseDecimal(const QString& text);
// A decimal integer in the range of a signed or unsigned 32-bit number, as its 32 bits: -1 and
// 4294967295 both give 0xFFFFFFFF, so a value shown unsigned can be taken back unchanged.
std::optional<std::uint32_t> parseInteger32(const QString& text);
// Seconds (or volts) text → milliseconds (millivolts): the value × 1000 truncated toward zero, as a
// 32-bit field. nullopt when the text does not parse or the result has no 32-bit form.
std::optional<std::uint32_t> parseThousandths(const QString& text);
// The status page's return time: parsed, held in single precision, × 1000 truncated toward zero;
// 0 for text that does not parse. Single precision makes 2.3 s come out as 2299 ms.
std::uint32_t returnTimeTextToMs(const QString& text);
// "%.1f" of value × 0.001: milliseconds as seconds, millivolts as volts.
QString thousandthsText(std::uint32_t value);

// The first "," becomes "."; further commas stay.
QString withDecimalPoint(const QString& text);

// Switch-off pressure shown as whole kilonewtons.
QString pressureAsForceText(std::uint16_t bar, std::uint8_t diameterMm);
// A typed force (already with "." as separator) back to bar: the value in single precision through
// ForceToPressure, truncated toward zero, low 16 bits kept; 0 when it does not parse.
std::uint16_t forceTextToPressure(const QString& text, std::uint8_t diameterMm);

// --- the parameter tab's edits ------------------------------------------------------------------
// Texts of the controls that show the block, by control name. EditRlzKunde on the status page
// shows the same text as EditRlz.
struct ParameterEdits {
    QString EditVarianteTxt, EditMaschNr, EditTyp;
    QString Lblkennung;
    QString EditRlz, EditMaxPz, EditMinUbattEinsch, EditMinUbattWarnung;
    QString EditServiceIntervall, EditStartGarantie;
    QString LblAwNomVal, LblAwKalVal;
    QString EditAwSprung, EditMinAw, EditMinAwGelb, EditMinAwGruen, EditMaxAwGelb, EditMaxAwGruen;
    QString EditPwmBatt, EditRucklaufPwmStart, EditRucklaufPwmHold;
    QString EditMinTemp, EditMaxTemp;
    QString EditAbschaltdruckMin, EditAbschaltdruckMax;
    QString LblCntDs0bar, LblCntDs1000bar;
    QString EditKolbendurchmesser;
};

ParameterEdits parameterEditTexts(const ParameterBlock& block);

// Parses the edits into block, in the order the fields depend on each other: the switch-off
// pressures are converted with the piston diameter the block held before, and the diameter is
// taken last. Leaves LayoutVersion, Kennung, the reserved bytes, AwNomVal, AwKalVal, CntDs0bar and
// CntDs1000bar alone and clears Flags. The switch-off edits get their comma replaced in place.
// Returns the texts of the "Debug" boxes for the seconds/volts edits that did not parse, in order.
QStringList takeParameterEdits(ParameterBlock& block, ParameterEdits& edits);

// The serial number as the service page sets it: at most 30 characters, zero-filled up to the
// 30th byte; the last two bytes of the field keep their values.
void setSerialNumber(ParameterBlock& block, const QString& text);
