#include "ui/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace quelm::ui {

namespace {

void drawBackground(QPainter& p, const QRect& area) {
    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0.0, QColor(250, 251, 253));
    sky.setColorAt(1.0, QColor(214, 222, 232));
    p.fillRect(area, sky);
    // The table the two devices stand on.
    p.fillRect(QRect(0, 300, area.width(), area.height() - 300), QColor(188, 196, 206));
}

// A USB cable leaving the box on its left and ending in a type-A plug.
void drawCable(QPainter& p) {
    QPainterPath cable(QPointF(70, 185));
    cable.cubicTo(QPointF(20, 190), QPointF(40, 290), QPointF(110, 300));
    cable.cubicTo(QPointF(150, 305), QPointF(150, 330), QPointF(120, 334));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(40, 40, 45), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cable);
    p.setPen(QPen(QColor(110, 110, 120), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cable);
    // Plug: moulded grip and metal shell.
    p.setPen(QPen(QColor(20, 20, 20), 1.5));
    p.setBrush(QColor(55, 55, 60));
    p.drawRoundedRect(QRectF(70, 322, 50, 24), 5, 5);
    p.setBrush(QColor(200, 203, 208));
    p.drawRect(QRectF(38, 326, 32, 16));
    p.setBrush(QColor(60, 60, 65));
    p.drawRect(QRectF(44, 330, 8, 3));
    p.drawRect(QRectF(56, 330, 8, 3));
}

void drawLed(QPainter& p, QPointF at, QColor colour) {
    QRadialGradient glow(at, 8);
    glow.setColorAt(0.0, colour.lighter(170));
    glow.setColorAt(1.0, colour.darker(130));
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(glow);
    p.drawEllipse(at, 6, 6);
}

// A rounded housing with its shadow, shaded from `light` to `dark` along `shade`.
void drawHousing(QPainter& p, const QRectF& body, qreal radius, QLineF shade, QColor light, QColor dark,
                 QColor outline) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 45));
    p.drawRoundedRect(body.translated(8, 10), radius, radius);
    QLinearGradient shell(shade.p1(), shade.p2());
    shell.setColorAt(0.0, light);
    shell.setColorAt(1.0, dark);
    p.setPen(QPen(outline, 3));
    p.setBrush(shell);
    p.drawRoundedRect(body, radius, radius);
}

// The programming box: a dark rounded case with a small display and keys.
void drawBox(QPainter& p) {
    const QRectF body(70, 110, 260, 170);
    drawHousing(p, body, 26, QLineF(body.topLeft(), body.bottomLeft()), QColor(74, 96, 140), QColor(32, 44, 78),
                QColor(20, 26, 44));
    // Display.
    const QRectF display(105, 138, 150, 58);
    p.setPen(QPen(QColor(15, 15, 20), 4));
    p.setBrush(QColor(150, 190, 120));
    p.drawRoundedRect(display, 6, 6);
    p.setPen(QPen(QColor(40, 70, 30), 3));
    for (int row = 0; row < 2; ++row)
        for (int c = 0; c < 7; ++c)
            p.drawLine(QPointF(116 + c * 19, 155 + row * 22), QPointF(127 + c * 19, 155 + row * 22));
    // Channel keys and status lights.
    p.setPen(QPen(QColor(15, 15, 20), 2));
    p.setBrush(QColor(205, 210, 220));
    p.drawRoundedRect(QRectF(110, 220, 46, 28), 8, 8);
    p.drawRoundedRect(QRectF(170, 220, 46, 28), 8, 8);
    drawLed(p, QPointF(285, 150), QColor(40, 200, 60));
    drawLed(p, QPointF(285, 180), QColor(230, 140, 20));
    // Cable gland on the left side.
    p.setBrush(QColor(30, 30, 34));
    p.drawRoundedRect(QRectF(58, 172, 18, 26), 4, 4);
}

// Radio waves between the box and the detector.
void drawWaves(QPainter& p) {
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(60, 120, 200, 200 - i * 50), 4, Qt::SolidLine, Qt::RoundCap));
        const QRectF arc(360 + i * 22, 150 - i * 16, 40 + i * 16, 70 + i * 32);
        p.drawArc(arc, -50 * 16, 100 * 16);
    }
}

// The detector: a light housing with a round lens.
void drawDetector(QPainter& p) {
    const QRectF body(480, 70, 160, 220);
    drawHousing(p, body, 34, QLineF(body.topLeft(), body.topRight()), QColor(252, 250, 244), QColor(205, 200, 190),
                QColor(120, 115, 105));
    // Lens window.
    const QPointF centre(560, 150);
    QRadialGradient glass(centre + QPointF(-14, -14), 60);
    glass.setColorAt(0.0, QColor(170, 60, 80));
    glass.setColorAt(0.5, QColor(90, 20, 40));
    glass.setColorAt(1.0, QColor(30, 5, 15));
    p.setPen(QPen(QColor(60, 55, 50), 4));
    p.setBrush(glass);
    p.drawEllipse(centre, 46, 46);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(centre + QPointF(-18, -18), 11, 8);
    // Vent slots and the status light.
    p.setPen(QPen(QColor(150, 145, 135), 4, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) p.drawLine(QPointF(520, 226 + i * 13), QPointF(600, 226 + i * 13));
    drawLed(p, QPointF(612, 96), QColor(220, 30, 30));
}

void drawArrowShape(QPainter& p) {
    QPainterPath arrow;
    arrow.moveTo(4, 22);
    arrow.lineTo(26, 22);
    arrow.lineTo(26, 8);
    arrow.lineTo(47, 30);
    arrow.lineTo(26, 52);
    arrow.lineTo(26, 38);
    arrow.lineTo(4, 38);
    arrow.closeSubpath();
    QLinearGradient fill(0, 8, 0, 52);
    fill.setColorAt(0.0, QColor(80, 140, 230));
    fill.setColorAt(1.0, QColor(20, 60, 150));
    p.setPen(QPen(QColor(10, 30, 80), 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPath(arrow);
}

} // namespace

QPixmap drawBoxPicture(QSize size) {
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size.width() / 700.0, size.height() / 351.0);
    drawBackground(p, QRect(0, 0, 700, 351));
    drawCable(p);
    drawBox(p);
    drawWaves(p);
    drawDetector(p);
    return pixmap;
}

QPixmap drawArrowPicture() {
    QPixmap pixmap(50, 60);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawArrowShape(p);
    return pixmap;
}

QPixmap pictureNamed(std::string_view name, QSize size) {
    if (name == "box") return size.isEmpty() ? drawBoxPicture() : drawBoxPicture(size);
    if (name == "arrow") return drawArrowPicture();
    return {};
}

} // namespace quelm::ui
