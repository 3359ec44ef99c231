#include "protocol/Requests.h"

#include <algorithm>

namespace {

class RequestWriter {
public:
    explicit RequestWriter(Request& r) : r_(r) {}

    void put(char c) {
        // The table of requests never exceeds the buffer; the check keeps a
        // future mistake from writing past it.
        if (r_.length < Request::kMaxLength) {
            r_.bytes[static_cast<std::size_t>(r_.length++)] = static_cast<std::uint8_t>(c);
        }
    }
    void offsetHex(int nibble) { put(static_cast<char>(0x30 + (nibble & 0x0F))); }
    void decimalPair(int value) {
        const int v = std::clamp(value, 0, 99);
        put(static_cast<char>('0' + v / 10));
        put(static_cast<char>('0' + v % 10));
    }
    void address(int address) {
        const int a = address & 0xFFF;
        offsetHex(a >> 8);
        offsetHex(a >> 4);
        offsetHex(a);
    }
    void dataByte(int value) {
        const int v = value & 0xFF;
        offsetHex(v >> 4);
        offsetHex(v);
    }
    void standardHex(int value) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        const int v = value & 0xFF;
        put(kDigits[v >> 4]);
        put(kDigits[v & 0x0F]);
    }
    void end() {
        put('\r');
        put('\n');
    }

private:
    Request& r_;
};

char singleLetter(PollState state) {
    switch (state) {
    case READ_STATUS:
        return 'K';
    case READ_DIRECTION:
        return 'A';
    case READ_SPEED:
        return 'V';
    case READ_HUMIDITY:
        return 'H';
    case READ_PRESSURE:
        return 'P';
    case READ_TEMPERATURE:
        return 'T';
    case READ_VERSION:
        return 'F';
    case READ_POWER_SAVING:
        return 'I';
    case READ_SERIAL_CH2:
        return 'L';
    case READ_SERIAL_CH1:
        return 'N';
    case READ_INTERVAL:
        return 'Q';
    case READ_CLOCK:
        return 'O';
    case RESET_PANEL:
        return 'G';
    default:
        return 0;
    }
}

} // namespace

Request buildRequest(PollState state, const RequestParams& params) {
    Request r;
    RequestWriter w(r);
    if (const char letter = singleLetter(state)) {
        w.put(letter);
        w.end();
        return r;
    }
    switch (state) {
    case SET_TIME:
        w.put('B');
        w.decimalPair(params.clockToSet.hour);
        w.decimalPair(params.clockToSet.minute);
        w.decimalPair(params.clockToSet.second);
        w.end();
        break;
    case SET_DATE:
        w.put('C');
        w.decimalPair(params.clockToSet.day);
        w.decimalPair(params.clockToSet.month);
        w.end();
        break;
    case READ_MEMORY:
        w.put('E');
        w.put('R');
        w.address(params.memoryAddress);
        w.end();
        break;
    case WRITE_MEMORY: {
        // Only addresses 0 and 1 are ever written: the recording settings.
        const int index = params.writeIndex != 0 ? 1 : 0;
        w.put('E');
        w.put('W');
        w.address(index);
        w.dataByte(index == 0 ? params.writeInterval : params.writeConfig);
        w.end();
        break;
    }
    case ERASE_MEMORY:
        w.put('E');
        w.put('S');
        w.end();
        break;
    case WRITE_POWER_SAVING:
        w.put('J');
        w.standardHex(params.powerSavingValue);
        w.end();
        break;
    default:
        break; // NO_STATE or a value outside 1..19: nothing to send
    }
    return r;
}
