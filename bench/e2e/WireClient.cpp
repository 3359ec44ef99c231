// The reference for the wire figures: the fastest client this machine allows,
// with nothing between a reply's line end and the next request but a read and
// a write.
//
//   tq820_wire_client <port> <seconds>
//       the regular cycle of a TQ-232 and a TQ-264 (K A V H P T) against the
//       simulator for the given time (window_e2e.sh)
//   tq820_wire_client --memory <port>
//       the panel memory from address 2 up, one "ER" request per byte, until
//       the end marker 0xFF (memory_e2e.sh)
//
// <port> is the port's device or link.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The port at 9600 baud, raw, with no reply of an earlier client left on it.
int openPort(const char* path) {
    const int fd = open(path, O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::perror(path);
        return -1;
    }
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    tcsetattr(fd, TCSANOW, &tio);
    // The tail of a reply to an earlier client may still be on its way: wait
    // for 200 ms of silence, or the first request would go out mid-reply.
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) {
            break;
        }
        char junk[64];
        if (read(fd, junk, sizeof junk) <= 0) {
            break;
        }
    }
    return fd;
}

bool sendRequest(int fd, const std::string& request) {
    const std::string line = request + "\r\n";
    if (write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        std::perror("write");
        return false;
    }
    return true;
}

// Reads up to a CR LF into `line`; false when 1500 ms pass without a byte.
bool readReply(int fd, std::string& line) {
    line.clear();
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        char c = 0;
        if (poll(&p, 1, 1500) <= 0 || read(fd, &c, 1) != 1) {
            return false;
        }
        line += c;
        if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
            return true;
        }
    }
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each byte takes 10 bit times at 9600 baud (8N1).
double efficiency(long bytes, double seconds) {
    return bytes * 10.0 / 9600.0 / seconds;
}

int runCycle(int fd, int seconds) {
    const char* const requests[] = {"K", "A", "V", "H", "P", "T"};
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::seconds(seconds);
    long replies = 0;
    long bytes = 0;
    std::string reply;
    for (int i = 0; std::chrono::steady_clock::now() < end; i = (i + 1) % 6) {
        if (!sendRequest(fd, requests[i])) {
            return 1;
        }
        // No reply: go on with the next request.
        replies += readReply(fd, reply) ? 1 : 0;
        bytes += 3 + static_cast<long>(reply.size());
    }
    const double elapsed = secondsSince(start);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                       usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    std::printf("replies=%ld bytes=%ld seconds=%.3f efficiency=%.4f cpu=%.4f\n", replies, bytes,
                elapsed, efficiency(bytes, elapsed), cpu / elapsed);
    return 0;
}

char offsetHex(int nibble) {
    return static_cast<char>(0x30 + (nibble & 0x0F));
}

int runMemory(int fd) {
    const auto start = std::chrono::steady_clock::now();
    long bytes = 0;
    int stored = 0;
    std::string reply;
    for (int address = 2; address <= 4095; ++address) {
        const std::string request{'E', 'R', offsetHex(address >> 8), offsetHex(address >> 4),
                                  offsetHex(address)};
        if (!sendRequest(fd, request)) {
            return 1;
        }
        if (!readReply(fd, reply)) {
            std::fprintf(stderr, "no reply at address %d\n", address);
            return 1;
        }
        bytes += static_cast<long>(request.size() + 2 + reply.size());
        ++stored;
        // "#ERhh": the byte in two offset-hex digits.
        const int byte = reply.size() == 7 ? ((reply[3] - 0x30) << 4 | (reply[4] - 0x30)) : -1;
        if (byte == 0xFF) {
            break;
        }
    }
    const double elapsed = secondsSince(start);
    std::printf("stored=%d bytes_on_wire=%ld seconds=%.3f efficiency=%.4f\n", stored, bytes,
                elapsed, efficiency(bytes, elapsed));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    const bool memory = argc == 3 && std::strcmp(argv[1], "--memory") == 0;
    if (!memory && argc < 3) {
        std::fprintf(stderr, "usage: %s <port> <seconds>\n       %s --memory <port>\n", argv[0],
                     argv[0]);
        return 2;
    }
    const int fd = openPort(memory ? argv[2] : argv[1]);
    if (fd < 0) {
        return 1;
    }
    const int status = memory ? runMemory(fd) : runCycle(fd, std::atoi(argv[2]));
    close(fd);
    return status;
}
