#pragma once

#include <QDialog>
#include <array>

class CFontSample;
class CValueTile;

// "Czcionki": a sample in each tile's value font. A click opens the font
// chooser for that tile; the choice shows on the tile and the sample at once.
class CFontsDlg : public QDialog {
    Q_OBJECT

public:
    // Tiles in the order TEMP, RH, PRESS, SPEED, ORIENT.
    using Tiles = std::array<CValueTile*, 5>;

    explicit CFontsDlg(QWidget* parent = nullptr);

    // Gives the dialog its tiles; the samples take the tiles' value fonts.
    void setTiles(const Tiles& tiles);

private:
    void pickFont(int index);

    Tiles tiles{};
    std::array<CFontSample*, 5> samples{};
};

// The "Czcionki" command: saves the five font records, runs the dialog and
// applies every saved record again unless it ended with "OK".
void runFontsDialog(QWidget* parent, std::array<CValueTile*, 5> tiles);
