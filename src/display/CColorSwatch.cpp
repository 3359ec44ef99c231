#include "display/CColorSwatch.h"

#include <QMouseEvent>
#include <QPainter>

CColorSwatch::CColorSwatch(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
}

void CColorSwatch::setColour(Colour colour) {
    swatchColour = colour;
    repaint();
}

QSize CColorSwatch::sizeHint() const {
    return {60, 24};
}

void CColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(colourRed(swatchColour), colourGreen(swatchColour),
                                    colourBlue(swatchColour)));
}

void CColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}
