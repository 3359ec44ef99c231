#pragma once

#include "display/Colour.h"

#include <QWidget>

// A rectangle painted in one colour; a click is reported as clicked().
class CColorSwatch : public QWidget {
    Q_OBJECT

public:
    explicit CColorSwatch(QWidget* parent = nullptr);

    Colour colour() const { return swatchColour; }
    // Stores the colour and repaints at once.
    void setColour(Colour colour);

    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Colour swatchColour = 0x808080;
};
