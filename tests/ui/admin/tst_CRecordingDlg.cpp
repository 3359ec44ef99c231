// "Ustawienia rejestracji" driven through its modal run, with the engine's
// hook called as the configuration byte and the interval arrive.

#include "DialogTestSupport.h"
#include "WindowTestSupport.h"
#include "admin/CRecordingDlg.h"
#include "protocol/PanelData.h"

#include <QButtonGroup>
#include <QPointer>
#include <QPushButton>
#include <QTest>

namespace {

// The controls' state in short: "layout maxWind recording interval", each
// with its enabled state.
struct Shown {
    int layout = -1; // index of the checked radio button
    bool layoutsEnabled = false;
    QString maxWind; // "[x] on", "[ ] off", ...
    QString recording;
    QString interval;

    bool operator==(const Shown&) const = default;
};

QString box(QCheckBox* b) {
    return QStringLiteral("%1 %2").arg(b->isChecked() ? "[x]" : "[ ]",
                                       b->isEnabled() ? "on" : "off");
}

Shown shown(CRecordingDlg& dlg) {
    Shown s;
    for (int i = 0; i < 7; ++i) {
        auto* r = dlg.findChild<QRadioButton*>(QStringLiteral("layout%1").arg(i));
        if (r->isChecked()) {
            s.layout = i;
        }
        s.layoutsEnabled = r->isEnabled();
    }
    s.maxWind = box(dlg.findChild<QCheckBox*>(QStringLiteral("maxWindBox")));
    s.recording = box(dlg.findChild<QCheckBox*>(QStringLiteral("recordingBox")));
    auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("intervalEdit"));
    s.interval = QStringLiteral("%1 %2").arg(edit->text(), edit->isEnabled() ? "on" : "off");
    return s;
}

void clickBox(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

// One user action inside the dialog; "ok" returns the message it raised.
QString act(CRecordingDlg& dlg, const QString& action) {
    const QString verb = action.section(QLatin1Char(':'), 0, 0);
    const QString arg = action.section(QLatin1Char(':'), 1);
    if (verb == QLatin1String("text")) {
        auto* edit = dlg.findChild<QLineEdit*>(QStringLiteral("intervalEdit"));
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, arg);
    } else if (verb == QLatin1String("layout")) {
        clickBox(dlg.findChild<QRadioButton*>(QStringLiteral("layout") + arg));
    } else if (verb == QLatin1String("maxWind")) {
        clickBox(dlg.findChild<QCheckBox*>(QStringLiteral("maxWindBox")));
    } else if (verb == QLatin1String("recording")) {
        clickBox(dlg.findChild<QCheckBox*>(QStringLiteral("recordingBox")));
    } else if (verb == QLatin1String("cancel")) {
        clickLater(&dlg, QStringLiteral("cancelButton"));
    } else if (verb == QLatin1String("ok")) {
        QString message;
        QPointer<QTimer> watch = whenMessageBox([&message](QMessageBox* b) {
            message = b->text();
            clickLater(b, QStringLiteral("okButton"));
        });
        // The range message runs inside the click; a closing dialog does not.
        dlg.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        delete watch.data();
        return message;
    }
    return {};
}

void answer(PanelData& data, CRecordingDlg& dlg, int configByte, int interval) {
    data.memoryByteValid = 1;
    data.memoryByte = configByte;
    data.recordInterval = interval;
    dlg.ShowPanelSettings();
}

const QString kRangeMessage =
    QStringLiteral("Interwał powinien zawierać się w przedziale od 1 do 239 minut.");

} // namespace

Q_DECLARE_METATYPE(Shown)

class TestCRecordingDlg : public QObject {
    Q_OBJECT

private slots:
    void showsThePanelsSettingsAndGivesWhatOkWrites_data();
    void showsThePanelsSettingsAndGivesWhatOkWrites();
    void givesUpWithoutTheConfigurationByte();
    void followsTheBoxesStateNotOnlyClicks();
};

void TestCRecordingDlg::showsThePanelsSettingsAndGivesWhatOkWrites_data() {
    QTest::addColumn<int>("configByte");
    QTest::addColumn<int>("interval");
    QTest::addColumn<Shown>("shown");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("writtenInterval");
    QTest::addColumn<int>("writtenByte");
    // Every byte and interval is the core's table (RecordingSettingsTest).
    const Shown pressWind{2, true, "[x] on", "[x] on", "15 on"};
    const QStringList none;
    QTest::newRow("0x48, 15 minutes, unchanged")
        << 0x48 << 15 << pressWind << QStringList{"ok"} << none << true << 15 << 0x48;
    QTest::newRow("empty field, 0, 240, then 239")
        << 0x10 << 5 << Shown{0, true, "[ ] off", "[x] on", "5 on"}
        << QStringList{"text:", "ok", "text:0", "ok", "text:240", "ok", "text:239", "ok"}
        << QStringList(3, kRangeMessage) << true << 239 << 0x10;
    // The maximum-wind tick counts only on a layout that takes it.
    QTest::newRow("0x28, then the full layout")
        << 0x28 << 10 << Shown{6, true, "[x] on", "[x] on", "10 on"}
        << QStringList{"layout:0", "ok"} << none << true << 10 << 0x10;
    // Clicking a wind layout enables the maximum-wind box, which the click then ticks.
    QTest::newRow("0x10, then a wind layout with the maximum")
        << 0x10 << 5 << Shown{0, true, "[ ] off", "[x] on", "5 on"}
        << QStringList{"layout:6", "maxWind", "ok"} << none << true << 5 << 0x28;
    // Without recording the field is not read; the layout is still written.
    QTest::newRow("recording cleared")
        << 0x48 << 15 << pressWind << QStringList{"text:999", "recording", "ok"} << none << true
        << 0 << 0x48;
    // No recording on the panel: everything but the recording box is off,
    // the maximum-wind box too on a wind layout, until recording is ticked.
    QTest::newRow("interval 0, recording switched on")
        << 0x28 << 0 << Shown{6, false, "[x] off", "[ ] on", " off"}
        << QStringList{"recording", "text:20", "maxWind", "ok"} << none << true << 20 << 0x20;
    // What the panel should never hold is shown as it is.
    QTest::newRow("unknown byte, interval 255")
        << 0x77 << 255 << Shown{-1, true, "[ ] off", "[x] on", "255 on"}
        << QStringList{"ok", "text:10", "ok"} << QStringList{kRangeMessage} << true << 10 << 0x00;
    QTest::newRow("cancelled") << 0x48 << 15 << pressWind << QStringList{"text:100", "cancel"}
                               << none << false << 0 << 0;
}

void TestCRecordingDlg::showsThePanelsSettingsAndGivesWhatOkWrites() {
    QFETCH(int, configByte);
    QFETCH(int, interval);
    QFETCH(Shown, shown);
    QFETCH(QStringList, actions);
    QFETCH(QStringList, messages);
    QFETCH(bool, accepted);
    QFETCH(int, writtenInterval);
    QFETCH(int, writtenByte);
    PanelData data;
    CRecordingDlg dlg(&data);
    // An earlier opening, the maximum-wind box ticked, leaves nothing behind.
    whenShown(&dlg, [&] {
        answer(data, dlg, 0x28, 60);
        clickLater(&dlg, QStringLiteral("cancelButton"));
    });
    QCOMPARE(dlg.run(), int(QDialog::Rejected));

    const bool pictures = QTest::currentDataTag() == QLatin1String("0x48, 15 minutes, unchanged");
    Shown waiting;
    bool okWhileWaiting = true;
    Shown filled;
    bool okWhenFilled = false;
    QStringList seen;
    whenShown(&dlg, [&] {
        waiting = ::shown(dlg);
        okWhileWaiting = dlg.findChild<QPushButton*>(QStringLiteral("okButton"))->isEnabled();
        if (pictures) {
            saveScreenshot(&dlg, QStringLiteral("recording_waiting"));
        }
        answer(data, dlg, configByte, interval);
        filled = ::shown(dlg);
        okWhenFilled = dlg.findChild<QPushButton*>(QStringLiteral("okButton"))->isEnabled();
        if (pictures) {
            saveScreenshot(&dlg, QStringLiteral("recording_filled"));
        }
        for (const QString& a : actions) {
            const QString message = act(dlg, a);
            if (!message.isEmpty()) {
                seen << message;
            }
        }
        if (dlg.isVisible() && actions.last() != QLatin1String("cancel")) {
            dlg.reject(); // the last OK should have closed it
        }
    });
    QCOMPARE(dlg.run(), int(accepted ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(waiting, (Shown{-1, false, "[ ] off", "[ ] off", " off"}));
    QVERIFY(!okWhileWaiting);
    QCOMPARE(filled, shown);
    QVERIFY(okWhenFilled);
    QCOMPARE(seen, messages);
    if (accepted) {
        QCOMPARE(dlg.intervalMinutes(), writtenInterval);
        QCOMPARE(dlg.configByte(), writtenByte);
    }
}

void TestCRecordingDlg::givesUpWithoutTheConfigurationByte() {
    PanelData data;
    CRecordingDlg dlg(&data);
    QString message;
    bool filledEarly = true;
    whenShown(&dlg, [&] {
        // An interval reply still in flight from an earlier sequence comes
        // before this opening's configuration byte was read: not shown.
        data.memoryByteValid = 0;
        data.memoryByte = 0x48;
        data.recordInterval = 15;
        dlg.ShowPanelSettings();
        filledEarly = dlg.replyReceived();
        whenMessageBox([&](QMessageBox* b) {
            message = b->text();
            clickLater(b, QStringLiteral("okButton"));
        });
    });
    QCOMPARE(dlg.run(), int(QDialog::Rejected));
    QVERIFY(!filledEarly);
    QCOMPARE(message, QStringLiteral("Nie można odczytać ustawień"));
    QCOMPARE(shown(dlg), (Shown{-1, false, "[ ] off", "[ ] off", " off"}));
}

// A screen reader's toggle action sets the state without a click.
void TestCRecordingDlg::followsTheBoxesStateNotOnlyClicks() {
    PanelData data;
    CRecordingDlg dlg(&data);
    Shown cleared;
    Shown fullLayout;
    whenShown(&dlg, [&] {
        answer(data, dlg, 0x48, 15);
        dlg.findChild<QCheckBox*>(QStringLiteral("recordingBox"))->setChecked(false);
        cleared = ::shown(dlg);
        saveScreenshot(&dlg, QStringLiteral("recording_toggled_off"));
        dlg.findChild<QCheckBox*>(QStringLiteral("recordingBox"))->setChecked(true);
        dlg.findChild<QRadioButton*>(QStringLiteral("layout0"))->setChecked(true);
        fullLayout = ::shown(dlg);
        clickLater(&dlg, QStringLiteral("cancelButton"));
    });
    QCOMPARE(dlg.run(), int(QDialog::Rejected));
    QCOMPARE(cleared, (Shown{2, false, "[x] off", "[ ] on", "15 off"}));
    QCOMPARE(fullLayout, (Shown{0, true, "[x] off", "[x] on", "15 on"}));
}

QTEST_MAIN(TestCRecordingDlg)
#include "tst_CRecordingDlg.moc"
