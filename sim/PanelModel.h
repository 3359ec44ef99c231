#pragma once

#include "CivilTime.h"
#include "MemoryFormat.h"
#include "Weather.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tq820sim {

enum class Channel1Sensor { Tq231, Tq232, Tq233, None, NoModel };
enum class Channel2Sensor { Tq264, None, NoModel };

// Every status and fault flag of the panel's four status bytes.
enum class Fault {
    Ch1Measurement,
    Ch1Calibration,
    Ch2Measurement,
    Ch2Calibration,
    Temperature,
    Humidity,
    Pressure,
    Speed,
    Direction,
    MemoryFull,
    CpuTest,
    LowBattery,
    EepromA,
    EepromB,
    Clock,
};
constexpr int faultCount = 15;

enum class Quantity { Temperature, Humidity, Pressure, Speed, Direction };

enum class MemoryPreset { History, Empty };

struct PanelOptions {
    Channel1Sensor ch1 = Channel1Sensor::Tq232;
    Channel2Sensor ch2 = Channel2Sensor::Tq264;
    int firmware = 201; // version in hundredths: 201 = 2.01
    MemoryPreset memory = MemoryPreset::History;
    std::uint64_t seed = 1;
    CivilTime clock{2026, 6, 15, 12, 0, 0}; // the panel clock at model time 0
    double speedUp = 1.0;                   // recording runs this many times faster
    int serialCh1 = 12345;
    int serialCh2 = 20417;
};

// A record as the panel meant to store it, for checking the memory bytes.
struct StoredRecord {
    CivilTime time;
    int layout = 0;
    memory::RecordValues values;
};

// The TQ-820 panel: it takes request bytes and answers the way the device does. Time is
// given from outside (advanceTo), so tests run a day of recording in microseconds.
class PanelModel {
public:
    static constexpr int memorySize = 4096;
    static constexpr char leadingByte = '#';
    // A request is at most 9 bytes; anything much longer is garbage.
    static constexpr std::size_t maxLineLength = 32;

    explicit PanelModel(const PanelOptions& options = {});

    // --- time: milliseconds of a monotonic clock, never going back ---
    void advanceTo(std::int64_t ms);
    std::int64_t now() const { return nowMs; }
    CivilTime clock() const;
    void setClock(const CivilTime& t);

    // --- the wire ---
    // Takes one received byte; returns the reply when it completes a request the panel
    // knows. Unknown or malformed requests get no reply.
    std::optional<std::string> receive(char byte);
    std::string receiveAll(std::string_view bytes);
    // Forgets a request heard only in part (the line went dead half-way).
    void dropPartialRequest();
    // The reply to one request line given without CR LF (nullopt: no reply).
    std::optional<std::string> handleRequest(std::string_view line);

    // --- state ---
    Channel1Sensor channel1() const { return ch1; }
    Channel2Sensor channel2() const { return ch2; }
    void setChannel1(Channel1Sensor s) { ch1 = s; }
    void setChannel2(Channel2Sensor s) { ch2 = s; }
    bool fault(Fault f) const { return faults[std::size_t(f)]; }
    void setFault(Fault f, bool on) { faults[std::size_t(f)] = on; }
    int firmware() const { return firmwareHundredths; }
    void setFirmware(int hundredths) { firmwareHundredths = hundredths & 0xFF; }
    int serial(int channel) const { return channel == 1 ? serialCh1 : serialCh2; }
    void setSerial(int channel, int value);
    int powerSaving() const { return powerSavingRegister; }
    void setPowerSaving(int value) { powerSavingRegister = value & 0xFF; }
    // Recording paces the model's millisecond arithmetic can hold: from a thousand times
    // slower to a million times faster than the clock.
    static constexpr double minSpeedUp = 1e-3;
    static constexpr double maxSpeedUp = 1e6;
    static bool isValidSpeedUp(double factor) {
        return factor >= minSpeedUp && factor <= maxSpeedUp; // false for NaN
    }
    double speedUp() const { return speedUpFactor; }
    // A factor outside the range above is ignored.
    void setSpeedUp(double factor);

    // The current readings (fixed ones where a test pinned them).
    Readings readings() const;
    void pinReading(Quantity q, std::optional<double> value);

    std::array<std::uint8_t, 4> statusBytes() const;
    bool memoryFull() const;

    // --- memory and recording ---
    const std::array<std::uint8_t, memorySize>& memory() const { return mem; }
    int memoryUsed() const { return writePos - 2; } // bytes from address 2 up to the 0xFF
    const std::vector<StoredRecord>& storedRecords() const { return records; }
    void loadHistory();
    void erase();                                 // as "ES"
    void reset();                                 // as "G"
    void storeSettings(int interval, int config); // as "EW" to addresses 0 and 1
    bool recording() const { return recordingOn; }
    bool recordingSuspended() const { return suspended; }
    int activeInterval() const { return activeIntervalMinutes; }
    int activeConfig() const { return activeConfigByte; }

    // One line describing the whole state, for the front end's "state" command.
    std::string describe() const;

private:
    // The record the panel stores at `at`; `healthy` ignores sensors and faults.
    memory::RecordValues sample(const CivilTime& at, int layout, int interval,
                                bool healthy = false) const;
    bool startBlock(const CivilTime& at, int layout, int interval);
    bool appendRecord(const CivilTime& at, int layout, const memory::RecordValues& values);
    void stopRecordingFull();
    std::int64_t recordDueMs(int n) const;
    double clockSeconds() const;
    bool provides(Quantity q) const;

    std::string replyStatus() const;
    std::string replyClock() const;

    // sensors, identity and flags
    Channel1Sensor ch1;
    Channel2Sensor ch2;
    std::array<bool, faultCount> faults{};
    int firmwareHundredths;
    int serialCh1;
    int serialCh2;
    int powerSavingRegister = 0;
    std::array<std::optional<double>, 5> pinned{};
    Weather weather;

    // time
    std::int64_t nowMs = 0;
    std::int64_t clockRefMs = 0; // model time at which clockBase held
    std::int64_t clockBaseSeconds = 0;
    double speedUpFactor;

    // memory: 0 = interval, 1 = configuration byte, 2.. records up to the 0xFF at writePos
    std::array<std::uint8_t, memorySize> mem{};
    int writePos = 2;
    bool memoryExhausted = false;
    std::vector<StoredRecord> records;

    // recording as applied at the last reset
    bool recordingOn = false;
    bool suspended = false;
    int activeIntervalMinutes = 0;
    int activeConfigByte = 0;
    CivilTime blockStart;
    std::int64_t blockStartMs = 0;
    int blockRecords = 0;

    // request assembly
    std::string line;
    bool lineOverflow = false;
};

} // namespace tq820sim
