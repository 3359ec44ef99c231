// The main window on its own, without a panel: start-up with the link down,
// menus, keys, always-on-top, rectangle tracking, about box, help, uninstall
// and the panel commands' failure reports.

#include "AccessibilityCheck.h"
#include "WindowTestSupport.h"
#include "app/CMeteoApp.h"
#include "app/CMeteoDlg.h"
#include "display/CValueTile.h"

#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMetaEnum>
#include <QMoveEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <memory>

class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls << url; }
};

// Records the names of the events of the given types that reach a widget.
class EventLog : public QObject {
public:
    EventLog(QWidget* w, QList<QEvent::Type> types, QStringList& seen)
        : watched(std::move(types)), log(seen) {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (watched.contains(event->type())) {
            log << QString::fromLatin1(
                QMetaEnum::fromType<QEvent::Type>().valueToKey(event->type()));
        }
        return false;
    }

private:
    QList<QEvent::Type> watched;
    QStringList& log;
};

// The window with its open menu drawn over it, as the screen shows them.
void saveWindowWithMenu(QWidget* window, QWidget* menu, const QString& name) {
    const QString dir = qEnvironmentVariable("TQ820_SCREENSHOT_DIR");
    if (dir.isEmpty()) {
        return;
    }
    QPixmap picture = window->grab();
    QPainter painter(&picture);
    painter.drawPixmap(menu->mapToGlobal(QPoint(0, 0)) - window->mapToGlobal(QPoint(0, 0)),
                       menu->grab());
    painter.end();
    QDir().mkpath(dir);
    QVERIFY(picture.save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

class TestCMeteoDlg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void storedPortThatFailsIsReportedAndKept();
    void startsWithLinkDownAndAllTilesWaiting();
    void tilesHaveTheirKindsAndCaptions_data();
    void tilesHaveTheirKindsAndCaptions();
    void linkDownLayoutFillsTheClientArea();
    void windowOpensAtStoredRectangle_data();
    void windowOpensAtStoredRectangle();
    void menusHoldTheirItems_data();
    void menusHoldTheirItems();
    void menuItemsOpenTheirDialogs_data();
    void menuItemsOpenTheirDialogs();
    void enterAndEscapeDoNotClose_data();
    void enterAndEscapeDoNotClose();
    void menuBarWorksFromTheKeyboard_data();
    void menuBarWorksFromTheKeyboard();
    void newStatusLeavesTheMenuBarItsFocus();
    void topmostIsNormalisedAndToggles();
    void rectangleFollowsNormalStateOnly();
    void aboutBoxShowsVersionAndPicture();
    void helpOpensTheShippedPage();
    void uninstallAsksAndReports_data();
    void uninstallAsksAndReports();
    void panelCommandsReportFailureWithoutPort_data();
    void panelCommandsReportFailureWithoutPort();
    void eraseAnsweredNoSendsNothing();
    void closingStopsTheLink();

private:
    // A window after start-up with no port (the port dialog is cancelled).
    std::unique_ptr<CMeteoDlg> startWindow(AppSettings s = {});

    QTemporaryDir home;
    std::unique_ptr<ModalAnswerer> answers;
};

void TestCMeteoDlg::initTestCase() {
    QVERIFY(home.isValid());
    // Private configuration, cache and data folders: no real port, setting or
    // history is touched.
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
}

void TestCMeteoDlg::cleanup() {
    answers.reset();
}

std::unique_ptr<CMeteoDlg> TestCMeteoDlg::startWindow(AppSettings s) {
    s.portNumber = 0;
    answers = std::make_unique<ModalAnswerer>();
    answers->add(ModalAnswerer::cancel()); // "Port szeregowy"
    auto dlg = std::make_unique<CMeteoDlg>();
    connectProgramCommands(*dlg, {});
    dlg->settings() = s;
    dlg->initialise();
    dlg->show();
    if (!QTest::qWaitForWindowExposed(dlg.get())) {
        return nullptr;
    }
    return dlg;
}

void TestCMeteoDlg::storedPortThatFailsIsReportedAndKept() {
    QTemporaryDir config;
    // COM7 names a device that does not exist.
    QDir().mkpath(home.filePath(QStringLiteral("config/Velmor/ports")));
    const QString link = home.filePath(QStringLiteral("config/Velmor/ports/COM7"));
    QFile::remove(link);
    QVERIFY(QFile::link(config.filePath(QStringLiteral("missing")), link));

    answers = std::make_unique<ModalAnswerer>();
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    answers->add(ModalAnswerer::cancel());
    CMeteoDlg dlg;
    dlg.settings().portNumber = 7;
    dlg.initialise();
    QFile::remove(link);
    QCOMPARE(answers->seen, (QStringList{QStringLiteral("Nie można otworzyć portu COM7"),
                                         QStringLiteral("Port szeregowy")}));
    QCOMPARE(dlg.settings().portNumber, 7);
    QVERIFY(dlg.port() == nullptr);
}

void TestCMeteoDlg::startsWithLinkDownAndAllTilesWaiting() {
    auto dlg = startWindow();
    QVERIFY(dlg);
    QCOMPARE(dlg->windowTitle(), QStringLiteral("TQ820"));
    auto* status = dlg->findChild<QLineEdit*>(QStringLiteral("statusLine"));
    QVERIFY(status != nullptr);
    QVERIFY(status->isReadOnly());
    QCOMPARE(status->text(), QStringLiteral("Brak komunikacji z panelem. "));
    for (Quantity q : kAllQuantities) {
        CValueTile* t = dlg->tile(q);
        QVERIFY2(t->isVisible(), qPrintable(t->objectName()));
        QVERIFY(t->hasNoData());
        QVERIFY(t->isBlinking());
        QCOMPARE(t->displayText(), QStringLiteral("???"));
        QVERIFY(t->hasValueFont());
    }
    QVERIFY(saveScreenshot(dlg.get(), QStringLiteral("window_link_down")));
}

void TestCMeteoDlg::tilesHaveTheirKindsAndCaptions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::newRow("TEMP") << "tile_TEMP" << 3 << QStringLiteral("Temperatura");
    QTest::newRow("PRESS") << "tile_PRESS" << 5 << QStringLiteral("Ciśnienie");
    QTest::newRow("RH") << "tile_RH" << 7 << QStringLiteral("Wilgotność względna");
    QTest::newRow("SPEED") << "tile_SPEED" << 6 << QStringLiteral("Prędkość");
    QTest::newRow("ORIENT") << "tile_ORIENT" << 4 << QStringLiteral("Kierunek");
}

void TestCMeteoDlg::tilesHaveTheirKindsAndCaptions() {
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(QString, caption);
    auto dlg = startWindow();
    QVERIFY(dlg);
    auto* t = dlg->findChild<CValueTile*>(name);
    QVERIFY(t != nullptr);
    QCOMPARE(t->sourceKind(), kind);
    QCOMPARE(t->displayKind(), kind);
    QVERIFY(t->showUnit());
    QCOMPARE(t->caption(), caption);
}

void TestCMeteoDlg::linkDownLayoutFillsTheClientArea() {
    auto dlg = startWindow();
    QVERIFY(dlg);
    dlg->resize(600, 400 + dlg->menuBar()->height());
    QTRY_COMPARE(dlg->centralWidget()->size(), QSize(600, 400));
    const int h = dlg->statusLineHeight();
    QVERIFY(h > 10);
    const int top = h + 3 + 2;
    QCOMPARE(dlg->statusLine()->geometry(), QRect(3, 3, 594, h));
    // Three tiles on the left, two on the right, 3 pixels apart, down to 3
    // pixels above the bottom.
    const QRect temp = dlg->tile(Quantity::TEMP)->geometry();
    const QRect rh = dlg->tile(Quantity::RH)->geometry();
    const QRect press = dlg->tile(Quantity::PRESS)->geometry();
    const QRect speed = dlg->tile(Quantity::SPEED)->geometry();
    const QRect orient = dlg->tile(Quantity::ORIENT)->geometry();
    QCOMPARE(temp, QRect(3, top + 3, 297, top + (397 - top) / 3 - (top + 3)));
    QCOMPARE(rh.top(), temp.bottom() + 1 + 3);
    QCOMPARE(press.top(), rh.bottom() + 1 + 3);
    QCOMPARE(press.bottom() + 1, 397);
    QCOMPARE(speed, QRect(303, top + 3, 294, top + (397 - top) / 2 - (top + 3)));
    QCOMPARE(orient.top(), speed.bottom() + 1 + 3);
    QCOMPARE(orient.bottom() + 1, 397);
    QCOMPARE(orient.left(), 303);
}

void TestCMeteoDlg::windowOpensAtStoredRectangle_data() {
    QTest::addColumn<QRect>("stored"); // left, top, right, bottom as a QRect's corners
    QTest::addColumn<QRect>("frame");
    QTest::newRow("stored") << QRect(QPoint(140, 120), QPoint(860, 620))
                            << QRect(140, 120, 720, 500);
    // A damaged rectangle must not give a window that cannot be seen.
    QTest::newRow("no width") << QRect(QPoint(300, 200), QPoint(300, 600))
                              << QRect(100, 100, 600, 400);
}

void TestCMeteoDlg::windowOpensAtStoredRectangle() {
    QFETCH(QRect, stored);
    QFETCH(QRect, frame);
    AppSettings s;
    s.windowRect = {stored.left(), stored.top(), stored.right(), stored.bottom()};
    auto dlg = startWindow(s);
    QVERIFY(dlg);
    QTRY_COMPARE(dlg->frameGeometry(), frame);
    QCOMPARE(
        dlg->settings().windowRect,
        (WindowRect{frame.x(), frame.y(), frame.x() + frame.width(), frame.y() + frame.height()}));
}

void TestCMeteoDlg::menusHoldTheirItems_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("Program") << "Program"
                             << QStringList{QStringLiteral("Importuj plik rejestracji…"),
                                            "Odinstaluj", "Zamknij"};
    // "Wykresy" after a separator (an action without text).
    QTest::newRow("Widok") << "Widok"
                           << QStringList{"Kolory", "Czcionki", "Zawsze na wierzchu", "",
                                          "Wykresy"};
    QTest::newRow("Ustawienia") << "Ustawienia"
                                << QStringList{"Port szeregowy", "Rejestracja do pliku",
                                               QStringLiteral("Historia pomiarów")};
    QTest::newRow("Panel") << "Panel"
                           << QStringList{"Informacje o panelu", "Data i czas", "Reset",
                                          QStringLiteral("Tryb oszczędzania energii")};
    QTest::newRow("Pamięć") << QStringLiteral("Pamięć")
                            << QStringList{QStringLiteral("Odczyt danych"),
                                           QStringLiteral("Usuń zawartość pamięci"),
                                           QStringLiteral("Ustawienia rejestracji")};
    QTest::newRow("Pomoc") << "Pomoc" << QStringList{"Pomoc", "O programie"};
}

void TestCMeteoDlg::menusHoldTheirItems() {
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    CMeteoDlg dlg;
    QMenu* found = nullptr;
    QStringList titles;
    for (QAction* a : dlg.menuBar()->actions()) {
        titles << a->text();
        if (QString(a->text()).remove(QLatin1Char('&')) == menu) {
            found = a->menu();
        }
    }
    // Each title has its own mnemonic (Alt+letter opens it).
    QCOMPARE(titles, (QStringList{"&Program", "&Widok", "&Ustawienia", "Pa&nel",
                                  QStringLiteral("Pa&mięć"), "Pomo&c"}));
    QVERIFY(found != nullptr);
    QStringList texts;
    for (QAction* a : found->actions()) {
        texts << a->text();
        QVERIFY(a->isEnabled());
        QCOMPARE(a->isCheckable(), a->text() == QStringLiteral("Zawsze na wierzchu"));
    }
    QCOMPARE(texts, items);
}

void TestCMeteoDlg::menuItemsOpenTheirDialogs_data() {
    QTest::addColumn<QString>("action");
    // The button pressed in each window that opens; the last one is cancelled.
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("title"); // of the first window
    QTest::newRow("Kolory") << "actionColours" << QStringList{} << "Kolory";
    QTest::newRow("Czcionki") << "actionFonts" << QStringList{} << "Czcionki";
    QTest::newRow("Port szeregowy") << "actionPort" << QStringList{} << "Port szeregowy";
    QTest::newRow("Rejestracja do pliku")
        << "actionRecording" << QStringList{} << "Rejestruj do pliku";
    QTest::newRow("Historia pomiarów")
        << "actionHistory" << QStringList{} << QStringLiteral("Historia pomiarów");
    QTest::newRow("O programie") << "actionAbout" << QStringList{} << "O programie";
    QTest::newRow("Odinstaluj: question and message")
        << "actionUninstall" << QStringList{"yesButton"}
        << QStringLiteral("Na pewno chcesz odinstalować program?");
    // Without a port the panel dialogs wait for their reply, all controls shown.
    QTest::newRow("Informacje o panelu")
        << "actionPanelInfo" << QStringList{} << "Informacje o panelu";
    QTest::newRow("Data i czas") << "actionDateTime" << QStringList{} << "Data i czas";
    QTest::newRow("Tryb oszczędzania energii") << "actionPowerSaving" << QStringList{}
                                               << QStringLiteral("Ustawienia oszczędzania energii");
    QTest::newRow("Ustawienia rejestracji")
        << "actionRecordingSettings" << QStringList{} << "Ustawienia rejestracji";
}

// Each window that opens names every control for a screen reader.
void TestCMeteoDlg::menuItemsOpenTheirDialogs() {
    QFETCH(QString, action);
    QFETCH(QStringList, buttons);
    QFETCH(QString, title);
    auto dlg = startWindow();
    QVERIFY(dlg);
    VERIFY_CONTROLS_NAMED(dlg.get());
    const auto styles = dlg->tileStyles();
    int checked = 0;
    // Answered first (the window closes after the check), so that a failed
    // check cannot leave it open.
    const auto check = [&checked](QWidget* modal) {
        ++checked;
        VERIFY_CONTROLS_NAMED(modal);
    };
    for (const QString& button : buttons) {
        answers->add([check, button](QWidget* modal) {
            ModalAnswerer::click(button)(modal);
            check(modal);
        });
    }
    answers->add([check](QWidget* modal) {
        ModalAnswerer::cancel()(modal);
        check(modal);
    });
    dlg->findChild<QAction*>(action)->trigger();
    QTRY_COMPARE(checked, int(buttons.size()) + 1);
    QCOMPARE(answers->seen.value(1), title); // after the start-up's "Port szeregowy"
    QCOMPARE(answers->pending(), 0);
    // Cancelled: nothing changed.
    QVERIFY(dlg->tileStyles() == styles);
    QVERIFY(dlg->port() == nullptr);
}

void TestCMeteoDlg::enterAndEscapeDoNotClose_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("target");
    QTest::newRow("Escape on the window") << int(Qt::Key_Escape) << "meteoDlg";
    QTest::newRow("Enter on the window") << int(Qt::Key_Return) << "meteoDlg";
    QTest::newRow("Escape on the status line") << int(Qt::Key_Escape) << "statusLine";
    QTest::newRow("keypad Enter on a tile") << int(Qt::Key_Enter) << "tile_RH";
}

void TestCMeteoDlg::enterAndEscapeDoNotClose() {
    QFETCH(int, key);
    QFETCH(QString, target);
    auto dlg = startWindow();
    QVERIFY(dlg);
    QSignalSpy closed(dlg.get(), &CMeteoDlg::closed);
    QWidget* w = target == dlg->objectName() ? dlg.get() : dlg->findChild<QWidget*>(target);
    QVERIFY(w != nullptr);
    QTest::keyClick(w, Qt::Key(key));
    QCoreApplication::processEvents();
    QVERIFY(dlg->isVisible());
    QCOMPARE(closed.count(), 0);
    // The key went to the window itself, not to the control.
    QCOMPARE(QApplication::focusWidget(), dlg.get());
}

void TestCMeteoDlg::menuBarWorksFromTheKeyboard_data() {
    using Keys = QList<QKeyCombination>;
    QTest::addColumn<Keys>("keys");
    QTest::addColumn<QString>("openMenu");
    QTest::addColumn<bool>("barHasFocus");
    const QKeyCombination alt(Qt::Key_Alt);
    QTest::newRow("Alt, Escape leaves the bar") << Keys{alt, Qt::Key_Escape} << QString() << false;
    QTest::newRow("Alt, Enter opens Program") << Keys{alt, Qt::Key_Return} << "menuProgram" << true;
    QTest::newRow("Alt, Right, Enter opens Widok")
        << Keys{alt, Qt::Key_Right, Qt::Key_Return} << "menuView" << true;
    QTest::newRow("Alt, Down opens Program") << Keys{alt, Qt::Key_Down} << "menuProgram" << true;
    QTest::newRow("Alt, Down, Escape closes the menu, not the bar")
        << Keys{alt, Qt::Key_Down, Qt::Key_Escape} << QString() << true;
    QTest::newRow("Alt, Down, Escape, Enter opens it again")
        << Keys{alt, Qt::Key_Down, Qt::Key_Escape, Qt::Key_Return} << "menuProgram" << true;
    QTest::newRow("Alt, Down, Escape, Escape leaves the bar")
        << Keys{alt, Qt::Key_Down, Qt::Key_Escape, Qt::Key_Escape} << QString() << false;
    QTest::newRow("Alt+U opens Ustawienia")
        << Keys{Qt::AltModifier | Qt::Key_U} << "menuSettings" << true;
    QTest::newRow("Alt+C opens Pomoc") << Keys{Qt::AltModifier | Qt::Key_C} << "menuHelp" << true;
}

void TestCMeteoDlg::menuBarWorksFromTheKeyboard() {
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(QString, openMenu);
    QFETCH(bool, barHasFocus);
    auto dlg = startWindow();
    QVERIFY(dlg);
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    QMenuBar* bar = dlg->menuBar();
    for (QKeyCombination key : keys) {
        // Keys go where the keyboard focus is: the window, the bar or the open menu.
        QWidget* target = QApplication::activePopupWidget();
        if (target == nullptr) {
            target =
                QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : dlg.get();
        }
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
    }
    if (openMenu.isEmpty()) {
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    } else {
        auto* menu = dlg->findChild<QMenu*>(openMenu);
        QVERIFY(menu != nullptr);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(QApplication::activePopupWidget(), menu);
        if (QTest::currentDataTag() == QStringLiteral("Alt, Right, Enter opens Widok")) {
            saveWindowWithMenu(dlg.get(), menu, QStringLiteral("menu_from_keyboard"));
        }
        menu->close();
    }
    QCOMPARE(bar->hasFocus() || bar->activeAction() != nullptr, barHasFocus);
    QVERIFY(dlg->isVisible());
}

void TestCMeteoDlg::newStatusLeavesTheMenuBarItsFocus() {
    auto dlg = startWindow();
    QVERIFY(dlg);
    dlg->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
    QMenuBar* bar = dlg->menuBar();
    QTest::keyClick(dlg.get(), Qt::Key_Alt);
    QTRY_VERIFY(bar->hasFocus());
    // A new status text moves the focus to the temperature tile, but not
    // away from a user working in the menu bar.
    dlg->link().updateStatus(true);
    QCOMPARE(dlg->statusLine()->text(),
             QStringLiteral("Komunikacja została nawiązana. Brak podłączonych urządzeń do panelu "
                            "TQ-820. "));
    QVERIFY(bar->hasFocus());
    QVERIFY(bar->activeAction() != nullptr);
    QTest::keyClick(bar, Qt::Key_Escape);
    dlg->link().updateStatus(false);
    QCOMPARE(QApplication::focusWidget(), dlg->tile(Quantity::TEMP));
}

void TestCMeteoDlg::topmostIsNormalisedAndToggles() {
    AppSettings s;
    s.topmost = 5;
    auto dlg = startWindow(s);
    QVERIFY(dlg);
    auto* action = dlg->findChild<QAction*>(QStringLiteral("actionTopmost"));
    QVERIFY(action != nullptr);
    QCOMPARE(dlg->settings().topmost, 1);
    QVERIFY(action->isChecked());
    QVERIFY(dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(dlg->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));

    // Only the stacking changes: the same native window, never hidden, moved
    // or resized (which a user would see as a flash).
    QCoreApplication::processEvents();
    const QRect frame = dlg->frameGeometry();
    const QRect inner = dlg->geometry();
    const QWindow* native = dlg->windowHandle();
    const WId id = dlg->winId();
    QStringList seen;
    EventLog log(dlg.get(),
                 {QEvent::Hide, QEvent::Show, QEvent::WinIdChange, QEvent::Move, QEvent::Resize,
                  QEvent::PlatformSurface},
                 seen);
    const struct {
        int topmost;
        bool checked;
    } steps[] = {{0, false}, {1, true}, {0, false}};
    for (const auto& step : steps) {
        action->trigger();
        QCoreApplication::processEvents();
        QCOMPARE(dlg->settings().topmost, step.topmost);
        QCOMPARE(action->isChecked(), step.checked);
        QCOMPARE(dlg->windowFlags().testFlag(Qt::WindowStaysOnTopHint), step.checked);
        QCOMPARE(dlg->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), step.checked);
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->windowHandle(), native);
        QCOMPARE(dlg->winId(), id);
        QCOMPARE(dlg->frameGeometry(), frame);
        QCOMPARE(dlg->geometry(), inner);
    }
    QVERIFY2(seen.isEmpty(), qPrintable(seen.join(QStringLiteral(", "))));
}

void TestCMeteoDlg::rectangleFollowsNormalStateOnly() {
    auto dlg = startWindow();
    QVERIFY(dlg);
    dlg->move(150, 130);
    QTRY_COMPARE(dlg->settings().windowRect.left, 150);
    QCOMPARE(dlg->settings().windowRect.top, 130);
    const WindowRect normal = dlg->settings().windowRect;

    dlg->showMaximized();
    QTRY_VERIFY(dlg->isMaximized() && dlg->width() > normal.width());
    QCOMPARE(dlg->settings().windowRect, normal);
    // A move reported while maximised (Qt itself restores a window that the
    // program moves, so the platform's notification is played here).
    QMoveEvent moved(QPoint(10, 10), dlg->pos());
    QApplication::sendEvent(dlg.get(), &moved);
    QCOMPARE(dlg->settings().windowRect, normal);

    dlg->showNormal();
    QTRY_VERIFY(!dlg->isMaximized());
    // The offscreen platform does not give the old size back by itself.
    dlg->resize(500, 300);
    dlg->move(200, 180);
    QTRY_COMPARE(dlg->settings().windowRect.left, 200);
    QCOMPARE(dlg->settings().windowRect.top, 180);
    QCOMPARE(dlg->settings().windowRect.width(), dlg->frameGeometry().width());
    QCOMPARE(dlg->settings().windowRect.height(), dlg->frameGeometry().height());
    QVERIFY(dlg->settings().windowRect.width() < 800);
}

void TestCMeteoDlg::aboutBoxShowsVersionAndPicture() {
    auto dlg = startWindow();
    QVERIFY(dlg);
    const struct {
        const char* how;
        Qt::Key key;
    } closers[] = {{"Enter", Qt::Key_Return}, {"Escape", Qt::Key_Escape}};
    for (const auto& closer : closers) {
        bool checked = false;
        answers->add([&checked, &closer](QWidget* modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("aboutDialog"));
            auto* version = modal->findChild<QLabel*>(QStringLiteral("aboutVersion"));
            auto* picture = modal->findChild<QLabel*>(QStringLiteral("aboutPicture"));
            auto* icon = modal->findChild<QLabel*>(QStringLiteral("aboutIcon"));
            QVERIFY(version && picture && icon);
            QCOMPARE(version->text(), QStringLiteral("TQ820 Wersja 1.03"));
            QVERIFY(!picture->pixmap().isNull());
            QVERIFY(!icon->pixmap().isNull());
            QVERIFY(saveScreenshot(modal, QStringLiteral("about_box")));
            checked = true;
            QTest::keyClick(modal, closer.key);
        });
        dlg->findChild<QAction*>(QStringLiteral("actionAbout"))->trigger();
        QVERIFY2(checked, closer.how);
        QCOMPARE(answers->seen.last(), QStringLiteral("O programie"));
    }
}

void TestCMeteoDlg::helpOpensTheShippedPage() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    CMeteoDlg dlg;
    connectProgramCommands(dlg, {});
    dlg.findChild<QAction*>(QStringLiteral("actionHelp"))->trigger();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.urls.size(), 1);
    QFile page(catcher.urls.first().toLocalFile());
    QVERIFY(page.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(page.readAll());
    QVERIFY(html.contains(QStringLiteral("Brak komunikacji z panelem.")));
    QVERIFY(html.contains(QStringLiteral("Port szeregowy")));
}

void TestCMeteoDlg::uninstallAsksAndReports_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<int>("calls");
    QTest::addColumn<QString>("report");
    QTest::newRow("No") << "noButton" << true << 0 << QString();
    QTest::newRow("Yes") << "yesButton" << true << 1
                         << QStringLiteral("Operacja została zakończona sukcesem");
    QTest::newRow("Yes, deletion fails")
        << "yesButton" << false << 1 << QStringLiteral("Nie udało się usunąć ustawień programu.");
}

void TestCMeteoDlg::uninstallAsksAndReports() {
    QFETCH(QString, answer);
    QFETCH(bool, deleted);
    QFETCH(int, calls);
    QFETCH(QString, report);
    CMeteoDlg dlg;
    int called = 0;
    connectProgramCommands(dlg, [&called, deleted] {
        ++called;
        return deleted;
    });
    answers = std::make_unique<ModalAnswerer>();
    answers->add(ModalAnswerer::click(answer));
    if (!report.isEmpty()) {
        answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    }
    dlg.findChild<QAction*>(QStringLiteral("actionUninstall"))->trigger();
    QCOMPARE(called, calls);
    QCOMPARE(answers->seen.first(), QStringLiteral("Na pewno chcesz odinstalować program?"));
    QCOMPARE(answers->icons.first(), QMessageBox::Warning);
    QCOMPARE(answers->seen.size(), report.isEmpty() ? 1 : 2);
    if (!report.isEmpty()) {
        QCOMPARE(answers->seen.last(), report);
    }
}

void TestCMeteoDlg::panelCommandsReportFailureWithoutPort_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Reset") << "actionReset"
                           << QStringList{QStringLiteral("Błąd przy próbie resetu panelu")};
    QTest::newRow("Erase") << "actionErase"
                           << QStringList{
                                  QStringLiteral("Chcesz usunąć zawartość pamięci?"),
                                  QStringLiteral("Błąd przy próbie usunięcia zawartości pamięci")};
}

void TestCMeteoDlg::panelCommandsReportFailureWithoutPort() {
    QFETCH(QString, action);
    QFETCH(QStringList, expected);
    auto dlg = startWindow();
    QVERIFY(dlg);
    if (expected.size() == 2) {
        answers->add(ModalAnswerer::click(QStringLiteral("yesButton")));
    }
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    dlg->findChild<QAction*>(action)->trigger();
    // Nothing can answer: the verdict comes 1500 ms later.
    QTRY_COMPARE_WITH_TIMEOUT(answers->seen.mid(1), expected, 5000);
    QVERIFY(dlg->isVisible());
}

void TestCMeteoDlg::eraseAnsweredNoSendsNothing() {
    auto dlg = startWindow();
    QVERIFY(dlg);
    answers->add(ModalAnswerer::click(QStringLiteral("noButton")));
    dlg->findChild<QAction*>(QStringLiteral("actionErase"))->trigger();
    QTRY_COMPARE(answers->seen.size(), 2);
    QCOMPARE(answers->seen.last(), QStringLiteral("Chcesz usunąć zawartość pamięci?"));
    QCOMPARE(dlg->link().engine().pendingState(), NO_STATE);
    QVERIFY(dlg->link().engine().pollState() != ERASE_MEMORY);
}

void TestCMeteoDlg::closingStopsTheLink() {
    auto dlg = startWindow();
    QVERIFY(dlg);
    QSignalSpy closed(dlg.get(), &CMeteoDlg::closed);
    dlg->findChild<QAction*>(QStringLiteral("actionClose"))->trigger();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!dlg->isVisible());
    QVERIFY(dlg->port() == nullptr);
}

QTEST_MAIN(TestCMeteoDlg)
#include "tst_CMeteoDlg.moc"
