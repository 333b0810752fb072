// The choice of the app folder: beside the executable, per user, or --app-dir; and the files in it.
#include "platform/AppPaths.h"

#include <QDir>
#include <QSet>
#include <gtest/gtest.h>

namespace {
struct FolderCase {
    const char* name;
    const char* exeDir;
    const char* appDirOverride;
    const char* xdgDataHome;
    QSet<QString> writable;
    const char* expectedDir;
    AppDirSource expectedSource;
};

AppDirInputs inputs(const FolderCase& c)
{
    AppDirInputs in;
    in.executableDir = QString::fromUtf8(c.exeDir);
    in.appDirOverride = QString::fromUtf8(c.appDirOverride);
    in.xdgDataHome = QString::fromUtf8(c.xdgDataHome);
    in.homeDir = QStringLiteral("/home/tech");
    in.systemBinDirs = {QStringLiteral("/usr/bin"), QStringLiteral("/usr/local/bin")};
    const QSet<QString> writable = c.writable;
    in.isWritableDir = [writable](const QString& dir) { return writable.contains(dir); };
    return in;
}
}  // namespace

TEST(AppPaths, ChoosesTheFolderFromWritabilityEnvironmentAndOverride)
{
    const FolderCase cases[] = {
        {"build tree", "/work/build/release", "", "", {"/work/build/release"}, "/work/build/release",
         AppDirSource::Executable},
        {"unpacked copy under a writable root", "/tmp/root/usr/bin", "", "", {"/tmp/root/usr/bin"},
         "/tmp/root/usr/bin", AppDirSource::Executable},
        {"installed, user cannot write /usr/bin", "/usr/bin", "", "", {}, "/home/tech/.local/share/pressdiag",
         AppDirSource::PerUser},
        {"installed, root can write /usr/bin but gets the per-user folder", "/usr/bin", "", "", {"/usr/bin"},
         "/home/tech/.local/share/pressdiag", AppDirSource::PerUser},
        {"/usr/local/bin likewise", "/usr/local/bin/", "", "", {"/usr/local/bin"},
         "/home/tech/.local/share/pressdiag", AppDirSource::PerUser},
        {"read-only copy elsewhere", "/media/stick/pressdiag", "", "", {}, "/home/tech/.local/share/pressdiag",
         AppDirSource::PerUser},
        {"XDG_DATA_HOME is used", "/usr/bin", "", "/data/tech", {}, "/data/tech/pressdiag", AppDirSource::PerUser},
        {"XDG_DATA_HOME with a trailing separator", "/usr/bin", "", "/data/tech/", {}, "/data/tech/pressdiag",
         AppDirSource::PerUser},
        {"relative XDG_DATA_HOME is ignored", "/usr/bin", "", "data", {}, "/home/tech/.local/share/pressdiag",
         AppDirSource::PerUser},
        {"--app-dir wins over a writable program folder", "/work/build/release", "/srv/press", "",
         {"/work/build/release"}, "/srv/press", AppDirSource::Override},
        {"--app-dir wins over the per-user folder, cleaned", "/usr/bin", "/srv/press/./sets/..", "/data/tech", {},
         "/srv/press", AppDirSource::Override},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const AppDirChoice choice = chooseAppDir(inputs(c));
        EXPECT_EQ(choice.dir, QString::fromUtf8(c.expectedDir));
        EXPECT_EQ(choice.source, c.expectedSource);
    }
}

TEST(AppPaths, RelativeAppDirIsTakenFromTheCurrentDirectory)
{
    FolderCase c{"relative", "/usr/bin", "sets", "", {}, "", AppDirSource::Override};
    const AppDirChoice choice = chooseAppDir(inputs(c));
    EXPECT_EQ(choice.dir, QDir::cleanPath(QDir::current().filePath("sets")));
    EXPECT_EQ(choice.source, AppDirSource::Override);
}

TEST(AppPaths, DescriptionNamesTheFolderAndTheReason)
{
    EXPECT_EQ(describeAppDir({"/home/tech/.local/share/pressdiag", AppDirSource::PerUser}),
              "/home/tech/.local/share/pressdiag (per-user folder, the program's folder is not writable)");
    EXPECT_EQ(describeAppDir({"/srv/press", AppDirSource::Override}), "/srv/press (--app-dir)");
    EXPECT_EQ(describeAppDir({"/opt/p", AppDirSource::Executable}), "/opt/p (the program's own folder)");
}

TEST(AppPaths, SettingsFileTakesTheExecutableNameWithIniExtension)
{
    const struct {
        const char* exe;
        const char* ini;
    } cases[] = {{"pressdiag", "/d/pressdiag.ini"}, {"prog.exe", "/d/prog.ini"}, {".hidden", "/d/.hidden.ini"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exe);
        AppPaths p;
        p.appDir = QStringLiteral("/d");
        p.executableName = QString::fromUtf8(c.exe);
        EXPECT_EQ(p.iniPath(), QString::fromUtf8(c.ini));
    }
}
