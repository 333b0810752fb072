// flash: the firmware download without a dialog, for production lines that script it. The tool
// must already run its bootloader; the update log goes into the current directory as it does
// from the program's dialog.
#include "cli/Cli.h"

#include "link/Usbhidinterface.h"
#include "service/FirmwareDownload.h"
#include "sim/SimulatedTool.h"
#include "service/UpdateLog.h"

#include <QDir>
#include <cstdio>

int cmdFlash(CliArgs& args)
{
    if (args.args.size() != 1) {
        printError(QStringLiteral("usage: flash FILE"));
        return ExitUsage;
    }
    auto tool = openTool(args);
    if (!tool)
        return ExitFailure;
    if (tool->simulated) {
        // A simulated tool stands in for one brought into its bootloader by hand.
        tool->simulated->enterBootloader();
        tool->link->Close();
        if (!tool->link->Open(ToolVendorId, ToolProductId, 0)) {
            printError(QStringLiteral("the simulated tool did not come back in its bootloader"));
            return ExitFailure;
        }
    }

    const QString workDir = QDir::currentPath();
    UpdateLog log;
    if (!log.open(workDir))
        printError(QStringLiteral("cannot create %1 in %2; flashing without a log").arg(UpdateLog::FileName, workDir));

    DownloadObserver observer;
    observer.pageDone = [](int flashPage, bool ok) {
        std::printf("page %d %s\n", flashPage, ok ? "ok" : "failed");
        std::fflush(stdout);
    };
    HexImage image;
    const bool ok = DownloadFirmware(*tool->link, *tool->clock, args.args[0], workDir, image, log.sink(), observer);
    log.close();
    if (!ok) {
        printError(QStringLiteral("firmware download failed (see %1)").arg(UpdateLog::FileName));
        return ExitFailure;
    }
    std::printf("firmware transferred\n");
    return ExitOk;
}
