// Stand-ins shared by the benchmarks: prompts that answer nothing, a shell that opens nothing, and
// a HID platform that counts the transfers the USB timing model charges for.
#pragma once

#include "platform/HidPlatform.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"

#include <cstdint>
#include <optional>

// Answers No and cancels every dialog; records nothing, so it costs nothing in a loop.
struct NoPrompts final : Prompts {
    void message(const QString&, const QString&, PromptIcon) override {}
    bool question(const QString&, const QString&, PromptIcon) override { return false; }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    bool printDialog(QPagedPaintDevice&, const PrintDialogRequest&) override { return false; }
    int execDialog(QDialog&) override { return 0; }
};

struct NoShell final : Shell {
    void openDocument(const QString&) override {}
};

// Passes everything to the real (simulated) bus and counts output writes and feature reads.
class CountingHidPlatform final : public HidPlatform {
public:
    explicit CountingHidPlatform(HidPlatform& inner) : inner_(inner) {}
    std::uint64_t writes = 0;
    std::uint64_t reads = 0;
    std::uint64_t transfers() const { return writes + reads; }
    void resetCounts() { writes = reads = 0; }

    std::vector<HidInterfaceInfo> enumerate() override { return inner_.enumerate(); }
    Handle open(const std::string& path) override { return inner_.open(path); }
    bool getAttributes(Handle h, HidAttributes& a) override { return inner_.getAttributes(h, a); }
    bool writeOutputReport(Handle h, const HidReportBytes& r) override
    {
        ++writes;
        return inner_.writeOutputReport(h, r);
    }
    bool getFeatureReport(Handle h, HidReportBytes& r) override
    {
        ++reads;
        return inner_.getFeatureReport(h, r);
    }
    void close(Handle h) override { inner_.close(h); }

private:
    HidPlatform& inner_;
};
