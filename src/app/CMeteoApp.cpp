#include "app/CMeteoApp.h"

#include "app/CMeteoDlg.h"
#include "app/ModalDismisser.h"
#include "display/CValueTile.h"
#include "link/TerminationSignals.h"
#include "settings/SettingsStore.h"
#include "widgets/PolishMessageBox.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QScreen>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <QUrl>
#include <cstdio>

namespace {

// The help page ships inside the program; the system viewer needs a file.
QString extractHelpPage() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    if (!QDir().mkpath(dir)) {
        return {};
    }
    const QString path = dir + QStringLiteral("/tq820-pomoc.html");
    QFile source(QStringLiteral(":/tq820/help/pomoc.html"));
    QFile target(path);
    if (!source.open(QIODevice::ReadOnly) ||
        !target.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return {};
    }
    const QByteArray page = source.readAll();
    if (target.write(page) != page.size()) {
        return {};
    }
    return path;
}

void openHelp(QWidget* parent) {
    const QString path = extractHelpPage();
    if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        PolishMessageBox::inform(parent, QStringLiteral("Nie można otworzyć pomocy programu."),
                                 QMessageBox::Warning);
    }
}

void uninstallProgram(QWidget* parent, const std::function<bool()>& uninstall) {
    if (!PolishMessageBox::ask(parent, QStringLiteral("Na pewno chcesz odinstalować program?"),
                               QMessageBox::Warning)) {
        return;
    }
    if (uninstall && uninstall()) {
        PolishMessageBox::inform(parent, QStringLiteral("Operacja została zakończona sukcesem"));
    } else {
        PolishMessageBox::inform(parent, QStringLiteral("Nie udało się usunąć ustawień programu."),
                                 QMessageBox::Warning);
    }
}

// Closes whatever modal box or dialog is open, and any that start-up opens
// afterwards (answering each with its cancel path), and then the main window,
// as if the user had done it.
void closeEverything(ModalDismisser& dismisser, CMeteoDlg& dlg) {
    dismisser.dismissAll(&dlg);
    dlg.close();
}

} // namespace

void loadWindowSettings(RegistryStore& store, CMeteoDlg& dlg) {
    std::array<TileStyle, 5> styles = dlg.tileStyles();
    loadSettings(store, dlg.settings(), styles);
    dlg.setTileStyles(styles);
}

void connectProgramCommands(CMeteoDlg& dlg, std::function<bool()> uninstall) {
    QObject::connect(&dlg, &CMeteoDlg::helpRequested, &dlg, [&dlg] { openHelp(&dlg); });
    QObject::connect(
        &dlg, &CMeteoDlg::uninstallRequested, &dlg,
        [&dlg, uninstall = std::move(uninstall)] { uninstallProgram(&dlg, uninstall); });
}

void saveWindowSettings(RegistryStore& store, CMeteoDlg& dlg) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen != nullptr ? screen->size() : QSize(0, 0);
    saveSettings(store, dlg.settings(), dlg.tileStyles(), size.width(), size.height());
}

CMeteoApp::CMeteoApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(QStringLiteral("Velmor"));
    setApplicationName(QStringLiteral("TQ820"));
    setApplicationVersion(QStringLiteral("1.03"));
    // Ties the window to its desktop entry, whose icon the desktop then shows for it.
    setDesktopFileName(QStringLiteral("pl.velmor.tq820"));
    // The run ends when the main window closes, not when the last window of
    // any kind does.
    setQuitOnLastWindowClosed(false);
}

void CMeteoApp::installPolishTranslation() {
    // Qt's own dialogs (colour, font, file) in Polish, when the translation is installed.
    if (qtTranslator.load(QStringLiteral("qtbase_pl"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(&qtTranslator);
    }
}

int CMeteoApp::RunProgram() {
    // First of all, so that a request to end during start-up (even while the
    // port is being asked for) still ends the normal way.
    TerminationSignals termination;
    installPolishTranslation();

    std::unique_ptr<RegistryStore> store = makePlatformRegistryStore();
    CMeteoDlg dlg;
    loadWindowSettings(*store, dlg);
    connectProgramCommands(dlg, [&store] { return uninstallSettings(*store); });

    bool closed = false;
    connect(&dlg, &CMeteoDlg::closed, this, [this, &closed] {
        closed = true;
        quit(); // also ends a message box's loop that may still be open
    });
    connect(&termination, &TerminationSignals::terminationRequested, &dlg,
            [this, &dlg] { closeEverything(dismisser, dlg); });

    dlg.initialise();
    if (!closed) {
        dlg.show();
        dlg.raise();
        dlg.activateWindow();
        scheduleScreenshot(dlg);
        exec();
    }

    saveWindowSettings(*store, dlg);
    return 0;
}

// For the demo on a machine without a display: TQ820_SCREENSHOT_FILE names a
// PNG that receives the window after TQ820_SCREENSHOT_AFTER_MS milliseconds
// (default 4000); the status line and the tiles' texts go to standard output,
// then the window closes as if the user had closed it.
void CMeteoApp::scheduleScreenshot(CMeteoDlg& dlg) {
    const QString file = qEnvironmentVariable("TQ820_SCREENSHOT_FILE");
    if (file.isEmpty()) {
        return;
    }
    bool ok = false;
    int delay = qEnvironmentVariableIntValue("TQ820_SCREENSHOT_AFTER_MS", &ok);
    if (!ok || delay < 0) {
        delay = 4000;
    }
    QTimer::singleShot(delay, &dlg, [this, &dlg, file] {
        QTextStream out(stdout);
        if (!dlg.grab().save(file, "PNG")) {
            out << "Nie można zapisać zrzutu ekranu: " << file << Qt::endl;
        }
        out << "Wiersz stanu: " << dlg.statusLine()->text() << Qt::endl;
        for (Quantity q : kAllQuantities) {
            const CValueTile* t = dlg.tile(q);
            if (t->isVisible()) {
                out << t->caption() << ": " << t->displayText() << Qt::endl;
            }
        }
        closeEverything(dismisser, dlg);
    });
}
