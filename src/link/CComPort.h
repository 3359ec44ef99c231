#pragma once

#include "link/PortOpenFailure.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QTimer>
#include <cstdint>
#include <string>

// The serial line to the panel: port COMn at 9600 8N1, no flow control, DTR and RTS
// asserted. Runs on the user-interface thread; received bytes are handed over in order,
// all that are waiting in one signal. A device that vanishes is closed at once and
// reopened by itself.
class CComPort : public QObject {
    Q_OBJECT

public:
    explicit CComPort(QObject* parent = nullptr);
    ~CComPort() override; // closes

    // Opens COM portNumber. False when the device is missing or held by another program.
    bool open(int portNumber, int baudRate = 9600, char parity = 'N', int dataBits = 8,
              int stopBits = 1);
    // Drops DTR and RTS and stops reconnecting; nothing is delivered afterwards.
    void close();
    // The device is open right now (false while a lost device is being waited for).
    bool isOpen() const;
    // As passed to open.
    int portNumber() const { return number; }
    // Why the last open failed (None after a success), and the device it tried.
    PortOpenFailure lastOpenFailure() const { return openFailure; }
    // The program that held the port when the last open found it in use, when known.
    const std::optional<PortHolder>& lastOpenHolder() const { return openHolder; }
    const std::string& devicePath() const { return device; }
    // Purges both directions and writes the whole request (at most 256 bytes) at once. A
    // request not yet written is replaced. Does nothing while the device is not open.
    void send(const std::uint8_t* data, int count);

    // How often a lost device is looked for again.
    static constexpr int reconnectIntervalMs = 2000;
    static constexpr int maxRequestSize = 256;

signals:
    // Every byte that is waiting, in order. A send() from the slot purges the line: the
    // bytes of this signal after the point of that send are stale and must be dropped.
    void bytesReceived(const QByteArray& bytes);
    void deviceLost();
    void deviceRestored();

private:
    bool openDevice();
    void closeDevice();
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void onReconnectTick();

    QSerialPort* serial;
    QTimer reconnectTimer;
    QByteArray received;     // the bytes handed over last, its storage reused
    bool delivering = false; // guards against re-entry from a nested event loop
    bool active = false;     // opened by the owner and not closed since, even while lost
    int number = 0;
    std::string device;
    PortOpenFailure openFailure = PortOpenFailure::None;
    std::optional<PortHolder> openHolder;
    int baud = 9600;
    char parityLetter = 'N';
    int dataBitCount = 8;
    int stopBitCount = 1;
};
