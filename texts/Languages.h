// What each of the program's languages selects outside its own text tables: the calendar's
// locale, Qt's translation of its own dialog texts and the report engine's string set.
#pragma once

#include <QLocale>
#include <QString>
#include <cstdint>

// The locale that shows month and day names in the language (German for an index outside 0..6).
QLocale localeFor(std::uint32_t languageIndex);

// The language code of Qt's own translations for a language ("de"); empty where Qt's English applies.
QString qtTranslationFor(std::uint32_t languageIndex);

// Report-engine string set for a language: the resource number of the original program
// (1020 English, 1021 German, 1022 French, 1023 Italian, 1024 Spanish, 1025 Swedish).
// Finnish has none of its own and, like any unknown index, gets English.
int reportStringSet(std::uint32_t languageIndex);
