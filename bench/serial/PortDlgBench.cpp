// Opening "Port szeregowy" probes COM1 to COM1024 every time; on a machine with few
// ports that must stay well under 50 ms. Two pseudo-terminals stand for the ports.
#include "app/CPortDlg.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A private port folder with live pseudo-terminals linked as COM1 and COM5.
class FewPorts {
public:
    FewPorts() {
        qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
        const QString ports = dir.path() + QStringLiteral("/Velmor/ports");
        QDir().mkpath(ports);
        for (int n : {1, 5}) {
            const int master = posix_openpt(O_RDWR | O_NOCTTY);
            if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
                continue;
            masters.push_back(master);
            QFile::link(QString::fromLocal8Bit(ptsname(master)),
                        ports + QStringLiteral("/COM%1").arg(n));
        }
    }
    ~FewPorts() {
        for (int master : masters)
            ::close(master);
    }

private:
    QTemporaryDir dir;
    std::vector<int> masters;
};

void BM_UsablePorts(benchmark::State& state) {
    FewPorts ports;
    for (auto _ : state)
        benchmark::DoNotOptimize(usablePorts(0));
    state.counters["listed"] = double(usablePorts(0).size());
}
BENCHMARK(BM_UsablePorts)->Unit(benchmark::kMillisecond);

void BM_OpenPortDialog(benchmark::State& state) {
    FewPorts ports;
    for (auto _ : state) {
        CPortDlg dialog;
        dialog.setChosenPort(5);
        dialog.show(); // lists the ports
        benchmark::DoNotOptimize(dialog.findChild<QComboBox*>()->count());
        dialog.hide();
    }
}
BENCHMARK(BM_OpenPortDialog)->Unit(benchmark::kMillisecond);

} // namespace
