#pragma once

#include <QWidget>

// "1234567890," centred in a fixed box in a tile's value font, clipped when
// the font is taller than the box; a click is reported as clicked().
class CFontSample : public QWidget {
    Q_OBJECT

public:
    static constexpr const char* kSampleText = "1234567890,";

    explicit CFontSample(QWidget* parent = nullptr);

    // Takes the font and repaints at once.
    void setSampleFont(const QFont& font);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
