// The texts of the chart's measured-data labels, formed from a cycle file's header in a language.
// The multi-cycle report forms its values with the same helpers.
#pragma once

#include "curves/CycleFile.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// "%02d.%02d.%04d  %02d:%02d:%02d" (two blanks between date and time).
QString formatCycleDate(const CycleFile& f);
// "%dh:%02dm" of the whole hours and minutes in MotorTimeMs; seconds are dropped, negative times give 0h:00m.
QString formatCycleMotorTime(std::int32_t motorTimeMs);
// "%d U/min" of 60000 / revolutionTimeMs, "---" when it is 0.
QString formatRevolution(std::uint8_t revolutionTimeMs);
// "%.1fV" of tenths of a volt.
QString formatVoltage10(std::uint8_t batteryVoltage10);
// Text id of the first error bit in the order 0x01, 0x02, 0x04, 0x10, 0x08, 0x20, 0x40, 0x80.
std::optional<int> cycleErrorTextId(std::uint8_t errorFlags);
// Text id for warning bits 0x01, 0x02, 0x10 in that order; other bits have no text.
std::optional<int> cycleWarningTextId(std::uint8_t warningFlags);

struct MeasuredData {
    // In the order the labels are written.
    enum Label { Datum, Index, BsMotor, ErrorCode, WarnCode, Abschaltdrehzahl, Temperatur, Akkuspannung, Count };
    std::array<QString, Count> text;

    static MeasuredData from(const CycleFile& f, std::uint32_t languageIndex);
    // The control name of a label: "LblChartDatum", ...
    static const char* labelName(Label label);
    const QString& operator[](Label label) const { return text[label]; }
};
