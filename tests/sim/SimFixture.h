// Shared fixture of the simulator tests: one demo tool on a fake clock, opened through the real
// transport, plus small byte helpers.
#pragma once

#include "link/Usbhidinterface.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimulatedTool.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string_view>

// A connected tool on a fake clock, recording off so the content stays fixed.
struct SimFixture : ::testing::Test {
    FakeClock clock{QDateTime(QDate(2026, 3, 14), QTime(9, 26, 53))};
    SimHidPlatform bus{clock};
    SimulatedTool& tool = bus.addTool(SimScenario::Demo);
    TUsbHidInterface link{bus, clock};

    void SetUp() override
    {
        tool.setCycleRecording(false);
        ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
        tool.clearReceived();
    }

    Payload request(std::initializer_list<std::uint8_t> bytes)
    {
        Payload p{};
        std::size_t i = 0;
        for (auto b : bytes)
            p[i++] = b;
        return p;
    }

    // A request with code, leading argument bytes and a text from offset `at`.
    static Payload withText(std::initializer_list<std::uint8_t> head, std::size_t at, std::string_view text)
    {
        Payload p{};
        std::size_t i = 0;
        for (auto b : head)
            p[i++] = b;
        for (std::size_t k = 0; k < text.size() && at + k < p.size(); ++k)
            p[at + k] = static_cast<std::uint8_t>(text[k]);
        return p;
    }

    // One complete exchange; the reply, or nullopt when it failed.
    std::optional<Payload> exchange(std::initializer_list<std::uint8_t> bytes)
    {
        Payload p = request(bytes);
        if (!link.Exchange(p))
            return std::nullopt;
        return p;
    }
    std::optional<Payload> exchangePayload(Payload p)
    {
        if (!link.Exchange(p))
            return std::nullopt;
        return p;
    }
};

inline std::uint16_t be16(const Payload& p, std::size_t at) { return static_cast<std::uint16_t>(p[at] << 8 | p[at + 1]); }
inline std::uint32_t be32(const Payload& p, std::size_t at)
{
    return static_cast<std::uint32_t>(p[at]) << 24 | static_cast<std::uint32_t>(p[at + 1]) << 16 |
           static_cast<std::uint32_t>(p[at + 2]) << 8 | p[at + 3];
}
