// The simulated bus: enumeration in the order devices were added, handles that die when a tool
// leaves the bus, and the 65-byte reports carried to and from SimulatedTool.
#include "sim/SimHidPlatform.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::uint8_t ReportId = 0;
}

SimHidPlatform::SimHidPlatform(Clock& clock) : clock_(clock) {}

SimHidPlatform::~SimHidPlatform() = default;

void SimHidPlatform::addDevice(Device d)
{
    d.path = "sim-hid:" + std::to_string(devices_.size()) + ':' + std::to_string(d.attributes.vendorId) + ':' +
             std::to_string(d.attributes.productId);
    devices_.push_back(std::move(d));
}

SimulatedTool& SimHidPlatform::addTool(SimScenario scenario)
{
    Device d;
    d.owned = std::make_unique<SimulatedTool>(clock_, scenario);
    d.tool = d.owned.get();
    d.attributes = {static_cast<std::uint16_t>(ToolVendorId), static_cast<std::uint16_t>(ToolProductId), SimToolVersionNumber};
    addDevice(std::move(d));
    return *devices_.back().tool;
}

void SimHidPlatform::addTool(SimulatedTool& external)
{
    Device d;
    d.tool = &external;
    d.attributes = {static_cast<std::uint16_t>(ToolVendorId), static_cast<std::uint16_t>(ToolProductId), SimToolVersionNumber};
    addDevice(std::move(d));
}

void SimHidPlatform::addForeignDevice(std::uint16_t vid, std::uint16_t pid, bool openable, bool pathReadable)
{
    Device d;
    d.attributes = {vid, pid, 0x0001};
    d.openable = openable;
    d.pathReadable = pathReadable;
    addDevice(std::move(d));
}

SimulatedTool* SimHidPlatform::tool(std::size_t i)
{
    for (auto& d : devices_)
        if (d.tool && i-- == 0)
            return d.tool;
    return nullptr;
}

int SimHidPlatform::openHandles() const
{
    return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const OpenHandle& h) { return h.device >= 0; }));
}

bool SimHidPlatform::enumerable(const Device& d) const { return !d.tool || d.tool->present(); }

std::vector<HidInterfaceInfo> SimHidPlatform::enumerate()
{
    ++enumerations_;
    std::vector<HidInterfaceInfo> result;
    for (const auto& d : devices_)
        if (enumerable(d))
            result.push_back({d.pathReadable ? d.path : std::string(), d.attributes});
    return result;
}

HidPlatform::Handle SimHidPlatform::open(const std::string& path)
{
    ++opens_;
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        const Device& d = devices_[i];
        if (d.path != path)
            continue;
        if (!enumerable(d) || !d.openable || !d.pathReadable)
            return InvalidHandle;
        OpenHandle h{static_cast<int>(i), d.tool ? d.tool->connectionGeneration() : 0};
        auto free = std::find_if(handles_.begin(), handles_.end(), [](const OpenHandle& o) { return o.device < 0; });
        if (free == handles_.end())
            free = handles_.insert(handles_.end(), h);
        else
            *free = h;
        return static_cast<Handle>(free - handles_.begin()) + 1;
    }
    return InvalidHandle;
}

SimHidPlatform::Device* SimHidPlatform::live(Handle handle)
{
    if (handle <= 0 || static_cast<std::size_t>(handle) > handles_.size())
        return nullptr;
    const OpenHandle& h = handles_[static_cast<std::size_t>(handle) - 1];
    if (h.device < 0)
        return nullptr;
    Device& d = devices_[static_cast<std::size_t>(h.device)];
    if (d.tool && (d.tool->connectionGeneration() != h.generation || !d.tool->present()))
        return nullptr;
    return &d;
}

bool SimHidPlatform::getAttributes(Handle handle, HidAttributes& attributes)
{
    const Device* d = live(handle);
    if (!d)
        return false;
    attributes = d->attributes;
    return true;
}

bool SimHidPlatform::writeOutputReport(Handle handle, const HidReportBytes& report)
{
    Device* d = live(handle);
    if (!d || report[0] != ReportId)
        return false;
    if (!d->tool)
        return true;  // a foreign device takes the report and does nothing with it
    Payload request;
    std::memcpy(request.data(), report.data() + 1, PayloadSize);
    return d->tool->receiveRequest(request);
}

bool SimHidPlatform::getFeatureReport(Handle handle, HidReportBytes& report)
{
    Device* d = live(handle);
    if (!d || !d->tool || report[0] != ReportId)
        return false;  // foreign devices have no feature report of this layout
    Payload reply;
    if (!d->tool->replyForFeatureRead(reply))
        return false;
    std::memcpy(report.data() + 1, reply.data(), PayloadSize);
    return true;
}

void SimHidPlatform::close(Handle handle)
{
    if (handle <= 0 || static_cast<std::size_t>(handle) > handles_.size())
        return;
    handles_[static_cast<std::size_t>(handle) - 1].device = -1;
}
