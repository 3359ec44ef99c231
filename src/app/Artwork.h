#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn in code so that no binary artwork has to be
// kept: the application icon (a panel with a thermometer and a wind vane) and
// the picture of the about box, and the 48 × 48 picture of the power-saving
// dialog (a battery with a leaf).
QIcon applicationIcon();
QPixmap aboutPicture();
QPixmap powerSavingPicture();

// Registers the program's compiled-in resources (the help page). The shell is
// a static library, so they must be pulled in explicitly.
void initTq820Resources();
