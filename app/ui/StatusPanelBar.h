// The main window's status bar: fixed-width panels side by side, panel texts and owner-drawn panels
// that the window paints through a callback (the link lamp), as the original status bar did.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

class StatusPanelBar : public QWidget {
    Q_OBJECT
public:
    // Called while painting for every owner-drawn panel with its rectangle inside the bar.
    using DrawPanel = std::function<void(QPainter& painter, int panel, const QRect& rect)>;

    explicit StatusPanelBar(QWidget* parent = nullptr);

    // Panels are laid out left to right; the last one extends to the right edge of the bar.
    void setPanelCount(int count);
    int panelCount() const { return static_cast<int>(panels_.size()); }
    void setPanelWidth(int panel, int width);
    int panelWidth(int panel) const;
    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    void setPanelOwnerDrawn(int panel, bool ownerDrawn);
    // The panel's rectangle in the bar's coordinates (empty for an unknown panel).
    QRect panelRect(int panel) const;
    void setDrawPanel(DrawPanel draw) { draw_ = std::move(draw); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Panel {
        int width = 50;
        QString text;
        bool ownerDrawn = false;
    };
    std::vector<Panel> panels_;
    DrawPanel draw_;
};
