// "Rejestruj do pliku" in its modal run, as a user works it. What OK then does
// with the file is the recorder's and the end-to-end test's; that every
// control is named for a screen reader, the main window's (tst_CMeteoDlg).

#include "../display/Screenshot.h"
#include "FileChooserAnswer.h"
#include "FileTestSupport.h"
#include "recording/CLogFileDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <functional>

namespace {

// In the dialog's order, not the file's.
const QStringList kColumnBoxes{"temperatureBox", "humidityBox", "pressureBox", "speedBox",
                               "directionBox"};
// The controls that follow "Rejestruj wyniki pomiarów".
const QStringList kDependentControls =
    QStringList{"fileNameEdit", "browseButton", "formatList", "intervalEdit"} + kColumnBoxes;
const QString kTextFilter = QStringLiteral("Plik tekstowy (*.txt)");
const QString kCsvFilter = QStringLiteral("Lista CSV (*.csv)");

// Runs `act` on the next modal window once it is up.
void whenModal(std::function<void(QWidget*)> act, QWidget* notThis = nullptr) {
    QTimer::singleShot(0, [act = std::move(act), notThis] {
        QWidget* modal = nullptr;
        QTRY_VERIFY((modal = QApplication::activeModalWidget()) != nullptr && modal != notThis &&
                    modal->isVisible());
        act(modal);
        // A failed check must not leave the dialog waiting for an answer.
        if (QTest::currentTestFailed()) {
            if (auto* d = qobject_cast<QDialog*>(modal)) {
                d->reject();
            }
        }
    });
}

template <typename T = QWidget> T* child(QWidget* dialog, const QString& name) {
    T* w = dialog->findChild<T*>(name);
    if (w == nullptr) {
        qFatal("no %s", qPrintable(name));
    }
    return w;
}

void click(QWidget* dialog, const QString& name) {
    child<QAbstractButton>(dialog, name)->click();
}

LogFileSettings recordingOn() {
    LogFileSettings s;
    s.enabled = true;
    s.fileName = "/home/ala/pomiary.csv";
    s.csv = true;
    s.intervalSeconds = 3725;
    s.columns = {true, false, true, false, true};
    return s;
}

} // namespace

Q_DECLARE_METATYPE(LogFileSettings)

class TestCLogFileDlg : public QObject {
    Q_OBJECT

private slots:
    void showsTheSettingsAndControlsFollowTheFirstBox_data();
    void showsTheSettingsAndControlsFollowTheFirstBox();
    void okWithoutColumnsWarnsAndStaysOpen_data();
    void okWithoutColumnsWarnsAndStaysOpen();
    void zeroIntervalBecomesOneSecond_data();
    void zeroIntervalBecomesOneSecond();
    void chooserNamesTheFileAndPicksTheLayout_data();
    void chooserNamesTheFileAndPicksTheLayout();
};

void TestCLogFileDlg::showsTheSettingsAndControlsFollowTheFirstBox_data() {
    QTest::addColumn<LogFileSettings>("settings");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("screenshot");
    QTest::newRow("defaults, off") << LogFileSettings{} << "00:00:01"
                                   << "log_file_dialog_off";
    QTest::newRow("on, list, 1 h 2 min 5 s") << recordingOn() << "01:02:05"
                                             << "log_file_dialog";
}

void TestCLogFileDlg::showsTheSettingsAndControlsFollowTheFirstBox() {
    QFETCH(LogFileSettings, settings);
    QFETCH(QString, time);
    QFETCH(QString, screenshot);
    CLogFileDlg dialog;
    dialog.setSettings(settings);
    whenModal([&](QWidget* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("Rejestruj do pliku"));
        QCOMPARE(child<QLineEdit>(d, "fileNameEdit")->text(),
                 QString::fromStdString(settings.fileName));
        auto* list = child<QComboBox>(d, "formatList");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->itemText(0), QStringLiteral("Format tekstowy"));
        QCOMPARE(list->itemText(1), QStringLiteral("Lista rozdzielana"));
        QCOMPARE(list->currentIndex(), settings.csv ? 1 : 0);
        QCOMPARE(child<QTimeEdit>(d, "intervalEdit")->text(), time);
        const bool columns[] = {settings.columns.temperature, settings.columns.humidity,
                                settings.columns.pressure, settings.columns.speed,
                                settings.columns.direction};
        for (int i = 0; i < kColumnBoxes.size(); ++i) {
            QCOMPARE(child<QCheckBox>(d, kColumnBoxes[i])->isChecked(), columns[i]);
        }
        saveScreenshot(d, screenshot);
        const QList<QLabel*> labels = d->findChildren<QLabel*>();
        QCOMPARE(labels.size(), 3);
        for (int clicks = 0; clicks <= 2; ++clicks) {
            const bool on = settings.enabled != (clicks == 1);
            QCOMPARE(child<QCheckBox>(d, "enabledBox")->isChecked(), on);
            QCOMPARE(dialog.settings().enabled, on);
            for (const QString& name : kDependentControls) {
                QVERIFY2(child(d, name)->isEnabled() == on, qPrintable(name));
            }
            for (QLabel* label : labels) {
                QCOMPARE(label->isEnabled(), on);
            }
            // The group's frame stays; only its boxes follow.
            QVERIFY(child<QGroupBox>(d, "measurementGroup")->isEnabled());
            if (clicks < 2) {
                click(d, "enabledBox");
            }
        }
        click(d, "okButton");
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(dialog.settings(), settings);
}

void TestCLogFileDlg::okWithoutColumnsWarnsAndStaysOpen_data() {
    QTest::addColumn<bool>("enabled");
    QTest::newRow("recording on") << true;
    QTest::newRow("recording off") << false;
}

void TestCLogFileDlg::okWithoutColumnsWarnsAndStaysOpen() {
    QFETCH(bool, enabled);
    CLogFileDlg dialog;
    LogFileSettings s = recordingOn();
    s.enabled = enabled;
    dialog.setSettings(s);
    // Checked where they happen: a failed check rejects the window it is in.
    whenModal([&](QWidget* d) {
        for (const QString& name : kColumnBoxes) {
            child<QCheckBox>(d, name)->setChecked(false);
        }
        whenModal(
            [&](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                QVERIFY(message != nullptr);
                QCOMPARE(message->text(),
                         QStringLiteral("Wybierz przynajmniej jedną wielkość do zapisu"));
                QCOMPARE(message->icon(), QMessageBox::Warning);
                click(message, "okButton");
            },
            d);
        click(d, "okButton"); // returns once the warning is answered
        QVERIFY(d->isVisible());
        // One box ticked lets it close. With recording off the boxes are
        // disabled: a user switches it on to tick one, and off again.
        const QStringList clicks =
            enabled ? QStringList{"speedBox"} : QStringList{"enabledBox", "speedBox", "enabledBox"};
        for (const QString& name : clicks + QStringList{"okButton"}) {
            click(d, name);
        }
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(dialog.settings().columns, (RecordColumns{false, false, false, true, false}));
}

void TestCLogFileDlg::zeroIntervalBecomesOneSecond_data() {
    QTest::addColumn<bool>("leaveByFocus");
    QTest::newRow("focus leaves the picker") << true;
    QTest::newRow("OK while the picker has the focus") << false;
}

void TestCLogFileDlg::zeroIntervalBecomesOneSecond() {
    QFETCH(bool, leaveByFocus);
    CLogFileDlg dialog;
    dialog.setSettings(recordingOn());
    whenModal([&](QWidget* d) {
        auto* picker = child<QTimeEdit>(d, "intervalEdit");
        picker->setFocus();
        QTRY_VERIFY(picker->hasFocus());
        // Typed over, section by section, as a user would.
        picker->setSelectedSection(QDateTimeEdit::HourSection);
        QTest::keyClicks(picker, "000000");
        QCOMPARE(picker->text(), QStringLiteral("00:00:00"));
        if (leaveByFocus) {
            child<QLineEdit>(d, "fileNameEdit")->setFocus();
            QTRY_VERIFY(!picker->hasFocus());
            QCOMPARE(picker->text(), QStringLiteral("00:00:01"));
        }
        click(d, "okButton");
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(child<QTimeEdit>(&dialog, "intervalEdit")->text(), QStringLiteral("00:00:01"));
    QCOMPARE(dialog.settings().intervalSeconds, 1);
}

// The naming rules in full are the core's (ReportFileNameTest); here a user
// picks a filter and a name in the chooser, or cancels it.
void TestCLogFileDlg::chooserNamesTheFileAndPicksTheLayout_data() {
    QTest::addColumn<bool>("csvBefore");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("typed"); // empty: Anuluj
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<bool>("csv");
    QTest::newRow("no extension, list filter") << false << kCsvFilter << "wyniki"
                                               << "wyniki.csv" << true;
    QTest::newRow("no extension, text filter") << true << kTextFilter << "wyniki"
                                               << "wyniki.txt" << false;
    // DontConfirmOverwrite: the recorder asks Tak/Nie later; a question
    // here would keep the chooser open.
    QTest::newRow("existing file, its ending decides") << false << kTextFilter << "stary.CSV"
                                                       << "stary.CSV" << true;
    QTest::newRow("cancelled") << true << kTextFilter << ""
                               << "" << true;
}

void TestCLogFileDlg::chooserNamesTheFileAndPicksTheLayout() {
    QFETCH(bool, csvBefore);
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, expectedName);
    QFETCH(bool, csv);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("stary.CSV")), "x\r\n"));
    CLogFileDlg dialog;
    LogFileSettings s = recordingOn();
    s.csv = csvBefore;
    dialog.setSettings(s);
    whenModal([&](QWidget* d) {
        whenModal(
            [&](QWidget* modal) {
                auto* chooser = qobject_cast<QFileDialog*>(modal);
                QVERIFY(chooser != nullptr);
                QCOMPARE(chooser->windowTitle(), QStringLiteral("Wybierz plik raportu"));
                QCOMPARE(chooser->nameFilters(), (QStringList{kTextFilter, kCsvFilter}));
                QCOMPARE(chooser->selectedNameFilter(), csvBefore ? kCsvFilter : kTextFilter);
                if (typed.isEmpty()) {
                    chooser->reject();
                    return;
                }
                QVERIFY(typeIntoChooser(chooser, dir.path(), filter, typed));
                QMetaObject::invokeMethod(chooser, &QDialog::accept, Qt::QueuedConnection);
            },
            d);
        click(d, "browseButton"); // returns once the chooser is closed
        click(d, "okButton");
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    const QString name =
        typed.isEmpty() ? QString::fromStdString(s.fileName) : dir.filePath(expectedName);
    QCOMPARE(child<QLineEdit>(&dialog, "fileNameEdit")->text(), name);
    QCOMPARE(child<QComboBox>(&dialog, "formatList")->currentIndex(), csv ? 1 : 0);
    QCOMPARE(dialog.settings().csv, csv);
    QCOMPARE(QString::fromStdString(dialog.settings().fileName), name);
}

QTEST_MAIN(TestCLogFileDlg)
#include "tst_CLogFileDlg.moc"
