#include "link/CComPort.h"

#include "link/PortNames.h"

#include <QPointer>

namespace {

QSerialPort::Parity parityFromLetter(char letter) {
    switch (letter) {
    case 'E':
    case 'e':
        return QSerialPort::EvenParity;
    case 'O':
    case 'o':
        return QSerialPort::OddParity;
    case 'M':
    case 'm':
        return QSerialPort::MarkParity;
    case 'S':
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::DataBits dataBitsFromCount(int count) {
    switch (count) {
    case 5:
        return QSerialPort::Data5;
    case 6:
        return QSerialPort::Data6;
    case 7:
        return QSerialPort::Data7;
    default:
        return QSerialPort::Data8;
    }
}

PortDriverError driverError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return PortDriverError::NotFound;
    case QSerialPort::PermissionError: // no rights, a lock file, or an exclusive open
        return PortDriverError::Permission;
    default:
        return PortDriverError::Other;
    }
}

bool isDeviceLoss(QSerialPort::SerialPortError error) {
    // A pulled adapter or a closed pty shows up as a read error (repeated in a busy loop
    // until the port is closed); write and resource errors mean the same.
    return error == QSerialPort::ReadError || error == QSerialPort::WriteError ||
           error == QSerialPort::ResourceError;
}

} // namespace

CComPort::CComPort(QObject* parent) : QObject(parent), serial(new QSerialPort(this)) {
    reconnectTimer.setInterval(reconnectIntervalMs);
    connect(&reconnectTimer, &QTimer::timeout, this, &CComPort::onReconnectTick);
    connect(serial, &QSerialPort::readyRead, this, &CComPort::onReadyRead);
    connect(serial, &QSerialPort::errorOccurred, this, &CComPort::onError);
}

CComPort::~CComPort() {
    // The owner may be half gone already: nothing may reach it from here on.
    blockSignals(true);
    close();
    serial->disconnect(this);
}

bool CComPort::open(int portNumber, int baudRate, char parity, int dataBits, int stopBits) {
    close();
    number = portNumber;
    baud = baudRate;
    parityLetter = parity;
    dataBitCount = dataBits;
    stopBitCount = stopBits;
    active = openDevice();
    return active;
}

bool CComPort::openDevice() {
    device = PortNames::devicePath(number);
    if (device.empty()) {
        openFailure = PortOpenFailure::NoDevice;
        openHolder.reset();
        return false;
    }
    serial->setPortName(QString::fromStdString(device));
    serial->setBaudRate(baud);
    serial->setParity(parityFromLetter(parityLetter));
    serial->setDataBits(dataBitsFromCount(dataBitCount));
    serial->setStopBits(stopBitCount == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    serial->setFlowControl(QSerialPort::NoFlowControl);
    if (!serial->open(QIODevice::ReadWrite)) {
        openFailure =
            classifyPortOpenFailure(device, driverError(serial->error()), portAccessDenied(device));
        openHolder = openFailure == PortOpenFailure::InUse ? portHolder(device) : std::nullopt;
        serial->clearError();
        return false;
    }
    openFailure = PortOpenFailure::None;
    openHolder.reset();
    // A pty refuses the modem lines; the port works all the same.
    serial->setDataTerminalReady(true);
    serial->setRequestToSend(true);
    serial->clear(QSerialPort::AllDirections);
    serial->clearError();
    return true;
}

void CComPort::closeDevice() {
    if (serial->isOpen())
        serial->close();
    serial->clearError();
}

void CComPort::close() {
    active = false;
    reconnectTimer.stop();
    if (serial->isOpen()) {
        serial->setDataTerminalReady(false);
        serial->setRequestToSend(false);
    }
    closeDevice();
}

bool CComPort::isOpen() const {
    return serial->isOpen();
}

void CComPort::send(const std::uint8_t* data, int count) {
    // A longer request is no request of the panel's; refusing it beats sending a torn one.
    if (!serial->isOpen() || data == nullptr || count <= 0 || count > maxRequestSize)
        return;
    // Whatever arrived after the last reply is stale, and so is a request still queued.
    serial->clear(QSerialPort::AllDirections);
    serial->write(reinterpret_cast<const char*>(data), count);
    // Out now, not after a round through the event loop: the panel waits for it.
    serial->flush();
}

void CComPort::onReadyRead() {
    // A slot that runs a nested event loop brings us back here; the outer call reads
    // what arrived meanwhile once the slot returns, so the order holds and nothing re-enters.
    if (delivering)
        return;
    delivering = true;
    const QPointer<CComPort> self(this);
    while (serial->isOpen()) {
        // Read into the kept buffer: readAll() would allocate a fresh 16 KiB
        // array for every byte the line delivers.
        const qint64 waiting = serial->bytesAvailable();
        if (waiting <= 0)
            break;
        received.resize(waiting);
        const qint64 got = serial->read(received.data(), waiting);
        if (got <= 0)
            break;
        received.resize(got);
        emit bytesReceived(received);
        if (self.isNull())
            return; // the owner dropped the port in its slot
    }
    delivering = false;
}

void CComPort::onError(QSerialPort::SerialPortError error) {
    // Not bound to the port being open: on some systems QSerialPort has closed it already.
    if (!isDeviceLoss(error) || !active || reconnectTimer.isActive())
        return;
    // Closing at once ends the error loop; the device is looked for again every 2 s.
    closeDevice();
    reconnectTimer.start();
    emit deviceLost();
}

void CComPort::onReconnectTick() {
    if (!active || serial->isOpen() || !openDevice())
        return;
    reconnectTimer.stop();
    emit deviceRestored();
}
