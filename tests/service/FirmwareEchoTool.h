// A minimal bootloader stand-in for download tests: it echoes every request at once, records what
// it was sent, costs 1 ms of fake time per output write, and can be told to fail one request.
#pragma once

#include "link/Usbhidinterface.h"
#include "platform/Clock.h"
#include "platform/HidPlatform.h"

#include <cerrno>
#include <vector>

class FirmwareEchoTool final : public HidPlatform {
public:
    enum class Fault { None, WriteFails, ErrorReply };

    explicit FirmwareEchoTool(FakeClock* clock = nullptr) : clock_(clock) {}

    std::vector<Payload> written;  // every output report's payload
    // The request with this 0-based index fails as fault says.
    int faultAt = -1;
    Fault fault = Fault::None;

    std::vector<HidInterfaceInfo> enumerate() override { return {{"/dev/echo", {0x16D0, 0x0425, 0x0100}}}; }
    Handle open(const std::string&) override { return 7; }
    bool getAttributes(Handle, HidAttributes& a) override
    {
        a = {0x16D0, 0x0425, 0x0100};
        return true;
    }
    bool writeOutputReport(Handle, const HidReportBytes& report) override
    {
        if (clock_)
            clock_->advanceMs(1);
        const int index = static_cast<int>(written.size());
        Payload p{};
        std::copy(report.begin() + 1, report.end(), p.begin());
        written.push_back(p);
        pendingError_ = false;
        if (index == faultAt && fault == Fault::WriteFails) {
            errno = EIO;  // what a hidraw write reports when the tool is gone
            return false;
        }
        pendingError_ = index == faultAt && fault == Fault::ErrorReply;
        return true;
    }
    bool getFeatureReport(Handle, HidReportBytes& report) override
    {
        report.fill(0);
        if (written.empty())
            return true;
        if (pendingError_) {
            report[1] = ReplyBusy;
            report[2] = 0x02;
        } else {
            report[1] = written.back()[0];
        }
        return true;
    }
    void close(Handle) override {}

    // The requests with command code code, in order.
    std::vector<Payload> requests(Cmd code) const
    {
        std::vector<Payload> out;
        for (const Payload& p : written)
            if (p[0] == static_cast<std::uint8_t>(code))
                out.push_back(p);
        return out;
    }

private:
    FakeClock* clock_;
    bool pendingError_ = false;
};
