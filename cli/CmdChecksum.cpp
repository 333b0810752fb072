// pressdiag-cli checksum FILE [--write]: the checksum of a parameter-set file against its own "CS",
// and, with --write, the checksum written into the file as the checksum button does.
#include "cli/Cli.h"

#include "params/ParameterSetFile.h"

#include <QFileInfo>
#include <cstdio>

int cmdChecksum(CliArgs& args)
{
    QString path;
    bool write = false;
    for (const QString& a : args.args) {
        if (a == QLatin1String("--write")) {
            write = true;
        } else if (a.startsWith(QLatin1String("--")) || !path.isEmpty()) {
            printError(QStringLiteral("usage: checksum FILE [--write]"));
            return ExitUsage;
        } else {
            path = a;
        }
    }
    if (path.isEmpty()) {
        printError(QStringLiteral("usage: checksum FILE [--write]"));
        return ExitUsage;
    }
    // The program itself reads a missing file as all zeros; a script asking about a file wants to
    // know that it is not there.
    if (!QFileInfo(path).isFile()) {
        printError(QStringLiteral("cannot read %1").arg(path));
        return ExitFailure;
    }
    ParameterSetFile file(path);
    if (!file.existed()) {
        printError(QStringLiteral("cannot read %1").arg(path));
        return ExitFailure;
    }
    const std::uint16_t checksum = file.checksum();
    const std::int32_t stored = file.storedChecksum();
    std::printf("%u\nCS=%d %s\n", static_cast<unsigned>(checksum), stored, file.checksumMatches() ? "ok" : "mismatch");
    std::fflush(stdout);
    if (write && !file.writeChecksum()) {
        printError(QStringLiteral("cannot write %1").arg(path));
        return ExitFailure;
    }
    return ExitOk;
}
