// The panel administration dialogs of the real main window against tq820-sim
// over a pseudo-terminal: what they read from the simulated panel, what they
// write to it, and what happens when it is silent or late.

#include "DialogTestSupport.h"
#include "E2eRig.h"
#include "admin/CPanelReplyDlg.h"

#include <QButtonGroup>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

const QString kBothChannels = QStringLiteral("Urządzenia: TQ-232, TQ-264. ");
constexpr int kCom = 18;

// Closes whatever modal window is up, so that a failed wait cannot hang the
// test; the test then fails on what it did not see.
void closeModals() {
    while (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        if (QApplication::activeModalWidget() == modal) {
            break;
        }
    }
}

// A modal-answerer step: waits until the panel dialog shows the reply, then
// runs `body`; gives up after `timeoutMs` and closes the dialog.
ModalAnswerer::Step whenFilled(std::function<void(QWidget*)> body, int timeoutMs = 5000) {
    return [body, timeoutMs](QWidget* modal) {
        QPointer<CPanelReplyDlg> dialog(qobject_cast<CPanelReplyDlg*>(modal));
        whenReady([dialog] { return dialog && dialog->replyReceived(); },
                  [dialog, body](bool ok) {
                      if (ok && dialog) {
                          body(dialog);
                      } else {
                          closeModals();
                      }
                  },
                  timeoutMs);
    };
}

} // namespace

class TestE2eAdmin : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void panelInfoShowsTheSimulatedPanel();
    void clockIsReadAndSet_data();
    void clockIsReadAndSet();
    void recordingSettingsAreReadAndWritten();
    void powerSavingIsToggled();
    void silentPanel_data();
    void silentPanel();
    void noiseWhileWaiting_data();
    void noiseWhileWaiting();

private:
    // The simulator on kCom and the window polling it.
    bool startPanelAndWindow(const QStringList& simOptions = {}) {
        return rig->startSim(simOptions) && rig->showWindow() &&
               QTest::qWaitFor([this] { return dlg()->statusLine()->text() == kBothChannels; },
                               5000);
    }
    void control(const QString& line) {
        const QString reply = sim->command(line);
        QVERIFY2(reply.startsWith(QStringLiteral("ok")), qPrintable(line + " -> " + reply));
    }
    // One field of the simulator's "state" line, e.g. "power" -> "0x05", "clock" ->
    // "2024-03-14 09:05:00".
    QString simState(const QString& key) {
        const QRegularExpression re(
            QStringLiteral("\\b%1=(\\S+(?: \\d\\d:\\d\\d:\\d\\d)?)").arg(key));
        return re.match(sim->command(QStringLiteral("state"))).captured(1);
    }
    void verifyNothingWritten() {
        for (const char* write : {"B", "C", "EW", "J", "G"}) {
            QCOMPARE(requests(write), 0);
        }
    }
    int requests(const char* letter) { return int(sim->stats().value(QLatin1String(letter))); }
    void trigger(const QString& action) { dlg()->findChild<QAction*>(action)->trigger(); }
    CMeteoDlg* dlg() const { return rig->window.get(); }

    std::unique_ptr<E2eRig> rig;
    SimProcess* sim = nullptr; // the rig's
    ModalAnswerer* answers = nullptr;
};

void TestE2eAdmin::init() {
    rig = std::make_unique<E2eRig>(kCom);
    QVERIFY(rig->config.isValid());
    sim = &rig->sim;
    answers = &rig->answers;
}

void TestE2eAdmin::cleanup() {
    closeModals();
    rig.reset();
}

void TestE2eAdmin::panelInfoShowsTheSimulatedPanel() {
    QVERIFY(startPanelAndWindow());
    for (const char* c : {"serial1 1234", "serial2 4321", "firmware 2.01", "settings 90 16",
                          "power 5", "fault battery on", "fault eeprom on", "fault clock on"}) {
        control(QLatin1String(c));
    }
    // The remarks come from the regular status poll.
    QTRY_VERIFY_WITH_TIMEOUT(dlg()->link().data().clockError, 3000);

    QStringList texts;
    answers->add(whenFilled([&texts](QWidget* d) {
        for (const char* name : {"panelText", "channel1Text", "channel2Text", "remarksText"}) {
            texts << child<QLabel>(d, name)->text();
        }
        saveScreenshot(d, QStringLiteral("e2e_panel_info"));
        clickLater(d, QStringLiteral("okButton"));
    }));
    trigger(QStringLiteral("actionPanelInfo"));
    // Filled in time: no "Nie można odczytać ustawień" came up.
    QCOMPARE(answers->seen, QStringList{QStringLiteral("Informacje o panelu")});
    QCOMPARE(texts, (QStringList{QStringLiteral("Panel TQ-820:\nWersja oprogramowania: 2.01\n"
                                                "Zapis pomiarów do pamięci co: 01:30\n"
                                                "Tryb oszczędzania energii\n"),
                                 QStringLiteral("Kanał 1:\nTQ-232, numer seryjny 1234"),
                                 QStringLiteral("Kanał 2:\nTQ-264, numer seryjny 4321"),
                                 QStringLiteral("Uwagi:\nSłaba Bateria\nBłąd pamięci EEPROM\n"
                                                "Błąd zegara\n")}));
    // The information sequence F, I, L, N, Q ran once, then the regular cycle.
    const auto stats = sim->stats();
    for (const char* letter : {"F", "I", "L", "N", "Q"}) {
        QCOMPARE(int(stats.value(QLatin1String(letter))), 1);
    }
    const int polls = requests("K");
    QTRY_VERIFY_WITH_TIMEOUT(requests("K") > polls + 2, 3000);
}

void TestE2eAdmin::clockIsReadAndSet_data() {
    QTest::addColumn<bool>("takeNow");
    QTest::addColumn<bool>("reset");
    QTest::newRow("date in another year, no reset") << false << false;
    QTest::newRow("Aktualny, then reset") << true << true;
}

void TestE2eAdmin::clockIsReadAndSet() {
    QFETCH(bool, takeNow);
    QFETCH(bool, reset);
    QVERIFY(
        startPanelAndWindow({QStringLiteral("--clock"), QStringLiteral("2024-03-14 09:05:00")}));

    QDateTime shown;
    QDateTime chosen;
    QDateTime clicked;
    answers->add(whenFilled([&, takeNow](QWidget* d) {
        auto* calendar = child<QCalendarWidget>(d, "calendar");
        auto* time = child<QTimeEdit>(d, "timeEdit");
        shown = QDateTime(calendar->selectedDate(), time->time());
        saveScreenshot(d, QStringLiteral("e2e_date_time"));
        calendar->setSelectedDate(QDate(2030, 7, 21));
        time->setTime(QTime(18, 30, 15));
        if (takeNow) {
            child<QPushButton>(d, "nowButton")->click();
            clicked = QDateTime::currentDateTime();
        }
        chosen = QDateTime(calendar->selectedDate(), time->time());
        clickLater(d, QStringLiteral("okButton"));
    }));
    answers->add(
        ModalAnswerer::click(reset ? QStringLiteral("yesButton") : QStringLiteral("noButton")));
    if (reset) {
        answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    }
    trigger(QStringLiteral("actionDateTime"));
    QTRY_COMPARE_WITH_TIMEOUT(answers->pending(), 0, 8000);

    // The panel's 14 March, 09:05 in the computer's year.
    QCOMPARE(shown, QDateTime(QDate(QDate::currentDate().year(), 3, 14), QTime(9, 5, 0)));
    QStringList expected{
        QStringLiteral("Data i czas"),
        QStringLiteral("Zegar został ustawiony.\nRejestracja do pamięci została wstrzymana do "
                       "momentu resetu panelu.\nChcesz zresetować panel teraz?")};
    if (reset) {
        expected << QStringLiteral("Panel został zresetowany");
    }
    QCOMPARE(answers->seen, expected);
    QCOMPARE(requests("B"), 1);
    QCOMPARE(requests("C"), 1);
    QCOMPARE(requests("G"), reset ? 1 : 0);

    // Day, month and time set; the year is not sent, so the panel keeps 2024.
    const QString clock = simState(QStringLiteral("clock"));
    const QDateTime panel = QDateTime::fromString(clock, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QVERIFY2(panel.isValid(), qPrintable(clock));
    QCOMPARE(panel.date().year(), 2024);
    const QDateTime panelInChosenYear(
        QDate(chosen.date().year(), panel.date().month(), panel.date().day()), panel.time());
    const qint64 drift = chosen.secsTo(panelInChosenYear);
    QVERIFY2(drift >= 0 && drift <= 60,
             qPrintable(chosen.toString(Qt::ISODate) + " / " + panel.toString(Qt::ISODate)));
    if (takeNow) {
        // The computer's time with its seconds.
        QVERIFY2(qAbs(chosen.secsTo(clicked)) <= 2, qPrintable(chosen.toString(Qt::ISODate)));
    } else {
        QCOMPARE(chosen, QDateTime(QDate(2030, 7, 21), QTime(18, 30, 15)));
    }
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 3000);
}

void TestE2eAdmin::recordingSettingsAreReadAndWritten() {
    QVERIFY(startPanelAndWindow());
    control(QStringLiteral("settings 15 72")); // 0x48

    QString shown;
    answers->add(whenFilled([&shown](QWidget* d) {
        shown = describeDialog(d);
        saveScreenshot(d, QStringLiteral("e2e_recording"));
        child<QLineEdit>(d, "intervalEdit")->setText(QStringLiteral("239"));
        // 0x60, which takes the maximum wind still ticked.
        child<QRadioButton>(d, "layout1")->click();
        clickLater(d, QStringLiteral("okButton"));
    }));
    answers->add(ModalAnswerer::click(QStringLiteral("yesButton")));
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    trigger(QStringLiteral("actionRecordingSettings"));
    QTRY_COMPARE_WITH_TIMEOUT(answers->pending(), 0, 8000);

    QVERIFY2(shown.contains(QStringLiteral("recordingBox on [x]")) &&
                 shown.contains(QStringLiteral("intervalEdit on 15")) &&
                 shown.contains(QStringLiteral("layout2 on [x]")) &&
                 shown.contains(QStringLiteral("maxWindBox on [x]")),
             qPrintable(shown));
    QCOMPARE(answers->seen,
             (QStringList{QStringLiteral("Ustawienia rejestracji"),
                          QStringLiteral("Ustawienia zostały zapisane.\nZmiany będą zastosowane "
                                         "po resecie panelu.\nChcesz zresetować panel teraz?"),
                          QStringLiteral("Panel został zresetowany")}));
    // Memory addresses 0 and 1 written, and applied by the reset that "Tak" started.
    QCOMPARE(simState(QStringLiteral("stored-interval")), QStringLiteral("239"));
    QCOMPARE(simState(QStringLiteral("stored-config")), QStringLiteral("0x68"));
    QCOMPARE(simState(QStringLiteral("active-interval")), QStringLiteral("239"));
    QCOMPARE(simState(QStringLiteral("active-config")), QStringLiteral("0x68"));
    QCOMPARE(requests("ER"), 1);
    QCOMPARE(requests("EW"), 2);
    QCOMPARE(requests("G"), 1);
}

void TestE2eAdmin::powerSavingIsToggled() {
    QVERIFY(startPanelAndWindow());
    control(QStringLiteral("power 5"));

    for (const char* expected : {"0x04", "0x05"}) {
        bool ticked = false;
        answers->add(whenFilled([&ticked](QWidget* d) {
            auto* box = child<QCheckBox>(d, "powerSavingBox");
            ticked = box->isChecked();
            saveScreenshot(d, QStringLiteral("e2e_power_save"));
            box->click();
            clickLater(d, QStringLiteral("okButton"));
        }));
        answers->seen.clear();
        trigger(QStringLiteral("actionPowerSaving"));
        QCOMPARE(answers->seen, QStringList{QStringLiteral("Ustawienia oszczędzania energii")});
        QCOMPARE(ticked, QLatin1String(expected) == QLatin1String("0x04"));
        QTRY_COMPARE_WITH_TIMEOUT(simState(QStringLiteral("power")), QLatin1String(expected), 3000);
        // A write the panel acknowledged is not reported.
        QVERIFY(!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; },
                                 2 * PanelLink::kConfirmationMs));
    }
    QCOMPARE(requests("J"), 2);
}

void TestE2eAdmin::silentPanel_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("dialogName");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("lastRequest"); // of what the one-shot sends after the close
    QTest::newRow("Informacje o panelu")
        << "actionPanelInfo"
        << "panelInfoDialog"
        << "Informacje o panelu" << QStringLiteral("Nie można odczytać ustawień")
        << "F"; // without the dialog the engine stops after the version
    QTest::newRow("Data i czas") << "actionDateTime"
                                 << "dateTimeDialog"
                                 << "Data i czas"
                                 << QStringLiteral("Nie można odczytać czasu z urządzenia") << "O";
    QTest::newRow("Tryb oszczędzania energii")
        << "actionPowerSaving"
        << "powerSaveDialog" << QStringLiteral("Ustawienia oszczędzania energii")
        << QStringLiteral("Nie można odczytać ustawień") << "Q";
    QTest::newRow("Ustawienia rejestracji")
        << "actionRecordingSettings"
        << "recordingDialog"
        << "Ustawienia rejestracji" << QStringLiteral("Nie można odczytać ustawień") << "Q";
}

void TestE2eAdmin::silentPanel() {
    QFETCH(QString, action);
    QFETCH(QString, dialogName);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QFETCH(QString, lastRequest);
    QVERIFY(startPanelAndWindow({QStringLiteral("--clock"), QStringLiteral("2024-03-14 09:05:00"),
                                 QStringLiteral("--seed"), QStringLiteral("7")}));
    control(QStringLiteral("settings 15 72"));
    control(QStringLiteral("power 5"));
    control(QStringLiteral("silent on"));
    answers->add([](QWidget*) {}); // the dialog waits
    answers->add(ModalAnswerer::click(QStringLiteral("okButton")));
    QElapsedTimer clock;
    clock.start();
    trigger(action);
    QVERIFY(clock.elapsed() >= 1500);
    QCOMPARE(answers->seen, (QStringList{title, message}));
    auto* dialog = dlg()->findChild<QDialog*>(dialogName);
    QVERIFY(dialog != nullptr);
    QVERIFY(!dialog->isVisible());
    const QString closed = describeDialog(dialog);

    // The panel speaks again at once: the engine still runs the pending
    // sequence, and its late replies bring no result message and change
    // nothing in the closed dialog. (A silence of two lost links would drop
    // the sequence, so the panel is not kept silent while the test watches.)
    control(QStringLiteral("stats reset"));
    control(QStringLiteral("silent off"));
    QVERIFY(!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; },
                             2 * PanelLink::kConfirmationMs));
    QTRY_VERIFY_WITH_TIMEOUT(sim->stats().value(lastRequest) >= 1, 8000);
    const int polls = requests("K");
    QTRY_VERIFY_WITH_TIMEOUT(requests("K") > polls, 3000); // the last reply was handled
    QCOMPARE(describeDialog(dialog), closed);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(answers->seen.size(), 2);

    // The regular poll cycle goes on; nothing was ever written.
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 8000);
    verifyNothingWritten();
}

void TestE2eAdmin::noiseWhileWaiting_data() {
    silentPanel_data();
}

void TestE2eAdmin::noiseWhileWaiting() {
    QFETCH(QString, action);
    QFETCH(QString, title);
    QFETCH(QString, message);
    QVERIFY(startPanelAndWindow());
    control(QStringLiteral("settings 15 72"));

    // Random bytes on the line while the dialog's replies come: either the
    // sequence survives and the dialog fills, or it breaks and the dialog
    // says so after its wait. Nothing is written either way.
    QString outcome;
    answers->add([this, &outcome](QWidget* modal) {
        QPointer<QWidget> dialog(modal);
        sim->command(QStringLiteral("noise 64"));
        whenReady(
            [dialog] {
                auto* d = qobject_cast<CPanelReplyDlg*>(dialog.data());
                return (d != nullptr && d->replyReceived()) ||
                       qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
            },
            [dialog, &outcome](bool ok) {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    outcome = box->text();
                    clickLater(box, QStringLiteral("okButton"));
                } else if (ok && dialog) {
                    outcome = QStringLiteral("filled");
                    clickLater(dialog, QStringLiteral("cancelButton"));
                    if (dialog->objectName() == QLatin1String("panelInfoDialog")) {
                        clickLater(dialog, QStringLiteral("okButton"));
                    }
                } else {
                    closeModals();
                }
            });
    });
    trigger(action);
    QVERIFY2(outcome == QLatin1String("filled") || outcome == message, qPrintable(outcome));
    QCOMPARE(answers->seen, QStringList{title});
    QTRY_COMPARE_WITH_TIMEOUT(dlg()->statusLine()->text(), kBothChannels, 8000);
    const int polls = requests("K");
    QTRY_VERIFY_WITH_TIMEOUT(requests("K") > polls + 2, 5000);
    verifyNothingWritten();
}

QTEST_MAIN(TestE2eAdmin)
#include "tst_e2e_admin.moc"
