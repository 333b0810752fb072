// Running a report: bracketed names, the callbacks and their order, and how bands fill pages.
#include "report/Report.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <map>

using namespace report;

namespace {
Report multiCycle(int records)
{
    auto t = builtInTemplate(QStringLiteral("frxPrintReport"));
    EXPECT_TRUE(t);
    Report r(*t);
    r.dataSet().recordCount = records;
    return r;
}

int blocks(const PreparedPage& page)
{
    int n = 0;
    for (const auto& b : page.bands)
        n += b.kind == BandKind::MasterData;
    return n;
}

const PlacedObject* placed(const PreparedPage& page, const QString& name, int nth = 0)
{
    for (const PlacedObject& p : page.objects)
        if (p.object.name == name && nth-- == 0)
            return &p;
    return nullptr;
}

const QDateTime Now(QDate(2026, 3, 4), QTime(9, 5, 7));
}  // namespace

TEST(ReportEvaluate, BracketedNames)
{
    const auto lookup = [](const QString& n) { return QStringLiteral("<%1>").arg(n); };
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"[A]", "<A>"},
        {"#[Presszyklus]", "#<Presszyklus>"},
        {"[A]  [B]", "<A>  <B>"},
        {"[]", "<>"},
        {"open [A", "open [A"},
        {"[A] and ] alone", "<A> and ] alone"},
        {"[[A]]", "<[A>]"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(Report::evaluate(QString::fromLatin1(in), lookup), QLatin1String(out)) << in;
}

TEST(ReportRun, EngineNamesAreAnsweredByTheEngineEverythingElseByTheProgram)
{
    auto t = builtInTemplate(QStringLiteral("frxPrintSingle"));
    ASSERT_TRUE(t);
    Report r(*t);
    r.dataSet().recordCount = 1;
    std::vector<QString> asked;
    r.setOnGetValue([&](const QString& name) {
        asked.push_back(name);
        return name == QLatin1String("LblKommentar") ? QStringLiteral("a\nb\n") : QStringLiteral("v:") + name;
    });
    const PreparedReport out = r.prepare(Now);
    ASSERT_EQ(out.pageCount(), 1);
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Memo26"))->object.text, QLatin1String("04.03.2026  09:05:07"));
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Memo1"))->object.text, QLatin1String("v:PageCaption"));
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Memo24"))->object.text, QLatin1String("a\nb\n"));
    for (const QString& n : asked)
        EXPECT_TRUE(n != QLatin1String("Date") && n != QLatin1String("Time")) << n.toStdString();
    // Two passes: every name is asked twice.
    EXPECT_EQ(std::count(asked.begin(), asked.end(), QStringLiteral("Caption")), 2);
    EXPECT_EQ(asked.size(), 2u * 26u);
}

TEST(ReportRun, ObjectsArePreparedInTemplateOrderWithTheRecordNumber)
{
    Report r = multiCycle(3);
    std::vector<std::string> events;
    r.setOnGetValue([&](const QString& name) {
        events.push_back(std::to_string(r.currentPass()) + ":" + std::to_string(r.currentRecord()) + ":" + name.toStdString());
        return QString();
    });
    r.setOnBeforePrint([&](ReportObject& o) {
        if (o.kind == ObjectKind::Picture) {
            events.push_back(std::to_string(r.currentPass()) + ":" + std::to_string(r.currentRecord()) + ":picture");
            o.picture = QImage(206, 81, QImage::Format_RGB32);
            o.picture.fill(QColor(r.currentRecord() * 50, 0, 0));
        }
    });
    const PreparedReport out = r.prepare(Now);
    // The title's [Caption] is asked while the data set stands on its first record.
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.front(), "1:0:Caption");
    // Within each block the picture follows the block's ten names.
    for (int pass = 1; pass <= 2; ++pass)
        for (int rec = 0; rec < 3; ++rec) {
            const std::string prefix = std::to_string(pass) + ":" + std::to_string(rec) + ":";
            const auto pic = std::find(events.begin(), events.end(), prefix + "picture");
            ASSERT_NE(pic, events.end()) << prefix;
            EXPECT_EQ(*(pic - 10), prefix + "Presszyklus");
            EXPECT_EQ(*(pic - 1), prefix + "LblAbschAW");
        }
    // Each block carries its own picture, sized to it.
    for (int rec = 0; rec < 3; ++rec) {
        const PlacedObject* p = placed(out.pages[0], QStringLiteral("Picture1"), rec);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->object.picture.pixelColor(0, 0), QColor(rec * 50, 0, 0));
        EXPECT_EQ(p->object.geometry.size(), QSizeF(206, 81));
    }
}

TEST(ReportRun, BlocksPerPageAndPageBreaks)
{
    struct Case { int records; std::vector<int> blocksPerPage; };
    const Case cases[] = {
        {0, {0}},
        {1, {1}},
        {13, {13}},
        {14, {13, 1}},
        {40, {13, 13, 13, 1}},
    };
    for (const Case& c : cases) {
        Report r = multiCycle(c.records);
        const PreparedReport out = r.prepare(Now);
        ASSERT_EQ(out.pageCount(), static_cast<int>(c.blocksPerPage.size())) << c.records;
        int record = 0;
        for (int p = 0; p < out.pageCount(); ++p) {
            const PreparedPage& page = out.pages[static_cast<std::size_t>(p)];
            EXPECT_EQ(blocks(page), c.blocksPerPage[static_cast<std::size_t>(p)]) << c.records << " page " << p + 1;
            // Title on the first page only, a footer at the foot of every page, with its number.
            ASSERT_FALSE(page.bands.empty());
            EXPECT_EQ(page.bands.front().kind == BandKind::ReportTitle, p == 0);
            EXPECT_EQ(page.bands.back().kind, BandKind::PageFooter);
            EXPECT_NEAR(page.bands.back().top, 1084.724 - 26.46, 0.001);
            EXPECT_EQ(placed(page, QStringLiteral("Memo2"))->object.text, QString::number(p + 1));
            // Blocks stand one below the other from the top (below the title on page 1), in record order.
            double y = p == 0 ? 26.46 : 0.0;
            for (const auto& b : page.bands) {
                if (b.kind != BandKind::MasterData)
                    continue;
                EXPECT_NEAR(b.top, y, 1e-9);
                EXPECT_EQ(b.record, record++);
                y += 79.37;
            }
        }
        EXPECT_EQ(record, c.records);
    }
}

TEST(ReportRun, ObjectsStandAtTheirPlaceOnThePage)
{
    Report r = multiCycle(2);
    const PreparedReport out = r.prepare(Now);
    const double m = 5 * 96 / 25.4;  // margin
    const std::tuple<const char*, int, QRectF> cases[] = {
        {"Memo1", 0, QRectF(m, m, 759.69, 22.68)},
        {"DataSet1Presszyklus", 0, QRectF(m + 7.56, m + 26.46, 143.62, 18.90)},
        {"DataSet1Presszyklus", 1, QRectF(m + 7.56, m + 26.46 + 79.37, 143.62, 18.90)},
        {"Memo3", 1, QRectF(m + 7.56, m + 26.46 + 79.37 + 56.69, 744.57, 18.90)},
        {"Memo2", 0, QRectF(m, m + 1084.724 - 26.46 + 7.56, 755.91, 15.12)},
    };
    for (const auto& [name, nth, rect] : cases) {
        const PlacedObject* p = placed(out.pages[0], QString::fromLatin1(name), nth);
        ASSERT_TRUE(p) << name;
        EXPECT_NEAR(p->object.geometry.x(), rect.x(), 0.001) << name;
        EXPECT_NEAR(p->object.geometry.y(), rect.y(), 0.001) << name << nth;
        EXPECT_NEAR(p->object.geometry.width(), rect.width(), 0.001) << name;
        EXPECT_NEAR(p->object.geometry.height(), rect.height(), 0.001) << name;
    }
    // A picture object without a picture keeps its template size.
    EXPECT_EQ(placed(out.pages[0], QStringLiteral("Picture1"))->object.geometry.size(), QSizeF(222.99, 68.03));
}

TEST(ReportRun, ProgressCanStopALongRunAndAPrepareStartsAfresh)
{
    Report r = multiCycle(40);
    int calls = 0;
    r.setProgress([&](int pass, int record, int count) {
        ++calls;
        EXPECT_EQ(count, 40);
        return !(pass == 2 && record == 20);
    });
    EXPECT_EQ(r.prepare(Now).pageCount(), 0);
    EXPECT_EQ(calls, 40 + 21);
    r.setProgress({});
    r.dataSet().recordCount = 1;
    EXPECT_EQ(r.prepare(Now).pageCount(), 1);
}
