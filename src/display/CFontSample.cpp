#include "display/CFontSample.h"

#include <QMouseEvent>
#include <QPainter>

CFontSample::CFontSample(QWidget* parent) : QWidget(parent) {
    // 170 × 30 dialog units of the dialog font.
    setFixedSize(255, 49);
    setCursor(Qt::PointingHandCursor);
}

void CFontSample::setSampleFont(const QFont& font) {
    setFont(font);
    repaint();
}

void CFontSample::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine,
                     QString::fromLatin1(kSampleText));
}

void CFontSample::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}
