// The work curves in the real main window over the demo tool: the status page shows the latest
// cycle and follows new ones by itself; a day picked in the calendar lists its cycles and a click
// shows one.
#include "tests/support/ui/MainWindowHarness.h"

#include "curves/ui/CurvesFeature.h"
#include "link/Usbhidinterface.h"
#include "ui_Main.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

QString counterText(std::int32_t count) { return QString::asprintf("%06d", count); }

TEST(CurvesEndToEnd, StatusPageShowsTheLatestCycleAndFollowsNewOnes)
{
    MainWindowHarness h;
    h.tool().setCycleRecording(false);
    h.showConnected();
    Ui::THauptDialog& ui = h.ui();
    const std::int32_t count = h.tool().info().CycleCount;
    ASSERT_GT(count, 0);
    EXPECT_EQ(ui.LblChartIndex->text(), counterText(count));
    EXPECT_FALSE(ui.ImgChart->pixmap().isNull());
    EXPECT_TRUE(ui.BtnSaveChart->isEnabled());
    EXPECT_TRUE(ui.BtnPrintChart->isEnabled());

    h.tool().recordCycle();
    h.tick();
    EXPECT_EQ(ui.LblChartIndex->text(), counterText(count + 1));
    EXPECT_EQ(h.window().context().features.curves->CurrentCyclePath().right(6), counterText(count + 1));
}

TEST(CurvesEndToEnd, PickADayAndClickACycle)
{
    MainWindowHarness h;
    h.tool().setCycleRecording(false);
    h.showConnected();
    Ui::THauptDialog& ui = h.ui();
    // The demo tool has recorded on the days before today; take the first day folder it has.
    QString folder;
    for (const auto& [path, content] : h.tool().files()) {
        const QString p = QString::fromStdString(path);
        if (p.size() == 15 && p[8] == QLatin1Char('\\')) {
            folder = p.left(8);
            break;
        }
    }
    ASSERT_FALSE(folder.isEmpty());
    const QDate day = QDate::fromString(folder, "yyyyMMdd");
    ui.Calendar->setSelectedDate(day);
    ASSERT_GT(ui.LbZyklen->count(), 0);
    const QString name = ui.LbZyklen->item(0)->text();
    QListWidget* list = ui.LbZyklen;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    EXPECT_EQ(ui.LblChartIndex->text(), name);
    EXPECT_EQ(h.window().context().features.curves->CurrentCyclePath(), folder + "\\" + name);
    const auto* file = h.tool().file((folder + "\\" + name).toStdString());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ui.LblChartDatum->text().left(10), day.toString("dd.MM.yyyy"));
}

}  // namespace
