#include "SimFrontend.h"

#include "ControlCommands.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace tq820sim {

namespace {

// Requests as the statistics name them, in the order of the command set.
constexpr std::array<const char*, 19> requestNames{"K",  "A",  "V", "H",  "P", "T", "F",
                                                   "I",  "L",  "N", "Q",  "B", "C", "O",
                                                   "ER", "EW", "G", "ES", "J"};

int requestIndex(const std::string& reply) {
    // The reply names its request: leading byte, then the letter(s).
    if (reply.size() < 2)
        return -1;
    std::string name(1, reply[1]);
    if (reply[1] == 'E' && reply.size() > 2)
        name += reply[2];
    for (std::size_t i = 0; i < requestNames.size(); ++i)
        if (name == requestNames[i])
            return int(i);
    return -1;
}

std::int64_t percentile(std::vector<std::int64_t> values, double p) {
    if (values.empty())
        return 0;
    const auto k = std::size_t(p * double(values.size() - 1) + 0.5);
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(k), values.end());
    return values[k];
}

} // namespace

SimFrontend::SimFrontend(PanelModel& panel, const FrontendOptions& options)
    : panel(panel), options(options), port(portLinkPath(options.com)), start(Clock::now()),
      random(options.seed ^ 0x5EED) {}

std::int64_t SimFrontend::modelMs(Clock::time_point t) const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t - start).count();
}

void SimFrontend::say(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int SimFrontend::run() {
    std::signal(SIGPIPE, SIG_IGN);
    // The kernel may otherwise let a timed wake-up slip by 50 µs, and every slip at the
    // end of a reply is time the wire stands idle: pace as exactly as the timer allows.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd < 0) {
        std::fprintf(stderr, "tq820-sim: signalfd: %s\n", std::strerror(errno));
        return 1;
    }

    std::string error;
    if (!port.plug(error)) {
        std::fprintf(stderr, "tq820-sim: %s\n", error.c_str());
        ::close(signalFd);
        return 1;
    }
    say("COM" + std::to_string(options.com) + " -> " + port.terminalName());

    std::string input;
    bool stdinOpen = options.readStdin;
    while (!quit) {
        Clock::time_point now = Clock::now();
        deliverDue(now);
        sendDue(now);

        // Sleep until the next byte falls due or something arrives.
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        Clock::time_point next = Clock::time_point::max();
        if (!rx.empty())
            next = std::min(next, nextRxDue());
        if (!tx.empty())
            next = std::min(next, tx.front().due);
        const bool masterQuiet = now < masterQuietUntil;
        if (masterQuiet)
            next = std::min(next, masterQuietUntil);
        if (next != Clock::time_point::max()) {
            const auto ns = std::max<std::int64_t>(
                0, std::chrono::duration_cast<std::chrono::nanoseconds>(next - now).count());
            timeout.tv_sec = ns / 1'000'000'000;
            timeout.tv_nsec = ns % 1'000'000'000;
            timeoutPtr = &timeout;
        }

        pollfd fds[3] = {{signalFd, POLLIN, 0},
                         {stdinOpen ? STDIN_FILENO : -1, POLLIN, 0},
                         {port.plugged() && !masterQuiet ? port.masterFd() : -1, POLLIN, 0}};
        const int n = ::ppoll(fds, 3, timeoutPtr, nullptr);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            std::fprintf(stderr, "tq820-sim: poll: %s\n", std::strerror(errno));
            break;
        }
        now = Clock::now();
        if (fds[0].revents & POLLIN)
            break;
        if (fds[2].revents & (POLLIN | POLLHUP | POLLERR))
            readMaster(now);
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buffer[4096];
            const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (got > 0) {
                input.append(buffer, std::size_t(got));
                std::size_t eol;
                while (!quit && (eol = input.find('\n')) != std::string::npos) {
                    const std::string line = input.substr(0, eol);
                    input.erase(0, eol + 1);
                    handleControl(line);
                }
                if (input.size() > 65536)
                    input.clear();
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                break; // end of standard input ends the simulator
            }
        }
    }
    ::close(signalFd);
    port.removeLink();
    return 0;
}

SimFrontend::Clock::time_point SimFrontend::nextRxDue() const {
    // Bytes cross the wire one after another: the next is complete one byte time after
    // both its arrival and the end of the byte before it.
    const Clock::time_point arrival = rx.front().due;
    return options.fast ? arrival : std::max(arrival, rxWireFree) + byteTime;
}

void SimFrontend::readMaster(Clock::time_point now) {
    char buffer[4096];
    const ssize_t got = ::read(port.masterFd(), buffer, sizeof buffer);
    if (got <= 0) {
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        // No terminal side open (EIO): look again shortly instead of spinning on POLLHUP.
        masterQuietUntil = now + std::chrono::milliseconds(20);
        return;
    }
    bytesReceived += std::uint64_t(got);
    if (awaitingRequest) {
        turnaroundsUs.push_back(
            std::chrono::duration_cast<std::chrono::microseconds>(now - lastReplyEnd).count());
        if (turnaroundsUs.size() > 1'000'000)
            turnaroundsUs.erase(turnaroundsUs.begin(), turnaroundsUs.begin() + 500'000);
        awaitingRequest = false;
    }
    for (ssize_t i = 0; i < got; ++i)
        rx.push_back({now, buffer[i]});
    // A pseudo-terminal takes bytes far faster than 9600 baud and its purge does not reach
    // what the master has buffered. On a real line the program's purge before each request
    // drops what is still waiting to go out, so a backlog longer than any request is stale:
    // keep only the newest bytes.
    if (!options.fast && rx.size() > rxWindow) {
        rxDropped += rx.size() - rxWindow;
        rx.erase(rx.begin(), rx.end() - std::ptrdiff_t(rxWindow));
    }
    deliverDue(now);
}

void SimFrontend::deliverDue(Clock::time_point now) {
    while (!rx.empty() && nextRxDue() <= now) {
        TimedByte b = rx.front();
        b.due = nextRxDue();
        rxWireFree = b.due;
        rx.pop_front();
        const bool lineEnd = previousByte == '\r' && b.byte == '\n';
        previousByte = lineEnd ? 0 : b.byte;
        if (silent)
            continue; // a silent panel hears nothing
        panel.advanceTo(modelMs(b.due));
        if (auto reply = panel.receive(b.byte)) {
            const int index = requestIndex(*reply);
            if (index >= 0)
                ++requestCounts[std::size_t(index)];
            queueReply(std::move(*reply), b.due);
        } else if (lineEnd) {
            ++unknownRequests;
        }
    }
    sendDue(now);
}

void SimFrontend::queueReply(std::string reply, Clock::time_point requestEnd) {
    if (!port.plugged())
        return;
    if (garbleNext && reply.size() > 1) {
        // A corrupted letter: the line keeps its shape but answers no request.
        reply[1] = reply[1] == 'Z' ? 'Y' : 'Z';
        garbleNext = false;
    }
    Clock::time_point at = std::max(requestEnd + delay, txBusyUntil);
    for (char c : reply) {
        if (!options.fast)
            at += byteTime;
        tx.push_back({at, c});
    }
    txBusyUntil = at;
}

void SimFrontend::sendDue(Clock::time_point now) {
    if (tx.empty() || tx.front().due > now)
        return;
    std::string chunk;
    while (!tx.empty() && tx.front().due <= now) {
        chunk += tx.front().byte;
        tx.pop_front();
    }
    if (!port.plugged())
        return;
    const ssize_t written = ::write(port.masterFd(), chunk.data(), chunk.size());
    if (written > 0)
        bytesSent += std::uint64_t(written);
    // A program that does not read lets the terminal buffer fill: the bytes are lost, as
    // on a real line.
    bytesDropped += chunk.size() - std::size_t(std::max<ssize_t>(written, 0));
    if (tx.empty()) {
        awaitingRequest = true;
        lastReplyEnd = Clock::now();
    }
}

std::string SimFrontend::statsLine() const {
    std::string out = "ok stats";
    for (std::size_t i = 0; i < requestNames.size(); ++i)
        out += " " + std::string(requestNames[i]) + "=" + std::to_string(requestCounts[i]);
    out += " unknown=" + std::to_string(unknownRequests);
    out += " rx_bytes=" + std::to_string(bytesReceived);
    out += " tx_bytes=" + std::to_string(bytesSent);
    out += " dropped_bytes=" + std::to_string(bytesDropped);
    out += " rx_dropped_bytes=" + std::to_string(rxDropped);
    out += " turnaround_samples=" + std::to_string(turnaroundsUs.size());
    out += " turnaround_median_us=" + std::to_string(percentile(turnaroundsUs, 0.5));
    out += " turnaround_p90_us=" + std::to_string(percentile(turnaroundsUs, 0.9));
    return out;
}

void SimFrontend::resetStats() {
    requestCounts.fill(0);
    unknownRequests = bytesReceived = bytesSent = bytesDropped = rxDropped = 0;
    turnaroundsUs.clear();
    awaitingRequest = false;
}

void SimFrontend::handleControl(const std::string& rawLine) {
    std::string line = rawLine;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    line.erase(0, line.find_first_not_of(" \t"));
    if (line.empty() || line[0] == '#')
        return;

    const auto now = Clock::now();
    panel.advanceTo(modelMs(now));
    if (auto answer = applyControl(panel, line)) {
        say(*answer);
        return;
    }

    char arg[64] = {};
    long number = 0;
    if (line == "silent on" || line == "silent off") {
        silent = line == "silent on";
        if (silent) {
            rx.clear();
            tx.clear();
            panel.dropPartialRequest();
        }
        say("ok " + line);
    } else if (std::sscanf(line.c_str(), "noise %ld%63s", &number, arg) == 1 && number >= 0 &&
               number <= 100000) {
        std::string bytes;
        for (long i = 0; i < number; ++i)
            bytes += char(random() & 0xFF);
        queueReply(std::move(bytes), now);
        say("ok noise " + std::to_string(number));
    } else if (line == "garble") {
        garbleNext = true;
        say("ok garble");
    } else if (std::sscanf(line.c_str(), "delay %ld%63s", &number, arg) == 1 && number >= 0 &&
               number <= 600000) {
        delay = std::chrono::milliseconds(number);
        say("ok delay " + std::to_string(number));
    } else if (line == "unplug") {
        if (!port.plugged()) {
            say("error already unplugged");
            return;
        }
        port.unplug();
        rx.clear();
        tx.clear();
        panel.dropPartialRequest();
        previousByte = 0;
        awaitingRequest = false;
        say("ok unplug");
    } else if (line == "plug") {
        std::string error;
        if (!port.plug(error)) {
            say("error " + error);
            return;
        }
        rxWireFree = txBusyUntil = {};
        say("COM" + std::to_string(options.com) + " -> " + port.terminalName());
    } else if (line == "stats") {
        say(statsLine());
    } else if (line == "stats reset") {
        resetStats();
        say("ok stats reset");
    } else if (line == "quit") {
        say("ok quit");
        quit = true;
    } else {
        say("error unknown command: " + line);
    }
}

} // namespace tq820sim
