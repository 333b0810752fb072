// Program entry of the GUI: options, the real services (or the built-in simulated tool) and the
// main window.
#include "app/ui/Main.h"
#include "app/ui/QtPrompts.h"
#include "platform/AppPaths.h"
#include "platform/Clock.h"
#include "platform/HidapiPlatform.h"
#include "platform/Shell.h"
#include "sim/SimHidPlatform.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>

namespace {

// An exception escaping an event handler is shown and the message loop goes on, as the
// application's standard exception display did; Qt itself cannot let it pass.
class Application final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(activeWindow(), THauptDialog::ApplicationTitle, QString::fromLocal8Bit(e.what()));
        }
        return false;
    }
};

struct Options {
    bool simulate = false;
    SimScenario scenario = SimScenario::Demo;
    QString appDir;
    bool manufacturer = false;
    bool production = false;
    bool debug = false;
    int quitAfterMs = -1;  // for measurements: close the window after this long
};

const char* const Usage =
    "usage: pressdiag [--simulate[=demo|v2|sensor|new]] [--app-dir DIR]\n"
    "                 [--manufacturer] [--production] [--debug] [--quit-after MS]\n";

// nullopt after printing what is wrong.
std::optional<Options> parseOptions(const QStringList& args)
{
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](const QString& name) -> std::optional<QString> {
            if (a.startsWith(name + QLatin1Char('=')))
                return a.mid(name.size() + 1);
            if (a == name && i + 1 < args.size())
                return args[++i];
            return std::nullopt;
        };
        if (a == QLatin1String("--simulate")) {
            o.simulate = true;
        } else if (a.startsWith(QLatin1String("--simulate="))) {
            const auto scenario = parseSimScenario(a.mid(11).toStdString());
            if (!scenario) {
                std::fprintf(stderr, "pressdiag: unknown scenario '%s'\n%s", qPrintable(a.mid(11)), Usage);
                return std::nullopt;
            }
            o.simulate = true;
            o.scenario = *scenario;
        } else if (a == QLatin1String("--manufacturer")) {
            o.manufacturer = true;
        } else if (a == QLatin1String("--production")) {
            o.production = true;
        } else if (a == QLatin1String("--debug")) {
            o.debug = true;
        } else if (a.startsWith(QLatin1String("--app-dir"))) {
            const auto dir = value(QStringLiteral("--app-dir"));
            if (!dir || dir->isEmpty()) {
                std::fprintf(stderr, "pressdiag: --app-dir needs a folder\n%s", Usage);
                return std::nullopt;
            }
            o.appDir = *dir;
        } else if (a.startsWith(QLatin1String("--quit-after"))) {
            const auto ms = value(QStringLiteral("--quit-after"));
            bool ok = false;
            const int v = ms ? ms->toInt(&ok) : -1;
            if (!ok || v < 0) {
                std::fprintf(stderr, "pressdiag: --quit-after needs milliseconds\n%s", Usage);
                return std::nullopt;
            }
            o.quitAfterMs = v;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            std::fputs(Usage, stdout);
            std::fputs("\nSettings file, parameter sets, logo and linked documents are kept in the app folder:\n"
                       "beside the program where that folder is writable (a build tree, an unpacked copy),\n"
                       "else in $XDG_DATA_HOME/pressdiag (usually ~/.local/share/pressdiag), created on first\n"
                       "start; --app-dir DIR names it outright. The debug page shows the folder in use.\n",
                       stdout);
            std::exit(0);
        } else {
            std::fprintf(stderr, "pressdiag: unknown option '%s'\n%s", qPrintable(a), Usage);
            return std::nullopt;
        }
    }
    return o;
}

int run(Application& app, const Options& o)
{
    SystemClock clock;
    std::unique_ptr<HidPlatform> hid;
    if (o.simulate) {
        auto sim = std::make_unique<SimHidPlatform>(clock);
        sim->addTool(o.scenario);
        hid = std::move(sim);
    } else {
        hid = std::make_unique<HidapiPlatform>();
    }
    QtPrompts prompts;
    DesktopShell shell;
    Services services{*hid, clock, prompts, shell, AppPaths::forRunningProgram(o.appDir)};
    services.manufacturer = o.manufacturer;
    services.production = o.production;
    services.debug = o.debug;

    THauptDialog window(services);
    prompts.setParent(&window);
    window.show();
    if (o.quitAfterMs >= 0)
        QTimer::singleShot(o.quitAfterMs, &window, [&window] { window.close(); });
    return app.exec();
}

}  // namespace

int main(int argc, char** argv)
{
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pressdiag"));
    QApplication::setApplicationVersion(QStringLiteral(PRESSDIAG_VERSION_TEXT));
    const auto options = parseOptions(QApplication::arguments());
    if (!options)
        return 2;
    try {
        return run(app, *options);
    } catch (const std::exception& e) {
        // What escapes is shown once, and the program ends normally.
        QMessageBox::critical(nullptr, THauptDialog::ApplicationTitle, QString::fromLocal8Bit(e.what()));
        return 0;
    }
}
