// Any bytes on the simulator's wire, a second passing with every line. Checked:
// every reply is one line of the panel's shape ('#', letters and data, CR LF,
// at most 12 bytes); and a reply to a request of documented form is one the
// program's own parser accepts in that request's state (the simulator is
// written apart from the program, so the two are held against each other).
#include "FuzzCheck.h"
#include "PanelModel.h"
#include "protocol/PanelData.h"
#include "unit/protocol/RequestForm.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tq820sim::PanelOptions options;
    options.seed = 11;
    options.memory = tq820sim::MemoryPreset::Empty; // recording fills it as time passes
    tq820sim::PanelModel panel(options);
    std::int64_t now = 0;
    std::string line; // the request as the panel assembles it
    for (std::size_t i = 0; i < size; ++i) {
        const char byte = static_cast<char>(data[i]);
        const auto reply = panel.receive(byte);
        const bool ended = byte == '\n' && !line.empty() && line.back() == '\r';
        line += byte;
        if (!ended) {
            fuzzCheck(!reply, "the panel answers only a whole line");
            continue;
        }
        const std::string request = line.substr(0, line.size() - 2);
        line.clear();
        now += 1000;
        panel.advanceTo(now);
        if (!reply) {
            continue;
        }
        const std::string& r = *reply;
        fuzzCheck(r.size() >= 4 && r.size() <= 12 && r[0] == '#' &&
                      r.compare(r.size() - 2, 2, "\r\n") == 0 &&
                      r.find_first_of("\r\n") == r.size() - 2,
                  "a reply is one line of the panel's shape", r);
        const PollState state = requestform::stateOfRequest(request);
        if (state == NO_STATE) {
            continue;
        }
        PanelData parsed;
        const bool valid = parsed.parseReply(reinterpret_cast<const std::uint8_t*>(r.data()),
                                             static_cast<int>(r.size()), state);
        if (state == WRITE_POWER_SAVING) {
            fuzzCheck(parsed.powerSavingAck == 1, "the program takes the panel's J", r);
        } else {
            fuzzCheck(valid, "the program accepts the panel's reply to a documented request",
                      request + " -> " + r);
        }
    }
    return 0;
}
