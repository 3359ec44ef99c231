#pragma once

#include <filesystem>
#include <string>

namespace tq820sim {

// The simulator's end of a pseudo-terminal, published as the symbolic link
// <config>/Velmor/ports/COMn through which the program finds its "serial port".
// The simulator keeps a descriptor of the terminal side open itself, so the program can
// close and reopen the port at will without the master seeing a hang-up.
class PtyPort {
public:
    explicit PtyPort(std::filesystem::path linkPath);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Creates a new pseudo-terminal (raw, 9600 baud) and points the link at it.
    bool plug(std::string& error);
    // Closes the pseudo-terminal as a pulled USB adapter vanishes. The link is left
    // pointing at a path that cannot exist, so reopening the port fails until plug().
    void unplug();
    // Removes the link, if it is still ours.
    void removeLink();

    bool plugged() const { return master >= 0; }
    int masterFd() const { return master; }
    const std::string& terminalName() const { return slaveName; }
    const std::filesystem::path& link() const { return linkPath; }

    static constexpr const char* unpluggedTarget = "/dev/tq820-sim-unplugged";

private:
    bool pointLinkAt(const std::string& target, std::string& error);

    std::filesystem::path linkPath;
    std::string linkTarget; // what we last pointed the link at
    int master = -1;
    int slave = -1;
    std::string slaveName;
};

// <config>/Velmor/ports/COMn, <config> being $XDG_CONFIG_HOME or ~/.config.
std::filesystem::path portLinkPath(int com);

} // namespace tq820sim
