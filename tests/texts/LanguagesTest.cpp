// What a language index selects beyond the text tables; Finnish and unknown indexes fall back.
#include "texts/Languages.h"

#include <gtest/gtest.h>

#include <utility>

TEST(Language, ReportEngineStringSets)
{
    const std::pair<std::uint32_t, int> sets[] = {{0, 1021}, {1, 1020}, {2, 1022}, {3, 1024},
                                                  {4, 1023}, {5, 1025}, {6, 1020}, {7, 1020}};
    for (const auto& [lang, set] : sets)
        EXPECT_EQ(reportStringSet(lang), set) << lang;
}
