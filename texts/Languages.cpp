// Language mappings beside the text tables, so that a new language is added in one folder.
#include "texts/Languages.h"

#include "texts/Texte.h"

QLocale localeFor(std::uint32_t languageIndex)
{
    switch (languageIndex) {
    case LangEnglish: return QLocale(QLocale::English, QLocale::UnitedKingdom);
    case LangFrench: return QLocale(QLocale::French, QLocale::France);
    case LangSpanish: return QLocale(QLocale::Spanish, QLocale::Spain);
    case LangItalian: return QLocale(QLocale::Italian, QLocale::Italy);
    case LangSwedish: return QLocale(QLocale::Swedish, QLocale::Sweden);
    case LangFinnish: return QLocale(QLocale::Finnish, QLocale::Finland);
    default: return QLocale(QLocale::German, QLocale::Germany);
    }
}

QString qtTranslationFor(std::uint32_t languageIndex)
{
    switch (languageIndex) {
    case LangEnglish: return {};
    case LangFrench: return QStringLiteral("fr");
    case LangSpanish: return QStringLiteral("es");
    case LangItalian: return QStringLiteral("it");
    case LangSwedish: return QStringLiteral("sv");
    case LangFinnish: return QStringLiteral("fi");
    default: return QStringLiteral("de");
    }
}

int reportStringSet(std::uint32_t languageIndex)
{
    switch (languageIndex) {
    case LangGerman: return 1021;
    case LangFrench: return 1022;
    case LangSpanish: return 1024;
    case LangItalian: return 1023;
    case LangSwedish: return 1025;
    default: return 1020;
    }
}
