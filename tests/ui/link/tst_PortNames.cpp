#include "SerialTestSupport.h"
#include "link/PortNames.h"

#include <QFile>
#include <QTest>

// How COMn turns into a device: the fixed map, the links of the port folder, and the
// folder itself.
class TestPortNames : public QObject {
    Q_OBJECT

private slots:
    void fixedMap_data();
    void fixedMap();
    void links_data();
    void links();
    void folder_data();
    void folder();
};

void TestPortNames::fixedMap_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::newRow("none below 1") << 0 << QString();
    QTest::newRow("negative") << -3 << QString();
    QTest::newRow("first ttyS") << 1 << "/dev/ttyS0";
    QTest::newRow("last ttyS") << 32 << "/dev/ttyS31";
    QTest::newRow("first ttyUSB") << 33 << "/dev/ttyUSB0";
    QTest::newRow("last ttyUSB") << 64 << "/dev/ttyUSB31";
    QTest::newRow("first ttyACM") << 65 << "/dev/ttyACM0";
    QTest::newRow("last ttyACM") << 96 << "/dev/ttyACM31";
    QTest::newRow("none above 96") << 97 << QString();
    QTest::newRow("none at 1024") << 1024 << QString();
}

void TestPortNames::fixedMap() {
    QFETCH(int, port);
    QFETCH(QString, device);
    QCOMPARE(QString::fromStdString(PortNames::defaultDevice(port)), device);

    // With no link in the port folder the fixed map is what gets opened.
    PortFolder folder;
    QCOMPARE(QString::fromStdString(PortNames::devicePath(port)), device);
}

void TestPortNames::links_data() {
    QTest::addColumn<int>("port");
    // "pty": a link to a live pseudo-terminal; "chain": a link to a link to one;
    // "broken": a link to nothing; "file": a link to a plain file; "none": no link.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("exists");
    QTest::newRow("low number, live") << 5 << "pty" << true;
    QTest::newRow("beyond the fixed map, live") << 1000 << "pty" << true;
    QTest::newRow("link to a link") << 12 << "chain" << true;
    QTest::newRow("broken link hides ttyS") << 1 << "broken" << false;
    QTest::newRow("plain file is no port") << 7 << "file" << false;
    QTest::newRow("no link, no device") << 200 << "none" << false;
}

void TestPortNames::links() {
    QFETCH(int, port);
    QFETCH(QString, kind);
    QFETCH(bool, exists);

    PortFolder folder;
    PtyPeer peer;
    QVERIFY(folder.isValid() && peer.isValid());
    QString expected;
    if (kind == "pty") {
        QVERIFY(folder.link(port, peer.slavePath()));
        expected = peer.slavePath(); // lock files must name the device, not the link
    } else if (kind == "chain") {
        const QString middle = folder.configPath() + "/middle";
        QVERIFY(QFile::link(peer.slavePath(), middle));
        QVERIFY(folder.link(port, middle));
        expected = peer.slavePath();
    } else if (kind == "broken") {
        QVERIFY(folder.linkBroken(port));
        expected = folder.linkPath(port);
    } else if (kind == "file") {
        const QString plain = folder.configPath() + "/plain.txt";
        QFile file(plain);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(folder.link(port, plain));
        expected = plain;
    }
    QCOMPARE(QString::fromStdString(PortNames::devicePath(port)), expected);
    QCOMPARE(PortNames::deviceExists(port), exists);
}

void TestPortNames::folder_data() {
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QString>("expected");
    QTest::newRow("XDG_CONFIG_HOME")
        << QByteArray("/x/cfg") << QByteArray("/home/ala") << "/x/cfg/Velmor/ports";
    QTest::newRow("unset: ~/.config")
        << QByteArray() << QByteArray("/home/ala") << "/home/ala/.config/Velmor/ports";
    QTest::newRow("relative is ignored")
        << QByteArray("cfg") << QByteArray("/home/ala") << "/home/ala/.config/Velmor/ports";
    QTest::newRow("nowhere") << QByteArray() << QByteArray() << QString();
}

void TestPortNames::folder() {
    QFETCH(QByteArray, config);
    QFETCH(QByteArray, home);
    QFETCH(QString, expected);
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldHome = qgetenv("HOME");
    auto set = [](const char* name, const QByteArray& value) {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    set("XDG_CONFIG_HOME", config);
    set("HOME", home);
    const QString folder = QString::fromStdString(PortNames::portFolder().string());
    set("XDG_CONFIG_HOME", oldConfig);
    set("HOME", oldHome);
    QCOMPARE(folder, expected);
}

QTEST_GUILESS_MAIN(TestPortNames)
#include "tst_PortNames.moc"
