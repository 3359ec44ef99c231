#include "PtyPort.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace tq820sim {

namespace fs = std::filesystem;

std::filesystem::path portLinkPath(int com) {
    fs::path config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = fs::path(home) / ".config";
    else
        config = ".config";
    return config / "Velmor" / "ports" / ("COM" + std::to_string(com));
}

PtyPort::PtyPort(std::filesystem::path linkPath) : linkPath(std::move(linkPath)) {}

PtyPort::~PtyPort() {
    if (master >= 0)
        ::close(master);
    if (slave >= 0)
        ::close(slave);
    removeLink();
}

bool PtyPort::plug(std::string& error) {
    if (master >= 0) {
        error = "already plugged";
        return false;
    }
    const int m = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m < 0) {
        error = std::string("posix_openpt: ") + std::strerror(errno);
        return false;
    }
    char name[128] = {};
    if (::grantpt(m) != 0 || ::unlockpt(m) != 0 || ::ptsname_r(m, name, sizeof name) != 0) {
        error = std::string("pseudo-terminal setup: ") + std::strerror(errno);
        ::close(m);
        return false;
    }
    const int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s < 0) {
        error = std::string("open ") + name + ": " + std::strerror(errno);
        ::close(m);
        return false;
    }
    // Raw: no echo of the program's requests back to it, no CR/LF translation.
    termios tio{};
    if (::tcgetattr(s, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        tio.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(s, TCSANOW, &tio);
    }
    if (!pointLinkAt(name, error)) {
        ::close(s);
        ::close(m);
        return false;
    }
    master = m;
    slave = s;
    slaveName = name;
    return true;
}

void PtyPort::unplug() {
    if (master < 0)
        return;
    ::close(master);
    ::close(slave);
    master = slave = -1;
    std::string ignored;
    pointLinkAt(unpluggedTarget, ignored);
}

bool PtyPort::pointLinkAt(const std::string& target, std::string& error) {
    std::error_code ec;
    fs::create_directories(linkPath.parent_path(), ec);
    if (ec) {
        error = "cannot create " + linkPath.parent_path().string() + ": " + ec.message();
        return false;
    }
    const auto status = fs::symlink_status(linkPath, ec);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        error = linkPath.string() + " exists and is not a symbolic link";
        return false;
    }
    // Replace atomically, so the program never finds the name missing half-way.
    const fs::path temporary = linkPath.string() + ".tmp" + std::to_string(::getpid());
    fs::remove(temporary, ec);
    fs::create_symlink(target, temporary, ec);
    if (!ec)
        fs::rename(temporary, linkPath, ec);
    if (ec) {
        fs::remove(temporary, ec);
        error = "cannot link " + linkPath.string() + ": " + ec.message();
        return false;
    }
    linkTarget = target;
    return true;
}

void PtyPort::removeLink() {
    if (linkTarget.empty())
        return;
    // Leave the link alone if another simulator has taken the name over since.
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(linkPath, ec)) &&
        fs::read_symlink(linkPath, ec) == linkTarget)
        fs::remove(linkPath, ec);
    linkTarget.clear();
}

} // namespace tq820sim
