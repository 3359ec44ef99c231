#include "SerialTestSupport.h"
#include "app/CPortDlg.h"
#include "link/CComPort.h"

#include <QPointer>
#include <QSerialPort>
#include <QTest>
#include <memory>
#include <poll.h>

namespace {

constexpr int com = 7;

QByteArray allByteValues() {
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

void sendText(CComPort& port, const QByteArray& text) {
    port.send(reinterpret_cast<const std::uint8_t*>(text.constData()), int(text.size()));
}

} // namespace

// The driver against a scripted far end on a pseudo-terminal linked as COM7. The panel
// simulator covers the purge before a request, request replacement and replugging.
class TestCComPort : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void opensOnlyExistingPorts_data();
    void opensOnlyExistingPorts();
    void deliversEveryByteInOrder();
    void nestedEventLoopDoesNotReenter();
    void purgeDropsBytesAfterTheReply();
    void requestSizeLimit();
    void closeStopsDeliveryAtOnce_data();
    void closeStopsDeliveryAtOnce();
    void secondOpenOfHeldPortFails();
    void ownerDropsTheLostPort();

private:
    std::unique_ptr<PortFolder> folder;
    std::unique_ptr<PtyPeer> peer;
};

void TestCComPort::init() {
    folder = std::make_unique<PortFolder>();
    peer = std::make_unique<PtyPeer>();
    QVERIFY(folder->isValid() && peer->isValid());
    QVERIFY(folder->link(com, peer->slavePath()));
}

void TestCComPort::cleanup() {
    peer.reset();
    folder.reset();
}

void TestCComPort::opensOnlyExistingPorts_data() {
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("opens");
    QTest::newRow("linked pty") << com << true;
    QTest::newRow("port 0") << 0 << false;
    QTest::newRow("negative") << -1 << false;
    QTest::newRow("broken link") << 8 << false;
    QTest::newRow("no device at all") << 500 << false;
}

void TestCComPort::opensOnlyExistingPorts() {
    QFETCH(int, port);
    QFETCH(bool, opens);
    folder->linkBroken(8);
    CComPort driver;
    QCOMPARE(driver.open(port), opens);
    QCOMPARE(driver.isOpen(), opens);
    QCOMPARE(driver.portNumber(), port);
}

void TestCComPort::deliversEveryByteInOrder() {
    CComPort driver;
    QVERIFY(driver.open(com));
    QByteArray got;
    connect(&driver, &CComPort::bytesReceived, this, [&](const QByteArray& bytes) {
        QVERIFY(!bytes.isEmpty());
        got.append(bytes);
    });
    const QByteArray sent = allByteValues() + allByteValues();
    peer->write(sent);
    QTRY_COMPARE(got.size(), sent.size());
    QCOMPARE(got, sent);
}

void TestCComPort::nestedEventLoopDoesNotReenter() {
    CComPort driver;
    QVERIFY(driver.open(com));
    auto* serial = driver.findChild<QSerialPort*>();
    QVERIFY(serial != nullptr);
    QByteArray got;
    int depth = 0;
    int deepest = 0;
    connect(&driver, &CComPort::bytesReceived, this, [&](const QByteArray& bytes) {
        ++depth;
        deepest = std::max(deepest, depth);
        got.append(bytes);
        if (bytes.contains('a')) {
            // A modal window opened by the owner: more bytes arrive while it runs (QTRY
            // spins a nested event loop until the port has read them).
            peer->write("cd");
            QTRY_VERIFY(serial->bytesAvailable() >= 2);
        }
        --depth;
    });
    peer->write("ab");
    QTRY_COMPARE(got, QByteArray("abcd"));
    QCOMPARE(deepest, 1);
}

void TestCComPort::purgeDropsBytesAfterTheReply() {
    CComPort driver;
    QVERIFY(driver.open(com));
    QByteArray got;
    // The owner answers the end of a line with the next request and drops the rest of the
    // bytes it was handed, as the poll engine does.
    connect(&driver, &CComPort::bytesReceived, this, [&](const QByteArray& bytes) {
        for (const char byte : bytes) {
            got.append(byte);
            if (byte == '\n') {
                sendText(driver, "K\r\n");
                return;
            }
        }
    });
    peer->write("REPLY\r\nnoise-noise-noise");
    QTRY_COMPARE(peer->received(), QByteArray("K\r\n"));
    QCOMPARE(got, QByteArray("REPLY\r\n"));
    peer->write("NEXT\r\n");
    QTRY_COMPARE(got, QByteArray("REPLY\r\nNEXT\r\n"));
}

void TestCComPort::requestSizeLimit() {
    CComPort driver;
    QVERIFY(driver.open(com));
    auto* serial = driver.findChild<QSerialPort*>();
    QVERIFY(serial != nullptr);
    const QByteArray tooLong(CComPort::maxRequestSize + 1, 'x');
    sendText(driver, tooLong);
    QCOMPARE(serial->bytesToWrite(), 0);
    const QByteArray longest = allByteValues();
    QCOMPARE(longest.size(), CComPort::maxRequestSize);
    sendText(driver, longest);
    QTRY_COMPARE(peer->received(), longest);
}

void TestCComPort::closeStopsDeliveryAtOnce_data() {
    QTest::addColumn<bool>("destroy");
    QTest::newRow("closed in the slot") << false;
    QTest::newRow("destroyed in the slot") << true;
}

void TestCComPort::closeStopsDeliveryAtOnce() {
    QFETCH(bool, destroy);
    auto* driver = new CComPort;
    QVERIFY(driver->open(com));
    QByteArray got;
    connect(driver, &CComPort::bytesReceived, this, [&](const QByteArray& bytes) {
        for (const char byte : bytes) {
            got.append(byte);
            if (byte != 'C')
                continue;
            if (destroy) {
                delete driver;
                driver = nullptr;
            } else {
                driver->close();
            }
            return;
        }
    });
    peer->write("ABCDEFGH");
    QTRY_COMPARE(got, QByteArray("ABC"));
    if (driver != nullptr) {
        QVERIFY(!driver->isOpen());
        sendText(*driver, "ignored"); // no device: nothing happens
    }
    // The port is free again; what the next driver on it reads never reaches the old one.
    CComPort next;
    QVERIFY(next.open(com));
    QByteArray nextBytes;
    connect(&next, &CComPort::bytesReceived, this,
            [&](const QByteArray& bytes) { nextBytes.append(bytes); });
    peer->write("IJ");
    QTRY_COMPARE(nextBytes, QByteArray("IJ"));
    QCOMPARE(got, QByteArray("ABC"));
    delete driver;
}

void TestCComPort::secondOpenOfHeldPortFails() {
    CComPort first;
    QVERIFY(first.open(com));
    // The lock file keeps the port out of another open and out of the port list.
    CComPort second;
    QVERIFY(!second.open(com));
    QVERIFY(!usablePorts(0).contains(com));
    first.close();
    QVERIFY(second.open(com));
}

void TestCComPort::ownerDropsTheLostPort() {
    // The owner may give up on a vanished device right in its slot.
    auto* driver = new CComPort;
    QVERIFY(driver->open(com));
    QPointer<CComPort> watch(driver);
    connect(driver, &CComPort::deviceLost, this, [driver] { delete driver; });
    peer->hangUp();
    QTRY_VERIFY(watch.isNull());
}

QTEST_MAIN(TestCComPort)
#include "tst_CComPort.moc"
