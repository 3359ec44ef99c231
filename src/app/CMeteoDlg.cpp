#include "app/CMeteoDlg.h"

#include "app/Artwork.h"
#include "app/CAboutDlg.h"
#include "app/WindowLayout.h"
#include "display/CColorsDlg.h"
#include "display/CFontsDlg.h"
#include "display/CValueTile.h"
#include "recording/CMemoryDlg.h"
#include "link/CComPort.h"
#include "widgets/PolishMessageBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QStandardPaths>
#include <QUrl>
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

int timerIndex(ConfirmationTimer t) {
    return static_cast<int>(t);
}

WindowRect toWindowRect(const QRect& r) {
    return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

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

} // namespace

CMeteoDlg::CMeteoDlg(QWidget* parent)
    : QMainWindow(parent), engine(data, *this), panelAdmin(this, data, engine),
      recorder(
          appSettings, data, [this] { return engine.linkUp(); }, this) {
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

    // A coarse timer may fire up to 5 % early: a reply or an acknowledgement that
    // arrives inside the 1500 ms window must never be judged missing.
    pollTimer.setTimerType(Qt::PreciseTimer);
    pollTimer.setInterval(kPollPeriodMs);
    connect(&pollTimer, &QTimer::timeout, this, [this] { engine.onTick(); });
    for (int i = 0; i < static_cast<int>(confirmationTimers.size()); ++i) {
        QTimer& t = confirmationTimers[i];
        t.setSingleShot(true);
        t.setTimerType(Qt::PreciseTimer);
        t.setInterval(kConfirmationMs);
        connect(&t, &QTimer::timeout, this,
                [this, i] { engine.onConfirmationTimer(static_cast<ConfirmationTimer>(i)); });
    }
    connect(&recorder, &LiveRecorder::recordingChanged, this, [this] { refreshStatusText(); });

    // The client area's resizes drive the layout.
    qApp->installEventFilter(this);
    resize(600, 400);
}

CMeteoDlg::~CMeteoDlg() {
    qApp->removeEventFilter(this);
    shutDownLink();
}

void CMeteoDlg::createMenus() {
    auto addAction = [this](QMenu* menu, const char* text, const char* name, auto handler) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    QMenu* program = menuBar()->addMenu(QStringLiteral("&Program"));
    program->setObjectName(QStringLiteral("menuProgram"));
    addAction(program, "Odinstaluj", "actionUninstall", [this] { uninstall(); });
    addAction(program, "Zamknij", "actionClose", [this] { close(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&Widok"));
    view->setObjectName(QStringLiteral("menuView"));
    addAction(view, "Kolory", "actionColours", [this] { runColorsDialog(this, tilesInOrder()); });
    addAction(view, "Czcionki", "actionFonts", [this] { runFontsDialog(this, tilesInOrder()); });
    topmostAction =
        addAction(view, "Zawsze na wierzchu", "actionTopmost", [this] { toggleTopmost(); });
    // The check mark follows `topmost` (toggleTopmost sets it), not the click.
    topmostAction->setCheckable(true);

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Ustawienia"));
    options->setObjectName(QStringLiteral("menuSettings"));
    addAction(options, "Port szeregowy", "actionPort", [this] { choosePort(*this); });
    addAction(options, "Rejestracja do pliku", "actionRecording",
              [this] { recorder.configureRecording(); });

    QMenu* panel = menuBar()->addMenu(QStringLiteral("Pa&nel"));
    panel->setObjectName(QStringLiteral("menuPanel"));
    addAction(panel, "Informacje o panelu", "actionPanelInfo", [this] { panelAdmin.panelInfo(); });
    addAction(panel, "Data i czas", "actionDateTime", [this] { panelAdmin.dateTime(); });
    addAction(panel, "Reset", "actionReset", [this] { resetPanel(); });
    addAction(panel, "Tryb oszczędzania energii", "actionPowerSaving",
              [this] { panelAdmin.powerSaving(); });

    QMenu* memory = menuBar()->addMenu(QStringLiteral("Pa&mięć"));
    memory->setObjectName(QStringLiteral("menuMemory"));
    addAction(memory, "Odczyt danych", "actionMemoryRead", [this] { startMemoryRead(); });
    addAction(memory, "Usuń zawartość pamięci", "actionErase", [this] { eraseMemory(); });
    addAction(memory, "Ustawienia rejestracji", "actionRecordingSettings",
              [this] { panelAdmin.recordingSettings(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("Pomo&c"));
    help->setObjectName(QStringLiteral("menuHelp"));
    QAction* helpAction = addAction(help, "Pomoc", "actionHelp", [this] { openHelp(); });
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
    updateStatus(false);

    // The stored value is inverted and toggled, so that it ends as exactly 0 or 1.
    appSettings.topmost = appSettings.topmost != 0 ? 0 : 1;
    toggleTopmost();

    engine.start();
    recorder.resumeRecordingAtStartup();
}

void CMeteoDlg::placeWindow() {
    placement = placementRect(appSettings.windowRect);
    const WindowRect& r = placement;
    // Qt positions a top-level window by its frame; the size is the inner
    // size until the window manager has framed it (see fitFrameToStoredRect).
    move(r.left, r.top);
    resize(r.width(), r.height());
    frameFitted = false;
    if (isVisible()) {
        shownClock.start();
        fitFrameToStoredRect();
    }
}

void CMeteoDlg::fitFrameToStoredRect() {
    if (frameFitted || isMaximized() || isMinimized()) {
        return;
    }
    const QRect frame = frameGeometry();
    const int extraW = frame.width() - width();
    const int extraH = frame.height() - height();
    if (extraW <= 0 && extraH <= 0) {
        return; // no frame (yet)
    }
    frameFitted = true;
    // The stored rectangle is the outer one: take the frame off the size.
    const WindowRect& r = placement;
    resize(r.width() - extraW, r.height() - extraH);
    move(r.left, r.top);
}

void CMeteoDlg::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!frameFitted && !initializing) {
        // The frame is known once the window manager has framed the window,
        // which it may report a little after the first show.
        shownClock.start();
        QTimer::singleShot(0, this, [this] { fitFrameToStoredRect(); });
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
    if (!frameFitted && shownClock.isValid() && shownClock.elapsed() < kFrameFitWindowMs) {
        fitFrameToStoredRect();
    }
    if (WindowSizeTracker::storesRectOnMove(initializing, isMaximized() || isMinimized())) {
        storeWindowRect();
    }
}

void CMeteoDlg::storeWindowRect() {
    appSettings.windowRect = toWindowRect(frameGeometry());
}

void CMeteoDlg::layoutTiles(ClientSize size) {
    LayoutInputs in;
    in.linkUp = connection.linkUp();
    in.ch1Present = connection.ch1Present();
    in.ch2Present = connection.ch2Present();
    in.modelTq231 = connection.modelTq231();
    in.modelTq232 = connection.modelTq232();
    in.modelTq233 = connection.modelTq233();
    const WindowLayout layout = computeWindowLayout(
        size.width, size.height, layoutMargin(kDialogFrameWidth), statusHeight, in);

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

void CMeteoDlg::openHelp() {
    const QString path = extractHelpPage();
    if (path.isEmpty() || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        PolishMessageBox::inform(this, QStringLiteral("Nie można otworzyć pomocy programu."),
                                 QMessageBox::Warning);
    }
}

void CMeteoDlg::uninstall() {
    if (!PolishMessageBox::ask(this, QStringLiteral("Na pewno chcesz odinstalować program?"),
                               QMessageBox::Warning)) {
        return;
    }
    if (uninstaller && uninstaller()) {
        PolishMessageBox::inform(this, QStringLiteral("Operacja została zakończona sukcesem"));
    } else {
        PolishMessageBox::inform(this, QStringLiteral("Nie udało się usunąć ustawień programu."),
                                 QMessageBox::Warning);
    }
}

void CMeteoDlg::resetPanel() {
    engine.requestReset();
}

void CMeteoDlg::eraseMemory() {
    engine.requestErase();
}

void CMeteoDlg::startMemoryRead() {
    if (memoryDlg == nullptr) {
        memoryDlg = new CMemoryDlg(this);
    }
    engine.beginMemoryRead(); // resets the dialog and asks for the firmware version
    memoryDlg->startReading();
}

void CMeteoDlg::memoryStepProgress() {
    if (memoryDlg != nullptr) {
        memoryDlg->StepProgress();
    }
}

void CMeteoDlg::memoryAppendByte(std::uint8_t byte) {
    if (memoryDlg != nullptr) {
        memoryDlg->AppendByte(byte);
    }
}

void CMeteoDlg::memoryFinishProgress() {
    if (memoryDlg != nullptr) {
        memoryDlg->FinishProgress();
    }
}

void CMeteoDlg::memoryDecode() {
    if (memoryDlg != nullptr) {
        memoryDlg->DecodeMemory();
    }
}

int CMeteoDlg::memoryLastByte() const {
    return memoryDlg != nullptr ? memoryDlg->LastByte() : 0xFF;
}

void CMeteoDlg::memoryAbort() {
    if (memoryDlg != nullptr) {
        memoryDlg->Abort();
    }
}

void CMeteoDlg::memoryReset() {
    if (memoryDlg != nullptr) {
        memoryDlg->Reset();
    }
}

bool CMeteoDlg::memoryStopRequested() const {
    return memoryDlg != nullptr && memoryDlg->stopRequested();
}

bool CMeteoDlg::memoryCanTakeMore() const {
    return memoryDlg != nullptr && memoryDlg->canTakeMore();
}

void CMeteoDlg::sendBytes(const std::uint8_t* bytes, int count) {
    if (serialPort) {
        serialPort->send(bytes, count);
    }
}

void CMeteoDlg::restartPollTimer() {
    pollTimer.start();
}

void CMeteoDlg::startConfirmationTimer(ConfirmationTimer timer) {
    confirmationTimers[timerIndex(timer)].start();
}

void CMeteoDlg::updateStatus(bool linkUp) {
    applyStatus(connection.updateStatus(data, linkUp, recorder.intervalWhileRecording()));
}

void CMeteoDlg::refreshStatusText() {
    std::string text;
    if (connection.refreshText(data, recorder.intervalWhileRecording(), text)) {
        showStatusText(text);
    }
}

void CMeteoDlg::showStatusText(const std::string& text) {
    statusEdit->setText(QString::fromStdString(text));
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
        showStatusText(update.text);
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

void CMeteoDlg::showMessage(const std::string& text) {
    // Shown after the engine step that raised it, never inside it: the box's
    // own event loop keeps delivering bytes and ticks to the engine.
    QMetaObject::invokeMethod(
        this,
        [this, message = QString::fromStdString(text)] { PolishMessageBox::inform(this, message); },
        Qt::QueuedConnection);
}

void CMeteoDlg::askQuestion(const std::string& text, std::function<void(bool yes)> answer) {
    QMetaObject::invokeMethod(
        this,
        [this, question = QString::fromStdString(text), answer = std::move(answer)] {
            const bool yes = PolishMessageBox::ask(this, question);
            if (answer) {
                answer(yes);
            }
        },
        Qt::QueuedConnection);
}

void CMeteoDlg::setPort(std::unique_ptr<CComPort> newPort) {
    serialPort = std::move(newPort);
    if (serialPort) {
        connect(serialPort.get(), &CComPort::byteReceived, this,
                [this](quint8 byte) { engine.onByte(byte); });
    }
}

void CMeteoDlg::shutDownLink() {
    pollTimer.stop();
    for (QTimer& t : confirmationTimers) {
        t.stop();
    }
    // No byte may reach the engine once the window is gone.
    serialPort.reset();
}

void CMeteoDlg::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (!event->isAccepted()) {
        return;
    }
    shutDownLink();
    recorder.shutDown();
    emit closed();
}
