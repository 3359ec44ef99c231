// The panel information, date and time and power-saving dialogs, each driven
// through its modal run with the engine's hook called as the reply arrives.

#include "DialogTestSupport.h"
#include "WindowTestSupport.h"
#include "admin/CDateTimeDlg.h"
#include "admin/CPanelInfoDlg.h"
#include "admin/CPowerSaveDlg.h"
#include "protocol/PanelData.h"
#include "recording/CRecordingDlg.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <memory>

namespace {

QStringList areaTexts(QWidget* dlg) {
    QStringList texts;
    for (const char* name : {"panelText", "channel1Text", "channel2Text", "remarksText"}) {
        texts << dlg->findChild<QLabel*>(QLatin1String(name))->text();
    }
    return texts;
}

bool enabled(QWidget* dlg, const char* name) {
    return dlg->findChild<QWidget*>(QLatin1String(name))->isEnabled();
}

DateTimeRecord panelClock(int month, int day, int hour, int minute) {
    DateTimeRecord r;
    r.month = static_cast<std::uint16_t>(month);
    r.day = static_cast<std::uint16_t>(day);
    r.hour = static_cast<std::uint16_t>(hour);
    r.minute = static_cast<std::uint16_t>(minute);
    return r;
}

enum class Kind { PanelInfo, DateTime, PowerSave };

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestAdminDialogs : public QObject {
    Q_OBJECT

private slots:
    void panelInfoFillsItsAreasAndReopensEmpty();
    void dialogGivesUpWithoutAReply_data();
    void dialogGivesUpWithoutAReply();
    void dateTimeShowsThePanelClock_data();
    void dateTimeShowsThePanelClock();
    void dateTimeOkGivesTheChosenDateAndTime_data();
    void dateTimeOkGivesTheChosenDateAndTime();
    void powerSaveShowsAndWritesBit0_data();
    void powerSaveShowsAndWritesBit0();
};

void TestAdminDialogs::panelInfoFillsItsAreasAndReopensEmpty() {
    PanelData data;
    CPanelInfoDlg dlg(&data);
    QStringList waiting;
    QStringList filled;
    bool okWhileWaiting = false;
    whenShown(&dlg, [&] {
        waiting = areaTexts(&dlg);
        okWhileWaiting = enabled(&dlg, "okButton");
        saveScreenshot(&dlg, QStringLiteral("panel_info_waiting"));
        data.firmwareVersion = 2.01;
        data.recordInterval = 90;
        data.powerSavingFlags = 0x05;
        data.ch1Present = 1;
        data.modelTq232 = 1;
        data.serialCh1 = 1234;
        data.ch2Present = 1;
        data.modelTq264 = 1;
        data.serialCh2 = 4321;
        data.lowBattery = 1;
        data.eepromErrorA = 1;
        data.eepromErrorB = 1;
        data.clockError = 1;
        dlg.ShowPanelInfo();
        filled = areaTexts(&dlg);
        saveScreenshot(&dlg, QStringLiteral("panel_info_filled"));
        clickLater(&dlg, QStringLiteral("okButton"));
    });
    QCOMPARE(dlg.run(), int(QDialog::Accepted));
    QCOMPARE(waiting, QStringList(4, QString()));
    QVERIFY(okWhileWaiting);
    QCOMPARE(
        filled,
        (QStringList{QStringLiteral("Panel TQ-820:\nWersja oprogramowania: 2.01\n"
                                    "Zapis pomiarów do pamięci co: 01:30\n"
                                    "Tryb oszczędzania energii\n"),
                     QStringLiteral("Kanał 1:\nTQ-232, numer seryjny 1234"),
                     QStringLiteral("Kanał 2:\nTQ-264, numer seryjny 4321"),
                     QStringLiteral("Uwagi:\nSłaba Bateria\nBłąd pamięci EEPROM\nBłąd zegara\n")}));
    // The areas carry their titles for a screen reader, and the text.
    auto* remarks = dlg.findChild<QLabel*>(QStringLiteral("remarksText"));
    QCOMPARE(remarks->accessibleName(), QStringLiteral("Uwagi"));
    QCOMPARE(remarks->accessibleDescription(), filled.last());

    // The next opening shows nothing of this one while it waits.
    QStringList reopened;
    whenShown(&dlg, [&] {
        reopened = areaTexts(&dlg);
        dlg.reject();
    });
    QCOMPARE(dlg.run(), int(QDialog::Rejected));
    QCOMPARE(reopened, QStringList(4, QString()));
    QCOMPARE(remarks->accessibleDescription(), QString());
}

void TestAdminDialogs::dialogGivesUpWithoutAReply_data() {
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("Informacje o panelu")
        << Kind::PanelInfo << QStringLiteral("Nie można odczytać ustawień");
    QTest::newRow("Data i czas") << Kind::DateTime
                                 << QStringLiteral("Nie można odczytać czasu z urządzenia");
    QTest::newRow("Ustawienia oszczędzania energii")
        << Kind::PowerSave << QStringLiteral("Nie można odczytać ustawień");
}

void TestAdminDialogs::dialogGivesUpWithoutAReply() {
    QFETCH(Kind, kind);
    QFETCH(QString, message);
    PanelData data;
    // A panel that answered earlier: a late reply would have something to show.
    data.firmwareVersion = 2.01;
    data.ch1Present = 1;
    data.clock = panelClock(3, 14, 9, 5);
    data.powerSavingFlags = 0x05;
    std::unique_ptr<CPanelReplyDlg> dlg;
    std::function<void()> hook;
    switch (kind) {
    case Kind::PanelInfo: {
        auto* d = new CPanelInfoDlg(&data);
        hook = [d] { d->ShowPanelInfo(); };
        dlg.reset(d);
        break;
    }
    case Kind::DateTime: {
        auto* d = new CDateTimeDlg(&data);
        hook = [d] { d->ShowPanelClock(); };
        dlg.reset(d);
        break;
    }
    case Kind::PowerSave: {
        auto* d = new CPowerSaveDlg(&data);
        hook = [d] { d->ShowPowerSaving(); };
        dlg.reset(d);
        break;
    }
    }

    QString waiting;
    QString shownWithMessage;
    QString seenMessage;
    whenShown(dlg.get(), [&] {
        waiting = describeDialog(dlg.get());
        whenMessageBox([&](QMessageBox* box) {
            seenMessage = box->text();
            // The reply comes while the message is up: too late to be shown.
            hook();
            shownWithMessage = describeDialog(dlg.get());
            clickLater(box, QStringLiteral("okButton"));
        });
    });
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(dlg->run(), int(QDialog::Rejected));
    QVERIFY2(clock.elapsed() >= CPanelReplyDlg::kReplyWaitMs,
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(seenMessage, message);
    QCOMPARE(shownWithMessage, waiting);
    QVERIFY(!dlg->replyReceived());

    // After the dialog has closed a reply changes nothing either.
    hook();
    QCOMPARE(describeDialog(dlg.get()), waiting);
    QVERIFY(!dlg->replyReceived());
}

void TestAdminDialogs::dateTimeShowsThePanelClock_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<bool>("shown");
    QTest::newRow("14 March 09:05") << 3 << 14 << 9 << 5 << true;
    QTest::newRow("month 13") << 13 << 1 << 12 << 0 << false;
    QTest::newRow("hour 25") << 6 << 1 << 25 << 0 << false;
    // Shown only in a leap year: the panel's year is the computer's.
    QTest::newRow("29 February") << 2 << 29 << 12 << 0
                                 << QDate::isLeapYear(QDate::currentDate().year());
}

void TestAdminDialogs::dateTimeShowsThePanelClock() {
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(bool, shown);
    PanelData data;
    data.clock = panelClock(month, day, hour, minute);
    CDateTimeDlg dlg(&data);
    auto* calendar = dlg.findChild<QCalendarWidget*>(QStringLiteral("calendar"));
    auto* time = dlg.findChild<QTimeEdit*>(QStringLiteral("timeEdit"));
    QDateTime before;
    QDateTime after;
    QStringList offWhileReading;
    QStringList onWhenShown;
    const char* controls[] = {"calendar", "timeEdit", "nowButton", "okButton", "cancelButton"};
    whenShown(&dlg, [&] {
        before = QDateTime(calendar->selectedDate(), time->time());
        for (const char* c : controls) {
            if (!enabled(&dlg, c)) {
                offWhileReading << QLatin1String(c);
            }
        }
        if (QTest::currentDataTag() == QLatin1String("14 March 09:05")) {
            saveScreenshot(&dlg, QStringLiteral("date_time_waiting"));
        }
        // Enter while the clock is read does not close the dialog.
        QTest::keyClick(&dlg, Qt::Key_Return);
        dlg.ShowPanelClock();
        after = QDateTime(calendar->selectedDate(), time->time());
        for (const char* c : controls) {
            if (enabled(&dlg, c)) {
                onWhenShown << QLatin1String(c);
            }
        }
        if (QTest::currentDataTag() == QLatin1String("14 March 09:05")) {
            saveScreenshot(&dlg, QStringLiteral("date_time_filled"));
        }
        clickLater(&dlg, QStringLiteral("cancelButton"));
    });
    const QDateTime opened = QDateTime::currentDateTime();
    QCOMPARE(dlg.run(), int(QDialog::Rejected));

    const QStringList all{"calendar", "timeEdit", "nowButton", "okButton", "cancelButton"};
    QCOMPARE(offWhileReading, all);
    QCOMPARE(onWhenShown, all);
    // While reading: the computer's date and time.
    QVERIFY(qAbs(before.secsTo(opened)) <= 5);
    if (shown) {
        QCOMPARE(after, QDateTime(QDate(before.date().year(), month, day), QTime(hour, minute, 0)));
        QCOMPARE(calendar->monthShown(), month);
    } else {
        QCOMPARE(after, before);
    }
}

void TestAdminDialogs::dateTimeOkGivesTheChosenDateAndTime_data() {
    QTest::addColumn<bool>("takeNow");
    QTest::newRow("date in another year") << false;
    QTest::newRow("Aktualny") << true;
}

void TestAdminDialogs::dateTimeOkGivesTheChosenDateAndTime() {
    QFETCH(bool, takeNow);
    PanelData data;
    data.clock = panelClock(3, 14, 9, 5);
    CDateTimeDlg dlg(&data);
    auto* calendar = dlg.findChild<QCalendarWidget*>(QStringLiteral("calendar"));
    auto* time = dlg.findChild<QTimeEdit*>(QStringLiteral("timeEdit"));
    QDateTime clicked;
    whenShown(&dlg, [&] {
        dlg.ShowPanelClock();
        calendar->setSelectedDate(QDate(2030, 7, 21));
        time->setTime(QTime(18, 30, 15));
        if (takeNow) {
            dlg.findChild<QPushButton*>(QStringLiteral("nowButton"))->click();
            clicked = QDateTime::currentDateTime();
        }
        clickLater(&dlg, QStringLiteral("okButton"));
    });
    QCOMPARE(dlg.run(), int(QDialog::Accepted));
    const DateTimeRecord& c = dlg.chosenDateTime();
    const QDateTime chosen(QDate(c.year, c.month, c.day), QTime(c.hour, c.minute, c.second));
    QVERIFY(chosen.isValid());
    QCOMPARE(int(c.dayOfWeek), chosen.date().dayOfWeek() % 7);
    if (takeNow) {
        // The computer's time with its seconds.
        QVERIFY2(qAbs(chosen.secsTo(clicked)) <= 2, qPrintable(chosen.toString(Qt::ISODate)));
    } else {
        QCOMPARE(chosen, QDateTime(QDate(2030, 7, 21), QTime(18, 30, 15)));
        QCOMPARE(int(c.dayOfWeek), 0); // a Sunday
    }
}

void TestAdminDialogs::powerSaveShowsAndWritesBit0_data() {
    QTest::addColumn<int>("registerValue");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("written");
    QTest::newRow("0x05 unticked") << 0x05 << true << true << true << 0x04;
    QTest::newRow("0x04 ticked") << 0x04 << false << true << true << 0x05;
    QTest::newRow("0x04 unchanged") << 0x04 << false << false << true << 0x04;
    QTest::newRow("cancelled") << 0x05 << true << true << false << 0x05;
}

void TestAdminDialogs::powerSaveShowsAndWritesBit0() {
    QFETCH(int, registerValue);
    QFETCH(bool, ticked);
    QFETCH(bool, toggle);
    QFETCH(bool, ok);
    QFETCH(int, written);
    PanelData data;
    CPowerSaveDlg dlg(&data);
    auto* box = dlg.findChild<QCheckBox*>(QStringLiteral("powerSavingBox"));
    QString waiting;
    bool shownTicked = false;
    bool boxEnabled = false;
    bool okEnabled = false;
    whenShown(&dlg, [&] {
        waiting = describeDialog(&dlg);
        if (QTest::currentDataTag() == QLatin1String("0x05 unticked")) {
            saveScreenshot(&dlg, QStringLiteral("power_save_waiting"));
        }
        // OK before the reply must not write a register that was never read.
        dlg.accept();
        data.powerSavingFlags = registerValue;
        dlg.ShowPowerSaving();
        shownTicked = box->isChecked();
        boxEnabled = box->isEnabled();
        okEnabled = enabled(&dlg, "okButton");
        if (QTest::currentDataTag() == QLatin1String("0x05 unticked")) {
            saveScreenshot(&dlg, QStringLiteral("power_save_filled"));
        }
        if (toggle) {
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        }
        clickLater(&dlg, QLatin1String(ok ? "okButton" : "cancelButton"));
    });
    QCOMPARE(dlg.run(), int(ok ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(waiting,
             QStringLiteral("powerSavingBox off [ ]\npowerSavingPicture on \nokButton off OK\n"
                            "cancelButton on Anuluj"));
    QCOMPARE(shownTicked, ticked);
    QVERIFY(boxEnabled);
    QVERIFY(okEnabled);
    if (ok) {
        QCOMPARE(dlg.registerValue(), written);
    }
}

QTEST_MAIN(TestAdminDialogs)
#include "tst_AdminDialogs.moc"
