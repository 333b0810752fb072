// hex-info: what a HEX file would make the firmware download send, without a tool, so a release
// can be checked before it goes to the workshop or the production line.
#include "cli/Cli.h"

#include "service/HexFile.h"

#include <QStringList>
#include <cstdio>

int cmdHexInfo(CliArgs& args)
{
    if (args.args.size() != 1) {
        printError(QStringLiteral("usage: hex-info FILE"));
        return ExitUsage;
    }
    QStringList log;
    HexImage image;
    // No dump file: looking at a file should leave nothing behind.
    const bool ok = LoadHexFile(args.args[0], std::nullopt, image, [&log](const QString& line) { log << line; });

    QStringList pages;
    if (ok)
        for (int page : image.flashPages())
            pages << QString::number(page);
    std::printf("ImageEnd=0x%X\n", ok ? static_cast<unsigned>(image.ImageEnd) : 0u);
    std::printf("Pages=%s\n", pages.join(',').toLocal8Bit().constData());
    for (const QString& line : log)
        std::printf("%s\n", line.toLocal8Bit().constData());
    return ok ? ExitOk : ExitFailure;
}
