// The program's memory download, timed: the main window of TQ820 in this
// process on the port COMn of a private configuration folder, from the menu
// command "Pamięć" -> "Odczyt danych" until the list is shown, with the same
// event loop the program runs. Prints the bytes stored and the seconds.
//
// Usage: tq820_memory_probe <COM number>

#include "app/CMeteoDlg.h"
#include "recording/CMemoryDlg.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <COM number>\n", argv[0]);
        return 2;
    }
    CMeteoDlg window;
    window.settings().portNumber = QString::fromLocal8Bit(argv[1]).toInt();
    window.initialise();
    window.show();

    QElapsedTimer clock;
    CMemoryDlg* dialog = nullptr;
    int status = 1;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (dialog == nullptr) {
            // Start once the panel is talking.
            if (!window.statusLine()->text().startsWith(QStringLiteral("Urządzenia"))) {
                return;
            }
            clock.start();
            window.findChild<QAction*>(QStringLiteral("actionMemoryRead"))->trigger();
            dialog = window.findChild<CMemoryDlg*>();
            return;
        }
        if (dialog->findChild<QTreeView*>()->isVisible()) {
            std::printf("stored=%zu records=%zu seconds=%.3f\n",
                        static_cast<std::size_t>(window.link().memoryDownload().size()),
                        dialog->records().size(), clock.nsecsElapsed() / 1e9);
            status = 0;
            app.quit();
        } else if (!dialog->isVisible()) {
            std::fprintf(stderr, "the download ended without a list\n");
            app.quit();
        }
    });
    // At most 5 ms late on a download of about a minute.
    check.start(5);
    QTimer::singleShot(300000, &app, &QApplication::quit);
    app.exec();
    return status;
}
