// tq820-sim: a TQ-820 weather panel on a pseudo-terminal, for running and testing TQ820
// without the device.

#include "ControlCommands.h"
#include "PanelModel.h"
#include "SimFrontend.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

void printHelp() {
    std::printf(R"(Usage: tq820-sim [options]

Plays a TQ-820 weather panel on a pseudo-terminal. The terminal is published as the
symbolic link <config>/Velmor/ports/COMn (<config> = $XDG_CONFIG_HOME or ~/.config),
where TQ820 finds its port COMn. When ready, the simulator prints exactly one line
  COMn -> /dev/pts/X
on standard output. Replies are paced at 9600 baud 8N1 (1.0417 ms a byte) in both
directions unless --fast is given. The link is removed when the simulator ends: on
SIGINT, SIGTERM, SIGHUP or at the end of standard input.

Options:
  --com N                  publish as COMN (default 9)
  --fast                   answer at once instead of at 9600 baud
  --ch1 tq231|tq232|tq233|none|nomodel
                           channel 1 sensor (default tq232)
  --ch2 tq264|none|nomodel channel 2 sensor (default tq264)
  --firmware V             firmware version, e.g. 2.00 (default 2.01)
  --memory history|empty   record memory at start (default history: eight blocks of all
                           seven record layouts with a few special codes, the last block
                           still recording every 10 minutes)
  --seed N                 seed of the weather and the noise (default 1)
  --clock 'YYYY-MM-DD hh:mm:ss'
                           panel clock at start (default: the local time)
  --speedup F              recording runs F times faster than the clock, 0.001 to
                           1000000 (default 1)
  --no-stdin               do not read control lines; run until a signal
  --help                   this text

Control lines on standard input, each answered by one line on standard output,
"ok ..." or "error ..." (blank lines and lines starting with # are ignored):
%s  silent on|off            stop or resume answering (requests go unheard)
  noise N                  send N random bytes now
  garble                   corrupt the letter of the next reply
  delay MS                 answer every request MS milliseconds late (0 = off)
  unplug                   close the pseudo-terminal as a pulled USB adapter; the link
                           then points nowhere, so reopening the port fails
  plug                     a new pseudo-terminal under the same COM name; the answer is
                           the line COMn -> /dev/pts/Y
  stats                    one line: requests per command (K A V H P T F I L N Q B C O
                           ER EW G ES J, unknown), rx_bytes, tx_bytes, dropped_bytes
                           (reply bytes the program did not read), rx_dropped_bytes (a
                           flood more than 64 bytes ahead of the wire), turnaround_samples
                           and the median and 90th percentile turnaround in microseconds
                           (from a reply's last byte sent to the next request's first
                           byte received)
  stats reset              zero the statistics
  quit                     end the simulator

Protocol: requests are ASCII lines ending in CR LF; every reply is a leading '#', the
request's letter(s), its data and CR LF. Unknown or malformed requests get no reply.
)",
                tq820sim::controlHelp());
}

tq820sim::CivilTime localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

[[noreturn]] void usageError(const std::string& message) {
    std::fprintf(stderr, "tq820-sim: %s (see --help)\n", message.c_str());
    std::exit(2);
}

} // namespace

int main(int argc, char** argv) {
    tq820sim::PanelOptions panelOptions;
    panelOptions.clock = localNow();
    tq820sim::FrontendOptions frontend;
    std::vector<std::string> controls;

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usageError(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            printHelp();
            return 0;
        } else if (arg == "--com") {
            char* end = nullptr;
            const std::string v = value();
            const long n = std::strtol(v.c_str(), &end, 10);
            if (*end || n < 1 || n > 255)
                usageError("--com wants a number from 1 to 255");
            frontend.com = int(n);
        } else if (arg == "--fast") {
            frontend.fast = true;
        } else if (arg == "--no-stdin") {
            frontend.readStdin = false;
        } else if (arg == "--ch1" || arg == "--ch2" || arg == "--firmware" || arg == "--memory") {
            controls.push_back(arg.substr(2) + " " + value());
        } else if (arg == "--seed") {
            char* end = nullptr;
            const std::string v = value();
            const unsigned long long n = std::strtoull(v.c_str(), &end, 10);
            if (*end || v.empty())
                usageError("--seed wants a number");
            panelOptions.seed = n;
            frontend.seed = n;
        } else if (arg == "--speedup") {
            char* end = nullptr;
            const std::string v = value();
            const double f = std::strtod(v.c_str(), &end);
            if (*end || v.empty() || !tq820sim::PanelModel::isValidSpeedUp(f))
                usageError("--speedup wants a factor from 0.001 to 1000000");
            panelOptions.speedUp = f;
        } else if (arg == "--clock") {
            const std::string v = value();
            tq820sim::CivilTime t;
            if (std::sscanf(v.c_str(), "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day, &t.hour,
                            &t.minute, &t.second) != 6 ||
                !tq820sim::isValid(t))
                usageError("--clock wants 'YYYY-MM-DD hh:mm:ss'");
            panelOptions.clock = t;
        } else {
            usageError("unknown option " + arg);
        }
    }

    tq820sim::PanelModel panel(panelOptions);
    for (const auto& c : controls) {
        const auto answer = tq820sim::applyControl(panel, c);
        if (!answer || answer->rfind("ok", 0) != 0)
            usageError("bad option --" + c + (answer ? ": " + answer->substr(6) : ""));
    }
    tq820sim::SimFrontend sim(panel, frontend);
    return sim.run();
}
