// Builds cycle files byte by byte for the curve tests: a valid header with chosen fields and samples.
#pragma once

#include "curves/CycleFile.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

struct CycleFixture {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(CycleHeaderSize, 0);

    CycleFixture()
    {
        bytes[0] = CycleSignature0;
        bytes[1] = CycleSignature1;
        be16(CycleOffset::FormatVersion, 2);
        date(3, 7, 2009, 14, 5, 9);
        bytes[CycleOffset::SampleIntervalMs] = 10;
    }
    CycleFixture& be16(std::size_t at, std::uint16_t v)
    {
        bytes[at] = static_cast<std::uint8_t>(v >> 8);
        bytes[at + 1] = static_cast<std::uint8_t>(v);
        return *this;
    }
    CycleFixture& be32(std::size_t at, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
        return *this;
    }
    CycleFixture& u8(std::size_t at, std::uint8_t v)
    {
        bytes[at] = v;
        return *this;
    }
    CycleFixture& date(int day, int month, int year, int hour, int minute, int second)
    {
        bytes[CycleOffset::Day] = static_cast<std::uint8_t>(day);
        bytes[CycleOffset::Month] = static_cast<std::uint8_t>(month);
        be16(CycleOffset::Year, static_cast<std::uint16_t>(year));
        bytes[CycleOffset::Hour] = static_cast<std::uint8_t>(hour);
        bytes[CycleOffset::Minute] = static_cast<std::uint8_t>(minute);
        bytes[CycleOffset::Second] = static_cast<std::uint8_t>(second);
        return *this;
    }
    CycleFixture& bands(std::uint8_t red, std::uint8_t yellow, std::uint8_t green, std::uint8_t greenTo,
                        std::uint8_t yellowTo)
    {
        bytes[CycleOffset::RedFrom] = red;
        bytes[CycleOffset::YellowFrom] = yellow;
        bytes[CycleOffset::GreenFrom] = green;
        bytes[CycleOffset::GreenTo] = greenTo;
        bytes[CycleOffset::YellowTo] = yellowTo;
        return *this;
    }
    CycleFixture& span(std::uint32_t curveSpan) { return be32(CycleOffset::CurveSpan, curveSpan); }
    CycleFixture& samples(std::initializer_list<int> values)
    {
        bytes.resize(CycleHeaderSize);
        for (int v : values)
            bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    CycleFixture& samples(const std::vector<std::uint8_t>& values)
    {
        // element by element: gcc 12 warns falsely about an inlined range insert or copy
        bytes.resize(CycleHeaderSize);
        for (std::uint8_t v : values)
            bytes.push_back(v);
        return *this;
    }
    // The file in a read buffer, as the transfer leaves it; returns the byte count.
    std::size_t into(CycleBuffer& buffer) const
    {
        buffer.fill(0);
        std::copy(bytes.begin(), bytes.end(), buffer.begin());
        return bytes.size();
    }
};

// A realistic press cycle: a flat start, a rise, a plateau and the drop, length samples long.
inline std::vector<std::uint8_t> pressCurve(std::size_t length, int peak = 140)
{
    std::vector<std::uint8_t> v(length);
    for (std::size_t k = 0; k < length; ++k) {
        const double pos = double(k) / double(length);
        double value;
        if (pos < 0.1)
            value = 2;
        else if (pos < 0.8)
            value = 2 + (peak - 2) * (pos - 0.1) / 0.7;
        else if (pos < 0.9)
            value = peak;
        else
            value = 0;
        v[k] = static_cast<std::uint8_t>(value);
    }
    return v;
}
