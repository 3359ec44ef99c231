// The memory dialog "Pamięć" driven by the real poll engine and a scripted
// panel, and the export dialog "Zapisz" writing real files.

#include "AccessibilityCheck.h"
#include "FileChooserAnswer.h"
#include "FileTestSupport.h"
#include "ScriptedPanel.h"
#include "WindowTestSupport.h"
#include "protocol/PanelData.h"
#include "protocol/PollEngine.h"
#include "protocol/PollHost.h"
#include "recording/CMemoryDlg.h"
#include "recording/CSaveAsDlg.h"
#include "recording/MemoryExport.h"
#include "widgets/PolishMessageBox.h"

#include <QComboBox>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <deque>

namespace {

// Two blocks: temperature and humidity every 10 minutes from 05-14 12:00
// (21.5 °C and 45.0 %, then both "Brak rekordu"), and wind every 15 minutes
// from 12:30 (270°, 3.4 m/s).
const QByteArray kMemory = QByteArray::fromHex("f000121455 0a 527142 70007f"
                                               "f030121425 0f 10220e"
                                               "ff");

const QList<QStringList> kRows{
    {"1", "05-14 12:10", "21.5", "45.0", "", "", ""},
    {"2", "05-14 12:20", "Brak rekordu", "Brak rekordu", "", "", ""},
    {"3", "05-14 12:45", "", "", "", "270", "3.4"},
};

template <typename T> T* child(QWidget& parent, const char* name) {
    return parent.findChild<T*>(QString::fromLatin1(name));
}

// The wait text and the progress bar, or the list and "Zapisz jako".
bool showsReading(CMemoryDlg& d, bool reading = true) {
    return child<QLabel>(d, "waitText")->isVisible() == reading &&
           child<QProgressBar>(d, "progress")->isVisible() == reading &&
           child<QTreeView>(d, "recordList")->isVisible() != reading &&
           child<QPushButton>(d, "saveAsButton")->isEnabled() != reading;
}

// The poll engine with the memory dialog as its only dialog, and a scripted
// panel answering each request from the event loop, as the serial driver
// delivers bytes. With `hold` set, replies wait for release().
class MemoryRig : public QObject, public PollHost {
public:
    PanelData data;
    PollEngine engine{data, *this};
    ScriptedPanel panel;
    CMemoryDlg dialog{engine.memoryDownload()};
    QTimer pollTimer;
    std::vector<std::string> sent;
    bool hold = false;
    std::deque<std::string> held;

    explicit MemoryRig(const QByteArray& memory = kMemory) {
        setMemory(memory);
        pollTimer.setInterval(1500);
        connect(&pollTimer, &QTimer::timeout, this, [this] { engine.onTick(); });
    }

    void setMemory(const QByteArray& memory) {
        std::fill(panel.memory.begin() + 2, panel.memory.end(), 0xFF);
        for (int i = 0; i < memory.size(); ++i) {
            panel.memory[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(memory[i]);
        }
    }

    // The menu command "Odczyt danych".
    void startDownload() {
        engine.beginMemoryRead();
        dialog.startReading();
    }

    // Polling, then a whole download: true once the list shows.
    bool download() {
        engine.start();
        startDownload();
        return QTest::qWaitFor([this] { return showsReading(dialog, false); });
    }

    // Delivers the oldest held reply; false when none is held.
    bool release() {
        if (held.empty()) {
            return false;
        }
        const std::string reply = held.front();
        held.pop_front();
        deliver(reply);
        return true;
    }

    int requestsStartingWith(const std::string& prefix) const {
        return static_cast<int>(std::count_if(sent.begin(), sent.end(), [&](const std::string& s) {
            return s.compare(0, prefix.size(), prefix) == 0;
        }));
    }

    void sendBytes(const std::uint8_t* bytes, int count) override {
        std::string request(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
        request.resize(request.size() - 2); // CR LF
        sent.push_back(request);
        const std::string reply = panel.answer(request);
        if (reply.empty()) {
            return;
        }
        if (hold) {
            held.push_back(reply);
        } else {
            QMetaObject::invokeMethod(
                this, [this, reply] { deliver(reply); }, Qt::QueuedConnection);
        }
    }
    void restartPollTimer() override { pollTimer.start(); }
    void startConfirmationTimer(ConfirmationTimer) override {}
    void updateStatus(bool) override {}
    void showMessage(const std::string& text) override {
        QMetaObject::invokeMethod(
            this, [text] { PolishMessageBox::inform(nullptr, QString::fromStdString(text)); },
            Qt::QueuedConnection);
    }
    void askQuestion(const std::string&, std::function<void(bool)>) override {}

private:
    void deliver(const std::string& reply) {
        for (char c : reply) {
            engine.onByte(static_cast<std::uint8_t>(c));
        }
    }
};

QList<QStringList> listRows(CMemoryDlg& dialog) {
    return modelRows(dialog.findChild<QTreeView*>(QStringLiteral("recordList"))->model());
}

QByteArray exported(const std::vector<MemoryRecord>& records, bool csv) {
    return QByteArray::fromStdString(MemoryExport::allLines(records, csv));
}

} // namespace

class TestCMemoryDlg : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void downloadShowsProgressThenTheList();
    void closingWhileReadingStopsAfterTheNextByte_data();
    void closingWhileReadingStopsAfterTheNextByte();
    void silentPanelEndsWithTheWatchdog();
    void emptyMemorySaysSo();
    void nextDownloadReusesTheDialog();
    void exportIntoAnExistingFile_data();
    void exportIntoAnExistingFile();
    void exportToAnUnavailableFile();
    void eachSaveAsStartsAfreshAsText();
    void chooserFillsNameAndLayout();
    void chartAndWorkbookOfTheList();

private:
    std::unique_ptr<ModalAnswerer> answers;
};

void TestCMemoryDlg::init() {
    answers = std::make_unique<ModalAnswerer>();
    answers->ignore(QStringLiteral("memoryDlg"));
}

void TestCMemoryDlg::cleanup() {
    answers.reset();
}

void TestCMemoryDlg::downloadShowsProgressThenTheList() {
    MemoryRig rig;
    rig.hold = true;
    rig.engine.start();
    rig.startDownload();
    CMemoryDlg& d = rig.dialog;
    QVERIFY(d.isVisible());
    QVERIFY(d.isModal());
    QCOMPARE(d.windowTitle(), QStringLiteral("Pamięć"));
    QVERIFY(showsReading(d));
    QCOMPARE(child<QLabel>(d, "waitText")->text(),
             QStringLiteral("Proszę czekać. Trwa odczyt zawartości pamięci."));
    auto* bar = child<QProgressBar>(d, "progress");
    QCOMPARE(bar->maximum(), 2048);
    QCOMPARE(bar->value(), 0);

    // K in flight, then F, then the bytes from address 2 up (which bytes are
    // stored is the engine's test).
    for (int i = 0; i < 2 + 10; ++i) {
        QVERIFY(rig.release());
    }
    QCOMPARE(bar->value(), 10);
    QVERIFY(showsReading(d));
    QVERIFY(child<QPushButton>(d, "closeButton")->isEnabled());
    saveScreenshot(&d, QStringLiteral("memory_reading"));

    while (d.isReading() && rig.release()) {
    }
    QVERIFY(showsReading(d, false));
    QCOMPARE(bar->value(), 2048);
    QCOMPARE(listRows(d), kRows);
    auto* list = child<QTreeView>(d, "recordList");
    QStringList captions;
    for (int c = 0; c < list->model()->columnCount(); ++c) {
        captions << list->model()->headerData(c, Qt::Horizontal).toString();
    }
    QCOMPARE(captions,
             (QStringList{"Nr", "Data i czas", "Temperatura", QStringLiteral("Wilgotność"),
                          QStringLiteral("Ciśnienie"), "Kierunek", QStringLiteral("Prędkość")}));
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    list->setCurrentIndex(list->model()->index(1, 0));
    VERIFY_CONTROLS_NAMED(&d);
    saveScreenshot(&d, QStringLiteral("memory_list"));

    child<QPushButton>(d, "closeButton")->click();
    QVERIFY(!d.isVisible());
    QVERIFY(d.records().empty());
    QCOMPARE(answers->seen, QStringList());
}

void TestCMemoryDlg::closingWhileReadingStopsAfterTheNextByte_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("memory");
    QTest::addColumn<int>("storedWhenClosed");
    QTest::newRow("Zamknij") << "button" << kMemory << 2;
    QTest::newRow("Escape") << "escape" << kMemory << 2;
    QTest::newRow("close box") << "close" << kMemory << 2;
    // The stop request meets the end marker: the user asked to close, so the
    // dialog closes instead of showing a list with a greyed-out "Zamknij".
    QTest::newRow("Zamknij, then the end marker") << "button" << QByteArray("\xff") << 1;
}

void TestCMemoryDlg::closingWhileReadingStopsAfterTheNextByte() {
    QFETCH(QString, how);
    QFETCH(QByteArray, memory);
    QFETCH(int, storedWhenClosed);
    MemoryRig rig(memory);
    rig.hold = true;
    rig.engine.start();
    rig.startDownload();
    CMemoryDlg& d = rig.dialog;
    for (int i = 0; i < 1 + storedWhenClosed; ++i) { // K, F, the bytes but the last
        QVERIFY(rig.release());
    }
    auto* close = child<QPushButton>(d, "closeButton");
    if (how == QLatin1String("button")) {
        close->click();
    } else if (how == QLatin1String("escape")) {
        QTest::keyClick(&d, Qt::Key_Escape);
    } else {
        d.close();
    }
    QVERIFY(rig.engine.memoryDownload().stopRequested());
    QVERIFY(!close->isEnabled());
    QVERIFY(showsReading(d));
    d.reject(); // pressing again changes nothing
    QVERIFY(d.isVisible());

    QVERIFY(rig.release()); // the next byte
    QVERIFY(!d.isVisible());
    QCOMPARE(int(rig.engine.memoryDownload().size()), storedWhenClosed);
    QCOMPARE(rig.sent.back(), std::string("K"));
    QCoreApplication::processEvents();
    QCOMPARE(answers->seen, QStringList());
}

void TestCMemoryDlg::silentPanelEndsWithTheWatchdog() {
    MemoryRig rig;
    rig.engine.start();
    QTRY_VERIFY(rig.requestsStartingWith("T") > 0); // polling runs
    rig.panel.silent = true;
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    QElapsedTimer clock;
    clock.start();
    rig.startDownload();
    QTRY_VERIFY_WITH_TIMEOUT(!rig.dialog.isVisible(), 15000);
    QVERIFY2(clock.elapsed() >= CMemoryDlg::kWatchdogMs - 50,
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(answers->seen, QStringList{QStringLiteral("Błąd w trakcie przesyłania danych.")});
    // The panel comes back: polling goes on and nothing is read into a closed dialog.
    rig.panel.silent = false;
    const int sentBefore = static_cast<int>(rig.sent.size());
    QTRY_VERIFY_WITH_TIMEOUT(static_cast<int>(rig.sent.size()) > sentBefore + 10, 10000);
    QCOMPARE(rig.requestsStartingWith("ER"), 0);
    QVERIFY(rig.engine.memoryDownload().size() == 0);
}

void TestCMemoryDlg::emptyMemorySaysSo() {
    // A block header and the end marker: bytes, but no record.
    MemoryRig rig(QByteArray::fromHex("f0001214550aff"));
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    rig.engine.start();
    rig.startDownload();
    QTRY_COMPARE(answers->seen, QStringList{QStringLiteral("Pamięć jest pusta")});
    QTRY_VERIFY(!rig.dialog.isVisible());
    QCOMPARE(rig.requestsStartingWith("ER"), 7);
    QVERIFY(rig.dialog.records().empty());
}

void TestCMemoryDlg::nextDownloadReusesTheDialog() {
    MemoryRig rig;
    QVERIFY(rig.download());
    rig.dialog.reject();
    QVERIFY(!rig.dialog.isVisible());

    // A shorter memory whose last record is cut short by the end marker: the
    // bytes the first download left behind in the buffer do not complete it.
    rig.setMemory(QByteArray::fromHex("f000121455 0a 527142 7000ff"));
    rig.startDownload();
    QVERIFY(showsReading(rig.dialog));
    QCOMPARE(child<QProgressBar>(rig.dialog, "progress")->value(), 0);
    QVERIFY(child<QPushButton>(rig.dialog, "closeButton")->isEnabled());
    QTRY_VERIFY(showsReading(rig.dialog, false));
    QCOMPARE(listRows(rig.dialog), kRows.mid(0, 1));
}

void TestCMemoryDlg::exportIntoAnExistingFile_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("diskLimit"); // the bytes the disk takes; 0: no limit
    QTest::addColumn<bool>("old");      // the old line is kept
    QTest::addColumn<bool>("lines");    // the new lines are written
    QTest::newRow("Tak appends") << "yesButton" << 0 << true << true;
    QTest::newRow("Nie empties") << "noButton" << 0 << false << true;
    // "Nie" would destroy the old lines: Escape is no answer, and a box the
    // program closes (it is ending) leaves the file alone.
    QTest::newRow("Escape, then closed by the program") << "escape" << 0 << true << false;
    // The disk takes what fits (past the old line, into the new ones): the
    // failure is told once and leaves no half line.
    QTest::newRow("Tak, then the disk is full") << "yesButton" << 40 << true << false;
    // The new content is written beside the old, which stays until it is
    // replaced whole.
    QTest::newRow("Nie, then the disk is full") << "noButton" << 40 << true << false;
}

void TestCMemoryDlg::exportIntoAnExistingFile() {
    QFETCH(QString, answer);
    QFETCH(int, diskLimit);
    QFETCH(bool, old);
    QFETCH(bool, lines);
    MemoryRig rig;
    QVERIFY(rig.download());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("wyniki.txt"));
    QVERIFY(writeFile(path, "stare\r\n"));
    // Kept also when the file is replaced.
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadGroup));
    const QFileDevice::Permissions permissions = QFile::permissions(path);
    CSaveAsDlg d(rig.dialog.records());
    child<QLineEdit>(d, "fileNameEdit")->setText(path);
    if (answer == QLatin1String("escape")) {
        answers->add([](QWidget* box) {
            QTest::keyClick(box, Qt::Key_Escape);
            QVERIFY(box->isVisible());
            QMetaObject::invokeMethod(box, &QWidget::close, Qt::QueuedConnection);
        });
    } else {
        answers->add(ModalAnswerer::click(answer));
    }
    QStringList messages{
        QStringLiteral("Plik już istnieje.\nWybierz Tak aby dopisywać wyniki do poprzednich,\n"
                       "wybierz Nie aby skasować poprzednią zawartość pliku.")};
    QList<QMessageBox::Icon> icons{QMessageBox::Question};
    if (diskLimit > 0) {
        answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
        messages << QStringLiteral("Błąd zapisu do pliku „%1”: plik jest za duży.").arg(path);
        icons << QMessageBox::Critical;
    }
    FileSizeLimit disk;
    QVERIFY(diskLimit == 0 || disk.limit(diskLimit));
    QCOMPARE(d.exportRecords(), lines);
    QCOMPARE(answers->seen, messages);
    QCOMPARE(answers->icons, icons);
    QCOMPARE(contents(path), (old ? QByteArray("stare\r\n") : QByteArray()) +
                                 (lines ? exported(rig.dialog.records(), false) : QByteArray()));
    QCOMPARE(QFile::permissions(path), permissions);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("wyniki.txt")});
}

// Which names the file cannot take is the report file's matter; a folder
// stands for them all here.
void TestCMemoryDlg::exportToAnUnavailableFile() {
    QTemporaryDir dir;
    const std::vector<MemoryRecord> records(1);
    CSaveAsDlg d(records);
    child<QLineEdit>(d, "fileNameEdit")->setText(dir.path());
    d.show();
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    child<QPushButton>(d, "okButton")->click();
    QCOMPARE(answers->seen, QStringList{QStringLiteral("Wybrany plik jest niedostępny.")});
    QCOMPARE(answers->icons, QList<QMessageBox::Icon>{QMessageBox::Warning});
    // The dialog stays, so the name can be corrected.
    QVERIFY(d.isVisible());
    QCOMPARE(d.result(), 0);
}

// The first "Zapisz" writes a list; the second starts empty, as text.
void TestCMemoryDlg::eachSaveAsStartsAfreshAsText() {
    MemoryRig rig;
    QVERIFY(rig.download());
    QTemporaryDir dir;
    const QString list = dir.filePath(QStringLiteral("b.csv"));
    answers->add([list](QWidget* w) {
        child<QLineEdit>(*w, "fileNameEdit")->setText(list);
        child<QComboBox>(*w, "formatCombo")->setCurrentIndex(1);
        ModalAnswerer::click(QStringLiteral("okButton"))(w);
    });
    QStringList second;
    answers->add([&second](QWidget* w) {
        auto* combo = child<QComboBox>(*w, "formatCombo");
        second << child<QLineEdit>(*w, "fileNameEdit")->text() << combo->currentText();
        for (int i = 0; i < combo->count(); ++i) {
            second << combo->itemText(i);
        }
        second << AccessibilityCheck::unnamedControls(w);
        saveScreenshot(w, QStringLiteral("memory_save_as"));
        ModalAnswerer::cancel()(w);
    });
    child<QPushButton>(rig.dialog, "saveAsButton")->click();
    child<QPushButton>(rig.dialog, "saveAsButton")->click();
    QCOMPARE(answers->seen, (QStringList{"Zapisz", "Zapisz"}));
    QCOMPARE(second, (QStringList{"", "Format tekstowy", "Format tekstowy", "Lista rozdzielana"}));
    QCOMPARE(contents(list), exported(rig.dialog.records(), true));
    QCOMPARE(listRows(rig.dialog), kRows);
}

void TestCMemoryDlg::chooserFillsNameAndLayout() {
    const std::vector<MemoryRecord> none;
    CSaveAsDlg d(none);
    d.show();
    QTemporaryDir dir;
    answers->add([&](QWidget* w) {
        auto* chooser = qobject_cast<QFileDialog*>(w);
        if (chooser == nullptr ||
            !typeIntoChooser(chooser, dir.path(), QStringLiteral("Lista CSV (*.csv)"),
                             QStringLiteral("wyniki"))) {
            ModalAnswerer::cancel()(w); // the comparisons below report it
            return;
        }
        QMetaObject::invokeMethod(chooser, &QDialog::accept, Qt::QueuedConnection);
    });
    child<QPushButton>(d, "browseButton")->click();
    QCOMPARE(answers->seen, QStringList{QStringLiteral("Wybierz plik raportu")});
    QCOMPARE(d.fileName(), dir.filePath(QStringLiteral("wyniki.csv")));
    QVERIFY(d.csv());
    QCOMPARE(child<QComboBox>(d, "formatCombo")->currentIndex(), 1);
}

// "Wykres" hands the records and the time of the download to the chart
// window; "Arkusz…" writes them as a workbook. Both wait for the list.
void TestCMemoryDlg::chartAndWorkbookOfTheList() {
    MemoryRig rig;
    std::vector<MemoryRecord> charted;
    DateTimeRecord at;
    rig.dialog.setChartHandler([&](const std::vector<MemoryRecord>& r, const DateTimeRecord& t) {
        charted = r;
        at = t;
    });
    rig.hold = true;
    rig.engine.start();
    rig.startDownload();
    QVERIFY(!child<QPushButton>(rig.dialog, "chartButton")->isEnabled());
    QVERIFY(!child<QPushButton>(rig.dialog, "sheetButton")->isEnabled());
    while (rig.dialog.isReading() && rig.release()) {
    }
    QVERIFY(showsReading(rig.dialog, false));
    QCOMPARE(child<QPushButton>(rig.dialog, "sheetButton")->text(), QStringLiteral("Arkusz…"));
    child<QPushButton>(rig.dialog, "chartButton")->click();
    QCOMPARE(charted.size(), rig.dialog.records().size());
    QCOMPARE(at.year, static_cast<std::uint16_t>(QDate::currentDate().year()));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pamięć.xlsx"));
    QCOMPARE(rig.dialog.saveSheet(path), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(2), QByteArray("PK")); // a workbook is a zip archive
    QVERIFY(rig.dialog.saveSheet(dir.filePath(QStringLiteral("nie/ma/pamięć.xlsx")))
                .startsWith(QStringLiteral("Nie można zapisać pliku")));
    saveScreenshot(&rig.dialog, QStringLiteral("memory_list_buttons"));
}

QTEST_MAIN(TestCMemoryDlg)
#include "tst_CMemoryDlg.moc"
