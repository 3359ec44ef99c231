// The measurement history of the real main window against tq820-sim: a short
// run leaves one raw row a second with the panel's values (and none for the
// quantity it does not measure) and minute rows that count them; the chart
// window shows what was kept before it opened; the panel memory downloaded
// twice is stored once; a recording file imported through the menu is
// reported. Screenshots of "Historia pomiarów" and of the import's message.

#include "E2eRig.h"
#include "FileChooserAnswer.h"
#include "charts/CChartWnd.h"
#include "history/HistoryDatabase.h"
#include "history/MeasurementHistory.h"
#include "history/PanelRecords.h"
#include "history/QtZoneRules.h"
#include "recording/CMemoryDlg.h"

#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <algorithm>
#include <limits>

namespace {

constexpr int kCom = 27;
constexpr std::int64_t kAll = std::numeric_limits<std::int64_t>::max();
const QString kChannels = QStringLiteral("Urządzenia: TQ-231, TQ-264. ");

} // namespace

class TestE2eHistory : public QObject {
    Q_OBJECT

private slots:
    void aShortRunAMemoryDownloadedTwiceAndAnImport();

private:
    // "Pamięć" -> "Odczyt danych" until the list is shown, then closed.
    std::vector<MemoryRecord> downloadMemory(E2eRig& rig);
};

std::vector<MemoryRecord> TestE2eHistory::downloadMemory(E2eRig& rig) {
    rig.window->findChild<QAction*>(QStringLiteral("actionMemoryRead"))->trigger();
    auto* dialog = rig.window->findChild<CMemoryDlg*>();
    auto* list = dialog->findChild<QTreeView*>(QStringLiteral("recordList"));
    if (!QTest::qWaitFor([list] { return list->isVisible(); }, 60000)) {
        return {};
    }
    std::vector<MemoryRecord> records = dialog->records();
    dialog->findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
    return records;
}

void TestE2eHistory::aShortRunAMemoryDownloadedTwiceAndAnImport() {
    E2eRig rig(kCom);
    QVERIFY(
        rig.startSim({QStringLiteral("--fast"), QStringLiteral("--ch1"), QStringLiteral("tq231")}));
    for (const char* pin : {"value temperature -3.5", "value humidity 81.0", "value speed 4.2",
                            "value direction 225"}) {
        QVERIFY(rig.sim.command(QString::fromLatin1(pin)).startsWith(QStringLiteral("ok")));
    }
    rig.answers.ignore(QStringLiteral("memoryDlg"));
    rig.answers.ignore(QStringLiteral("importProgress"));
    QVERIFY(rig.showWindow());
    MeasurementHistory& history = rig.window->measurementHistory();
    const QString path = history.path();
    QCOMPARE(path, rig.config.filePath(QStringLiteral("data/Velmor/TQ820/historia.sqlite")));
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->statusLine()->text(), kChannels, 5000);

    // A few seconds of readings: one row for each, the last one written
    // within a second.
    const std::int64_t from = QDateTime::currentSecsSinceEpoch() + 1;
    QTest::qWait(3500);
    const std::int64_t to = QDateTime::currentSecsSinceEpoch();
    HistoryDatabase reader;
    std::vector<RawRow> raw;
    QTRY_VERIFY_WITH_TIMEOUT(reader.open(path, HistoryDatabase::Mode::Read) &&
                                 (raw = reader.rawRows(from, to)).size() == std::size_t(to - from),
                             3000);
    const std::int32_t offset = QDateTime::currentDateTime().offsetFromUtc();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        QCOMPARE(raw[i],
                 (RawRow{from + std::int64_t(i), offset, {-35, 810, std::nullopt, 42, 2250}}));
    }

    // "Widok" -> "Wykresy" shows the seconds the history kept before it opened.
    rig.window->findChild<QAction*>(QStringLiteral("actionCharts"))->trigger();
    CChartWnd* charts = rig.window->chartWindow();
    QSignalSpy loaded(charts, &CChartWnd::loaded);
    charts->showRange(ChartRange::LastHour);
    QVERIFY(loaded.wait(10000));
    const auto kept = std::find_if(charts->rows().begin(), charts->rows().end(),
                                   [from](const ChartRow& r) { return r.utc == from; });
    QVERIFY(kept != charts->rows().end());
    QCOMPARE(kept->values[slot(Quantity::TEMP)].mean, -3.5F);
    charts->close();

    // The same memory twice: its records once.
    QSignalSpy merged(&history, &MeasurementHistory::panelRecordsStored);
    const std::vector<MemoryRecord> records = downloadMemory(rig);
    QVERIFY(records.size() > 20);
    QVERIFY(merged.wait(5000));
    QCOMPARE(merged.at(0), (QVariantList{true, int(records.size()), 0, 0}));
    QCOMPARE(downloadMemory(rig), records);
    QVERIFY(merged.wait(5000));
    QCOMPARE(merged.at(1), (QVariantList{true, 0, int(records.size()), 0}));
    QtZoneRules zone;
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    std::vector<PanelRecordRow> expected =
        panelRecordRows(records, wallTime(now + zone.offsetAt(now)), zone).rows;
    std::sort(expected.begin(), expected.end(),
              [](const PanelRecordRow& a, const PanelRecordRow& b) { return a.utc < b.utc; });
    QCOMPARE(reader.panelRecords(0, kAll), expected);

    // "Ustawienia" -> "Historia pomiarów", looked at and cancelled.
    rig.answers.add([](QWidget* dialog) {
        auto* summary = dialog->findChild<QLabel*>(QStringLiteral("summaryLabel"));
        QVERIFY(summary->text().startsWith(QStringLiteral("Zapisane pomiary: od ")));
        saveScreenshot(dialog, QStringLiteral("e2e_history_dialog"));
        ModalAnswerer::cancel()(dialog);
    });
    rig.window->findChild<QAction*>(QStringLiteral("actionHistory"))->trigger();
    QCOMPARE(rig.answers.seen.takeFirst(), QStringLiteral("Historia pomiarów"));

    // "Program" -> "Importuj plik rejestracji…": three lines read, one
    // skipped, two minutes new.
    const QString recording = rig.config.filePath(QStringLiteral("stary.csv"));
    QFile file(recording);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Data i Godzina,Temperatura \xB0"
               "C\r\n2001.02.03 04:05:06,1.5\r\n"
               "2001.02.03 04:05:07,???\r\n2001.02.03 04:06:00,2.0\r\nplama\r\n");
    file.close();
    rig.answers.add([&](QWidget* chooser) {
        auto* dialog = qobject_cast<QFileDialog*>(chooser);
        QVERIFY(typeIntoChooser(dialog, rig.config.path(),
                                QStringLiteral("Pliki rejestracji (*.txt *.csv)"),
                                QStringLiteral("stary.csv")));
        QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
    });
    rig.answers.add([](QWidget* box) {
        saveScreenshot(box, QStringLiteral("e2e_history_import"));
        ModalAnswerer::click(QStringLiteral("okButton"))(box);
    });
    rig.window->findChild<QAction*>(QStringLiteral("actionImportRecording"))->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(rig.answers.pending(), 0, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(rig.answers.seen.size(), 2, 5000);
    QVERIFY2(rig.answers.seen.at(1).contains(QStringLiteral(
                 "Zaimportowane wiersze: 3\nPominięte wiersze (nie można ich odczytać): 1\n"
                 "Nowe minuty w historii: 2")),
             qPrintable(rig.answers.seen.at(1)));

    // The window closes: the minute in progress is written too, and every
    // raw row of the run is counted in the minutes.
    rig.window->close();
    rig.window.reset();
    QVERIFY(reader.open(path, HistoryDatabase::Mode::Read));
    raw = reader.rawRows(0, kAll);
    int counted = 0;
    for (const MinuteRow& m : reader.minuteRows(from - 3600, kAll)) {
        QCOMPARE(m.quantities[slot(Quantity::PRESS)], QuantityAggregate{});
        counted += m.quantities[slot(Quantity::TEMP)].count;
    }
    QCOMPARE(counted, int(raw.size()));
    QCOMPARE(reader.minuteRows(0, from - 3600).size(), std::size_t{2});
}

QTEST_MAIN(TestE2eHistory)
#include "tst_e2e_history.moc"
