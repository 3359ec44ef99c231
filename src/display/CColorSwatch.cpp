#include "display/CColorSwatch.h"

#include <QPainter>

CColorSwatch::CColorSwatch(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setColour(swatchColour);
}

void CColorSwatch::setColour(Colour colour) {
    swatchColour = colour;
    // A screen reader says which colour it is.
    setAccessibleDescription(QStringLiteral("czerwony %1, zielony %2, niebieski %3")
                                 .arg(colourRed(colour))
                                 .arg(colourGreen(colour))
                                 .arg(colourBlue(colour)));
    repaint();
}

QSize CColorSwatch::sizeHint() const {
    return {60, 24};
}

void CColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(colourRed(swatchColour), colourGreen(swatchColour),
                                    colourBlue(swatchColour)));
    if (hasFocus()) {
        // Seen on any colour: a highlight frame with a white line inside.
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5));
    }
}
