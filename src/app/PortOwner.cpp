#include "app/PortOwner.h"

#include "app/CPortDlg.h"
#include "link/CComPort.h"
#include "link/PortOpenFailure.h"
#include "widgets/PolishMessageBox.h"

#include <QPointer>

namespace {

// The headline comes first; the cause and its remedy follow below it.
void reportOpenFailure(PortOwner& owner, int portNumber, const CComPort& port) {
    PolishMessageBox::inform(
        owner.dialogParent(), QString::fromStdString(portOpenFailureHeadline(portNumber)),
        QMessageBox::NoIcon,
        QString::fromStdString(portOpenFailureExplanation(port.lastOpenFailure(), port.devicePath(),
                                                          port.lastOpenHolder())));
}

} // namespace

void choosePort(PortOwner& owner) {
    for (;;) {
        CComPort* inUse = owner.port();
        // Held through a guard: should the parent go away during the modal run, it takes
        // the dialog (and the owner) with it.
        QPointer<CPortDlg> dialog = new CPortDlg(owner.dialogParent());
        dialog->setChosenPort(inUse != nullptr ? inUse->portNumber() : 0);
        const int result = dialog->exec();
        if (dialog.isNull())
            return;
        const int chosen = dialog->chosenPort();
        delete dialog;
        if (result != QDialog::Accepted)
            return;

        const int current = owner.port() != nullptr ? owner.port()->portNumber() : 0;
        if (chosen == current || chosen <= 0)
            return;

        // The old port is let go first: the new number may name the same device.
        owner.setPort(nullptr);
        auto port = std::make_unique<CComPort>();
        if (port->open(chosen)) {
            owner.setPort(std::move(port));
            owner.setPortNumberSetting(chosen);
            return;
        }
        owner.setPortNumberSetting(0);
        reportOpenFailure(owner, chosen, *port);
        port.reset();
    }
}

void openPortAtStartup(PortOwner& owner) {
    const int stored = owner.portNumberSetting();
    if (stored > 0) {
        auto port = std::make_unique<CComPort>();
        if (port->open(stored)) {
            owner.setPort(std::move(port));
            return;
        }
        reportOpenFailure(owner, stored, *port);
        port.reset();
    }
    choosePort(owner);
}
