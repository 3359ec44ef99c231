#pragma once

#include <QDialog>
#include <array>

class CColorSwatch;
class CValueTile;

// "Kolory": a background and a text colour swatch per tile. A click opens the
// colour chooser for that colour; the choice shows on the tile at once.
class CColorsDlg : public QDialog {
    Q_OBJECT

public:
    // Tiles in the order TEMP, RH, PRESS, SPEED, ORIENT.
    using Tiles = std::array<CValueTile*, 5>;

    explicit CColorsDlg(QWidget* parent = nullptr);

    // Gives the dialog its tiles; the swatches take the tiles' colours.
    void setTiles(const Tiles& tiles);

private:
    void pickBackground(int index);
    void pickText(int index);

    Tiles tiles{};
    std::array<CColorSwatch*, 5> backgroundSwatches{};
    std::array<CColorSwatch*, 5> textSwatches{};
};

// The "Kolory" command: saves the ten colours, runs the dialog and puts every
// colour back unless it ended with "OK".
void runColorsDialog(QWidget* parent, std::array<CValueTile*, 5> tiles);
