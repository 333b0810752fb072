// Paths derived from the running executable and the user's environment.
#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

#ifndef PRESSDIAG_INSTALL_BINDIR
#define PRESSDIAG_INSTALL_BINDIR "/usr/bin"
#endif

namespace {
QString cleanAbsolute(const QString& dir)
{
    return QDir::cleanPath(QDir(dir).absolutePath());
}
}  // namespace

AppDirChoice chooseAppDir(const AppDirInputs& in)
{
    if (!in.appDirOverride.isEmpty())
        return {cleanAbsolute(in.appDirOverride), AppDirSource::Override};

    const QString exeDir = QDir::cleanPath(in.executableDir);
    bool installed = false;
    for (const QString& bin : in.systemBinDirs)
        installed = installed || exeDir == QDir::cleanPath(bin);
    if (!exeDir.isEmpty() && !installed && in.isWritableDir && in.isWritableDir(exeDir))
        return {exeDir, AppDirSource::Executable};

    // A relative XDG_DATA_HOME is to be ignored, as is an empty one.
    const QString dataHome = QDir::isAbsolutePath(in.xdgDataHome)
                                 ? in.xdgDataHome
                                 : QDir(in.homeDir).filePath(QStringLiteral(".local/share"));
    return {QDir::cleanPath(QDir(dataHome).filePath(QStringLiteral("pressdiag"))), AppDirSource::PerUser};
}

QString describeAppDir(const AppDirChoice& choice)
{
    const char* why = "";
    switch (choice.source) {
    case AppDirSource::Executable: why = "the program's own folder"; break;
    case AppDirSource::PerUser: why = "per-user folder, the program's folder is not writable"; break;
    case AppDirSource::Override: why = "--app-dir"; break;
    }
    return QStringLiteral("%1 (%2)").arg(QDir::toNativeSeparators(choice.dir), QLatin1String(why));
}

QString AppPaths::iniPath() const
{
    const int dot = executableName.lastIndexOf('.');
    const QString base = dot > 0 ? executableName.left(dot) : executableName;
    return inAppDir(base + QStringLiteral(".ini"));
}

QString AppPaths::inAppDir(const QString& name) const
{
    if (appDir.isEmpty())
        return name;
    return QDir(appDir).filePath(name);
}

AppDirInputs AppPaths::inputsForRunningProgram(const QString& appDirOverride)
{
    AppDirInputs in;
    in.executableDir = QFileInfo(QCoreApplication::applicationFilePath()).absolutePath();
    in.appDirOverride = appDirOverride;
    in.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    in.homeDir = QDir::homePath();
    in.systemBinDirs = {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin"), QStringLiteral("/bin"),
                        QStringLiteral(PRESSDIAG_INSTALL_BINDIR)};
    in.isWritableDir = [](const QString& dir) {
        const QFileInfo info(dir);
        return info.isDir() && info.isWritable();
    };
    return in;
}

AppPaths AppPaths::forRunningProgram(const QString& appDirOverride)
{
    AppPaths p;
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    p.executableName = exe.fileName().isEmpty() ? QStringLiteral("pressdiag") : exe.fileName();
    const AppDirChoice choice = chooseAppDir(inputsForRunningProgram(appDirOverride));
    p.appDir = choice.dir;
    p.appDirSource = choice.source;
    p.currentDir = QDir::currentPath();
    if (choice.source == AppDirSource::PerUser) {
        // Created on first start. Without it the program still runs; each write then reports its failure.
        if (!QDir().mkpath(choice.dir))
            std::fprintf(stderr, "pressdiag: cannot create %s\n", qPrintable(QDir::toNativeSeparators(choice.dir)));
        p.currentDir = choice.dir;
    }
    return p;
}
