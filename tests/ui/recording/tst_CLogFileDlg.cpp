#include "../display/Screenshot.h"
#include "recording/CLogFileDlg.h"

#include <QAccessible>
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

const QStringList kColumnBoxes{"temperatureBox", "humidityBox", "pressureBox", "speedBox",
                               "directionBox"};
// The controls that follow "Rejestruj wyniki pomiarów".
const QStringList kDependentControls =
    QStringList{"fileNameEdit", "browseButton", "formatList", "intervalEdit"} + kColumnBoxes;

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

template <typename T> T* child(QWidget* dialog, const QString& name) {
    T* w = dialog->findChild<T*>(name);
    if (w == nullptr) {
        qWarning("no %s", qPrintable(name));
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
    void showsTheSettings_data();
    void showsTheSettings();
    void controlsFollowTheFirstBox();
    void everyControlHasAnAccessibleName();
    void okWithoutColumnsWarnsAndStaysOpen_data();
    void okWithoutColumnsWarnsAndStaysOpen();
    void zeroIntervalBecomesOneSecond_data();
    void zeroIntervalBecomesOneSecond();
    void chooserNamesTheFileAndPicksTheLayout_data();
    void chooserNamesTheFileAndPicksTheLayout();
};

void TestCLogFileDlg::showsTheSettings_data() {
    QTest::addColumn<LogFileSettings>("settings");
    QTest::addColumn<QString>("time");
    QTest::addColumn<int>("format");
    QTest::newRow("defaults, off") << LogFileSettings{} << "00:00:01" << 0;
    QTest::newRow("on, list, 1 h 2 min 5 s") << recordingOn() << "01:02:05" << 1;
    LogFileSettings longest = recordingOn();
    longest.intervalSeconds = 86399;
    longest.csv = false;
    QTest::newRow("longest interval") << longest << "23:59:59" << 0;
}

void TestCLogFileDlg::showsTheSettings() {
    QFETCH(LogFileSettings, settings);
    QFETCH(QString, time);
    QFETCH(int, format);
    CLogFileDlg dialog;
    dialog.setSettings(settings);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Rejestruj do pliku"));
    QCOMPARE(child<QCheckBox>(&dialog, "enabledBox")->isChecked(), settings.enabled);
    QCOMPARE(child<QLineEdit>(&dialog, "fileNameEdit")->text(),
             QString::fromStdString(settings.fileName));
    auto* list = child<QComboBox>(&dialog, "formatList");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->itemText(0), QStringLiteral("Format tekstowy"));
    QCOMPARE(list->itemText(1), QStringLiteral("Lista rozdzielana"));
    QCOMPARE(list->currentIndex(), format);
    QCOMPARE(child<QTimeEdit>(&dialog, "intervalEdit")->text(), time);
    const bool columns[] = {settings.columns.temperature, settings.columns.humidity,
                            settings.columns.pressure, settings.columns.speed,
                            settings.columns.direction};
    for (int i = 0; i < kColumnBoxes.size(); ++i) {
        QCOMPARE(child<QCheckBox>(&dialog, kColumnBoxes[i])->isChecked(), columns[i]);
    }
    for (const QString& name : kDependentControls) {
        QCOMPARE(child<QWidget>(&dialog, name)->isEnabled(), settings.enabled);
    }
    QCOMPARE(dialog.settings(), settings);
}

void TestCLogFileDlg::controlsFollowTheFirstBox() {
    CLogFileDlg dialog;
    dialog.setSettings(LogFileSettings{});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QList<QLabel*> labels = dialog.findChildren<QLabel*>();
    QCOMPARE(labels.size(), 3);
    for (bool on : {true, false, true}) {
        click(&dialog, "enabledBox");
        QCOMPARE(dialog.settings().enabled, on);
        for (const QString& name : kDependentControls) {
            QVERIFY2(child<QWidget>(&dialog, name)->isEnabled() == on, qPrintable(name));
        }
        for (QLabel* label : labels) {
            QCOMPARE(label->isEnabled(), on);
        }
    }
    // The group's frame stays; only its boxes follow.
    QVERIFY(child<QGroupBox>(&dialog, "measurementGroup")->isEnabled());
    dialog.setSettings(recordingOn());
    saveScreenshot(&dialog, QStringLiteral("log_file_dialog"));
    dialog.setSettings(LogFileSettings{});
    saveScreenshot(&dialog, QStringLiteral("log_file_dialog_off"));
}

void TestCLogFileDlg::everyControlHasAnAccessibleName() {
    CLogFileDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QStringList expected{
        "Rejestruj wyniki pomiarów", "W pliku",         "Wybierz plik", "Format zapisu",
        "Interwał rejestracji",      "Temperatura",     "Wilgotność",   "Ciśnienie",
        "Prędkość wiatru",           "Kierunek wiatru", "OK",           "Anuluj"};
    const QStringList names =
        QStringList{"enabledBox", "fileNameEdit", "browseButton", "formatList", "intervalEdit"} +
        kColumnBoxes + QStringList{"okButton", "cancelButton"};
    for (int i = 0; i < names.size(); ++i) {
        QAccessibleInterface* a =
            QAccessible::queryAccessibleInterface(child<QWidget>(&dialog, names[i]));
        QVERIFY(a != nullptr);
        // On Linux a combo box is named by its entry and labelled by its
        // buddy through a relation.
        QString label = a->text(QAccessible::Name);
        for (const auto& [other, relation] : a->relations(QAccessible::Label)) {
            if (label != expected[i]) {
                label = other->text(QAccessible::Name);
            }
        }
        QCOMPARE(label, expected[i]);
    }
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
    QString warning;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool stillOpen = false;
    whenModal([&](QWidget* d) {
        for (const QString& name : kColumnBoxes) {
            child<QCheckBox>(d, name)->setChecked(false);
        }
        whenModal(
            [&](QWidget* box) {
                auto* message = qobject_cast<QMessageBox*>(box);
                QVERIFY(message != nullptr);
                warning = message->text();
                icon = message->icon();
                click(message, "okButton");
                // Back in the dialog: it is still open; one box ticked lets it close.
                QTimer::singleShot(0, d, [&, d] {
                    stillOpen = d->isVisible();
                    // With recording off the boxes are disabled: a user
                    // switches it on to tick one, and off again.
                    if (!enabled) {
                        click(d, "enabledBox");
                    }
                    click(d, "speedBox");
                    if (!enabled) {
                        click(d, "enabledBox");
                    }
                    click(d, "okButton");
                });
            },
            d);
        click(d, "okButton");
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(warning, QStringLiteral("Wybierz przynajmniej jedną wielkość do zapisu"));
    QCOMPARE(icon, QMessageBox::Warning);
    QVERIFY(stillOpen);
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
    QString shownAfterFocus;
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
            shownAfterFocus = picker->text();
        }
        click(d, "okButton");
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    if (leaveByFocus) {
        QCOMPARE(shownAfterFocus, QStringLiteral("00:00:01"));
    }
    QCOMPARE(child<QTimeEdit>(&dialog, "intervalEdit")->text(), QStringLiteral("00:00:01"));
    QCOMPARE(dialog.settings().intervalSeconds, 1);
}

// The chooser's naming rules are tested with the chooser (tst_ReportFile) and
// in the core; here the dialog hands it its layout and takes back both.
void TestCLogFileDlg::chooserNamesTheFileAndPicksTheLayout_data() {
    QTest::addColumn<bool>("csvBefore");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expectedName");
    QTest::addColumn<int>("format");
    QTest::newRow("no extension, list filter") << false << "Lista CSV (*.csv)"
                                               << "wyniki"
                                               << "wyniki.csv" << 1;
    QTest::newRow("no extension, text filter") << true << "Plik tekstowy (*.txt)"
                                               << "wyniki"
                                               << "wyniki.txt" << 0;
}

void TestCLogFileDlg::chooserNamesTheFileAndPicksTheLayout() {
    QFETCH(bool, csvBefore);
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, expectedName);
    QFETCH(int, format);
    QTemporaryDir dir;
    CLogFileDlg dialog;
    LogFileSettings s = recordingOn();
    s.csv = csvBefore;
    dialog.setSettings(s);
    QString title;
    QString startFilter;
    whenModal([&](QWidget* d) {
        whenModal(
            [&](QWidget* modal) {
                auto* chooser = qobject_cast<QFileDialog*>(modal);
                QVERIFY(chooser != nullptr);
                title = chooser->windowTitle();
                startFilter = chooser->selectedNameFilter();
                chooser->setDirectory(dir.path());
                chooser->selectNameFilter(filter);
                chooser->selectFile(dir.filePath(typed));
                static_cast<QDialog*>(chooser)->accept();
                QTimer::singleShot(0, d, [d] { click(d, "okButton"); });
            },
            d);
        click(d, "browseButton");
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QCOMPARE(title, QStringLiteral("Wybierz plik raportu"));
    QCOMPARE(startFilter, csvBefore ? QStringLiteral("Lista CSV (*.csv)")
                                    : QStringLiteral("Plik tekstowy (*.txt)"));
    QCOMPARE(child<QLineEdit>(&dialog, "fileNameEdit")->text(), dir.filePath(expectedName));
    QCOMPARE(child<QComboBox>(&dialog, "formatList")->currentIndex(), format);
    QCOMPARE(dialog.settings().csv, format == 1);
    QCOMPARE(QString::fromStdString(dialog.settings().fileName), dir.filePath(expectedName));
}

QTEST_MAIN(TestCLogFileDlg)
#include "tst_CLogFileDlg.moc"
