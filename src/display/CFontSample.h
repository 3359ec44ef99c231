#pragma once

#include <QAbstractButton>

// "1234567890," centred in a fixed box in a tile's value font, clipped when
// the font is taller than the box; pressed like a button (click, or Space when
// it has the keyboard focus), reported as clicked().
class CFontSample : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr const char* kSampleText = "1234567890,";

    explicit CFontSample(QWidget* parent = nullptr);

    // Takes the font and repaints at once.
    void setSampleFont(const QFont& font);

protected:
    void paintEvent(QPaintEvent* event) override;
};
