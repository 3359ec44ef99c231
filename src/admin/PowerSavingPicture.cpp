#include "admin/PowerSavingPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// The program's panel colours (the application icon uses the same).
const QColor kPanelDark(0x1f, 0x3a, 0x5f);
const QColor kPanelLight(0x3d, 0x6f, 0xa8);
const QColor kGlass(0xe8, 0xf1, 0xfb);

} // namespace

QPixmap powerSavingPicture() {
    const qreal s = 48;
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // A battery standing upright, its terminal at the top.
    const QRectF body(11, 8, 26, 37);
    p.setPen(Qt::NoPen);
    p.setBrush(kPanelDark);
    p.drawRoundedRect(QRectF(19, 3, 10, 6), 1.5, 1.5);
    QLinearGradient casing(body.left(), 0, body.right(), 0);
    casing.setColorAt(0, kPanelLight);
    casing.setColorAt(1, kPanelDark);
    p.setBrush(casing);
    p.drawRoundedRect(body, 4, 4);
    p.setBrush(kGlass);
    p.drawRoundedRect(body.adjusted(3, 3, -3, -3), 2, 2);

    // Charge: the lower part is full and green.
    const QColor charge(0x4c, 0xb8, 0x4c);
    const QRectF level(body.left() + 4.5, body.top() + s * 0.3, body.width() - 9,
                       body.bottom() - 4.5 - (body.top() + s * 0.3));
    QLinearGradient green(0, level.top(), 0, level.bottom());
    green.setColorAt(0, charge.lighter(125));
    green.setColorAt(1, charge.darker(115));
    p.setBrush(green);
    p.drawRoundedRect(level, 1.5, 1.5);

    // A leaf across the charge: energy saved.
    QPainterPath leaf;
    const QPointF stem(17.5, 39);
    const QPointF tip(31, 21);
    leaf.moveTo(stem);
    leaf.cubicTo(QPointF(15, 27), QPointF(23, 21), tip);
    leaf.cubicTo(QPointF(31, 30), QPointF(26, 38), stem);
    p.setBrush(QColor(0xf4, 0xfb, 0xee));
    p.setPen(QPen(charge.darker(160), 1.2));
    p.drawPath(leaf);
    p.setPen(QPen(charge.darker(160), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(stem, QPointF(27, 26));
    return pixmap;
}
