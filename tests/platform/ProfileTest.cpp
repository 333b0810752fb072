// INI access with the semantics of the profile functions: defaults, case, in-place updates.
#include "platform/Profile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void writeAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}
}  // namespace

TEST(Profile, MissingFileGivesDefaults)
{
    QTemporaryDir dir;
    Profile p(dir.filePath("none.ini"));
    EXPECT_FALSE(p.existed());
    EXPECT_EQ(p.readInt("Settings", "Language", 0), 0);
    EXPECT_EQ(p.readString("Info", "Text01", "none"), "none");
}

TEST(Profile, NamesIgnoreCaseAndIntegersStopAtForeignCharacters)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeAll(path, "[settings]\nLANGUAGE=  3x\nneg=-12\nempty=\n");
    Profile p(path);
    EXPECT_EQ(p.readInt("Settings", "Language", 0), 3);
    EXPECT_EQ(p.readInt("SETTINGS", "neg", 0), -12);
    EXPECT_EQ(p.readInt("Settings", "empty", 7), 0);
    EXPECT_EQ(p.readInt("Settings", "missing", 7), 7);
}

TEST(Profile, WriteReplacesInPlaceAndKeepsTheRest)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeAll(path, "; comment\n[Info]\nText01=x\n[Settings]\nLanguage=1\nOther=y\n");
    Profile p(path);
    ASSERT_TRUE(p.writeString("Settings", "Language", "4"));
    ASSERT_TRUE(p.writeString("New", "Key", "Grün"));
    const QByteArray out = readAll(path);
    EXPECT_TRUE(out.contains("; comment"));
    EXPECT_TRUE(out.contains("Text01"));
    EXPECT_LT(out.indexOf("Language"), out.indexOf("Other"));
    EXPECT_TRUE(out.contains("Gr\xFCn"));  // written as Windows-1252
    Profile again(path);
    EXPECT_EQ(again.readInt("settings", "language", 0), 4);
    EXPECT_EQ(again.readString("new", "key"), QStringLiteral("Grün"));
}
