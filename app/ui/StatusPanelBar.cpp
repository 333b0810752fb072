// Status bar panels drawn by hand so that each panel's rectangle is known exactly
// (the progress bar is laid over panel 1 and must match it at every window size).
#include "app/ui/StatusPanelBar.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

StatusPanelBar::StatusPanelBar(QWidget* parent) : QWidget(parent)
{
    setPanelCount(1);
}

void StatusPanelBar::setPanelCount(int count)
{
    panels_.resize(static_cast<std::size_t>(std::max(count, 0)));
    update();
}

void StatusPanelBar::setPanelWidth(int panel, int width)
{
    if (panel < 0 || panel >= panelCount())
        return;
    panels_[static_cast<std::size_t>(panel)].width = std::max(width, 0);
    update();
}

int StatusPanelBar::panelWidth(int panel) const
{
    return panel >= 0 && panel < panelCount() ? panels_[static_cast<std::size_t>(panel)].width : 0;
}

void StatusPanelBar::setPanelText(int panel, const QString& text)
{
    if (panel < 0 || panel >= panelCount())
        return;
    auto& p = panels_[static_cast<std::size_t>(panel)];
    if (p.text == text)
        return;
    p.text = text;
    update(panelRect(panel));
}

QString StatusPanelBar::panelText(int panel) const
{
    return panel >= 0 && panel < panelCount() ? panels_[static_cast<std::size_t>(panel)].text : QString();
}

void StatusPanelBar::setPanelOwnerDrawn(int panel, bool ownerDrawn)
{
    if (panel < 0 || panel >= panelCount())
        return;
    panels_[static_cast<std::size_t>(panel)].ownerDrawn = ownerDrawn;
    update();
}

QRect StatusPanelBar::panelRect(int panel) const
{
    if (panel < 0 || panel >= panelCount())
        return {};
    int left = 0;
    for (int i = 0; i < panel; ++i)
        left += panels_[static_cast<std::size_t>(i)].width;
    int w = panels_[static_cast<std::size_t>(panel)].width;
    if (panel == panelCount() - 1)
        w = std::max(width() - left, 0);
    return QRect(left, 0, w, height());
}

QSize StatusPanelBar::sizeHint() const
{
    return QSize(200, 19);
}

void StatusPanelBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int i = 0; i < panelCount(); ++i) {
        const QRect r = panelRect(i);
        if (r.isEmpty())
            continue;
        // A thin sunken bevel per panel, like the native status bar parts.
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(r.topLeft(), QPoint(r.right() - 1, r.top()));
        painter.drawLine(r.topLeft(), QPoint(r.left(), r.bottom()));
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(QPoint(r.left() + 1, r.bottom()), r.bottomRight());
        painter.drawLine(QPoint(r.right(), r.top()), r.bottomRight());
        const Panel& p = panels_[static_cast<std::size_t>(i)];
        if (p.ownerDrawn) {
            if (draw_) {
                painter.save();
                painter.setClipRect(r);
                draw_(painter, i, r.adjusted(1, 1, -1, -1));
                painter.restore();
            }
        } else if (!p.text.isEmpty()) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawText(r.adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, p.text);
        }
    }
}
