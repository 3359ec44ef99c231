#pragma once

#include <optional>
#include <string>
#include <vector>

// Why a port could not be opened, and what the user can do about it. The window program
// and tq820ctl show the same texts: first the headline, then the explanation.
enum class PortOpenFailure {
    None,             // the last open succeeded
    NoDevice,         // COMn names no device, or the device is not there
    PermissionDenied, // the device is there, but this user may not use it
    InUse,            // another program holds the port
    Other,            // anything else: the headline is all there is to say
};

// What the serial driver said when the open failed.
enum class PortDriverError { NotFound, Permission, Other };

// The driver says "permission" both for a device this user may not open and for a
// port that another program holds (its lock file, or an exclusive open), so the
// device's permissions are asked separately: accessDenied is true when the system
// refuses this user reading or writing the device.
PortOpenFailure classifyPortOpenFailure(const std::string& devicePath, PortDriverError error,
                                        bool accessDenied);

// True when the device exists and this user may not read and write it. Always false on
// Windows, where ports have no permissions a user could be told to change.
bool portAccessDenied(const std::string& devicePath);

// The program that holds a port open, as its lock file tells.
struct PortHolder {
    long pid = 0;
    std::string program; // its process name, or the name in the lock file
    friend bool operator==(const PortHolder&, const PortHolder&) = default;
};

// The folders where serial-port lock files are kept, in the order the serial
// driver looks for a writable one.
const std::vector<std::string>& defaultLockFolders();

// Who holds the device open, from its lock file LCK..<name> (the device path
// without "/dev/", every '/' as '_') in the first folder that has one: the
// process id on its first line, the name from /proc/<pid>/comm or else from
// the lock file's second line. None when there is no such file or it names
// no process; always none on Windows.
std::optional<PortHolder>
portHolder(const std::string& devicePath,
           const std::vector<std::string>& lockFolders = defaultLockFolders());

// "Nie można otworzyć portu COMn".
std::string portOpenFailureHeadline(int portNumber);

// What went wrong and the remedy, naming the device and, for a port in use, the program
// that holds it when that is known; empty when nothing more is known.
std::string portOpenFailureExplanation(PortOpenFailure reason, const std::string& devicePath,
                                       const std::optional<PortHolder>& holder = std::nullopt);
