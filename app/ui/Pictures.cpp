// Flags are drawn in proportion to the target size so that they stay crisp at any label size.
#include "app/ui/Pictures.h"

#include <QPainter>
#include <QRadialGradient>

namespace {

void horizontalStripes(QPainter& p, const QRectF& r, std::initializer_list<QColor> colours)
{
    const qreal h = r.height() / static_cast<qreal>(colours.size());
    qreal y = r.top();
    for (const QColor& c : colours) {
        p.fillRect(QRectF(r.left(), y, r.width(), h), c);
        y += h;
    }
}

void verticalStripes(QPainter& p, const QRectF& r, std::initializer_list<QColor> colours)
{
    const qreal w = r.width() / static_cast<qreal>(colours.size());
    qreal x = r.left();
    for (const QColor& c : colours) {
        p.fillRect(QRectF(x, r.top(), w, r.height()), c);
        x += w;
    }
}

// Nordic cross: the vertical bar sits at a third of the width, as on the real flags.
void nordicCross(QPainter& p, const QRectF& r, const QColor& field, const QColor& cross, qreal thickness)
{
    p.fillRect(r, field);
    const qreal t = r.height() * thickness;
    const qreal cx = r.left() + r.width() * 0.36;
    p.fillRect(QRectF(cx - t / 2, r.top(), t, r.height()), cross);
    p.fillRect(QRectF(r.left(), r.center().y() - t / 2, r.width(), t), cross);
}

void unionFlag(QPainter& p, const QRectF& r)
{
    const QColor blue(1, 33, 105), red(200, 16, 46);
    p.fillRect(r, blue);
    p.save();
    p.setClipRect(r);
    const qreal h = r.height();
    QPen white(Qt::white, h * 0.2);
    p.setPen(white);
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.topRight());
    QPen redDiag(red, h * 0.07);
    p.setPen(redDiag);
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.bottomLeft(), r.topRight());
    p.restore();
    const qreal cw = h * 0.34, rw = h * 0.2;
    p.fillRect(QRectF(r.center().x() - cw / 2, r.top(), cw, h), Qt::white);
    p.fillRect(QRectF(r.left(), r.center().y() - cw / 2, r.width(), cw), Qt::white);
    p.fillRect(QRectF(r.center().x() - rw / 2, r.top(), rw, h), red);
    p.fillRect(QRectF(r.left(), r.center().y() - rw / 2, r.width(), rw), red);
}

}  // namespace

QPixmap drawFlag(Flag flag, QSize size)
{
    if (size.isEmpty())
        return {};
    QPixmap pixmap(size);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, size.width(), size.height());
    switch (flag) {
    case Flag::German:
        horizontalStripes(p, r, {QColor(0, 0, 0), QColor(221, 0, 0), QColor(255, 206, 0)});
        break;
    case Flag::English:
        unionFlag(p, r);
        break;
    case Flag::French:
        verticalStripes(p, r, {QColor(0, 35, 149), Qt::white, QColor(237, 41, 57)});
        break;
    case Flag::Spanish: {
        const QColor red(170, 21, 27), yellow(241, 191, 0);
        const qreal h = r.height();
        p.fillRect(r, red);
        p.fillRect(QRectF(r.left(), h * 0.25, r.width(), h * 0.5), yellow);
        break;
    }
    case Flag::Italian:
        verticalStripes(p, r, {QColor(0, 146, 70), Qt::white, QColor(206, 43, 55)});
        break;
    case Flag::Swedish:
        nordicCross(p, r, QColor(0, 106, 167), QColor(254, 204, 0), 0.2);
        break;
    case Flag::Finnish:
        nordicCross(p, r, Qt::white, QColor(0, 47, 108), 0.28);
        break;
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(96, 96, 96));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, size.width() - 1, size.height() - 1);
    return pixmap;
}

QPixmap drawLamp(Lamp lamp)
{
    QColor colour;
    switch (lamp) {
    case Lamp::Red: colour = QColor(220, 30, 30); break;
    case Lamp::Yellow: colour = QColor(240, 200, 20); break;
    case Lamp::Green: colour = QColor(30, 190, 40); break;
    case Lamp::Grey: colour = QColor(150, 150, 150); break;
    }
    QPixmap pixmap(LampSize, LampSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A lit dome: light spot upper left, the lamp's colour at the rim.
    QRadialGradient g(QPointF(6, 6), 9, QPointF(5.5, 5.5));
    g.setColorAt(0.0, colour.lighter(170));
    g.setColorAt(0.6, colour);
    g.setColorAt(1.0, colour.darker(140));
    p.setBrush(g);
    p.setPen(QPen(colour.darker(200), 1));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    return pixmap;
}
