// Arithmetic and command sequences of both calibrations.
#include "service/Calibration.h"

#include "texts/Texte.h"
#include "link/Usbhidinterface.h"
#include "params/ParameterConversions.h"
#include "params/ParameterSetTransfer.h"
#include "platform/Prompts.h"
#include "status/ToolInfoBlock.h"

#include <cmath>
#include <limits>

namespace {
// A fresh raw reading of the pressure sensor, or nullopt when the status read fails.
std::optional<std::uint16_t> readSensor(TUsbHidInterface& link)
{
    Payload reply{};
    if (!link.CmdGetInfo(reply))
        return std::nullopt;
    return ToolInfoBlock::decode(std::span<const std::uint8_t, ToolInfoBlockSize>(reply.data(), ToolInfoBlockSize))
        .pressureSensorCount();
}
}  // namespace

std::optional<CalibrationForces> calibrationRunForces(const QString& nominalKn, const QString& calibrationKn)
{
    const std::optional<std::uint32_t> nominal = parseThousandths(nominalKn);
    const std::optional<std::uint32_t> calibration = parseThousandths(calibrationKn);
    if (!nominal || !calibration)
        return std::nullopt;
    return CalibrationForces{*nominal, *calibration};
}

bool acceptCalibrationRun(TUsbHidInterface& link, Prompts& prompts, const QString& nominalKn,
                          const QString& calibrationKn)
{
    const std::optional<CalibrationForces> forces = calibrationRunForces(nominalKn, calibrationKn);
    if (!forces) {
        prompts.message(QStringLiteral("Info"), QStringLiteral("Daten ungültig!"), PromptIcon::Exclamation);
        return false;
    }
    link.CmdCalibSet(static_cast<std::int32_t>(forces->nominal), static_cast<std::int32_t>(forces->calibration));
    return true;
}

float calibrationPressure(const std::optional<QString>& forceKn, std::uint8_t pistonDiameterMm)
{
    if (!forceKn || pistonDiameterMm == 0)
        return 0.0f;
    const std::optional<double> kN = parseDecimal(withDecimalPoint(*forceKn));
    // Far beyond any press; the conversion to bar would leave single precision.
    constexpr double MaxForceKn = 1e30;
    if (!kN || std::fabs(*kN) > MaxForceKn)
        return 0.0f;
    return ForceToPressure(static_cast<float>(*kN), pistonDiameterMm);
}

std::optional<std::uint16_t> sensorCount1000bar(std::uint16_t r0, std::uint16_t r1, float pressureBar)
{
    // Counts per bar and the reading at 0 bar are held in single precision, as the tool's
    // firmware computes them.
    const int difference = static_cast<int>(r1) - static_cast<int>(r0);
    const double slopeExact = difference / static_cast<double>(pressureBar);
    if (!(std::fabs(slopeExact) <= std::numeric_limits<float>::max()))
        return std::nullopt;
    const float slope = static_cast<float>(slopeExact);
    const float offset = static_cast<float>(r1 - static_cast<double>(slope) * pressureBar);
    const double at1000 = static_cast<double>(slope) * 1000.0 + offset;
    constexpr double Int64Bound = 9223372036854775808.0;  // 2^63
    if (!std::isfinite(at1000) || std::fabs(at1000) >= Int64Bound)
        return std::nullopt;
    return static_cast<std::uint16_t>(static_cast<std::int64_t>(at1000) & 0xFFFF);
}

SensorCalibrationResult runSensorCalibration(ParameterBlockAccess& access, TUsbHidInterface& link, Prompts& prompts,
                                             std::uint32_t languageIndex)
{
    if (!link.Connected)
        return SensorCalibrationResult::NotConnected;
    // The piston diameter and every other field must be this tool's: a stale copy is not written.
    if (!access.ReadParameterBlock())
        return SensorCalibrationResult::Ended;
    // The technician has relieved the pressure: this is the reading at 0 bar. Without it there is
    // nothing to calibrate against, so the attempt ends like any other failed status read.
    const std::optional<std::uint16_t> r0 = readSensor(link);
    if (!r0)
        return SensorCalibrationResult::Ended;
    access.currentBlock().CntDs0bar = *r0;

    const std::optional<QString> answer =
        prompts.inputBox(LangText(languageIndex, TextId::Calibration), QStringLiteral("Kalibrierkraft [KN] "), QString());
    const float p = calibrationPressure(answer, access.currentBlock().Kolbendurchmesser);
    if (p == 0.0f)
        return SensorCalibrationResult::Ended;

    const std::optional<std::uint16_t> r1 = readSensor(link);
    if (!r1)
        return SensorCalibrationResult::Ended;
    const std::optional<std::uint16_t> at1000 = sensorCount1000bar(*r0, *r1, p);
    if (!at1000)
        return SensorCalibrationResult::Ended;
    access.currentBlock().CntDs1000bar = *at1000;
    access.WriteParameterBlock();
    return SensorCalibrationResult::Written;
}
