// Paths derived from the running executable.
#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

AppPaths AppPaths::forRunningProgram(const QString& appDirOverride)
{
    AppPaths p;
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    p.executableName = exe.fileName().isEmpty() ? QStringLiteral("pressdiag") : exe.fileName();
    p.appDir = appDirOverride.isEmpty() ? exe.absolutePath() : QDir(appDirOverride).absolutePath();
    p.currentDir = QDir::currentPath();
    return p;
}
