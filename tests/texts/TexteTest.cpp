// The text tables: wording other parts and stored files depend on, the shape every translation
// must keep, and the lookup's answers for indexes and ids it has no table or entry for.
#include "texts/Texte.h"
#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace {

struct FixedText {
    std::uint32_t language;
    int id;
    const char* text;
};

// Rows that reach the user word for word, that other parts match on (error and warning names,
// the link captions), or whose wording is the product's own (the window title).
const FixedText kFixedTexts[] = {
    {LangGerman, 0, "Analysesoftware für Akku Press- und Schneidwerkzeuge"},
    {LangEnglish, 0, "Analysis Software for battery powered Pressing- and cutting machines"},
    {LangGerman, 1, "Sprachauswahl / Language"},
    {LangEnglish, 1, "Select Language"},
    {LangGerman, 61, "Bedienungsanleitung"},
    {LangEnglish, 61, "Instruction manual"},
    {LangGerman, 62, "Installationsanleitung"},
    {LangEnglish, 62, "Installation manual"},
    {LangGerman, 67, "Führen Sie eine Kalibrierfahrt durch.\n\nDer Schalter muss hierzu ohne Unterbrechung "
                     "gedrückt bleiben, bis das Werkzeug sich selbstständig abschaltet.\n\nDrücken Sie "
                     "anschließend den Button 'Übernehmen'"},
    {LangEnglish, 70, "Push the release button und push in the battery.\nWait until LEDs are blinking alternating"},
    {LangGerman, 71, "Firmware erfolgreich übertragen"},
    {LangEnglish, 71, "Firmware transferred successful"},
    {LangGerman, 72, "Firmware nicht korrekt übertragen"},
    {LangEnglish, 72, "Transfer of firmware not successful"},
    {LangGerman, 78, "Service fällig"},
    {LangEnglish, 78, "Service req."},
    {LangGerman, 79, "Das setzen von Datum und Uhrzeit ist erst möglich, wenn die Garantiezeit läuft."},
    {LangGerman, 80, "Unbekannte Geräteinformation"},
    {LangEnglish, 80, "Unknown tool information"},
    {LangGerman, 81, "Parameter erfolgreich übertragen"},
    {LangEnglish, 81, "Parameter transferred successful"},
    {LangGerman, 82, "Fehler beim Übertragen der Parameter"},
    {LangEnglish, 82, "Parameter transfered failed"},
    {LangGerman, 83, "Ungültige Konfigurationsdatei"},
    {LangEnglish, 83, "Invalid configuration file"},
    {LangGerman, 84, "Speichern"},
    {LangEnglish, 84, "Store"},
    {LangGerman, 85, "Laufzeit"},
    {LangEnglish, 85, "Running time"},
    {LangGerman, 86, "Roter Arbeitsbereich"},
    {LangEnglish, 86, "Red work area"},
    {LangGerman, 87, "Unterspannung"},
    {LangEnglish, 87, "Undervoltage"},
    {LangGerman, 88, "Hall-Sensor"},
    {LangEnglish, 88, "Hall sensor"},
    {LangGerman, 89, "Init. Temp.sensor"},
    {LangEnglish, 89, "Init. Temp.sensor"},
    {LangGerman, 90, "Überstrom"},
    {LangEnglish, 90, "Overcurrent"},
    {LangGerman, 91, "Untertemperatur"},
    {LangEnglish, 91, "Undertemperature"},
    {LangGerman, 92, "Übertemperatur"},
    {LangEnglish, 92, "Overtemperature"},
    {LangGerman, 93, "Gelber Arbeitsbereich"},
    {LangEnglish, 93, "Yellow work area"},
    {LangGerman, 94, "Service"},
    {LangEnglish, 94, "Service"},
    {LangGerman, 95, "Akku fast leer"},
    {LangEnglish, 95, "Low battery status"},
    {LangGerman, 99, "Presswerkzeug über den Rücklauf druckentleeren.\n'Start' betätigen und anschließend den "
                     "Kalibrierdruck aufbauen."},
    {LangEnglish, 99, "Presswerkzeug über den Rücklauf druckentleeren.\n'Start' betätigen und anschließend den "
                      "Kalibrierdruck aufbauen."},
    {LangGerman, 105, "Das Tagebuch ist zu lang: höchstens 65535 Zeichen können übertragen werden."},
    {LangFrench, 0, "Logiciel d'analyse pour outils electro-hydrauliques"},
    {LangSpanish, 0, "Programa de análisis para herramientas electro-hidráulicas de batería"},
    {LangItalian, 0, "Software di analisi per utensili a pressione e da taglio"},
    {LangSwedish, 0, "Analysprogramvara för sladdlösa (ackumulator-, batteridrivna) press- och skärverktyg"},
    {LangFinnish, 0, "Analyysiohjelma akkukäyttöisille prässi- ja leikkuutyökaluille"},
    {LangFrench, 1, "Choix langue / Language"},
    {LangSpanish, 1, "Seleccionar idioma / Language"},
    {LangItalian, 1, "Scelta lingua / language"},
    {LangSwedish, 1, "Språk / Language"},
    {LangFinnish, 1, "Valitse kieli / Language"},
    {LangFrench, 60, "Adobe PDF reader est nécessaire pour ouvrir ce fichier"},
    {LangSpanish, 60, "Adobe Reader es necesario para abrir este archivo"},
};

// Where a language shows the German wording on purpose: the pressure-sensor calibration texts
// everywhere, the unused force texts outside English, and words that are the same in both.
struct SameAsGerman {
    int id;
    std::vector<std::uint32_t> languages;
};
const SameAsGerman kSameAsGerman[] = {
    {8, {LangEnglish}},
    {12, {LangSwedish}},
    {19, {LangSwedish}},
    {24, {LangSwedish}},
    {33, {LangSwedish}},
    {36, {LangEnglish, LangSwedish}},
    {37, {LangEnglish, LangSwedish}},
    {64, {LangSwedish}},
    {89, {LangEnglish, LangItalian}},
    {94, {LangEnglish, LangSwedish}},
    {98, {LangEnglish, LangFrench, LangItalian}},
    {99, {LangEnglish, LangFrench, LangSpanish, LangItalian, LangSwedish, LangFinnish}},
    {100, {LangEnglish, LangFrench, LangSpanish, LangItalian, LangSwedish, LangFinnish}},
    {101, {LangFrench, LangSpanish, LangItalian, LangSwedish, LangFinnish}},
    {102, {LangFrench, LangSpanish, LangItalian, LangSwedish, LangFinnish}},
    {103, {LangFrench, LangSpanish, LangItalian, LangSwedish, LangFinnish}},
    {104, {LangFrench, LangSpanish, LangItalian, LangSwedish, LangFinnish}},
};

} // namespace

TEST(Texte, FixedRowsAreWordForWord)
{
    for (const auto& c : kFixedTexts) {
        SCOPED_TRACE(testing::Message() << "language " << c.language << ", id " << c.id);
        EXPECT_STREQ(LangTextUtf8(c.language, c.id), c.text);
        EXPECT_EQ(LangText(c.language, c.id), QString::fromUtf8(c.text));
    }
}

// The labels carrying these texts are sized for several lines; a translation that lost a break
// would run out of its label.
TEST(Texte, LineBreaksSurviveInEveryLanguage)
{
    struct Case { int id; int breaks; };
    const Case cases[] = {{67, 4}, {70, 1}, {99, 1}};
    for (const auto& c : cases)
        for (std::uint32_t lang = 0; lang < LanguageCount; ++lang) {
            const std::string text = LangTextUtf8(lang, c.id);
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), c.breaks) << "language " << lang << ", id " << c.id;
        }
}

// Texts were single-byte Windows-1252 strings in the earlier program and are written into files
// and reports that expect that code page; a character outside it would come out as '?'.
TEST(Texte, EveryTextIsPresentAndFitsWindows1252)
{
    for (std::uint32_t lang = 0; lang < LanguageCount; ++lang)
        for (int id = 0; id < TextCount; ++id) {
            SCOPED_TRACE(testing::Message() << "language " << lang << ", id " << id);
            const std::string text = LangTextUtf8(lang, id);
            ASSERT_FALSE(text.empty());
            ASSERT_TRUE(isValidUtf8(text));
            const QString decoded = QString::fromUtf8(text);
            EXPECT_EQ(fromCp1252(toCp1252(decoded)), decoded);
            EXPECT_EQ(decoded, decoded.trimmed()) << "stray blank or break at an end";
        }
}

// Captions that end in a colon stand before a value, questions end in a question mark: a
// translation that drops either reads wrongly in its place on the form or in the message box.
TEST(Texte, TranslationsKeepTheClosingMarkOfTheGermanText)
{
    for (int id = 0; id < TextCount; ++id) {
        const QString german = LangText(LangGerman, id);
        for (const QChar mark : {QChar(':'), QChar('?')}) {
            if (!german.endsWith(mark))
                continue;
            for (std::uint32_t lang = 1; lang < LanguageCount; ++lang)
                EXPECT_TRUE(LangText(lang, id).endsWith(mark)) << "language " << lang << ", id " << id;
        }
    }
}

// The calibration instructions tell the technician which button to press next; the name in
// quotes has to be the caption that button carries in the same language.
TEST(Texte, InstructionsNameTheButtonAsItIsCaptioned)
{
    struct Case { int instructionId; int buttonId; };
    const Case cases[] = {{67, 97}, {99, 100}};
    for (const auto& c : cases)
        for (std::uint32_t lang = 0; lang < LanguageCount; ++lang) {
            const QString quoted = QLatin1Char('\'') + LangText(lang, c.buttonId) + QLatin1Char('\'');
            EXPECT_TRUE(LangText(lang, c.instructionId).contains(quoted, Qt::CaseInsensitive))
                << "language " << lang << ", id " << c.instructionId;
        }
}

// Any other row equal to the German one is a row someone forgot to translate.
TEST(Texte, OnlyIntendedRowsKeepTheGermanWording)
{
    for (int id = 0; id < TextCount; ++id)
        for (std::uint32_t lang = 1; lang < LanguageCount; ++lang) {
            bool intended = false;
            for (const auto& row : kSameAsGerman)
                if (row.id == id && std::find(row.languages.begin(), row.languages.end(), lang) != row.languages.end())
                    intended = true;
            EXPECT_EQ(LangText(lang, id) == LangText(LangGerman, id), intended) << "language " << lang << ", id " << id;
        }
}

// The chart's snapshot copies these captions and status texts into fields of fixed capacity
// (including the terminating zero) for the print picture and the reports.
TEST(Texte, SnapshotTextsFitTheirFields)
{
    struct Case { int firstId; int lastId; int capacity; };
    const Case cases[] = {
        {18, 18, 64},   // chart title
        {19, 19, 32},   // comment caption
        {23, 23, 32},   // counter
        {24, 24, 64},   // date
        {25, 28, 32},   // operating time, temperature, voltage, cut-off speed
        {29, 30, 128},  // error and warning captions
        {5, 6, 128},    // serial number, software version
        {7, 8, 64},     // warranty start, service in
        {78, 78, 64},   // service due, shown as the service value
        {85, 95, 128},  // error and warning names
    };
    for (const auto& c : cases)
        for (int id = c.firstId; id <= c.lastId; ++id)
            for (std::uint32_t lang = 0; lang < LanguageCount; ++lang)
                EXPECT_LT(toCp1252(LangText(lang, id)).size(), static_cast<std::size_t>(c.capacity))
                    << "language " << lang << ", id " << id;
}

// A language index read from an edited settings file may be anything; ids come from callers.
TEST(Texte, UnknownLanguageGivesGermanUnknownIdGivesEmpty)
{
    for (const std::uint32_t lang : {LanguageCount, 7u, 255u, 0x80000000u, 0xFFFFFFFFu})
        for (const int id : {0, 67, TextCount - 1})
            EXPECT_STREQ(LangTextUtf8(lang, id), LangTextUtf8(LangGerman, id)) << "language " << lang;

    for (const int id : {-1, TextCount, TextCount + 1, INT_MIN, INT_MAX})
        for (const std::uint32_t lang : {0u, 6u, 99u}) {
            EXPECT_STREQ(LangTextUtf8(lang, id), "") << "id " << id;
            EXPECT_TRUE(LangText(lang, id).isEmpty());
        }
}
