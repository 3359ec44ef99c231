#include "protocol/MemoryDecoder.h"

#include <array>

namespace {

constexpr std::uint8_t kBlockStart = 0xF0;
constexpr int kHeaderSize = 6;

// The memory keeps no year, so February always counts 28 days.
constexpr std::array<int, 12> kMonthLength{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// A month the panel cannot have stored (0, 13 to 15) gets the longest month,
// so that a damaged header still yields readable, bounded times.
int monthLength(int month) {
    return month >= 1 && month <= 12 ? kMonthLength[static_cast<std::size_t>(month - 1)] : 31;
}

int bcd(std::uint8_t b) {
    return 10 * (b >> 4) + (b & 0x0F);
}

int bit(std::uint8_t b, int n) {
    return (b >> n) & 1;
}

struct RunningTime {
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;

    // Advances by `interval` minutes. The day rolls over at most once: the
    // interval is below 256 minutes, so a well-formed header never needs more.
    void advance(int interval) {
        minute += interval;
        if (minute >= 60) {
            hour += minute / 60;
            minute %= 60;
        }
        if (hour >= 24) {
            day += hour / 24;
            hour %= 24;
        }
        if (day > monthLength(month)) {
            day = 1;
            ++month;
            if (month > 12) {
                month = 1;
            }
        }
    }

    std::string text() const {
        // Every field has two digits after advance(), whatever the header
        // held: minute and hour are reduced, the day is at most 31 and the
        // month at most 15.
        char s[11];
        const auto two = [&s](int at, int v) {
            s[at] = static_cast<char>('0' + (v / 10) % 10);
            s[at + 1] = static_cast<char>('0' + v % 10);
        };
        two(0, month);
        s[2] = '-';
        two(3, day);
        s[5] = ' ';
        two(6, hour);
        s[8] = ':';
        two(9, minute);
        return std::string(s, sizeof s);
    }
};

// An 11-bit and a 10-bit code, their low bytes whole and their high bits in K.
void decodePair(const std::uint8_t* p, int& eleven, int& ten) {
    const std::uint8_t k = p[0];
    eleven = p[1] + 128 * bit(k, 3) + 256 * bit(k, 0) + 512 * bit(k, 1) + 1024 * bit(k, 2);
    ten = p[2] + 128 * bit(k, 6) + 256 * bit(k, 4) + 512 * bit(k, 5);
}

int decodePressure(const std::uint8_t* p) {
    return 256 * (p[0] & 0x7F) + (p[0] & 0x80) + p[1];
}

void decodeParts(const std::uint8_t* p, const RecordParts& parts, MemoryRecord& r) {
    if (parts.tempHum || parts.tempHumPress) {
        int t = 0;
        decodePair(p, t, r.humidityTenths);
        r.temperatureTenths = t - 410;
        p += 3;
    }
    if (parts.tempHumPress || parts.pressure) {
        r.pressureTenths = decodePressure(p);
        p += 2;
    }
    if (parts.wind) {
        decodePair(p, r.speedTenths, r.directionDegrees);
    }
}

} // namespace

std::vector<MemoryRecord> decodeMemory(const std::uint8_t* bytes, int length) {
    std::vector<MemoryRecord> records;
    if (bytes == nullptr || length < kHeaderSize || bytes[0] != kBlockStart) {
        return records;
    }
    // At most one record for every two bytes after the first header.
    records.reserve(static_cast<std::size_t>(length / 2));
    const int end = length - 1; // the end marker
    int p = 0;
    while (p < end) {
        // A header must lie wholly before the end marker; one cut short could
        // not be followed by a record anyway.
        if (p + kHeaderSize > end) {
            break;
        }
        const std::uint8_t* h = bytes + p;
        RunningTime time;
        time.minute = bcd(h[1]);
        time.hour = bcd(h[2]);
        time.day = bcd(h[3]);
        time.month = h[4] & 0x0F;
        const int layout = h[4] >> 4;
        const int interval = h[5];
        p += kHeaderSize;

        const RecordParts parts = recordParts(layout);
        const int size = recordSize(layout);
        while (p < end && bytes[p] != kBlockStart) {
            if (size == 0) {
                // An unknown layout: one record with its time and no values,
                // and nothing after it can be told apart.
                MemoryRecord r;
                time.advance(interval);
                r.timeText = time.text();
                records.push_back(std::move(r));
                return records;
            }
            if (p + size > end) {
                // Cut short by the end marker: what follows in a buffer is
                // not this record.
                return records;
            }
            MemoryRecord r;
            time.advance(interval);
            r.timeText = time.text();
            r.hasTempHum = parts.tempHum;
            r.hasTempHumPress = parts.tempHumPress;
            r.hasPressure = parts.pressure;
            r.hasWind = parts.wind;
            decodeParts(bytes + p, parts, r);
            records.push_back(std::move(r));
            p += size;
        }
    }
    return records;
}
