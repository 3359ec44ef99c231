// TQ820 against tq820-sim over a pseudo-terminal: the real main window in
// this process (and the real program for the shutdown by signal), the
// simulator as a child process in a private configuration folder.

#include "E2eRig.h"
#include "display/CValueTile.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>
#include <sys/stat.h>

namespace {

const QString kBothChannels = QStringLiteral("Urządzenia: TQ-232, TQ-264. ");
const QString kLinkLost = QStringLiteral("Brak komunikacji z panelem. ");
constexpr int kCom = 17;

bool allTilesHaveData(const CMeteoDlg& dlg) {
    for (Quantity q : kAllQuantities) {
        if (dlg.tile(q)->hasNoData()) {
            return false;
        }
    }
    return true;
}

QStringList visibleTiles(const CMeteoDlg& dlg) {
    QStringList names;
    for (Quantity q : kAllQuantities) {
        if (dlg.tile(q)->isVisible()) {
            names << QString::fromLatin1(quantityName(q).data());
        }
    }
    return names;
}

// The process has its own SIGTERM handler installed (Linux: the caught-signal
// mask in /proc): from then on the signal reaches the program's first event
// loop instead of killing it.
bool catchesSigterm(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return false;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:")) {
            const qulonglong mask = line.mid(7).trimmed().toULongLong(nullptr, 16);
            return ((mask >> (SIGTERM - 1)) & 1U) != 0;
        }
    }
    return false;
}

} // namespace

class TestE2eWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void liveReadingsWithinTwoSeconds();
    void sensorChangesRearrangeTheTiles_data();
    void sensorChangesRearrangeTheTiles();
    void silentPanelLosesTheLinkAndComesBack();
    void pulledAdapterLosesTheLinkAndComesBack();
    void panelCommandsSucceedWithAnsweringPanel_data();
    void panelCommandsSucceedWithAnsweringPanel();
    void panelCommandsFailWithSilentPanel_data();
    void panelCommandsFailWithSilentPanel();
    void firstStartAsksForThePortFirst();
    void rectangleAndTopmostSurviveARestart();
    void screenshotRunPrintsTheReadings();
    void terminationSignalSavesTheSettings_data();
    void terminationSignalSavesTheSettings();
    void terminationSignalEndsEveryStartUpDialog_data();
    void terminationSignalEndsEveryStartUpDialog();

private:
    // The simulator on kCom and the window started on it, as the program does.
    bool startPanelAndWindow(const QStringList& simOptions = {}) {
        return rig->startSim(simOptions) && rig->showWindow();
    }

    CMeteoDlg* dlg() const { return rig->window.get(); }

    std::unique_ptr<E2eRig> rig;
    SimProcess* sim = nullptr; // the rig's
    ModalAnswerer* answers = nullptr;
};

void TestE2eWindow::init() {
    rig = std::make_unique<E2eRig>(kCom);
    QVERIFY(rig->config.isValid());
    sim = &rig->sim;
    answers = &rig->answers;
}

void TestE2eWindow::cleanup() {
    rig.reset();
}

void TestE2eWindow::liveReadingsWithinTwoSeconds() {
    QElapsedTimer clock;
    clock.start();
    QVERIFY(startPanelAndWindow());
    QTRY_VERIFY_WITH_TIMEOUT(allTilesHaveData(*dlg()), 2000);
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 2000 - clock.elapsed());
    QVERIFY(clock.elapsed() < 2000);

    // The readings are the panel's (its weather drifts slowly).
    const struct {
        Quantity q;
        const char* name;
        double tolerance;
    } readings[] = {{Quantity::TEMP, "temperature", 0.5},
                    {Quantity::RH, "humidity", 2.0},
                    {Quantity::PRESS, "pressure", 1.0},
                    {Quantity::ORIENT, "direction", 30.0}};
    for (const auto& r : readings) {
        const double panel = sim->stateValue(QString::fromLatin1(r.name));
        QVERIFY2(qAbs(dlg()->tile(r.q)->value() - panel) <= r.tolerance, r.name);
    }
    for (Quantity q : kAllQuantities) {
        QVERIFY(!dlg()->tile(q)->isBlinking());
    }
    QVERIFY(saveScreenshot(dlg(), QStringLiteral("e2e_both_channels")));
}

void TestE2eWindow::sensorChangesRearrangeTheTiles_data() {
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("visible");
    QTest::addColumn<bool>("oneColumn");
    QTest::addColumn<QString>("screenshot");
    QTest::newRow("channel 2 removed")
        << QStringList{"ch2 none"} << QStringLiteral("Urządzenia: TQ-232. ")
        << QStringList{"TEMP", "RH", "PRESS"} << true << "e2e_one_channel";
    QTest::newRow("only a TQ-231")
        << QStringList{"ch2 none", "ch1 tq231"} << QStringLiteral("Urządzenia: TQ-231. ")
        << QStringList{"TEMP", "RH"} << true << "e2e_tq231";
    QTest::newRow("TQ-233 and TQ-264")
        << QStringList{"ch1 tq233"} << QStringLiteral("Urządzenia: TQ-233, TQ-264. ")
        << QStringList{"PRESS", "SPEED", "ORIENT"} << false << "e2e_tq233_tq264";
    QTest::newRow("only wind") << QStringList{"ch1 none"} << QStringLiteral("Urządzenia: TQ-264. ")
                               << QStringList{"SPEED", "ORIENT"} << true << "e2e_wind_only";
}

void TestE2eWindow::sensorChangesRearrangeTheTiles() {
    QFETCH(QStringList, controls);
    QFETCH(QString, status);
    QFETCH(QStringList, visible);
    QFETCH(bool, oneColumn);
    QFETCH(QString, screenshot);
    QVERIFY(startPanelAndWindow({QStringLiteral("--fast")}));
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 3000);
    QCOMPARE(visibleTiles(*dlg()), (QStringList{"TEMP", "RH", "PRESS", "SPEED", "ORIENT"}));

    for (const QString& c : controls) {
        QVERIFY(sim->command(c).startsWith(QStringLiteral("ok")));
    }
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), status, 3000);
    QCOMPARE(visibleTiles(*dlg()), visible);

    // The visible tiles fill the client area below the status line: full width
    // in one column, or pressure alone on the left of the wind tiles.
    const QSize client = dlg()->centralWidget()->size();
    const int m = 3;
    const int top = dlg()->statusLineHeight() + m + 2 + m;
    for (const QString& name : visible) {
        const QRect r = dlg()->findChild<CValueTile*>(QStringLiteral("tile_") + name)->geometry();
        if (oneColumn) {
            QCOMPARE(r.left(), m);
            QCOMPARE(r.width(), client.width() - 2 * m);
        } else {
            QCOMPARE(r.left(), name == QStringLiteral("PRESS") ? m : client.width() / 2 + m);
        }
        QVERIFY(r.top() >= top);
        QVERIFY(r.bottom() < client.height() - m);
    }
    // The first tile of the arrangement starts right below the status line and
    // the last one ends at the bottom margin.
    const QRect first =
        dlg()->findChild<CValueTile*>(QStringLiteral("tile_") + visible.first())->geometry();
    const QRect last =
        dlg()->findChild<CValueTile*>(QStringLiteral("tile_") + visible.last())->geometry();
    QCOMPARE(first.top(), top);
    QCOMPARE(last.bottom() + 1, client.height() - m);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg()->tile(Quantity::TEMP)->isVisible() ||
                                 !dlg()->tile(Quantity::TEMP)->hasNoData(),
                             3000);
    QVERIFY(saveScreenshot(dlg(), screenshot));
}

void TestE2eWindow::silentPanelLosesTheLinkAndComesBack() {
    QVERIFY(startPanelAndWindow());
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(allTilesHaveData(*dlg()), 3000);

    QElapsedTimer silence;
    QVERIFY(sim->command(QStringLiteral("silent on")).startsWith(QStringLiteral("ok")));
    silence.start();
    // The fourth time-out in a row, 4 × 1500 ms after the last request.
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kLinkLost, 9000);
    QVERIFY2(silence.elapsed() >= 4500, qPrintable(QString::number(silence.elapsed())));
    for (Quantity q : kAllQuantities) {
        CValueTile* t = dlg()->tile(q);
        QVERIFY(t->isVisible());
        QVERIFY(t->hasNoData());
        QCOMPARE(t->displayText(), QStringLiteral("???"));
        QVERIFY(t->isBlinking());
    }
    QVERIFY(saveScreenshot(dlg(), QStringLiteral("e2e_link_lost")));

    QVERIFY(sim->command(QStringLiteral("silent off")).startsWith(QStringLiteral("ok")));
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(allTilesHaveData(*dlg()), 3000);
    for (Quantity q : kAllQuantities) {
        QTRY_VERIFY(!dlg()->tile(q)->isBlinking());
    }
}

void TestE2eWindow::pulledAdapterLosesTheLinkAndComesBack() {
    QVERIFY(startPanelAndWindow({QStringLiteral("--fast")}));
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 3000);

    QCOMPARE(sim->command(QStringLiteral("unplug")), QStringLiteral("ok unplug"));
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kLinkLost, 9000);
    QVERIFY(dlg()->isVisible());
    for (Quantity q : kAllQuantities) {
        QVERIFY(dlg()->tile(q)->hasNoData());
    }

    // The adapter comes back under the same name: the port reopens by itself.
    QVERIFY(sim->command(QStringLiteral("plug")).startsWith(QStringLiteral("COM%1 -> ").arg(kCom)));
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 8000);
    QTRY_VERIFY_WITH_TIMEOUT(allTilesHaveData(*dlg()), 3000);
}

void TestE2eWindow::panelCommandsSucceedWithAnsweringPanel_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("resets");
    QTest::addColumn<int>("erases");
    QTest::newRow("reset") << "actionReset" << QStringList{"okButton"}
                           << QStringList{QStringLiteral("Panel został zresetowany")} << 1 << 0;
    const QString erased = QStringLiteral(
        "Zawartość pamięci została usunięta.\nRejestracja została wstrzymana do chwili "
        "resetu panelu.\nChcesz zresetować panel teraz?");
    QTest::newRow("erase, reset declined")
        << "actionErase" << QStringList{"yesButton", "noButton"}
        << QStringList{QStringLiteral("Chcesz usunąć zawartość pamięci?"), erased} << 0 << 1;
    QTest::newRow("erase, then reset")
        << "actionErase" << QStringList{"yesButton", "yesButton", "okButton"}
        << QStringList{QStringLiteral("Chcesz usunąć zawartość pamięci?"), erased,
                       QStringLiteral("Panel został zresetowany")}
        << 1 << 1;
}

void TestE2eWindow::panelCommandsSucceedWithAnsweringPanel() {
    QFETCH(QString, action);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, expected);
    QFETCH(int, resets);
    QFETCH(int, erases);
    QVERIFY(startPanelAndWindow());
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 3000);
    for (const QString& button : answers) {
        this->answers->add(ModalAnswerer::click(button));
    }
    dlg()->findChild<QAction*>(action)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(this->answers->seen, expected, 8000);
    QTRY_COMPARE(this->answers->pending(), 0);
    const auto stats = sim->stats();
    QCOMPARE(int(stats.value(QStringLiteral("G"))), resets);
    QCOMPARE(int(stats.value(QStringLiteral("ES"))), erases);
    // Polling goes on after the command.
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 3000);
    QVERIFY(allTilesHaveData(*dlg()));
}

void TestE2eWindow::panelCommandsFailWithSilentPanel_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("failure");
    QTest::newRow("reset") << "actionReset" << QStringList{"okButton"}
                           << QStringLiteral("Błąd przy próbie resetu panelu");
    QTest::newRow("erase") << "actionErase" << QStringList{"yesButton", "okButton"}
                           << QStringLiteral("Błąd przy próbie usunięcia zawartości pamięci");
}

void TestE2eWindow::panelCommandsFailWithSilentPanel() {
    QFETCH(QString, action);
    QFETCH(QStringList, answers);
    QFETCH(QString, failure);
    QVERIFY(startPanelAndWindow());
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 3000);
    QVERIFY(sim->command(QStringLiteral("silent on")).startsWith(QStringLiteral("ok")));
    for (const QString& button : answers) {
        this->answers->add(ModalAnswerer::click(button));
    }
    dlg()->findChild<QAction*>(action)->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(this->answers->pending(), 0, 8000);
    QCOMPARE(this->answers->seen.last(), failure);
}

void TestE2eWindow::firstStartAsksForThePortFirst() {
    QVERIFY(rig->startSim({QStringLiteral("--fast")}));
    QVERIFY(!QFile::exists(rig->regFile()));
    std::unique_ptr<RegistryStore> store = makePlatformRegistryStore();

    bool windowShownBeforeDialog = true;
    answers->add([&windowShownBeforeDialog](QWidget* modal) {
        QCOMPARE(modal->objectName(), QStringLiteral("portDialog"));
        windowShownBeforeDialog = false;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<CMeteoDlg*>(w) != nullptr && w->isVisible()) {
                windowShownBeforeDialog = true;
            }
        }
        auto* list = modal->findChild<QComboBox*>(QStringLiteral("portList"));
        QVERIFY(list != nullptr);
        const int entry = list->findText(QStringLiteral("COM%1").arg(kCom));
        QVERIFY(entry >= 0);
        list->setCurrentIndex(entry);
        ModalAnswerer::click(QStringLiteral("okButton"))(modal);
    });
    QVERIFY(rig->runWindow(*store));
    QCOMPARE(answers->seen, QStringList{QStringLiteral("Port szeregowy")});
    QVERIFY(!windowShownBeforeDialog);
    // Defaults: 600 × 400 at (100, 100), frame included.
    QCOMPARE(dlg()->frameGeometry(), QRect(100, 100, 600, 400));
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 3000);

    rig->closeWindow(*store);
    QVERIFY(rig->readRegFile().contains(E2eRig::dword("PORT_NR", kCom)));
}

void TestE2eWindow::rectangleAndTopmostSurviveARestart() {
    QVERIFY(rig->startSim({QStringLiteral("--fast")}));
    std::unique_ptr<RegistryStore> store = makePlatformRegistryStore();
    AppSettings first;
    first.portNumber = kCom;
    first.windowRect = {100, 100, 700, 500};
    QVERIFY(E2eRig::storeSettings(*store, first));

    QVERIFY(rig->runWindow(*store));
    QCOMPARE(dlg()->settings().topmost, 0);
    dlg()->resize(500, 340);
    dlg()->move(160, 130);
    QTRY_COMPARE(dlg()->frameGeometry().topLeft(), QPoint(160, 130));
    dlg()->findChild<QAction*>(QStringLiteral("actionTopmost"))->trigger();
    QTRY_VERIFY(dlg()->isVisible());
    const QRect outer = dlg()->frameGeometry();
    rig->closeWindow(*store);

    QVERIFY(rig->runWindow(*store));
    QTRY_COMPARE(dlg()->frameGeometry(), outer);
    QCOMPARE(dlg()->settings().topmost, 1);
    QVERIFY(dlg()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(dlg()->findChild<QAction*>(QStringLiteral("actionTopmost"))->isChecked());
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 3000);
}

// The demo's headless run: the program saves a picture of its window, prints
// what it shows and closes itself.
void TestE2eWindow::screenshotRunPrintsTheReadings() {
    QVERIFY(rig->startSim({QStringLiteral("--fast")}));
    QVERIFY(rig->writeRegFile({E2eRig::dword("PORT_NR", kCom)}));
    const QString shot = rig->config.filePath(QStringLiteral("shot.png"));
    QProcess program;
    QProcessEnvironment env;
    env.insert(QStringLiteral("TQ820_SCREENSHOT_FILE"), shot);
    env.insert(QStringLiteral("TQ820_SCREENSHOT_AFTER_MS"), QStringLiteral("1500"));
    rig->startProgram(program, env);
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitCode(), 0);

    const QStringList lines =
        QString::fromUtf8(program.readAllStandardOutput()).split(QLatin1Char('\n'));
    QCOMPARE(lines.value(0), QStringLiteral("Wiersz stanu: ") + kBothChannels);
    const QStringList expected{
        QStringLiteral("Temperatura: .* °C"), QStringLiteral("Wilgotność względna: .* %"),
        QStringLiteral("Ciśnienie: .* hPa"), QStringLiteral("Prędkość: .* m/s"),
        QStringLiteral("Kierunek: .* °")};
    for (int i = 0; i < expected.size(); ++i) {
        const QRegularExpression re(QStringLiteral("^") + expected[i] + QStringLiteral("$"));
        QVERIFY2(re.match(lines.value(i + 1)).hasMatch(), qPrintable(lines.value(i + 1)));
    }
    const QImage picture(shot);
    QVERIFY(!picture.isNull());
    QVERIFY(picture.width() >= 500 && picture.height() >= 300);
}

void TestE2eWindow::terminationSignalSavesTheSettings_data() {
    QTest::addColumn<bool>("portStored");
    QTest::addColumn<QString>("topmost");
    QTest::newRow("while polling") << true << "00000001";
    // No port yet: the port dialog is (about to be) open when the signal comes.
    QTest::newRow("while asking for the port") << false << "00000000";
}

void TestE2eWindow::terminationSignalSavesTheSettings() {
    QFETCH(bool, portStored);
    QFETCH(QString, topmost);
    QVERIFY(rig->startSim({QStringLiteral("--fast")}));
    if (portStored) {
        QVERIFY(rig->writeRegFile({E2eRig::dword("PORT_NR", kCom), E2eRig::dword("TOPMOST", 5),
                                   E2eRig::dword("WINDOW_LEFT", 0x78)}));
    }
    QProcess program;
    rig->startProgram(program);
    QVERIFY(program.waitForStarted(5000));
    if (portStored) {
        // Polling shows that the program is up and running.
        QTRY_VERIFY_WITH_TIMEOUT(sim->stats().value(QStringLiteral("K")) >= 2, 10000);
    } else {
        // The settings key is created when the settings are loaded.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(rig->regFile()), 10000);
    }

    program.terminate(); // SIGTERM
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString saved = rig->readRegFile();
    QVERIFY2(saved.contains(QStringLiteral("\"TOPMOST\"=dword:") + topmost), qPrintable(saved));
    QVERIFY(saved.contains(portStored ? QStringLiteral("\"WINDOW_LEFT\"=dword:00000078")
                                      : QStringLiteral("\"WINDOW_LEFT\"=dword:00000064")));
    QVERIFY(saved.contains(QStringLiteral("\"FILE_ORIENT\"=dword:00000001")));
    // The window's 45 values, the chart window's seven and the history's three.
    QCOMPARE(saved.count(QStringLiteral("=dword:")) + saved.count(QStringLiteral("=\"")), 55);
}

void TestE2eWindow::terminationSignalEndsEveryStartUpDialog_data() {
    QTest::addColumn<QString>("device");
    QTest::newRow("regular file") << QStringLiteral("file");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("FIFO") << QStringLiteral("fifo");
    QTest::newRow("/dev/null") << QStringLiteral("/dev/null");
}

// The stored port is no port: "Nie można otworzyć portu COM7" and then the port
// dialog open one after the other, each in its own modal loop. One SIGTERM must
// end them all, and the settings are saved with the stored port kept.
void TestE2eWindow::terminationSignalEndsEveryStartUpDialog() {
    QFETCH(QString, device);
    QDir config(rig->config.path());
    QVERIFY(config.mkpath(QStringLiteral("Velmor/ports")));
    QString target = device;
    if (device == QLatin1String("file")) {
        target = config.filePath(QStringLiteral("not-a-port"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("K\r\n");
    } else if (device == QLatin1String("folder")) {
        target = config.filePath(QStringLiteral("not-a-port"));
        QVERIFY(config.mkpath(target));
    } else if (device == QLatin1String("fifo")) {
        target = config.filePath(QStringLiteral("not-a-port"));
        QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    }
    QVERIFY(QFile::link(target, config.filePath(QStringLiteral("Velmor/ports/COM7"))));
    QVERIFY(rig->writeRegFile({E2eRig::dword("PORT_NR", 7), E2eRig::dword("TOPMOST", 5)}));

    QProcess program;
    rig->startProgram(program);
    QVERIFY(program.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(catchesSigterm(program.processId()), 10000);

    program.terminate(); // one SIGTERM, and no second one
    QVERIFY2(program.waitForFinished(20000), "a start-up dialog outlived the signal");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    const QString saved = rig->readRegFile();
    QVERIFY2(saved.contains(QStringLiteral("\"PORT_NR\"=dword:00000007")), qPrintable(saved));
    QVERIFY(saved.contains(QStringLiteral("\"TOPMOST\"=dword:00000001")));
    // The window's 45 values, the chart window's seven and the history's three.
    QCOMPARE(saved.count(QStringLiteral("=dword:")) + saved.count(QStringLiteral("=\"")), 55);
}

QTEST_MAIN(TestE2eWindow)
#include "tst_e2e_window.moc"
