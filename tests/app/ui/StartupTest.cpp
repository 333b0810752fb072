// Start-up and close of the real main window: what is hidden, the settings file (language and
// information links), the logo, and the geometry when the window is resized.
#include "tests/support/ui/MainWindowHarness.h"

#include "texts/Texte.h"
#include "app/ui/Infodlg.h"
#include "ui_Infodlg.h"
#include "ui_Main.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLibraryInfo>
#include <QTest>
#include <gtest/gtest.h>

namespace {

bool tabShown(Ui::THauptDialog& ui, QWidget* page)
{
    return ui.PageControl->isTabVisible(ui.PageControl->indexOf(page));
}

QByteArray bmp(int w, int h, QColor colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

const QString GermanTitle = QStringLiteral("Analysesoftware für Akku Press- und Schneidwerkzeuge (V2.00)");

}  // namespace

TEST(StartUp, HidesWhatTheProgramKeepsHidden)
{
    MainWindowHarness h;
    h.ui().CbWriteParaDelPz->setChecked(true);
    THauptDialog& w = h.show(true);
    Ui::THauptDialog& ui = h.ui();

    EXPECT_TRUE(w.SearchDevice().isActive());
    EXPECT_EQ(w.SearchDevice().interval(), 1000);
    EXPECT_EQ(ui.PageControl->currentWidget(), ui.TS_MaschinenStatus);
    for (QWidget* page : {ui.TS_MaschinenStatus, ui.TS_Service, ui.TS_KundenTagebuch, ui.TS_ServiceTagebuch, ui.TS_Info})
        EXPECT_TRUE(tabShown(ui, page)) << page->objectName().toStdString();
    for (QWidget* page : {ui.TS_Parameter, ui.TS_Debug, ui.TS_BMP, ui.TS_Fertigung})
        EXPECT_FALSE(tabShown(ui, page)) << page->objectName().toStdString();
    for (QWidget* control : {static_cast<QWidget*>(ui.GbHersteller), static_cast<QWidget*>(ui.CbWriteParaDelPz),
                             static_cast<QWidget*>(ui.CbWriteParaDelGarantie), static_cast<QWidget*>(ui.CbWriteParaDelBsz),
                             static_cast<QWidget*>(ui.LblChartAbschaltAw), static_cast<QWidget*>(ui.CapChartAbschaltAw),
                             static_cast<QWidget*>(ui.Button1), static_cast<QWidget*>(ui.Button2)})
        EXPECT_TRUE(control->isHidden()) << control->objectName().toStdString();
    EXPECT_FALSE(ui.CbWriteParaDelPz->isChecked());
    for (QLabel* link : {ui.LblLink01, ui.LblLink02, ui.LblLink05, ui.LblLink10})
        EXPECT_TRUE(link->isHidden());
    // The date spin edits follow the calendar, which starts on today's date.
    EXPECT_EQ(ui.Calendar->selectedDate(), h.clock.now().date());
    EXPECT_EQ(ui.SpinEditMonat->value(), h.clock.now().date().month());
    EXPECT_EQ(ui.SpinEditJahr->value(), h.clock.now().date().year());
    EXPECT_EQ(w.windowTitle(), GermanTitle);
    EXPECT_TRUE(w.state().WarrantyStart.notRead());
}

TEST(StartUp, OptionsShowWhatStaffNeed)
{
    {
        MainWindowHarness h({.manufacturer = true});
        h.show();
        Ui::THauptDialog& ui = h.ui();
        EXPECT_TRUE(tabShown(ui, ui.TS_Parameter));
        for (QWidget* c : {static_cast<QWidget*>(ui.GbHersteller), static_cast<QWidget*>(ui.CbWriteParaDelPz),
                           static_cast<QWidget*>(ui.CbWriteParaDelGarantie),
                           static_cast<QWidget*>(ui.CbWriteParaDelBsz), static_cast<QWidget*>(ui.Button1),
                           static_cast<QWidget*>(ui.Button2)})
            EXPECT_FALSE(c->isHidden()) << c->objectName().toStdString();
        EXPECT_FALSE(ui.CbWriteParaDelPz->isChecked());
        EXPECT_FALSE(tabShown(ui, ui.TS_Fertigung));
        EXPECT_FALSE(tabShown(ui, ui.TS_Debug));
        // Not an option's business: the unused value stays hidden.
        EXPECT_TRUE(ui.LblChartAbschaltAw->isHidden());
    }
    {
        MainWindowHarness h({.production = true});
        h.show();
        EXPECT_TRUE(tabShown(h.ui(), h.ui().TS_Fertigung));
        EXPECT_FALSE(tabShown(h.ui(), h.ui().TS_Parameter));
        EXPECT_TRUE(h.ui().GbHersteller->isHidden());
    }
    {
        MainWindowHarness h({.debug = true});
        h.show();
        EXPECT_TRUE(tabShown(h.ui(), h.ui().TS_Debug));
        EXPECT_TRUE(tabShown(h.ui(), h.ui().TS_BMP));
        EXPECT_FALSE(tabShown(h.ui(), h.ui().TS_Fertigung));
        // The debug page says where settings and parameter sets are taken from.
        EXPECT_EQ(h.ui().DebugMemo->toPlainText().section(QLatin1Char('\n'), 0, 0),
                  QStringLiteral("App folder: %1 (the program's own folder)").arg(h.appDir()));
    }
}

TEST(StartUp, InformationLinksComeFromTheSettingsFile)
{
    MainWindowHarness h;
    h.writeIni("[Info]\r\n"
               "Text01=x\r\nLink01=docs\\Bedienungsanleitung.pdf\r\n"
               "Text03=Manual\r\nLink03=docs\\manual.pdf\r\n"
               "Text04=none\r\nLink04=never.pdf\r\n"
               "Text05=<b>Bold</b> & more\r\nLink05=bold.pdf\r\n"
               "Text10=Letzter Eintrag\r\nLink10=last.pdf\r\n");
    THauptDialog& w = h.show();
    Ui::THauptDialog& ui = h.ui();

    EXPECT_FALSE(ui.LblLink01->isHidden());
    EXPECT_EQ(ui.LblLink01->text(), LangText(LangGerman, 61)) << "the first link keeps its language caption";
    EXPECT_TRUE(ui.LblLink02->isHidden()) << "a missing key reads as none";
    EXPECT_FALSE(ui.LblLink03->isHidden());
    EXPECT_EQ(ui.LblLink03->text(), QStringLiteral("Manual"));
    EXPECT_TRUE(ui.LblLink04->isHidden());
    EXPECT_EQ(ui.LblLink05->text(), QStringLiteral("<b>Bold</b> & more"));
    EXPECT_EQ(ui.LblLink05->textFormat(), Qt::PlainText) << "a caption is shown as written, never as markup";
    EXPECT_FALSE(ui.LblLink10->isHidden());
    EXPECT_EQ(ui.LblLink10->text(), QStringLiteral("Letzter Eintrag"));

    ui.PageControl->setCurrentWidget(ui.TS_Info);
    QTest::mouseClick(ui.LblLink03, Qt::LeftButton);
    QTest::mouseClick(ui.LblLink10, Qt::LeftButton);
    w.LinkClicked(ui.CapInfoPDF);  // not a link: nothing
    ASSERT_EQ(h.shell.opened.size(), 2);
    EXPECT_EQ(h.shell.opened[0], h.appDir() + QStringLiteral("/docs/manual.pdf"));
    EXPECT_EQ(h.shell.opened[1], h.appDir() + QStringLiteral("/last.pdf"));

    // A language switch gives the first two links their texts again, never the file's.
    QTest::mouseClick(ui.ImgGb, Qt::LeftButton);
    EXPECT_EQ(ui.LblLink01->text(), LangText(LangEnglish, 61));
    EXPECT_EQ(ui.LblLink03->text(), QStringLiteral("Manual"));
}

TEST(StartUp, LanguageChosenInOneRunIsTheLanguageOfTheNext)
{
    MainWindowHarness first;
    first.show();
    EXPECT_EQ(first.window().state().LanguageIndex, LangGerman) << "no settings file starts in German";
    QTest::mouseClick(first.ui().ImgFin, Qt::LeftButton);
    EXPECT_EQ(first.window().state().LanguageIndex, LangFinnish);
    first.closeWindow();
    EXPECT_TRUE(first.readIni().contains("Language=6"));

    MainWindowHarness second(first, {});
    second.show();
    EXPECT_EQ(second.window().state().LanguageIndex, LangFinnish);
    EXPECT_EQ(second.window().windowTitle(), LangText(LangFinnish, 0) + QStringLiteral(" (V2.00)"));
}

struct OutOfRangeCase {
    const char* stored;
};

class OutOfRangeLanguage : public ::testing::TestWithParam<OutOfRangeCase> {};

TEST_P(OutOfRangeLanguage, ShowsGermanAndIsWrittenBackUnchanged)
{
    MainWindowHarness h;
    h.writeIni(QByteArray("[Settings]\r\nLanguage=") + GetParam().stored + "\r\n");
    h.show();
    EXPECT_EQ(h.window().windowTitle(), GermanTitle);
    EXPECT_EQ(h.ui().CapMaschTyp->text(), LangText(LangGerman, 4));
    h.closeWindow();
    EXPECT_TRUE(h.readIni().contains(QByteArray("Language=") + GetParam().stored)) << h.readIni().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Values, OutOfRangeLanguage, ::testing::Values(OutOfRangeCase{"7"}, OutOfRangeCase{"-1"},
                                                                       OutOfRangeCase{"2147483647"}));

TEST(Language, FlagsSwitchEveryCaptionAndTheTitleAtOnce)
{
    MainWindowHarness h;
    THauptDialog& w = h.show();
    Ui::THauptDialog& ui = h.ui();
    ASSERT_EQ(w.windowTitle(), GermanTitle);

    const std::pair<QLabel*, std::uint32_t> flags[] = {{ui.ImgFr, LangFrench},  {ui.ImgGb, LangEnglish},
                                                       {ui.ImgDe, LangGerman},  {ui.ImgIt, LangItalian},
                                                       {ui.ImgSw, LangSwedish}, {ui.ImgEsp, LangSpanish},
                                                       {ui.ImgFin, LangFinnish}};
    for (const auto& [flag, lang] : flags) {
        QTest::mouseClick(flag, Qt::LeftButton);
        const auto name = flag->objectName().toStdString();
        EXPECT_EQ(w.state().LanguageIndex, lang) << name;
        EXPECT_EQ(w.windowTitle(), LangText(lang, 0) + QStringLiteral(" (V2.00)")) << name;
        EXPECT_EQ(ui.GroupBoxLanguage->title(), LangText(lang, 1)) << name;
        // One control of each kind, hidden ones included (they stay hidden).
        EXPECT_EQ(ui.PageControl->tabText(ui.PageControl->indexOf(ui.TS_MaschinenStatus)), LangText(lang, 2)) << name;
        EXPECT_EQ(ui.PageControl->tabText(ui.PageControl->indexOf(ui.TS_Info)), LangText(lang, 59)) << name;
        EXPECT_EQ(ui.GbInfo->title(), LangText(lang, 3)) << name;
        EXPECT_EQ(ui.CapAkkuSpannung->text(), LangText(lang, 14)) << name;
        EXPECT_EQ(ui.BtnZyklenAktualisieren->text(), LangText(lang, 35)) << name;
        EXPECT_EQ(ui.CapChartSolldruck->text(), LangText(lang, 102)) << name;
        EXPECT_EQ(ui.CapChartAbschaltAw->text(), LangText(lang, 31)) << name;
        EXPECT_EQ(ui.CbWriteParaDateTime->text(), LangText(lang, 44)) << name;
        EXPECT_EQ(ui.CbWriteParaDelBsz->text(), LangText(lang, 49)) << name;
        EXPECT_EQ(ui.GbHersteller->title(), LangText(lang, 50)) << name;
        EXPECT_EQ(ui.BtnSetSn->text(), LangText(lang, 54)) << name;
        EXPECT_EQ(ui.LblLink02->text(), LangText(lang, 62)) << name;
        EXPECT_TRUE(ui.GbHersteller->isHidden());
        EXPECT_TRUE(ui.CbWriteParaDelBsz->isHidden());
    }
}

TEST(Language, AnotherSenderKeepsTheLanguageButAppliesItAgain)
{
    MainWindowHarness h;
    THauptDialog& w = h.show();
    QTest::mouseClick(h.ui().ImgGb, Qt::LeftButton);
    h.ui().CapDatum->setText(QStringLiteral("scribbled"));
    w.LanguageClicked(h.ui().Logo);
    EXPECT_EQ(w.state().LanguageIndex, LangEnglish);
    EXPECT_EQ(h.ui().CapDatum->text(), LangText(LangEnglish, 12));
}

TEST(Language, ValueLabelsKeepTheirTextsUntilTheirOwnerRefreshesThem)
{
    MainWindowHarness h;
    h.show();
    h.ui().LblChartErrorCode->setText(QStringLiteral("Überstrom"));
    QTest::mouseClick(h.ui().ImgGb, Qt::LeftButton);
    EXPECT_EQ(h.ui().LblChartErrorCode->text(), QStringLiteral("Überstrom"));
}

TEST(Language, QtsOwnDialogTextsFollowTheLanguage)
{
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFile::exists(dir + QStringLiteral("/qtbase_de.qm")) || !QFile::exists(dir + QStringLiteral("/qtbase_fr.qm")))
        GTEST_SKIP() << "Qt's translations are not installed";
    MainWindowHarness h;
    h.show();
    const auto yes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
    EXPECT_EQ(yes(), QStringLiteral("&Ja"));
    QTest::mouseClick(h.ui().ImgFr, Qt::LeftButton);
    EXPECT_EQ(yes(), QStringLiteral("&Oui"));
    QTest::mouseClick(h.ui().ImgFin, Qt::LeftButton);
    EXPECT_NE(yes(), QStringLiteral("&Yes"));
    QTest::mouseClick(h.ui().ImgGb, Qt::LeftButton);
    EXPECT_EQ(yes(), QStringLiteral("&Yes"));
    h.closeWindow();
}

struct LogoCase {
    const char* name;
    QByteArray content;  // empty: no file
    QSize size;          // expected picture size; empty: no picture
};

class Logo : public ::testing::TestWithParam<LogoCase> {};

TEST_P(Logo, IsLoadedFromTheBitmapBesideTheProgram)
{
    const LogoCase& c = GetParam();
    MainWindowHarness h;
    if (!c.content.isEmpty())
        h.writeAppFile(QStringLiteral("logo"), c.content);
    h.show();
    const QPixmap picture = h.ui().Logo->pixmap();
    EXPECT_EQ(picture.size(), c.size);
    if (!c.size.isEmpty()) {
        EXPECT_EQ(h.ui().Logo->size(), c.size) << "the logo sizes itself to its picture";
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Logo,
                         ::testing::Values(LogoCase{"missing", {}, QSize(0, 0)},
                                           LogoCase{"bitmap", bmp(90, 40, Qt::red), QSize(90, 40)},
                                           LogoCase{"not_a_bitmap", QByteArray("GIF89a garbage"), QSize(0, 0)}),
                         [](const ::testing::TestParamInfo<LogoCase>& info) { return std::string(info.param.name); });

class Geometry : public ::testing::TestWithParam<QSize> {};

TEST_P(Geometry, ProgressBarLiesOverPanel1AndThePagesGrowWithTheWindow)
{
    MainWindowHarness h;
    THauptDialog& w = h.show();
    Ui::THauptDialog& ui = h.ui();
    const QRect pagesAtStart = ui.PageControl->geometry();
    const QRect chartAtStart = ui.ImgChart->geometry();
    const QRect dataAtStart = ui.GroupBoxMessdaten->geometry();
    const int pageHeightAtStart = ui.TS_MaschinenStatus->height();

    const QSize size = GetParam();
    w.resize(size);
    const QSize d = size - QSize(902, 738);

    StatusPanelBar& bar = *ui.StatusBar;
    EXPECT_EQ(bar.geometry(), QRect(0, size.height() - 19, size.width(), 19));
    EXPECT_EQ(bar.panelWidth(0), size.width() - 250);
    EXPECT_EQ(ui.ProgressBar->parentWidget(), &bar);
    EXPECT_EQ(ui.ProgressBar->geometry(), QRect(bar.panelRect(1).left() + 1, 2, 200, bar.height() - 2));
    EXPECT_EQ(ui.PageControl->geometry(), pagesAtStart.adjusted(0, 0, d.width(), d.height()));
    EXPECT_EQ(ui.GroupBoxLanguage->geometry().right(), size.width() - 1 - (902 - 889));
    const int dPage = ui.TS_MaschinenStatus->height() - pageHeightAtStart;
    EXPECT_EQ(ui.ImgChart->size(), chartAtStart.size() + QSize(d.width(), dPage));
    EXPECT_EQ(ui.GroupBoxMessdaten->geometry(), dataAtStart.translated(0, dPage)) << "anchored bottom left";
}

INSTANTIATE_TEST_SUITE_P(Sizes, Geometry, ::testing::Values(QSize(902, 738), QSize(1200, 900), QSize(1000, 800)));

TEST(InfoBox, CollectsAnAnswerWithoutClosing)
{
    QWidget owner;
    TInfoBox box(&owner, QStringLiteral("Wippschalter auf dem Prüfadapter\nin Position 'Test' bringen"));
    EXPECT_EQ(box.Answer, TInfoBox::NoAnswer);
    box.show();
    EXPECT_EQ(box.ui().LblText->text(), box.InfoText);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Hinweis"));
    QTest::mouseClick(box.ui().BtnJa, Qt::LeftButton);
    EXPECT_EQ(box.Answer, TInfoBox::AnswerYes);
    QTest::mouseClick(box.ui().BtnNein, Qt::LeftButton);
    EXPECT_EQ(box.Answer, TInfoBox::AnswerNo);
    EXPECT_TRUE(box.isVisible());
    box.Dismiss();
    EXPECT_EQ(box.result(), 2);
    EXPECT_TRUE(box.isVisible()) << "the caller closes the box";

    TInfoBox longBox(&owner, QString(5000, QLatin1Char('x')));
    EXPECT_EQ(longBox.InfoText.size(), TInfoBox::MaxInfoTextLength);
}
