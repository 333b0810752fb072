// The template of a banded report: an A4 page with margins, bands (report title, page footer,
// master data) and their text and picture objects, measured in 1/96 inch. Templates are JSON
// documents; the loader accepts only what this engine can lay out and draw.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <optional>
#include <vector>

namespace report {

// 1/96 inch per millimetre.
inline constexpr double UnitsPerMm = 96.0 / 25.4;

enum class BandKind { ReportTitle, PageFooter, MasterData };
enum class ObjectKind { Text, Picture };
enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };

struct ReportObject {
    ObjectKind kind = ObjectKind::Text;
    QString name;
    QRectF geometry;  // relative to the band, 1/96 inch

    // Text objects: the text may hold [names] that are evaluated when the band is printed.
    QString text;
    QString fontFamily = QStringLiteral("Arial");
    int fontPixels = 13;
    bool bold = false;
    bool underline = false;
    QColor colour = Qt::black;
    QColor background;  // invalid: transparent
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool frameTop = false;
    bool frameBottom = false;
    double frameWidth = 1.0;

    // Picture objects: the picture is filled by the program before the object is printed.
    bool autoSize = false;  // the object takes its picture's size (1 pixel = 1/96 inch)
    bool stretch = false;   // otherwise drawn at its own size, cut to the object
    QImage picture;
};

struct Band {
    BandKind kind = BandKind::MasterData;
    QString name;
    double designTop = 0.0;  // where the band stands in the designer; printing stacks the bands
    double height = 0.0;
    std::vector<ReportObject> objects;  // in template order: the order they are prepared in
};

struct ReportTemplate {
    QString name;
    QString dataSet;                    // the user data set the master-data band runs over
    QSizeF pageSizeMm{210.0, 297.0};
    double marginMm = 5.0;
    std::vector<Band> bands;

    QSizeF pageSize() const { return pageSizeMm * UnitsPerMm; }
    // The page inside its margins, 1/96 inch, origin at the page's top-left corner.
    QRectF printableRect() const;
    // The band of that kind, or nullptr.
    const Band* band(BandKind kind) const;
};

// Parses and validates a template. On failure returns nullopt and, when error is given, says why
// ("bands[2].objects[0]: width out of range").
std::optional<ReportTemplate> parseTemplate(const QByteArray& json, QString* error = nullptr);

// A template compiled into the program (":/report/templates/<name>.json"); nullopt when it is
// missing or does not validate, which the test suite catches before the program ships.
std::optional<ReportTemplate> builtInTemplate(const QString& name, QString* error = nullptr);

}  // namespace report
