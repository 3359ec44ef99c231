#include "link/PortOpenFailure.h"

#ifndef _WIN32
#include <cerrno>
#include <unistd.h>
#endif

PortOpenFailure classifyPortOpenFailure(const std::string& devicePath, PortDriverError error,
                                        bool accessDenied) {
    if (devicePath.empty() || error == PortDriverError::NotFound)
        return PortOpenFailure::NoDevice;
    if (accessDenied)
        return PortOpenFailure::PermissionDenied;
    if (error == PortDriverError::Permission)
        return PortOpenFailure::InUse;
    return PortOpenFailure::Other;
}

bool portAccessDenied(const std::string& devicePath) {
#ifdef _WIN32
    (void)devicePath;
    return false;
#else
    if (devicePath.empty())
        return false;
    // access() answers for this user without opening the device, so no modem line moves.
    return ::access(devicePath.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM);
#endif
}

std::string portOpenFailureHeadline(int portNumber) {
    return "Nie można otworzyć portu COM" + std::to_string(portNumber);
}

std::string portOpenFailureExplanation(PortOpenFailure reason, const std::string& devicePath) {
    switch (reason) {
    case PortOpenFailure::NoDevice:
        if (devicePath.empty())
            return {};
        return "Urządzenie " + devicePath + " nie istnieje.";
    case PortOpenFailure::PermissionDenied:
        // The command on a line of its own, so that it can be copied whole.
        return "Brak uprawnień do urządzenia " + devicePath +
               ".\nDo portów szeregowych ma dostęp grupa dialout. Dodaj do niej swoje konto "
               "poleceniem\n    sudo usermod -a -G dialout $USER\na potem wyloguj się i zaloguj "
               "ponownie.";
    case PortOpenFailure::InUse:
        return "Urządzenie " + devicePath +
               " jest używane przez inny program. Zamknij ten program i spróbuj ponownie.";
    case PortOpenFailure::None:
    case PortOpenFailure::Other:
        break;
    }
    return {};
}
