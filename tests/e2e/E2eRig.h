#pragma once

// What every end-to-end test starts from: a private configuration folder,
// tq820-sim on a COM number in it, and the main window in this process (or
// the real program as a child process) on that port, with the modal windows
// answered by a ModalAnswerer. One rig a test function: made in init(),
// dropped in cleanup().

#include "SimProcess.h"
#include "WindowTestSupport.h"
#include "app/CMeteoApp.h"
#include "app/CMeteoDlg.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <memory>

class E2eRig {
public:
    explicit E2eRig(int com) : com(com) {
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        qputenv("XDG_CACHE_HOME", config.filePath(QStringLiteral("cache")).toUtf8());
        qputenv("XDG_DATA_HOME", config.filePath(QStringLiteral("data")).toUtf8());
    }

    // Members end in reverse order: the answerer, the window, the simulator,
    // then the folder.
    const int com;
    QTemporaryDir config;
    SimProcess sim;
    std::unique_ptr<CMeteoDlg> window;
    ModalAnswerer answers;

    bool startSim(const QStringList& options = {}) {
        return config.isValid() && sim.start(config.path(), com, options);
    }

    // The window with these settings on the simulator's port, shown.
    bool showWindow(const AppSettings& settings = {}) {
        window = std::make_unique<CMeteoDlg>();
        window->settings() = settings;
        window->settings().portNumber = com;
        window->initialise();
        window->show();
        return QTest::qWaitForWindowExposed(window.get()) && window->port() != nullptr;
    }

    // The window over the settings in `store`, as the program starts it.
    bool runWindow(RegistryStore& store) {
        window = std::make_unique<CMeteoDlg>();
        loadWindowSettings(store, *window);
        window->initialise();
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    // The window closed as the program closes it, its settings saved.
    void closeWindow(RegistryStore& store) {
        window->close();
        saveWindowSettings(store, *window);
        window.reset();
    }

    // The settings as a previous run would have left them.
    static bool storeSettings(RegistryStore& store, AppSettings settings) {
        if (!store.Create(RegistryRoot::CurrentUser, kSettingsKeyPath)) {
            return false;
        }
        store.Close();
        std::array<TileStyle, 5> styles;
        for (Quantity q : kAllQuantities) {
            styles[quantityIndex(q)] = defaultTileStyle(q);
        }
        saveSettings(store, settings, styles, 1920, 1080);
        return true;
    }

    QString regFile() const { return config.filePath(QStringLiteral("Velmor/TQ820v1.0.reg")); }

    // A settings file with these values, as a previous run would have left it.
    bool writeRegFile(const QStringList& values) const {
        QDir().mkpath(config.filePath(QStringLiteral("Velmor")));
        QFile reg(regFile());
        const QString text =
            QStringLiteral("REGEDIT4\r\n\r\n"
                           "[HKEY_CURRENT_USER\\SOFTWARE\\Velmor\\TQ820v1.0]\r\n") +
            values.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        return reg.open(QIODevice::WriteOnly) && reg.write(text.toUtf8()) > 0;
    }
    // One value line of the settings file: "NAME"=dword:0000002a.
    static QString dword(const char* name, int value) {
        return QStringLiteral("\"%1\"=dword:%2")
            .arg(QLatin1String(name))
            .arg(value, 8, 16, QLatin1Char('0'));
    }

    QString readRegFile() const {
        QFile f(regFile());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

#ifdef TQ820_PROGRAM_PATH
    // The real program in the private folder, off screen; `extra` adds to
    // its environment.
    void startProgram(QProcess& program, const QProcessEnvironment& extra = {}) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), config.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("TQ820_SCREENSHOT_FILE"));
        env.insert(extra);
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(TQ820_PROGRAM_PATH), {});
    }
#endif
};
