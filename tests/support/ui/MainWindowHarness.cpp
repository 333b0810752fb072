// The harness behind the main-window tests; see the header.
#include "tests/support/ui/MainWindowHarness.h"

#include "link/Usbhidinterface.h"

#include <QFile>
#include <stdexcept>

MainWindowHarness::MainWindowHarness(MainWindowOptions options) : dir_(std::make_shared<QTemporaryDir>())
{
    if (!dir_->isValid())
        throw std::runtime_error("no temporary folder");
    appDir_ = dir_->path();
    setUp(options);
}

MainWindowHarness::MainWindowHarness(const MainWindowHarness& previousRun, MainWindowOptions options)
    : dir_(previousRun.dir_), appDir_(previousRun.appDir_)
{
    setUp(options);
}

void MainWindowHarness::setUp(const MainWindowOptions& options)
{
    tool_ = &sim.addTool(options.scenario);
    if (!options.toolPlugged)
        tool_->unplug();
    AppPaths paths;
    paths.appDir = appDir_;
    paths.executableName = options.executableName;
    paths.currentDir = appDir_;
    services_ = std::make_unique<Services>(Services{hid, clock, hooked, shell, paths});
    services_->manufacturer = options.manufacturer;
    services_->production = options.production;
    services_->debug = options.debug;
    // Process-wide in the product; every test starts a fresh program run.
    LastCycleCount = 0;
}

MainWindowHarness::~MainWindowHarness()
{
    window_.reset();
}

QString MainWindowHarness::iniPath() const
{
    return services_->paths.iniPath();
}

void MainWindowHarness::writeIni(const QByteArray& content) const
{
    writeAppFile(QFileInfo(iniPath()).fileName(), content);
}

QByteArray MainWindowHarness::readIni() const
{
    QFile f(iniPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void MainWindowHarness::writeAppFile(const QString& name, const QByteArray& content) const
{
    QFile f(appDir_ + QLatin1Char('/') + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        throw std::runtime_error("cannot write into the app folder");
}

THauptDialog& MainWindowHarness::window()
{
    if (!window_)
        window_ = std::make_unique<THauptDialog>(*services_);
    return *window_;
}

THauptDialog& MainWindowHarness::show(bool keepTimer)
{
    THauptDialog& w = window();
    w.show();
    if (!keepTimer)
        w.SearchDevice().stop();
    return w;
}

void MainWindowHarness::tick(int count)
{
    for (int i = 0; i < count; ++i) {
        clock.advanceMs(THauptDialog::SearchDeviceIntervalMs);
        window().SearchDeviceTimer();
    }
}

THauptDialog& MainWindowHarness::showConnected()
{
    THauptDialog& w = show();
    tick(2);
    return w;
}

void MainWindowHarness::closeWindow()
{
    if (!window_)
        return;
    window_->close();
    window_.reset();
}
