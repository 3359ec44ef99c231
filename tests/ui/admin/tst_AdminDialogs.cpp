// The panel information, date and time and power-saving dialogs, each driven
// through its modal run with the engine's hook called as the reply arrives.
// What they read from the panel and write to it, and each one's message when
// the panel is silent, are the end-to-end tests' (tst_e2e_admin).

#include "DialogTestSupport.h"
#include "WindowTestSupport.h"
#include "admin/CDateTimeDlg.h"
#include "admin/CPanelInfoDlg.h"
#include "admin/CPowerSaveDlg.h"
#include "protocol/PanelData.h"

#include <QTest>

namespace {

QStringList areaTexts(QWidget* dlg) {
    QStringList texts;
    for (const char* name : {"panelText", "channel1Text", "channel2Text", "remarksText"}) {
        texts << dlg->findChild<QLabel*>(QLatin1String(name))->text();
    }
    return texts;
}

// The date and time dialog's controls that are enabled.
QStringList enabledControls(QWidget* dlg) {
    QStringList on;
    for (const char* name : {"calendar", "timeEdit", "nowButton", "okButton", "cancelButton"}) {
        if (child<QWidget>(dlg, name)->isEnabled()) {
            on << QLatin1String(name);
        }
    }
    return on;
}

} // namespace

class TestAdminDialogs : public QObject {
    Q_OBJECT

private slots:
    void panelInfoFillsItsAreasAndReopensEmpty();
    void replyWhileTheFailureIsShownIsIgnored();
    void dateTimeShowsThePanelClock_data();
    void dateTimeShowsThePanelClock();
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
        okWhileWaiting = child<QWidget>(&dlg, "okButton")->isEnabled();
        saveScreenshot(&dlg, QStringLiteral("panel_info_waiting"));
        data.firmwareVersion = 2.01;
        data.recordInterval = 90;
        data.powerSavingFlags = 0x05;
        data.ch1Present = data.modelTq232 = data.ch2Present = data.modelTq264 = 1;
        data.serialCh1 = 1234;
        data.serialCh2 = 4321;
        data.lowBattery = data.eepromErrorA = data.clockError = 1;
        dlg.ShowPanelInfo();
        filled = areaTexts(&dlg);
        saveScreenshot(&dlg, QStringLiteral("panel_info_filled"));
        clickLater(&dlg, QStringLiteral("okButton"));
    });
    QCOMPARE(dlg.run(), int(QDialog::Accepted));
    QCOMPARE(waiting, QStringList(4, QString()));
    QVERIFY(okWhileWaiting);
    // The texts themselves are the end-to-end test's and the core's.
    QVERIFY(!filled.contains(QString()));
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

// The wait that every panel dialog shares gives up while a reply can still
// come: one that arrives while the failure is shown fills nothing (one after
// the close is the end-to-end test's).
void TestAdminDialogs::replyWhileTheFailureIsShownIsIgnored() {
    PanelData data;
    // A panel that answered earlier: a late reply would have something to show.
    data.firmwareVersion = 2.01;
    data.ch1Present = 1;
    CPanelInfoDlg dlg(&data);
    QString waiting;
    QString shownWithMessage;
    QString seenMessage;
    whenShown(&dlg, [&] {
        waiting = describeDialog(&dlg);
        whenMessageBox([&](QMessageBox* box) {
            seenMessage = box->text();
            dlg.ShowPanelInfo();
            shownWithMessage = describeDialog(&dlg);
            clickLater(box, QStringLiteral("okButton"));
        });
    });
    QCOMPARE(dlg.run(), int(QDialog::Rejected));
    QCOMPARE(seenMessage, QStringLiteral("Nie można odczytać ustawień"));
    QCOMPARE(shownWithMessage, waiting);
    QVERIFY(!dlg.replyReceived());
}

void TestAdminDialogs::dateTimeShowsThePanelClock_data() {
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<bool>("shown");
    // Which clocks can be shown is the core's table (PanelClockTest).
    QTest::newRow("14 March 09:05") << 3 << 14 << 9 << 5 << true;
    QTest::newRow("month 13") << 13 << 1 << 12 << 0 << false;
}

void TestAdminDialogs::dateTimeShowsThePanelClock() {
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(bool, shown);
    PanelData data;
    data.clock.month = std::uint16_t(month);
    data.clock.day = std::uint16_t(day);
    data.clock.hour = std::uint16_t(hour);
    data.clock.minute = std::uint16_t(minute);
    CDateTimeDlg dlg(&data);
    auto* calendar = dlg.findChild<QCalendarWidget*>(QStringLiteral("calendar"));
    auto* time = dlg.findChild<QTimeEdit*>(QStringLiteral("timeEdit"));
    const bool pictures = QTest::currentDataTag() == QLatin1String("14 March 09:05");
    QDateTime before;
    QDateTime after;
    QStringList onWhileReading;
    QStringList onWhenShown;
    whenShown(&dlg, [&] {
        before = QDateTime(calendar->selectedDate(), time->time());
        onWhileReading = enabledControls(&dlg);
        if (pictures) {
            saveScreenshot(&dlg, QStringLiteral("date_time_waiting"));
        }
        // Enter while the clock is read does not close the dialog.
        QTest::keyClick(&dlg, Qt::Key_Return);
        dlg.ShowPanelClock();
        after = QDateTime(calendar->selectedDate(), time->time());
        onWhenShown = enabledControls(&dlg);
        if (pictures) {
            saveScreenshot(&dlg, QStringLiteral("date_time_filled"));
        }
        clickLater(&dlg, QStringLiteral("cancelButton"));
    });
    const QDateTime opened = QDateTime::currentDateTime();
    QCOMPARE(dlg.run(), int(QDialog::Rejected));

    QCOMPARE(onWhileReading, QStringList());
    QCOMPARE(onWhenShown,
             (QStringList{"calendar", "timeEdit", "nowButton", "okButton", "cancelButton"}));
    // While reading: the computer's date and time.
    QVERIFY(qAbs(before.secsTo(opened)) <= 5);
    if (shown) {
        QCOMPARE(after, QDateTime(QDate(before.date().year(), month, day), QTime(hour, minute, 0)));
        QCOMPARE(calendar->monthShown(), month);
    } else {
        QCOMPARE(after, before);
    }
}

void TestAdminDialogs::powerSaveShowsAndWritesBit0_data() {
    QTest::addColumn<int>("registerValue");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("written");
    // 0x05 -> 0x04 -> 0x05 is the end-to-end test's; the bits are the core's.
    QTest::newRow("cancelled") << 0x05 << true << true << false << 0x05;
    QTest::newRow("0x04 unchanged") << 0x04 << false << false << true << 0x04;
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
    const bool pictures = QTest::currentDataTag() == QLatin1String("cancelled");
    QString waiting;
    QString filled;
    whenShown(&dlg, [&] {
        waiting = describeDialog(&dlg);
        if (pictures) {
            saveScreenshot(&dlg, QStringLiteral("power_save_waiting"));
        }
        // OK before the reply must not write a register that was never read.
        dlg.accept();
        data.powerSavingFlags = registerValue;
        dlg.ShowPowerSaving();
        filled = describeDialog(&dlg);
        if (pictures) {
            saveScreenshot(&dlg, QStringLiteral("power_save_filled"));
        }
        if (toggle) {
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        }
        clickLater(&dlg, QLatin1String(ok ? "okButton" : "cancelButton"));
    });
    QCOMPARE(dlg.run(), int(ok ? QDialog::Accepted : QDialog::Rejected));
    const QString shown =
        QStringLiteral("powerSavingBox %1 %2\npowerSavingPicture on \nokButton %1 OK\n"
                       "cancelButton on Anuluj");
    QCOMPARE(waiting, shown.arg(QLatin1String("off"), QLatin1String("[ ]")));
    QCOMPARE(filled, shown.arg(QLatin1String("on"), QLatin1String(ticked ? "[x]" : "[ ]")));
    if (ok) {
        QCOMPARE(dlg.registerValue(), written);
    }
}

QTEST_MAIN(TestAdminDialogs)
#include "tst_AdminDialogs.moc"
