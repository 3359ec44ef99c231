#pragma once

// The power-saving register as the power-saving dialog reads and writes it:
// one byte whose bit 0 switches the panel's power-saving mode.
namespace PowerSaving {

// The register byte as read from the panel. The reply's digits are not
// checked, so a garbled one may decode outside 0..255; the register is a
// byte.
int registerFromReply(int powerSavingFlags);

// Power-saving mode is on.
bool isOn(int registerValue);

// The byte written after "OK": bit 0 set with every other bit kept when the
// box is ticked; otherwise bit 0 cleared.
int registerAfter(int registerValue, bool on);

} // namespace PowerSaving
