#include "app/Artwork.h"

#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kPanelDark(0x1f, 0x3a, 0x5f);
const QColor kPanelLight(0x3d, 0x6f, 0xa8);
const QColor kGlass(0xe8, 0xf1, 0xfb);
const QColor kMercury(0xd9, 0x30, 0x25);
const QColor kVane(0xf2, 0xb1, 0x34);

// A thermometer standing in the rectangle (x, y, w, h), bulb at the bottom.
void drawThermometer(QPainter& p, QRectF r) {
    const qreal bulb = r.width();
    const qreal tube = bulb * 0.45;
    const QRectF tubeRect(r.center().x() - tube / 2, r.top(), tube, r.height() - bulb * 0.8);
    const QRectF bulbRect(r.left(), r.bottom() - bulb, bulb, bulb);
    QPainterPath glass;
    glass.addRoundedRect(tubeRect, tube / 2, tube / 2);
    glass.addEllipse(bulbRect);
    p.setPen(QPen(kPanelDark.darker(140), qMax<qreal>(1.0, bulb / 10)));
    p.setBrush(kGlass);
    p.drawPath(glass.simplified());
    p.setPen(Qt::NoPen);
    p.setBrush(kMercury);
    const qreal inset = bulb * 0.18;
    p.drawEllipse(bulbRect.adjusted(inset, inset, -inset, -inset));
    const qreal column = tube * 0.45;
    p.drawRect(QRectF(r.center().x() - column / 2, tubeRect.top() + tubeRect.height() * 0.35,
                      column, tubeRect.height() * 0.65 + bulb * 0.3));
}

// A wind vane: a mast with an arrow pointing left and a tail fin.
void drawVane(QPainter& p, QPointF top, qreal length, const QColor& mast) {
    const qreal w = qMax<qreal>(1.0, length / 14);
    p.setPen(QPen(mast, w, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(top, top + QPointF(0, length * 0.9));
    p.drawLine(top + QPointF(-length * 0.45, 0), top + QPointF(length * 0.4, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(kVane);
    QPolygonF head;
    head << top + QPointF(-length * 0.55, 0) << top + QPointF(-length * 0.3, -length * 0.13)
         << top + QPointF(-length * 0.3, length * 0.13);
    p.drawPolygon(head);
    QPolygonF tail;
    tail << top + QPointF(length * 0.25, 0) << top + QPointF(length * 0.5, -length * 0.2)
         << top + QPointF(length * 0.5, length * 0.2);
    p.drawPolygon(tail);
    p.setBrush(kGlass);
    p.drawEllipse(top, w * 1.4, w * 1.4);
}

QPixmap iconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QLinearGradient body(0, 0, 0, s);
    body.setColorAt(0, kPanelLight);
    body.setColorAt(1, kPanelDark);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.16, s * 0.16);
    drawThermometer(p, QRectF(s * 0.16, s * 0.14, s * 0.22, s * 0.72));
    drawVane(p, QPointF(s * 0.66, s * 0.32), s * 0.5, kGlass);
    return pixmap;
}

} // namespace

namespace {

// Draws the icon at the size asked for, when it is asked for: nothing is
// drawn while the program starts, and every size is sharp.
class ArtworkIconEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->drawPixmap(rect, iconPixmap(qMax(rect.width(), rect.height())));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return iconPixmap(qMax(1, qMin(size.width(), size.height())));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {QSize(16, 16), QSize(32, 32),   QSize(48, 48),
                QSize(64, 64), QSize(128, 128), QSize(256, 256)};
    }
    QIconEngine* clone() const override { return new ArtworkIconEngine; }
};

} // namespace

QIcon applicationIcon() {
    return QIcon(new ArtworkIconEngine);
}

QPixmap aboutPicture() {
    const int w = 320;
    const int h = 140;
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // Sky behind the instruments.
    QLinearGradient sky(0, 0, 0, h);
    sky.setColorAt(0, QColor(0x9c, 0xc9, 0xf0));
    sky.setColorAt(1, QColor(0xe6, 0xf2, 0xfc));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(0, 0, w, h), 10, 10);

    // The panel: a box with a display showing a reading.
    QLinearGradient body(0, 30, 0, 130);
    body.setColorAt(0, kPanelLight);
    body.setColorAt(1, kPanelDark);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(20, 30, 170, 96), 8, 8);
    p.setBrush(QColor(0xc8, 0xe6, 0xc0));
    p.drawRoundedRect(QRectF(34, 44, 142, 44), 4, 4);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(26);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x1c, 0x33, 0x1c));
    p.drawText(QRectF(34, 44, 142, 44), Qt::AlignCenter, QStringLiteral("21.4 °C"));
    font.setPixelSize(12);
    font.setBold(false);
    p.setFont(font);
    p.setPen(kGlass);
    p.drawText(QRectF(34, 94, 142, 22), Qt::AlignCenter, QStringLiteral("TQ-820"));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(i == 0 ? QColor(0x5c, 0xd6, 0x5c) : kGlass.darker(130));
        p.drawEllipse(QPointF(44 + i * 14, 112), 3.5, 3.5);
    }

    drawThermometer(p, QRectF(206, 22, 26, 104));
    // Mast, vane and ground.
    const QColor steel(0x55, 0x5f, 0x6b);
    p.setPen(QPen(steel, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(278, 46), QPointF(278, 130));
    drawVane(p, QPointF(278, 40), 70, steel);
    return pixmap;
}

void initTq820Resources() {
    Q_INIT_RESOURCE(tq820);
}
