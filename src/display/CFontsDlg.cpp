#include "display/CFontsDlg.h"

#include "display/CFontSample.h"
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

CFontsDlg::CFontsDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fontsDialog"));
    setWindowTitle(QStringLiteral("Czcionki"));

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    for (int i = 0; i < 5; ++i) {
        const QString name = QString::fromLatin1(quantityName(kAllQuantities[i]));
        const QString row = QString::fromUtf8(kRowLabels[i]);
        grid->addWidget(new QLabel(row, this), i, 0);
        samples[i] = new CFontSample(this);
        samples[i]->setObjectName(QStringLiteral("sample_") + name);
        samples[i]->setAccessibleName(row + QStringLiteral(", czcionka"));
        grid->addWidget(samples[i], i, 1);
        connect(samples[i], &CFontSample::clicked, this, [this, i] { pickFont(i); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(DialogButtons::etchedLine(this));
    layout->addLayout(DialogButtons::okCancelRow(this));
}

void CFontsDlg::setTiles(const Tiles& newTiles) {
    tiles = newTiles;
    for (int i = 0; i < 5; ++i) {
        if (tiles[i] != nullptr) {
            samples[i]->setSampleFont(tiles[i]->valueFont());
        }
    }
}

void CFontsDlg::pickFont(int index) {
    if (CValueTile* tile = tiles[index]) {
        tile->PickFont();
        samples[index]->setSampleFont(tile->valueFont());
    }
}

void runFontsDialog(QWidget* parent, std::array<CValueTile*, 5> tiles) {
    CFontsDlg dialog(parent);
    std::array<LogFont, 5> saved{};
    for (int i = 0; i < 5; ++i) {
        if (tiles[i] != nullptr) {
            saved[i] = tiles[i]->style().font;
        }
    }
    dialog.setTiles(tiles);
    if (dialog.exec() == QDialog::Accepted) {
        return;
    }
    for (int i = 0; i < 5; ++i) {
        if (tiles[i] != nullptr) {
            tiles[i]->ApplyFont(saved[i]);
        }
    }
}
