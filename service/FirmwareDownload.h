// The firmware download over the tool link: every page of a loaded image as 32 block requests
// and one program request, then the request that restarts the tool with the new image.
#pragma once

#include "link/Usbhidinterface.h"
#include "service/HexFile.h"

#include <QString>
#include <functional>

class Clock;

// Request layouts of the download (payload offsets).
namespace FwRequest {
inline constexpr std::size_t BlockIndex = 1;  // 0x40: block 0..31 within the page
inline constexpr std::size_t BlockData = 2;   // 0x40: 32 image bytes
inline constexpr std::size_t PageNumber = 1;  // 0x41: flash page number
}  // namespace FwRequest

// What the caller sees of a running download. Every member is optional.
struct DownloadObserver {
    // The image is loaded and the first request is about to go out.
    std::function<void()> started;
    // Before page index position - 1 is sent (position runs 1, 2, ...): the dialog moves its
    // progress bar and lets the window process its pending events here.
    std::function<void(int position, int flashPage)> pageStarting;
    // After the page's program request, or at the request of that page that failed.
    std::function<void(int flashPage, bool ok)> pageDone;
};

// The operating system's text for the calling thread's last error, as the log keeps it.
QString SystemErrorText();

// Sends a loaded image: pages 12, 13, ... as image.flashPages() lists them, each as 32 block
// requests (0x40) and a program request (0x41) by Exchange, then the finish request (0x51) by
// WriteRequest, whose failure is only logged. Logs the execution time. Fails at the first
// exchange that fails, after logging SystemErrorText.
bool SendFirmwareImage(TUsbHidInterface& link, Clock& clock, const HexImage& image, const FwLogSink& log,
                       const DownloadObserver& observer = {});

// The download of a chosen file: logs "Flash Application <path>", loads it (LoadHexFile, with
// the dump file in workDir) into image and sends it. Fails, with nothing sent, when the file
// does not load.
bool DownloadFirmware(TUsbHidInterface& link, Clock& clock, const QString& hexPath, const QString& workDir,
                      HexImage& image, const FwLogSink& log, const DownloadObserver& observer = {});
