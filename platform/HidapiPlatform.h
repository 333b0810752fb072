// The HID platform on hidapi (hidraw on Linux; on Windows hidapi's own backend does the same
// WriteFile / HidD_GetFeature pair the tool was first used with).
#pragma once

#include "platform/HidPlatform.h"

class HidapiPlatform final : public HidPlatform {
public:
    HidapiPlatform();
    ~HidapiPlatform() override;
    HidapiPlatform(const HidapiPlatform&) = delete;
    HidapiPlatform& operator=(const HidapiPlatform&) = delete;

    std::vector<HidInterfaceInfo> enumerate() override;
    Handle open(const std::string& path) override;
    bool getAttributes(Handle handle, HidAttributes& attributes) override;
    bool writeOutputReport(Handle handle, const HidReportBytes& report) override;
    bool getFeatureReport(Handle handle, HidReportBytes& report) override;
    void close(Handle handle) override;

private:
    bool initialised_ = false;
};
