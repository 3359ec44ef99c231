// Live recording against tq820-sim: the main window in this process (and the
// real program for start-up and the kill), the simulator as a child process,
// the panel's readings pinned so that every line can be checked whole.

#include "E2eRig.h"
#include "FileTestSupport.h"
#include "recording/RecordLine.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <memory>
#include <utility>

namespace {

constexpr int kCom = 23;
const QString kBothChannels = QStringLiteral("Urządzenia: TQ-232, TQ-264. ");
const QString kEverySecond = QStringLiteral("Rejestracja do pliku co 00:00:01. ");
// The headers' bytes are the core's test (LiveRecordingTest).
const QByteArray kTextHeader =
    QByteArray::fromStdString(RecordLine::header(RecordColumns{}, false));
const QByteArray kCsvHeader = QByteArray::fromStdString(RecordLine::header(RecordColumns{}, true));
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

} // namespace

class TestE2eRecording : public QObject {
    Q_OBJECT

private slots:
    void init() {
        rig = std::make_unique<E2eRig>(kCom);
        QVERIFY(rig->config.isValid());
        answers = &rig->answers;
    }
    void cleanup() { rig.reset(); }
    void changingOnlyTheColumnsWritesAHeaderWithoutAQuestion();
    void anotherExistingFileAsksTakNie_data();
    void anotherExistingFileAsksTakNie();
    void startupAppendsAndAKilledProgramLeavesOnlyWholeLines();
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
    void openRecordingDialog() {
        dlg()->findChild<QAction*>(QStringLiteral("actionRecording"))->trigger();
    }

    std::unique_ptr<E2eRig> rig;
    ModalAnswerer* answers = nullptr; // the rig's
};

bool TestE2eRecording::startPanel() {
    if (!rig->startSim({QStringLiteral("--fast")})) {
        return false;
    }
    for (const char* pin : {"value temperature 21.5", "value pressure 1013.2",
                            "value humidity 45.0", "value speed 3.4", "value direction 270"}) {
        if (!rig->sim.command(QString::fromLatin1(pin)).startsWith(QStringLiteral("ok"))) {
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
    // The full disk is the recording file's: the history's own file would
    // fill the same disk with a streak of its own.
    s.historyEnabled = 0;
    return s;
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
    openRecordingDialog();
    QCOMPARE(answers->seen, QStringList{QStringLiteral("Rejestruj do pliku")});

    // The file was kept: what it held stays, and a line with its new header
    // was written as OK closed the dialog.
    const QByteArray after = contents(path);
    QVERIFY(after.startsWith(before));
    const QByteArray header =
        QByteArray::fromStdString(RecordLine::header({true, false, false, true, true}, true));
    const QList<QByteArray> added = linesOf(after.mid(before.size()));
    QVERIFY(added.size() >= 2);
    QCOMPARE(added.at(0), header);
    QVERIFY2(isDataLine(added.at(1), ",21.5,3.4,270\r\n"), added.at(1).constData());
    QCOMPARE(dlg()->statusLine()->text(),
             kBothChannels + QStringLiteral("Rejestracja do pliku co 00:00:02. "));
    QVERIFY(saveScreenshot(dlg(), QStringLiteral("e2e_recording_status")));
    // The next tick follows two seconds later, with the new columns.
    QTRY_VERIFY_WITH_TIMEOUT(linesOf(contents(path)).size() > linesOf(after).size(), 5000);
    QVERIFY(isDataLine(linesOf(contents(path)).last(), ",21.5,3.4,270\r\n"));
}

void TestE2eRecording::anotherExistingFileAsksTakNie_data() {
    QTest::addColumn<QString>("answer");
    QTest::newRow("Tak appends") << "yesButton";
    QTest::newRow("Nie empties the file first") << "noButton";
    // Nie would destroy the old lines: Escape is no answer, and a box closed
    // without one leaves the file alone.
    QTest::newRow("Escape, then closed") << "escape";
}

void TestE2eRecording::anotherExistingFileAsksTakNie() {
    QFETCH(QString, answer);
    const bool escape = answer == QLatin1String("escape");
    const QString first = file("pierwszy.txt");
    const QString second = file("drugi.txt");
    QVERIFY(writeFile(second, "stare\r\n"));
    QVERIFY(startRecordingWindow(first, false));
    QTRY_VERIFY_WITH_TIMEOUT(dataLines(first) >= 1, 8000);

    answers->add([&second](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(second);
        ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
    });
    if (escape) {
        answers->add([](QWidget* box) {
            QTest::keyClick(box, Qt::Key_Escape);
            QVERIFY(box->isVisible());
            QMetaObject::invokeMethod(box, &QWidget::close, Qt::QueuedConnection);
        });
        // The file counts as unusable; the dialog comes back and is cancelled.
        answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
        answers->add(ModalAnswerer::cancel());
    } else {
        answers->add(ModalAnswerer::click(answer));
    }
    openRecordingDialog();
    QCOMPARE(answers->pending(), 0);
    QCOMPARE(
        answers->seen.mid(0, 2),
        (QStringList{QStringLiteral("Rejestruj do pliku"),
                     QStringLiteral("Plik rejestracji pomiarów już istnieje.\r\nWybierz Tak aby "
                                    "dopisywać wyniki do poprzednich,\r\nwybierz Nie aby "
                                    "skasować poprzednią zawartość pliku.")}));
    QCOMPARE(answers->icons.at(1), QMessageBox::Question);
    if (escape) {
        QCOMPARE(answers->seen.size(), 4);
        QCOMPARE(contents(second), QByteArray("stare\r\n"));
        QVERIFY(!dlg()->liveRecorder().fileOpen());
        return;
    }

    // A header and a line at once, after the old line or in its place.
    const QByteArray firstAfter = contents(first);
    const QByteArray start =
        (answer == QLatin1String("yesButton") ? QByteArray("stare\r\n") : QByteArray()) +
        kTextHeader;
    const QByteArray bytes = contents(second);
    QVERIFY2(bytes.startsWith(start) && isDataLine(bytes.mid(start.size()), kTextValues),
             bytes.constData());

    // The lines go on into the new file only.
    QTRY_VERIFY_WITH_TIMEOUT(dataLines(second) >= 3, 8000);
    QCOMPARE(contents(first), firstAfter);
}

// The real program, started with recording on and killed again and again.
void TestE2eRecording::startupAppendsAndAKilledProgramLeavesOnlyWholeLines() {
    QVERIFY(startPanel());
    const QString path = file("pomiary.txt");
    QVERIFY(writeFile(path, "stara linia\r\n"));
    QVERIFY(E2eRig::storeSettings(*makePlatformRegistryStore(), recordingSettings(path, false)));
    for (int run = 1; run <= 3; ++run) {
        QProcess program;
        rig->startProgram(program);
        QVERIFY(program.waitForStarted(5000));
        // No question at start-up (it would hold the lines back): the file is
        // always appended to.
        const int before = dataLines(path);
        QTRY_VERIFY_WITH_TIMEOUT(dataLines(path) >= before + 2, 10000);
        // Somewhere within the next second, at any point of its cycle.
        QTest::qWait(QRandomGenerator::global()->bounded(1000));
        program.kill(); // SIGKILL
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);

        // The old line stays first; every start begins with a header; the
        // data lines carry the panel's readings, their time stamps rising.
        QList<QByteArray> lines = linesOf(contents(path));
        QVERIFY(lines.last().endsWith("\r\n"));
        QCOMPARE(lines.takeFirst(), QByteArray("stara linia\r\n"));
        QCOMPARE(lines.value(0), kTextHeader);
        QCOMPARE(lines.count(kTextHeader), run);
        lines.removeAll(kTextHeader);
        QDateTime previous;
        for (const QByteArray& line : lines) {
            QVERIFY2(isDataLine(line, kTextValues), line.constData());
            const QDateTime stamp =
                QDateTime::fromString(QString::fromLatin1(line.left(19)), "yyyy.MM.dd HH:mm:ss");
            QVERIFY(stamp.isValid() && (!previous.isValid() || stamp > previous));
            previous = stamp;
        }
    }
}

void TestE2eRecording::fullDiskIsReportedOncePerStreakAndPollingGoesOn() {
    const QString path = file("pomiary.csv");
    QVERIFY(startRecordingWindow(path, true));
    QTRY_VERIFY_WITH_TIMEOUT(dataLines(path) >= 1, 8000);
    const LiveRecorder& recorder = dlg()->liveRecorder();

    FileSizeLimit disk;
    QPixmap picture; // saved once files may grow again
    // Every box is answered here, so that a box too many fails the test
    // (answers->seen counts it) instead of waiting forever; only the first
    // of a streak is looked at.
    bool awaited = false;
    bool looked = false;
    int lostBefore = 0;
    const ModalAnswerer::Step answer = [&](QWidget* modal) {
        // Answered even when a check fails.
        auto ok = qScopeGuard([modal] { ModalAnswerer::click(QStringLiteral("okButton"))(modal); });
        if (!std::exchange(awaited, false)) {
            return;
        }
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QVERIFY2(box->text().contains(path) && box->text().contains(QStringLiteral("za duży")),
                 qPrintable(box->text()));
        // The timer goes on ticking under the box (the box runs its own
        // event loop): more lines fail, no second box opens, and the panel
        // is still polled.
        const int boxes = answers->seen.size();
        const double polled = rig->sim.stats().value(QStringLiteral("K"));
        QTRY_VERIFY_WITH_TIMEOUT(recorder.linesLost() >= lostBefore + 3, 6000);
        QCOMPARE(answers->seen.size(), boxes);
        picture = box->grab();
        QVERIFY(rig->sim.stats().value(QStringLiteral("K")) > polled);
        QCOMPARE(dlg()->statusLine()->text(), kBothChannels + kEverySecond);
        looked = true;
    };
    for (int i = 0; i < 6; ++i) {
        answers->add(answer);
    }
    for (int streak = 1; streak <= 2; ++streak) {
        const qint64 size = QFileInfo(path).size();
        lostBefore = recorder.linesLost();
        awaited = true;
        looked = false;
        QVERIFY(disk.limit(size + 10)); // less than a line
        QTRY_VERIFY_WITH_TIMEOUT(looked && QApplication::activeModalWidget() == nullptr, 20000);

        // Still failing: this streak has been told once already.
        const int lost = recorder.linesLost();
        QTRY_VERIFY_WITH_TIMEOUT(recorder.linesLost() >= lost + 2, 5000);
        QCOMPARE(answers->seen.size(), streak);
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
