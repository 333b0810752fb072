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

TEST(Profile, ASaveChangesOnlyTheKeysItSets)
{
    // Files are read as UTF-8 when they pass as UTF-8; a save must not tip a file from one reading
    // into the other, nor lose characters that Windows-1252 lacks.
    struct Case {
        const char* what;
        QByteArray content;
        QString section, key, text;  // a value that must read the same after the save
    };
    const Case cases[] = {
        {"1252 bytes that would pass as UTF-8 once the one odd byte is saved over",
         "[S]\nNote=\xC3\xA4\nx=\xFF\n", "S", "Note", QStringLiteral("Ã¤")},
        {"a character Windows-1252 lacks", "[S]\nNote=\xE4\xB8\xAD\n", "S", "Note", QStringLiteral("中")},
        {"a signature written twice hides no section", "\xEF\xBB\xBF\xEF\xBB\xBF[S]\nNote=a\n", "S", "Note",
         QStringLiteral("a")},
        {"1252 letters that look like a signature", "\xC3\xAF\xC2\xBB\xC2\xBF[T]\n[S]\nNote=a\n", "S", "Note",
         QStringLiteral("a")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        writeAll(path, c.content);
        ASSERT_EQ(Profile(path).readString(c.section, c.key, "missing"), c.text);
        ASSERT_TRUE(Profile(path).writeString(c.section, "x", "1"));
        const Profile after(path);
        EXPECT_EQ(after.readString(c.section, c.key, "missing"), c.text) << readAll(path).toStdString();
        EXPECT_EQ(after.readInt(c.section, "x", 0), 1);
    }
}
