// tq820-sim as a process: its pseudo-terminal link, replies, control lines, unplugging,
// pacing and clean exit. Talks to it the way the program does, through the COMn link.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <random>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/tq820-sim-test-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

// Waits until fd is readable; false on time-out.
bool readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0;
}

class SimProcess {
public:
    // errorsToOutput: standard error joins standard output, for reading messages.
    SimProcess(const std::vector<std::string>& args, const fs::path& config,
               bool errorsToOutput = false) {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            std::abort();
        pid = ::fork();
        if (pid == 0) {
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            if (errorsToOutput)
                ::dup2(out[1], STDERR_FILENO);
            ::close(in[1]);
            ::close(out[0]);
            ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(TQ820_SIM_PATH)};
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv(TQ820_SIM_PATH, argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        toSim = in[1];
        fromSim = out[0];
    }
    ~SimProcess() {
        if (toSim >= 0)
            ::close(toSim);
        if (pid > 0 && !exited) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        ::close(fromSim);
    }

    // One line of standard output, without its newline; "" after 5 s or at the end.
    std::string readLine(int timeoutMs = 5000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (const auto eol = buffer.find('\n'); eol != std::string::npos) {
                std::string line = buffer.substr(0, eol);
                buffer.erase(0, eol + 1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 || !readable(fromSim, int(left.count())))
                return "";
            char chunk[512];
            const ssize_t got = ::read(fromSim, chunk, sizeof chunk);
            if (got <= 0)
                return "";
            buffer.append(chunk, std::size_t(got));
        }
    }

    std::string command(const std::string& line) {
        const std::string text = line + "\n";
        EXPECT_EQ(::write(toSim, text.data(), text.size()), ssize_t(text.size()));
        return readLine();
    }

    void closeStdin() {
        ::close(toSim);
        toSim = -1;
    }

    // Waits for the process to end (its standard output closes); the exit status or -1.
    int waitExit(int timeoutMs = 5000) {
        while (readable(fromSim, timeoutMs)) {
            char chunk[512];
            if (::read(fromSim, chunk, sizeof chunk) <= 0)
                break;
        }
        int status = 0;
        if (::waitpid(pid, &status, 0) != pid)
            return -1;
        exited = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    pid_t pid = -1;

private:
    int toSim = -1;
    int fromSim = -1;
    bool exited = false;
    std::string buffer;
};

// The program's side of the line.
class Port {
public:
    explicit Port(const fs::path& path) {
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            termios tio{};
            ::tcgetattr(fd, &tio);
            ::cfmakeraw(&tio);
            ::tcsetattr(fd, TCSANOW, &tio);
        }
    }
    ~Port() {
        if (fd >= 0)
            ::close(fd);
    }
    bool isOpen() const { return fd >= 0; }

    void send(const std::string& bytes) {
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }

    // Bytes up to and including the next CR LF (or `count` bytes); "" on time-out.
    std::string read(int timeoutMs = 2000, std::size_t count = 0) {
        std::string got;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        while (count ? got.size() < count
                     : got.size() < 2 || got.compare(got.size() - 2, 2, "\r\n") != 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0 || !readable(fd, int(left.count())))
                return count ? got : "";
            char c;
            const ssize_t n = ::read(fd, &c, 1);
            if (n <= 0)
                return got;
            got += c;
        }
        return got;
    }

    std::string ask(const std::string& request, int timeoutMs = 2000) {
        send(request + "\r\n");
        return read(timeoutMs);
    }

    int fd = -1;
};

struct Sim {
    explicit Sim(std::vector<std::string> args, int com = 7)
        : link(dir.path / "Velmor" / "ports" / ("COM" + std::to_string(com))) {
        args.insert(args.begin(), {"--com", std::to_string(com), "--clock", "2026-03-07 14:30:00"});
        process = std::make_unique<SimProcess>(args, dir.path);
        ready = process->readLine();
    }
    TempDir dir;
    fs::path link;
    std::unique_ptr<SimProcess> process;
    std::string ready;
};

} // namespace

TEST(SimFrontend, PublishesItsLinkAndAnswersRequests) {
    Sim sim({"--fast"});
    std::smatch m;
    ASSERT_TRUE(std::regex_match(sim.ready, m, std::regex("COM7 -> (/dev/pts/[0-9]+)")))
        << sim.ready;
    ASSERT_TRUE(fs::is_symlink(sim.link));
    EXPECT_EQ(fs::read_symlink(sim.link).string(), m[1].str());

    Port port(sim.link);
    ASSERT_TRUE(port.isOpen());
    const std::pair<const char*, const char*> exchanges[] = {
        {"K", "#K00000005\r\n"},
        {"F", "#F<9\r\n"},
        {"Q", "#Q0:\r\n"},
        {"O", "#O3014076"
              "3\r\n"},
        {"ER002", "#ER?0\r\n"},
        {"ER001", "#ER10\r\n"},
        {"N", "#N3039\r\n"},
        {"L", "#L4?<1\r\n"},
        {"I", "#I00\r\n"},
        {"J01", "#J\r\n"},
        {"I", "#I01\r\n"},
    };
    for (const auto& [request, reply] : exchanges)
        EXPECT_EQ(port.ask(request), reply) << request;
    EXPECT_EQ(port.ask("X", 200), "") << "an unknown request gets no reply";
    EXPECT_EQ(port.ask("K"), "#K00000005\r\n");
}

TEST(SimFrontend, ControlLinesScriptThePanel) {
    Sim sim({"--fast"});
    Port port(sim.link);
    ASSERT_TRUE(port.isOpen());
    auto& p = *sim.process;

    EXPECT_EQ(p.command("value temperature -5.3"), "ok value temperature -5.3");
    EXPECT_EQ(port.ask("T"), "#T-0053\r\n");
    EXPECT_EQ(p.command("ch1 none"), "ok ch1 none");
    EXPECT_EQ(port.ask("K"), "#K08000001\r\n");
    EXPECT_EQ(p.command("fault battery on"), "ok fault battery on");
    EXPECT_EQ(port.ask("K"), "#K08004001\r\n");
    EXPECT_EQ(port.ask("T"), "#T0000\r\n") << "no sensor, no temperature";
    EXPECT_EQ(p.command("firmware 2.00"), "ok firmware 2.00");
    EXPECT_EQ(port.ask("F"), "#F<8\r\n");
    EXPECT_EQ(p.command("memory empty"), "ok memory empty");
    EXPECT_EQ(port.ask("ER002"), "#ER??\r\n");
    EXPECT_EQ(p.command("state").rfind("ok state ch1=none ch2=tq264 firmware=2.00", 0), 0u);

    EXPECT_EQ(p.command("garble"), "ok garble");
    const std::string garbled = port.ask("K");
    EXPECT_EQ(garbled.size(), 12u);
    EXPECT_NE(garbled[1], 'K');
    EXPECT_EQ(port.ask("K"), "#K08004001\r\n") << "only one reply is garbled";

    EXPECT_EQ(p.command("noise 20"), "ok noise 20");
    EXPECT_EQ(port.read(2000, 20).size(), 20u);

    EXPECT_EQ(p.command("silent on"), "ok silent on");
    EXPECT_EQ(port.ask("K", 300), "");
    EXPECT_EQ(p.command("silent off"), "ok silent off");
    EXPECT_EQ(port.ask("K"), "#K08004001\r\n");

    EXPECT_EQ(p.command("delay 300"), "ok delay 300");
    const auto start = Clock::now();
    EXPECT_EQ(port.ask("K"), "#K08004001\r\n");
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(290));
    EXPECT_EQ(p.command("delay 0"), "ok delay 0");

    const std::string stats = p.command("stats");
    // Requests a silent panel did not hear are not counted.
    EXPECT_NE(stats.find(" K=6 "), std::string::npos) << stats;
    EXPECT_NE(stats.find(" T=2 "), std::string::npos) << stats;
    EXPECT_NE(stats.find(" ER=1 "), std::string::npos) << stats;
    EXPECT_TRUE(std::regex_search(
        stats, std::regex("turnaround_median_us=[0-9]+ turnaround_p90_us=[0-9]+$")))
        << stats;
    EXPECT_EQ(p.command("stats reset"), "ok stats reset");
    EXPECT_NE(p.command("stats").find(" K=0 "), std::string::npos);

    EXPECT_EQ(p.command("bogus"), "error unknown command: bogus");
    EXPECT_EQ(p.command("ch1 tq999").rfind("error", 0), 0u);
    EXPECT_EQ(p.command("noise lots").rfind("error", 0), 0u);
}

TEST(SimFrontend, TheProgramMayCloseAndReopenThePort) {
    Sim sim({"--fast"});
    for (int i = 0; i < 3; ++i) {
        Port port(sim.link);
        ASSERT_TRUE(port.isOpen());
        EXPECT_EQ(port.ask("K"), "#K00000005\r\n") << "opening " << i;
    }
    EXPECT_EQ(sim.process->command("state").rfind("ok state", 0), 0u) << "still alive";
}

TEST(SimFrontend, UnplugMakesThePortVanishAndPlugBringsItBack) {
    Sim sim({"--fast"});
    auto port = std::make_unique<Port>(sim.link);
    ASSERT_TRUE(port->isOpen());
    EXPECT_EQ(port->ask("K"), "#K00000005\r\n");

    EXPECT_EQ(sim.process->command("unplug"), "ok unplug");
    // The open descriptor hangs up, and the name no longer opens.
    pollfd pfd{port->fd, POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 2000), 1);
    EXPECT_TRUE(pfd.revents & (POLLHUP | POLLERR));
    char c;
    EXPECT_LE(::read(port->fd, &c, 1), 0);
    port.reset();
    EXPECT_FALSE(Port(sim.link).isOpen());
    EXPECT_EQ(sim.process->command("unplug"), "error already unplugged");

    const std::string again = sim.process->command("plug");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(again, m, std::regex("COM7 -> (/dev/pts/[0-9]+)"))) << again;
    EXPECT_EQ(fs::read_symlink(sim.link).string(), m[1].str());
    Port back(sim.link);
    ASSERT_TRUE(back.isOpen());
    EXPECT_EQ(back.ask("K"), "#K00000005\r\n");
}

TEST(SimFrontend, RemovesItsLinkWhenItEnds) {
    enum class End { Term, Interrupt, EndOfInput, Quit };
    for (End end : {End::Term, End::Interrupt, End::EndOfInput, End::Quit}) {
        Sim sim({"--fast"});
        ASSERT_TRUE(fs::is_symlink(sim.link));
        Port port(sim.link);
        ASSERT_EQ(port.ask("K"), "#K00000005\r\n");
        switch (end) {
        case End::Term:
            ::kill(sim.process->pid, SIGTERM);
            break;
        case End::Interrupt:
            ::kill(sim.process->pid, SIGINT);
            break;
        case End::EndOfInput:
            sim.process->closeStdin();
            break;
        case End::Quit:
            EXPECT_EQ(sim.process->command("quit"), "ok quit");
            break;
        }
        EXPECT_EQ(sim.process->waitExit(), 0) << int(end);
        EXPECT_FALSE(fs::is_symlink(fs::symlink_status(sim.link))) << int(end);
    }
}

TEST(SimFrontend, PacesRepliesAt9600Baud) {
    Sim sim({});
    Port port(sim.link);
    ASSERT_TRUE(port.isOpen());
    ASSERT_EQ(port.ask("K").size(), 12u); // warm-up
    const auto start = Clock::now();
    const std::string reply = port.ask("K");
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(reply, "#K00000005\r\n");
    // 3 request bytes in, 12 reply bytes out, 1.04 ms each.
    EXPECT_GE(elapsed, std::chrono::milliseconds(10));
}

TEST(SimFrontend, SurvivesGarbageFromTheProgram) {
    Sim sim({"--fast"});
    Port port(sim.link);
    ASSERT_TRUE(port.isOpen());
    std::mt19937 random(5);
    std::string garbage;
    for (int i = 0; i < 3000; ++i)
        garbage += char(random());
    port.send(garbage);
    port.send("\r\nF\r\n");
    // Random bytes may have formed requests of their own; the F reply must come through.
    std::string line;
    for (int i = 0; i < 100 && line != "#F<9\r\n"; ++i) {
        line = port.read();
        if (line.empty())
            break;
    }
    EXPECT_EQ(line, "#F<9\r\n");
    EXPECT_EQ(sim.process->command("state").rfind("ok state", 0), 0u);
}

TEST(SimFrontend, APurgedFloodDoesNotDelayThePacedPanel) {
    Sim sim({});
    Port port(sim.link);
    ASSERT_TRUE(port.isOpen());
    // Twenty seconds' worth of garbage at 9600 baud, then the purge the program does
    // before each request: the panel must answer at once, not after the backlog.
    const std::string garbage(20000, 'x');
    ASSERT_GT(::write(port.fd, garbage.data(), garbage.size()), 0);
    ::tcflush(port.fd, TCIOFLUSH);
    const auto start = Clock::now();
    EXPECT_EQ(port.ask("\r\nF", 3000), "#F<9\r\n");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
}

TEST(SimFrontend, StartUpProblemsAreReported) {
    {
        // A stale link from a crashed run is replaced.
        TempDir dir;
        const fs::path link = dir.path / "Velmor" / "ports" / "COM4";
        fs::create_directories(link.parent_path());
        fs::create_symlink("/dev/pts/999999", link);
        SimProcess p({"--com", "4", "--fast"}, dir.path);
        EXPECT_EQ(p.readLine().rfind("COM4 -> /dev/pts/", 0), 0u);
        EXPECT_NE(fs::read_symlink(link).string(), "/dev/pts/999999");
    }
    {
        // A file that is not a link is left alone and the simulator refuses to start.
        TempDir dir;
        const fs::path link = dir.path / "Velmor" / "ports" / "COM4";
        fs::create_directories(link.parent_path());
        {
            std::FILE* f = std::fopen(link.c_str(), "w");
            std::fputs("keep", f);
            std::fclose(f);
        }
        SimProcess p({"--com", "4"}, dir.path);
        EXPECT_NE(p.waitExit(), 0);
        EXPECT_TRUE(fs::is_regular_file(link));
    }
    for (const char* bad : {"--com", "--ch1", "--memory", "--clock"}) {
        TempDir dir;
        SimProcess p({bad, "nonsense"}, dir.path);
        EXPECT_EQ(p.waitExit(), 2) << bad;
    }
    // Factors the recording clock cannot hold are refused with the range.
    for (const char* factor : {"1e-300", "0.0001", "0", "2e6", "nan", "1e400"}) {
        TempDir dir;
        SimProcess p({"--speedup", factor, "--fast"}, dir.path, true);
        p.closeStdin();
        EXPECT_NE(p.readLine().find("--speedup wants a factor from 0.001 to 1000000"),
                  std::string::npos)
            << factor;
        EXPECT_EQ(p.waitExit(), 2) << factor;
    }
}

TEST(SimFrontend, HelpDocumentsOptionsAndControlLines) {
    TempDir dir;
    SimProcess p({"--help"}, dir.path);
    std::string text;
    for (int i = 0; i < 200 && text.find("Protocol:") == std::string::npos; ++i)
        text += p.readLine() + "\n";
    EXPECT_EQ(p.waitExit(), 0);
    for (const char* word :
         {"--com",   "--fast",    "--ch1",        "--ch2",  "--firmware", "--memory", "--seed",
          "--clock", "--speedup", "fault <name>", "silent", "noise",      "garble",   "delay",
          "unplug",  "plug",      "stats",        "state",  "memfull",    "nomodel"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
}
