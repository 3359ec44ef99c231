// The cost of the chart window while the program polls: the main window of
// TQ820 in this process on the port COMn of a private configuration folder,
// its CPU time over a number of seconds with the chart window closed, then
// the same with "Widok" -> "Wykresy" open on the last hour and following the
// readings, in one run. Prints both and their ratio.
//
// Usage: tq820_chart_probe <COM number> <seconds>

#include "app/CMeteoDlg.h"
#include "charts/CChartWnd.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <COM number> <seconds>\n", argv[0]);
        return 2;
    }
    const int seconds = QString::fromLocal8Bit(argv[2]).toInt();
    CMeteoDlg window;
    window.settings().portNumber = QString::fromLocal8Bit(argv[1]).toInt();
    window.settings().chartRange = static_cast<int>(ChartRange::LastHour);
    window.initialise();
    window.show();

    enum class Phase { Waiting, Closed, Open } phase = Phase::Waiting;
    QElapsedTimer clock;
    double cpuStart = 0.0;
    double closedRatio = 0.0;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        switch (phase) {
        case Phase::Waiting:
            if (window.statusLine()->text().startsWith(QStringLiteral("Urządzenia"))) {
                phase = Phase::Closed;
                clock.start();
                cpuStart = cpuSeconds();
            }
            return;
        case Phase::Closed:
            if (clock.elapsed() >= seconds * 1000) {
                closedRatio = (cpuSeconds() - cpuStart) / (clock.nsecsElapsed() / 1e9);
                window.findChild<QAction*>(QStringLiteral("actionCharts"))->trigger();
                phase = Phase::Open;
                clock.start();
                cpuStart = cpuSeconds();
            }
            return;
        case Phase::Open:
            if (clock.elapsed() >= seconds * 1000) {
                const double open = (cpuSeconds() - cpuStart) / (clock.nsecsElapsed() / 1e9);
                std::printf("cpu_closed=%.4f cpu_open=%.4f rows=%zu\n", closedRatio, open,
                            window.chartWindow()->rows().size());
                app.quit();
            }
            return;
        }
    });
    check.start(50);
    QTimer::singleShot((2 * seconds + 60) * 1000, &app, &QApplication::quit);
    return app.exec();
}
