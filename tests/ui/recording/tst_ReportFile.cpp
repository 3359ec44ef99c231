// Which names a report file may be opened under, and what a failed write
// leaves behind. Appending or emptying is the end-to-end recording test's.

#include "FileTestSupport.h"
#include "recording/ReportFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

class ReportFileTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnlyRegularFiles_data();
    void opensOnlyRegularFiles();
    void aLineThatDoesNotFitLeavesNothingBehind();
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

QTEST_MAIN(ReportFileTest)
#include "tst_ReportFile.moc"
