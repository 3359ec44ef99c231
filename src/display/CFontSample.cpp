#include "display/CFontSample.h"

#include <QFontInfo>
#include <QPainter>
#include <QStyleOptionFocusRect>

CFontSample::CFontSample(QWidget* parent) : QAbstractButton(parent) {
    // 170 × 30 dialog units of the dialog font.
    setFixedSize(255, 49);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void CFontSample::setSampleFont(const QFont& font) {
    setFont(font);
    // A screen reader says which font it is: the face used and its size.
    const QFontInfo used(font);
    QString description = QStringLiteral("%1, %2 px").arg(used.family()).arg(used.pixelSize());
    if (used.bold()) {
        description += QStringLiteral(", pogrubiona");
    }
    if (used.italic()) {
        description += QStringLiteral(", kursywa");
    }
    setAccessibleDescription(description);
    repaint();
}

void CFontSample::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine,
                     QString::fromLatin1(kSampleText));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
