// The work-curve controls on the real form over the simulated tool: choosing a day, listing and
// loading cycles, the chart with its labels and snapshot, printing, saving and the comment memo.
#include "tests/curves/ui/CurvesFormFixture.h"

#include "texts/Texte.h"
#include "curves/PrintLayout.h"
#include "curves/PrintPicture.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTest>
#include <gtest/gtest.h>

extern "C" {
#include <cstdio>
#include <jpeglib.h>
}

namespace {

const QDate Day(2009, 7, 3);

TEST(CycleArchiveForm, ChangingTheDayListsItsCycles)
{
    CurvesForm f;
    f.put(Day, "000002", CurvesForm::cycle(2));
    f.put(Day, "000001", CurvesForm::cycle(1));
    f.put(Day, "note.txt", CurvesForm::cycle(9));
    f.put(QDate(2009, 7, 4), "000003", CurvesForm::cycle(3));
    f.put(QDate(2009, 8, 4), "000004", CurvesForm::cycle(4));

    f.ui.Calendar->setSelectedDate(QDate(2009, 7, 4));
    EXPECT_EQ(f.listed(), QStringList{"000003"});
    f.ui.Calendar->setSelectedDate(Day);
    EXPECT_EQ(f.listed(), (QStringList{"000001", "000002"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the wait cursor is gone again";

    f.ui.Calendar->setSelectedDate(QDate(2009, 7, 4));
    f.ui.SpinEditMonat->setValue(8);
    EXPECT_EQ(f.ui.Calendar->selectedDate(), QDate(2009, 8, 4));
    EXPECT_EQ(f.listed(), QStringList{"000004"});
    EXPECT_EQ(f.ui.Calendar->monthShown(), 8);
}

TEST(CycleArchiveForm, YearChangeToTheShownYearDoesNotRelist)
{
    CurvesForm f;
    f.put(Day, "000001", CurvesForm::cycle(1));
    f.put(QDate(2010, 7, 3), "000002", CurvesForm::cycle(2));
    f.ui.SpinEditJahr->setValue(2009);  // unchanged: no signal at all
    f.ui.SpinEditMonat->setValue(7);
    EXPECT_EQ(f.requests(0x37), 0);

    // A spin edit that changes but leaves the calendar's date where it is lists nothing either.
    {
        const QSignalBlocker quiet(f.ui.SpinEditJahr);
        f.ui.SpinEditJahr->setValue(2011);
    }
    f.ui.SpinEditJahr->setValue(2009);
    EXPECT_EQ(f.requests(0x37), 0);

    f.ui.SpinEditJahr->setValue(2010);
    EXPECT_EQ(f.ui.Calendar->selectedDate(), QDate(2010, 7, 3));
    EXPECT_EQ(f.listed(), QStringList{"000002"});
}

TEST(CycleArchiveForm, ADayTheNewMonthLacksBecomesItsLastDayAndIsListed)
{
    CurvesForm f;
    f.put(QDate(2009, 4, 30), "000007", CurvesForm::cycle(7));
    f.put(QDate(2010, 2, 28), "000008", CurvesForm::cycle(8));
    f.ui.Calendar->setSelectedDate(QDate(2009, 3, 31));
    f.ui.SpinEditMonat->setValue(4);
    EXPECT_EQ(f.ui.Calendar->selectedDate(), QDate(2009, 4, 30));
    EXPECT_EQ(f.listed(), QStringList{"000007"});

    f.ui.Calendar->setSelectedDate(QDate(2008, 2, 29));
    f.ui.SpinEditJahr->setValue(2010);
    EXPECT_EQ(f.ui.Calendar->selectedDate(), QDate(2010, 2, 28));
    EXPECT_EQ(f.listed(), QStringList{"000008"});
}

TEST(CycleArchiveForm, SpinEditsKeepTheirRanges)
{
    CurvesForm f;
    struct Case {
        QSpinBox* spin;
        int set, expected;
    } cases[] = {{f.ui.SpinEditMonat, 13, 12}, {f.ui.SpinEditMonat, 0, 1},
                 {f.ui.SpinEditJahr, 2004, 2005}, {f.ui.SpinEditJahr, 2051, 2050}};
    for (const auto& c : cases) {
        c.spin->setValue(c.set);
        EXPECT_EQ(c.spin->value(), c.expected);
    }
}

TEST(CycleArchiveForm, RefreshShowsCyclesRecordedSinceAndNoToolEmptiesTheList)
{
    CurvesForm f;
    f.put(Day, "000001", CurvesForm::cycle(1));
    f.curves.ListCycles();
    EXPECT_EQ(f.listed(), QStringList{"000001"});
    f.put(Day, "000002", CurvesForm::cycle(2));
    EXPECT_EQ(f.listed(), QStringList{"000001"}) << "the list is a picture of the moment it was filled";
    QTest::mouseClick(f.ui.BtnZyklenAktualisieren, Qt::LeftButton);
    EXPECT_EQ(f.listed(), (QStringList{"000001", "000002"}));

    f.link.Close();
    f.curves.BtnZyklenAktualisierenClick();
    EXPECT_TRUE(f.listed().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(CycleArchiveForm, ClickingALineDrawsThatCycleWithItsLabels)
{
    CurvesForm f;
    f.put(Day, "000123", CurvesForm::cycle(123));
    f.put(Day, "000124", CurvesForm::cycle(124));
    f.curves.ListCycles();
    f.window.show();
    QListWidget* list = f.ui.LbZyklen;
    const QRect line = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_EQ(f.requests(0x33), 1) << "pressing and releasing on a new line loads it once";
    EXPECT_EQ(f.curves.CurrentCyclePath(), QStringLiteral("20090703\\000123"));
    EXPECT_EQ(f.ui.LblChartIndex->text(), QStringLiteral("000123"));
    EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(list->hasFocus() || !QApplication::focusWindow());
    EXPECT_TRUE(f.ui.BtnSaveChart->isEnabled());
    EXPECT_TRUE(f.ui.BtnPrintChart->isEnabled());
    EXPECT_FALSE(f.ui.ImgChart->pixmap().isNull());

    // The same line again reloads it; the next line by keyboard loads that one.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_EQ(f.requests(0x33), 2);
    list->setCurrentRow(1);
    EXPECT_EQ(f.ui.LblChartIndex->text(), QStringLiteral("000124"));
    EXPECT_EQ(f.curves.CurrentCyclePath(), QStringLiteral("20090703\\000124"));

    // A press that moves to a line and is released beside the lines loads it once; the next click
    // on that line loads it again.
    const int opens = f.requests(0x33);
    QTest::mousePress(list->viewport(), Qt::LeftButton, {}, line.center());
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, QPoint(line.center().x(), list->viewport()->height() - 2));
    EXPECT_EQ(f.requests(0x33), opens + 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line.center());
    EXPECT_EQ(f.requests(0x33), opens + 2);
}

TEST(ChartForm, LabelsShowTheCycleInTheCurrentLanguage)
{
    struct Case {
        const char* label;
        QString expected;
    };
    for (std::uint32_t lang : {LangGerman, LangEnglish}) {
        CurvesForm f;
        f.state.LanguageIndex = lang;
        f.put(Day, "000123", CurvesForm::cycle(123));
        f.ui.CapChartSolldruck->setVisible(true);
        f.curves.DrawCycleChart("20090703\\000123", ChartImage::ImgChart, true);
        const Case cases[] = {
            {"LblChartDatum", QStringLiteral("03.07.2009  14:05:09")},
            {"LblChartIndex", QStringLiteral("000123")},
            {"LblChartBsMotor", QStringLiteral("0h:59m")},
            {"LblChartErrorCode", LangText(lang, 88)},
            {"LblChartWarnCode", QStringLiteral("---")},
            {"LblChartAbschaltdrehzahl", QStringLiteral("8571 U/min")},
            {"LblChartTemperatur", QStringLiteral("-261°C")},
            {"LblChartAkkuspannung", QStringLiteral("16.8V")},
        };
        for (const auto& c : cases)
            EXPECT_EQ(f.window.findChild<QLabel*>(c.label)->text(), c.expected) << c.label << " lang " << lang;
        EXPECT_TRUE(f.ui.CapChartSolldruck->isHidden());
        EXPECT_TRUE(f.ui.LblChartSolldruck->isHidden());
    }
}

TEST(ChartForm, SnapshotCopiesTheChartAndStatusLabels)
{
    CurvesForm f;
    f.put(Day, "000123", CurvesForm::cycle(123));
    f.ui.LblMaschNr->setText("SN-4711");
    f.ui.LblVarianteTxt->setText("V3.1");
    f.ui.LblStartGarantie->setText("1.2.2010  14:30");
    f.ui.LblServiceZaehler->setText("000042");
    f.ui.GroupBoxArbeitskuve->setTitle("Arbeitskurve");
    f.curves.DrawCycleChart("20090703\\000123", ChartImage::ImgChart, true);
    const ChartSnapshot& s = f.curves.snapshot();
    EXPECT_EQ(s.get(ChartSnapshot::Title), QStringLiteral("Arbeitskurve"));
    EXPECT_EQ(s.get(ChartSnapshot::CounterValue), QStringLiteral("000123"));
    EXPECT_EQ(s.get(ChartSnapshot::CounterCaption), f.ui.CapChartIndex->text());
    EXPECT_EQ(s.get(ChartSnapshot::DateValue), f.ui.LblChartDatum->text());
    EXPECT_EQ(s.get(ChartSnapshot::SerialValue), QStringLiteral("SN-4711"));
    EXPECT_EQ(s.get(ChartSnapshot::VersionValue), QStringLiteral("V3.1"));
    EXPECT_EQ(s.get(ChartSnapshot::WarrantyValue), QStringLiteral("1.2.2010  14:30"));
    EXPECT_EQ(s.get(ChartSnapshot::ServiceValue), QStringLiteral("000042"));
    EXPECT_EQ(s.get(ChartSnapshot::CommentCaption), QString()) << "filled by the print preparation only";
}

TEST(ChartForm, AFileThatCannotBeDrawnChangesNothingButEnablesTheButtons)
{
    struct Case {
        const char* what;
        std::function<void(CurvesForm&)> prepare;
    } cases[] = {
        {"invalid header", [](CurvesForm& f) { f.put(Day, "000200", CurvesForm::cycle(200).be16(2, 3)); }},
        {"63 bytes", [](CurvesForm& f) { CycleFixture c = CurvesForm::cycle(200); c.bytes.resize(63); f.put(Day, "000200", c); }},
        {"no such file", [](CurvesForm&) {}},
        {"no tool", [](CurvesForm& f) { f.put(Day, "000200", CurvesForm::cycle(200)); f.link.Close(); }},
    };
    for (const auto& c : cases) {
        CurvesForm f;
        f.put(Day, "000100", CurvesForm::cycle(100));
        f.curves.DrawCycleChart("20090703\\000100", ChartImage::ImgChart, true);
        const QImage before = f.curves.picture(ChartImage::ImgChart);
        const QImage shown = f.ui.ImgChart->pixmap().toImage();
        const ChartState state = f.curves.chartState();
        f.ui.BtnSaveChart->setEnabled(false);
        f.ui.BtnPrintChart->setEnabled(false);
        c.prepare(f);
        f.curves.DrawCycleChart("20090703\\000200", ChartImage::ImgChart, true);
        EXPECT_EQ(f.curves.picture(ChartImage::ImgChart), before) << c.what;
        EXPECT_EQ(f.ui.ImgChart->pixmap().toImage(), shown) << c.what;
        EXPECT_EQ(f.ui.LblChartIndex->text(), QStringLiteral("000100")) << c.what;
        EXPECT_EQ(f.curves.snapshot().get(ChartSnapshot::CounterValue), QStringLiteral("000100")) << c.what;
        EXPECT_EQ(f.curves.CurrentCyclePath(), QStringLiteral("20090703\\000100")) << c.what;
        EXPECT_EQ(f.curves.chartState().bands, state.bands) << c.what;
        EXPECT_TRUE(f.ui.BtnSaveChart->isEnabled()) << c.what;
        EXPECT_TRUE(f.ui.BtnPrintChart->isEnabled()) << c.what;
    }
}

TEST(ChartForm, OnlyImgChartSetsTheCurrentPathAndLabelsFollowOnlyWhenAsked)
{
    CurvesForm f;
    f.put(Day, "000100", CurvesForm::cycle(100));
    f.put(Day, "000101", CurvesForm::cycle(101));
    f.curves.DrawCycleChart("20090703\\000100", ChartImage::ImgChart, true);
    f.curves.DrawCycleChart("20090703\\000101", ChartImage::PrintImgReport, false);
    EXPECT_EQ(f.curves.CurrentCyclePath(), QStringLiteral("20090703\\000100"));
    EXPECT_EQ(f.ui.LblChartIndex->text(), QStringLiteral("000100"));
    EXPECT_EQ(f.curves.snapshot().get(ChartSnapshot::CounterValue), QStringLiteral("000100"));
    EXPECT_EQ(f.curves.picture(ChartImage::PrintImgReport).size(), QSize(206, 81));
}

TEST(ChartForm, ImgChartIsDrawnAtTheControlsCurrentSize)
{
    CurvesForm f;
    f.put(Day, "000100", CurvesForm::cycle(100));
    f.curves.DrawCycleChart("20090703\\000100", ChartImage::ImgChart, true);
    EXPECT_EQ(f.curves.picture(ChartImage::ImgChart).size(), QSize(837, 173));
    f.ui.ImgChart->resize(1000, 250);
    f.curves.DrawCycleChart("20090703\\000100", ChartImage::ImgChart, true);
    EXPECT_EQ(f.curves.picture(ChartImage::ImgChart).size(), QSize(1000, 250));
    EXPECT_EQ(f.curves.chartState().geometry.PlotRight, 990);
    EXPECT_EQ(f.curves.chartState().geometry.PlotBottom, 230);
}

int luminanceWidth(const QString& path, int* height)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    int w = -1;
    if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK) {
        w = static_cast<int>(cinfo.image_width);
        *height = static_cast<int>(cinfo.image_height);
    }
    jpeg_destroy_decompress(&cinfo);
    return w;
}

TEST(ChartOutputForm, SaveProposesCounterAndSerialAndRemembersTheFolder)
{
    CurvesForm f;
    f.put(Day, "000123", CurvesForm::cycle(123));
    f.ui.LblMaschNr->setText("SN4711");
    f.curves.DrawCycleChart("20090703\\000123", ChartImage::ImgChart, true);
    QDir(f.dir.path()).mkdir("first");
    const QString first = f.dir.filePath("first/chart.jpg");

    f.prompts.answerFile(first);
    QTest::mouseClick(f.ui.BtnSaveChart, Qt::LeftButton);
    ASSERT_NE(f.prompts.last(), nullptr);
    const FileDialogRequest r1 = f.prompts.last()->file;
    EXPECT_EQ(f.prompts.last()->kind, ScriptedPrompts::Kind::SaveFile);
    EXPECT_EQ(r1.fileName, QStringLiteral("000123_SN4711.jpg"));
    EXPECT_EQ(r1.initialDir, f.dir.path()) << "the first save starts in the program's folder";
    EXPECT_EQ(r1.title, LangText(f.state.LanguageIndex, 84));
    EXPECT_EQ(r1.defaultExtension, QStringLiteral("JPG"));
    EXPECT_TRUE(r1.filter.isEmpty());
    int h = 0;
    EXPECT_EQ(luminanceWidth(first, &h), 700);
    EXPECT_EQ(h, 750);

    f.prompts.answerFile(std::nullopt);  // cancelled: nothing written, the folder stays
    f.curves.BtnSaveChartClick();
    EXPECT_EQ(f.prompts.last()->file.initialDir, QFileInfo(first).absolutePath());
    f.prompts.answerFile(std::nullopt);
    f.curves.BtnSaveChartClick();
    EXPECT_EQ(f.prompts.last()->file.initialDir, QFileInfo(first).absolutePath());
    EXPECT_TRUE(f.prompts.messages().empty());
}

TEST(ChartOutputForm, AFailedWriteIsReported)
{
    CurvesForm f;
    f.prompts.answerFile(f.dir.filePath("missing-folder/x.jpg"));
    f.curves.BtnSaveChartClick();
    ASSERT_EQ(f.prompts.messages().size(), 1u);
    EXPECT_EQ(f.prompts.messages()[0].caption, QStringLiteral("Error"));
}

TEST(ChartOutputForm, PrintPictureRedrawsTheCurrentCycleUnderTheSnapshot)
{
    CurvesForm f;
    f.put(Day, "000123", CurvesForm::cycle(123));
    f.curves.DrawCycleChart("20090703\\000123", ChartImage::ImgChart, true);
    f.ui.PrintInfo->setPlainText("first line\nsecond line");
    f.curves.BuildPrintPicture();
    const QImage& picture = f.curves.picture(ChartImage::PrintImage);
    ASSERT_EQ(picture.size(), QSize(700, 750));
    EXPECT_EQ(f.ui.PrintImage->size(), QSize(700, 750));
    EXPECT_EQ(f.curves.snapshot().get(ChartSnapshot::CommentCaption), f.ui.CapKommentar->text());
    EXPECT_EQ(f.curves.commentLines(), (QStringList{"first line", "second line"}));
    EXPECT_EQ(f.curves.chartState().geometry.PlotTop, 260);
    // The chart part is the cycle drawn afresh into a 700 x 550 picture.
    QImage fresh(700, 550, QImage::Format_RGB32);
    fresh.fill(Qt::white);
    ChartState state;
    CycleBuffer buffer;
    const std::size_t n = CurvesForm::cycle(123).into(buffer);
    drawCycle(fresh, ChartImage::PrintImage, buffer, n, state);
    EXPECT_EQ(picture.copy(0, 250, 700, 300), fresh.copy(0, 250, 700, 300));
}

TEST(ChartOutputForm, PrintAsksWithPageRangeAndSelectionAndPrintsOnePage)
{
    CurvesForm f;
    f.put(Day, "000123", CurvesForm::cycle(123));
    f.curves.DrawCycleChart("20090703\\000123", ChartImage::ImgChart, true);
    const QString pdf = f.dir.filePath("printed.pdf");
    f.curves.setPrinterFactory([pdf] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    });

    f.prompts.answerPrint(false);
    QTest::mouseClick(f.ui.BtnPrintChart, Qt::LeftButton);
    ASSERT_NE(f.prompts.last(), nullptr);
    const PrintDialogRequest r = f.prompts.last()->print;
    EXPECT_TRUE(r.pageRangeEnabled);
    EXPECT_TRUE(r.selectionEnabled);
    EXPECT_EQ(r.fromPage, 1);
    EXPECT_EQ(r.toPage, 1);
    EXPECT_EQ(r.minPage, 1);
    EXPECT_EQ(r.maxPage, 1);
    EXPECT_FALSE(QFile::exists(pdf)) << "cancelled: nothing printed";

    f.prompts.answerPrint(true);
    f.curves.BtnPrintChartClick();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page "), 1);
    EXPECT_TRUE(f.prompts.messages().empty());
}

TEST(ChartOutputForm, CommentMemoKeepsTenLines)
{
    struct Case {
        int lines;
        bool finalBreak;
        int kept;
    } cases[] = {{10, false, 10}, {11, false, 10}, {11, true, 10}, {25, false, 10}, {3, true, 3}};
    for (const auto& c : cases) {
        CurvesForm f;
        QStringList lines;
        for (int i = 1; i <= c.lines; ++i)
            lines << QString::number(i);
        f.ui.PrintInfo->setPlainText(lines.join('\n') + (c.finalBreak ? "\n" : ""));
        const QStringList kept = f.curves.commentLines();
        EXPECT_EQ(kept, lines.mid(0, c.kept)) << c.lines;
    }
}

TEST(ChartOutputForm, WithoutAToolThePictureKeepsItsChartAndTheSnapshotTexts)
{
    CurvesForm f;
    f.put(Day, "000123", CurvesForm::cycle(123));
    f.curves.DrawCycleChart("20090703\\000123", ChartImage::ImgChart, true);
    f.curves.BuildPrintPicture();
    const QImage first = f.curves.picture(ChartImage::PrintImage);
    f.link.Close();
    f.ui.PrintInfo->setPlainText("added later");
    f.curves.BuildPrintPicture();
    const QImage second = f.curves.picture(ChartImage::PrintImage);
    EXPECT_EQ(second.copy(0, 230, 700, 320), first.copy(0, 230, 700, 320));
    EXPECT_NE(second.copy(0, 590, 700, 40), first.copy(0, 590, 700, 40)) << "the comment is new";
    EXPECT_EQ(f.curves.snapshot().get(ChartSnapshot::CounterValue), QStringLiteral("000123"));
}

}  // namespace
