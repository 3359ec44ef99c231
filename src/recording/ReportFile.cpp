#include "recording/ReportFile.h"

#include <cstddef>
#include <optional>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <langinfo.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Failures of our own, beside the platform's codes.
// A file that is not regular (a device, a pipe) could swallow the lines or
// block the program.
constexpr int kNotRegularFile = -1;
// The open file has no name left: what is written to it is lost.
constexpr int kNameGone = -2;

#ifndef _WIN32

std::string describeErrnoText(int code) {
    switch (code) {
    case ENOSPC:
        return "brak miejsca na dysku";
#ifdef EDQUOT
    case EDQUOT:
        return "przekroczony przydział miejsca na dysku";
#endif
    case EFBIG:
        return "plik jest za duży";
    case EACCES:
    case EPERM:
        return "brak uprawnień";
    case EROFS:
        return "dysk jest tylko do odczytu";
    case ENOENT:
        return "plik lub folder nie istnieje";
    case ENOTDIR:
        return "ścieżka prowadzi przez coś, co nie jest folderem";
    case EISDIR:
        return "to jest folder, a nie plik";
    case EEXIST:
        return "w tym miejscu jest łącze do nieistniejącego pliku";
    case ENAMETOOLONG:
        return "nazwa jest za długa";
    case EIO:
        return "błąd wejścia-wyjścia (nośnik mógł zostać odłączony)";
    case ENODEV:
    case ENXIO:
        return "urządzenie jest niedostępne";
    default:
        break;
    }
    std::string text = "błąd systemu nr " + std::to_string(code);
    // The system's own words, when they are in the program's encoding.
    const char* words = std::strerror(code);
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0 && words != nullptr) {
        text += " (" + std::string(words) + ")";
    }
    return text;
}

struct WriteResult {
    int error = 0;        // errno of the failure, 0 when all was written
    std::size_t done = 0; // bytes that reached the file
};

// One write normally takes all; a short one (the space ran out) is followed
// by another, which then says why.
WriteResult writeAll(int fd, std::string_view bytes) {
    WriteResult result;
    while (result.done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + result.done, bytes.size() - result.done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            result.error = n < 0 ? errno : ENOSPC;
            break;
        }
        result.done += static_cast<std::size_t>(n);
    }
    return result;
}

// Appends go at the end, so the bytes just written end at the file position.
// They are cut off again unless another program has appended meanwhile:
// its text is not ours to take.
void takeBack(int fd, std::size_t done) {
    if (done == 0) {
        return;
    }
    const off_t end = ::lseek(fd, 0, SEEK_CUR);
    struct stat info {};
    if (end >= static_cast<off_t>(done) && ::fstat(fd, &info) == 0 && info.st_size == end) {
        if (::ftruncate(fd, end - static_cast<off_t>(done)) != 0) {
            // Nothing more can be done; the failure is reported anyway.
        }
    }
}

#else

std::string describeLastError(DWORD code) {
    switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "brak miejsca na dysku";
    case ERROR_ACCESS_DENIED:
        return "brak uprawnień";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "plik jest używany przez inny program";
    case ERROR_WRITE_PROTECT:
        return "dysk jest tylko do odczytu";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return "plik lub folder nie istnieje";
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_NOT_READY:
        return "urządzenie jest niedostępne";
    default:
        return "błąd systemu nr " + std::to_string(code);
    }
}

// UTF-8 to the UTF-16 of the W functions; none for bytes that are not UTF-8.
std::optional<std::wstring> widen(const std::string& utf8) {
    if (utf8.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(utf8.size());
    const int n =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (n <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), n);
    return wide;
}

// Writes all bytes and flushes them; 0 or the error code.
DWORD writeAndFlush(HANDLE h, std::string_view bytes, OVERLAPPED* where) {
    DWORD written = 0;
    if (!::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, where)) {
        return ::GetLastError();
    }
    if (written != bytes.size()) {
        return ERROR_DISK_FULL;
    }
    if (!::FlushFileBuffers(h)) {
        return ::GetLastError();
    }
    return 0;
}

#endif

} // namespace

#ifndef _WIN32
std::string describeFileError(int code) {
    return describeErrnoText(code);
}
#endif

ReportFile::~ReportFile() {
    close();
}

void ReportFile::fail(int code) {
    if (code == kNotRegularFile) {
        errorText_ = "to nie jest zwykły plik";
        return;
    }
    if (code == kNameGone) {
        errorText_ = "plik lub jego folder został usunięty";
        return;
    }
#ifdef _WIN32
    errorText_ = describeLastError(static_cast<DWORD>(code));
#else
    errorText_ = describeErrnoText(code);
#endif
}

bool ReportFile::reopen() {
    const std::string name = path_;
    const bool opened = open(name);
    nameGone_ = !opened;
    return opened;
}

#ifndef _WIN32

bool ReportFile::open(const std::string& path) {
    close();
    path_ = path;
    errorText_.clear();
    existedBefore_ = false;
    nameGone_ = false;
    // A name cut short at a zero byte would name another file.
    if (path.empty() || path.find('\0') != std::string::npos) {
        fail(ENOENT);
        return false;
    }
    // Appending: every write goes at the real end, also when another program
    // has emptied the file or added to it. Non-blocking, so that a pipe or a
    // terminal cannot hold the program up before it is recognised and refused.
    constexpr int flags = O_RDWR | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int opened = ::open(path.c_str(), flags);
    if (opened >= 0) {
        existedBefore_ = true;
    } else if (errno == ENOENT) {
        // Exclusive creation does not follow a dangling link to write elsewhere.
        opened = ::open(path.c_str(), flags | O_CREAT | O_EXCL, 0666);
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
    fd_ = opened;
    return true;
}

bool ReportFile::isOpen() const {
    return fd_ >= 0;
}

bool ReportFile::truncate() {
    if (fd_ < 0 || ::ftruncate(fd_, 0) != 0) {
        fail(fd_ < 0 ? EBADF : errno);
        return false;
    }
    return true;
}

bool ReportFile::writeLine(std::string_view bytes) {
    if (fd_ < 0) {
        fail(EBADF);
        return false;
    }
    WriteResult result = writeAll(fd_, bytes);
    if (result.error == 0 && ::fdatasync(fd_) != 0) {
        result.error = errno;
    }
    if (result.error != 0) {
        takeBack(fd_, result.done);
        fail(result.error);
        return false;
    }
    // Deleted (or its folder was): the line went nowhere anyone can read.
    struct stat info {};
    if (::fstat(fd_, &info) == 0 && info.st_nlink == 0) {
        nameGone_ = true;
        fail(kNameGone);
        return false;
    }
    return true;
}

bool ReportFile::replaceContents(std::string_view bytes) {
    if (fd_ < 0) {
        fail(EBADF);
        return false;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        fail(errno);
        return false;
    }
    // Through a link: the file is replaced where it lives, and the link stays.
    char* real = ::realpath(path_.c_str(), nullptr);
    if (real == nullptr) {
        fail(errno);
        return false;
    }
    const std::string target = real;
    std::free(real);
    const std::string folder = target.substr(0, target.rfind('/'));
    // Short, so that a name near the length limit still has room beside it.
    std::string temp = folder + "/.tq820-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        fail(errno);
        return false;
    }
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    int error = writeAll(fd, bytes).error;
    if (error == 0 && ::fchown(fd, info.st_uid, info.st_gid) != 0) {
        // The owner and group stay where the system allows it (for root, or
        // a group of the user's own); the permissions stay in any case.
    }
    if (error == 0 && ::fchmod(fd, info.st_mode & 07777) != 0) {
        error = errno;
    }
    if (error == 0 && ::fdatasync(fd) != 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        ::unlink(temp.c_str());
        fail(error);
        return false;
    }
    // The new name on the disk too; without it a crash could bring back the
    // old content, which is no worse than not having written.
    const int dir =
        ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_APPEND);
    ::close(fd_);
    fd_ = fd;
    return true;
}

void ReportFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

#else // _WIN32

bool ReportFile::open(const std::string& path) {
    close();
    path_ = path;
    errorText_.clear();
    existedBefore_ = false;
    nameGone_ = false;
    const std::optional<std::wstring> name = widen(path);
    // A name cut short at a zero byte would name another file.
    if (path.empty() || path.find('\0') != std::string::npos || !name) {
        fail(ERROR_FILE_NOT_FOUND);
        return false;
    }
    // Shared for reading only: no other program can write, empty or delete
    // the file while it is open.
    HANDLE h =
        ::CreateFileW(name->c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        fail(static_cast<int>(::GetLastError()));
        return false;
    }
    existedBefore_ = ::GetLastError() == ERROR_ALREADY_EXISTS;
    if (::GetFileType(h) != FILE_TYPE_DISK) {
        ::CloseHandle(h);
        fail(kNotRegularFile);
        return false;
    }
    handle_ = h;
    return true;
}

bool ReportFile::isOpen() const {
    return handle_ != nullptr;
}

bool ReportFile::truncate() {
    LARGE_INTEGER zero{};
    if (handle_ == nullptr || !::SetFilePointerEx(handle_, zero, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(handle_)) {
        fail(handle_ == nullptr ? ERROR_INVALID_HANDLE : static_cast<int>(::GetLastError()));
        return false;
    }
    return true;
}

bool ReportFile::writeLine(std::string_view bytes) {
    if (handle_ == nullptr) {
        fail(ERROR_INVALID_HANDLE);
        return false;
    }
    // No other program writes meanwhile (share mode), so the size now is
    // where the line begins.
    LARGE_INTEGER start{};
    const bool haveStart = ::GetFileSizeEx(handle_, &start) != 0;
    // This offset writes at the end of the file, whatever the file pointer
    // says: the same as a handle opened for appending.
    OVERLAPPED atEnd{};
    atEnd.Offset = 0xFFFFFFFF;
    atEnd.OffsetHigh = 0xFFFFFFFF;
    const DWORD error = writeAndFlush(handle_, bytes, &atEnd);
    if (error == 0) {
        return true;
    }
    if (haveStart && ::SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN)) {
        ::SetEndOfFile(handle_);
    }
    fail(static_cast<int>(error));
    return false;
}

bool ReportFile::replaceContents(std::string_view bytes) {
    const std::optional<std::wstring> target = widen(path_);
    if (handle_ == nullptr || !target) {
        fail(ERROR_INVALID_HANDLE);
        return false;
    }
    // A name of our own beside the file.
    HANDLE temp = INVALID_HANDLE_VALUE;
    std::wstring tempName;
    DWORD error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = *target + L".tq820-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                   std::to_wstring(attempt) + L".tmp";
        temp = ::CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        error = temp == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    if (temp == INVALID_HANDLE_VALUE) {
        fail(static_cast<int>(error));
        return false;
    }
    error = writeAndFlush(temp, bytes, nullptr);
    ::CloseHandle(temp);
    if (error == 0) {
        // ReplaceFileW gives the new content the old file's attributes and
        // access rights; the file must not be open meanwhile.
        close();
        if (!::ReplaceFileW(target->c_str(), tempName.c_str(), nullptr,
                            REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
            error = ::GetLastError();
        }
    }
    if (error != 0) {
        ::DeleteFileW(tempName.c_str());
    }
    // Open again, on the new content or on the old one that stayed.
    if (handle_ == nullptr) {
        const bool existed = existedBefore_;
        const std::string name = path_;
        open(name);
        existedBefore_ = existed;
    }
    if (error != 0) {
        fail(static_cast<int>(error));
        return false;
    }
    return isOpen();
}

void ReportFile::close() {
    if (handle_ != nullptr) {
        ::CloseHandle(handle_);
        handle_ = nullptr;
    }
}

#endif
