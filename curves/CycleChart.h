// Reading a cycle from the tool and drawing it, as the chart, the print picture and the reports
// do: one 5000-byte buffer per drawing, the samples prepared in place.
#pragma once

#include "curves/ChartRenderer.h"

#include <QString>

class TUsbHidInterface;

struct CycleChartDrawing {
    bool connected = false;
    int bytesRead = 0;  // the transfer's count (0 on failure)
    DrawResult result;  // TooShort unless at least 64 bytes arrived
};

// Nothing is read without a connected tool; nothing is drawn unless the file is at least 64 bytes
// long and its header is valid (image and state then stay as they were).
CycleChartDrawing drawToolCycle(TUsbHidInterface& link, const QString& path, QImage& image, ChartImage target,
                                ChartState& state);
