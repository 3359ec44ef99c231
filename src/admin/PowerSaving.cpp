#include "admin/PowerSaving.h"

namespace PowerSaving {

int registerFromReply(int powerSavingFlags) {
    return powerSavingFlags & 0xFF;
}

bool isOn(int registerValue) {
    return (registerValue & 1) != 0;
}

int registerAfter(int registerValue, bool on) {
    return on ? (registerValue | 1) : (registerValue & 0xFE);
}

} // namespace PowerSaving
