// Text tables (filled in by the language tables; until then every text is empty).
#include "app/Texte.h"

const char* LangTextUtf8(std::uint32_t, int) { return ""; }

QString LangText(std::uint32_t languageIndex, int textId)
{
    return QString::fromUtf8(LangTextUtf8(languageIndex, textId));
}
