// The tool side of drawing a cycle.
#include "curves/CycleChart.h"

#include "link/Usbhidinterface.h"

CycleChartDrawing drawToolCycle(TUsbHidInterface& link, const QString& path, QImage& image, ChartImage target,
                                ChartState& state)
{
    CycleChartDrawing d;
    d.connected = link.Connected;
    if (!d.connected)
        return d;
    CycleBuffer buffer{};
    d.bytesRead = link.ReadToolFile(path, buffer);
    if (d.bytesRead < static_cast<int>(CycleHeaderSize))
        return d;
    d.result = drawCycle(image, target, buffer, static_cast<std::size_t>(d.bytesRead), state);
    return d;
}
