#pragma once

#include "display/LogFont.h"

#include <QFont>

// Between the logical font record the tiles keep and Qt's QFont.
//
// Height: a positive height asks for that character-cell height
// (ascent + descent) in pixels, as Windows does, so the em size is
// height × em / cell of the chosen face; a negative height is the em height in
// pixels; 0 keeps Qt's default size. Weight 0 is normal; other weights are on
// the same 1..1000 scale in both. Width, escapement, orientation, character
// set, precisions, quality and pitch have no Qt counterpart and are not used.
// Sizes are kept between 1 and kMaxFontPixelSize pixels.
QFont toQFont(const LogFont& font);

inline constexpr int kMaxFontPixelSize = 2000;

// The record for a font chosen in Qt's font dialog: face, em height (stored
// negative, in pixels at the given vertical dpi), weight, italic, underline and
// strike-out come from the QFont; every other field is kept from previous, so
// a record taken from a dialog and put back is the same record. A size that
// rounds to the same whole point as previous keeps previous's height.
LogFont fromQFont(const QFont& font, const LogFont& previous, double dpiY);

// The font handed to Qt's font dialog: the same font in the installed face
// that stands in for it, sized in points at the given vertical dpi, since the
// dialog lists installed faces and point sizes.
QFont toDialogFont(const QFont& font, double dpiY);

// True when the font a user confirmed in the dialog is the one it was offered,
// as the dialog showed it (installed face and style, whole points).
bool isSameDialogChoice(const QFont& chosen, const QFont& offered, double dpiY);
