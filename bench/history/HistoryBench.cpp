// The measurement history: the cost of storing one reading with its commit
// (median and 99th percentile of single calls, a minute row and its day's
// summary every sixtieth call as in a real run), what the window's thread
// spends on a reading before the writer thread takes over, and a generated
// year of minute rows with 48 hours of raw readings: the file's size,
// reading a week at minute resolution and the daily summaries of the year.
// The files lie in $TMPDIR (default /tmp).

#include "../Percentiles.h"
#include "history/HistoryDatabase.h"
#include "history/MeasurementHistory.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr std::int64_t kStart = 1'767'225'600; // 2026-01-01 00:00 UTC
constexpr std::int64_t kYearMinutes = 365 * 1440;

// Weather that changes: a daily swing and slow drifts, in tenths.
RawRow second(std::int64_t utc) {
    const double day = std::sin((utc % 86400) * 2 * std::numbers::pi / 86400);
    const double slow = std::sin(utc * 2 * std::numbers::pi / (86400 * 9.3));
    RawRow r;
    r.utc = utc;
    r.offset = 3600;
    r.values = {static_cast<std::int32_t>(80 + 60 * day + 40 * slow),
                static_cast<std::int32_t>(650 - 200 * day),
                static_cast<std::int32_t>(10130 + 80 * slow),
                static_cast<std::int32_t>(std::max(0.0, 35 + 30 * slow + 10 * day)),
                static_cast<std::int32_t>((2250 + static_cast<int>(900 * slow) + 3600) % 3600)};
    return r;
}

MinuteRow minute(std::int64_t utc) {
    const RawRow s = second(utc + 30);
    MinuteRow m;
    m.utc = utc;
    m.offset = s.offset;
    for (std::size_t i = 0; i < 5; ++i) {
        const std::int32_t v = *s.values[i];
        m.quantities[i] = {60, v - 3, v, v + 4};
    }
    m.directionAtMaxSpeed = s.values[4];
    return m;
}

// Storing one second's reading: one transaction with its commit.
void BM_StoreOneReading(benchmark::State& state) {
    QTemporaryDir dir;
    HistoryDatabase db;
    if (!db.open(dir.filePath(QStringLiteral("historia.sqlite")), HistoryDatabase::Mode::Write) ||
        !db.setWaitForTheDisk(state.range(0) != 0)) {
        state.SkipWithError("the history does not open");
        return;
    }
    std::vector<double> micros;
    std::int64_t utc = kStart;
    for (auto _ : state) {
        const RawRow row = second(utc);
        std::vector<std::int64_t> closed;
        if (utc % 60 == 0) {
            closed.push_back(utc - 60);
        }
        const auto start = std::chrono::steady_clock::now();
        const bool ok = db.write({&row, 1}, closed, utc - 48 * 3600);
        const auto end = std::chrono::steady_clock::now();
        if (!ok) {
            state.SkipWithError("a write failed");
            return;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        ++utc;
    }
    reportPercentiles(state, micros);
}
BENCHMARK(BM_StoreOneReading)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("wait_for_disk")
    ->Unit(benchmark::kMicrosecond);

// The window's thread: choosing the second's reading and handing it over.
void BM_ReadingOnTheWindowThread(benchmark::State& state) {
    QTemporaryDir dir;
    MeasurementHistory history;
    history.configure({true, dir.filePath(QStringLiteral("historia.sqlite")), 48});
    Reading reading;
    for (auto& v : reading.values) {
        v = {true, 12.3, false};
    }
    auto t = std::chrono::system_clock::now();
    for (auto _ : state) {
        reading.time = t;
        history.addReading(reading);
        t += std::chrono::milliseconds(77); // thirteen cycles a second
    }
    history.stop();
}
BENCHMARK(BM_ReadingOnTheWindowThread);

// A year of minute rows and 48 hours of raw readings, made once.
struct Year {
    QTemporaryDir dir;
    QString path;
    qint64 bytes = 0;
    double seconds = 0;

    Year() : path(dir.filePath(QStringLiteral("historia.sqlite"))) {
        const auto start = std::chrono::steady_clock::now();
        HistoryDatabase db;
        if (!db.open(path, HistoryDatabase::Mode::Write)) {
            return;
        }
        std::vector<MinuteRow> minutes;
        for (std::int64_t i = 0; i < kYearMinutes; ++i) {
            minutes.push_back(minute(kStart + i * 60));
        }
        int added = 0;
        if (!db.addMinutes(minutes, added)) {
            return;
        }
        std::vector<RawRow> raw;
        const std::int64_t end = kStart + kYearMinutes * 60;
        for (std::int64_t utc = end - 48 * 3600; utc < end; ++utc) {
            raw.push_back(second(utc));
            if (raw.size() == 3600) {
                db.write(raw, {}, 0);
                raw.clear();
            }
        }
        db.close();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        bytes = HistoryDatabase::fileSize(path);
    }
};

Year& year() {
    static Year y;
    return y;
}

void BM_YearFile(benchmark::State& state) {
    Year& y = year();
    for (auto _ : state) {
        benchmark::DoNotOptimize(y.bytes);
    }
    state.counters["file_mb"] = y.bytes / 1e6;
    state.counters["generated_s"] = y.seconds;
}
BENCHMARK(BM_YearFile)->Iterations(1);

void BM_WeekOfMinutes(benchmark::State& state) {
    HistoryDatabase db;
    if (!db.open(year().path, HistoryDatabase::Mode::Read)) {
        state.SkipWithError("the history does not open");
        return;
    }
    const std::int64_t from = kStart + 200 * 86400;
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = db.minuteRows(from, from + 7 * 86400).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_WeekOfMinutes)->Unit(benchmark::kMillisecond);

void BM_DaySummariesOfAYear(benchmark::State& state) {
    HistoryDatabase db;
    if (!db.open(year().path, HistoryDatabase::Mode::Read)) {
        state.SkipWithError("the history does not open");
        return;
    }
    std::size_t days = 0;
    for (auto _ : state) {
        days = db.daySummaries(dayNumber(kStart), dayNumber(kStart) + 365).size();
        benchmark::DoNotOptimize(days);
    }
    state.counters["days"] = static_cast<double>(days);
}
BENCHMARK(BM_DaySummariesOfAYear)->Unit(benchmark::kMillisecond);

// A day of raw readings, the finest a chart asks for.
void BM_DayOfRawReadings(benchmark::State& state) {
    HistoryDatabase db;
    if (!db.open(year().path, HistoryDatabase::Mode::Read)) {
        state.SkipWithError("the history does not open");
        return;
    }
    const std::int64_t end = kStart + kYearMinutes * 60;
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = db.rawRows(end - 86400, end).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_DayOfRawReadings)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
