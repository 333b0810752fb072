// Preparing a cycle's samples in the read buffer before drawing: the curve is closed to the
// baseline, single dropouts are filled, and the start of the rise and the peak are found.
// Every index is checked against the buffer; bytes past its end read as 0 and are never written.
#pragma once

#include <cstdint>
#include <span>

struct PreparedSamples {
    // Index of the last sample drawn (e): the curve runs from the first sample to e inclusive.
    std::size_t end = 0;
    // Pixels per sample for a plot of the given width, single precision as the plot geometry
    // keeps it. 0 when the curve has no width (end == first sample), so that nothing is drawn.
    float xScale = 0.0f;
    // True when there is at least one sample step to draw.
    bool hasCurve() const;
};

// Prepares buffer in place; bytesRead is the transfer's count. Sets the two bytes after the last
// non-zero byte to 0, then fills single zero samples between two non-zero ones with their mean
// rounded down. plotWidth is the image width less the plot's margins (W - 60).
PreparedSamples prepareSamples(std::span<std::uint8_t> buffer, std::size_t bytesRead, int plotWidth);

struct StartAndPeak {
    bool startFound = false;
    int startNumber = 0;  // samples after the first sample
    int startValue = 0;
    bool peakFound = false;
    int peakNumber = 0;
    int peakValue = 0;
    // The markers are drawn only when all four are non-zero.
    bool markersDrawable() const;
};

// The start: the sample before the first point (from the second sample on) where two rising
// steps of at least 1 each and a rise of at least 6 over three steps begin; a start at the first
// sample does not count. The peak (only after a start with a non-zero value): the last sample
// holding the largest value.
StartAndPeak findStartAndPeak(std::span<const std::uint8_t> buffer, std::size_t end);
