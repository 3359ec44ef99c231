#pragma once

#include "protocol/DateTimeRecord.h"
#include "protocol/PollState.h"

#include <array>
#include <cstdint>

// The variable parts of the requests, as the poll engine keeps them.
struct RequestParams {
    int memoryAddress = 0;     // READ_MEMORY: 0..4095
    int writeIndex = 0;        // WRITE_MEMORY: address 0 or 1
    int writeInterval = 0;     // WRITE_MEMORY data for address 0
    int writeConfig = 0;       // WRITE_MEMORY data for address 1
    int powerSavingValue = 0;  // WRITE_POWER_SAVING: 0..255
    DateTimeRecord clockToSet; // SET_TIME (hour, minute, second), SET_DATE (day, month)
};

// One whole request ready for the serial driver: at most 9 bytes, ending in
// CR LF. `length` is 0 for a state that has no request (NO_STATE or out of range).
struct Request {
    static constexpr int kMaxLength = 9;
    std::array<std::uint8_t, kMaxLength> bytes{};
    int length = 0;
};

// Builds the request of `state`. Out-of-range values never leave the
// documented forms: addresses keep their low 12 bits, data bytes their low 8
// bits and clock fields are clamped to 0..99.
Request buildRequest(PollState state, const RequestParams& params);
