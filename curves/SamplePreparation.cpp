// Sample preparation and the start/peak search, in place on the read buffer.
#include "curves/SamplePreparation.h"

#include "curves/CycleFile.h"

namespace {
constexpr std::size_t First = CycleOffset::Samples;

int at(std::span<const std::uint8_t> b, std::size_t i) { return i < b.size() ? b[i] : 0; }
}  // namespace

bool PreparedSamples::hasCurve() const { return end > First; }

PreparedSamples prepareSamples(std::span<std::uint8_t> buffer, std::size_t bytesRead, int plotWidth)
{
    const std::size_t t = bytesRead < buffer.size() ? bytesRead : buffer.size();
    std::size_t s = 0;
    for (std::size_t i = t; i-- > 0;) {
        if (buffer[i] != 0) {
            s = i;
            break;
        }
    }
    // The curve always ends with two zero samples so that it drops back to the baseline.
    for (std::size_t i = s + 1; i <= s + 2; ++i)
        if (i < buffer.size())
            buffer[i] = 0;
    PreparedSamples p;
    p.end = s + 2;

    for (std::size_t i = First + 1; i < p.end && i + 1 < buffer.size(); ++i) {
        if (buffer[i - 1] != 0 && buffer[i] == 0 && buffer[i + 1] != 0)
            buffer[i] = static_cast<std::uint8_t>((buffer[i - 1] + buffer[i + 1]) / 2);
    }

    // Counted as an unsigned 32-bit number: a file without samples behind its header gives a
    // vanishing scale rather than a negative one. An empty span would divide by zero; it draws nothing.
    const std::uint32_t steps = static_cast<std::uint32_t>(p.end) - static_cast<std::uint32_t>(First);
    p.xScale = steps == 0 ? 0.0f : static_cast<float>(static_cast<double>(plotWidth) / steps);
    return p;
}

bool StartAndPeak::markersDrawable() const
{
    return startNumber != 0 && startValue != 0 && peakNumber != 0 && peakValue != 0;
}

StartAndPeak findStartAndPeak(std::span<const std::uint8_t> b, std::size_t end)
{
    StartAndPeak r;
    for (std::size_t i = First + 1; i <= end; ++i) {
        const int v0 = at(b, i), v1 = at(b, i + 1), v2 = at(b, i + 2), v3 = at(b, i + 3);
        if (v1 >= v0 + 1 && v2 >= v1 + 1 && v3 >= v0 + 6) {
            const int number = static_cast<int>(i - (First + 1));
            if (number == 0)
                continue;
            r.startFound = true;
            r.startNumber = number;
            r.startValue = at(b, i - 1);
            break;
        }
    }
    if (!r.startFound || r.startValue == 0)
        return r;
    int best = -1;
    std::size_t bestIndex = First;
    for (std::size_t i = First; i <= end; ++i) {
        const int v = at(b, i);
        if (v >= best) {
            best = v;
            bestIndex = i;
        }
    }
    r.peakFound = true;
    r.peakNumber = static_cast<int>(bestIndex - First);
    r.peakValue = best;
    return r;
}
