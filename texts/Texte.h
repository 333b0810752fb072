// The program's own captions, questions and messages: one table of texts per language.
#pragma once

#include "texts/TextIds.h"

#include <QString>
#include <cstdint>

enum Language : std::uint32_t {
    LangGerman = 0,
    LangEnglish = 1,
    LangFrench = 2,
    LangSpanish = 3,
    LangItalian = 4,
    LangSwedish = 5,
    LangFinnish = 6,
};
inline constexpr std::uint32_t LanguageCount = 7;
inline constexpr int TextCount = TextId::Count;

// The text with id textId in language languageIndex (UTF-8, never null). A language index
// outside 0..6 selects German; an id outside the table gives the empty text.
const char* LangTextUtf8(std::uint32_t languageIndex, int textId);
QString LangText(std::uint32_t languageIndex, int textId);
