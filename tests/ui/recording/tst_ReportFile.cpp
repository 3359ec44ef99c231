#include "recording/ReportFile.h"
#include "widgets/ReportFileChooser.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

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
    void othersReadTheLinesWhileItIsOpen();
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
    QTest::newRow("pipe") << "fifo" << false << false;
    QTest::newRow("dangling link") << "dangling" << false << false;
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
        writeFile(path, "stare\r\n");
    } else if (kind == QLatin1String("link")) {
        writeFile(target, "stare\r\n");
        QVERIFY(QFile::link(target, path));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("device")) {
        path = QStringLiteral("/dev/null");
    } else if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(target, path));
    } else if (kind == QLatin1String("missingFolder")) {
        path = dir.filePath(QStringLiteral("brak/pomiary.csv"));
    } else if (kind == QLatin1String("empty")) {
        path.clear();
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
    writeFile(path, "stare\r\n");
    ReportFile file;
    QVERIFY(file.open(path));
    QVERIFY(append ? file.seekToEnd() : file.truncate());
    QVERIFY(file.writeLine("nowe\r\n"));
    QCOMPARE(contents(path), expected);
}

void ReportFileTest::othersReadTheLinesWhileItIsOpen() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pomiary.txt"));
    ReportFile file;
    QVERIFY(file.open(path));
    QVERIFY(file.writeLine("Data i Godzina\r\n"));
    QVERIFY(file.writeLine("2003.05.14 12:00:05\r\n"));
    QCOMPARE(contents(path), QByteArray("Data i Godzina\r\n2003.05.14 12:00:05\r\n"));
}

void ReportFileTest::aLineThatDoesNotFitLeavesNothingBehind() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pomiary.txt"));
    ReportFile file;
    QVERIFY(file.open(path));
    QVERIFY(file.writeLine("12345\r\n"));

    // A file size limit stands in for a full disk: the kernel writes what fits
    // and refuses the rest.
    rlimit before{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 12;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool tooLong = file.writeLine("abcdefgh\r\n");
    const QString cause = file.errorText();
    const bool fits = file.writeLine("xy\r\n");
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);

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
    QTest::newRow("list filter adds .csv")
        << false << "Lista CSV (*.csv)" << "wyniki" << "wyniki.csv" << true;
    QTest::newRow("text filter adds .txt")
        << true << "Plik tekstowy (*.txt)" << "wyniki" << "wyniki.txt" << false;
    QTest::newRow("mixed case keeps the layout")
        << true << "Plik tekstowy (*.txt)" << "wyniki.Txt" << "wyniki.Txt" << true;
    QTest::newRow("existing file, no overwrite prompt")
        << false << "Plik tekstowy (*.txt)" << "stary.CSV" << "stary.CSV" << true;
}

void ReportFileTest::chooserAppliesTheNamingRules() {
    QFETCH(bool, csvBefore);
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, expectedName);
    QFETCH(bool, csv);
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("stary.CSV")), "x\r\n");

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
    QCOMPARE(filtersSeen,
             (QStringList{QStringLiteral("Plik tekstowy (*.txt)"), QStringLiteral("Lista CSV (*.csv)")}));
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
