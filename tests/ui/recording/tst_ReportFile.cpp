#include "FileTestSupport.h"
#include "recording/ReportFile.h"
#include "widgets/ReportFileChooser.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Answers the file chooser once it is up.
void whenChooserOpens(std::function<void(QFileDialog*)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr);
        act(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
    });
}

} // namespace

class ReportFileTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnlyRegularFiles_data();
    void opensOnlyRegularFiles();
    void appendsOrEmptiesAnExistingFile_data();
    void appendsOrEmptiesAnExistingFile();
    void aLineThatDoesNotFitLeavesNothingBehind();
    void chooserAppliesTheNamingRules_data();
    void chooserAppliesTheNamingRules();
    void chooserCancelledGivesNothing();
};

void ReportFileTest::opensOnlyRegularFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<bool>("existed");
    QTest::newRow("new file is created") << "new" << true << false;
    QTest::newRow("existing file") << "existing" << true << true;
    QTest::newRow("link to a file") << "link" << true << true;
    QTest::newRow("folder") << "folder" << false << false;
    QTest::newRow("device") << "device" << false << false;
    QTest::newRow("link to a device") << "deviceLink" << false << false;
    QTest::newRow("pipe") << "fifo" << false << false;
    QTest::newRow("dangling link") << "dangling" << false << false;
    QTest::newRow("folder without write access") << "locked" << false << false;
    QTest::newRow("missing folder") << "missingFolder" << false << false;
    QTest::newRow("empty name") << "empty" << false << false;
}

void ReportFileTest::opensOnlyRegularFiles() {
    QFETCH(QString, kind);
    QFETCH(bool, opens);
    QFETCH(bool, existed);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("pomiary.csv"));
    const QString target = dir.filePath(QStringLiteral("cel.csv"));
    if (kind == QLatin1String("existing")) {
        QVERIFY(writeFile(path, "stare\r\n"));
    } else if (kind == QLatin1String("link")) {
        QVERIFY(writeFile(target, "stare\r\n"));
        QVERIFY(QFile::link(target, path));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("device")) {
        path = QStringLiteral("/dev/null");
    } else if (kind == QLatin1String("deviceLink")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), path));
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(target, path));
    } else if (kind == QLatin1String("missingFolder")) {
        path = dir.filePath(QStringLiteral("brak/pomiary.csv"));
    } else if (kind == QLatin1String("empty")) {
        path.clear();
    } else if (kind == QLatin1String("locked")) {
        if (::geteuid() == 0) {
            // Root writes into any folder of a disk; /proc takes no new files.
            path = QStringLiteral("/proc/tq820-pomiary.csv");
        } else {
            const QString locked = dir.filePath(QStringLiteral("zamkniety"));
            QVERIFY(QDir().mkpath(locked));
            QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
            path = locked + QStringLiteral("/pomiary.csv");
        }
    }

    ReportFile file;
    QCOMPARE(file.open(path), opens);
    QCOMPARE(file.isOpen(), opens);
    if (opens) {
        QCOMPARE(file.existed(), existed);
        QVERIFY(file.errorText().isEmpty());
    } else {
        QVERIFY(!file.errorText().isEmpty());
    }
    if (kind == QLatin1String("dangling")) {
        QVERIFY2(!QFile::exists(target), "a dangling link must not create its target");
    }
}

void ReportFileTest::appendsOrEmptiesAnExistingFile_data() {
    QTest::addColumn<bool>("append");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("Tak appends") << true << QByteArray("stare\r\nnowe\r\n");
    QTest::newRow("Nie empties") << false << QByteArray("nowe\r\n");
}

void ReportFileTest::appendsOrEmptiesAnExistingFile() {
    QFETCH(bool, append);
    QFETCH(QByteArray, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pomiary.txt"));
    QVERIFY(writeFile(path, "stare\r\n"));
    ReportFile file;
    QVERIFY(file.open(path));
    QVERIFY(append ? file.seekToEnd() : file.truncate());
    QVERIFY(file.writeLine("nowe\r\n"));
    // Read while the file is open: other programs see each line at once.
    QCOMPARE(contents(path), expected);
}

void ReportFileTest::aLineThatDoesNotFitLeavesNothingBehind() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pomiary.txt"));
    ReportFile file;
    QVERIFY(file.open(path));
    QVERIFY(file.writeLine("12345\r\n"));

    FileSizeLimit disk;
    QVERIFY(disk.limit(12));
    const bool tooLong = file.writeLine("abcdefgh\r\n");
    const QString cause = file.errorText();
    const bool fits = file.writeLine("xy\r\n");
    disk.lift();

    QVERIFY(!tooLong);
    QCOMPARE(cause, QStringLiteral("plik jest za duży"));
    QVERIFY(fits);
    QCOMPARE(contents(path), QByteArray("12345\r\nxy\r\n"));
}

void ReportFileTest::chooserAppliesTheNamingRules_data() {
    QTest::addColumn<bool>("csvBefore");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<bool>("csv");
    QTest::newRow("list filter adds .csv") << false << "Lista CSV (*.csv)"
                                           << "wyniki"
                                           << "wyniki.csv" << true;
    QTest::newRow("text filter adds .txt") << true << "Plik tekstowy (*.txt)"
                                           << "wyniki"
                                           << "wyniki.txt" << false;
    QTest::newRow("existing file, no overwrite prompt") << false << "Plik tekstowy (*.txt)"
                                                        << "stary.CSV"
                                                        << "stary.CSV" << true;
}

void ReportFileTest::chooserAppliesTheNamingRules() {
    QFETCH(bool, csvBefore);
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, expectedName);
    QFETCH(bool, csv);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("stary.CSV")), "x\r\n"));

    QStringList filtersSeen;
    QString titleSeen;
    QString initialFilter;
    whenChooserOpens([&](QFileDialog* chooser) {
        titleSeen = chooser->windowTitle();
        filtersSeen = chooser->nameFilters();
        initialFilter = chooser->selectedNameFilter();
        chooser->setDirectory(dir.path());
        chooser->selectNameFilter(filter);
        chooser->selectFile(dir.filePath(typed));
        static_cast<QDialog*>(chooser)->accept(); // public in QDialog
    });
    QWidget parent;
    const std::optional<ReportFileChoice> choice = chooseReportFile(&parent, csvBefore);

    QCOMPARE(titleSeen, QStringLiteral("Wybierz plik raportu"));
    QCOMPARE(filtersSeen, (QStringList{QStringLiteral("Plik tekstowy (*.txt)"),
                                       QStringLiteral("Lista CSV (*.csv)")}));
    QCOMPARE(initialFilter, csvBefore ? filtersSeen.at(1) : filtersSeen.at(0));
    QVERIFY(choice.has_value());
    QCOMPARE(QString::fromStdString(choice->fileName), dir.filePath(expectedName));
    QCOMPARE(choice->csv, csv);
}

void ReportFileTest::chooserCancelledGivesNothing() {
    whenChooserOpens([](QFileDialog* chooser) { chooser->reject(); });
    QWidget parent;
    QVERIFY(!chooseReportFile(&parent, true).has_value());
}

QTEST_MAIN(ReportFileTest)
#include "tst_ReportFile.moc"
