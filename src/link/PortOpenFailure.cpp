#include "link/PortOpenFailure.h"

#include <fstream>

#ifndef _WIN32
#include <cerrno>
#include <csignal>
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

const std::vector<std::string>& defaultLockFolders() {
    static const std::vector<std::string> folders{
        "/var/lock", "/etc/locks", "/var/spool/locks",  "/var/spool/uucp",
        "/tmp",      "/var/tmp",   "/var/lock/lockdev", "/run/lock"};
    return folders;
}

std::optional<PortHolder> portHolder(const std::string& devicePath,
                                     const std::vector<std::string>& lockFolders) {
#ifdef _WIN32
    (void)devicePath;
    (void)lockFolders;
    return std::nullopt;
#else
    std::string name = devicePath.rfind("/dev/", 0) == 0 ? devicePath.substr(5) : devicePath;
    if (name.empty()) {
        return std::nullopt;
    }
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    for (const std::string& folder : lockFolders) {
        std::ifstream lock(folder + "/LCK.." + name);
        if (!lock) {
            continue;
        }
        PortHolder holder;
        std::string lockedBy;
        // The pid may be padded with spaces, as older programs write it.
        if (!(lock >> holder.pid) || holder.pid <= 0) {
            return std::nullopt;
        }
        lock.ignore(1);
        std::getline(lock, lockedBy);
        // Signal 0 only asks whether the process exists; a stale lock names nobody.
        if (::kill(static_cast<pid_t>(holder.pid), 0) != 0 && errno == ESRCH) {
            return std::nullopt;
        }
        std::ifstream comm("/proc/" + std::to_string(holder.pid) + "/comm");
        if (!(comm && std::getline(comm, holder.program)) || holder.program.empty()) {
            holder.program = lockedBy;
        }
        return holder;
    }
    return std::nullopt;
#endif
}

std::string portOpenFailureExplanation(PortOpenFailure reason, const std::string& devicePath,
                                       const std::optional<PortHolder>& holder) {
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
        if (holder && !holder->program.empty()) {
            return "Urządzenie " + devicePath + " jest używane przez program " + holder->program +
                   " (PID " + std::to_string(holder->pid) +
                   "). Zamknij ten program i spróbuj ponownie.";
        }
        return "Urządzenie " + devicePath +
               " jest używane przez inny program. Zamknij ten program i spróbuj ponownie.";
    case PortOpenFailure::None:
    case PortOpenFailure::Other:
        break;
    }
    return {};
}
