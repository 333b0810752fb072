// pressdiag-cli: global options, then one command from the table below.
#include "cli/Cli.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <functional>

namespace {
struct Command {
    const char* name;
    const char* usage;
    int (*run)(CliArgs&);
    bool needsGui;  // painting with fonts needs a QGuiApplication
};

// One line per command.
const Command Commands[] = {
    {"info", "info                      tool versions, live state, warranty and parameter block", cmdInfo, false},
    {"ls", "ls PATTERN                names on the tool's data store matching PATTERN", cmdLs, false},
    {"get", "get PATH OUT              copy a file of the tool's data store to OUT", cmdGet, false},
    {"hex-info", "hex-info FILE             image end and flash pages a firmware HEX file would send", cmdHexInfo, false},
    {"flash", "flash FILE                download a firmware HEX file into the tool's bootloader", cmdFlash, false},
    {"checksum", "checksum FILE [--write]   a parameter set's checksum and its own CS; --write stores it as CS", cmdChecksum, false},
    {"program-controller", "program-controller [--port DEVICE] [--unprotect] [--no-start] [--verify] FILE.hex   program a controller through its serial bootloader", cmdProgramController, false},
    {"render", "render --image NAME [--size WxH] [--lang N] (FILE | --tool PATH) OUT.png   draw a cycle file as the chart does", cmdRender, true},
    {"report", "report [--lang N] [--comment TEXT] (--pdf OUT.pdf | --jpeg OUT.jpg) [YYYYMMDD\\NNNNNN]   single-cycle report\n"
               "  report --day YYYYMMDD [--cycles NNNNNN,...] [--lang N] (--pdf OUT.pdf | --jpeg OUT.jpg)   multi-cycle report",
     cmdReport, true},
};

void usage()
{
    std::fputs("usage: pressdiag-cli [--simulate[=demo|v2|sensor|new]] COMMAND [ARGS]\ncommands:\n", stderr);
    for (const auto& c : Commands)
        std::fprintf(stderr, "  %s\n", c.usage);
}
}  // namespace

int main(int argc, char** argv)
{
    CliArgs args;
    int i = 1;
    for (; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == "--simulate")
            args.simulate = QStringLiteral("demo");
        else if (a.startsWith("--simulate="))
            args.simulate = a.mid(11);
        else if (a == "--help" || a == "-h") {
            usage();
            return ExitOk;
        } else
            break;
    }
    if (i >= argc) {
        usage();
        return ExitUsage;
    }
    args.command = QString::fromLocal8Bit(argv[i++]);
    for (; i < argc; ++i)
        args.args << QString::fromLocal8Bit(argv[i]);

    for (const auto& c : Commands) {
        if (args.command != QLatin1String(c.name))
            continue;
        if (c.needsGui) {
            if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            QGuiApplication app(argc, argv);
            return c.run(args);
        }
        QCoreApplication app(argc, argv);
        return c.run(args);
    }
    printError(QStringLiteral("unknown command '%1'").arg(args.command));
    usage();
    return ExitUsage;
}
