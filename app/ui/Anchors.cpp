// Anchors of the form's controls, re-applied on every resize of their container.
#include "app/ui/Anchors.h"

#include <QEvent>
#include <QWidget>

Anchors::Anchors(QWidget& container, QSize designSize)
    : QObject(&container), container_(container), designSize_(designSize)
{
    container.installEventFilter(this);
}

void Anchors::add(QWidget& child, int sides)
{
    entries_.push_back({&child, child.geometry(), sides});
}

QRect Anchors::place(const QRect& design, QSize designSize, QSize size, int sides)
{
    const int dw = size.width() - designSize.width();
    const int dh = size.height() - designSize.height();
    int x = design.x(), y = design.y(), w = design.width(), h = design.height();
    const bool left = sides & Anchor::Left, right = sides & Anchor::Right;
    const bool top = sides & Anchor::Top, bottom = sides & Anchor::Bottom;
    if (left && right)
        w = std::max(0, w + dw);
    else if (right)
        x += dw;
    if (top && bottom)
        h = std::max(0, h + dh);
    else if (bottom)
        y += dh;
    return QRect(x, y, w, h);
}

void Anchors::apply()
{
    const QSize size = container_.size();
    for (const Entry& e : entries_)
        e.child->setGeometry(place(e.design, designSize_, size, e.sides));
}

bool Anchors::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &container_ && event->type() == QEvent::Resize)
        apply();
    return QObject::eventFilter(watched, event);
}
