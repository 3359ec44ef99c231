#pragma once

#include "protocol/PollState.h"

#include <algorithm>
#include <string>

// The documented forms of the requests, judged from the wire format alone:
// shared by the engine's robustness test and its fuzz target.
namespace requestform {

inline bool offsetHex(char c) {
    return c >= 0x30 && c <= 0x3F;
}
inline bool digit(char c) {
    return c >= '0' && c <= '9';
}
inline bool upperHex(char c) {
    return digit(c) || (c >= 'A' && c <= 'F');
}

// The state a request (without its CR LF) belongs to; NO_STATE for anything else.
inline PollState stateOfRequest(const std::string& r) {
    static const std::string single = "KAVHPTFILNQ";
    if (r.size() == 1) {
        const auto i = single.find(r[0]);
        if (i != std::string::npos) {
            return static_cast<PollState>(READ_STATUS + static_cast<int>(i));
        }
        return r == "O" ? READ_CLOCK : r == "G" ? RESET_PANEL : NO_STATE;
    }
    if (r == "ES") {
        return ERASE_MEMORY;
    }
    if (r.size() == 7 && r[0] == 'B' && std::all_of(r.begin() + 1, r.end(), digit)) {
        return SET_TIME;
    }
    if (r.size() == 5 && r[0] == 'C' && std::all_of(r.begin() + 1, r.end(), digit)) {
        return SET_DATE;
    }
    if (r.size() == 5 && r.compare(0, 2, "ER") == 0 &&
        std::all_of(r.begin() + 2, r.end(), offsetHex)) {
        return READ_MEMORY;
    }
    if (r.size() == 7 && r.compare(0, 4, "EW00") == 0 && (r[4] == '0' || r[4] == '1') &&
        offsetHex(r[5]) && offsetHex(r[6])) {
        return WRITE_MEMORY;
    }
    if (r.size() == 3 && r[0] == 'J' && upperHex(r[1]) && upperHex(r[2])) {
        return WRITE_POWER_SAVING;
    }
    return NO_STATE;
}

// The read request of a memory address (0..4095), as the panel expects it.
inline std::string readRequest(int address) {
    std::string r = "ER";
    for (int shift = 8; shift >= 0; shift -= 4) {
        r += static_cast<char>(0x30 + ((address >> shift) & 0x0F));
    }
    return r;
}

} // namespace requestform
