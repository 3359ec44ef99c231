// The recorder without a panel: what it does with files that cannot be used,
// with Cancel and OK in its dialog, and with damaged stored settings. The
// lines' bytes are the core's test; real files and panels the end-to-end one's.

#include "FileTestSupport.h"
#include "WindowTestSupport.h"
#include "protocol/PanelData.h"
#include "recording/LiveRecorder.h"
#include "settings/AppSettings.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <optional>
#include <utility>

namespace {

const QString kUnavailable =
    QStringLiteral("Wybrany plik rejestracji wyników pomiaru jest niedostępny.");
const QString kDialogTitle = QStringLiteral("Rejestruj do pliku");

// The recording dialog answered: one box set, then OK.
ModalAnswerer::Step okWith(const char* box, bool checked) {
    return [box, checked](QWidget* dialog) {
        dialog->findChild<QCheckBox*>(QLatin1String(box))->setChecked(checked);
        ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
    };
}

} // namespace

class TestLiveRecorder : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(dir.emplace().isValid());
        settings = AppSettings{};
        answers.emplace();
    }
    void cleanup() {
        recorder.reset();
        answers.reset();
        dir.reset();
    }
    void unusableFileIsReportedThenTheDialogAsks_data();
    void unusableFileIsReportedThenTheDialogAsks();
    void nothingHappensAtStartUpWithoutAName();
    void cancelKeepsAnOpenFileAndOffClosesIt_data();
    void cancelKeepsAnOpenFileAndOffClosesIt();
    void offAtStartUpThenEndingTheProgramDuringTheQuestionKeepsTheFile();
    void aFileOpenedFromTheDialogStartsANewStreak();
    void aDeletedFileIsCreatedAgainWithAHeader();

private:
    void makeRecorder() {
        recorder = std::make_unique<LiveRecorder>(
            settings, panel, [] { return false; }, &window);
    }
    QString path(const char* name) const { return dir->filePath(QLatin1String(name)); }

    std::optional<QTemporaryDir> dir;
    QWidget window;
    AppSettings settings;
    PanelData panel;
    std::unique_ptr<LiveRecorder> recorder;
    std::optional<ModalAnswerer> answers;
};

// Which files cannot be opened is the report file's matter (ReportFileTest);
// a folder and a name with a zero byte stand for them here.
void TestLiveRecorder::unusableFileIsReportedThenTheDialogAsks_data() {
    QTest::addColumn<bool>("zeroByte");
    QTest::addColumn<bool>("atStartup");
    QTest::addColumn<bool>("mended"); // a good name typed in, else Anuluj
    QTest::newRow("folder, start-up, Anuluj") << false << true << false;
    QTest::newRow("zero byte in the name, menu, Anuluj") << true << false << false;
    QTest::newRow("folder, start-up, a good file typed in") << false << true << true;
}

void TestLiveRecorder::unusableFileIsReportedThenTheDialogAsks() {
    QFETCH(bool, zeroByte);
    QFETCH(bool, atStartup);
    QFETCH(bool, mended);
    std::string name = path("pomiary.txt").toStdString();
    const QString target = path("cel.txt");
    const QString good = path("dobry.csv");
    if (zeroByte) {
        name = target.toStdString() + std::string("\0.x", 3);
    } else {
        QVERIFY(QDir().mkpath(QString::fromStdString(name)));
    }
    settings.recordFileName = name;
    settings.recordEnabled = atStartup ? 1 : 0;
    settings.recordCsv = 1;
    settings.recordIntervalSeconds = 3600;
    makeRecorder();
    QSignalSpy changed(recorder.get(), &LiveRecorder::recordingChanged);

    QString shownName;
    if (!atStartup) {
        answers->add(okWith("enabledBox", true)); // switched on for the stored name
    }
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    answers->add([&](QWidget* dialog) {
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        shownName = edit->text();
        if (mended) {
            edit->setText(good);
            ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
        } else {
            ModalAnswerer::cancel()(dialog);
        }
    });
    if (atStartup) {
        recorder->resumeRecordingAtStartup();
    } else {
        recorder->configureRecording();
    }
    QCOMPARE(answers->pending(), 0);
    const QStringList expected = atStartup ? QStringList{kUnavailable, kDialogTitle}
                                           : QStringList{kDialogTitle, kUnavailable, kDialogTitle};
    QCOMPARE(answers->seen, expected);
    QCOMPARE(answers->icons.at(expected.indexOf(kUnavailable)), QMessageBox::Warning);
    // The dialog comes back with the name that failed, for the user to mend.
    QCOMPARE(shownName, QString::fromStdString(name));
    QCOMPARE(changed.count(), 1);
    if (zeroByte) {
        QVERIFY2(!QFile::exists(target), "nothing may be written in another place");
    }
    if (!mended) {
        // Cancel with no file open: recording is off and nothing ticks.
        QCOMPARE(settings.recordEnabled, 0);
        QVERIFY(!recorder->fileOpen());
        QCOMPARE(recorder->intervalWhileRecording(), 0);
        return;
    }
    QCOMPARE(settings.recordFileName, good.toStdString());
    QCOMPARE(settings.recordEnabled, 1);
    QCOMPARE(recorder->intervalWhileRecording(), 3600);
    // A new file: no question, and the line written at once has its header;
    // the link is down, so nothing is known.
    const QList<QByteArray> lines = linesOf(contents(good));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith("Data i Godzina,"));
    QVERIFY(lines.at(1).endsWith(",???,???,???,???,???\r\n"));
}

void TestLiveRecorder::nothingHappensAtStartUpWithoutAName() {
    settings.recordEnabled = 1;
    makeRecorder();
    // A modal window would run inside the call; this closes it, so that the
    // test fails instead of waiting.
    answers->add(ModalAnswerer::cancel());
    recorder->resumeRecordingAtStartup();
    QVERIFY(answers->seen.isEmpty());
    QVERIFY(!recorder->fileOpen());
    QCOMPARE(recorder->intervalWhileRecording(), 0);
    QCOMPARE(settings.recordEnabled, 1);
}

void TestLiveRecorder::cancelKeepsAnOpenFileAndOffClosesIt_data() {
    QTest::addColumn<bool>("switchOff");
    QTest::newRow("Anuluj") << false;
    QTest::newRow("OK with recording cleared") << true;
}

void TestLiveRecorder::cancelKeepsAnOpenFileAndOffClosesIt() {
    QFETCH(bool, switchOff);
    settings.recordEnabled = 1;
    settings.recordFileName = path("pomiary.txt").toStdString();
    // Damaged: would overflow the timer's milliseconds. The other bounds are
    // the core's (LiveRecordingTest).
    settings.recordIntervalSeconds = 2147483647;
    makeRecorder();
    recorder->resumeRecordingAtStartup();
    QVERIFY(recorder->fileOpen());
    QCOMPARE(recorder->intervalWhileRecording(), 86399);
    QCOMPARE(settings.recordIntervalSeconds, 86399);
    // At start-up no line is written before the first tick.
    QCOMPARE(contents(path("pomiary.txt")), QByteArray());
    const AppSettings before = settings;

    if (switchOff) {
        answers->add(okWith("enabledBox", false));
    } else {
        answers->add([](QWidget* dialog) {
            dialog->findChild<QCheckBox*>(QStringLiteral("speedBox"))->setChecked(false);
            ModalAnswerer::cancel()(dialog);
        });
    }
    QSignalSpy changed(recorder.get(), &LiveRecorder::recordingChanged);
    recorder->configureRecording();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(recorder->fileOpen(), !switchOff);
    QCOMPARE(recorder->intervalWhileRecording(), switchOff ? 0 : 86399);
    AppSettings expected = before;
    expected.recordEnabled = switchOff ? 0 : 1;
    QCOMPARE(settings, expected);
    QCOMPARE(contents(path("pomiary.txt")), QByteArray());
}

void TestLiveRecorder::offAtStartUpThenEndingTheProgramDuringTheQuestionKeepsTheFile() {
    QVERIFY(writeFile(path("stary.txt"), "stare wyniki\r\n"));
    settings.recordFileName = path("stary.txt").toStdString();
    makeRecorder();
    // Off: nothing is opened or asked at start-up (a window would be closed).
    answers->add(ModalAnswerer::cancel());
    recorder->resumeRecordingAtStartup();
    QVERIFY(!recorder->fileOpen());
    QVERIFY(answers->seen.isEmpty());
    answers.emplace();

    answers->add(okWith("enabledBox", true));
    // The program is asked to end while the Tak/Nie question is open: the
    // question is closed the way the window closes every modal window.
    answers->add([this](QWidget* question) {
        recorder->shutDown();
        QMetaObject::invokeMethod(question, &QWidget::close, Qt::QueuedConnection);
    });
    recorder->configureRecording();
    QCOMPARE(answers->pending(), 0);
    QVERIFY(
        answers->seen.at(1).startsWith(QStringLiteral("Plik rejestracji pomiarów już istnieje")));
    QCOMPARE(contents(path("stary.txt")), QByteArray("stare wyniki\r\n"));
    QVERIFY(!recorder->fileOpen());
    QCOMPARE(recorder->intervalWhileRecording(), 0);
}

// Another file on the same full disk: its first failure is news, although
// the old file's streak was still going on.
void TestLiveRecorder::aFileOpenedFromTheDialogStartsANewStreak() {
    settings.recordEnabled = 1;
    settings.recordFileName = path("a.txt").toStdString();
    settings.recordIntervalSeconds = 3600;
    makeRecorder();
    recorder->resumeRecordingAtStartup();
    QVERIFY(recorder->fileOpen());
    FileSizeLimit disk;
    QVERIFY(disk.limit(0));

    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    recorder->writeRecordLine();
    QTRY_COMPARE(answers->seen.size(), 1);
    recorder->writeRecordLine(); // the same streak: told already
    answers->add([this](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path("b.txt"));
        ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
    });
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    recorder->configureRecording(); // writes a line at once
    QTRY_COMPARE(answers->seen.size(), 3);
    QCOMPARE(answers->seen.at(1), kDialogTitle);
    for (const auto& [index, name] : {std::pair{0, "a.txt"}, std::pair{2, "b.txt"}}) {
        const QString& message = answers->seen.at(index);
        QVERIFY2(message.startsWith(QStringLiteral("Nie można zapisać wyników pomiaru")) &&
                     message.contains(path(name)) &&
                     message.contains(QStringLiteral("plik jest za duży")),
                 qPrintable(message));
        QCOMPARE(answers->icons.at(index), QMessageBox::Critical);
    }
    QCOMPARE(recorder->linesLost(), 3);
}

// Deleted with its folder: told once; while the folder is missing the lines
// are lost quietly; then the file is there again, starting with a header.
void TestLiveRecorder::aDeletedFileIsCreatedAgainWithAHeader() {
    const QString folder = path("pomiary");
    const QString file = folder + QStringLiteral("/c.txt");
    QVERIFY(QDir().mkpath(folder));
    settings.recordEnabled = 1;
    settings.recordFileName = file.toStdString();
    settings.recordIntervalSeconds = 3600;
    makeRecorder();
    recorder->resumeRecordingAtStartup();
    recorder->writeRecordLine();
    QCOMPARE(linesOf(contents(file)).size(), 2);

    QVERIFY(QDir(folder).removeRecursively());
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    recorder->writeRecordLine();
    QTRY_COMPARE(answers->seen.size(), 1);
    QVERIFY2(answers->seen.at(0).contains(QStringLiteral("usunięty")),
             qPrintable(answers->seen.at(0)));
    recorder->writeRecordLine();
    QCOMPARE(recorder->linesLost(), 2);
    QVERIFY(!QFile::exists(file));

    QVERIFY(QDir().mkpath(folder));
    recorder->writeRecordLine();
    const QList<QByteArray> lines = linesOf(contents(file));
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith("Data i Godzina "));
    QVERIFY(lines.at(1).endsWith("???      \r\n"));
    QCOMPARE(recorder->linesLost(), 2);
    QCoreApplication::processEvents();
    QCOMPARE(answers->seen.size(), 1);
}

QTEST_MAIN(TestLiveRecorder)
#include "tst_LiveRecorder.moc"
