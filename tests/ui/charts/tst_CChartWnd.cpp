// The chart window over a made-up history: every range driven with the
// keyboard cursor, the readout, the tables, saving, live readings and bad input.

#include "FakeHistory.h"
#include "WindowTestSupport.h"
#include "charts/CChartWnd.h"
#include "charts/ChartTableModel.h"
#include "charts/HistoryChartSource.h"
#include "history/HistoryDatabase.h"
#include "text/Cp1250.h"

#include <QDateTime>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <qcustomplot.h>

namespace {

// Tuesday 9 June 2026, 12:00:00 UTC.
constexpr std::int64_t kNow = 1'781'006'400;

struct Window {
    std::shared_ptr<FakeHistory> history = std::make_shared<FakeHistory>(kNow);
    std::unique_ptr<CChartWnd> wnd;

    Window() {
        wnd = std::make_unique<CChartWnd>(history);
        wnd->setClock([] { return kNow; });
        wnd->resize(1200, 800);
        wnd->show();
    }
    bool load(const QString& button) {
        QSignalSpy loaded(wnd.get(), &CChartWnd::loaded);
        QTest::mouseClick(wnd->findChild<QPushButton*>(button), Qt::LeftButton);
        return !wnd->isLoading() || loaded.wait(10000);
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier, int times = 1) {
        for (int i = 0; i < times; ++i) {
            QTest::keyClick(wnd->plot(), static_cast<Qt::Key>(k), m);
        }
    }
};

QString timeOf(double t) {
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t))
        .toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

} // namespace

class ChartWndTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("TZ", "UTC"); }

    // Each range read at its resolution and driven with the keyboard cursor:
    // the readout names the row under the cursor with every value.
    void rangesWithTheKeyboardCursor_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<std::int64_t>("length");
        QTest::addColumn<int>("resolution");
        QTest::newRow("hour") << "rangeHour" << std::int64_t{3600} << int(Resolution::Raw);
        QTest::newRow("day") << "rangeDay" << std::int64_t{86400} << int(Resolution::Minute);
        QTest::newRow("week") << "rangeWeek" << std::int64_t{7 * 86400} << int(Resolution::Minute);
        QTest::newRow("month") << "rangeMonth" << std::int64_t{30 * 86400}
                               << int(Resolution::Minute);
        QTest::newRow("year") << "rangeYear" << std::int64_t{365 * 86400}
                              << int(Resolution::Minute);
    }
    void rangesWithTheKeyboardCursor() {
        QFETCH(QString, button);
        QFETCH(std::int64_t, length);
        QFETCH(int, resolution);
        Window w;
        QVERIFY(w.load(button));
        QCOMPARE(w.wnd->view(), (TimeSpan{kNow - length, kNow}));
        QCOMPARE(w.history->lastResolution.load(), resolution);
        // Without a cursor the readout shows the latest row.
        QVERIFY2(w.wnd->readout().contains(QStringLiteral("temperatura ")),
                 qPrintable(w.wnd->readout()));

        w.wnd->plot()->setFocus();
        w.key(Qt::Key_End);
        w.key(Qt::Key_Left, Qt::ControlModifier, 30);
        const double t = w.wnd->cursor();
        const double column = static_cast<double>(length) / w.wnd->plot()->axisRect()->width();
        QVERIFY(qAbs(t - (kNow - 300 * column)) < 2 * column);
        const QString text = w.wnd->readout();
        QVERIFY2(text.startsWith(timeOf(t)), qPrintable(text + " / " + timeOf(t)));
        for (const char* part :
             {"temperatura ", "punkt rosy ", "temperatura odczuwalna ", "wilgotność ", "ciśnienie ",
              "prędkość wiatru ", "w skali Beauforta", "kierunek "}) {
            QVERIFY2(text.contains(QString::fromUtf8(part)), qPrintable(text));
        }
        QVERIFY(!text.contains(QStringLiteral("brak")));
        QCOMPARE(w.wnd->plot()->accessibleDescription(), text);
        QCoreApplication::processEvents(); // the queued replot
        QVERIFY(saveScreenshot(w.wnd.get(), QStringLiteral("charts_") + QTest::currentDataTag()));

        // The table lists the rows of the range shown.
        w.wnd->tabs()->setCurrentWidget(w.wnd->table());
        const QAbstractItemModel* table = w.wnd->table()->model();
        const int expected =
            length == 3600 ? 3600
                           : static_cast<int>((length - (length > 30 * 3600 ? 3600 : 0)) / 60);
        QVERIFY2(qAbs(table->rowCount() - expected) <= 1,
                 qPrintable(QString::number(table->rowCount()) + " " + QString::number(expected)));
        QCOMPARE(table->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Temperatura °C"));
    }

    // Zooming, panning and a range that needs another resolution read again.
    void zoomAndPanReadAgain() {
        Window w;
        QVERIFY(w.load(QStringLiteral("rangeDay")));
        w.wnd->plot()->setFocus();
        QSignalSpy loaded(w.wnd.get(), &CChartWnd::loaded);
        w.key(Qt::Key_Plus, Qt::NoModifier, 4); // 24 h -> 1.5 h: seconds
        QVERIFY(loaded.wait(10000));
        QCOMPARE(w.wnd->view().length(), 5400);
        QCOMPARE(w.history->lastResolution.load(), int(Resolution::Raw));
        w.key(Qt::Key_PageUp, Qt::NoModifier, 80); // into the past, beyond the seconds kept
        QVERIFY(w.wnd->view().to < kNow - 48 * 3600);
        QTRY_VERIFY_WITH_TIMEOUT(!w.wnd->isLoading() && !w.wnd->rows().empty() &&
                                     w.wnd->rows().front().seconds == 60,
                                 10000);
        QVERIFY2(w.wnd->readout().contains(QStringLiteral("temperatura ")),
                 qPrintable(w.wnd->readout()));
    }

    // The day summaries, and the gap: the cursor in it finds no row.
    void daySummaryAndGap() {
        Window w;
        QVERIFY(w.load(QStringLiteral("rangeWeek")));
        const QList<QStringList> days = modelRows(w.wnd->daySummary()->model());
        QCOMPARE(days.size(), 8);
        QCOMPARE(days.last().mid(0, 6), (QStringList{QStringLiteral("09.06.2026"), "2.0", "18:00",
                                                     "18.0", "06:00", "10.0"}));
        w.wnd->showSpan({w.history->gapFrom() - 3 * 3600, w.history->gapTo() + 3 * 3600});
        QTRY_VERIFY_WITH_TIMEOUT(!w.wnd->isLoading(), 10000);
        w.wnd->setCursor(static_cast<double>(w.history->gapFrom() + 1800));
        QVERIFY2(w.wnd->readout().endsWith(QStringLiteral(": brak pomiarów")),
                 qPrintable(w.wnd->readout()));
        QCoreApplication::processEvents(); // the queued replot
        QVERIFY(saveScreenshot(w.wnd.get(), QStringLiteral("charts_gap")));
    }

    // Readings of the running link appear within a second.
    void liveReadingsAppear() {
        Window w;
        w.wnd->setClock([] { return QDateTime::currentSecsSinceEpoch(); });
        w.history->now = QDateTime::currentSecsSinceEpoch() - 600;
        QVERIFY(w.load(QStringLiteral("rangeHour")));
        Reading r;
        r.time = std::chrono::system_clock::now();
        r.values[quantityIndex(Quantity::TEMP)] = {true, 42.5, false};
        w.wnd->addReading(r);
        QTRY_VERIFY_WITH_TIMEOUT(w.wnd->readout().contains(QStringLiteral("temperatura 42.5 °C")),
                                 5000);
        QVERIFY(w.wnd->readout().contains(QStringLiteral("wilgotność brak danych")));
    }

    void savesChartAndData() {
        Window w;
        QVERIFY(w.load(QStringLiteral("rangeHour")));
        QTemporaryDir dir;
        QString error;
        for (const char* name : {"wykres.png", "wykres.pdf", "dane.csv", "dane.xlsx"}) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            const bool ok = path.contains(QStringLiteral("dane")) ? w.wnd->saveData(path, error)
                                                                  : w.wnd->saveChart(path, error);
            QVERIFY2(ok, qPrintable(error));
            QVERIFY(QFileInfo(path).size() > 1000);
        }
        QFile csv(dir.filePath(QStringLiteral("dane.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray header = csv.readLine();
        QCOMPARE(header,
                 QByteArray(cp1250::fromUtf8("Data i Godzina,Temperatura °C,Ciśnienie hPa,"
                                             "Wilgotność %,Prędkość m/s,Kierunek °,Prędkość maks. "
                                             "m/s,Punkt rosy °C,Temperatura odczuwalna °C,Skala "
                                             "Beauforta\r\n")
                                .c_str()));
        const QByteArray first = csv.readLine();
        QVERIFY2(first.startsWith("2026.06.09 11:00:00,"), first.constData());
        QCOMPARE(first.count(','), 9);
        QFile workbook(dir.filePath(QStringLiteral("dane.xlsx")));
        QVERIFY(workbook.open(QIODevice::ReadOnly));
        QCOMPARE(workbook.read(2), QByteArray("PK"));
        QVERIFY(!w.wnd->saveData(dir.filePath(QStringLiteral("no/such/folder/dane.csv")), error));
        QVERIFY(error.startsWith(QStringLiteral("Nie można zapisać pliku")));
    }

    // The memory dialog's records: at their local times in the year of the
    // download (the one before for December's, downloaded in January), and
    // the view over them.
    void downloadedRecordsAreShown() {
        MemoryRecord a;
        a.timeText = "12-31 23:30";
        a.hasTempHum = true;
        a.temperatureTenths = -55;
        a.humidityTenths = 900;
        MemoryRecord b = a;
        b.timeText = "01-01 00:30";
        b.temperatureTenths = -61;
        MemoryRecord bad = a;
        bad.timeText = "04-31 10:00"; // no such day: left out
        const auto rows =
            CChartWnd::rowsOfMemory({a, b, bad}, DateTimeRecord{2026, 1, 4, 1, 8, 0, 0, 0});
        QCOMPARE(rows.size(), std::size_t{2});
        QCOMPARE(rows[0].utc, QDateTime(QDate(2025, 12, 31), QTime(23, 30)).toSecsSinceEpoch());
        QCOMPARE(rows[1].utc - rows[0].utc, std::int64_t{3600});
        Window w;
        QVERIFY(w.load(QStringLiteral("rangeDay")));
        w.wnd->showPanelRecords(rows);
        QVERIFY(w.wnd->view().from < rows[0].utc && w.wnd->view().to > rows[1].utc);
        QCOMPARE(w.wnd->range(), ChartRange::Custom);
    }

    // "Zakres…": a range of its own; an end before the start is refused.
    void customRange() {
        Window w;
        QVERIFY(w.load(QStringLiteral("rangeDay")));
        ModalAnswerer answers;
        const QDateTime from = QDateTime::fromSecsSinceEpoch(kNow - 3 * 86400);
        const auto setRange = [](QDateTime a, QDateTime b) {
            return [a, b](QWidget* dialog) {
                dialog->findChild<QDateTimeEdit*>(QStringLiteral("fromEdit"))->setDateTime(a);
                dialog->findChild<QDateTimeEdit*>(QStringLiteral("toEdit"))->setDateTime(b);
                saveScreenshot(dialog, QStringLiteral("charts_range_dialog"));
                ModalAnswerer::click(QStringLiteral("okButton"))(dialog);
            };
        };
        answers.add(setRange(from, from.addSecs(-60)));
        // The dialog stays open under the warning: answer it again from there.
        answers.add([&](QWidget* warning) {
            ModalAnswerer::click(QStringLiteral("okButton"))(warning);
            setRange(from, from.addSecs(6 * 3600))(
                w.wnd->findChild<QDialog*>(QStringLiteral("rangeDlg")));
        });
        QTest::mouseClick(w.wnd->findChild<QPushButton*>(QStringLiteral("rangeCustom")),
                          Qt::LeftButton);
        QCOMPARE(answers.pending(), 0);
        QCOMPARE(answers.seen.value(1),
                 QStringLiteral("Początek zakresu musi być wcześniej niż jego koniec."));
        QCOMPARE(w.wnd->view(), (TimeSpan{kNow - 3 * 86400, kNow - 3 * 86400 + 6 * 3600}));
        QCOMPARE(w.wnd->range(), ChartRange::Custom);
    }

    // The history file as the program keeps it: its seconds, minutes, day
    // summaries and panel records; none yet is no failure, a damaged one is.
    void readsTheHistoryFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("historia.sqlite"));
        auto source = std::make_shared<HistoryChartSource>();
        source->setPath(path);
        CChartWnd wnd(source);
        wnd.setClock([] { return kNow; });
        wnd.show();
        QSignalSpy loaded(&wnd, &CChartWnd::loaded);
        wnd.showRange(ChartRange::LastHour);
        QVERIFY(loaded.wait(10000));
        QVERIFY(wnd.findChild<QLabel*>(QStringLiteral("chartMessage"))->text().startsWith("Brak"));

        HistoryDatabase db;
        QVERIFY(db.open(path, HistoryDatabase::Mode::Write));
        std::vector<RawRow> seconds;
        const std::int64_t start = kNow - 600;
        for (std::int64_t t = start; t < start + 180; ++t) {
            seconds.push_back({t, 0, {static_cast<std::int32_t>(t - start), 500, {}, 30, 900}});
        }
        const std::int64_t minutes[] = {start, start + 60, start + 120};
        QVERIFY(db.write(seconds, minutes, 0));
        int added = 0;
        QVERIFY(db.addPanelRecords({{PanelRecordRow{start + 300, 0, {215, {}, {}, {}, {}}}}}, kNow,
                                   added));
        db.close();

        wnd.showRange(ChartRange::Day);
        QVERIFY(loaded.wait(10000));
        QCOMPARE(wnd.rows().size(), std::size_t{3});
        QCOMPARE(wnd.rows()[1].utc, start + 60);
        QCOMPARE(wnd.rows()[1][Quantity::TEMP].max, 11.9F);
        wnd.showRange(ChartRange::LastHour);
        QVERIFY(loaded.wait(10000));
        QCOMPARE(wnd.rows().size(), std::size_t{180});
        wnd.setCursor(static_cast<double>(start + 100));
        QVERIFY2(wnd.readout().contains(QStringLiteral("temperatura 10.0 °C")),
                 qPrintable(wnd.readout()));
        int recordDots = 0;
        for (int i = 0; i < wnd.plot()->graphCount(); ++i) {
            if (wnd.plot()->graph(i)->name() == QStringLiteral("Rekordy pamięci panelu")) {
                recordDots += wnd.plot()->graph(i)->dataCount();
            }
        }
        QCOMPARE(recordDots, 1); // the temperature of the one record
        const QList<QStringList> days = modelRows(wnd.daySummary()->model());
        QCOMPARE(days.size(), 1);
        QCOMPARE(days[0].mid(0, 6), (QStringList{QStringLiteral("09.06.2026"), "0.0", "11:50",
                                                 "17.9", "11:52", "9.0"}));

        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(QByteArray(4096, 'x'));
        damaged.close();
        wnd.showRange(ChartRange::Week);
        QVERIFY(loaded.wait(10000));
        QVERIFY(wnd.rows().empty());
        QVERIFY2(wnd.findChild<QLabel*>(QStringLiteral("chartMessage"))
                     ->text()
                     .startsWith(QStringLiteral("Historia pomiarów jest niedostępna: ")),
                 qPrintable(wnd.findChild<QLabel*>(QStringLiteral("chartMessage"))->text()));
    }

    // Bad input: nothing, a broken history, a range in the future, ten years,
    // values far out of range. A message where needed, never a crash.
    void badInput() {
        {
            Window w;
            w.history->empty = true;
            QVERIFY(w.load(QStringLiteral("rangeDay")));
            QCOMPARE(w.wnd->findChild<QLabel*>(QStringLiteral("chartMessage"))->text(),
                     QStringLiteral("Brak pomiarów w tym zakresie."));
            QCOMPARE(w.wnd->readout(), QStringLiteral("Brak pomiarów w tym zakresie"));
            w.key(Qt::Key_Left);
            QVERIFY(w.wnd->readout().endsWith(QStringLiteral(": brak pomiarów")));
        }
        {
            Window w;
            w.history->error = "plik jest uszkodzony";
            QVERIFY(w.load(QStringLiteral("rangeDay")));
            QCOMPARE(w.wnd->findChild<QLabel*>(QStringLiteral("chartMessage"))->text(),
                     QStringLiteral("Historia pomiarów jest niedostępna: plik jest uszkodzony"));
            QVERIFY(saveScreenshot(w.wnd.get(), QStringLiteral("charts_broken")));
        }
        Window w;
        QSignalSpy loaded(w.wnd.get(), &CChartWnd::loaded);
        w.wnd->showSpan({kNow + 86400, kNow + 2 * 86400});
        QVERIFY(loaded.wait(10000));
        QVERIFY(w.wnd->rows().empty());
        w.wnd->showSpan({kNow - 10LL * 365 * 86400, kNow});
        QVERIFY(loaded.wait(10000));
        QCOMPARE(w.history->lastResolution.load(), int(Resolution::Day));
        QVERIFY(!w.wnd->rows().empty());
        // A pressure of 0 and a speed of 200 m/s are drawn at the plots' edges.
        w.wnd->showRange(ChartRange::LastHour);
        QVERIFY(loaded.wait(10000));
        Reading r;
        r.time = std::chrono::system_clock::time_point(std::chrono::seconds(kNow - 1));
        r.values[quantityIndex(Quantity::PRESS)] = {true, 0.0, false};
        r.values[quantityIndex(Quantity::SPEED)] = {true, 200.0, false};
        w.wnd->addReading(r);
        w.wnd->redraw();
        const QCPRange pressure = w.wnd->plot()->axisRect(2)->axis(QCPAxis::atLeft)->range();
        QVERIFY2(pressure.lower >= 800 && pressure.upper < 1200,
                 qPrintable(QString::number(pressure.lower)));
        QVERIFY(w.wnd->plot()->axisRect(3)->axis(QCPAxis::atLeft)->range().upper < 100);
        QVERIFY(saveScreenshot(w.wnd.get(), QStringLiteral("charts_out_of_range")));
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ChartWndTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CChartWnd.moc"
