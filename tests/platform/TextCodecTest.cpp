// Windows-1252 round trips and the UTF-8-or-1252 rule for files of the earlier program.
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, MapsTheHighTableBothWays)
{
    struct Case { QString text; std::string bytes; };
    const Case cases[] = {
        {QStringLiteral("Grün"), "Gr\xFCn"},
        {QStringLiteral("€ – „x“"), "\x80 \x96 \x84x\x93"},
        {QStringLiteral("Übertemperatur"), "\xDC" "bertemperatur"},
        {QStringLiteral("Ÿ"), "\x9F"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toCp1252(c.text), c.bytes);
        EXPECT_EQ(fromCp1252(c.bytes), c.text);
    }
}

TEST(Cp1252, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(toCp1252(QStringLiteral("a\u4E2Db")), "a?b");
}

TEST(Cp1252, EveryByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    EXPECT_EQ(toCp1252(fromCp1252(all)), all);
}

TEST(Cp1252, TextFilesAreUtf8WhenValidElse1252)
{
    EXPECT_EQ(decodeTextFile("Gr\xC3\xBCn"), QStringLiteral("Grün"));
    EXPECT_EQ(decodeTextFile("Gr\xFCn"), QStringLiteral("Grün"));
    // The signature goes whether the rest is UTF-8 or a hand-edited mix with 1252 bytes.
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF[P]\nGr\xC3\xBCn"), QStringLiteral("[P]\nGrün"));
    EXPECT_EQ(decodeTextFile("\xEF\xBB\xBF[P]\nGr\xFCn"), QStringLiteral("[P]\nGrün"));
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_FALSE(isValidUtf8("\xC3"));
}
