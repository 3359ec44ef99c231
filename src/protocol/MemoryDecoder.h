#pragma once

#include "protocol/MemoryRecord.h"

#include <cstdint>
#include <vector>

// Decodes the content of the panel memory as downloaded from address 2: blocks
// of a 6-byte header (0xF0, BCD minute, hour and day, layout << 4 | month,
// interval in minutes) followed by records of the block's layout, the last of
// the `length` bytes being the end marker. Each record's time is its block's
// time advanced by the interval once per record.
//
// Only the `length` bytes are read. A record or header cut short by the end
// marker is dropped, a layout code above 6 gives one record without values
// and ends the decoding; any byte sequence decodes in bounded time. An empty
// result means an empty memory.
std::vector<MemoryRecord> decodeMemory(const std::uint8_t* bytes, int length);
