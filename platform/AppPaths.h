// Where the program keeps its files: the folder that stands for the executable's folder (settings,
// parameter sets, logo, linked documents) and the folder for update logs.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Why the app folder is the one it is; --help and the debug page say it.
enum class AppDirSource {
    Executable,  // the executable's own folder (a build tree, an unpacked copy)
    PerUser,     // $XDG_DATA_HOME/pressdiag: the executable's folder cannot or must not be written
    Override,    // --app-dir
};

// What the choice of the app folder depends on, gathered so that a test can set each of them.
struct AppDirInputs {
    QString executableDir;    // absolute, no trailing separator
    QString appDirOverride;   // --app-dir; empty when not given
    QString xdgDataHome;      // $XDG_DATA_HOME as set; ignored unless absolute
    QString homeDir;          // the user's home folder
    QStringList systemBinDirs; // where an installed program lives; never used as app folder
    std::function<bool(const QString&)> isWritableDir;
};

struct AppDirChoice {
    QString dir;  // absolute, cleaned
    AppDirSource source = AppDirSource::Executable;
};

// The app folder: --app-dir when given; else the executable's folder when it is writable and not the
// system's program folder (root can write /usr/bin, but nothing of ours belongs there); else the
// per-user folder. Only decides; creates nothing.
AppDirChoice chooseAppDir(const AppDirInputs& in);

// One line for --help and the debug page: the folder and why it is used.
QString describeAppDir(const AppDirChoice& choice);

struct AppPaths {
    QString appDir;          // the executable's folder, or what --app-dir names; no trailing separator
    QString executableName;  // file name of the executable, e.g. "pressdiag" or "prog.exe"
    QString currentDir;      // where "fwupd.log" and "debugout.bin" go
    AppDirSource appDirSource = AppDirSource::Executable;

    // The settings file: the executable's name with its extension replaced by "ini"
    // (appended where it has none), in appDir.
    QString iniPath() const;
    // appDir + "/" + name.
    QString inAppDir(const QString& name) const;

    // The inputs of chooseAppDir for the running program and its environment.
    static AppDirInputs inputsForRunningProgram(const QString& appDirOverride = {});
    // The paths of the running program. A per-user folder is created when missing; currentDir is the
    // process's current directory, except for the per-user folder, where an installed program's
    // current directory (often / or the home folder when started from a menu) is no place for its logs.
    static AppPaths forRunningProgram(const QString& appDirOverride = {});
};
