// The template loader: the two compiled-in templates as they are laid out, and broken templates
// refused with a reason instead of reaching the layout.
#include "report/ReportTemplate.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonArray>
#include <gtest/gtest.h>

using namespace report;

namespace {
const ReportObject* find(const ReportTemplate& t, const QString& name, BandKind* kind = nullptr)
{
    for (const Band& b : t.bands)
        for (const ReportObject& o : b.objects)
            if (o.name == name) {
                if (kind)
                    *kind = b.kind;
                return &o;
            }
    return nullptr;
}

QJsonObject builtInJson(const QString& name)
{
    (void)builtInTemplate(name);  // registers the resources
    QFile f(QStringLiteral(":/report/templates/%1.json").arg(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(f.readAll()).object();
}
}  // namespace

TEST(ReportTemplate, BuiltInTemplatesLoad)
{
    for (const char* name : {"frxPrintSingle", "frxPrintReport"}) {
        QString error;
        const auto t = builtInTemplate(QString::fromLatin1(name), &error);
        ASSERT_TRUE(t) << name << ": " << error.toStdString();
        EXPECT_EQ(t->name, QLatin1String(name));
        EXPECT_DOUBLE_EQ(t->marginMm, 5.0);
        EXPECT_NEAR(t->printableRect().width(), 755.906, 0.001);
        EXPECT_NEAR(t->printableRect().height(), 1084.724, 0.001);
    }
    EXPECT_FALSE(builtInTemplate(QStringLiteral("frxNone")));
}

TEST(ReportTemplate, SingleCycleTemplateAsTranscribed)
{
    const auto t = builtInTemplate(QStringLiteral("frxPrintSingle"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->dataSet, QLatin1String("DsPrintSingle"));
    ASSERT_TRUE(t->band(BandKind::ReportTitle) && t->band(BandKind::MasterData) && t->band(BandKind::PageFooter));
    EXPECT_DOUBLE_EQ(t->band(BandKind::ReportTitle)->height, 26.46);
    EXPECT_DOUBLE_EQ(t->band(BandKind::MasterData)->height, 831.50);
    EXPECT_DOUBLE_EQ(t->band(BandKind::PageFooter)->height, 26.46);

    struct Row { const char* name; BandKind band; double l, top, w, h; const char* text; int px; bool bold; };
    const Row rows[] = {
        {"Memo1", BandKind::ReportTitle, 0, 0, 755.91, 22.68, "[PageCaption]", 16, true},
        {"Memo26", BandKind::PageFooter, 0, 0, 755.91, 22.68, "[Date]  [Time]", 13, true},
        {"Memo3", BandKind::MasterData, 45.35, 7.56, 177.64, 18.90, "[Caption]", 15, true},
        {"Memo4", BandKind::MasterData, 45.35, 45.35, 177.64, 18.90, "[CapPresszyklus]", 13, false},
        {"Memo11", BandKind::MasterData, 222.99, 45.35, 226.77, 18.90, "[LblPresszyklus]", 13, false},
        {"DataSet1Betriebsstunden", BandKind::MasterData, 222.99, 83.15, 226.77, 18.90, "[LblBetriebsstunden]", 13, false},
        {"Memo10", BandKind::MasterData, 45.35, 234.33, 177.64, 18.90, "[CapAbschAW]", 13, false},
        {"Memo9", BandKind::MasterData, 222.99, 234.33, 226.77, 18.90, "[LblAbschAW]", 13, false},
        {"Memo25", BandKind::MasterData, 45.35, 574.49, 177.64, 18.90, "[CapKommentar]", 13, false},
        {"Memo24", BandKind::MasterData, 222.99, 574.49, 536.69, 253.23, "[LblKommentar]", 13, false},
    };
    for (const Row& r : rows) {
        BandKind kind{};
        const ReportObject* o = find(*t, QString::fromLatin1(r.name), &kind);
        ASSERT_TRUE(o) << r.name;
        EXPECT_EQ(kind, r.band) << r.name;
        EXPECT_EQ(o->geometry, QRectF(r.l, r.top, r.w, r.h)) << r.name;
        EXPECT_EQ(o->text, QLatin1String(r.text)) << r.name;
        EXPECT_EQ(o->fontPixels, r.px) << r.name;
        EXPECT_EQ(o->bold, r.bold) << r.name;
    }
    const ReportObject* memo1 = find(*t, QStringLiteral("Memo1"));
    EXPECT_EQ(memo1->background, QColor(128, 128, 128));
    EXPECT_EQ(memo1->colour, QColor(Qt::white));
    EXPECT_EQ(memo1->hAlign, HAlign::Center);
    EXPECT_EQ(memo1->vAlign, VAlign::Center);
    EXPECT_TRUE(find(*t, QStringLiteral("Memo3"))->underline);
    EXPECT_EQ(find(*t, QStringLiteral("Memo26"))->hAlign, HAlign::Right);
    const ReportObject* picture = find(*t, QStringLiteral("Picture"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->kind, ObjectKind::Picture);
    EXPECT_TRUE(picture->autoSize);
    EXPECT_FALSE(picture->stretch);
    EXPECT_EQ(picture->geometry, QRectF(45.35, 275.91, 684.09, 287.24));

    // Texts before the picture, the comment after it: the order the objects are prepared in.
    const Band& data = *t->band(BandKind::MasterData);
    ASSERT_EQ(data.objects.size(), 26u);
    EXPECT_EQ(data.objects[0].name, QLatin1String("Memo3"));
    EXPECT_EQ(data.objects[23].name, QLatin1String("Picture"));
    EXPECT_EQ(data.objects[25].name, QLatin1String("Memo24"));
}

TEST(ReportTemplate, MultiCycleTemplateAsTranscribed)
{
    const auto t = builtInTemplate(QStringLiteral("frxPrintReport"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->dataSet, QLatin1String("DsPrintReport"));
    EXPECT_DOUBLE_EQ(t->band(BandKind::MasterData)->height, 79.37);
    EXPECT_DOUBLE_EQ(t->band(BandKind::PageFooter)->designTop, 245.67);

    struct Row { const char* name; double l, top, w, h; const char* text; int px; bool bold; };
    const Row rows[] = {
        {"Memo1", 0, 0, 759.69, 22.68, "[Caption]", 16, true},
        {"Memo2", 0, 7.56, 755.91, 15.12, "[Page]", 11, false},
        {"DataSet1Presszyklus", 7.56, 0, 143.62, 18.90, "#[Presszyklus]", 15, true},
        {"DataSet1Datum", 151.18, 0, 279.69, 18.90, "[Datum]", 15, true},
        {"Memo4", 7.56, 18.90, 143.62, 18.90, "[CapBetriebsstunden]", 13, false},
        {"DataSet1Betriebsstunden", 151.18, 18.90, 151.18, 18.90, "[LblBetriebsstunden]", 13, false},
        {"Memo6", 7.56, 37.80, 143.62, 18.90, "[CapAkkuspannung]", 13, false},
        {"Memo5", 151.18, 37.80, 151.18, 18.90, "[LblAkkuspannung]", 13, false},
        {"Memo8", 302.36, 18.90, 143.62, 18.90, "[CapAbschDZ]", 13, false},
        {"Memo7", 445.98, 18.90, 151.18, 18.90, "[LblAbschDZ]", 13, false},
        {"Memo10", 302.36, 37.80, 143.62, 18.90, "[CapAbschAW]", 13, false},
        {"Memo9", 445.98, 37.80, 151.18, 18.90, "[LblAbschAW]", 13, false},
        {"Memo3", 7.56, 56.69, 744.57, 18.90, "", 13, false},
    };
    for (const Row& r : rows) {
        const ReportObject* o = find(*t, QString::fromLatin1(r.name));
        ASSERT_TRUE(o) << r.name;
        EXPECT_EQ(o->geometry, QRectF(r.l, r.top, r.w, r.h)) << r.name;
        EXPECT_EQ(o->text, QLatin1String(r.text)) << r.name;
        EXPECT_EQ(o->fontPixels, r.px) << r.name;
        EXPECT_EQ(o->bold, r.bold) << r.name;
    }
    const ReportObject* footer = find(*t, QStringLiteral("Memo2"));
    EXPECT_TRUE(footer->frameTop);
    EXPECT_DOUBLE_EQ(footer->frameWidth, 2.0);
    EXPECT_EQ(footer->hAlign, HAlign::Right);
    EXPECT_TRUE(find(*t, QStringLiteral("Memo3"))->frameBottom);
    const ReportObject* picture = find(*t, QStringLiteral("Picture1"));
    ASSERT_TRUE(picture);
    EXPECT_TRUE(picture->autoSize);
    EXPECT_EQ(picture->geometry, QRectF(529.13, 0, 222.99, 68.03));
    const Band& data = *t->band(BandKind::MasterData);
    EXPECT_EQ(data.objects[10].name, QLatin1String("Picture1"));  // after every text of the block
}

TEST(ReportTemplate, BrokenTemplatesAreRefusedWithAReason)
{
    const QJsonObject good = builtInJson(QStringLiteral("frxPrintReport"));
    ASSERT_TRUE(parseTemplate(QJsonDocument(good).toJson()));

    using Edit = std::function<void(QJsonObject&)>;
    const auto onObject = [](int band, int object, const std::function<void(QJsonObject&)>& edit) {
        return [=](QJsonObject& root) {
            QJsonArray bands = root["bands"].toArray();
            QJsonObject b = bands[band].toObject();
            QJsonArray objects = b["objects"].toArray();
            QJsonObject o = objects[object].toObject();
            edit(o);
            objects[object] = o;
            b["objects"] = objects;
            bands[band] = b;
            root["bands"] = bands;
        };
    };
    const auto onBand = [](int band, const std::function<void(QJsonObject&)>& edit) {
        return [=](QJsonObject& root) {
            QJsonArray bands = root["bands"].toArray();
            QJsonObject b = bands[band].toObject();
            edit(b);
            bands[band] = b;
            root["bands"] = bands;
        };
    };
    struct Case { const char* what; Edit edit; const char* reason; };
    const Case cases[] = {
        {"unknown key", [](QJsonObject& r) { r["colour"] = "red"; }, "unknown key"},
        {"no bands", [](QJsonObject& r) { r["bands"] = QJsonArray(); }, "bands"},
        {"empty name", [](QJsonObject& r) { r["name"] = ""; }, "empty"},
        {"page too small", [](QJsonObject& r) { r["page"] = QJsonObject{{"widthMm", 10}, {"heightMm", 297}, {"marginMm", 5}}; }, "widthMm"},
        {"band kind", onBand(1, [](QJsonObject& b) { b["kind"] = "groupHeader"; }), "kind"},
        {"second title", onBand(1, [](QJsonObject& b) { b["kind"] = "reportTitle"; }), "same kind"},
        {"band taller than a page", onBand(1, [](QJsonObject& b) { b["height"] = 1100; }), "height"},
        {"bands fill more than a page", onBand(1, [](QJsonObject& b) { b["height"] = 1040; }), "taller than a page"},
        {"negative left", onObject(1, 0, [](QJsonObject& o) { o["left"] = -1; }), "left"},
        {"beyond the right edge", onObject(1, 0, [](QJsonObject& o) { o["left"] = 700; }), "right edge"},
        {"starts below its band", onObject(1, 0, [](QJsonObject& o) { o["top"] = 80; }), "below its band"},
        {"width not a number", onObject(1, 0, [](QJsonObject& o) { o["width"] = "wide"; }), "width"},
        {"font size fraction", onObject(1, 0, [](QJsonObject& o) { o["font"] = QJsonObject{{"family", "Arial"}, {"pixels", 13.5}}; }), "whole number"},
        {"font size zero", onObject(1, 0, [](QJsonObject& o) { o["font"] = QJsonObject{{"family", "Arial"}, {"pixels", 0}}; }), "pixels"},
        {"no font", onObject(1, 0, [](QJsonObject& o) { o.remove("font"); }), "font"},
        {"colour", onObject(1, 0, [](QJsonObject& o) { o["colour"] = "black"; }), "colour"},
        {"alignment", onObject(1, 0, [](QJsonObject& o) { o["hAlign"] = "justify"; }), "hAlign"},
        {"object type", onObject(1, 0, [](QJsonObject& o) { o["type"] = "barcode"; }), "type"},
        {"text key on a picture", onObject(1, 10, [](QJsonObject& o) { o["text"] = "x"; }), "unknown key"},
        {"stretched and sized", onObject(1, 10, [](QJsonObject& o) { o["stretch"] = true; }), "either"},
        {"duplicate name", onObject(1, 1, [](QJsonObject& o) { o["name"] = "memo4"; }), "second object"},
        {"frame width", onObject(2, 0, [](QJsonObject& o) { o["frame"] = QJsonObject{{"top", true}, {"width", 50}}; }), "width"},
    };
    for (const Case& c : cases) {
        QJsonObject root = good;
        c.edit(root);
        QString error;
        EXPECT_FALSE(parseTemplate(QJsonDocument(root).toJson(), &error)) << c.what;
        EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << c.what << ": " << error.toStdString();
    }
    for (const char* raw : {"", "[]", "{", "{\"name\": 1}", "null"}) {
        QString error;
        EXPECT_FALSE(parseTemplate(QByteArray(raw), &error)) << raw;
        EXPECT_FALSE(error.isEmpty()) << raw;
    }
}
