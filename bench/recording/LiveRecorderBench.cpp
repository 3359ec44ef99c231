// The cost of one live-recording line on the user-interface thread: building
// it and writing it with its flush to the disk (writeRecordLine), reported as
// the median and the 99th percentile of single calls. The file lies in
// $TMPDIR (default /tmp); the flush dominates and depends on that disk.

#include "../Percentiles.h"
#include "settings/AppSettings.h"
#include "protocol/PanelData.h"
#include "recording/LiveRecorder.h"
#include "recording/RecordLine.h"

#include <QTemporaryDir>
#include <QWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

PanelData bothSensors() {
    PanelData d;
    d.ch1Present = d.modelTq232 = d.ch2Present = d.modelTq264 = 1;
    d.temperature = 21.5;
    d.pressure = 1013.2;
    d.humidity = 45.0;
    d.windSpeed = 3.4;
    d.windDirection = 270;
    return d;
}

void BM_WriteRecordLine(benchmark::State& state) {
    QTemporaryDir dir;
    AppSettings settings;
    settings.recordEnabled = 1;
    settings.recordCsv = static_cast<int>(state.range(0));
    settings.recordFileName = dir.filePath(QStringLiteral("pomiary.txt")).toStdString();
    const PanelData panel = bothSensors();
    QWidget window;
    LiveRecorder recorder(
        settings, panel, [] { return true; }, &window);
    recorder.resumeRecordingAtStartup(); // no event loop runs, so the timer never fires
    if (!recorder.fileOpen()) {
        state.SkipWithError("the file does not open");
        return;
    }
    std::vector<double> micros;
    micros.reserve(100000);
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        recorder.writeRecordLine();
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    if (recorder.linesLost() != 0) {
        state.SkipWithError("lines were lost");
    }
    reportPercentiles(state, micros);
}
BENCHMARK(BM_WriteRecordLine)->Arg(0)->Arg(1)->ArgName("csv")->Unit(benchmark::kMicrosecond);

// The same line without the disk: what the core spends building it.
void BM_BuildRecordLine(benchmark::State& state) {
    const PanelData panel = bothSensors();
    const DateTimeRecord stamp{2003, 5, 3, 14, 12, 0, 5, 0};
    for (auto _ : state) {
        benchmark::DoNotOptimize(RecordLine::data(RecordColumns{}, false, stamp, panel, true));
    }
}
BENCHMARK(BM_BuildRecordLine);

} // namespace
