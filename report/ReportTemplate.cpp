// Reading report templates from JSON. Everything is checked, because a template that the layout
// cannot handle must fail its test at build time, never the program at run time.
#include "report/ReportTemplate.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <cmath>

namespace report {

namespace {
constexpr qsizetype MaxTemplateBytes = 1 << 20;
constexpr qsizetype MaxBands = 16;
constexpr qsizetype MaxObjects = 256;
constexpr qsizetype MaxNameLength = 64;
constexpr qsizetype MaxTextLength = 4096;
constexpr double MaxCoordinate = 5000.0;
constexpr int MaxFontPixels = 200;
// Template measures are rounded to 1/100 unit, so a page full of bands may overshoot by that much.
constexpr double FitTolerance = 0.1;

struct Failure {
    QString where;
    QString what;
};

class Reader {
public:
    explicit Reader(QString where) : where_(std::move(where)) {}

    [[noreturn]] void fail(const QString& what) const { throw Failure{where_, what}; }

    void onlyKeys(const QJsonObject& o, std::initializer_list<const char*> keys) const
    {
        for (auto it = o.begin(); it != o.end(); ++it) {
            bool known = false;
            for (const char* k : keys)
                known = known || it.key() == QLatin1String(k);
            if (!known)
                fail(QStringLiteral("unknown key '%1'").arg(it.key()));
        }
    }
    QJsonObject object(const QJsonObject& o, const char* key) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (!v.isObject())
            fail(QStringLiteral("'%1' must be an object").arg(QLatin1String(key)));
        return v.toObject();
    }
    QString string(const QJsonObject& o, const char* key, qsizetype maxLength, bool required = true,
                   const QString& fallback = {}) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() && !required)
            return fallback;
        if (!v.isString())
            fail(QStringLiteral("'%1' must be a string").arg(QLatin1String(key)));
        const QString s = v.toString();
        if (s.size() > maxLength)
            fail(QStringLiteral("'%1' is longer than %2 characters").arg(QLatin1String(key)).arg(maxLength));
        return s;
    }
    QString name(const QJsonObject& o, const char* key) const
    {
        const QString s = string(o, key, MaxNameLength);
        if (s.isEmpty())
            fail(QStringLiteral("'%1' is empty").arg(QLatin1String(key)));
        return s;
    }
    double number(const QJsonObject& o, const char* key, double min, double max, bool required = true,
                  double fallback = 0.0) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() && !required)
            return fallback;
        if (!v.isDouble())
            fail(QStringLiteral("'%1' must be a number").arg(QLatin1String(key)));
        const double d = v.toDouble();
        if (!std::isfinite(d) || d < min || d > max)
            fail(QStringLiteral("'%1' out of range").arg(QLatin1String(key)));
        return d;
    }
    bool flag(const QJsonObject& o, const char* key) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return false;
        if (!v.isBool())
            fail(QStringLiteral("'%1' must be true or false").arg(QLatin1String(key)));
        return v.toBool();
    }
    QColor colour(const QJsonObject& o, const char* key, QColor fallback) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            return fallback;
        static const QRegularExpression rgb(QStringLiteral("^#[0-9a-fA-F]{6}$"));
        if (!v.isString() || !rgb.match(v.toString()).hasMatch())
            fail(QStringLiteral("'%1' must be a colour #rrggbb").arg(QLatin1String(key)));
        return QColor(v.toString());
    }
    template <typename E>
    E choice(const QJsonObject& o, const char* key, std::initializer_list<std::pair<const char*, E>> options,
             bool required, E fallback) const
    {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() && !required)
            return fallback;
        for (const auto& [text, value] : options)
            if (v.isString() && v.toString() == QLatin1String(text))
                return value;
        fail(QStringLiteral("'%1' has no known value").arg(QLatin1String(key)));
    }

private:
    QString where_;
};

ReportObject readObject(const QJsonObject& o, const Reader& r, const QSizeF& page, double bandHeight)
{
    ReportObject obj;
    obj.kind = r.choice<ObjectKind>(o, "type", {{"text", ObjectKind::Text}, {"picture", ObjectKind::Picture}}, true,
                                    ObjectKind::Text);
    if (obj.kind == ObjectKind::Text)
        r.onlyKeys(o, {"type", "name", "left", "top", "width", "height", "text", "font", "colour", "background",
                       "hAlign", "vAlign", "frame"});
    else
        r.onlyKeys(o, {"type", "name", "left", "top", "width", "height", "autoSize", "stretch"});
    obj.name = r.name(o, "name");
    const double left = r.number(o, "left", 0.0, MaxCoordinate);
    const double top = r.number(o, "top", 0.0, MaxCoordinate);
    const double width = r.number(o, "width", 0.0, MaxCoordinate);
    const double height = r.number(o, "height", 0.0, MaxCoordinate);
    if (left + width > page.width() + FitTolerance)
        r.fail(QStringLiteral("reaches beyond the page's right edge"));
    if (top >= bandHeight)
        r.fail(QStringLiteral("starts below its band"));
    if (top + height > page.height())
        r.fail(QStringLiteral("reaches beyond the page's foot"));
    obj.geometry = QRectF(left, top, width, height);

    if (obj.kind == ObjectKind::Picture) {
        obj.autoSize = r.flag(o, "autoSize");
        obj.stretch = r.flag(o, "stretch");
        if (obj.autoSize && obj.stretch)
            r.fail(QStringLiteral("a picture is either sized to its picture or stretched"));
        return obj;
    }
    obj.text = r.string(o, "text", MaxTextLength);
    const QJsonObject font = r.object(o, "font");
    r.onlyKeys(font, {"family", "pixels", "bold", "underline"});
    obj.fontFamily = r.name(font, "family");
    const double pixels = r.number(font, "pixels", 1.0, MaxFontPixels);
    if (pixels != std::floor(pixels))
        r.fail(QStringLiteral("font pixels must be a whole number"));
    obj.fontPixels = static_cast<int>(pixels);
    obj.bold = r.flag(font, "bold");
    obj.underline = r.flag(font, "underline");
    obj.colour = r.colour(o, "colour", Qt::black);
    obj.background = r.colour(o, "background", QColor());
    obj.hAlign = r.choice<HAlign>(o, "hAlign", {{"left", HAlign::Left}, {"center", HAlign::Center},
                                                {"right", HAlign::Right}}, false, HAlign::Left);
    obj.vAlign = r.choice<VAlign>(o, "vAlign", {{"top", VAlign::Top}, {"center", VAlign::Center},
                                                {"bottom", VAlign::Bottom}}, false, VAlign::Top);
    if (o.contains(QLatin1String("frame"))) {
        const QJsonObject frame = r.object(o, "frame");
        r.onlyKeys(frame, {"top", "bottom", "width"});
        obj.frameTop = r.flag(frame, "top");
        obj.frameBottom = r.flag(frame, "bottom");
        obj.frameWidth = r.number(frame, "width", 0.1, 20.0, false, 1.0);
    }
    return obj;
}

ReportTemplate read(const QJsonObject& root)
{
    Reader top{QStringLiteral("template")};
    top.onlyKeys(root, {"name", "dataSet", "page", "bands"});
    ReportTemplate t;
    t.name = top.name(root, "name");
    t.dataSet = top.name(root, "dataSet");
    const QJsonObject page = top.object(root, "page");
    Reader pageReader{QStringLiteral("page")};
    pageReader.onlyKeys(page, {"widthMm", "heightMm", "marginMm"});
    t.pageSizeMm = QSizeF(pageReader.number(page, "widthMm", 50.0, 1000.0),
                          pageReader.number(page, "heightMm", 50.0, 1000.0));
    t.marginMm = pageReader.number(page, "marginMm", 0.0, 20.0);
    const QRectF printable = t.printableRect();

    const QJsonValue bands = root.value(QLatin1String("bands"));
    if (!bands.isArray() || bands.toArray().isEmpty() || bands.toArray().size() > MaxBands)
        top.fail(QStringLiteral("'bands' must be a list of 1 to %1 bands").arg(MaxBands));
    QSet<QString> names;
    qsizetype objectCount = 0;
    const QJsonArray bandList = bands.toArray();
    for (qsizetype b = 0; b < bandList.size(); ++b) {
        const Reader r{QStringLiteral("bands[%1]").arg(b)};
        if (!bandList[b].isObject())
            r.fail(QStringLiteral("must be an object"));
        const QJsonObject bo = bandList[b].toObject();
        r.onlyKeys(bo, {"kind", "name", "top", "height", "objects"});
        Band band;
        band.kind = r.choice<BandKind>(bo, "kind", {{"reportTitle", BandKind::ReportTitle},
                                                    {"pageFooter", BandKind::PageFooter},
                                                    {"masterData", BandKind::MasterData}}, true,
                                       BandKind::MasterData);
        if (t.band(band.kind))
            r.fail(QStringLiteral("a second band of the same kind"));
        band.name = r.name(bo, "name");
        band.designTop = r.number(bo, "top", 0.0, MaxCoordinate);
        band.height = r.number(bo, "height", 1.0, printable.height());
        const QJsonValue objects = bo.value(QLatin1String("objects"));
        if (!objects.isArray())
            r.fail(QStringLiteral("'objects' must be a list"));
        const QJsonArray list = objects.toArray();
        objectCount += list.size();
        if (objectCount > MaxObjects)
            r.fail(QStringLiteral("more than %1 objects").arg(MaxObjects));
        for (qsizetype i = 0; i < list.size(); ++i) {
            const Reader orr{QStringLiteral("bands[%1].objects[%2]").arg(b).arg(i)};
            if (!list[i].isObject())
                orr.fail(QStringLiteral("must be an object"));
            ReportObject obj = readObject(list[i].toObject(), orr, t.pageSize(), band.height);
            if (names.contains(obj.name.toLower()))
                orr.fail(QStringLiteral("a second object named '%1'").arg(obj.name));
            names.insert(obj.name.toLower());
            band.objects.push_back(std::move(obj));
        }
        t.bands.push_back(std::move(band));
    }
    // A master-data band must fit on a page beside the title and the footer, or it could never be placed.
    double used = 0.0;
    for (const Band& band : t.bands)
        used += band.height;
    if (used > printable.height() + FitTolerance)
        top.fail(QStringLiteral("the bands together are taller than a page"));
    return t;
}
}  // namespace

QRectF ReportTemplate::printableRect() const
{
    const double m = marginMm * UnitsPerMm;
    const QSizeF s = pageSize();
    return QRectF(m, m, s.width() - 2 * m, s.height() - 2 * m);
}

const Band* ReportTemplate::band(BandKind kind) const
{
    for (const Band& b : bands)
        if (b.kind == kind)
            return &b;
    return nullptr;
}

std::optional<ReportTemplate> parseTemplate(const QByteArray& json, QString* error)
{
    const auto failWith = [error](const QString& why) -> std::optional<ReportTemplate> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (json.size() > MaxTemplateBytes)
        return failWith(QStringLiteral("template: larger than %1 bytes").arg(MaxTemplateBytes));
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return failWith(QStringLiteral("template: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset));
    if (!doc.isObject())
        return failWith(QStringLiteral("template: not a JSON object"));
    try {
        return read(doc.object());
    } catch (const Failure& f) {
        return failWith(f.where + QStringLiteral(": ") + f.what);
    }
}

}  // namespace report

// Resources of a static library are registered by hand before their first use.
void initReportResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(report);
        return true;
    }();
    (void)registered;
}

namespace report {

std::optional<ReportTemplate> builtInTemplate(const QString& name, QString* error)
{
    initReportResources();
    QFile f(QStringLiteral(":/report/templates/%1.json").arg(name));
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("no template '%1'").arg(name);
        return std::nullopt;
    }
    return parseTemplate(f.read(MaxTemplateBytes + 1), error);
}

}  // namespace report
