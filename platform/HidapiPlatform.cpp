// hidapi backend of the HID platform. Handles are hid_device pointers.
#include "platform/HidapiPlatform.h"

#include <hidapi.h>

namespace {
hid_device* device(HidPlatform::Handle h)
{
    if (h == HidPlatform::NullHandle || h == HidPlatform::InvalidHandle)
        return nullptr;
    return reinterpret_cast<hid_device*>(h);
}
}  // namespace

HidapiPlatform::HidapiPlatform() : initialised_(hid_init() == 0) {}

HidapiPlatform::~HidapiPlatform()
{
    if (initialised_)
        hid_exit();
}

std::vector<HidInterfaceInfo> HidapiPlatform::enumerate()
{
    std::vector<HidInterfaceInfo> result;
    if (!initialised_)
        return result;
    hid_device_info* list = hid_enumerate(0, 0);
    for (const hid_device_info* d = list; d; d = d->next)
        result.push_back({d->path ? std::string(d->path) : std::string(),
                          {d->vendor_id, d->product_id, d->release_number}});
    hid_free_enumeration(list);
    return result;
}

HidPlatform::Handle HidapiPlatform::open(const std::string& path)
{
    if (!initialised_)
        return InvalidHandle;
    hid_device* d = hid_open_path(path.c_str());
    return d ? reinterpret_cast<Handle>(d) : InvalidHandle;
}

bool HidapiPlatform::getAttributes(Handle handle, HidAttributes& attributes)
{
    hid_device* d = device(handle);
    if (!d)
        return false;
    const hid_device_info* info = hid_get_device_info(d);
    if (!info)
        return false;
    attributes.vendorId = info->vendor_id;
    attributes.productId = info->product_id;
    attributes.versionNumber = info->release_number;
    return true;
}

bool HidapiPlatform::writeOutputReport(Handle handle, const HidReportBytes& report)
{
    hid_device* d = device(handle);
    return d && hid_write(d, report.data(), report.size()) == static_cast<int>(report.size());
}

bool HidapiPlatform::getFeatureReport(Handle handle, HidReportBytes& report)
{
    hid_device* d = device(handle);
    if (!d)
        return false;
    report[0] = 0;
    // hidraw returns the report id byte too; a shorter answer is still a reply, the rest stays zero.
    return hid_get_feature_report(d, report.data(), report.size()) > 0;
}

void HidapiPlatform::close(Handle handle)
{
    if (hid_device* d = device(handle))
        hid_close(d);
}
