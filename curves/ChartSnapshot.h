// The texts of the last chart drawn with label update: what the print picture, the JPEG file
// name and the single-cycle report show. Each field has a fixed capacity, as the tool's records do.
#pragma once

#include <QString>
#include <array>

struct ChartSnapshot {
    enum Field {
        Title,
        CounterCaption, CounterValue,
        DateCaption, DateValue,
        MotorTimeCaption, MotorTimeValue,
        TemperatureCaption, TemperatureValue,
        VoltageCaption, VoltageValue,
        RevolutionCaption, RevolutionValue,
        ErrorCaption, ErrorValue,
        WarningCaption, WarningValue,
        SerialCaption, SerialValue,
        VersionCaption, VersionValue,
        WarrantyCaption, WarrantyValue,
        ServiceCaption, ServiceValue,
        CommentCaption,
        FieldCount
    };

    // Capacity in characters including the terminating zero: a field holds one character less.
    static int capacity(Field f);
    // Stores text, cut to the field's capacity.
    void set(Field f, const QString& text);
    const QString& get(Field f) const { return fields_[f]; }

    // The twelve caption/value rows of the print picture, in order.
    static constexpr int RowCount = 12;
    static Field rowCaption(int row) { return static_cast<Field>(CounterCaption + 2 * row); }
    static Field rowValue(int row) { return static_cast<Field>(CounterValue + 2 * row); }

private:
    std::array<QString, FieldCount> fields_;
};
