// INI access with the semantics of the profile functions: defaults, case, first entries, quotes,
// in-place updates that keep line ends and encoding, and files refused before they are read.
#include "platform/Profile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
        {"1252 letters behind a signature that begin like a UTF-16 mark",
         "\xEF\xBB\xBF\xFE\xFFx\n[S]\nNote=\xE4\n", "S", "Note", QStringLiteral("\u00E4")},
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

TEST(ProfileReading, FirstSectionAndFirstKeyCountAndOnePairOfQuotesIsDropped)
{
    // As the Windows profile functions read a settings file.
    struct Case {
        const char* what;
        QByteArray content;
        const char* section;
        const char* key;
        QString expected;  // "<missing>" when the key must not be found
    };
    const Case cases[] = {
        {"the first of two keys", "[Settings]\nLanguage=3\nlanguage=5\n", "Settings", "Language", "3"},
        {"the first of two sections", "[Settings]\nLanguage=3\n[Info]\n[SETTINGS]\nLanguage=5\n", "Settings", "Language", "3"},
        {"a key only in a repeated section", "[Info]\nText01=a\n[Settings]\n[Info]\nText02=b\n", "Info", "Text02", "<missing>"},
        {"a key before any section", "Language=4\n[Settings]\nOther=1\n", "Settings", "Language", "<missing>"},
        {"double quotes", "[Settings]\nLanguage=\"2\"\n", "Settings", "Language", "2"},
        {"single quotes", "[Info]\nText04='none'\n", "Info", "Text04", "none"},
        {"quotes around a path", "[Info]\nLink03=\"docs\\m.pdf\"\n", "Info", "Link03", "docs\\m.pdf"},
        {"blanks outside the quotes go, inside they stay", "[Info]\nText03 =  \" Manual \"  \n", "Info", "Text03", " Manual "},
        {"only one pair", "[Info]\nText03=\"\"x\"\"\n", "Info", "Text03", "\"x\""},
        {"quotes that do not match", "[Info]\nText03=\"x'\n", "Info", "Text03", "\"x'"},
        {"a lone quote", "[Info]\nText03=\"\n", "Info", "Text03", "\""},
        {"quotes inside the value", "[Info]\nText03=a \"b\" c\n", "Info", "Text03", "a \"b\" c"},
        {"an empty pair", "[Info]\nText03=\"\"\n", "Info", "Text03", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        writeAll(path, c.content);
        const Profile p(path);
        EXPECT_EQ(p.readString(c.section, c.key, "<missing>"), c.expected);
    }
    QTemporaryDir dir;
    writeAll(dir.filePath("q.ini"), "[Settings]\nLanguage=\"2\"\nNeg=' -7'\n");
    const Profile p(dir.filePath("q.ini"));
    EXPECT_EQ(p.readInt("Settings", "Language", 0), 2);
    EXPECT_EQ(p.readInt("Settings", "Neg", 0), -7);
    // What a reader sees, listed: each section and key once.
    writeAll(dir.filePath("r.ini"), "x=1\n[A]\nk=1\nK=2\n[B]\n[a]\nj=3\n");
    const Profile r(dir.filePath("r.ini"));
    EXPECT_EQ(r.sections(), QStringList({"A", "B"}));
    EXPECT_EQ(r.keys("A"), QStringList({"k"}));
}

TEST(ProfileSaving, QuotesAndRepeatedEntriesAfterASave)
{
    struct Case {
        const char* what;
        QByteArray before;
        const char* section;
        const char* key;
        QString value;
        QByteArray after;
    };
    const Case cases[] = {
        {"an unchanged value keeps its quotes", "[Settings]\nLanguage=\"2\"\n", "Settings", "Language", "2",
         "[Settings]\nLanguage=\"2\"\n"},
        {"a changed value loses them", "[Settings]\nLanguage=\"2\"\n", "Settings", "Language", "3",
         "[Settings]\nLanguage=3\n"},
        {"every occurrence changes, in every section of the name",
         "[S]\nk=1\nK=2\n[s]\nk=3\n", "S", "k", "2", "[S]\nk=2\nK=2\n[s]\nk=2\n"},
        {"a key only in a repeated section also goes into the first",
         "[S]\na=1\n[T]\n[S]\nk=3\n", "S", "k", "4", "[S]\na=1\nk=4\n[T]\n[S]\nk=4\n"},
        {"a key before any section is not the section's", "k=1\n[S]\na=1\n", "S", "k", "2", "k=1\n[S]\na=1\nk=2\n"},
        {"a value that would lose its quotes is protected", "[S]\n", "S", "k", "\"x\"", "[S]\nk=\"\"x\"\"\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        writeAll(path, c.before);
        ASSERT_TRUE(Profile(path).writeString(c.section, c.key, c.value));
        EXPECT_EQ(readAll(path), c.after);
        EXPECT_EQ(Profile(path).readString(c.section, c.key), c.value);
    }
}

TEST(ProfileSaving, EachLineKeepsItsOwnLineEndAndNewLinesTakeTheCommonOne)
{
    struct Case {
        const char* what;
        QByteArray before;
        QByteArray after;  // after setting S/k=9 and T/n=1
    };
    const Case cases[] = {
        {"carriage returns only", "[S]\rk=1\ra=2\r", "[S]\rk=9\ra=2\r\r[T]\rn=1\r"},
        {"mixed, CR LF most common", "[S]\r\nk=1\na=2\r\nb=3\r\n", "[S]\r\nk=9\na=2\r\nb=3\r\n\r\n[T]\r\nn=1\r\n"},
        {"mixed, each line end as often as another: the first seen", "; c\r[S]\nk=1\r\n",
         "; c\r[S]\nk=9\r\n\r[T]\rn=1\r"},
        {"last line without a line end", "[S]\nk=1\na=2", "[S]\nk=9\na=2\n\n[T]\nn=1\n"},
        {"key added to a section that ends the file without a line end", "[T]\r\n[S]\r\na=2",
         "[T]\r\nn=1\r\n[S]\r\na=2\r\nk=9\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        writeAll(path, c.before);
        Profile p(path);
        p.setString("S", "k", "9");
        p.setString("T", "n", "1");
        ASSERT_TRUE(p.save());
        EXPECT_EQ(readAll(path), c.after);
    }
}

TEST(ProfileEncoding, Utf16FilesWithAByteOrderMarkAreReadAndWrittenBackAsUtf16)
{
    const QString text = QStringLiteral("[Parameter]\r\nText=Grün 中\r\nFlags=1\r\n");
    const auto utf16 = [](const QString& s, bool be) {
        QByteArray out = be ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
        for (QChar c : s) {
            const char hi = static_cast<char>(c.unicode() >> 8), lo = static_cast<char>(c.unicode() & 0xFF);
            out += be ? hi : lo;
            out += be ? lo : hi;
        }
        return out;
    };
    for (const bool be : {false, true}) {
        SCOPED_TRACE(be ? "big-endian" : "little-endian");
        QTemporaryDir dir;
        const QString path = dir.filePath("a.tcf");
        writeAll(path, utf16(text, be));
        Profile p(path);
        EXPECT_FALSE(p.refused());
        EXPECT_EQ(p.encoding(), be ? Profile::Encoding::Utf16BE : Profile::Encoding::Utf16LE);
        EXPECT_EQ(p.readString("Parameter", "Text"), QStringLiteral("Grün 中"));
        EXPECT_EQ(p.readInt("parameter", "flags", 0), 1);
        // Unchanged, the bytes come back as they were; changed, only the key differs.
        EXPECT_EQ(QByteArray::fromStdString(p.serialize()), utf16(text, be));
        p.setString("Parameter", "Flags", "0");
        p.setString("Parameter", "CS", "5");
        ASSERT_TRUE(p.save());
        EXPECT_EQ(readAll(path), utf16(QStringLiteral("[Parameter]\r\nText=Grün 中\r\nFlags=0\r\nCS=5\r\n"), be));
    }
}

TEST(ProfileRefusal, NoTextOrTooLargeOrNoFileIsRefusedAndNeverWritten)
{
    struct Case {
        const char* what;
        QByteArray content;
        Profile::Refusal refusal;
    };
    const Case cases[] = {
        {"a zero byte", QByteArray("[Settings]\nLanguage=1\n\0x=1\n", 26), Profile::Refusal::NotText},
        {"a zero byte in the first line", QByteArray("\0[Settings]\n", 12), Profile::Refusal::NotText},
        {"UTF-16 cut in half a character", QByteArray("\xFF\xFE[\0S\0]", 7), Profile::Refusal::NotText},
        {"a zero character in UTF-16", QByteArray("\xFF\xFE[\0\0\0", 6), Profile::Refusal::NotText},
        {"just over 1 MB of text", "[Settings]\nLanguage=1\n" + QByteArray(Profile::MaxFileSize, ';'),
         Profile::Refusal::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.ini");
        writeAll(path, c.content);
        Profile p(path);
        EXPECT_EQ(p.refusal(), c.refusal);
        EXPECT_FALSE(profileRefusalText(p.refusal()).isEmpty());
        EXPECT_TRUE(p.existed());
        EXPECT_EQ(p.readInt("Settings", "Language", 7), 7);
        EXPECT_FALSE(p.writeString("Settings", "Language", "2"));
        EXPECT_EQ(readAll(path), c.content);
    }

    QTemporaryDir dir;
    // Exactly 1 MB is still a file to read.
    const QByteArray full = "[Settings]\nLanguage=1\n" + QByteArray(Profile::MaxFileSize - 22, ';');
    writeAll(dir.filePath("full.ini"), full);
    EXPECT_EQ(Profile(dir.filePath("full.ini")).readInt("Settings", "Language", 0), 1);

    // 100 MB: refused from its size alone (sparse, so the test costs no disk).
    {
        QFile big(dir.filePath("big.ini"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        big.write("[Settings]\nLanguage=1\n");
        ASSERT_TRUE(big.resize(100 * 1024 * 1024));
    }
    EXPECT_EQ(Profile(dir.filePath("big.ini")).refusal(), Profile::Refusal::TooLarge);

    // A folder or a FIFO in the file's place: refused without blocking on the open.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
    EXPECT_EQ(Profile(dir.filePath("folder.ini")).refusal(), Profile::Refusal::NotAFile);
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo.ini"));
    if (::mkfifo(fifo.constData(), 0600) == 0) {
        Profile p(dir.filePath("fifo.ini"));
        EXPECT_EQ(p.refusal(), Profile::Refusal::NotAFile);
        EXPECT_FALSE(p.writeString("Settings", "Language", "1"));
    }
    // A missing file is no refusal: it is the empty file a first save creates.
    Profile missing(dir.filePath("new.ini"));
    EXPECT_FALSE(missing.refused());
    EXPECT_TRUE(missing.writeString("Settings", "Language", "1"));
}
