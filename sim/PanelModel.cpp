#include "PanelModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tq820sim {

namespace {

constexpr char CR = '\r';
constexpr char LF = '\n';

char offsetHex(int nibble) {
    return char(0x30 + (nibble & 0x0F));
}

std::string offsetHexDigits(int value, int digits) {
    std::string out;
    for (int i = digits - 1; i >= 0; --i)
        out += offsetHex(value >> (4 * i));
    return out;
}

std::string decimalDigits(long value, int digits) {
    std::string out(std::size_t(digits), '0');
    for (int i = digits - 1; i >= 0 && value > 0; --i, value /= 10)
        out[std::size_t(i)] = char('0' + value % 10);
    return out;
}

// Offset-hex field of a request ("0".."?"); -1 when a byte is outside it.
int parseOffsetHex(std::string_view s) {
    int value = 0;
    for (char c : s) {
        if (c < 0x30 || c > 0x3F)
            return -1;
        value = value * 16 + (c - 0x30);
    }
    return value;
}

int parseDecimal(std::string_view s) {
    int value = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int parseStandardHex(std::string_view s) {
    int value = 0;
    for (char c : s) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

std::string reply(std::string_view body) {
    std::string out(1, PanelModel::leadingByte);
    out += body;
    out += CR;
    out += LF;
    return out;
}

const char* ch1Name(Channel1Sensor s) {
    switch (s) {
    case Channel1Sensor::Tq231:
        return "tq231";
    case Channel1Sensor::Tq232:
        return "tq232";
    case Channel1Sensor::Tq233:
        return "tq233";
    case Channel1Sensor::None:
        return "none";
    case Channel1Sensor::NoModel:
        return "nomodel";
    }
    return "?";
}

const char* ch2Name(Channel2Sensor s) {
    switch (s) {
    case Channel2Sensor::Tq264:
        return "tq264";
    case Channel2Sensor::None:
        return "none";
    case Channel2Sensor::NoModel:
        return "nomodel";
    }
    return "?";
}

// One block of the built-in history, oldest first.
struct HistoryBlock {
    int layout;
    int interval;
    int count;
    bool maxWind;
    int gapAfter; // minutes from the block's last record to the next header
};

constexpr HistoryBlock historyBlocks[] = {
    {0, 60, 20, false, 41}, {5, 30, 0, false, 3},  {5, 30, 12, false, 26}, {3, 120, 8, false, 55},
    {2, 15, 16, true, 12},  {4, 20, 14, false, 9}, {6, 5, 18, false, 17},  {1, 10, 30, false, 0},
};
constexpr int historyMinutesIntoInterval =
    7; // the live block's next record comes 3 min after start

// Milliseconds as a whole number that stays far from the ends of 64 bits, however long
// the model runs: sums and differences of two such values cannot overflow.
std::int64_t wholeMs(double ms) {
    constexpr double limit = double(std::int64_t(1) << 61);
    return std::llround(std::clamp(ms, -limit, limit));
}

} // namespace

PanelModel::PanelModel(const PanelOptions& options)
    : ch1(options.ch1), ch2(options.ch2), firmwareHundredths(options.firmware),
      serialCh1(options.serialCh1 & 0xFFFF), serialCh2(options.serialCh2 & 0xFFFF),
      weather(options.seed),
      speedUpFactor(isValidSpeedUp(options.speedUp) ? options.speedUp : 1.0) {
    clockBaseSeconds = toSeconds(options.clock);
    mem.fill(memory::endMarker);
    mem[0] = 10;
    mem[1] = 0x10;
    if (options.memory == MemoryPreset::History)
        loadHistory();
    else
        erase();
}

// ---------------------------------------------------------------- time

void PanelModel::advanceTo(std::int64_t ms) {
    if (ms < nowMs)
        return;
    nowMs = ms;
    while (recordingOn && recordDueMs(blockRecords + 1) <= nowMs) {
        const int layout = activeConfigByte >> 4;
        const CivilTime at = fromSeconds(toSeconds(blockStart) + std::int64_t(blockRecords + 1) *
                                                                     activeIntervalMinutes * 60);
        if (!appendRecord(at, layout, sample(at, layout, activeIntervalMinutes))) {
            stopRecordingFull();
            break;
        }
        ++blockRecords;
    }
}

double PanelModel::clockSeconds() const {
    return double(clockBaseSeconds) + double(nowMs - clockRefMs) / 1000.0;
}

CivilTime PanelModel::clock() const {
    return fromSeconds(std::int64_t(std::floor(clockSeconds())));
}

void PanelModel::setClock(const CivilTime& t) {
    clockBaseSeconds = toSeconds(t);
    clockRefMs = nowMs;
}

std::int64_t PanelModel::recordDueMs(int n) const {
    return blockStartMs + wholeMs(double(n) * activeIntervalMinutes * 60000.0 / speedUpFactor);
}

void PanelModel::setSpeedUp(double factor) {
    if (!isValidSpeedUp(factor))
        return;
    // Keep the recording's progress through its current interval.
    const double panelMs = double(nowMs - blockStartMs) * speedUpFactor;
    speedUpFactor = factor;
    blockStartMs = nowMs - wholeMs(panelMs / factor);
}

// ---------------------------------------------------------------- state

void PanelModel::setSerial(int channel, int value) {
    (channel == 1 ? serialCh1 : serialCh2) = value & 0xFFFF;
}

bool PanelModel::provides(Quantity q) const {
    switch (q) {
    case Quantity::Temperature:
    case Quantity::Humidity:
        return ch1 == Channel1Sensor::Tq231 || ch1 == Channel1Sensor::Tq232;
    case Quantity::Pressure:
        return ch1 == Channel1Sensor::Tq232 || ch1 == Channel1Sensor::Tq233;
    case Quantity::Speed:
    case Quantity::Direction:
        return ch2 == Channel2Sensor::Tq264;
    }
    return false;
}

Readings PanelModel::readings() const {
    Readings r = weather.at(clockSeconds());
    const auto pin = [&](Quantity q, double& field) {
        if (pinned[std::size_t(q)])
            field = *pinned[std::size_t(q)];
    };
    pin(Quantity::Temperature, r.temperature);
    pin(Quantity::Humidity, r.humidity);
    pin(Quantity::Pressure, r.pressure);
    pin(Quantity::Speed, r.windSpeed);
    pin(Quantity::Direction, r.windDirection);
    return r;
}

void PanelModel::pinReading(Quantity q, std::optional<double> value) {
    pinned[std::size_t(q)] = value;
}

bool PanelModel::memoryFull() const {
    return memoryExhausted || fault(Fault::MemoryFull);
}

std::array<std::uint8_t, 4> PanelModel::statusBytes() const {
    const auto b = [](bool on, int bit) { return on ? std::uint8_t(1u << bit) : std::uint8_t(0); };
    std::array<std::uint8_t, 4> s{};
    s[0] = b(ch2 == Channel2Sensor::None, 7) | b(fault(Fault::Ch2Measurement), 5) |
           b(ch1 == Channel1Sensor::None, 3) | b(fault(Fault::Ch1Measurement), 1);
    s[1] = b(fault(Fault::Pressure), 7) | b(fault(Fault::Ch1Calibration), 6) |
           b(fault(Fault::Temperature), 5) | b(fault(Fault::Humidity), 4) | b(memoryFull(), 3) |
           b(fault(Fault::Ch2Calibration), 2) | b(fault(Fault::Speed), 1) |
           b(fault(Fault::Direction), 0);
    s[2] = b(fault(Fault::CpuTest), 7) | b(fault(Fault::LowBattery), 6) |
           b(fault(Fault::EepromA), 4) | b(fault(Fault::EepromB), 3) | b(fault(Fault::Clock), 2);
    s[3] = b(ch1 == Channel1Sensor::Tq233, 7) | b(ch1 == Channel1Sensor::Tq232, 2) |
           b(ch1 == Channel1Sensor::Tq231, 1) | b(ch2 == Channel2Sensor::Tq264, 0);
    return s;
}

// ---------------------------------------------------------------- memory and recording

memory::RecordValues PanelModel::sample(const CivilTime& at, int layout, int interval,
                                        bool healthy) const {
    using memory::Special;
    const double seconds = double(toSeconds(at));
    const Readings r = weather.at(seconds);
    memory::RecordValues v;
    v.temperatureTenths = int(std::lround(r.temperature * 10));
    v.humidityTenths = int(std::lround(r.humidity * 10));
    v.pressureTenths = int(std::lround(r.pressure * 10));
    const bool maxWind = (activeConfigByte & 0x08) && layout != 1;
    v.speedTenths = int(std::lround(
        (maxWind ? weather.maxWindSpeed(seconds - interval * 60.0, seconds) : r.windSpeed) * 10));
    v.directionDegrees = int(std::lround(r.windDirection)) % 360;

    // What a fault or a missing sensor leaves in the record instead of a value.
    const auto special = [&](Quantity q, Fault quantityFault) -> std::optional<Special> {
        if (healthy)
            return std::nullopt;
        const bool ch1Side =
            q == Quantity::Temperature || q == Quantity::Humidity || q == Quantity::Pressure;
        if (!provides(q))
            return Special::NoData;
        if (fault(ch1Side ? Fault::Ch1Measurement : Fault::Ch2Measurement) || fault(quantityFault))
            return Special::MeasurementError;
        if (fault(ch1Side ? Fault::Ch1Calibration : Fault::Ch2Calibration))
            return Special::CalibrationError;
        return std::nullopt;
    };
    if (auto s = special(Quantity::Temperature, Fault::Temperature))
        v.temperatureTenths = memory::temperatureSpecial(*s);
    if (auto s = special(Quantity::Humidity, Fault::Humidity))
        v.humidityTenths = memory::humiditySpecial(*s);
    if (auto s = special(Quantity::Pressure, Fault::Pressure))
        v.pressureTenths = memory::pressureSpecial(*s);
    if (auto s = special(Quantity::Speed, Fault::Speed))
        v.speedTenths = memory::speedSpecial(*s);
    if (auto s = special(Quantity::Direction, Fault::Direction))
        v.directionDegrees = memory::directionSpecial(*s);
    return v;
}

bool PanelModel::startBlock(const CivilTime& at, int layout, int interval) {
    // The header and the end marker behind it must fit.
    if (writePos + 6 >= memorySize)
        return false;
    const auto header = memory::encodeHeader(at, layout, interval);
    std::copy(header.begin(), header.end(), mem.begin() + writePos);
    writePos += 6;
    mem[std::size_t(writePos)] = memory::endMarker;
    return true;
}

bool PanelModel::appendRecord(const CivilTime& at, int layout, const memory::RecordValues& values) {
    const auto bytes = memory::encodeRecord(layout, values);
    if (writePos + int(bytes.size()) >= memorySize)
        return false;
    std::copy(bytes.begin(), bytes.end(), mem.begin() + writePos);
    writePos += int(bytes.size());
    mem[std::size_t(writePos)] = memory::endMarker;
    StoredRecord rec;
    rec.time = at;
    rec.layout = layout;
    rec.values = values;
    // Only the parts the layout holds are meaningful.
    if (!memory::hasTemperatureHumidity(layout))
        rec.values.temperatureTenths = rec.values.humidityTenths = 0;
    if (!memory::hasPressure(layout))
        rec.values.pressureTenths = 0;
    if (!memory::hasWind(layout))
        rec.values.speedTenths = rec.values.directionDegrees = 0;
    records.push_back(rec);
    return true;
}

void PanelModel::stopRecordingFull() {
    memoryExhausted = true;
    recordingOn = false;
}

void PanelModel::erase() {
    std::fill(mem.begin() + 2, mem.end(), memory::endMarker);
    writePos = 2;
    records.clear();
    memoryExhausted = false;
    recordingOn = false;
    suspended = true;
}

void PanelModel::storeSettings(int interval, int config) {
    mem[0] = std::uint8_t(interval);
    mem[1] = std::uint8_t(config);
}

void PanelModel::reset() {
    activeIntervalMinutes = mem[0];
    activeConfigByte = mem[1];
    suspended = false;
    recordingOn = false;
    const int layout = activeConfigByte >> 4;
    if (activeIntervalMinutes < 1 || activeIntervalMinutes > 239 || layout >= memory::layoutCount)
        return;
    CivilTime start = clock();
    start.second = 0;
    if (!startBlock(start, layout, activeIntervalMinutes)) {
        memoryExhausted = true;
        return;
    }
    blockStart = start;
    blockStartMs = nowMs;
    blockRecords = 0;
    recordingOn = true;
}

void PanelModel::loadHistory() {
    erase();
    suspended = false;
    // Lay the blocks out backwards from now so that the last one is still running.
    std::int64_t start = toSeconds(clock()) / 60 * 60;
    constexpr int n = int(std::size(historyBlocks));
    std::array<std::int64_t, n> starts{};
    start -= std::int64_t(historyBlocks[n - 1].count * historyBlocks[n - 1].interval +
                          historyMinutesIntoInterval) *
             60;
    starts[n - 1] = start;
    for (int i = n - 2; i >= 0; --i) {
        const HistoryBlock& b = historyBlocks[i];
        start -= std::int64_t(b.count * b.interval + b.gapAfter) * 60;
        starts[std::size_t(i)] = start;
    }

    using memory::Special;
    for (int i = 0; i < n; ++i) {
        const HistoryBlock& b = historyBlocks[i];
        const CivilTime header = fromSeconds(starts[std::size_t(i)]);
        activeConfigByte = b.layout << 4 | (b.maxWind ? 0x08 : 0);
        startBlock(header, b.layout, b.interval);
        for (int k = 1; k <= b.count; ++k) {
            const CivilTime at =
                fromSeconds(starts[std::size_t(i)] + std::int64_t(k) * b.interval * 60);
            // The past does not depend on today's sensors and faults.
            memory::RecordValues v = sample(at, b.layout, b.interval, true);
            // A few incidents, as a real history has them.
            if (i == 0 && (k == 7 || k == 8))
                v.temperatureTenths = memory::temperatureSpecial(Special::MeasurementError);
            if (i == 0 && k == 15)
                v.humidityTenths = memory::humiditySpecial(Special::CalibrationError);
            if (i == 2 && k == 4) {
                v.temperatureTenths = memory::temperatureSpecial(Special::NoRecord);
                v.humidityTenths = memory::humiditySpecial(Special::NoRecord);
            }
            if (i == 3 && k == 3)
                v.pressureTenths = memory::pressureSpecial(Special::RecordError);
            if (i == 5 && k >= 5 && k <= 7) {
                v.speedTenths = memory::speedSpecial(Special::NoData);
                v.directionDegrees = memory::directionSpecial(Special::NoData);
            }
            if (i == 6 && k == 10) {
                v.speedTenths = memory::speedSpecial(Special::MeasurementError);
                v.directionDegrees = memory::directionSpecial(Special::MeasurementError);
            }
            appendRecord(at, b.layout, v);
        }
    }

    const HistoryBlock& live = historyBlocks[n - 1];
    mem[0] = std::uint8_t(live.interval);
    mem[1] = std::uint8_t(live.layout << 4);
    activeIntervalMinutes = live.interval;
    activeConfigByte = mem[1];
    blockStart = fromSeconds(starts[n - 1]);
    blockRecords = live.count;
    blockStartMs =
        nowMs - wholeMs(double(clockSeconds() - double(starts[n - 1])) * 1000.0 / speedUpFactor);
    recordingOn = true;
    suspended = false;
}

// ---------------------------------------------------------------- the wire

std::optional<std::string> PanelModel::receive(char byte) {
    if (byte == LF && !line.empty() && line.back() == CR) {
        line.pop_back();
        const bool garbage = lineOverflow;
        std::string request;
        request.swap(line);
        lineOverflow = false;
        if (garbage)
            return std::nullopt;
        return handleRequest(request);
    }
    if (line.size() >= maxLineLength) {
        // Keep only the last byte so that a CR LF ending the garbage is still seen.
        lineOverflow = true;
        line.erase(0, line.size() - 1);
    }
    line += byte;
    return std::nullopt;
}

void PanelModel::dropPartialRequest() {
    line.clear();
    lineOverflow = false;
}

std::string PanelModel::receiveAll(std::string_view bytes) {
    std::string out;
    for (char c : bytes)
        if (auto r = receive(c))
            out += *r;
    return out;
}

std::string PanelModel::replyStatus() const {
    std::string body = "K";
    for (std::uint8_t b : statusBytes())
        body += offsetHexDigits(b, 2);
    return reply(body);
}

std::string PanelModel::replyClock() const {
    const CivilTime t = clock();
    std::string body = "O";
    body += decimalDigits(t.minute, 2);
    body += decimalDigits(t.hour, 2);
    body += decimalDigits(t.day, 2);
    body += char('0' + t.year % 10);
    body += offsetHex(t.month);
    return reply(body);
}

std::optional<std::string> PanelModel::handleRequest(std::string_view req) {
    if (req.empty())
        return std::nullopt;
    const Readings r = readings();
    const auto tenths = [](double v) { return std::lround(v * 10); };

    if (req.size() == 1) {
        switch (req[0]) {
        case 'K':
            return replyStatus();
        case 'A': {
            const long deg = provides(Quantity::Direction) ? std::lround(r.windDirection) % 360 : 0;
            return reply("A" + decimalDigits(deg, 3));
        }
        case 'V':
            return reply("V" + decimalDigits(provides(Quantity::Speed)
                                                 ? std::clamp(tenths(r.windSpeed), 0L, 9999L)
                                                 : 0,
                                             4));
        case 'H':
            return reply("H" + decimalDigits(provides(Quantity::Humidity)
                                                 ? std::clamp(tenths(r.humidity), 0L, 1000L)
                                                 : 0,
                                             4));
        case 'P':
            return reply("P" + decimalDigits(provides(Quantity::Pressure)
                                                 ? std::clamp(tenths(r.pressure), 0L, 99999L)
                                                 : 0,
                                             5));
        case 'T': {
            const long t = provides(Quantity::Temperature)
                               ? std::clamp(tenths(r.temperature), -9999L, 9999L)
                               : 0;
            return reply(t < 0 ? "T-" + decimalDigits(-t, 4) : "T" + decimalDigits(t, 4));
        }
        case 'F':
            return reply("F" + offsetHexDigits(firmwareHundredths, 2));
        case 'I':
            return reply("I" + offsetHexDigits(powerSavingRegister, 2));
        case 'L':
            return reply("L" + offsetHexDigits(ch2 == Channel2Sensor::None ? 0 : serialCh2, 4));
        case 'N':
            return reply("N" + offsetHexDigits(ch1 == Channel1Sensor::None ? 0 : serialCh1, 4));
        case 'Q':
            return reply("Q" + offsetHexDigits(mem[0], 2));
        case 'O':
            return replyClock();
        case 'G':
            reset();
            return reply("G");
        default:
            return std::nullopt;
        }
    }

    switch (req[0]) {
    case 'B': {
        if (req.size() != 7)
            return std::nullopt;
        const int h = parseDecimal(req.substr(1, 2));
        const int m = parseDecimal(req.substr(3, 2));
        const int s = parseDecimal(req.substr(5, 2));
        if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59)
            return std::nullopt;
        CivilTime t = clock();
        t.hour = h;
        t.minute = m;
        t.second = s;
        setClock(t);
        // The stored records' times follow from the block header, so a clock jump
        // must not run into the current block.
        recordingOn = false;
        suspended = true;
        return reply("B");
    }
    case 'C': {
        if (req.size() != 5)
            return std::nullopt;
        const int d = parseDecimal(req.substr(1, 2));
        const int m = parseDecimal(req.substr(3, 2));
        CivilTime t = clock();
        if (m < 1 || m > 12 || d < 1 || d > daysInMonth(t.year, m))
            return std::nullopt;
        t.month = m;
        t.day = d;
        setClock(t);
        recordingOn = false;
        suspended = true;
        return reply("C");
    }
    case 'J': {
        const int value = req.size() == 3 ? parseStandardHex(req.substr(1, 2)) : -1;
        if (value < 0)
            return std::nullopt;
        powerSavingRegister = value;
        return reply("J");
    }
    case 'E': {
        if (req == "ES") {
            erase();
            return reply("ES");
        }
        if (req.size() == 5 && req[1] == 'R') {
            const int address = parseOffsetHex(req.substr(2, 3));
            if (address < 0)
                return std::nullopt;
            return reply("ER" + offsetHexDigits(mem[std::size_t(address)], 2));
        }
        if (req.size() == 7 && req[1] == 'W') {
            const int address = parseOffsetHex(req.substr(2, 3));
            const int value = parseOffsetHex(req.substr(5, 2));
            if (address < 0 || value < 0)
                return std::nullopt;
            mem[std::size_t(address)] = std::uint8_t(value);
            return reply("EW");
        }
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

// ---------------------------------------------------------------- description

std::string PanelModel::describe() const {
    static constexpr const char* faultNames[faultCount] = {
        "ch1meas",  "ch1cal",   "ch2meas", "ch2cal",    "temperature",
        "humidity", "pressure", "speed",   "direction", "memfull",
        "cpu",      "battery",  "eeproma", "eepromb",   "clock"};
    std::string faultList;
    for (int i = 0; i < faultCount; ++i)
        if (faults[std::size_t(i)])
            faultList += (faultList.empty() ? "" : ",") + std::string(faultNames[i]);
    if (memoryExhausted)
        faultList += (faultList.empty() ? "" : ",") + std::string("memory-exhausted");
    const CivilTime t = clock();
    const Readings r = readings();
    const auto s = statusBytes();
    char buf[640];
    std::snprintf(buf, sizeof buf,
                  "ch1=%s ch2=%s firmware=%d.%02d clock=%04d-%02d-%02d %02d:%02d:%02d "
                  "status=%02X%02X%02X%02X faults=%s power=0x%02X serial1=%d serial2=%d "
                  "stored-interval=%d stored-config=0x%02X recording=%s active-interval=%d "
                  "active-config=0x%02X memory-bytes=%d records=%zu speedup=%g "
                  "temperature=%.1f humidity=%.1f pressure=%.1f speed=%.1f direction=%.0f",
                  ch1Name(ch1), ch2Name(ch2), firmwareHundredths / 100, firmwareHundredths % 100,
                  t.year, t.month, t.day, t.hour, t.minute, t.second, s[0], s[1], s[2], s[3],
                  faultList.empty() ? "none" : faultList.c_str(), powerSavingRegister, serialCh1,
                  serialCh2, mem[0], mem[1], recordingOn ? "on" : (suspended ? "suspended" : "off"),
                  activeIntervalMinutes, activeConfigByte, memoryUsed(), records.size(),
                  speedUpFactor, r.temperature, r.humidity, r.pressure, r.windSpeed,
                  r.windDirection);
    return buf;
}

} // namespace tq820sim
