#pragma once

#include "PanelModel.h"
#include "PtyPort.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

namespace tq820sim {

struct FrontendOptions {
    int com = 9;
    bool fast = false;     // answer at once instead of at 9600 baud
    bool readStdin = true; // control lines on standard input; its end ends the simulator
    std::uint64_t seed = 1;
};

// The simulator process: a single-threaded poll loop over standard input (control lines),
// the pseudo-terminal master (the program's requests) and a signal descriptor. When
// paced, both directions of the line are modelled at 9600 baud 8N1 (10 bits a byte) on
// absolute deadlines, so the timing does not drift however long it runs.
class SimFrontend {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::nanoseconds byteTime{1'041'667};
    // Received bytes still crossing the modelled wire, at most (longer than any request).
    static constexpr std::size_t rxWindow = 64;

    SimFrontend(PanelModel& panel, const FrontendOptions& options);
    // Returns the process exit code.
    int run();

private:
    struct TimedByte {
        Clock::time_point due;
        char byte;
    };

    void handleControl(const std::string& line);
    void readMaster(Clock::time_point now);
    Clock::time_point nextRxDue() const;
    void deliverDue(Clock::time_point now);
    void sendDue(Clock::time_point now);
    void queueReply(std::string reply, Clock::time_point requestEnd);
    void say(const std::string& line);
    std::string statsLine() const;
    void resetStats();
    std::int64_t modelMs(Clock::time_point t) const;

    PanelModel& panel;
    FrontendOptions options;
    PtyPort port;
    Clock::time_point start;
    std::mt19937_64 random;

    std::deque<TimedByte> rx;       // bytes on their way in, stamped with their arrival
    std::deque<TimedByte> tx;       // bytes on their way out, due when fully sent
    Clock::time_point rxWireFree{}; // when the last received byte was complete
    Clock::time_point txBusyUntil{};
    Clock::time_point masterQuietUntil{};
    char previousByte = 0;

    bool silent = false;
    bool garbleNext = false;
    std::chrono::milliseconds delay{0};
    bool quit = false;

    // statistics
    std::array<std::uint64_t, 20> requestCounts{};
    std::uint64_t unknownRequests = 0;
    std::uint64_t bytesReceived = 0;
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesDropped = 0;
    std::uint64_t rxDropped = 0;
    std::vector<std::int64_t> turnaroundsUs;
    bool awaitingRequest = false;
    Clock::time_point lastReplyEnd{};
};

} // namespace tq820sim
