// The firmware download. Requests are built in their own zeroed buffers: the bytes the tool does
// not read go out as zeros instead of whatever the previous reply left behind.
#include "service/FirmwareDownload.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

void say(const FwLogSink& log, const QString& text)
{
    if (log)
        log(text);
}

Payload request(Cmd code)
{
    Payload p{};
    p[0] = static_cast<std::uint8_t>(code);
    return p;
}

}  // namespace

QString SystemErrorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool SendFirmwareImage(TUsbHidInterface& link, Clock& clock, const HexImage& image, const FwLogSink& log,
                       const DownloadObserver& observer)
{
    const std::uint64_t start = clock.tickMs();
    if (observer.started)
        observer.started();

    const int pages = image.pageCount();
    for (int a = 0; a < pages; ++a) {
        const int flashPage = FwFlash::FirstPage + a;
        if (observer.pageStarting)
            observer.pageStarting(a + 1, flashPage);
        const auto fail = [&] {
            say(log, SystemErrorText());
            if (observer.pageDone)
                observer.pageDone(flashPage, false);
            return false;
        };
        for (int i = 0; i < FwFlash::BlocksPerPage; ++i) {
            Payload block = request(Cmd::FwLoadBlock);
            block[FwRequest::BlockIndex] = static_cast<std::uint8_t>(i);
            const auto bytes = image.block(a, i);
            std::copy(bytes.begin(), bytes.end(), block.begin() + FwRequest::BlockData);
            if (!link.Exchange(block))
                return fail();
        }
        Payload program = request(Cmd::FwProgramPage);
        program[FwRequest::PageNumber] = static_cast<std::uint8_t>(flashPage);
        if (!link.Exchange(program))
            return fail();
        if (observer.pageDone)
            observer.pageDone(flashPage, true);
    }

    say(log, QString::asprintf("\tExecution time %dms", static_cast<int>(clock.tickMs() - start)));
    if (!link.WriteRequest(request(Cmd::FwFinish)))
        say(log, SystemErrorText());
    return true;
}

bool DownloadFirmware(TUsbHidInterface& link, Clock& clock, const QString& hexPath, const QString& workDir,
                      HexImage& image, const FwLogSink& log, const DownloadObserver& observer)
{
    say(log, QStringLiteral("Flash Application %1").arg(hexPath));
    if (!LoadHexFile(hexPath, workDir, image, log))
        return false;
    return SendFirmwareImage(link, clock, image, log, observer);
}
