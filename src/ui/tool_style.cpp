#include "ui/tool_style.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

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
    ToolStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows"))) {}

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override {
        if (icon == SP_ToolBarHorizontalExtensionButton) return drawChevron(false);
        if (icon == SP_ToolBarVerticalExtensionButton) return drawChevron(true);
        return QProxyStyle::standardIcon(icon, option, widget);
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (option->rect.isEmpty()) return QProxyStyle::drawPrimitive(element, option, painter, widget);
        switch (element) {
        case PE_IndicatorRadioButton:
        case PE_PanelLineEdit: return drawCached(element, *option, painter, widget);
        case PE_FrameGroupBox: return drawGroupFrame(option->rect, option->palette, painter);
        default: return QProxyStyle::drawPrimitive(element, option, painter, widget);
        }
    }

private:
    // The window has some thirty option buttons and thirty text boxes of a
    // few sizes, each drawn from curves or shaded lines: such a primitive is
    // drawn once per look (size, state, colours) and then copied.
    void drawCached(PrimitiveElement element, const QStyleOption& option, QPainter* painter,
                    const QWidget* widget) const {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QString key = cacheKey(element, option, ratio);
        QPixmap picture;
        if (!QPixmapCache::find(key, &picture)) {
            picture = QPixmap((QSizeF(option.rect.size()) * ratio).toSize());
            picture.setDevicePixelRatio(ratio);
            picture.fill(Qt::transparent);
            QPainter p(&picture);
            p.translate(-option.rect.topLeft()); // the option as it came, of whichever kind
            QProxyStyle::drawPrimitive(element, &option, &p, widget);
            p.end();
            QPixmapCache::insert(key, picture);
        }
        painter->drawPixmap(option.rect.topLeft(), picture);
    }

    // What the look of a cached primitive depends on. Each group box gives
    // its controls a palette of their own, equal in the colours drawn with.
    static QString cacheKey(PrimitiveElement element, const QStyleOption& option, qreal ratio) {
        const QStyle::State look =
            option.state & (State_On | State_Off | State_Enabled | State_Sunken | State_NoChange | State_ReadOnly);
        QString key = QStringLiteral("quelm-%1-%2x%3-%4-%5")
                          .arg(static_cast<int>(element))
                          .arg(option.rect.width())
                          .arg(option.rect.height())
                          .arg(static_cast<int>(look))
                          .arg(ratio);
        if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(&option))
            key += QStringLiteral("-w%1-%2").arg(frame->lineWidth).arg(frame->midLineWidth);
        for (const QPalette::ColorRole role :
             {QPalette::Light, QPalette::Midlight, QPalette::Dark, QPalette::Mid, QPalette::Shadow, QPalette::Base,
              QPalette::Button, QPalette::Window, QPalette::Text, QPalette::WindowText})
            key += QLatin1Char('-') + QString::number(option.palette.color(role).rgba(), 16);
        return key;
    }

    // A group box's etched frame, as shaded lines of one pixel: a dark
    // rectangle with a light one a pixel right and down.
    static void drawGroupFrame(const QRect& r, const QPalette& palette, QPainter* painter) {
        const int x1 = r.left(), y1 = r.top(), x2 = r.right(), y2 = r.bottom();
        const QColor dark = palette.dark().color(), light = palette.light().color();
        painter->fillRect(QRect(QPoint(x1, y1), QPoint(x2 - 1, y1)), dark);
        painter->fillRect(QRect(QPoint(x1, y2 - 1), QPoint(x2 - 1, y2 - 1)), dark);
        painter->fillRect(QRect(QPoint(x1, y1), QPoint(x1, y2 - 1)), dark);
        painter->fillRect(QRect(QPoint(x2 - 1, y1), QPoint(x2 - 1, y2 - 1)), dark);
        painter->fillRect(QRect(QPoint(x1 + 1, y1 + 1), QPoint(x2 - 2, y1 + 1)), light);
        painter->fillRect(QRect(QPoint(x1 + 1, y1 + 2), QPoint(x1 + 1, y2 - 2)), light);
        painter->fillRect(QRect(QPoint(x1, y2), QPoint(x2, y2)), light);
        painter->fillRect(QRect(QPoint(x2, y1), QPoint(x2, y2 - 1)), light);
    }
};

} // namespace

QStyle* makeToolStyle() { return new ToolStyle; }

} // namespace quelm::ui
