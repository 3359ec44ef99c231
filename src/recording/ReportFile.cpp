#include "recording/ReportFile.h"

#include <QFile>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifndef _WIN32
QString describeErrno(int code) {
    switch (code) {
    case ENOSPC:
        return QStringLiteral("brak miejsca na dysku");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("przekroczony przydział miejsca na dysku");
#endif
    case EFBIG:
        return QStringLiteral("plik jest za duży");
    case EACCES:
    case EPERM:
        return QStringLiteral("brak uprawnień");
    case EROFS:
        return QStringLiteral("dysk jest tylko do odczytu");
    case ENOENT:
        return QStringLiteral("plik lub folder nie istnieje");
    case ENOTDIR:
        return QStringLiteral("ścieżka prowadzi przez coś, co nie jest folderem");
    case EISDIR:
        return QStringLiteral("to jest folder, a nie plik");
    case EEXIST:
        return QStringLiteral("w tym miejscu jest łącze do nieistniejącego pliku");
    case ENAMETOOLONG:
        return QStringLiteral("nazwa jest za długa");
    case EIO:
        return QStringLiteral("błąd wejścia-wyjścia (nośnik mógł zostać odłączony)");
    case ENODEV:
    case ENXIO:
        return QStringLiteral("urządzenie jest niedostępne");
    default:
        return QStringLiteral("błąd systemu nr %1 (%2)")
            .arg(code)
            .arg(QString::fromLocal8Bit(std::strerror(code)));
    }
}
#else
QString describeLastError(DWORD code) {
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return QStringLiteral("brak miejsca na dysku");
    case ERROR_ACCESS_DENIED:
        return QStringLiteral("brak uprawnień");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return QStringLiteral("plik jest używany przez inny program");
    case ERROR_WRITE_PROTECT:
        return QStringLiteral("dysk jest tylko do odczytu");
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return QStringLiteral("plik lub folder nie istnieje");
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_NOT_READY:
        return QStringLiteral("urządzenie jest niedostępne");
    default:
        return QStringLiteral("błąd systemu nr %1").arg(code);
    }
}
#endif

// A file that is not regular (a device, a pipe) could swallow the lines or
// block the program.
constexpr int kNotRegularFile = -1;

} // namespace

ReportFile::~ReportFile() {
    close();
}

void ReportFile::fail(int code) {
    if (code == kNotRegularFile) {
        lastError = QStringLiteral("to nie jest zwykły plik");
        return;
    }
#ifdef _WIN32
    lastError = describeLastError(static_cast<DWORD>(code));
#else
    lastError = describeErrno(code);
#endif
}

#ifndef _WIN32

bool ReportFile::open(const QString& path) {
    close();
    filePath = path;
    lastError.clear();
    existedBefore = false;
    if (path.isEmpty()) {
        fail(ENOENT);
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a pipe or a terminal cannot hold the program up
    // before it is recognised and refused.
    constexpr int flags = O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int opened = ::open(name.constData(), flags);
    if (opened >= 0) {
        existedBefore = true;
    } else if (errno == ENOENT) {
        // Exclusive creation does not follow a dangling link to write elsewhere.
        opened = ::open(name.constData(), flags | O_CREAT | O_EXCL, 0666);
    }
    if (opened < 0) {
        fail(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(opened, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(opened);
        fail(kNotRegularFile);
        return false;
    }
    ::fcntl(opened, F_SETFL, ::fcntl(opened, F_GETFL) & ~O_NONBLOCK);
    fd = opened;
    return true;
}

bool ReportFile::isOpen() const {
    return fd >= 0;
}

bool ReportFile::seekToEnd() {
    if (fd < 0 || ::lseek(fd, 0, SEEK_END) < 0) {
        fail(fd < 0 ? EBADF : errno);
        return false;
    }
    return true;
}

bool ReportFile::truncate() {
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) < 0) {
        fail(fd < 0 ? EBADF : errno);
        return false;
    }
    return true;
}

bool ReportFile::writeLine(std::string_view bytes) {
    if (fd < 0) {
        fail(EBADF);
        return false;
    }
    const off_t start = ::lseek(fd, 0, SEEK_CUR);
    // One write normally takes the whole line; a short one (the space ran
    // out) is followed by another, which then says why.
    int error = 0;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error = n < 0 ? errno : ENOSPC;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fdatasync(fd) != 0) {
        error = errno;
    }
    if (error == 0) {
        return true;
    }
    // Take back whatever part of the line reached the file.
    if (start >= 0 && ::ftruncate(fd, start) == 0) {
        ::lseek(fd, start, SEEK_SET);
    }
    fail(error);
    return false;
}

void ReportFile::close() {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

#else // _WIN32

bool ReportFile::open(const QString& path) {
    close();
    filePath = path;
    lastError.clear();
    existedBefore = false;
    if (path.isEmpty()) {
        fail(ERROR_FILE_NOT_FOUND);
        return false;
    }
    HANDLE h = ::CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        fail(static_cast<int>(::GetLastError()));
        return false;
    }
    existedBefore = ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        fail(kNotRegularFile);
        return false;
    }
    handle = h;
    return true;
}

bool ReportFile::isOpen() const {
    return handle != nullptr;
}

bool ReportFile::seekToEnd() {
    LARGE_INTEGER zero{};
    if (handle == nullptr || !::SetFilePointerEx(handle, zero, nullptr, FILE_END)) {
        fail(handle == nullptr ? ERROR_INVALID_HANDLE : static_cast<int>(::GetLastError()));
        return false;
    }
    return true;
}

bool ReportFile::truncate() {
    LARGE_INTEGER zero{};
    if (handle == nullptr || !::SetFilePointerEx(handle, zero, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(handle)) {
        fail(handle == nullptr ? ERROR_INVALID_HANDLE : static_cast<int>(::GetLastError()));
        return false;
    }
    return true;
}

bool ReportFile::writeLine(std::string_view bytes) {
    if (handle == nullptr) {
        fail(ERROR_INVALID_HANDLE);
        return false;
    }
    LARGE_INTEGER zero{};
    LARGE_INTEGER start{};
    const bool haveStart = ::SetFilePointerEx(handle, zero, &start, FILE_CURRENT) != 0;
    DWORD written = 0;
    DWORD error = 0;
    if (!::WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        error = ::GetLastError();
    } else if (written != bytes.size()) {
        error = ERROR_DISK_FULL;
    } else if (!::FlushFileBuffers(handle)) {
        error = ::GetLastError();
    }
    if (error == 0) {
        return true;
    }
    if (haveStart && ::SetFilePointerEx(handle, start, nullptr, FILE_BEGIN)) {
        ::SetEndOfFile(handle);
    }
    fail(static_cast<int>(error));
    return false;
}

void ReportFile::close() {
    if (handle != nullptr) {
        ::CloseHandle(handle);
        handle = nullptr;
    }
}

#endif
