#include "app/CPortDlg.h"

#include "link/PortNames.h"
#include "link/PortOpenFailure.h"
#include "widgets/DialogButtons.h"
#include "widgets/PolishMessageBox.h"

#include <QComboBox>
#include <QLabel>
#include <QSerialPort>
#include <QVBoxLayout>

namespace {

// Another program holding the port keeps it shut to us: QSerialPort honours the lock
// files in /var/lock and TIOCEXCL (exclusive sharing on Windows).
bool canOpen(int portNumber, QString* refusedDevice) {
    if (!PortNames::deviceExists(portNumber))
        return false;
    const std::string path = PortNames::devicePath(portNumber);
    QSerialPort probe;
    probe.setPortName(QString::fromStdString(path));
    if (!probe.open(QIODevice::ReadWrite)) {
        if (refusedDevice != nullptr && refusedDevice->isEmpty() && portAccessDenied(path))
            *refusedDevice = QString::fromStdString(path);
        return false;
    }
    probe.close();
    return true;
}

} // namespace

QList<int> usablePorts(int portInUse, QString* refusedDevice) {
    QList<int> ports;
    for (int n = 1; n <= PortNames::maxPortNumber; ++n) {
        // The port in use is open here and cannot be opened a second time.
        if (n == portInUse || canOpen(n, refusedDevice))
            ports.append(n);
    }
    return ports;
}

int portNumberFromEntry(const QString& entry) {
    if (entry.size() < 4)
        return 0;
    long long value = 0;
    for (qsizetype i = 3; i < entry.size() && entry.at(i).isDigit(); ++i) {
        const int digit = entry.at(i).digitValue();
        if (digit < 0)
            break;
        value = value * 10 + digit;
        if (value > PortNames::maxPortNumber)
            return 0; // no such entry is ever listed
    }
    return static_cast<int>(value);
}

CPortDlg::CPortDlg(QWidget* parent)
    : QDialog(parent), portList(new QComboBox(this)), portInUseLabel(new QLabel(this)) {
    setObjectName(QStringLiteral("portDialog"));
    setWindowTitle(QStringLiteral("Port szeregowy"));

    auto* prompt = new QLabel(QStringLiteral("Wybierz port:"), this);
    portList->setObjectName(QStringLiteral("portList"));
    portList->setEditable(false);
    portList->setMaxVisibleItems(12); // long lists scroll
    prompt->setBuddy(portList);
    portInUseLabel->setObjectName(QStringLiteral("portInUseLabel"));
    portInUseLabel->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(portList);
    layout->addSpacing(6);
    layout->addWidget(portInUseLabel);
    layout->addSpacing(10);
    layout->addStretch();
    layout->addLayout(DialogButtons::okCancelRow(this));
    setMinimumWidth(260);
}

void CPortDlg::showEvent(QShowEvent* event) {
    if (!filled)
        fillList();
    QDialog::showEvent(event);
}

void CPortDlg::fillList() {
    filled = true;
    portInUseLabel->setText(chosen != 0
                                ? QStringLiteral("Aktualnie używany port: COM%1").arg(chosen)
                                : QStringLiteral("Aktualnie żaden port nie jest używany"));
    portList->clear();
    int inUseIndex = -1;
    refusedDevice.clear();
    for (int n : usablePorts(chosen, &refusedDevice)) {
        if (n == chosen)
            inUseIndex = portList->count();
        portList->addItem(QStringLiteral("COM%1").arg(n));
    }
    // The combo picks its first entry by itself; only the port in use is preselected.
    portList->setCurrentIndex(chosen > 0 ? inUseIndex : -1);
}

void CPortDlg::accept() {
    const int n = portNumberFromEntry(portList->currentText());
    if (n <= 0) {
        // A port this user may not open is not listed: say why, or the list looks empty
        // for no reason.
        const QString why =
            refusedDevice.isEmpty()
                ? QString()
                : QString::fromStdString(portOpenFailureExplanation(
                      PortOpenFailure::PermissionDenied, refusedDevice.toStdString()));
        PolishMessageBox::inform(this, QStringLiteral("Nie wybrano żadnego portu."),
                                 QMessageBox::NoIcon, why);
        return;
    }
    chosen = n;
    QDialog::accept();
}
