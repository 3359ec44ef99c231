// Reading the settings file at its size limit (1 MiB) whatever it holds: the
// start-up waits for it before the window appears, so it must stay far below
// a second. Each case is a whole file; the figure is the time to parse it,
// and for the last case to load every setting from it through the file store.
#include "settings/RegFileStore.h"
#include "settings/SettingsStore.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace {

const std::string kKey = std::string("HKEY_CURRENT_USER\\") + kSettingsKeyPath;
const std::string kHead = "REGEDIT4\r\n\r\n[" + kKey + "]\r\n";
constexpr std::size_t kSize = RegFileStore::kMaxFileSize;

// Repeats `line` after the header until the file is 1 MiB.
std::string fill(const std::string& first, const std::string& line) {
    std::string text = kHead + first;
    while (text.size() + line.size() <= kSize) {
        text += line;
    }
    text.resize(kSize, '\n');
    return text;
}

std::string fileOf(int kind) {
    switch (kind) {
    case 0: // an unreadable name line continued by lines of a lone backslash
        return fill("\"X\"=" + std::string(50'000, '=') + "hex:01,\\\n", "\\\n");
    case 1: // one binary value over lines of one byte each
        return fill("\"BIG\"=hex:", "a5,\\\n");
    case 2: { // random bytes after the header
        std::mt19937 rng(20260108);
        std::string text = kHead;
        while (text.size() < kSize) {
            text += static_cast<char>(rng() & 0xFF);
        }
        return text;
    }
    case 3: { // distinct numbers and texts
        std::string text = kHead;
        for (int i = 0; text.size() < kSize - 64; ++i) {
            char line[64];
            std::snprintf(line, sizeof line,
                          "\"V%07d\"=dword:%08x\r\n\"T%07d\"=\"a\\\\b \\\"c\\\"\"\r\n", i,
                          static_cast<unsigned>(i), i);
            text += line;
        }
        return text;
    }
    case 4: // one name given over and over
        return fill("", "\"PORT_NR\"=dword:00000009\r\n");
    default: // one very long text line
        return kHead + "\"FILE_NAME\"=\"" + std::string(kSize - kHead.size() - 16, 'n') + "\"\r\n";
    }
}

const char* const kNames[] = {"continued_name_line", "continued_hex_value", "random_bytes",
                              "distinct_values",     "one_name_repeated",   "one_long_text"};

void parseFile(benchmark::State& state) {
    const std::string text = fileOf(static_cast<int>(state.range(0)));
    state.SetLabel(kNames[state.range(0)]);
    for (auto _ : state) {
        auto entries = regfile::parse(text, kKey);
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(parseFile)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// The whole start-up read: open the file, read it, look up all 45 settings.
void loadSettingsFromFile(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tq820-settings-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "Velmor");
    std::ofstream(dir / "Velmor" / "TQ820v1.0.reg", std::ios::binary) << fileOf(3);
    for (auto _ : state) {
        RegFileStore store(dir);
        AppSettings settings;
        std::array<TileStyle, 5> styles{};
        loadSettings(store, settings, styles);
        benchmark::DoNotOptimize(settings.portNumber);
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(loadSettingsFromFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
