// ls and get: the tool's data store from the command line.
#include "cli/Cli.h"

#include "link/Usbhidinterface.h"

#include <QFile>
#include <cstdio>
#include <vector>

namespace {
// The largest file the tool's 16-bit sized open can announce, plus the final empty chunk.
constexpr std::size_t MaxToolFileBytes = 65535 + 2 * FileChunkSize;
}

int cmdLs(CliArgs& args)
{
    if (args.args.size() != 1) {
        printError(QStringLiteral("usage: ls PATTERN   (e.g. ls '20261210\\*')"));
        return ExitUsage;
    }
    auto tool = openTool(args);
    if (!tool)
        return ExitFailure;
    QString name;
    bool first = true;
    // A tool that never stops answering with names is cut off after as many as a day can hold.
    for (int i = 0; i < 100000; ++i) {
        if (!tool->link->CmdFindFile(first, args.args[0], name)) {
            printError(QStringLiteral("the search on the tool failed"));
            return ExitFailure;
        }
        first = false;
        if (name.isEmpty())
            return ExitOk;
        std::printf("%s\n", name.toLocal8Bit().constData());
    }
    return ExitOk;
}

int cmdGet(CliArgs& args)
{
    if (args.args.size() != 2) {
        printError(QStringLiteral("usage: get PATH OUT   (e.g. get '20261210\\000123' cycle.bin)"));
        return ExitUsage;
    }
    auto tool = openTool(args);
    if (!tool)
        return ExitFailure;
    std::vector<std::uint8_t> buffer(MaxToolFileBytes);
    const int n = tool->link->ReadToolFile(args.args[0], buffer);
    if (n <= 0) {
        printError(QStringLiteral("could not read '%1' from the tool").arg(args.args[0]));
        return ExitFailure;
    }
    QFile out(args.args[1]);
    if (!out.open(QIODevice::WriteOnly) || out.write(reinterpret_cast<const char*>(buffer.data()), n) != n) {
        printError(QStringLiteral("could not write '%1'").arg(args.args[1]));
        return ExitFailure;
    }
    std::printf("%d bytes\n", n);
    return ExitOk;
}
