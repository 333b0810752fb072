// The two calibrations of a tool: the calibration run (nominal and reached force in N) and the
// two-point calibration of a pressure sensor (the reading at 1000 bar from readings at 0 bar and
// under a known force).
#pragma once

#include "params/ParameterBlock.h"

#include <QString>
#include <cstdint>
#include <optional>

class ParameterBlockAccess;
class Prompts;
class TUsbHidInterface;

// Flags bit 0: the tool has a pressure sensor and gets the sensor calibration instead of the run.
inline bool hasPressureSensor(const ParameterBlock& block) { return (block.Flags & 0x01u) != 0; }

// --- calibration run ----------------------------------------------------------------------------
struct CalibrationForces {
    std::uint32_t nominal = 0;      // N
    std::uint32_t calibration = 0;  // N
};

// Forces typed in kN ("." as separator) as the tool takes them: × 1000, truncated toward zero to
// whole newtons. nullopt when either text does not parse (an empty one included) or a force has
// no 32-bit form.
std::optional<CalibrationForces> calibrationRunForces(const QString& nominalKn, const QString& calibrationKn);

// "Übernehmen": sends both forces with CmdCalibSet (its result is not examined) and returns true,
// or shows "Daten ungültig!" (caption "Info") and returns false so that the dialog stays open.
bool acceptCalibrationRun(TUsbHidInterface& link, Prompts& prompts, const QString& nominalKn,
                          const QString& calibrationKn);

// --- pressure-sensor calibration ----------------------------------------------------------------
// The calibration pressure in bar for the force typed into the input box (the first "," taken as
// the separator): 0 when the box was cancelled, the text does not parse, or the piston diameter is
// 0 (there is no pressure to speak of without a piston area).
float calibrationPressure(const std::optional<QString>& forceKn, std::uint8_t pistonDiameterMm);

// The reading at 1000 bar from the reading r0 at 0 bar and r1 at pressureBar (not 0), along the
// straight line through both, truncated toward zero, low 16 bits kept (a falling line wraps).
// nullopt when the line has no finite integer value at 1000 bar (a pressure so small that the
// slope overflows): such a result would be garbage in the tool.
std::optional<std::uint16_t> sensorCount1000bar(std::uint16_t r0, std::uint16_t r1, float pressureBar);

enum class SensorCalibrationResult {
    NotConnected,  // nothing done
    Ended,         // a read failed, the input was cancelled, unparsable or zero: nothing written
    Written,       // the block went to the tool (text 81 or 82 shown); the dialog closes
};

// "Start": reads the block fresh, takes the reading at 0 bar into CntDs0bar, asks for the force
// (caption text 66, prompt "Kalibrierkraft [KN] "), takes the reading under pressure, computes
// CntDs1000bar and writes the block.
SensorCalibrationResult runSensorCalibration(ParameterBlockAccess& access, TUsbHidInterface& link, Prompts& prompts,
                                             std::uint32_t languageIndex);
