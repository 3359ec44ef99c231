#include "app/CMeteoDlg.h"

#include "app/Artwork.h"
#include "app/CAboutDlg.h"
#include "app/ChartCommands.h"
#include "app/WindowLayout.h"
#include "charts/CChartWnd.h"
#include "charts/TileDetails.h"
#include "display/CColorsDlg.h"
#include "display/CFontsDlg.h"
#include "display/CValueTile.h"
#include "widgets/PolishMessageBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QWindow>

namespace {

struct TileSetup {
    Quantity quantity;
    int kind;
    const char* caption;
    const char* objectName;
};

// Kinds and captions, in the order the tiles are configured at start-up.
constexpr std::array<TileSetup, 5> kTileSetup{{
    {Quantity::TEMP, 3, "Temperatura", "tile_TEMP"},
    {Quantity::PRESS, 5, "Ciśnienie", "tile_PRESS"},
    {Quantity::RH, 7, "Wilgotność względna", "tile_RH"},
    {Quantity::SPEED, 6, "Prędkość", "tile_SPEED"},
    {Quantity::ORIENT, 4, "Kierunek", "tile_ORIENT"},
}};

// Value fonts are rebuilt in this order.
constexpr std::array<Quantity, 5> kFontOrder{Quantity::TEMP, Quantity::RH, Quantity::PRESS,
                                             Quantity::SPEED, Quantity::ORIENT};

WindowRect toWindowRect(const QRect& r) {
    return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

} // namespace

CMeteoDlg::CMeteoDlg(QWidget* parent)
    : QMainWindow(parent), panelAdmin(this, panelLink.data(), panelLink.engine()),
      recorder(
          appSettings, panelLink.data(), [this] { return panelLink.linkUp(); }, this) {
    initTq820Resources();
    setObjectName(QStringLiteral("meteoDlg"));
    setWindowTitle(QStringLiteral("TQ820"));
    setWindowIcon(applicationIcon());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    statusEdit = new QLineEdit(client);
    statusEdit->setObjectName(QStringLiteral("statusLine"));
    statusEdit->setReadOnly(true);
    statusEdit->setAccessibleName(QStringLiteral("Wiersz stanu"));

    for (Quantity q : kAllQuantities) {
        auto* t = new CValueTile(client);
        t->setStyle(defaultTileStyle(q));
        tiles[quantityIndex(q)] = t;
    }
    for (const TileSetup& s : kTileSetup) {
        tile(s.quantity)->setObjectName(QString::fromLatin1(s.objectName));
    }
    // Until the first layout the controls sit roughly where the window
    // template had them.
    statusEdit->setGeometry(10, 10, 580, 21);
    tile(Quantity::SPEED)->setGeometry(12, 34, 276, 90);
    tile(Quantity::ORIENT)->setGeometry(312, 34, 276, 98);
    tile(Quantity::PRESS)->setGeometry(10, 166, 276, 98);
    tile(Quantity::RH)->setGeometry(312, 168, 276, 98);
    tile(Quantity::TEMP)->setGeometry(10, 299, 276, 90);

    createMenus();

    connect(&panelLink, &PanelLink::statusUpdated, this, &CMeteoDlg::applyStatus);
    connect(&panelLink, &PanelLink::statusTextChanged, this, &CMeteoDlg::showStatusText);
    connect(&panelLink, &PanelLink::messageRaised, this,
            [this](const QString& text) { PolishMessageBox::inform(this, text); });
    connect(&panelLink, &PanelLink::questionRaised, this,
            [this](const QString& text, const std::function<void(bool)>& answer) {
                const bool yes = PolishMessageBox::ask(this, text);
                if (answer) {
                    answer(yes);
                }
            });
    connect(&panelLink, &PanelLink::readingArrived, this, &CMeteoDlg::onReading);
    connect(&panelLink, &PanelLink::linkChanged, this, [this](bool up) {
        if (!up) {
            for (Quantity q : kAllQuantities) {
                tile(q)->setDetails({});
            }
        }
    });
    panelAdmin.setMemoryChartHandler([this](const std::vector<MemoryRecord>& records,
                                            const DateTimeRecord& downloadedAt) {
        showCharts();
        chartCommands.window()->showPanelRecords(CChartWnd::rowsOfMemory(records, downloadedAt));
    });
    connect(&recorder, &LiveRecorder::recordingChanged, this,
            [this] { panelLink.setRecordingInterval(recorder.intervalWhileRecording()); });
    connect(&panelLink, &PanelLink::readingArrived, &history, &MeasurementHistory::addReading);
    panelAdmin.onMemoryRecords([this](const std::vector<MemoryRecord>& records) {
        historyCommands.storeMemoryRecords(records);
    });

    // The client area's resizes drive the layout.
    qApp->installEventFilter(this);
    resize(600, 400);
}

CMeteoDlg::~CMeteoDlg() {
    qApp->removeEventFilter(this);
    panelLink.stop();
}

void CMeteoDlg::createMenus() {
    auto addMenu = [this](const QString& text, const char* name) {
        QMenu* menu = menuBar()->addMenu(text);
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };
    auto addAction = [this](QMenu* menu, const char* text, const char* name, auto handler) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    QMenu* program = addMenu(QStringLiteral("&Program"), "menuProgram");
    addAction(program, "Importuj plik rejestracji…", "actionImportRecording",
              [this] { historyCommands.importRecordFile(); });
    addAction(program, "Odinstaluj", "actionUninstall", [this] { emit uninstallRequested(); });
    addAction(program, "Zamknij", "actionClose", [this] { close(); });

    QMenu* view = addMenu(QStringLiteral("&Widok"), "menuView");
    addAction(view, "Kolory", "actionColours", [this] { runColorsDialog(this, tilesInOrder()); });
    addAction(view, "Czcionki", "actionFonts", [this] { runFontsDialog(this, tilesInOrder()); });
    topmostAction =
        addAction(view, "Zawsze na wierzchu", "actionTopmost", [this] { toggleTopmost(); });
    // The check mark follows `topmost` (toggleTopmost sets it), not the click.
    topmostAction->setCheckable(true);
    view->addSeparator();
    addAction(view, "Wykresy", "actionCharts", [this] { showCharts(); });

    QMenu* options = addMenu(QStringLiteral("&Ustawienia"), "menuSettings");
    addAction(options, "Port szeregowy", "actionPort", [this] { choosePort(*this); });
    addAction(options, "Rejestracja do pliku", "actionRecording",
              [this] { recorder.configureRecording(); });
    addAction(options, "Historia pomiarów", "actionHistory", [this] {
        historyCommands.settingsDialog();
        chartCommands.setHistoryPath(history.path());
    });

    QMenu* panel = addMenu(QStringLiteral("Pa&nel"), "menuPanel");
    addAction(panel, "Informacje o panelu", "actionPanelInfo", [this] { panelAdmin.panelInfo(); });
    addAction(panel, "Data i czas", "actionDateTime", [this] { panelAdmin.dateTime(); });
    addAction(panel, "Reset", "actionReset", [this] { panelAdmin.reset(); });
    addAction(panel, "Tryb oszczędzania energii", "actionPowerSaving",
              [this] { panelAdmin.powerSaving(); });

    QMenu* memory = addMenu(QStringLiteral("Pa&mięć"), "menuMemory");
    addAction(memory, "Odczyt danych", "actionMemoryRead", [this] { panelAdmin.memoryRead(); });
    addAction(memory, "Usuń zawartość pamięci", "actionErase", [this] { panelAdmin.erase(); });
    addAction(memory, "Ustawienia rejestracji", "actionRecordingSettings",
              [this] { panelAdmin.recordingSettings(); });

    QMenu* help = addMenu(QStringLiteral("Pomo&c"), "menuHelp");
    QAction* helpAction = addAction(help, "Pomoc", "actionHelp", [this] { emit helpRequested(); });
    helpAction->setShortcut(QKeySequence::HelpContents);
    helpAction->setShortcutContext(Qt::ApplicationShortcut);
    addAction(help, "O programie", "actionAbout", [this] { showAbout(); });
}

std::array<CValueTile*, 5> CMeteoDlg::tilesInOrder() const {
    return {tile(Quantity::TEMP), tile(Quantity::RH), tile(Quantity::PRESS), tile(Quantity::SPEED),
            tile(Quantity::ORIENT)};
}

std::array<TileStyle, 5> CMeteoDlg::tileStyles() const {
    std::array<TileStyle, 5> styles;
    for (Quantity q : kAllQuantities) {
        styles[quantityIndex(q)] = tile(q)->style();
    }
    return styles;
}

void CMeteoDlg::setTileStyles(const std::array<TileStyle, 5>& styles) {
    for (Quantity q : kAllQuantities) {
        tile(q)->setStyle(styles[quantityIndex(q)]);
    }
}

void CMeteoDlg::initialise() {
    openPortAtStartup(*this);

    statusHeight = statusEdit->sizeHint().height();

    for (const TileSetup& s : kTileSetup) {
        CValueTile* t = tile(s.quantity);
        t->SetKind(s.kind, s.kind, true);
        t->setCaption(QString::fromUtf8(s.caption));
    }
    for (Quantity q : kFontOrder) {
        tile(q)->rebuildValueFont();
    }

    initializing = false;
    placeWindow();
    panelLink.updateStatus(false);

    // The stored value is inverted and toggled, so that it ends as exactly 0 or 1.
    appSettings.topmost = appSettings.topmost != 0 ? 0 : 1;
    toggleTopmost();

    // Before the first reading arrives.
    historyCommands.start();
    chartCommands.setHistoryPath(history.path());
    panelLink.start();
    recorder.resumeRecordingAtStartup();
}

void CMeteoDlg::placeWindow() {
    const WindowRect r = placementRect(appSettings.windowRect);
    framePlacement.place(QRect(r.left, r.top, r.width(), r.height()));
}

void CMeteoDlg::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!initializing) {
        framePlacement.shown();
    }
}

bool CMeteoDlg::eventFilter(QObject* watched, QEvent* event) {
    // Installed on the application, so it sees every event of the program:
    // look at the type first.
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == centralWidget()) {
            const QSize s = static_cast<QResizeEvent*>(event)->size();
            ResizeKind kind = ResizeKind::Restored;
            if (isMinimized()) {
                kind = ResizeKind::Minimized;
            } else if (isMaximized() || isFullScreen()) {
                kind = ResizeKind::Maximized;
            }
            onClientResized(kind, {s.width(), s.height()});
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMeteoDlg::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape that no control of the window took (the menu bar, an
    // open menu and the fields use them first) must never act on the window.
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        setFocus();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void CMeteoDlg::onClientResized(ResizeKind kind, ClientSize size) {
    const ResizeOutcome outcome =
        sizeTracker.onResize(kind, size, initializing, !isMinimized() && !isMaximized());
    if (outcome.storeWindowRect) {
        storeWindowRect();
    }
    if (outcome.runLayout) {
        layoutTiles(size);
    }
}

void CMeteoDlg::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    framePlacement.moved();
    if (WindowSizeTracker::storesRectOnMove(initializing, isMaximized() || isMinimized())) {
        storeWindowRect();
    }
}

void CMeteoDlg::storeWindowRect() {
    appSettings.windowRect = toWindowRect(frameGeometry());
}

void CMeteoDlg::layoutTiles(ClientSize size) {
    const WindowLayout layout =
        computeWindowLayout(size.width, size.height, layoutMargin(kDialogFrameWidth), statusHeight,
                            LayoutInputs::of(panelLink.connection()));

    const LayoutRect& s = layout.statusLine;
    statusEdit->setGeometry(s.x, s.y, s.width, s.height);
    for (const TilePlacement& p : layout.tiles) {
        CValueTile* t = tile(p.quantity);
        t->setGeometry(p.rect.x, p.rect.y, p.rect.width, p.rect.height);
        // Shown in its new place at once, not at the next paint cycle.
        if (t->isVisible()) {
            t->repaint();
        }
    }
}

void CMeteoDlg::toggleTopmost() {
    const bool on = appSettings.topmost == 0;
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (QWindow* native = windowHandle()) {
        // Only the stacking of the existing window changes: QWidget's own
        // setWindowFlags would hide, re-create and show it again.
        overrideWindowFlags(flags);
        native->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
    appSettings.topmost = on ? 1 : 0;
    topmostAction->setChecked(appSettings.topmost == 1);
}

void CMeteoDlg::showAbout() {
    CAboutDlg about(this);
    about.exec();
}

void CMeteoDlg::showStatusText(const QString& text) {
    statusEdit->setText(text);
    // Not while the user works in the menu bar or an open menu.
    if (!menuBar()->hasFocus() && QApplication::activePopupWidget() == nullptr) {
        tile(Quantity::TEMP)->setFocus();
    }
}

void CMeteoDlg::applyStatus(const StatusUpdate& update) {
    if (update.visibilityChanged) {
        for (Quantity q : kFontOrder) { // TEMP, RH, PRESS, SPEED, ORIENT
            tile(q)->setVisible(update.visible[quantityIndex(q)]);
        }
        // Repeat the last resize so that the tiles are arranged for the new set.
        onClientResized(sizeTracker.replayKind(), sizeTracker.replaySize());
    }
    if (update.textChanged) {
        showStatusText(QString::fromStdString(update.text));
    }
    for (const TileCommand& c : update.tiles) {
        CValueTile* t = tile(c.quantity);
        if (c.hasValue) {
            t->SetBlinking(c.blinking);
            t->SetValue(c.value);
        } else {
            t->SetNoData();
            t->SetBlinking(true);
        }
    }
}

void CMeteoDlg::onReading(const Reading& reading) {
    const TileDetails details = tileDetails(reading);
    for (Quantity q : kAllQuantities) {
        QStringList lines;
        for (const std::string& line : details[quantityIndex(q)]) {
            lines << QString::fromStdString(line);
        }
        tile(q)->setDetails(lines);
    }
    chartCommands.addReading(reading);
}

void CMeteoDlg::showCharts(std::optional<TimeSpan> span) {
    std::array<Colour, 5> text{};
    std::array<Colour, 5> background{};
    for (Quantity q : kAllQuantities) {
        text[quantityIndex(q)] = tile(q)->textColour();
        background[quantityIndex(q)] = tile(q)->backgroundColour();
    }
    chartCommands.setHistoryPath(history.path());
    chartCommands.show(text, background, span);
}

void CMeteoDlg::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (!event->isAccepted()) {
        return;
    }
    chartCommands.close();
    panelLink.stop();
    recorder.shutDown();
    historyCommands.shutDown();
    emit closed();
}
