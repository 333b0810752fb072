// Edge anchoring for fixed-geometry forms: a child keeps its distance to the anchored edges of its
// container, and stretches when anchored to both opposite edges.
#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

namespace Anchor {
enum Side : int { Left = 1, Top = 2, Right = 4, Bottom = 8, All = Left | Top | Right | Bottom };
}

class Anchors : public QObject {
    Q_OBJECT
public:
    // designSize is the container's size for which the children's form geometry was laid out.
    // The container's resizes re-apply the anchors.
    Anchors(QWidget& container, QSize designSize);

    // Records child's form geometry (its current geometry) against the design size.
    void add(QWidget& child, int sides);
    // Lays the children out for the container's current size.
    void apply();
    // The geometry the anchors give for a container of the given size.
    static QRect place(const QRect& design, QSize designSize, QSize size, int sides);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        QWidget* child;
        QRect design;
        int sides;
    };
    QWidget& container_;
    QSize designSize_;
    std::vector<Entry> entries_;
};
