// The panel memory of tq820-sim downloaded by the real main window, shown in
// "Pamięć" and exported in both layouts. What the simulator stored is known
// from its own model, built here with the same options and fed the same
// control lines: its records as the panel meant them, never through the
// program's decoder. The bytes of each export layout are the export's unit
// test; here the files must hold what it makes of the listed records.

#include "E2eRig.h"
#include "FileTestSupport.h"
#include "MemoryFormat.h"
#include "PanelModel.h"
#include "recording/CMemoryDlg.h"
#include "recording/MemoryExport.h"

#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <array>
#include <functional>

using namespace tq820sim;

namespace {

constexpr int kCom = 23;
const char* const kClock = "2026-03-01 00:30:00";
constexpr int kSeed = 7;
// After the built-in history (every layout, special codes, an empty block,
// days rolling over into March), records of every quantity each minute
// until the memory is full.
const QStringList kFillControls{"settings 1 16", "reset", "speedup 1000000"};

PanelModel expectedPanel() {
    PanelOptions options;
    options.clock = CivilTime{2026, 3, 1, 0, 30, 0};
    options.seed = kSeed;
    PanelModel panel(options);
    panel.storeSettings(1, 0x10);
    panel.reset();
    panel.setSpeedUp(1000000);
    panel.advanceTo(60'000);
    return panel;
}

// The five texts of the special codes, in the order of memory::Special.
const std::array<const char*, 5> kSpecialTexts{"Brak rekordu", "Błąd rekordu", "Błąd kalibracji",
                                               "Błąd pomiaru", "Brak danych"};

// The special code `value` stands for (0..4), or -1 for a measurement.
int special(int value, int (*code)(memory::Special)) {
    for (int s = 0; s < 5; ++s) {
        if (value == code(static_cast<memory::Special>(s))) {
            return s;
        }
    }
    return -1;
}

QString timeText(const CivilTime& t) {
    return QString::asprintf("%02d-%02d %02d:%02d", t.month, t.day, t.hour, t.minute);
}

// The list's rows for the stored records: a measurement in tenths or whole
// degrees, or the text of its special code.
QList<QStringList> expectedRows(const std::vector<StoredRecord>& records) {
    QList<QStringList> rows;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const StoredRecord& r = records[i];
        const auto& v = r.values;
        QStringList row{QString::number(i + 1), timeText(r.time), "", "", "", "", ""};
        const auto put = [&row](int column, int value, int (*code)(memory::Special), bool tenths) {
            const int s = special(value, code);
            row[column] = s >= 0   ? QString::fromUtf8(kSpecialTexts[std::size_t(s)])
                          : tenths ? QString::number(value / 10.0, 'f', 1)
                                   : QString::number(value);
        };
        if (memory::hasTemperatureHumidity(r.layout)) {
            put(2, v.temperatureTenths, memory::temperatureSpecial, true);
            put(3, v.humidityTenths, memory::humiditySpecial, true);
        }
        if (memory::hasPressure(r.layout)) {
            put(4, v.pressureTenths, memory::pressureSpecial, true);
        }
        if (memory::hasWind(r.layout)) {
            put(5, v.directionDegrees, memory::directionSpecial, false);
            put(6, v.speedTenths, memory::speedSpecial, true);
        }
        rows << row;
    }
    return rows;
}

// Runs the event loop until `done` holds or the time is up. Unlike
// QTRY_VERIFY, which sleeps between its checks, the loop handles every byte
// as it arrives, as the program's own loop does.
bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    check.start(20);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

} // namespace

class TestE2eMemory : public QObject {
    Q_OBJECT

private slots:
    void downloadListAndExportAFullMemory();
};

void TestE2eMemory::downloadListAndExportAFullMemory() {
    E2eRig rig(kCom);
    SimProcess& sim = rig.sim;
    QVERIFY(rig.startSim({"--fast", "--clock", kClock, "--seed", QString::number(kSeed)}));
    for (const QString& c : kFillControls) {
        QVERIFY(sim.command(c).startsWith(QStringLiteral("ok")));
    }
    const PanelModel panel = expectedPanel();
    const std::vector<StoredRecord>& stored = panel.storedRecords();
    // The simulator records what its model here did (same minute, same
    // records) until its memory is full; then it records nothing more.
    QTRY_COMPARE_WITH_TIMEOUT(sim.stateValue(QStringLiteral("records")), double(stored.size()),
                              10000);
    QCOMPARE(sim.stateValue(QStringLiteral("memory-bytes")), double(panel.memoryUsed()));
    QVERIFY(panel.memoryUsed() > 4000);
    QVERIFY(stored.size() > 400);
    std::array<bool, memory::layoutCount> layouts{};
    for (const StoredRecord& r : stored) {
        layouts[std::size_t(r.layout)] = true;
    }
    QVERIFY(std::all_of(layouts.begin(), layouts.end(), [](bool seen) { return seen; }));

    ModalAnswerer& answers = rig.answers;
    answers.ignore(QStringLiteral("memoryDlg"));
    QVERIFY(rig.showWindow());
    QTRY_COMPARE_WITH_TIMEOUT(rig.window->statusLine()->text(),
                              QStringLiteral("Urządzenia: TQ-232, TQ-264. "), 5000);

    sim.command(QStringLiteral("stats reset"));
    rig.window->findChild<QAction*>(QStringLiteral("actionMemoryRead"))->trigger();
    auto* dialog = rig.window->findChild<CMemoryDlg*>();
    QVERIFY(dialog != nullptr && dialog->isVisible());
    auto* progress = dialog->findChild<QProgressBar*>();
    QVERIFY(runUntil([&] { return progress->value() >= 900; }, 60000));
    saveScreenshot(dialog, QStringLiteral("e2e_memory_reading"));
    auto* list = dialog->findChild<QTreeView*>(QStringLiteral("recordList"));
    QVERIFY(runUntil([&] { return list->isVisible(); }, 120000));
    QCOMPARE(answers.seen, QStringList());

    // Every byte from address 2 up to the end marker, each asked for once.
    QCOMPARE(sim.stats().value(QStringLiteral("ER")), double(panel.memoryUsed() + 1));
    QCOMPARE(modelRows(list->model()), expectedRows(stored));
    list->setCurrentIndex(list->model()->index(6, 0));
    saveScreenshot(dialog, QStringLiteral("e2e_memory_list"));

    // Both layouts, one download.
    QTemporaryDir out;
    const QString textFile = out.filePath(QStringLiteral("pamięć.txt"));
    const QString listFile = out.filePath(QStringLiteral("pamięć.csv"));
    for (const auto& [path, csv] : {std::pair{textFile, false}, std::pair{listFile, true}}) {
        answers.add([path = path, csv = csv](QWidget* w) {
            w->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
            w->findChild<QComboBox*>(QStringLiteral("formatCombo"))->setCurrentIndex(csv ? 1 : 0);
            ModalAnswerer::click(QStringLiteral("okButton"))(w);
        });
        dialog->findChild<QPushButton*>(QStringLiteral("saveAsButton"))->click();
    }
    QCOMPARE(answers.seen, (QStringList{"Zapisz", "Zapisz"}));
    const auto& records = dialog->records();
    QCOMPARE(contents(textFile), QByteArray::fromStdString(MemoryExport::allLines(records, false)));
    QCOMPARE(contents(listFile), QByteArray::fromStdString(MemoryExport::allLines(records, true)));

    dialog->findChild<QPushButton*>(QStringLiteral("closeButton"))->click();
    QVERIFY(!dialog->isVisible());
    // Polling goes on.
    const double before = sim.stats().value(QStringLiteral("K"));
    QTRY_VERIFY_WITH_TIMEOUT(sim.stats().value(QStringLiteral("K")) > before, 5000);
}

QTEST_MAIN(TestE2eMemory)
#include "tst_e2e_memory.moc"
