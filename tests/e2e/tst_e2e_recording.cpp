// Live recording against tq820-sim: the main window in this process (and the
// real program for the kill), the simulator as a child process, the panel's
// readings pinned so that every line can be compared byte for byte.

#include "E2eRig.h"
#include "FileTestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <memory>

namespace {

constexpr int kCom = 23;
const QString kBothChannels = QStringLiteral("Urządzenia: TQ-232, TQ-264. ");
const QString kEverySecond = QStringLiteral("Rejestracja do pliku co 00:00:01. ");

// Captions in Windows-1250: ° 0xB0, ś 0x9C, ć 0xE6, ę 0xEA.
const QByteArray kTextHeader = "Data i Godzina     \tTemperatura \xB0"
                               "C\tCi\x9Cnienie hPa\tWilgotno\x9C\xE6 %\tPr\xEA"
                               "dko\x9C\xE6 m/s\tKierunek \xB0\r\n";
const QByteArray kCsvHeader = "Data i Godzina,Temperatura \xB0"
                              "C,Ci\x9Cnienie hPa,Wilgotno\x9C\xE6 %,Pr\xEA"
                              "dko\x9C\xE6 m/s,Kierunek \xB0\r\n";
// The pinned readings as the two layouts write them after the time stamp.
const QByteArray kTextValues =
    "\t21.5         \t1013.2       \t45.0        \t3.4        \t270          \r\n";
const QByteArray kCsvValues = ",21.5,1013.2,45.0,3.4,270\r\n";
const QRegularExpression kStamp(QStringLiteral("^\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d"));

int dataLines(const QString& path) {
    int n = 0;
    for (const QByteArray& line : linesOf(contents(path))) {
        n += kStamp.match(QString::fromLatin1(line)).hasMatch() ? 1 : 0;
    }
    return n;
}

// A data line: a time stamp and then exactly these values.
bool isDataLine(const QByteArray& line, const QByteArray& values) {
    return line.size() == 19 + values.size() &&
           kStamp.match(QString::fromLatin1(line.left(19))).hasMatch() && line.mid(19) == values;
}

QMessageBox* openMessageBox() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

// Closes and counts every message box the test does not wait for, so that a
// box too many fails the test instead of waiting for an answer forever:
// while `expectOne` is set the first box to appear is awaited, and `handled`
// is the box being answered.
class SurplusBoxes : public QObject {
public:
    SurplusBoxes() {
        poll.setInterval(20);
        connect(&poll, &QTimer::timeout, this, [this] { check(); });
        poll.start();
    }
    bool expectOne = false;
    QPointer<QWidget> handled;
    int count = 0;

private:
    void check() {
        QList<QMessageBox*> open; // in the order they were first seen
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box != nullptr && box->isVisible() && !closing.contains(box)) {
                if (!order.contains(box)) {
                    order << box;
                }
            }
        }
        for (const QPointer<QMessageBox>& box : order) {
            if (box != nullptr && box->isVisible() && !closing.contains(box)) {
                open << box;
            }
        }
        for (QMessageBox* box : open) {
            const bool awaited =
                box == handled.data() || (expectOne && handled == nullptr && box == open.first());
            if (!awaited) {
                closing << box;
                ++count;
                QMetaObject::invokeMethod(box, &QWidget::close, Qt::QueuedConnection);
            }
        }
    }

    QTimer poll;
    QList<QPointer<QMessageBox>> order;
    QList<QPointer<QMessageBox>> closing;
};

} // namespace

class TestE2eRecording : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startupAppendsWithAHeaderAndARestartGoesOn();
    void changingOnlyTheColumnsWritesAHeaderWithoutAQuestion();
    void anotherExistingFileAsksTakNie_data();
    void anotherExistingFileAsksTakNie();
    void killedProgramLeavesOnlyWholeLines();
    void fullDiskIsReportedOncePerStreakAndPollingGoesOn();

private:
    // The simulator with its readings pinned.
    bool startPanel();
    // The window recording into `path` every second from the start.
    bool startRecordingWindow(const QString& path, bool csv) {
        return startPanel() && rig->showWindow(recordingSettings(path, csv));
    }
    static AppSettings recordingSettings(const QString& path, bool csv);
    QString file(const char* name) const { return rig->config.filePath(QLatin1String(name)); }
    CMeteoDlg* dlg() const { return rig->window.get(); }

    std::unique_ptr<E2eRig> rig;
    SimProcess* sim = nullptr; // the rig's
    ModalAnswerer* answers = nullptr;
};

void TestE2eRecording::init() {
    rig = std::make_unique<E2eRig>(kCom);
    QVERIFY(rig->config.isValid());
    sim = &rig->sim;
    answers = &rig->answers;
}

void TestE2eRecording::cleanup() {
    rig.reset();
}

bool TestE2eRecording::startPanel() {
    if (!rig->startSim({QStringLiteral("--fast")})) {
        return false;
    }
    for (const char* pin : {"value temperature 21.5", "value pressure 1013.2",
                            "value humidity 45.0", "value speed 3.4", "value direction 270"}) {
        if (!sim->command(QString::fromLatin1(pin)).startsWith(QStringLiteral("ok"))) {
            return false;
        }
    }
    return true;
}

AppSettings TestE2eRecording::recordingSettings(const QString& path, bool csv) {
    AppSettings s;
    s.portNumber = kCom;
    s.recordEnabled = 1;
    s.recordFileName = path.toStdString();
    s.recordCsv = csv ? 1 : 0;
    s.recordIntervalSeconds = 1;
    return s;
}

void TestE2eRecording::startupAppendsWithAHeaderAndARestartGoesOn() {
    QVERIFY(startPanel());
    const QString path = file("pomiary.txt");
    QVERIFY(writeFile(path, "stara linia\r\n"));
    std::unique_ptr<RegistryStore> store = makePlatformRegistryStore();
    QVERIFY(E2eRig::storeSettings(*store, recordingSettings(path, false)));

    for (int run = 1; run <= 2; ++run) {
        QVERIFY(rig->runWindow(*store));
        QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels + kEverySecond, 5000);
        QVERIFY(saveScreenshot(dlg(), QStringLiteral("e2e_recording_status")));
        const int before = dataLines(path);
        QTRY_VERIFY_WITH_TIMEOUT(dataLines(path) >= before + 3, 8000);
        rig->closeWindow(*store);
    }
    // No question at start-up: the file is always appended to.
    QVERIFY(answers->seen.isEmpty());

    // The old line stays first; every start begins with a header; the data
    // lines carry the panel's readings in the text layout.
    const QList<QByteArray> lines = linesOf(contents(path));
    QCOMPARE(lines.value(0), QByteArray("stara linia\r\n"));
    QCOMPARE(lines.value(1), kTextHeader);
    QCOMPARE(lines.count(kTextHeader), 2);
    QDateTime previous;
    for (const QByteArray& line : lines.mid(2)) {
        if (line == kTextHeader) {
            continue;
        }
        QVERIFY2(isDataLine(line, kTextValues), line.constData());
        const QDateTime stamp =
            QDateTime::fromString(QString::fromLatin1(line.left(19)), "yyyy.MM.dd HH:mm:ss");
        QVERIFY(stamp.isValid());
        QVERIFY(!previous.isValid() || stamp > previous);
        previous = stamp;
    }
}

void TestE2eRecording::changingOnlyTheColumnsWritesAHeaderWithoutAQuestion() {
    const QString path = file("pomiary.csv");
    QVERIFY(startRecordingWindow(path, true));
    QTRY_VERIFY_WITH_TIMEOUT(dataLines(path) >= 2, 8000);

    answers->add([](QWidget* dialog) {
        dialog->findChild<QCheckBox*>(QStringLiteral("pressureBox"))->setChecked(false);
        dialog->findChild<QCheckBox*>(QStringLiteral("humidityBox"))->setChecked(false);
        dialog->findChild<QTimeEdit*>(QStringLiteral("intervalEdit"))->setTime(QTime(0, 0, 2));
        ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
    });
    const QByteArray before = contents(path);
    dlg()->findChild<QAction*>(QStringLiteral("actionRecording"))->trigger();
    QCOMPARE(answers->seen, QStringList{QStringLiteral("Rejestruj do pliku")});

    // The file was kept: what it held stays, and a line with its new header
    // was written as OK closed the dialog.
    const QByteArray after = contents(path);
    QVERIFY(after.startsWith(before));
    const QList<QByteArray> added = linesOf(after.mid(before.size()));
    QVERIFY(added.size() >= 2);
    QCOMPARE(added.at(0), QByteArray("Data i Godzina,Temperatura \xB0"
                                     "C,Pr\xEA"
                                     "dko\x9C\xE6 m/s,Kierunek \xB0\r\n"));
    QVERIFY2(isDataLine(added.at(1), ",21.5,3.4,270\r\n"), added.at(1).constData());
    QCOMPARE(dlg()->statusLine()->text(),
             kBothChannels + QStringLiteral("Rejestracja do pliku co 00:00:02. "));
    QCOMPARE(linesOf(before).count(kCsvHeader), 1);
    // The next tick follows two seconds later, with the new columns.
    QTRY_VERIFY_WITH_TIMEOUT(linesOf(contents(path)).size() > linesOf(after).size(), 5000);
    QVERIFY(isDataLine(linesOf(contents(path)).last(), ",21.5,3.4,270\r\n"));
}

void TestE2eRecording::anotherExistingFileAsksTakNie_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Tak appends") << true;
    QTest::newRow("Nie empties the file first") << false;
}

void TestE2eRecording::anotherExistingFileAsksTakNie() {
    QFETCH(bool, yes);
    const QString first = file("pierwszy.txt");
    const QString second = file("drugi.txt");
    QVERIFY(writeFile(second, "stare\r\n"));
    QVERIFY(startRecordingWindow(first, false));
    QTRY_VERIFY_WITH_TIMEOUT(dataLines(first) >= 1, 8000);

    answers->add([&second](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(second);
        ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
    });
    answers->add(
        ModalAnswerer::click(yes ? QStringLiteral("yesButton") : QStringLiteral("noButton")));
    dlg()->findChild<QAction*>(QStringLiteral("actionRecording"))->trigger();
    QCOMPARE(
        answers->seen,
        (QStringList{QStringLiteral("Rejestruj do pliku"),
                     QStringLiteral("Plik rejestracji pomiarów już istnieje.\r\nWybierz Tak aby "
                                    "dopisywać wyniki do poprzednich,\r\nwybierz Nie aby "
                                    "skasować poprzednią zawartość pliku.")}));
    QCOMPARE(answers->icons.at(1), QMessageBox::Question);

    const QByteArray firstAfter = contents(first);
    const QList<QByteArray> lines = linesOf(contents(second));
    const int headerAt = yes ? 1 : 0;
    if (yes) {
        QCOMPARE(lines.value(0), QByteArray("stare\r\n"));
    }
    QCOMPARE(lines.size(), headerAt + 2);
    QCOMPARE(lines.at(headerAt), kTextHeader);
    QVERIFY2(isDataLine(lines.at(headerAt + 1), kTextValues), lines.at(headerAt + 1).constData());

    // The lines go on into the new file only.
    QTRY_VERIFY_WITH_TIMEOUT(dataLines(second) >= 3, 8000);
    QCOMPARE(contents(first), firstAfter);
}

void TestE2eRecording::killedProgramLeavesOnlyWholeLines() {
    QVERIFY(startPanel());
    const QString path = file("pomiary.txt");
    QVERIFY(E2eRig::storeSettings(*makePlatformRegistryStore(), recordingSettings(path, false)));
    constexpr int kRuns = 3;
    for (int run = 1; run <= kRuns; ++run) {
        QProcess program;
        rig->startProgram(program);
        QVERIFY(program.waitForStarted(5000));
        const int before = dataLines(path);
        QTRY_VERIFY_WITH_TIMEOUT(dataLines(path) >= before + 2, 10000);
        // Somewhere within the next second, at any point of its cycle.
        QTest::qWait(QRandomGenerator::global()->bounded(1000));
        program.kill(); // SIGKILL
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);

        const QByteArray bytes = contents(path);
        QVERIFY(bytes.endsWith("\r\n"));
        for (const QByteArray& line : linesOf(bytes)) {
            QVERIFY2(line == kTextHeader || isDataLine(line, kTextValues), line.constData());
        }
        QCOMPARE(linesOf(bytes).count(kTextHeader), run);
    }
}

void TestE2eRecording::fullDiskIsReportedOncePerStreakAndPollingGoesOn() {
    const QString path = file("pomiary.csv");
    QVERIFY(startRecordingWindow(path, true));
    QTRY_VERIFY_WITH_TIMEOUT(dataLines(path) >= 1, 8000);
    const LiveRecorder& recorder = dlg()->liveRecorder();

    FileSizeLimit disk;
    SurplusBoxes surplus;
    QPixmap picture; // saved once files may grow again
    for (int streak = 1; streak <= 2; ++streak) {
        const qint64 size = QFileInfo(path).size();
        const int lostBefore = recorder.linesLost();
        // The box runs its own event loop: it is looked at and answered
        // from there, as a user would, and answered even when a check fails.
        bool looked = false;
        answers->add([&](QWidget* modal) {
            auto answer =
                qScopeGuard([modal] { ModalAnswerer::click(QStringLiteral("okButton"))(modal); });
            surplus.handled = modal;
            surplus.expectOne = false;
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box != nullptr);
            QCOMPARE(box->icon(), QMessageBox::Critical);
            QVERIFY2(box->text().contains(path) && box->text().contains(QStringLiteral("za duży")),
                     qPrintable(box->text()));
            // The timer goes on ticking under the box: more lines fail, no
            // second box opens, and the panel is still polled.
            const double polled = sim->stats().value(QStringLiteral("K"));
            QTRY_VERIFY_WITH_TIMEOUT(recorder.linesLost() >= lostBefore + 3, 6000);
            QCOMPARE(surplus.count, 0);
            picture = box->grab();
            QVERIFY(sim->stats().value(QStringLiteral("K")) > polled);
            QCOMPARE(dlg()->statusLine()->text(), kBothChannels + kEverySecond);
            looked = true;
        });
        surplus.handled = nullptr;
        surplus.expectOne = true;
        QVERIFY(disk.limit(size + 10)); // less than a line
        QTRY_VERIFY_WITH_TIMEOUT(looked && openMessageBox() == nullptr, 20000);

        // Still failing: this streak has been told once already.
        const int lost = recorder.linesLost();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.linesLost() >= lost + 2, 5000);
        QCOMPARE(answers->seen.size(), streak);
        QCOMPARE(surplus.count, 0);
        QCOMPARE(QFileInfo(path).size(), size);

        // Space again: the lines come back, and the next failure is news.
        disk.lift();
        const int written = dataLines(path);
        QTRY_VERIFY_WITH_TIMEOUT(dataLines(path) > written, 5000);
    }
    const QString shots = qEnvironmentVariable("TQ820_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        QVERIFY(picture.save(shots + QStringLiteral("/e2e_recording_write_failure.png")));
    }
    const QByteArray bytes = contents(path);
    QVERIFY(bytes.endsWith("\r\n"));
    for (const QByteArray& line : linesOf(bytes)) {
        QVERIFY2(line == kCsvHeader || isDataLine(line, kCsvValues), line.constData());
    }
}

QTEST_MAIN(TestE2eRecording)
#include "tst_e2e_recording.moc"
