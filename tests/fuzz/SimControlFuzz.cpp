// The simulator's control lines, as a test script or a user types them, with
// time passing between them. Checked: every panel command is answered by one
// line, "ok ..." or "error ..."; the panel still answers its status request
// properly; its memory accounting stays within the memory.
//
// Input: lines; "+N" lets N milliseconds pass (up to a million seconds),
// anything else is a control line.
#include "ControlCommands.h"
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "PanelModel.h"

#include <charconv>
#include <cstdint>
#include <string>

using namespace tq820sim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    PanelOptions options;
    options.seed = 7;
    options.memory = MemoryPreset::Empty; // "memory history" loads the long one
    PanelModel panel(options);
    std::int64_t now = 0;
    while (!in.empty()) {
        const std::string line = in.until('\n');
        if (!line.empty() && line[0] == '+') {
            std::int64_t ms = 0;
            std::from_chars(line.data() + 1, line.data() + line.size(), ms);
            if (ms > 0 && ms <= 1'000'000'000) {
                now += ms;
                panel.advanceTo(now);
            }
            continue;
        }
        if (const auto answer = applyControl(panel, line)) {
            fuzzCheck(answer->rfind("ok", 0) == 0 || answer->rfind("error ", 0) == 0,
                      "a panel command is answered ok or error", *answer);
            fuzzCheck(answer->find_first_of("\r\n") == std::string::npos,
                      "a panel command is answered by one line", *answer);
        }
        const std::string status = panel.receiveAll("K\r\n");
        fuzzCheck(status.size() == 12 && status.rfind("#K", 0) == 0 &&
                      status.compare(10, 2, "\r\n") == 0,
                  "the panel answers its status", status);
        fuzzCheck(panel.memoryUsed() >= 0 && panel.memoryUsed() < PanelModel::memorySize - 2,
                  "the records stay within the memory");
        fuzzCheck(panel.speedUp() >= PanelModel::minSpeedUp &&
                      panel.speedUp() <= PanelModel::maxSpeedUp,
                  "the recording pace stays one the clock can hold");
    }
    return 0;
}
