// The recorder without a panel: what it does with files that cannot be used,
// with Cancel and OK in its dialog, and with damaged stored settings.

#include "FileTestSupport.h"
#include "WindowTestSupport.h"
#include "app/AppSettings.h"
#include "protocol/PanelData.h"
#include "recording/LiveRecorder.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString kUnavailable =
    QStringLiteral("Wybrany plik rejestracji wyników pomiaru jest niedostępny.");
const QString kDialogTitle = QStringLiteral("Rejestruj do pliku");

} // namespace

class TestLiveRecorder : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void unusableFileIsReportedThenTheDialogAsks_data();
    void unusableFileIsReportedThenTheDialogAsks();
    void unusableFileThenAGoodOneStartsRecording();
    void nothingHappensWithoutANameOrWhenOff_data();
    void nothingHappensWithoutANameOrWhenOff();
    void cancelKeepsAnOpenFileAndOffClosesIt_data();
    void cancelKeepsAnOpenFileAndOffClosesIt();
    void storedIntervalIsBroughtIntoRange_data();
    void storedIntervalIsBroughtIntoRange();
    void endingTheProgramDuringTheQuestionKeepsTheFile();

private:
    // The recorder over `settings`, its messages answered by `answers`.
    void makeRecorder();

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<QWidget> window;
    AppSettings settings;
    PanelData panel;
    std::unique_ptr<LiveRecorder> recorder;
    std::unique_ptr<ModalAnswerer> answers;
};

void TestLiveRecorder::init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    window = std::make_unique<QWidget>();
    settings = AppSettings{};
    answers = std::make_unique<ModalAnswerer>();
}

void TestLiveRecorder::cleanup() {
    recorder.reset();
    answers.reset();
    window.reset();
    dir.reset();
}

void TestLiveRecorder::makeRecorder() {
    recorder = std::make_unique<LiveRecorder>(
        settings, panel, [] { return false; }, window.get());
}

// Which files cannot be opened is the report file's matter (tst_ReportFile);
// a folder stands for them here. A zero byte is the recorder's own check.
void TestLiveRecorder::unusableFileIsReportedThenTheDialogAsks_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("atStartup");
    for (bool startup : {true, false}) {
        const char* when = startup ? "start-up" : "menu";
        for (const char* kind : {"folder", "zero byte in the name"}) {
            QTest::addRow("%s, %s", kind, when) << QString::fromLatin1(kind) << startup;
        }
    }
}

void TestLiveRecorder::unusableFileIsReportedThenTheDialogAsks() {
    QFETCH(QString, kind);
    QFETCH(bool, atStartup);
    std::string name = dir->filePath(QStringLiteral("pomiary.txt")).toStdString();
    const QString target = dir->filePath(QStringLiteral("cel.txt"));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(QString::fromStdString(name)));
    } else {
        name = target.toStdString() + std::string("\0.x", 3);
        QCOMPARE(name.size(), size_t(target.toUtf8().size() + 3));
    }
    settings.recordFileName = name;
    settings.recordEnabled = 1;
    makeRecorder();
    QSignalSpy changed(recorder.get(), &LiveRecorder::recordingChanged);

    QString shownName;
    if (atStartup) {
        answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
        answers->add([&](QWidget* dialog) {
            shownName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            ModalAnswerer::cancel()(dialog);
        });
        recorder->resumeRecordingAtStartup();
    } else {
        // Recording is off; the user switches it on for the stored name.
        settings.recordEnabled = 0;
        answers->add([](QWidget* dialog) {
            dialog->findChild<QCheckBox*>(QStringLiteral("enabledBox"))->setChecked(true);
            ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
        });
        answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
        answers->add([&](QWidget* dialog) {
            shownName = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            ModalAnswerer::cancel()(dialog);
        });
        recorder->configureRecording();
    }
    QCOMPARE(answers->pending(), 0);
    const QStringList expected = atStartup ? QStringList{kUnavailable, kDialogTitle}
                                           : QStringList{kDialogTitle, kUnavailable, kDialogTitle};
    QCOMPARE(answers->seen, expected);
    QCOMPARE(answers->icons.at(expected.indexOf(kUnavailable)), QMessageBox::Warning);
    // The dialog comes back with the name that failed, for the user to mend.
    QCOMPARE(shownName, QString::fromStdString(name));
    // Cancel with no file open: recording is off and nothing ticks.
    QCOMPARE(settings.recordEnabled, 0);
    QVERIFY(!recorder->fileOpen());
    QCOMPARE(recorder->intervalWhileRecording(), 0);
    QCOMPARE(changed.count(), 1);
    QVERIFY2(!QFile::exists(target), "nothing may be written in another place");
}

void TestLiveRecorder::unusableFileThenAGoodOneStartsRecording() {
    const QString folder = dir->filePath(QStringLiteral("folder.txt"));
    QVERIFY(QDir().mkpath(folder));
    const QString good = dir->filePath(QStringLiteral("dobry.csv"));
    settings.recordFileName = folder.toStdString();
    settings.recordEnabled = 1;
    settings.recordCsv = 1;
    settings.recordIntervalSeconds = 3600;
    makeRecorder();
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    answers->add([&](QWidget* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(good);
        ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
    });
    recorder->resumeRecordingAtStartup();
    QCOMPARE(answers->seen, (QStringList{kUnavailable, kDialogTitle}));
    QCOMPARE(settings.recordFileName, good.toStdString());
    QCOMPARE(settings.recordEnabled, 1);
    QCOMPARE(recorder->intervalWhileRecording(), 3600);
    // A new file: no question, and the line written at once has its header.
    const QByteArray written = contents(good);
    QVERIFY2(written.startsWith("Data i Godzina,Temperatura \xB0"
                                "C,Ci\x9Cnienie hPa,"),
             written.constData());
    QCOMPARE(written.count("\r\n"), 2);
    QVERIFY(written.endsWith(",???,???,???,???,???\r\n"));
}

void TestLiveRecorder::nothingHappensWithoutANameOrWhenOff_data() {
    QTest::addColumn<int>("enabled");
    QTest::addColumn<bool>("named");
    QTest::newRow("on, empty name") << 1 << false;
    QTest::newRow("off, named") << 0 << true;
    QTest::newRow("off, empty name") << 0 << false;
}

void TestLiveRecorder::nothingHappensWithoutANameOrWhenOff() {
    QFETCH(int, enabled);
    QFETCH(bool, named);
    const QString path = dir->filePath(QStringLiteral("pomiary.txt"));
    settings.recordEnabled = enabled;
    settings.recordFileName = named ? path.toStdString() : std::string();
    makeRecorder();
    // A modal window would run inside the call; this closes it, so that the
    // test fails instead of waiting.
    answers->add(ModalAnswerer::cancel());
    recorder->resumeRecordingAtStartup();
    QVERIFY(answers->seen.isEmpty());
    QVERIFY(!recorder->fileOpen());
    QCOMPARE(recorder->intervalWhileRecording(), 0);
    QCOMPARE(settings.recordEnabled, enabled);
    QVERIFY(!QFile::exists(path));
}

void TestLiveRecorder::cancelKeepsAnOpenFileAndOffClosesIt_data() {
    QTest::addColumn<bool>("switchOff");
    QTest::newRow("Anuluj") << false;
    QTest::newRow("OK with recording cleared") << true;
}

void TestLiveRecorder::cancelKeepsAnOpenFileAndOffClosesIt() {
    QFETCH(bool, switchOff);
    const QString path = dir->filePath(QStringLiteral("pomiary.txt"));
    settings.recordEnabled = 1;
    settings.recordFileName = path.toStdString();
    settings.recordIntervalSeconds = 90;
    makeRecorder();
    recorder->resumeRecordingAtStartup();
    QVERIFY(recorder->fileOpen());
    QCOMPARE(recorder->intervalWhileRecording(), 90);
    // At start-up no line is written before the first tick.
    QCOMPARE(contents(path), QByteArray());
    const AppSettings before = settings;

    answers->add([switchOff](QWidget* dialog) {
        if (switchOff) {
            dialog->findChild<QCheckBox*>(QStringLiteral("enabledBox"))->setChecked(false);
            ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
        } else {
            dialog->findChild<QCheckBox*>(QStringLiteral("speedBox"))->setChecked(false);
            ModalAnswerer::cancel()(dialog);
        }
    });
    QSignalSpy changed(recorder.get(), &LiveRecorder::recordingChanged);
    recorder->configureRecording();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(recorder->fileOpen(), !switchOff);
    QCOMPARE(recorder->intervalWhileRecording(), switchOff ? 0 : 90);
    AppSettings expected = before;
    expected.recordEnabled = switchOff ? 0 : 1;
    QCOMPARE(settings, expected);
    QCOMPARE(contents(path), QByteArray());
}

void TestLiveRecorder::storedIntervalIsBroughtIntoRange_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("used");
    // The bounds are the core's (LiveRecordingTest); these are the ends.
    QTest::newRow("zero") << 0 << 1;
    QTest::newRow("largest number") << 2147483647 << 86399;
}

void TestLiveRecorder::storedIntervalIsBroughtIntoRange() {
    QFETCH(int, stored);
    QFETCH(int, used);
    settings.recordEnabled = 1;
    settings.recordFileName = dir->filePath(QStringLiteral("pomiary.txt")).toStdString();
    settings.recordIntervalSeconds = stored;
    makeRecorder();
    recorder->resumeRecordingAtStartup();
    QCOMPARE(recorder->intervalWhileRecording(), used);
    QCOMPARE(settings.recordIntervalSeconds, used);
}

void TestLiveRecorder::endingTheProgramDuringTheQuestionKeepsTheFile() {
    const QString path = dir->filePath(QStringLiteral("stary.txt"));
    QVERIFY(writeFile(path, "stare wyniki\r\n"));
    settings.recordFileName = path.toStdString();
    makeRecorder();
    answers->add([](QWidget* dialog) {
        dialog->findChild<QCheckBox*>(QStringLiteral("enabledBox"))->setChecked(true);
        ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
    });
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
    QCOMPARE(contents(path), QByteArray("stare wyniki\r\n"));
    QVERIFY(!recorder->fileOpen());
    QCOMPARE(recorder->intervalWhileRecording(), 0);
}

QTEST_MAIN(TestLiveRecorder)
#include "tst_LiveRecorder.moc"
