// A HID platform driven by a script, for byte-exact transport tests and fuzzing: a list of
// interfaces with their path, openability and attributes, and for the opened one a queue of
// feature replies. Everything written is recorded. Header-only so fuzzers can use it too.
#pragma once

#include "link/Usbhidinterface.h"
#include "platform/HidPlatform.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

class ScriptedHidPlatform final : public HidPlatform {
public:
    struct Interface {
        bool pathReadable = true;
        bool openable = true;
        bool attributesReadable = true;
        HidAttributes attributes{0x16D0, 0x0425, 0x0100};
    };

    std::vector<Interface> interfaces;
    std::vector<Payload> written;            // every output report's payload, in order
    std::deque<std::optional<Payload>> replies;  // nullopt = the feature read fails
    std::optional<Payload> whenEmpty;        // answer once the queue is empty (nullopt: read fails)
    bool echo = false;                       // with an empty queue: echo the last request's code, rest zero
    bool writesFail = false;
    int featureReads = 0;
    int opens = 0;
    int enumerations = 0;
    std::vector<Handle> closed;

    // One interface that is the tool.
    static ScriptedHidPlatform withTool()
    {
        ScriptedHidPlatform p;
        p.interfaces.push_back({});
        return p;
    }

    void reply(const std::vector<std::uint8_t>& bytes)
    {
        Payload p{};
        for (std::size_t i = 0; i < bytes.size() && i < p.size(); ++i)
            p[i] = bytes[i];
        replies.push_back(p);
    }
    void replyPayload(const Payload& p) { replies.push_back(p); }
    void failRead() { replies.push_back(std::nullopt); }

    std::vector<HidInterfaceInfo> enumerate() override
    {
        ++enumerations;
        std::vector<HidInterfaceInfo> list;
        for (std::size_t i = 0; i < interfaces.size(); ++i)
            list.push_back({interfaces[i].pathReadable ? "/dev/scripted" + std::to_string(i) : std::string(),
                            interfaces[i].attributes});
        return list;
    }
    Handle open(const std::string& path) override
    {
        ++opens;
        const int index = std::stoi(path.substr(std::string("/dev/scripted").size()));
        if (!interfaces[static_cast<std::size_t>(index)].openable)
            return InvalidHandle;
        return index + 100;
    }
    bool getAttributes(Handle handle, HidAttributes& attributes) override
    {
        if (handle < 100 || handle - 100 >= static_cast<Handle>(interfaces.size()))
            return false;
        const Interface& i = interfaces[static_cast<std::size_t>(handle - 100)];
        if (!i.attributesReadable)
            return false;
        attributes = i.attributes;
        return true;
    }
    bool writeOutputReport(Handle, const HidReportBytes& report) override
    {
        if (writesFail)
            return false;
        Payload p{};
        std::copy(report.begin() + 1, report.end(), p.begin());
        written.push_back(p);
        return report[0] == 0;
    }
    bool getFeatureReport(Handle, HidReportBytes& report) override
    {
        ++featureReads;
        std::optional<Payload> r = whenEmpty;
        if (replies.empty() && echo && !written.empty()) {
            Payload e{};
            e[0] = written.back()[0];
            r = e;
        }
        if (!replies.empty()) {
            r = replies.front();
            replies.pop_front();
        }
        if (!r)
            return false;
        report[0] = 0;
        std::copy(r->begin(), r->end(), report.begin() + 1);
        return true;
    }
    void close(Handle handle) override { closed.push_back(handle); }
};
