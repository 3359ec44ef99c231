#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, drawn in code so that no binary artwork has to be
// kept: the application icon (a panel with a thermometer and a wind vane) and
// the picture of the about box.
QIcon applicationIcon();
QPixmap aboutPicture();

// Registers the program's compiled-in resources (the help page). The shell is
// a static library, so they must be pulled in explicitly.
void initTq820Resources();
