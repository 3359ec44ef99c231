#pragma once

#include "display/Colour.h"
#include "display/LogFont.h"
#include "display/TileStyle.h"

#include <QFont>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

class QColor;

// One large tile of the main window: a caption band on top and one reading,
// centred, in the tile's colours and value font. It paints itself completely
// and ignores the mouse.
class CValueTile : public QWidget {
    Q_OBJECT

public:
    // The colour and font choosers behind PickBackgroundColour, PickTextColour
    // and PickFont. They return nothing when the user cancels. Tests replace
    // them; an empty function restores Qt's own dialog.
    using ColourChooser = std::function<std::optional<Colour>(QWidget* parent, Colour initial)>;
    using FontChooser = std::function<std::optional<QFont>(QWidget* parent, const QFont& initial)>;
    static void setColourChooser(ColourChooser chooser);
    static void setFontChooser(FontChooser chooser);

    static constexpr int kBlinkPeriodMs = 500;

    explicit CValueTile(QWidget* parent = nullptr);
    ~CValueTile() override;

    // Operations of the poll cycle, the start-up and the dialogs. Each one
    // that changes what is shown repaints before it returns.
    void SetValue(double value);
    void SetNoData();
    void SetKind(int source, int display, bool showUnit);
    void SetBlinking(bool on);
    void ApplyFont(const LogFont& font);
    void PickFont();
    void PickBackgroundColour();
    void PickTextColour();

    void setCaption(const QString& caption);
    QString caption() const { return captionText; }

    // The colours and the value font description. setStyle stores them
    // without rebuilding the value font (rebuildValueFont does that at
    // start-up) and without repainting.
    const TileStyle& style() const { return tileStyle; }
    void setStyle(const TileStyle& style);
    void rebuildValueFont();
    bool hasValueFont() const { return valueFontBuilt; }
    QFont valueFont() const { return valueFontObject; }
    QFont captionFont() const { return captionFontObject; }

    // Direct writes of the colours; the writer repaints.
    void setBackgroundColour(Colour colour);
    void setTextColour(Colour colour);
    Colour backgroundColour() const { return tileStyle.background; }
    Colour textColour() const { return tileStyle.text; }

    // State, for the status logic's tests and the widget tests.
    bool isBlinking() const { return blinkTimer.isActive(); }
    bool blinkPhase() const { return blankPhase; }
    bool hasNoData() const { return noData; }
    double value() const { return currentValue; }
    int sourceKind() const { return sourceKindValue; }
    int displayKind() const { return displayKindValue; }
    bool showUnit() const { return unitShown; }
    // What the value area shows outside the blank phase: "???" without data,
    // the formatted reading otherwise (kind 1 with unit without its raised
    // "2", see hasRaisedTwo), empty for an unknown kind.
    QString displayText() const;
    bool hasRaisedTwo() const;
    // What the value area shows right now, as one would read it aloud: empty
    // in the blank phase, the raised "2" written as "²".
    QString shownText() const;
    // Lines added to the reading (the derived values): the tool tip, and what a
    // screen reader hears after the reading. Left out while there is no data.
    void setDetails(const QStringList& lines);
    QStringList details() const { return detailLines; }
    // The reading as shownText, followed by the details: the accessible description.
    QString describedText() const;
    // Height of the caption band in pixels.
    int captionBandHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void onBlinkTimer();
    void repaintNow();
    void pickColour(Colour& target);
    // Tells assistive technology about a new caption or reading; the blink
    // phases are not reported (they come twice a second).
    void reportAccessibleChanges();
    QString spokenReading() const;

    QString captionText;
    QTimer blinkTimer;
    bool blankPhase = false;
    QFont valueFontObject;
    bool valueFontBuilt = false;
    QFont captionFontObject;
    TileStyle tileStyle;
    bool unitShown = true;
    double currentValue = 0.0;
    bool noData = true;
    int sourceKindValue = 0;
    int displayKindValue = 0;
    QString reportedCaption;
    QString reportedText;
    QStringList detailLines;
};
