// Which parameter-set files are offered for transfer, in which order, and which one is selected.
#include "params/ParameterSetList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
void writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    QFile f(dir.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

void writeSets(const QTemporaryDir& dir, int count)
{
    for (int i = 0; i < count; ++i)
        writeFile(dir, QStringLiteral("set%1.tcf").arg(i, 2, 10, QLatin1Char('0')),
                  "[Parameter]\nText=Set " + QByteArray::number(i) + "\n");
}

class ParameterSetListTest : public ::testing::Test {
protected:
    void write(const QString& name, const QByteArray& content) { writeFile(dir, name, content); }
    QTemporaryDir dir;
};
}  // namespace

TEST_F(ParameterSetListTest, TheTableLimitDecidesTheSelection)
{
    const struct {
        int files;
        std::size_t listed;
        int selected;
    } cases[] = {{0, 0, -1}, {1, 1, 0}, {50, 50, 0}, {51, 50, -1}, {60, 50, -1}};
    for (const auto& c : cases) {
        QTemporaryDir folder;
        writeSets(folder, c.files);
        const ParameterSetListing l = listParameterSets(folder.path());
        EXPECT_EQ(l.entries.size(), c.listed) << c.files << " files";
        EXPECT_EQ(l.selected, c.selected) << c.files << " files";
    }
}

TEST_F(ParameterSetListTest, OnlyFilesWithATextCountTowardsTheLimit)
{
    writeSets(dir, 50);
    write("zz-untitled.tcf", "[Parameter]\nText=   \nCS=54468\n");
    write("zz-none.tcf", "[Parameter]\nCS=54468\n");
    const ParameterSetListing l = listParameterSets(dir.path());
    EXPECT_EQ(l.entries.size(), 50u);
    EXPECT_EQ(l.selected, 0);
}

TEST_F(ParameterSetListTest, FilesThatAreNoSetsAreSkippedWithoutBeingRead)
{
    writeSets(dir, 50);
    write("zz-binary.tcf", QByteArray("[Parameter]\nText=Binary\n\0\x01\x02", 26));
    write("zz-large.tcf", "[Parameter]\nText=Large\n" + QByteArray(1024 * 1024, ';'));
    {
        // 100 MB, sparse: only its size is ever looked at.
        QFile huge(dir.filePath("zz-huge.tcf"));
        ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
        huge.write("[Parameter]\nText=Huge\n");
        ASSERT_TRUE(huge.resize(100 * 1024 * 1024));
    }
    const ParameterSetListing l = listParameterSets(dir.path());
    EXPECT_EQ(l.entries.size(), 50u);
    EXPECT_EQ(l.selected, 0) << "the refused files did not count as a 51st set";

    // A UTF-16 set is a set like any other.
    QTemporaryDir other;
    QByteArray utf16("\xFF\xFE");
    for (char c : QByteArray("[Parameter]\r\nText=Unicode\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    writeFile(other, "u.tcf", utf16);
    const ParameterSetListing u = listParameterSets(other.path());
    ASSERT_EQ(u.entries.size(), 1u);
    EXPECT_EQ(u.entries[0].text, QStringLiteral("Unicode"));
}

TEST_F(ParameterSetListTest, ListsTcfFilesInNameOrderWithTheirTexts)
{
    write("b.tcf", "[Parameter]\nText=Second\n");
    write("A.TCF", "[parameter]\ntext=First\n");
    write("c.tcf", "[Parameter]\nText=" + QByteArray(80, 'x') + "\n");
    write("d.tcf", "[Parameter]\nText=Second\n");  // the same text may show twice
    write("e.ini", "[Parameter]\nText=Not a set\n");
    write("f.tcf.bak", "[Parameter]\nText=Not a set\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("g.tcf")));

    const ParameterSetListing l = listParameterSets(dir.path());
    ASSERT_EQ(l.entries.size(), 4u);
    EXPECT_EQ(l.entries[0].text, QStringLiteral("First"));
    EXPECT_EQ(l.entries[0].path, dir.filePath(QStringLiteral("A.TCF")));
    EXPECT_EQ(l.entries[1].text, QStringLiteral("Second"));
    EXPECT_EQ(l.entries[2].text, QString(63, QLatin1Char('x')));
    EXPECT_EQ(l.entries[3].text, QStringLiteral("Second"));
    EXPECT_EQ(l.entries[3].path, dir.filePath(QStringLiteral("d.tcf")));
    EXPECT_EQ(l.selected, 0);
}

TEST_F(ParameterSetListTest, AMissingFolderListsNothing)
{
    const ParameterSetListing l = listParameterSets(dir.filePath(QStringLiteral("nowhere")));
    EXPECT_TRUE(l.entries.empty());
    EXPECT_EQ(l.selected, -1);
}
