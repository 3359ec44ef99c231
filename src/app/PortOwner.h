#pragma once

#include <memory>

class CComPort;
class QWidget;

// What the port selection needs from the main window: the driver it owns and the
// stored port number (PORT_NR).
class PortOwner {
public:
    virtual ~PortOwner() = default;
    // Parent of the dialog and of the messages.
    virtual QWidget* dialogParent() = 0;
    // The driver in use, or nullptr when there is none.
    virtual CComPort* port() const = 0;
    // Replaces and destroys the old driver; nullptr leaves the program without a port.
    // Connecting the new driver's signals is the owner's job.
    virtual void setPort(std::unique_ptr<CComPort> port) = 0;
    virtual int portNumberSetting() const = 0;
    virtual void setPortNumberSetting(int n) = 0;
};

// The "Ustawienia" -> "Port szeregowy" command: lets the user pick a port and opens it,
// asking again while the chosen port cannot be opened.
void choosePort(PortOwner& owner);

// Start-up: opens the stored port, or asks for one when there is none or it cannot be
// opened. A failure here keeps the stored number, so it is tried again at the next start.
void openPortAtStartup(PortOwner& owner);
