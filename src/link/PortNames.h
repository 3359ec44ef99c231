#pragma once

#include <filesystem>
#include <string>

// The program names ports COMn everywhere. On Windows COMn is the system's COMn;
// elsewhere it is the link COMn in the per-user port folder when there is one, else a
// fixed map onto the usual device names.
namespace PortNames {

// Highest port number the program offers.
inline constexpr int maxPortNumber = 1024;

// <config>/Velmor/ports, <config> being $XDG_CONFIG_HOME or ~/.config. Empty when
// neither variable gives a folder, and always on Windows.
std::filesystem::path portFolder();

// COM1-32 -> /dev/ttyS0-31, COM33-64 -> /dev/ttyUSB0-31, COM65-96 -> /dev/ttyACM0-31;
// empty for any other number.
std::string defaultDevice(int portNumber);

// The device to open for COMn, empty when the number names no device. A link in the
// port folder is followed to its target, so that lock files name the real device; a
// broken link is returned as it is (opening it fails, and no fixed name is tried).
std::string devicePath(int portNumber);

// A cheap test, no open: the device for COMn exists. On Windows, where that cannot be
// told without opening, every valid number passes.
bool deviceExists(int portNumber);

} // namespace PortNames
