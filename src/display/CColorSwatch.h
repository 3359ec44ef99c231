#pragma once

#include "display/Colour.h"

#include <QAbstractButton>

// A rectangle painted in one colour, pressed like a button (click, or Space
// when it has the keyboard focus); the press is reported as clicked().
class CColorSwatch : public QAbstractButton {
    Q_OBJECT

public:
    explicit CColorSwatch(QWidget* parent = nullptr);

    Colour colour() const { return swatchColour; }
    // Stores the colour and repaints at once.
    void setColour(Colour colour);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Colour swatchColour = 0x808080;
};
