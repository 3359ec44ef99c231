// The reference for the memory download figure: the fastest client this
// machine allows. It reads the panel memory from address 2 up, one "ER"
// request per byte, with nothing between a reply's line end and the next
// request but a read and a write, until the end marker 0xFF.
//
// Usage: tq820_memory_wire_client <port device or link>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

char offsetHex(int nibble) {
    return static_cast<char>(0x30 + (nibble & 0x0F));
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <port>\n", argv[0]);
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

    // The tail of a reply to an earlier client may still be on its way.
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

    const auto start = std::chrono::steady_clock::now();
    long bytesOnWire = 0;
    int stored = 0;
    for (int address = 2; address <= 4095; ++address) {
        const char request[] = {
            'E',  'R', offsetHex(address >> 8), offsetHex(address >> 4), offsetHex(address),
            '\r', '\n'};
        if (write(fd, request, sizeof request) != static_cast<ssize_t>(sizeof request)) {
            std::perror("write");
            return 1;
        }
        bytesOnWire += sizeof request;
        std::string line;
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 1500) <= 0) {
                std::fprintf(stderr, "no reply at address %d\n", address);
                return 1;
            }
            char c = 0;
            if (read(fd, &c, 1) != 1) {
                return 1;
            }
            line += c;
            if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) {
                break;
            }
        }
        bytesOnWire += static_cast<long>(line.size());
        ++stored;
        // "#ERhh": the byte in two offset-hex digits.
        const int byte = line.size() == 7 ? ((line[3] - 0x30) << 4 | (line[4] - 0x30)) : -1;
        if (byte == 0xFF) {
            break;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(fd);
    // Each byte takes 10 bit times at 9600 baud (8N1).
    std::printf("stored=%d bytes_on_wire=%ld seconds=%.3f efficiency=%.4f\n", stored, bytesOnWire,
                seconds, bytesOnWire * 10.0 / 9600.0 / seconds);
    return 0;
}
