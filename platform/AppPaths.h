// Where the program keeps its files: the folder that stands for the executable's folder (settings,
// parameter sets, logo, linked documents) and the current directory for update logs.
#pragma once

#include <QString>

struct AppPaths {
    QString appDir;          // the executable's folder, or what --app-dir names; no trailing separator
    QString executableName;  // file name of the executable, e.g. "pressdiag" or "prog.exe"
    QString currentDir;      // where "fwupd.log" and "debugout.bin" go

    // The settings file: the executable's name with its extension replaced by "ini"
    // (appended where it has none), in appDir.
    QString iniPath() const;
    // appDir + "/" + name.
    QString inAppDir(const QString& name) const;

    // The paths of the running program; appDirOverride (if not empty) replaces the executable's folder.
    static AppPaths forRunningProgram(const QString& appDirOverride = {});
};
