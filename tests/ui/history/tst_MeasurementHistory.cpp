// The history's file when things go wrong: a damaged file is put aside and a
// new one started, a second running copy and a file that cannot be created
// are told once however many readings come, and a run that ended abruptly
// leaves its last minute to be completed at the next start.

#include "history/HistoryDatabase.h"
#include "history/MeasurementHistory.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <limits>

namespace {

Reading readingAt(std::chrono::system_clock::time_point t, double temperature) {
    Reading r;
    r.time = t;
    r.values[static_cast<std::size_t>(quantityIndex(Quantity::TEMP))] = {true, temperature, false};
    return r;
}

// Readings of `seconds` whole seconds, ten a second, that ended a minute ago.
void feed(MeasurementHistory& history, int seconds) {
    const auto start = std::chrono::floor<std::chrono::minutes>(std::chrono::system_clock::now()) -
                       std::chrono::minutes(2);
    for (int ms = 0; ms < seconds * 1000; ms += 100) {
        history.addReading(readingAt(start + std::chrono::milliseconds(ms), 20.0 + ms / 1000));
    }
}

std::vector<RawRow> rawRowsIn(const QString& path) {
    HistoryDatabase db;
    return db.open(path, HistoryDatabase::Mode::Read)
               ? db.rawRows(0, std::numeric_limits<std::int64_t>::max())
               : std::vector<RawRow>{};
}

} // namespace

class TestMeasurementHistory : public QObject {
    Q_OBJECT

private slots:
    void damagedFileIsPutAsideAndANewOneStarted();
    void failuresAreToldOncePerStreak_data();
    void failuresAreToldOncePerStreak();
    void minuteLeftUndoneIsCompletedAtTheNextStart();
};

void TestMeasurementHistory::damagedFileIsPutAsideAndANewOneStarted() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("historia.sqlite"));
    const QByteArray garbage(8192, '\x5a');
    QFile damaged(path);
    QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(garbage) == garbage.size());
    damaged.close();
    // An older damaged file is kept as well.
    QFile older(path + QStringLiteral(".bad"));
    QVERIFY(older.open(QIODevice::WriteOnly) && older.write("starszy") == 7);
    older.close();

    MeasurementHistory history;
    QSignalSpy failed(&history, &MeasurementHistory::failed);
    history.configure({true, path, 48});
    QVERIFY(failed.wait(5000));
    const QString message = failed.at(0).at(0).toString();
    QVERIFY2(message.contains(QStringLiteral("uszkodzony")) &&
                 message.contains(path + QStringLiteral(".bad.2")),
             qPrintable(message));
    feed(history, 3);
    history.stop();

    QFile aside(path + QStringLiteral(".bad.2"));
    QVERIFY(aside.open(QIODevice::ReadOnly));
    QCOMPARE(aside.readAll(), garbage);
    QFile kept(path + QStringLiteral(".bad"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("starszy"));
    QCOMPARE(rawRowsIn(path).size(), std::size_t{3});
    QCOMPARE(failed.count(), 1);
}

void TestMeasurementHistory::failuresAreToldOncePerStreak_data() {
    QTest::addColumn<bool>("anotherCopy");
    QTest::addColumn<QString>("told");
    QTest::newRow("another running copy") << true << "inną uruchomioną kopię programu";
    QTest::newRow("folder cannot be made") << false << "Nie można otworzyć historii pomiarów";
}

void TestMeasurementHistory::failuresAreToldOncePerStreak() {
    QFETCH(bool, anotherCopy);
    QFETCH(QString, told);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("historia.sqlite"));
    MeasurementHistory first;
    if (anotherCopy) {
        QSignalSpy firstFailed(&first, &MeasurementHistory::failed);
        first.configure({true, path, 48});
        feed(first, 2);
        QTRY_COMPARE(rawRowsIn(path).size(), std::size_t{2});
        QCOMPARE(firstFailed.count(), 0);
    } else {
        // Its folder would have to be made inside a plain file.
        QFile blocker(dir.filePath(QStringLiteral("plik")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        path = dir.filePath(QStringLiteral("plik/historia.sqlite"));
    }

    MeasurementHistory second;
    QSignalSpy failed(&second, &MeasurementHistory::failed);
    QSignalSpy stored(&second, &MeasurementHistory::panelRecordsStored);
    second.configure({true, path, 48});
    feed(second, 5);
    MemoryRecord record;
    record.timeText = QStringLiteral("01-02 03:04").toStdString();
    second.addMemoryRecords({record}, std::chrono::system_clock::now());
    QVERIFY(stored.wait(5000));
    QCOMPARE(stored.at(0).at(0).toBool(), false);
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(0).toString().contains(told),
             qPrintable(failed.at(0).at(0).toString()));
    second.stop();
    QCOMPARE(failed.count(), 1);
}

void TestMeasurementHistory::minuteLeftUndoneIsCompletedAtTheNextStart() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("historia.sqlite"));
    const std::int64_t minute = 1'780'000'020;
    {
        // Seconds written, the minute never closed: the program was killed.
        HistoryDatabase db;
        QVERIFY(db.open(path, HistoryDatabase::Mode::Write));
        std::vector<RawRow> seconds;
        for (int s = 0; s < 30; ++s) {
            seconds.push_back(RawRow{minute + s, 3600, {200 + s}});
        }
        QVERIFY(db.write(seconds, {}, 0));
    }
    HistoryDatabase db;
    QVERIFY(db.open(path, HistoryDatabase::Mode::Write));
    const std::vector<MinuteRow> minutes = db.minuteRows(minute, minute + 60);
    QCOMPARE(minutes.size(), std::size_t{1});
    QCOMPARE(minutes[0].quantities[0], (QuantityAggregate{30, 200, 215, 229}));
    QCOMPARE(db.daySummaries(0, std::numeric_limits<std::int32_t>::max()).size(), std::size_t{1});
}

QTEST_GUILESS_MAIN(TestMeasurementHistory)
#include "tst_MeasurementHistory.moc"
