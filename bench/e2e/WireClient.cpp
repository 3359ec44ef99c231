// The reference for the wire-efficiency figure: the fastest client this
// machine allows. It runs the regular cycle of a TQ-232 and a TQ-264
// (K A V H P T) against the simulator with nothing between a reply's line end
// and the next request but a read and a write, for the given time.
//
// Usage: tq820_wire_client <port device or link> <seconds>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <port> <seconds>\n", argv[0]);
        return 2;
    }
    const int fd = open(argv[1], O_RDWR | O_NOCTTY);
    if (fd < 0) {
        std::perror(argv[1]);
        return 1;
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

    const char letters[] = {'K', 'A', 'V', 'H', 'P', 'T'};
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::seconds(std::atoi(argv[2]));
    long replies = 0;
    long bytes = 0;
    for (int i = 0; std::chrono::steady_clock::now() < end; i = (i + 1) % 6) {
        const char request[] = {letters[i], '\r', '\n'};
        if (write(fd, request, sizeof request) != static_cast<ssize_t>(sizeof request)) {
            std::perror("write");
            return 1;
        }
        bytes += sizeof request;
        char previous = 0;
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 1500) <= 0) {
                break; // no reply: go on with the next request
            }
            char c = 0;
            if (read(fd, &c, 1) != 1) {
                break;
            }
            ++bytes;
            if (previous == '\r' && c == '\n') {
                ++replies;
                break;
            }
            previous = c;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(fd);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                       usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
    // Each byte takes 10 bit times at 9600 baud (8N1).
    std::printf("replies=%ld bytes=%ld seconds=%.3f efficiency=%.4f cpu=%.4f\n", replies, bytes,
                seconds, bytes * 10.0 / 9600.0 / seconds, cpu / seconds);
    return 0;
}
