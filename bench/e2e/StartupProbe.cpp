// Start-up benchmark: the time from starting TQ820 to its first request on the
// serial line, against the time from starting a bare Qt window to its first
// paint, both on the same display. The program gets a pseudo-terminal as its
// port COMn through a private configuration folder; the bare window reports
// its first paint on standard output.
//
// Usage: tq820_startup_probe <tq820> <bare_window> [runs]

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kCom = 41;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "tq820_startup_probe: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

pid_t spawn(const std::string& program, const std::string& configDir, int stdoutFd) {
    const pid_t pid = fork();
    if (pid < 0) {
        fail("fork");
    }
    if (pid == 0) {
        setenv("XDG_CONFIG_HOME", configDir.c_str(), 1);
        setenv("XDG_DATA_HOME", (configDir + "/data").c_str(), 1);
        if (stdoutFd >= 0) {
            dup2(stdoutFd, STDOUT_FILENO);
        }
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// Waits until fd has something to read; returns the elapsed milliseconds.
double waitReadable(int fd, Clock::time_point start, pid_t child) {
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, 10000);
        if (r > 0 && (p.revents & POLLIN) != 0) {
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        }
        int status = 0;
        if (r == 0 || waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "tq820_startup_probe: no output from the child\n");
            std::exit(1);
        }
    }
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

double programStart(const std::string& tq820, const fs::path& config) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        fail("pseudo-terminal");
    }
    const std::string slavePath = ptsname(master);
    // Held open so that the master does not report a hang-up before the program opens it.
    const int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    const fs::path link = config / "Velmor" / "ports" / ("COM" + std::to_string(kCom));
    fs::remove(link);
    fs::create_symlink(slavePath, link);

    const auto start = Clock::now();
    const pid_t pid = spawn(tq820, config.string(), -1);
    const double ms = waitReadable(master, start, pid);
    stop(pid);
    close(slave);
    close(master);
    return ms;
}

double bareStart(const std::string& bare, const fs::path& config) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        fail("pipe");
    }
    const auto start = Clock::now();
    const pid_t pid = spawn(bare, config.string(), pipeFds[1]);
    close(pipeFds[1]);
    const double ms = waitReadable(pipeFds[0], start, pid);
    stop(pid);
    close(pipeFds[0]);
    return ms;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 != 0 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <tq820> <bare_window> [runs]\n", argv[0]);
        return 2;
    }
    const std::string tq820 = argv[1];
    const std::string bare = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 9;

    char pattern[] = "/tmp/tq820-startup.XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        fail("mkdtemp");
    }
    const fs::path config = pattern;
    fs::create_directories(config / "Velmor" / "ports");
    {
        std::ofstream reg(config / "Velmor" / "TQ820v1.0.reg", std::ios::binary);
        char line[64];
        std::snprintf(line, sizeof line, "\"PORT_NR\"=dword:%08x\r\n", kCom);
        reg << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Velmor\\TQ820v1.0]\r\n" << line;
    }

    // One warm-up of each, so that both find the libraries in the page cache.
    programStart(tq820, config);
    bareStart(bare, config);
    std::vector<double> program;
    std::vector<double> bareWindow;
    for (int i = 0; i < runs; ++i) {
        program.push_back(programStart(tq820, config));
        bareWindow.push_back(bareStart(bare, config));
    }
    fs::remove_all(config);

    const double p = median(program);
    const double b = median(bareWindow);
    std::printf("startup_first_request_ms=%.1f (median of %d)\n", p, runs);
    std::printf("bare_window_first_paint_ms=%.1f (median of %d)\n", b, runs);
    std::printf("startup_ratio=%.2f (goal <= 1.5)\n", p / b);
    return p / b <= 1.5 ? 0 : 1;
}
