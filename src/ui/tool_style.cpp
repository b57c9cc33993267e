#include "ui/tool_style.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleFactory>

namespace quelm::ui {

namespace {

// Two chevrons pointing right (or down), as the overflow button shows.
QIcon drawChevron(bool vertical) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1.6));
    if (vertical) p.translate(16, 0), p.rotate(90);
    for (int x : {4, 9}) p.drawPolyline(QPolygonF({QPointF(x, 4), QPointF(x + 4, 8), QPointF(x, 12)}));
    return QIcon(pixmap);
}

class ToolStyle : public QProxyStyle {
public:
    ToolStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override {
        if (icon == SP_ToolBarHorizontalExtensionButton) return drawChevron(false);
        if (icon == SP_ToolBarVerticalExtensionButton) return drawChevron(true);
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

QStyle* makeToolStyle() { return new ToolStyle; }

} // namespace quelm::ui
