// Puts simulated tools (and, for tests, foreign HID devices) on a simulated bus behind the
// HidPlatform interface, so the real transport runs unchanged over the simulator.
#pragma once

#include "platform/Clock.h"
#include "platform/HidPlatform.h"
#include "sim/SimulatedTool.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The USB release number the simulated tool reports in its attributes.
inline constexpr std::uint16_t SimToolVersionNumber = 0x0100;

class SimHidPlatform final : public HidPlatform {
public:
    explicit SimHidPlatform(Clock& clock);
    ~SimHidPlatform() override;

    // A tool owned by the platform; devices enumerate in the order they were added.
    SimulatedTool& addTool(SimScenario scenario = SimScenario::Demo);
    // A tool owned by the caller, which must outlive the platform.
    void addTool(SimulatedTool& external);
    // Another HID device: one that cannot be opened, or whose device path cannot be read.
    void addForeignDevice(std::uint16_t vid, std::uint16_t pid, bool openable = true, bool pathReadable = true);

    // The i-th tool added (owned or not; foreign devices not counted), or nullptr.
    SimulatedTool* tool(std::size_t i = 0);
    // Handles currently open (for tests that check the transport closes what it opened).
    int openHandles() const;
    // Calls of enumerate() and open() so far (tests of how the monitor searches).
    int enumerations() const { return enumerations_; }
    int opens() const { return opens_; }

    std::vector<HidInterfaceInfo> enumerate() override;
    Handle open(const std::string& path) override;
    bool getAttributes(Handle handle, HidAttributes& attributes) override;
    bool writeOutputReport(Handle handle, const HidReportBytes& report) override;
    bool getFeatureReport(Handle handle, HidReportBytes& report) override;
    void close(Handle handle) override;

private:
    struct Device {
        SimulatedTool* tool = nullptr;  // null for a foreign device
        std::unique_ptr<SimulatedTool> owned;
        HidAttributes attributes;
        bool openable = true;
        bool pathReadable = true;
        std::string path;
    };
    struct OpenHandle {
        int device = -1;  // -1: slot free
        std::uint64_t generation = 0;
    };

    bool enumerable(const Device& d) const;
    // The open device behind a handle, or nullptr when the handle is unknown or dead.
    Device* live(Handle handle);
    void addDevice(Device d);

    Clock& clock_;
    std::vector<Device> devices_;
    std::vector<OpenHandle> handles_;
    int enumerations_ = 0;
    int opens_ = 0;
};
