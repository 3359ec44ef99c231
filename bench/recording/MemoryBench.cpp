// The panel memory at its largest: a full 4096-byte memory of pressure
// records, 2044 of them. Decoding it should take well under 1 ms, filling the
// list of "Pamięć" under 50 ms and exporting it to a file under 20 ms.
#include "protocol/MemoryDecoder.h"
#include "recording/CMemoryDlg.h"
#include "recording/CSaveAsDlg.h"
#include "recording/MemoryExport.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <vector>

namespace {

// One block of pressure records (two bytes each, the smallest), the end
// marker as the 4096th byte.
std::vector<std::uint8_t> fullMemory() {
    std::vector<std::uint8_t> memory{0xF0, 0x00, 0x00, 0x01, 0x31, 0x01};
    for (int i = 0; memory.size() + 2 < 4096; ++i) {
        memory.push_back(static_cast<std::uint8_t>(0x27 + (i % 3)));
        memory.push_back(static_cast<std::uint8_t>(i % 128));
    }
    memory.resize(4095, 0x00);
    memory.push_back(0xFF);
    return memory;
}

void BM_DecodeFullMemory(benchmark::State& state) {
    const auto memory = fullMemory();
    std::size_t records = 0;
    for (auto _ : state) {
        const auto decoded = decodeMemory(memory.data(), static_cast<int>(memory.size()));
        records = decoded.size();
        benchmark::DoNotOptimize(decoded.data());
    }
    state.counters["records"] = double(records);
}
BENCHMARK(BM_DecodeFullMemory)->Unit(benchmark::kMicrosecond);

// From the end marker to the list on the screen: decoding, the model and the
// view's first layout and paint.
void BM_FillList(benchmark::State& state) {
    const auto memory = fullMemory();
    MemoryDownload download;
    CMemoryDlg dialog(download);
    std::size_t records = 0;
    for (auto _ : state) {
        state.PauseTiming();
        download.Reset();
        dialog.startReading();
        for (std::uint8_t b : memory) {
            download.AppendByte(b);
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();
        dialog.DecodeMemory();
        QCoreApplication::processEvents();
        state.PauseTiming();
        records = dialog.records().size();
        dialog.reject();
        state.ResumeTiming();
    }
    state.counters["records"] = double(records);
}
BENCHMARK(BM_FillList)->Unit(benchmark::kMillisecond);

// The export's OK: open, build every line, one write, flushed to the disk.
void BM_ExportToFile(benchmark::State& state) {
    const auto memory = fullMemory();
    const auto records = decodeMemory(memory.data(), static_cast<int>(memory.size()));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pamięć.csv"));
    CSaveAsDlg dialog(records);
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path); // no Tak/Nie question
        state.ResumeTiming();
        if (!dialog.exportRecords()) {
            state.SkipWithError("export failed");
            break;
        }
        state.PauseTiming();
        bytes = QFile(path).size();
        state.ResumeTiming();
    }
    state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_ExportToFile)->Unit(benchmark::kMillisecond);

// The lines alone, without the file.
void BM_ExportLines(benchmark::State& state) {
    const auto memory = fullMemory();
    const auto records = decodeMemory(memory.data(), static_cast<int>(memory.size()));
    for (auto _ : state) {
        benchmark::DoNotOptimize(MemoryExport::allLines(records, false));
    }
}
BENCHMARK(BM_ExportLines)->Unit(benchmark::kMicrosecond);

} // namespace
