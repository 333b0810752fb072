// The single- and multi-cycle reports' values and pictures, the multi-cycle report against the
// simulated tool: list order, one read per cycle and report, and what a record shows when a read fails.
#include "curves/MultiCycleReport.h"
#include "curves/SingleCycleReport.h"
#include "link/Usbhidinterface.h"
#include "sim/SimHidPlatform.h"
#include "sim/SimulatedTool.h"
#include "tests/curves/CycleFixture.h"

#include <gtest/gtest.h>

namespace {
const QDateTime Now(QDate(2009, 7, 3), QTime(12, 0, 0));

const report::PlacedObject* placed(const report::PreparedPage& page, const QString& name, int nth = 0)
{
    for (const report::PlacedObject& p : page.objects)
        if (p.object.name == name && nth-- == 0)
            return &p;
    return nullptr;
}
}  // namespace

TEST(SingleCycleReport, ValuesByNameWithoutRegardToCase)
{
    ChartSnapshot s;
    using F = ChartSnapshot::Field;
    for (int f = 0; f < F::FieldCount; ++f)
        s.set(static_cast<F>(f), QStringLiteral("f%1").arg(f));
    SingleCycleReportData d{QStringLiteral("Title (V2.00)"), {QStringLiteral("one"), QStringLiteral("two")}, {}};
    const std::pair<const char*, QString> cases[] = {
        {"PageCaption", QStringLiteral("Title (V2.00)")},
        {"pagecaption", QStringLiteral("Title (V2.00)")},
        {"Caption", s.get(F::Title)},
        {"CapPresszyklus", s.get(F::CounterCaption)},
        {"LBLPRESSZYKLUS", s.get(F::CounterValue)},
        {"LblDatum", s.get(F::DateValue)},
        {"LblBetriebsstunden", s.get(F::MotorTimeValue)},
        {"CapTemperatur", s.get(F::TemperatureCaption)},
        {"LblAkkuspannung", s.get(F::VoltageValue)},
        {"CapAbschDZ", s.get(F::RevolutionCaption)},
        {"LblAbschDZ", s.get(F::RevolutionValue)},
        {"LblFehler", s.get(F::ErrorValue)},
        {"CapWarnung", s.get(F::WarningCaption)},
        {"LblSn", s.get(F::SerialValue)},
        {"CapVersion", s.get(F::VersionCaption)},
        {"LblVersion", s.get(F::VersionValue)},
        {"CapKommentar", s.get(F::CommentCaption)},
        {"LblKommentar", QStringLiteral("one\ntwo\n")},
        {"CapAbschAW", QString()},  // the template's spelling
        {"LblAbschAW", QString()},
        {"CapGarantie", QStringLiteral("!!!Nicht definiert!!!")},
        {"", QStringLiteral("!!!Nicht definiert!!!")},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(frxPrintSingleGetValue(QString::fromLatin1(name), s, d), expected) << name;
    d.commentLines.clear();
    EXPECT_EQ(frxPrintSingleGetValue(QStringLiteral("LblKommentar"), s, d), QString());
}

TEST(SingleCycleReport, OnePageWithTheStrongPictureAndAnEmptyCommentCaptionUntilFilled)
{
    ChartSnapshot s;  // as at program start: CommentCaption empty
    s.set(ChartSnapshot::CounterValue, QStringLiteral("000123"));
    QImage picture(633, 281, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 0));
    const SingleCycleReportData d{QStringLiteral("Caption"), {QStringLiteral("checked")}, picture};
    const auto r = frxPrintSingle(s, d);
    const report::PreparedReport out = r->prepare(Now);
    ASSERT_EQ(out.pageCount(), 1);
    const auto* pic = placed(out.pages[0], QStringLiteral("Picture"));
    ASSERT_TRUE(pic);
    EXPECT_EQ(pic->object.picture.pixelColor(5, 5), QColor(255, 0, 0));
    EXPECT_EQ(pic->object.geometry.size(), QSizeF(633, 281));
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Memo11"))->object.text, QLatin1String("000123"));
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Memo25"))->object.text, QString());
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Memo24"))->object.text, QLatin1String("checked\n"));
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Memo9"))->object.text, QString());

    // Only the object named exactly "Picture" takes the bitmap.
    report::ReportObject other;
    other.kind = report::ObjectKind::Picture;
    other.name = QStringLiteral("picture");
    frxPrintSingleBeforePrint(other, picture);
    EXPECT_TRUE(other.picture.isNull());
}

class MultiCycleOnSimulatedTool : public ::testing::Test {
protected:
    FakeClock clock{Now};
    SimHidPlatform hid{clock};
    SimulatedTool& tool = hid.addTool(SimScenario::New);
    TUsbHidInterface link{hid, clock};
    ReportValues values;  // lives for the run, across reports
    QImage picture;
    ChartState chart;
    MultiCycleReport report{link, values, {picture, chart}};

    void SetUp() override
    {
        tool.setCycleRecording(false);
        tool.files().clear();
        ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
        report.setCaptions({QStringLiteral("Window title"), QStringLiteral("Betriebsstunden:"),
                            QStringLiteral("Akkuspannung:"), QStringLiteral("Abschaltdrehzahl:"),
                            QStringLiteral("Abschaltarbeitswert:")});
    }
    static CycleFixture cycle(std::uint32_t counter, std::uint8_t volts10 = 168)
    {
        CycleFixture f;
        f.be32(CycleOffset::CycleCounter, counter)
            .be32(CycleOffset::MotorTimeMs, 3599999)
            .u8(CycleOffset::BatteryVoltage10, volts10)
            .u8(CycleOffset::RevolutionTimeMs, 7)
            .u8(CycleOffset::SwitchOffWorkValue, 87)
            .bands(100, 110, 120, 140, 150)
            .samples({2, 2, 2, 2, 4, 8, 20, 40, 60, 80, 100, 110, 120, 90, 60, 30, 10, 5, 5, 5, 5, 5});
        return f;
    }
    void put(const QString& name, const std::vector<std::uint8_t>& bytes)
    {
        tool.files()[("20090703\\" + name).toStdString()] = bytes;
    }
    report::PreparedReport run(const QStringList& names)
    {
        QStringList paths;
        for (const QString& n : names)
            paths << QStringLiteral("20090703\\") + n;
        report.setReportPaths(paths);
        tool.clearReceived();
        return report.makeReport()->prepare(Now);
    }
    int fileOpens() const
    {
        const auto c = tool.receivedCodes();
        return static_cast<int>(std::count(c.begin(), c.end(), static_cast<std::uint8_t>(0x33)));
    }
    static QStringList blockNumbers(const report::PreparedReport& out)
    {
        QStringList n;
        for (const auto& page : out.pages)
            for (const auto& p : page.objects)
                if (p.object.name == QLatin1String("DataSet1Presszyklus"))
                    n << p.object.text;
        return n;
    }
};

TEST_F(MultiCycleOnSimulatedTool, BlocksInListOrderEachCycleReadOnce)
{
    for (std::uint32_t c : {10u, 11u, 12u})
        put(QStringLiteral("%1").arg(c, 6, 10, QLatin1Char('0')), cycle(c, static_cast<std::uint8_t>(150 + c)).bytes);
    const auto out = run({QStringLiteral("000012"), QStringLiteral("000010"), QStringLiteral("000011")});
    EXPECT_EQ(blockNumbers(out), QStringList({"#000012", "#000010", "#000011"}));
    EXPECT_EQ(report.toolReads(), 3);
    EXPECT_EQ(fileOpens(), 3);

    const report::PreparedPage& page = out.pages[0];
    EXPECT_EQ(placed(page, QStringLiteral("Memo1"))->object.text, QLatin1String("Window title"));
    const std::tuple<const char*, int, const char*> texts[] = {
        {"DataSet1Datum", 0, "03.07.2009  14:05:09"},
        {"Memo4", 0, "Betriebsstunden:"},
        {"DataSet1Betriebsstunden", 0, "0h:59m"},
        {"Memo5", 0, "16.2V"},
        {"Memo5", 1, "16.0V"},
        {"Memo5", 2, "16.1V"},
        {"Memo7", 0, "8571 U/min"},
        {"Memo10", 0, "Abschaltarbeitswert:"},
        {"Memo9", 0, "87%"},
        {"Memo3", 0, ""},
    };
    for (const auto& [name, nth, text] : texts)
        EXPECT_EQ(placed(page, QString::fromLatin1(name), nth)->object.text, QString::fromUtf8(text)) << name << nth;
}

TEST_F(MultiCycleOnSimulatedTool, EachBlockShowsItsOwnLightPictureWithoutMarkers)
{
    // Two cycles with different green bands: each block's picture is that of its own cycle.
    put(QStringLiteral("000001"), cycle(1).bands(100, 110, 120, 140, 150).bytes);
    put(QStringLiteral("000002"), cycle(2).bands(0, 0, 0, 0, 0).bytes);
    const auto out = run({QStringLiteral("000001"), QStringLiteral("000002")});
    const QImage first = placed(out.pages[0], QStringLiteral("Picture1"), 0)->object.picture;
    const QImage second = placed(out.pages[0], QStringLiteral("Picture1"), 1)->object.picture;
    ASSERT_EQ(first.size(), QSize(206, 81));
    ASSERT_EQ(second.size(), QSize(206, 81));
    int light = 0, strong = 0, lightInSecond = 0;
    for (int y = 0; y < 81; ++y)
        for (int x = 0; x < 206; ++x) {
            light += first.pixel(x, y) == qRgb(170, 255, 174);
            strong += first.pixel(x, y) == qRgb(128, 255, 128) || first.pixel(x, y) == qRgb(255, 0, 0);
            lightInSecond += second.pixel(x, y) == qRgb(170, 255, 174);
        }
    EXPECT_GT(light, 0);
    EXPECT_EQ(strong, 0);
    EXPECT_EQ(lightInSecond, 0);
    // No marker: no black 3 x 3 square anywhere inside the plot.
    for (const QImage& img : {first, second})
        for (int y = 11; y + 3 < 61; ++y)
            for (int x = 51; x + 3 < 196; ++x) {
                bool black = true;
                for (int dy = 0; dy < 3 && black; ++dy)
                    for (int dx = 0; dx < 3 && black; ++dx)
                        black = img.pixel(x + dx, y + dy) == qRgb(0, 0, 0);
                ASSERT_FALSE(black) << x << "," << y;
            }
}

TEST_F(MultiCycleOnSimulatedTool, ASecondReportOfOneCycleShowsTheNewCycle)
{
    put(QStringLiteral("000001"), cycle(1).bytes);
    put(QStringLiteral("000002"), cycle(2).bytes);
    EXPECT_EQ(blockNumbers(run({QStringLiteral("000001")})), QStringList({"#000001"}));
    // Both reports' last (and only) block is record 0.
    EXPECT_EQ(blockNumbers(run({QStringLiteral("000002")})), QStringList({"#000002"}));
    EXPECT_EQ(report.toolReads(), 1);
}

TEST_F(MultiCycleOnSimulatedTool, FailedReadsShowTheValuesAndPictureReadBefore)
{
    put(QStringLiteral("000001"), cycle(1).bytes);
    put(QStringLiteral("000003"), std::vector<std::uint8_t>(63, 7));  // short
    std::vector<std::uint8_t> invalid = cycle(4).bytes;
    invalid[0] = 0;  // header not checked for the values
    put(QStringLiteral("000004"), invalid);

    // Nothing read yet in this run: empty texts and no picture.
    tool.unplug();
    link.Connected = false;
    auto out = run({QStringLiteral("000001")});
    EXPECT_EQ(blockNumbers(out), QStringList({"#"}));
    EXPECT_TRUE(placed(out.pages[0], QStringLiteral("Picture1"))->object.picture.isNull());
    EXPECT_EQ(report.toolReads(), 0);

    tool.plugIn();
    ASSERT_TRUE(link.Open(ToolVendorId, ToolProductId, 0));
    out = run({QStringLiteral("000001"), QStringLiteral("000003"), QStringLiteral("000004"), QStringLiteral("999999")});
    EXPECT_EQ(blockNumbers(out), QStringList({"#000001", "#000001", "#000004", "#000004"}));
    const QImage first = placed(out.pages[0], QStringLiteral("Picture1"), 0)->object.picture;
    EXPECT_FALSE(first.isNull());
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Picture1"), 1)->object.picture, first);
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Picture1"), 2)->object.picture, first);  // invalid header: not drawn
    EXPECT_EQ(report.failedReads(), 2);  // the short file and the missing one

    // The tool gone: a new report shows the values last read.
    tool.unplug();
    link.Connected = false;
    out = run({QStringLiteral("000001"), QStringLiteral("000003")});
    EXPECT_EQ(blockNumbers(out), QStringList({"#000004", "#000004"}));
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Picture1"))->object.picture, first);
}

TEST_F(MultiCycleOnSimulatedTool, NothingSelectedGivesTitleAndFooterOnly)
{
    put(QStringLiteral("000001"), cycle(1).bytes);
    const auto out = run({});
    ASSERT_EQ(out.pageCount(), 1);
    ASSERT_EQ(out.pages[0].bands.size(), 2u);
    EXPECT_EQ(out.pages[0].bands[0].kind, report::BandKind::ReportTitle);
    EXPECT_EQ(out.pages[0].bands[1].kind, report::BandKind::PageFooter);
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Memo1"))->object.text, QLatin1String("Window title"));
    EXPECT_EQ(report.toolReads(), 0);
}

TEST_F(MultiCycleOnSimulatedTool, UnknownNamesAndPageBreaks)
{
    EXPECT_EQ(report.frxPrintReportGetValue(0, QStringLiteral("Zaehler")), QLatin1String("[ERROR]"));
    EXPECT_EQ(report.frxPrintReportGetValue(0, QStringLiteral("presszyklus")), QString());
    QStringList names;
    for (int c = 1; c <= 14; ++c) {
        names << QStringLiteral("%1").arg(c, 6, 10, QLatin1Char('0'));
        put(names.back(), cycle(static_cast<std::uint32_t>(c)).bytes);
    }
    const auto out = run(names);
    ASSERT_EQ(out.pageCount(), 2);
    EXPECT_EQ(placed(out.pages[1], QStringLiteral("DataSet1Presszyklus"))->object.text, QLatin1String("#000014"));
    EXPECT_EQ(report.toolReads(), 14);
}
