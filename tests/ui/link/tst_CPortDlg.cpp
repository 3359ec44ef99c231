#include "SerialTestSupport.h"
#include "link/CComPort.h"
#include "app/CPortDlg.h"
#include "app/PortOwner.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <map>
#include <memory>

namespace {

const QString noPortText = QStringLiteral("Aktualnie żaden port nie jest używany");
const QString noChoiceText = QStringLiteral("Nie wybrano żadnego portu.");

QString inUseText(int n) {
    return QStringLiteral("Aktualnie używany port: COM%1").arg(n);
}

QComboBox* listOf(QWidget* dialog) {
    return dialog->findChild<QComboBox*>(QStringLiteral("portList"));
}

QString labelOf(QWidget* dialog) {
    auto* label = dialog->findChild<QLabel*>(QStringLiteral("portInUseLabel"));
    return label != nullptr ? label->text() : QString();
}

QStringList entriesOf(QWidget* dialog) {
    QStringList entries;
    QComboBox* list = listOf(dialog);
    for (int i = 0; list != nullptr && i < list->count(); ++i)
        entries << list->itemText(i);
    return entries;
}

void select(QWidget* dialog, const QString& entry) {
    QComboBox* list = listOf(dialog);
    list->setCurrentIndex(list->findText(entry));
}

// The main window as far as the port selection sees it.
class FakeOwner : public PortOwner {
public:
    QWidget* dialogParent() override { return &window; }
    CComPort* port() const override { return current.get(); }
    void setPort(std::unique_ptr<CComPort> port) override {
        ++replacements;
        current = std::move(port);
    }
    int portNumberSetting() const override { return setting; }
    void setPortNumberSetting(int n) override { setting = n; }

    QWidget window;
    std::unique_ptr<CComPort> current;
    int setting = 0;
    int replacements = 0;
};

} // namespace

// "Port szeregowy" and the commands around it, on pseudo-terminals linked as COMn in a
// private port folder; the machine's own ports are hidden behind broken links.
class TestCPortDlg : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listsOpenablePortsAndTheOneInUse_data();
    void listsOpenablePortsAndTheOneInUse();
    void okNeedsAChoice_data();
    void okNeedsAChoice();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void entryNumbers_data();
    void entryNumbers();

    void startupOpensStoredPort();
    void startupWithoutPortAsks();
    void startupFailureKeepsStoredNumber();
    void choosingThePortInUseChangesNothing();
    void choosingAnotherPortSwitches();
    void failedChoiceAsksAgainAndCancelLeavesNoPort();

private:
    // Links a live pseudo-terminal as each of these ports.
    void plug(const QList<int>& ports);

    std::unique_ptr<PortFolder> folder;
    std::map<int, std::unique_ptr<PtyPeer>> peers;
};

void TestCPortDlg::init() {
    folder = std::make_unique<PortFolder>();
    QVERIFY(folder->isValid());
}

void TestCPortDlg::cleanup() {
    peers.clear();
    folder.reset();
}

void TestCPortDlg::plug(const QList<int>& ports) {
    for (int n : ports) {
        auto peer = std::make_unique<PtyPeer>();
        QVERIFY(peer->isValid());
        QVERIFY(folder->link(n, peer->slavePath()));
        peers[n] = std::move(peer);
    }
    folder->hideMachinePorts();
}

void TestCPortDlg::listsOpenablePortsAndTheOneInUse_data() {
    QTest::addColumn<QList<int>>("live");
    QTest::addColumn<int>("inUse");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("label");
    QTest::newRow("1 and 3 free") << QList<int>{1, 3} << 0 << QStringList{"COM1", "COM3"}
                                  << QString() << noPortText;
    // COM3's device is gone, so it can only be listed unprobed, as the port in use.
    QTest::newRow("3 in use, 1 and 4 free")
        << QList<int>{1, 4} << 3 << QStringList{"COM1", "COM3", "COM4"} << "COM3" << inUseText(3);
    QTest::newRow("higher numbers")
        << QList<int>{1024, 10, 99} << 0 << QStringList{"COM10", "COM99", "COM1024"} << QString()
        << noPortText;
    QTest::newRow("in use beyond the range")
        << QList<int>{2} << 1500 << QStringList{"COM2"} << QString() << inUseText(1500);
    QTest::newRow("nothing free") << QList<int>{} << 0 << QStringList{} << QString() << noPortText;
}

void TestCPortDlg::listsOpenablePortsAndTheOneInUse() {
    QFETCH(QList<int>, live);
    QFETCH(int, inUse);
    QFETCH(QStringList, entries);
    QFETCH(QString, selected);
    QFETCH(QString, label);
    plug(live);

    CPortDlg dialog;
    dialog.setChosenPort(inUse);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Port szeregowy"));
    QVERIFY(!listOf(&dialog)->isEditable());
    QCOMPARE(entriesOf(&dialog), entries);
    QCOMPARE(listOf(&dialog)->currentText(), selected);
    QCOMPARE(labelOf(&dialog), label);
    if (inUse == 3)
        saveScreenshot(&dialog, QStringLiteral("port_dialog"));
}

void TestCPortDlg::okNeedsAChoice_data() {
    QTest::addColumn<QList<int>>("live");
    QTest::addColumn<QString>("finally");
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("chosen");
    QTest::newRow("empty list, then cancel") << QList<int>{} << QString() << 0 << 0;
    QTest::newRow("nothing selected, then COM3")
        << QList<int>{1, 3} << "COM3" << int(QDialog::Accepted) << 3;
}

void TestCPortDlg::okNeedsAChoice() {
    QFETCH(QList<int>, live);
    QFETCH(QString, finally);
    QFETCH(int, result);
    QFETCH(int, chosen);
    plug(live);

    CPortDlg dialog;
    ModalScript script;
    bool stayedOpen = false;
    script.add([](QWidget* w) { clickLater(w, "okButton"); });
    script.add([&](QWidget* box) {
        if (finally.isEmpty())
            saveScreenshot(box, QStringLiteral("port_dialog_no_choice"));
        clickLater(box, "okButton");
    });
    script.add([&](QWidget* w) {
        stayedOpen = (w == &dialog);
        if (finally.isEmpty()) {
            clickLater(w, "cancelButton");
        } else {
            select(w, finally);
            clickLater(w, "okButton");
        }
    });
    QCOMPARE(dialog.exec(), result);
    QCOMPARE(script.pending(), 0);
    QVERIFY(stayedOpen);
    QCOMPARE(script.seen.value(1), noChoiceText);
    QCOMPARE(dialog.chosenPort(), chosen);
}

void TestCPortDlg::cancelChangesNothing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Anuluj") << "button";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close";
}

void TestCPortDlg::cancelChangesNothing() {
    QFETCH(QString, how);
    plug({1, 3});
    CPortDlg dialog;
    dialog.setChosenPort(1);
    ModalScript script;
    script.add([&](QWidget* w) {
        select(w, "COM3");
        if (how == "button")
            clickLater(w, "cancelButton");
        else if (how == "escape")
            QTimer::singleShot(0, w, [w] { QTest::keyClick(w, Qt::Key_Escape); });
        else
            QMetaObject::invokeMethod(w, "close", Qt::QueuedConnection);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(dialog.chosenPort(), 1);
}

void TestCPortDlg::entryNumbers_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("number");
    QTest::newRow("COM1") << "COM1" << 1;
    QTest::newRow("COM1024") << "COM1024" << 1024;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("three characters") << "COM" << 0;
    QTest::newRow("no digits") << "COMx" << 0;
    QTest::newRow("stops at a non-digit") << "COM12a7" << 12;
    QTest::newRow("zero") << "COM0" << 0;
    QTest::newRow("absurdly long") << "COM99999999999999999999" << 0;
}

void TestCPortDlg::entryNumbers() {
    QFETCH(QString, entry);
    QFETCH(int, number);
    QCOMPARE(portNumberFromEntry(entry), number);
}

void TestCPortDlg::startupOpensStoredPort() {
    plug({1, 3});
    FakeOwner owner;
    owner.setting = 3;
    ModalScript script;
    openPortAtStartup(owner);
    QVERIFY(owner.current != nullptr);
    QVERIFY(owner.current->isOpen());
    QCOMPARE(owner.current->portNumber(), 3);
    QCOMPARE(owner.setting, 3);
    QVERIFY(script.seen.isEmpty());
}

void TestCPortDlg::startupWithoutPortAsks() {
    plug({1, 3});
    FakeOwner owner;
    ModalScript script;
    QString label;
    script.add([&](QWidget* w) {
        label = labelOf(w);
        select(w, "COM3");
        clickLater(w, "okButton");
    });
    openPortAtStartup(owner);
    QCOMPARE(script.seen, QStringList{"Port szeregowy"});
    QCOMPARE(label, noPortText);
    QVERIFY(owner.current != nullptr && owner.current->isOpen());
    QCOMPARE(owner.current->portNumber(), 3);
    QCOMPARE(owner.setting, 3);
}

void TestCPortDlg::startupFailureKeepsStoredNumber() {
    plug({1});
    folder->linkBroken(5);
    FakeOwner owner;
    owner.setting = 5;
    ModalScript script;
    script.add([](QWidget* box) { clickLater(box, "okButton"); });
    script.add([](QWidget* w) { clickLater(w, "cancelButton"); });
    openPortAtStartup(owner);
    QCOMPARE(script.seen, (QStringList{"Nie można otworzyć portu COM5", "Port szeregowy"}));
    QVERIFY(owner.current == nullptr);
    QCOMPARE(owner.setting, 5); // tried again at the next start
}

void TestCPortDlg::choosingThePortInUseChangesNothing() {
    plug({1, 3});
    FakeOwner owner;
    owner.setting = 1;
    openPortAtStartup(owner);
    CComPort* before = owner.current.get();
    QVERIFY(before != nullptr);
    const int replacements = owner.replacements;

    ModalScript script;
    QString selected;
    script.add([&](QWidget* w) {
        selected = listOf(w)->currentText();
        clickLater(w, "okButton");
    });
    choosePort(owner);
    QCOMPARE(selected, QStringLiteral("COM1"));
    QCOMPARE(owner.current.get(), before);
    QCOMPARE(owner.replacements, replacements);
    QVERIFY(before->isOpen());
    QCOMPARE(owner.setting, 1);
}

void TestCPortDlg::choosingAnotherPortSwitches() {
    plug({1, 3});
    FakeOwner owner;
    owner.setting = 1;
    openPortAtStartup(owner);
    ModalScript script;
    script.add([&](QWidget* w) {
        select(w, "COM3");
        clickLater(w, "okButton");
    });
    choosePort(owner);
    QVERIFY(owner.current != nullptr && owner.current->isOpen());
    QCOMPARE(owner.current->portNumber(), 3);
    QCOMPARE(owner.setting, 3);
    // The old port was let go.
    CComPort old;
    QVERIFY(old.open(1));
}

void TestCPortDlg::failedChoiceAsksAgainAndCancelLeavesNoPort() {
    plug({1, 4});
    FakeOwner owner;
    owner.setting = 1;
    openPortAtStartup(owner);
    QVERIFY(owner.current != nullptr);

    ModalScript script;
    QString secondLabel;
    QStringList secondEntries;
    script.add([&](QWidget* w) {
        select(w, "COM4");
        // The adapter is pulled between listing and OK.
        peers.erase(4);
        folder->linkBroken(4);
        clickLater(w, "okButton");
    });
    script.add([](QWidget* box) { clickLater(box, "okButton"); });
    script.add([&](QWidget* w) {
        secondLabel = labelOf(w);
        secondEntries = entriesOf(w);
        clickLater(w, "cancelButton");
    });
    choosePort(owner);
    QCOMPARE(script.seen,
             (QStringList{"Port szeregowy", "Nie można otworzyć portu COM4", "Port szeregowy"}));
    QCOMPARE(secondLabel, noPortText);
    QCOMPARE(secondEntries, QStringList{"COM1"}); // the old port, released and free again
    QVERIFY(owner.current == nullptr);
    QCOMPARE(owner.setting, 0);
}

QTEST_MAIN(TestCPortDlg)
#include "tst_CPortDlg.moc"
