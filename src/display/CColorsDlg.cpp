#include "display/CColorsDlg.h"

#include "display/CColorSwatch.h"
#include "display/CValueTile.h"
#include "protocol/Quantity.h"
#include "widgets/DialogButtons.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const char* const kRowLabels[5] = {"Temperatura", "Wilgotność", "Ciśnienie", "Prędkość",
                                   "Kierunek"};

} // namespace

CColorsDlg::CColorsDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("colorsDialog"));
    setWindowTitle(QStringLiteral("Kolory"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->addWidget(new QLabel(QStringLiteral("Tło"), this), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("Tekst"), this), 0, 2, Qt::AlignHCenter);
    for (int i = 0; i < 5; ++i) {
        const QString name = QString::fromLatin1(quantityName(kAllQuantities[i]));
        const QString row = QString::fromUtf8(kRowLabels[i]);
        grid->addWidget(new QLabel(row, this), i + 1, 0);
        backgroundSwatches[i] = new CColorSwatch(this);
        backgroundSwatches[i]->setObjectName(QStringLiteral("swatchBackground_") + name);
        backgroundSwatches[i]->setAccessibleName(row + QStringLiteral(", tło"));
        grid->addWidget(backgroundSwatches[i], i + 1, 1);
        textSwatches[i] = new CColorSwatch(this);
        textSwatches[i]->setObjectName(QStringLiteral("swatchText_") + name);
        textSwatches[i]->setAccessibleName(row + QStringLiteral(", tekst"));
        grid->addWidget(textSwatches[i], i + 1, 2);
        connect(backgroundSwatches[i], &CColorSwatch::clicked, this,
                [this, i] { pickBackground(i); });
        connect(textSwatches[i], &CColorSwatch::clicked, this, [this, i] { pickText(i); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(DialogButtons::etchedLine(this));
    layout->addLayout(DialogButtons::okCancelRow(this));
}

void CColorsDlg::setTiles(const Tiles& newTiles) {
    tiles = newTiles;
    for (int i = 0; i < 5; ++i) {
        if (tiles[i] != nullptr) {
            backgroundSwatches[i]->setColour(tiles[i]->backgroundColour());
            textSwatches[i]->setColour(tiles[i]->textColour());
        }
    }
}

void CColorsDlg::pickBackground(int index) {
    if (CValueTile* tile = tiles[index]) {
        tile->PickBackgroundColour();
        backgroundSwatches[index]->setColour(tile->backgroundColour());
    }
}

void CColorsDlg::pickText(int index) {
    if (CValueTile* tile = tiles[index]) {
        tile->PickTextColour();
        textSwatches[index]->setColour(tile->textColour());
    }
}

void runColorsDialog(QWidget* parent, std::array<CValueTile*, 5> tiles) {
    CColorsDlg dialog(parent);
    struct Saved {
        Colour text = 0;
        Colour background = 0;
    };
    std::array<Saved, 5> saved{};
    for (int i = 0; i < 5; ++i) {
        if (tiles[i] != nullptr) {
            saved[i] = {tiles[i]->textColour(), tiles[i]->backgroundColour()};
        }
    }
    dialog.setTiles(tiles);
    if (dialog.exec() == QDialog::Accepted) {
        return;
    }
    for (int i = 0; i < 5; ++i) {
        if (tiles[i] != nullptr) {
            tiles[i]->setTextColour(saved[i].text);
            tiles[i]->setBackgroundColour(saved[i].background);
            tiles[i]->repaint();
        }
    }
}
