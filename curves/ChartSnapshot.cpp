// Fixed-capacity texts of the chart snapshot.
#include "curves/ChartSnapshot.h"

int ChartSnapshot::capacity(Field f)
{
    static constexpr int Capacities[FieldCount] = {
        64,                // Title
        32, 32,            // counter
        64, 128,           // date
        32, 32,            // motor time
        32, 32,            // temperature
        32, 32,            // voltage
        32, 32,            // revolution
        128, 128,          // error
        128, 128,          // warning
        128, 128,          // serial
        128, 128,          // version
        64, 64,            // warranty
        64, 64,            // service
        32,                // comment caption
    };
    return Capacities[f];
}

void ChartSnapshot::set(Field f, const QString& text)
{
    fields_[f] = text.left(capacity(f) - 1);
}
