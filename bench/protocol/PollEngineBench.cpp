// The core's cost of the regular cycle: reply bytes in through onByte, the
// parse, the choice of the next state and the next request out to a host that
// does nothing. Reported per reply line.
#include "protocol/PanelData.h"
#include "protocol/PollEngine.h"
#include "protocol/PollHost.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>

namespace {

class NullHost : public PollHost {
public:
    std::uint64_t bytesSent = 0;

    void sendBytes(const std::uint8_t* data, int count) override {
        benchmark::DoNotOptimize(data);
        bytesSent += static_cast<std::uint64_t>(count);
    }
    void restartPollTimer() override {}
    void startConfirmationTimer(ConfirmationTimer) override {}
    void updateStatus(bool) override {}
    void showMessage(const std::string&) override {}
    void askQuestion(const std::string&, std::function<void(bool)>) override {}
};

// Replies of one cycle K A V H P T with a TQ-232 and a TQ-264 attached, in the
// order the engine asks for them.
const std::string kCycle = "xK00000005\r\n"
                           "xA270\r\n"
                           "xV0123\r\n"
                           "xH0456\r\n"
                           "xP10132\r\n"
                           "xT-0053\r\n";
constexpr int kLinesPerCycle = 6;

void regularCycle(benchmark::State& state) {
    PanelData data;
    NullHost host;
    PollEngine engine(data, host);
    engine.start();
    for (auto _ : state) {
        for (const char c : kCycle) {
            engine.onByte(static_cast<std::uint8_t>(c));
        }
    }
    if (engine.pollState() != READ_STATUS) {
        state.SkipWithError("the cycle went out of step");
    }
    benchmark::DoNotOptimize(data.temperature);
    // Seconds per reply line (shown with an SI prefix, e.g. "58n" = 58 ns).
    state.counters["time_per_line"] = benchmark::Counter(
        static_cast<double>(kLinesPerCycle),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["bytes_out_per_line"] =
        static_cast<double>(host.bytesSent) /
        (static_cast<double>(state.iterations()) * kLinesPerCycle + 1.0);
}
BENCHMARK(regularCycle);

} // namespace

BENCHMARK_MAIN();
