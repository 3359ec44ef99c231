#include "SerialTestSupport.h"
#include "app/CPortDlg.h"
#include "link/CComPort.h"

#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <poll.h>
#include <sys/resource.h>
#include <time.h>

namespace {

constexpr int com = 9;

// tq820-sim on a pseudo-terminal linked as COM9 in the private port folder.
class Simulator {
public:
    explicit Simulator(const QString& configPath) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configPath);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TQ820_SIM_PATH),
                      {QStringLiteral("--com"), QString::number(com), QStringLiteral("--fast")});
        ready = process.waitForStarted(5000) &&
                readLine().startsWith(QStringLiteral("COM%1 -> ").arg(com));
    }
    ~Simulator() {
        process.closeWriteChannel(); // the simulator ends at the end of its input
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(1000);
    }

    bool isReady() const { return ready; }

    // One control line and its one-line answer.
    QString control(const QString& line) {
        process.write((line + QLatin1Char('\n')).toUtf8());
        return readLine();
    }

private:
    // Blocks on the simulator alone: no events of the program are handled meanwhile.
    QString readLine() {
        while (!process.canReadLine()) {
            if (!process.waitForReadyRead(5000))
                return {};
        }
        return QString::fromUtf8(process.readLine()).trimmed();
    }

    QProcess process;
    bool ready = false;
};

void sendText(CComPort& port, const QByteArray& text) {
    port.send(reinterpret_cast<const std::uint8_t*>(text.constData()), int(text.size()));
}

// Collects the bytes the driver hands over.
class Received : public QObject {
public:
    explicit Received(CComPort& port) {
        connect(&port, &CComPort::bytesReceived, this,
                [this](const QByteArray& more) { bytes.append(more); });
    }
    QByteArray bytes;
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double wallSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

} // namespace

// The driver against the panel simulator.
class TestSimLink : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void statusReplyArrivesWhole();
    void noiseBeforeARequestIsPurged();
    void requestGoesOutAtOnce();
    void replugResumesByItself();

private:
    std::unique_ptr<PortFolder> folder;
    std::unique_ptr<Simulator> sim;
};

void TestSimLink::init() {
    folder = std::make_unique<PortFolder>();
    QVERIFY(folder->isValid());
    sim = std::make_unique<Simulator>(folder->configPath());
    QVERIFY2(sim->isReady(), "tq820-sim did not start");
}

void TestSimLink::cleanup() {
    sim.reset();
    folder.reset();
}

void TestSimLink::statusReplyArrivesWhole() {
    // Listing the ports opens and closes the simulator's terminal once; it must not mind.
    QVERIFY(usablePorts(0).contains(com));
    CComPort port;
    QVERIFY(port.open(com));
    Received got(port);
    sendText(port, "K\r\n");
    QTRY_VERIFY(got.bytes.endsWith("\r\n"));
    QCOMPARE(got.bytes.size(), 12);
    QVERIFY(got.bytes.startsWith("#K"));
}

void TestSimLink::noiseBeforeARequestIsPurged() {
    CComPort port;
    QVERIFY(port.open(com));
    Received got(port);
    // The noise reaches the port while the program handles nothing.
    QVERIFY(sim->control("noise 20").startsWith("ok"));
    auto* serial = port.findChild<QSerialPort*>();
    QVERIFY(serial != nullptr);
    pollfd waiting{static_cast<int>(serial->handle()), POLLIN, 0};
    QCOMPARE(poll(&waiting, 1, 5000), 1);
    sendText(port, "K\r\n");
    QTRY_VERIFY(got.bytes.endsWith("\r\n"));
    QVERIFY2(got.bytes.startsWith("#K"), got.bytes.toHex(' ').constData());
    QCOMPARE(got.bytes.size(), 12);
}

void TestSimLink::requestGoesOutAtOnce() {
    CComPort port;
    QVERIFY(port.open(com));
    auto* serial = port.findChild<QSerialPort*>();
    QVERIFY(serial != nullptr);
    Received got(port);
    // Written before the event loop runs again: the panel is not kept waiting.
    sendText(port, "F\r\n");
    QCOMPARE(serial->bytesToWrite(), 0);
    QTRY_VERIFY(got.bytes.endsWith("\r\n"));
    QVERIFY2(got.bytes.startsWith("#F"), got.bytes.constData());
    QCOMPARE(got.bytes.size(), 6);
}

void TestSimLink::replugResumesByItself() {
    CComPort port;
    QVERIFY(port.open(com));
    QSignalSpy lost(&port, &CComPort::deviceLost);
    QSignalSpy restored(&port, &CComPort::deviceRestored);
    Received got(port);

    QVERIFY(sim->control("unplug").startsWith("ok"));
    QVERIFY(lost.wait(5000));
    QVERIFY(!port.isOpen());
    sendText(port, "K\r\n"); // the engine goes on asking

    const double cpuBefore = cpuSeconds();
    const double wallBefore = wallSeconds();
    QVERIFY(!restored.wait(1000)); // the link points nowhere: nothing to reopen
    const double cpuUsed = cpuSeconds() - cpuBefore;
    const double wallUsed = wallSeconds() - wallBefore;
    QVERIFY2(cpuUsed < 0.2 * wallUsed,
             qPrintable(QString("%1 s CPU in %2 s").arg(cpuUsed).arg(wallUsed)));

    QVERIFY(sim->control("plug").startsWith(QStringLiteral("COM%1 -> ").arg(com)));
    QVERIFY(restored.wait(CComPort::reconnectIntervalMs * 2 + 1000));
    QVERIFY(port.isOpen());
    sendText(port, "K\r\n");
    QTRY_VERIFY(got.bytes.endsWith("\r\n"));
    QVERIFY(got.bytes.startsWith("#K"));
    QCOMPARE(lost.count(), 1);
    QCOMPARE(restored.count(), 1);
}

QTEST_MAIN(TestSimLink)
#include "tst_SimLink.moc"
