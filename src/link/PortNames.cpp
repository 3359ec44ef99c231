#include "link/PortNames.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace PortNames {

fs::path portFolder() {
#ifdef _WIN32
    return {}; // Windows has numbered ports of its own
#else
    const char* config = std::getenv("XDG_CONFIG_HOME");
    fs::path base;
    // Relative values are invalid by the XDG rules and fall back to the default.
    if (config != nullptr && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0')
            return {};
        base = fs::path(home) / ".config";
    }
    return base / "Velmor" / "ports";
#endif
}

std::string defaultDevice(int portNumber) {
    struct Range {
        int first;
        const char* prefix;
    };
    static constexpr Range ranges[] = {{1, "/dev/ttyS"}, {33, "/dev/ttyUSB"}, {65, "/dev/ttyACM"}};
    for (const Range& range : ranges) {
        if (portNumber >= range.first && portNumber < range.first + 32)
            return range.prefix + std::to_string(portNumber - range.first);
    }
    return {};
}

std::string devicePath(int portNumber) {
    if (portNumber < 1)
        return {};
#ifdef _WIN32
    return "\\\\.\\COM" + std::to_string(portNumber);
#else
    const fs::path folder = portFolder();
    if (!folder.empty()) {
        const fs::path link = folder / ("COM" + std::to_string(portNumber));
        std::error_code ec;
        if (fs::exists(fs::symlink_status(link, ec))) {
            const fs::path target = fs::canonical(link, ec);
            return ec ? link.string() : target.string();
        }
    }
    return defaultDevice(portNumber);
#endif
}

bool deviceExists(int portNumber) {
    const std::string path = devicePath(portNumber);
    if (path.empty())
        return false;
#ifdef _WIN32
    return true;
#else
    std::error_code ec;
    return fs::is_character_file(path, ec);
#endif
}

} // namespace PortNames
