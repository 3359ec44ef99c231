// Records with any values and parts (not only those the decoder makes)
// through both export layouts: a header line before the first record and at
// every change of parts, then one data line a record whose values are as many
// as its parts hold, separated by one separator each; every line ends in one
// CR LF.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "recording/MemoryExport.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

int anyInt(FuzzInput& in) {
    return static_cast<int>(static_cast<std::uint32_t>(in.word()) << 16 |
                            static_cast<std::uint32_t>(in.word()));
}

int valueCount(const MemoryRecord& r) {
    return (r.hasTemperature() ? 2 : 0) + (r.hasPressureValue() ? 1 : 0) + (r.hasWind ? 2 : 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    std::vector<MemoryRecord> records;
    while (!in.empty() && records.size() < 64) {
        MemoryRecord r;
        const std::uint8_t flags = in.byte();
        r.hasTempHum = (flags & 1) != 0;
        r.hasTempHumPress = (flags & 2) != 0;
        r.hasPressure = (flags & 4) != 0;
        r.hasWind = (flags & 8) != 0;
        r.timeText = in.bytes(flags >> 4); // whatever text, Polish letters included
        r.temperatureTenths = anyInt(in);
        r.humidityTenths = anyInt(in);
        r.pressureTenths = anyInt(in);
        r.speedTenths = anyInt(in);
        r.directionDegrees = anyInt(in);
        records.push_back(r);
    }
    for (const bool csv : {false, true}) {
        const char separator = csv ? ',' : '\t';
        MemoryExport out(csv);
        const MemoryRecord* previous = nullptr;
        for (const MemoryRecord& r : records) {
            const std::string lines = out.linesFor(r);
            const bool header = previous == nullptr || !(previous->parts() == r.parts());
            previous = &r;
            std::size_t at = 0;
            if (header) {
                at = lines.find("\r\n");
                fuzzCheck(at != std::string::npos, "a header line ends in CR LF");
                at += 2;
            }
            std::string line = lines.substr(at);
            fuzzCheck(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0,
                      "a data line ends in CR LF");
            line.resize(line.size() - 2);
            // A time text of the fuzzer's own may hold separators or line
            // breaks; the columns after it are counted only when it does not.
            if (r.timeText.find_first_of(",\t\r\n") != std::string::npos) {
                continue;
            }
            const std::size_t valuesFrom = line.find(separator);
            fuzzCheck(valuesFrom != std::string::npos, "a separator follows the time");
            int separators = 0;
            for (std::size_t i = valuesFrom; i < line.size(); ++i) {
                fuzzCheck(line[i] != '\r' && line[i] != '\n', "a value is one line");
                separators += line[i] == separator ? 1 : 0;
            }
            fuzzCheck(separators == std::max(1, valueCount(r)),
                      "one separator after the time and one between two values");
        }
    }
    return 0;
}
