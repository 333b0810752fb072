// Parameter-set files: reading rules, checksum, taking a set into a block, saving and re-checksumming.
#include "params/ParameterSetFile.h"

#include <QDir>
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

// The example set as a save writes it, with texts of our own (they do not enter the checksum).
const QByteArray ExampleLines[] = {
    "[Parameter]",          "Kennung=0x00000201",  "Text=KTV Standard", "Typ=Presse 120",
    "Ruecklaufzeit=2500",   "MaxPresszeit=10000",  "TestUBattWarnung=15000", "TestUBattMin=14000",
    "TestUBattPWM=50",      "RucklaufPwmStart=100", "RucklaufPwmHold=30", "AwSprung=10",
    "MinAw=80",             "MinAwGelb=90",        "MinAwGruen=95",    "MaxAwGelb=110",
    "MaxAwGruen=105",       "ServiceIntervall=10000", "StartGarantie=50", "MinTemp=-10",
    "MaxTemp=50",           "AbschaltdruckMin=650", "AbschaltdruckMax=720", "Kolbendurchmesser=40",
    "Flags=0",              "CS=9600",
};

QByteArray exampleFile()
{
    QByteArray out;
    for (const QByteArray& line : ExampleLines)
        out += line + "\n";
    return out;
}

// The example file with one line replaced (matched by its key) or, if the key is new, appended.
QByteArray exampleWith(const QByteArray& key, const QByteArray& value)
{
    QByteArray out;
    bool replaced = false;
    for (const QByteArray& line : ExampleLines) {
        if (line.startsWith(key + "=")) {
            out += key + "=" + value + "\n";
            replaced = true;
        } else {
            out += line + "\n";
        }
    }
    if (!replaced)
        out += key + "=" + value + "\n";
    return out;
}

class ParameterSetFileTest : public ::testing::Test {
protected:
    QString write(const QByteArray& content, const QString& name = QStringLiteral("set.tcf"))
    {
        const QString path = dir.filePath(name);
        writeAll(path, content);
        return path;
    }
    QTemporaryDir dir;
};
}  // namespace

TEST(ChecksumStep, IsOneByteOfTheReflectedCrc16)
{
    // Chained like a plain CRC it must give the well-known CRC-16/ARC check value.
    std::uint32_t crc = 0;
    for (const char c : std::string("123456789"))
        crc = ChecksumStep(crc, static_cast<std::uint8_t>(c));
    EXPECT_EQ(crc, 0xBB3Du);
    // Only the low 8 bits of the value enter; the accumulator's upper bits are shifted down, not cut.
    EXPECT_EQ(ChecksumStep(0x1234, 0x1FF), ChecksumStep(0x1234, 0xFF));
    EXPECT_EQ(ChecksumStep(0x00010000u, 0), 0x00000100u);
}

TEST(ParameterSetInt, ReadingRules)
{
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"513", 513},           {"0x00000201", 513},     {"0X1f", 31},        {"  42", 42},
        {"\t7", 7},             {"-10", -10},            {"12abc", 12},       {"0x1G", 1},
        {"", 0},                {"abc", 0},              {"0x", 0},           {"-", 0},
        {"0xFFFFFFFF", -1},     {"4294967295", -1},      {"2147483648", INT32_MIN},
        {"0x123456789", 0x23456789}, {"1 000", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseParameterSetInt(QString::fromLatin1(c.text)), c.value) << c.text;
}

TEST_F(ParameterSetFileTest, WorkedChecksums)
{
    EXPECT_EQ(ParameterSetChecksum(write(exampleFile())), 9600);
    EXPECT_EQ(ParameterSetChecksum(write("[Parameter]\nText=nothing else\n", "empty.tcf")), 54468);
    EXPECT_EQ(ParameterSetChecksum(dir.filePath("missing.tcf")), 54468);
    EXPECT_TRUE(ParameterSetFile(write(exampleFile())).checksumMatches());
}

TEST_F(ParameterSetFileTest, HandEditsThatTheChecksumSeesAndThoseItDoesNot)
{
    const struct {
        const char* key;
        const char* value;
        bool stillValid;
    } cases[] = {
        // Keys outside the checksum.
        {"Text", "anything", true},
        {"Typ", "anything", true},
        {"MaxAwGruen", "1", true},
        {"MinTemp", "5", true},
        {"MaxTemp", "99", true},
        {"AbschaltdruckMin", "1", true},
        {"AbschaltdruckMax", "1", true},
        {"Kolbendurchmesser", "1", true},
        // Only the low 8 bits of each value enter.
        {"Ruecklaufzeit", "2756", true},
        {"Kennung", "513", true},
        {"Ruecklaufzeit", "2501", false},
        {"Flags", "1", false},
        {"ServiceIntervall", "10001", false},
        // Keys a save never writes, but the checksum reads.
        {"EditMinTemp", "5", false},
        {"EditMaxTemp", "5", false},
        {"CS", "9601", false},
    };
    for (const auto& c : cases) {
        const QString path = write(exampleWith(c.key, c.value));
        EXPECT_EQ(ParameterSetFile(path).checksumMatches(), c.stillValid) << c.key << "=" << c.value;
    }
}

TEST_F(ParameterSetFileTest, NamesMatchWithoutRegardToCaseAndTextsAreTrimmed)
{
    const QString path = write("[PARAMETER]\nkennung=0x00000201\nTEXT=   Set A   \nflags=1\n");
    const ParameterSetFile f(path);
    EXPECT_EQ(f.readInt(QStringLiteral("Kennung")), 0x201);
    EXPECT_EQ(f.readInt(QStringLiteral("Flags")), 1);
    EXPECT_EQ(f.readText(QStringLiteral("Text"), 63), QStringLiteral("Set A"));
    EXPECT_EQ(f.readText(QStringLiteral("Typ"), 63), QString());
    EXPECT_EQ(f.readInt(QStringLiteral("Missing")), 0);
}

TEST_F(ParameterSetFileTest, ReadAsTheWindowsProgramReadsIt)
{
    // Each of these is valid for the Windows program; read with the last key winning or the
    // sections merged, the first three were a "mismatch" and would have transferred Flags=1.
    struct Case {
        const char* what;
        QByteArray content;
        std::int32_t flags;
        QString text;
    };
    const Case cases[] = {
        {"a repeated key after CS", exampleFile() + "Flags=1\n", 0, "KTV Standard"},
        {"a repeated section", exampleFile() + "[Other]\nx=1\n[PARAMETER]\nFlags=1\nText=Other set\n", 0, "KTV Standard"},
        {"keys before any section", "Flags=1\nText=Before\n" + exampleFile(), 0, "KTV Standard"},
        {"quoted values", exampleWith("Kennung", "\"0x00000201\"").replace("Text=KTV Standard", "Text='KTV Standard'")
                              .replace("CS=9600", "CS=\"9600\""),
         0, "KTV Standard"},
        {"quotes kept inside a text", exampleWith("Text", "\"\"KTV\"\""), 0, "\"KTV\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ParameterSetFile f(write(c.content));
        EXPECT_TRUE(f.checksumMatches());
        EXPECT_EQ(f.readInt(QStringLiteral("Flags")), c.flags);
        EXPECT_EQ(f.readInt(QStringLiteral("Kennung")), 0x201);
        EXPECT_EQ(f.readText(QStringLiteral("Text"), 63), c.text);
        ParameterBlock block;
        f.applyTo(block);
        EXPECT_EQ(block.Flags, c.flags);
    }
}

TEST_F(ParameterSetFileTest, AFileThatIsNoSetIsRefusedAndLeftAsItIs)
{
    const QByteArray binary("[Parameter]\nFlags=1\n\0CS=4\n", 24);
    const QString path = write(binary);
    ParameterSetFile f(path);
    EXPECT_TRUE(f.refused());
    EXPECT_EQ(f.refusal(), Profile::Refusal::NotText);
    EXPECT_FALSE(f.checksumMatches());
    EXPECT_FALSE(f.writeChecksum());
    EXPECT_FALSE(ParameterSetFile(path).saveFrom(ParameterBlock{}, 0x201));
    EXPECT_EQ(readAll(path), binary);
}

TEST_F(ParameterSetFileTest, Windows1252AndUtf8FilesReadAlike)
{
    const QString cp1252 = write("[Parameter]\nText=Gr\xFC\xDF" "e\n", "a.tcf");
    const QString utf8 = write("[Parameter]\nText=Gr\xC3\xBC\xC3\x9F" "e\n", "b.tcf");
    EXPECT_EQ(ParameterSetFile(cp1252).readText(QStringLiteral("Text"), 63), QStringLiteral("Grüße"));
    EXPECT_EQ(ParameterSetFile(utf8).readText(QStringLiteral("Text"), 63), QStringLiteral("Grüße"));
}

TEST_F(ParameterSetFileTest, ApplyCutsEachValueToItsFieldAndKeepsTheToolsOwnFields)
{
    ParameterBlock tool;
    tool.LayoutVersion = 3;
    setParameterText(tool.MaschNr, QStringLiteral("SN-4711"));
    tool.Text.fill('x');
    tool.Typ.fill('y');
    tool.AwNomVal = 88000;
    tool.AwKalVal = 87000;
    tool.CntDs0bar = 400;
    tool.CntDs1000bar = 3256;
    tool.Reserved128 = {1, 2, 3, 4};
    tool.Reserved161.fill(9);
    tool.Flags = 0;

    const QString path = write("[Parameter]\n"
                               "Text=Gr\xFCn 1234567890123456789012345678901234567890\n"
                               "Typ=T\n"
                               "Kennung=0x00000002\n"
                               "Ruecklaufzeit=-1\n"
                               "TestUBattPWM=300\n"
                               "StartGarantie=-1\n"
                               "MinTemp=-10\n"
                               "MaxTemp=200\n"
                               "AbschaltdruckMin=70000\n"
                               "Kolbendurchmesser=0x128\n"
                               "Flags=257\n");
    ParameterBlock block = tool;
    ParameterSetFile(path).applyTo(block);

    // 31 characters, a zero, then the tool's bytes.
    EXPECT_EQ(parameterText(block.Text), QStringLiteral("Grün 12345678901234567890123456"));
    EXPECT_EQ(block.Text[31], 0);
    EXPECT_EQ(block.Text[0], 'G');
    EXPECT_EQ(block.Text[2], 0xFC);  // Windows-1252 in the block
    EXPECT_EQ(parameterText(block.Typ), QStringLiteral("T"));
    EXPECT_EQ(block.Typ[1], 0);
    EXPECT_EQ(block.Typ[2], 'y');
    EXPECT_EQ(block.Kennung, 2u);
    EXPECT_EQ(block.Ruecklaufzeit, 0xFFFFFFFFu);
    EXPECT_EQ(block.MaxPresszeit, 0u);  // missing key
    EXPECT_EQ(block.TestUBattPWM, 44);
    EXPECT_EQ(block.StartGarantie, -1);
    EXPECT_EQ(block.MinTemp, -10);
    EXPECT_EQ(block.MaxTemp, -56);
    EXPECT_EQ(block.AbschaltdruckMin, 70000 & 0xFFFF);
    EXPECT_EQ(block.Kolbendurchmesser, 0x28);
    EXPECT_EQ(block.Flags, 1);

    EXPECT_EQ(block.LayoutVersion, tool.LayoutVersion);
    EXPECT_EQ(block.MaschNr, tool.MaschNr);
    EXPECT_EQ(block.AwNomVal, tool.AwNomVal);
    EXPECT_EQ(block.AwKalVal, tool.AwKalVal);
    EXPECT_EQ(block.CntDs0bar, tool.CntDs0bar);
    EXPECT_EQ(block.CntDs1000bar, tool.CntDs1000bar);
    EXPECT_EQ(block.Reserved128, tool.Reserved128);
    EXPECT_EQ(block.Reserved161, tool.Reserved161);
}

TEST_F(ParameterSetFileTest, KennungAsDecimalOrHexadecimalGivesTheSameSet)
{
    ParameterBlock a, b;
    ParameterSetFile(write(exampleWith("Kennung", "513"), "dec.tcf")).applyTo(a);
    ParameterSetFile(write(exampleFile(), "hex.tcf")).applyTo(b);
    EXPECT_EQ(a.Kennung, 0x201u);
    EXPECT_EQ(a, b);
}

namespace {
ParameterBlock exampleBlock()
{
    ParameterBlock b;
    b.LayoutVersion = 3;
    b.Kennung = 0x101;  // not what is saved: the chosen identifier goes into the file
    setParameterText(b.Text, QStringLiteral("KTV Standard"));
    setParameterText(b.Typ, QStringLiteral("Presse 120"));
    b.Ruecklaufzeit = 2500;
    b.MaxPresszeit = 10000;
    b.TestUBattWarnung = 15000;
    b.TestUBattMin = 14000;
    b.TestUBattPWM = 50;
    b.RucklaufPwmStart = 100;
    b.RucklaufPwmHold = 30;
    b.AwSprung = 10;
    b.MinAw = 80;
    b.MinAwGelb = 90;
    b.MinAwGruen = 95;
    b.MaxAwGelb = 110;
    b.MaxAwGruen = 105;
    b.ServiceIntervall = 10000;
    b.StartGarantie = 50;
    b.MinTemp = -10;
    b.MaxTemp = 50;
    b.AbschaltdruckMin = 650;
    b.AbschaltdruckMax = 720;
    b.Kolbendurchmesser = 40;
    b.Flags = 0;
    return b;
}
}  // namespace

TEST_F(ParameterSetFileTest, SavingANewFileWritesTheKeysInOrder)
{
    const QString path = dir.filePath("new.tcf");
    ParameterSetFile f(path);
    ASSERT_TRUE(f.saveFrom(exampleBlock(), 0x201));
    EXPECT_EQ(readAll(path).trimmed(), exampleFile().trimmed());
}

TEST_F(ParameterSetFileTest, SavedNumbersReadBackToTheSameBits)
{
    ParameterBlock b = exampleBlock();
    b.ServiceIntervall = 0xFFFFFFF0u;
    b.StartGarantie = -1;
    b.MaxTemp = -56;
    const QString path = dir.filePath("wide.tcf");
    ASSERT_TRUE(ParameterSetFile(path).saveFrom(b, 0xFFFFFFFFu));
    const QByteArray text = readAll(path);
    EXPECT_TRUE(text.contains("\nKennung=0xFFFFFFFF\n"));
    EXPECT_TRUE(text.contains("\nServiceIntervall=-16\n"));
    EXPECT_TRUE(text.contains("\nMaxTemp=-56\n"));

    ParameterBlock back = b;
    const ParameterSetFile f(path);
    EXPECT_TRUE(f.checksumMatches());
    f.applyTo(back);
    EXPECT_EQ(back.ServiceIntervall, b.ServiceIntervall);
    EXPECT_EQ(back.StartGarantie, -1);
    EXPECT_EQ(back.MaxTemp, -56);
    EXPECT_EQ(back.Kennung, 0xFFFFFFFFu);
}

TEST_F(ParameterSetFileTest, SavingOverAnExistingFileKeepsItsOtherContent)
{
    const QString path = write("; made by hand\r\n"
                               "[Info]\r\nNote=keep me\r\n\r\n"
                               "[parameter]\r\nflags = 1\r\nEditMinTemp=5\r\nCS=1\r\nOwn=value\r\n"
                               "; last line of the section\r\n\r\n"
                               "[Zzz]\r\nLast=1\r\n; end of file\r\n");
    ASSERT_TRUE(ParameterSetFile(path).saveFrom(exampleBlock(), 0x201));

    // Existing keys are replaced where they stand, the others follow at the end of the section,
    // and every other line stays as it was, line breaks included.
    QByteArray added;
    for (const QByteArray& line : ExampleLines)
        if (line != "[Parameter]" && !line.startsWith("Flags=") && !line.startsWith("CS="))
            added += line + "\r\n";
    const ParameterSetFile again(path);
    const QByteArray expected = "; made by hand\r\n"
                                "[Info]\r\nNote=keep me\r\n\r\n"
                                "[parameter]\r\nflags=0\r\nEditMinTemp=5\r\nCS=" +
                                QByteArray::number(again.checksum()) +
                                "\r\nOwn=value\r\n; last line of the section\r\n" + added +
                                "\r\n[Zzz]\r\nLast=1\r\n; end of file\r\n";
    EXPECT_EQ(readAll(path), expected);

    // The extra "EditMinTemp" entered the new checksum: valid as it stands, unlike the plain example.
    EXPECT_TRUE(again.checksumMatches());
    EXPECT_NE(again.checksum(), 9600);
}

TEST_F(ParameterSetFileTest, ATextWithALineBreakCannotForgeKeys)
{
    ParameterBlock b = exampleBlock();
    setParameterText(b.Text, QStringLiteral("A\nFlags=1\rCS=1"));
    const QString path = dir.filePath("forged.tcf");
    ASSERT_TRUE(ParameterSetFile(path).saveFrom(b, 0x201));
    const ParameterSetFile f(path);
    EXPECT_EQ(f.readInt(QStringLiteral("Flags")), 0);
    EXPECT_TRUE(f.checksumMatches());
    EXPECT_EQ(f.readText(QStringLiteral("Text"), 63), QStringLiteral("A Flags=1 CS=1"));
}

TEST_F(ParameterSetFileTest, SavingWritesWindows1252)
{
    ParameterBlock b = exampleBlock();
    setParameterText(b.Typ, QStringLiteral("Grün"));
    const QString path = dir.filePath("cp.tcf");
    ASSERT_TRUE(ParameterSetFile(path).saveFrom(b, 0x201));
    EXPECT_TRUE(readAll(path).contains("Typ=Gr\xFCn\n"));
}

TEST_F(ParameterSetFileTest, AFailedSaveReportsItAndLeavesNothingBehind)
{
    const QString path = dir.filePath("no/such/folder/set.tcf");
    EXPECT_FALSE(ParameterSetFile(path).saveFrom(exampleBlock(), 0x201));
    EXPECT_FALSE(QFile::exists(path));

    // A successful save over an existing file replaces it whole: no temporary file stays.
    const QString existing = write(exampleFile());
    ASSERT_TRUE(ParameterSetFile(existing).saveFrom(exampleBlock(), 0x101));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("set.tcf")});
}

TEST_F(ParameterSetFileTest, WritingTheChecksumMakesAHandEditedFileValidAgain)
{
    const QString path = write("; keep\n" + exampleWith("Flags", "1"));
    ASSERT_FALSE(ParameterSetFile(path).checksumMatches());
    ASSERT_TRUE(ParameterSetFile(path).writeChecksum());
    const QByteArray out = readAll(path);
    EXPECT_TRUE(out.startsWith("; keep\n[Parameter]\nKennung=0x00000201\n"));
    EXPECT_TRUE(out.contains("\nFlags=1\n"));
    const ParameterSetFile f(path);
    EXPECT_TRUE(f.checksumMatches());
    EXPECT_EQ(f.storedChecksum(), f.checksum());
}

TEST_F(ParameterSetFileTest, AWrittenChecksumHoldsForOddlyShapedFiles)
{
    // Whatever shape a hand-edited file has, the "CS" written must be the one read back.
    const QByteArray cases[] = {
        "[Parameter]\nCS=1\nFlags=1\nCS=2\n",                        // a key twice
        "[Parameter]\nFlags=1\n[Other]\nx=1\n[PARAMETER]\nCS=7\n",   // the section twice
        "CS=5\n[Other]\nFlags=1\n",                                  // no section of that name yet
        "\xEF\xBB\xBF[Parameter]\nFlags=1\n",                        // UTF-8 signature
        "\xEF\xBB\xBF[Parameter]\nKennung=5\nCS=9\xB2\n",             // signature, then a 1252 byte
        "[Parameter]\rFlags=1\rCS=3\r",                              // old Mac line ends
        "[Parameter]\nC\xC5\xBF=4\nFlags=1\n",                       // a name only Unicode folding matches
        "[Parameter\v]\nFlags=1\n",                                  // a section name with odd blanks
        "[Parameter]\nFlags=1\n[unclosed\nRuecklaufzeit=5\n",        // a header without "]"
        "[Parameter]\nCS=\"7\"\nFlags='1'\n",                         // quoted values
        "[Parameter]\r\nFlags=1\nCS=3\r",                           // mixed line ends, no CS yet in the first section
        "CS=5\n[Parameter]\nFlags=1\n[Parameter]\nCS=6\n",            // CS before the section and in a repeat
        "[Parameter]\n  cs  =  9  \n\tflags\t=\t1\n",                // blanks around names and values
        "",                                                          // empty file
    };
    for (const QByteArray& content : cases) {
        SCOPED_TRACE(content.toStdString());
        const QString path = write(content);
        ASSERT_TRUE(ParameterSetFile(path).writeChecksum());
        const ParameterSetFile again(path);
        EXPECT_TRUE(again.checksumMatches()) << readAll(path).toStdString();
    }
}
