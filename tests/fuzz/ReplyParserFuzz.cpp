// Any line in any state through PanelData::parseReply. Checked against the
// reply table written out here: a valid reply has its state's letters and one
// of its lengths; an invalid one changes nothing but the last-line copy; "J"
// is never valid; the copy is the line, cut to 89 bytes.
//
// Input: the state (first byte, 0..20 so that out-of-range states come too),
// then the line.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "protocol/PanelData.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>

namespace {

struct ReplyForm {
    const char* letters;
    int length;
    int otherLength; // 0: one length only
};

// By state 1..19, as the panel protocol documents them.
constexpr ReplyForm kForms[] = {
    {"K", 12, 0}, {"A", 7, 0},  {"V", 8, 0}, {"H", 8, 0},  {"P", 9, 0}, {"T", 8, 9}, {"F", 6, 0},
    {"I", 6, 0},  {"L", 8, 0},  {"N", 8, 0}, {"Q", 6, 0},  {"B", 4, 0}, {"C", 4, 0}, {"O", 12, 0},
    {"ER", 7, 0}, {"EW", 5, 0}, {"G", 4, 0}, {"ES", 5, 0}, {"J", 4, 0},
};

// Every field but the last-line copy, for comparing before and after.
auto fields(const PanelData& d) {
    return std::tie(d.eraseAck, d.resetAck, d.memoryByteValid, d.memoryByte, d.clockValid, d.clock,
                    d.dateSetAck, d.powerSavingAck, d.recordInterval, d.serialCh2, d.serialCh1,
                    d.powerSavingFlags, d.firmwareVersion, d.temperature, d.pressure, d.humidity,
                    d.windSpeed, d.windDirection, d.ch1CalError, d.temperatureError,
                    d.humidityError, d.memoryFull, d.ch2CalError, d.speedError, d.directionError,
                    d.cpuTestError, d.lowBattery, d.eepromErrorA, d.eepromErrorB, d.clockError,
                    d.modelTq233, d.modelTq232, d.modelTq231, d.modelTq264, d.pressureError,
                    d.ch1MeasError, d.ch2MeasError, d.ch1Present, d.ch2Present);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const int state = in.byte() % 21;
    const std::string line = in.bytes(size);
    const int length = static_cast<int>(line.size());
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(line.data());

    PanelData panel;
    // Start from non-zero values so that a field wrongly cleared shows.
    panel.temperature = 1.5;
    panel.windDirection = 77;
    panel.memoryByte = 0x5A;
    panel.ch1Present = 1;
    const PanelData before = panel;
    const bool valid = panel.parseReply(bytes, length, static_cast<PollState>(state));

    const int copied = std::min(length, PanelData::kMaxLineLength);
    fuzzCheck(panel.lastLineLength == copied,
              "the last-line copy has the line's length, cut to 89");
    fuzzCheck(std::equal(bytes, bytes + copied, panel.lastLine.begin()),
              "the last-line copy is the line");

    if (!valid) {
        PanelData expected = before;
        if (state == WRITE_POWER_SAVING && length == 4 && line[1] == 'J') {
            expected.powerSavingAck = 1; // acknowledged, though never valid
        }
        fuzzCheck(fields(panel) == fields(expected), "an invalid reply changes nothing",
                  "state " + std::to_string(state));
        return 0;
    }
    fuzzCheck(state >= kFirstPollState && state <= kLastPollState, "only a known state has replies",
              std::to_string(state));
    fuzzCheck(state != WRITE_POWER_SAVING, "a J reply is never valid");
    const ReplyForm& form = kForms[state - 1];
    const std::size_t letters = std::strlen(form.letters);
    fuzzCheck(line.size() > letters && line.compare(1, letters, form.letters) == 0,
              "a valid reply has its state's letters", "state " + std::to_string(state));
    fuzzCheck(length == form.length || length == form.otherLength,
              "a valid reply has its state's length", std::to_string(length));
    return 0;
}
