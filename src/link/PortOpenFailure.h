#pragma once

#include <string>

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

// "Nie można otworzyć portu COMn".
std::string portOpenFailureHeadline(int portNumber);

// What went wrong and the remedy, naming the device; empty when nothing more is known.
std::string portOpenFailureExplanation(PortOpenFailure reason, const std::string& devicePath);
