#pragma once

#include <QPixmap>

// The 48 × 48 picture of the power-saving dialog (a battery with a leaf),
// drawn in code so that no binary artwork has to be kept.
QPixmap powerSavingPicture();
