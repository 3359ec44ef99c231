// Which names a report file may be opened under, and what its lines become
// when a write fails or another program changes the file. Appending or
// emptying on the user's answer is the end-to-end recording test's.

#include "recording/ReportFile.h"

#include "recording/FileSizeSignal.h"

#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <string>
#include <system_error>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// Report files take UTF-8 names; the standard library's narrow names are
// the ANSI code page on Windows.
std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

fs::path pathOf(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> counter{0};
        path_ = fs::temp_directory_path() / ("tq820-reportfile-" + std::to_string(processId()) +
                                             "-" + std::to_string(counter++));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::permissions(path_ / "zamkniety", fs::perms::owner_all, ec);
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return utf8(path_ / name); }
    const fs::path& path() const { return path_; }

private:
    static long processId() {
#ifdef _WIN32
        return 0;
#else
        return static_cast<long>(::getpid());
#endif
    }
    fs::path path_;
};

std::string contents(const std::string& path) {
    std::ifstream in(pathOf(path), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>())
              : std::string("<unreadable>");
}

void writeFile(const std::string& path, const std::string& bytes, std::ios::openmode mode = {}) {
    std::ofstream(pathOf(path), std::ios::binary | mode) << bytes;
}

// A row's name as GoogleTest takes it.
std::string testName(const char* text) {
    std::string name;
    for (const char* p = text; *p != '\0'; ++p) {
        name += std::isalnum(static_cast<unsigned char>(*p)) != 0 ? *p : '_';
    }
    return name;
}

// ---------------------------------------------------------------------------

enum class Kind {
    New,
    Existing,
    Folder,
    MissingFolder,
    Empty,
    ZeroByte,
#ifndef _WIN32
    Link,
    Device,
    DeviceLink,
    Fifo,
    Dangling,
    Locked,
#endif
};

struct OpenCase {
    const char* name;
    Kind kind;
    bool opens;
    bool existed;
};

void PrintTo(const OpenCase& c, std::ostream* os) {
    *os << c.name;
}

class Opening : public ::testing::TestWithParam<OpenCase> {};

TEST_P(Opening, AcceptsOnlyRegularFiles) {
    const OpenCase& c = GetParam();
    TempFolder dir;
    std::string path = dir.file("pomiary.csv");
    const std::string target = dir.file("cel.csv");
    switch (c.kind) {
    case Kind::New:
        break;
    case Kind::Existing:
        writeFile(path, "stare\r\n");
        break;
    case Kind::Folder:
        fs::create_directories(pathOf(path));
        break;
    case Kind::MissingFolder:
        path = dir.file("brak/pomiary.csv");
        break;
    case Kind::Empty:
        path.clear();
        break;
    case Kind::ZeroByte:
        // Cut at the zero byte it would name another file.
        path = target + std::string("\0.x", 3);
        break;
#ifndef _WIN32
    case Kind::Link:
        writeFile(target, "stare\r\n");
        fs::create_symlink(pathOf(target), pathOf(path));
        break;
    case Kind::Device:
        path = "/dev/null";
        break;
    case Kind::DeviceLink:
        fs::create_symlink("/dev/full", pathOf(path));
        break;
    case Kind::Fifo:
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        break;
    case Kind::Dangling:
        fs::create_symlink(pathOf(target), pathOf(path));
        break;
    case Kind::Locked:
        if (::geteuid() == 0) {
            // Root writes into any folder of a disk; /proc takes no new files.
            path = "/proc/tq820-pomiary.csv";
        } else {
            const fs::path locked = dir.path() / "zamkniety";
            fs::create_directories(locked);
            fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
            path = utf8(locked / "pomiary.csv");
        }
        break;
#endif
    }

    ReportFile file;
    EXPECT_EQ(file.open(path), c.opens);
    EXPECT_EQ(file.isOpen(), c.opens);
    if (c.opens) {
        EXPECT_EQ(file.existed(), c.existed);
        EXPECT_TRUE(file.errorText().empty());
    } else {
        EXPECT_FALSE(file.errorText().empty());
    }
    bool elsewhere = c.kind == Kind::ZeroByte;
#ifndef _WIN32
    elsewhere = elsewhere || c.kind == Kind::Dangling;
#endif
    if (elsewhere) {
        EXPECT_FALSE(fs::exists(pathOf(target))) << "nothing may be created in another place";
    }
}

const OpenCase kOpenCases[] = {
    {"new file is created", Kind::New, true, false},
    {"existing file", Kind::Existing, true, true},
    {"folder", Kind::Folder, false, false},
    {"missing folder", Kind::MissingFolder, false, false},
    {"empty name", Kind::Empty, false, false},
    {"zero byte in the name", Kind::ZeroByte, false, false},
#ifndef _WIN32
    {"link to a file", Kind::Link, true, true},
    {"device", Kind::Device, false, false},
    {"link to a device", Kind::DeviceLink, false, false},
    {"pipe", Kind::Fifo, false, false},
    {"dangling link", Kind::Dangling, false, false},
    {"folder without write access", Kind::Locked, false, false},
#endif
};

INSTANTIATE_TEST_SUITE_P(Table, Opening, ::testing::ValuesIn(kOpenCases),
                         [](const auto& info) { return testName(info.param.name); });

// ---------------------------------------------------------------------------
// Another program, the system or a full disk acts between two lines. On
// Windows the file is shared for reading only, so nobody else can change it.
#ifndef _WIN32

// A file size limit stands in for a full disk: the kernel writes what fits
// and refuses the rest.
class FileSizeLimit {
public:
    FileSizeLimit() { ::getrlimit(RLIMIT_FSIZE, &original_); }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &original_); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool limit(std::uintmax_t bytes) {
        rlimit small = original_;
        small.rlim_cur = static_cast<rlim_t>(bytes);
        return ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }

private:
    rlimit original_{};
};

enum class Outside { Emptied, Appended, SizeLimit, Deleted, FolderDeleted };

struct OutsideCase {
    const char* name;
    Outside outside;
    const char* cause;    // of the failed second line; null: it is written
    std::string expected; // the file at the end
};

void PrintTo(const OutsideCase& c, std::ostream* os) {
    *os << c.name;
}

class Outsider : public ::testing::TestWithParam<OutsideCase> {};

// First line, the outside act, a second line that is written or fails once,
// then a third line after the failure has gone: only whole lines are left,
// no hole of zero bytes, and nothing another program wrote is overwritten.
TEST_P(Outsider, LeavesWholeLinesAtTheRealEnd) {
    const OutsideCase& c = GetParam();
    TempFolder dir;
    const std::string folder = dir.file("pomiary");
    const std::string path = folder + "/pomiary.txt";
    fs::create_directories(folder);
    // The program's start-up does the same: past the limit a write fails
    // instead of ending the process.
    ignoreFileSizeSignal();
    FileSizeLimit disk;

    ReportFile file;
    ASSERT_TRUE(file.open(path));
    ASSERT_TRUE(file.writeLine("1 pierwsza\r\n"));
    switch (c.outside) {
    case Outside::Emptied:
        fs::resize_file(path, 0); // : > pomiary.txt
        break;
    case Outside::Appended:
        writeFile(path, "NOTATKA\r\n", std::ios::app); // >> pomiary.txt
        break;
    case Outside::SizeLimit:
        // Room for part of the second line and for the whole third.
        ASSERT_TRUE(disk.limit(fs::file_size(path) + 8));
        break;
    case Outside::Deleted:
        fs::remove(path);
        break;
    case Outside::FolderDeleted:
        fs::remove_all(folder);
        break;
    }

    const bool second = file.writeLine("2 druga, dluzsza\r\n");
    EXPECT_EQ(second, c.cause == nullptr);
    EXPECT_EQ(file.errorText(), c.cause == nullptr ? "" : c.cause);
    const bool gone = c.outside == Outside::Deleted || c.outside == Outside::FolderDeleted;
    EXPECT_EQ(file.nameGone(), gone);
    if (c.outside == Outside::FolderDeleted) {
        // Not before its folder is back.
        EXPECT_FALSE(file.reopen());
        EXPECT_TRUE(file.nameGone());
        fs::create_directories(folder);
    }
    if (gone) {
        ASSERT_TRUE(file.reopen());
        EXPECT_FALSE(file.existed());
    }
    EXPECT_TRUE(file.writeLine("3\r\n"));
    EXPECT_EQ(contents(path), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Outsider,
    ::testing::Values(
        OutsideCase{"emptied", Outside::Emptied, nullptr, "2 druga, dluzsza\r\n3\r\n"},
        OutsideCase{"appended", Outside::Appended, nullptr,
                    "1 pierwsza\r\nNOTATKA\r\n2 druga, dluzsza\r\n3\r\n"},
        OutsideCase{"file size limit", Outside::SizeLimit, "plik jest za duży",
                    "1 pierwsza\r\n3\r\n"},
        OutsideCase{"deleted", Outside::Deleted, "plik lub jego folder został usunięty", "3\r\n"},
        OutsideCase{"folder deleted", Outside::FolderDeleted,
                    "plik lub jego folder został usunięty", "3\r\n"}),
    [](const auto& info) { return testName(info.param.name); });

#else // _WIN32

// ---------------------------------------------------------------------------
// On Windows the open file is shared for reading only. Sharing is judged per
// handle, so a handle of this process stands for another program's.

HANDLE otherProgramOpens(const std::string& path, DWORD access, DWORD share) {
    const std::u8string text(path.begin(), path.end());
    return ::CreateFileW(fs::path(text).wstring().c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(SharedFile, OthersReadEveryFlushedLineButCannotChangeTheFile) {
    TempFolder dir;
    const std::string path = dir.file("pomiary żółć.csv");
    ReportFile file;
    ASSERT_TRUE(file.open(path));
    ASSERT_TRUE(file.writeLine("1 pierwsza\r\n"));
    EXPECT_EQ(contents(path), "1 pierwsza\r\n");

    const DWORD anyShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE writer = otherProgramOpens(path, GENERIC_WRITE, anyShare);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE)
        ::CloseHandle(writer);
    EXPECT_FALSE(::DeleteFileW(pathOf(path).wstring().c_str()));

    // The other program's reading handle does not stop the next line.
    HANDLE reader = otherProgramOpens(path, GENERIC_READ, anyShare);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(file.writeLine("2 druga\r\n"));
    char buffer[64] = {};
    DWORD read = 0;
    EXPECT_TRUE(::ReadFile(reader, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "1 pierwsza\r\n2 druga\r\n");
    ::CloseHandle(reader);

    // "Nie": the new content replaces the file, which stays open for the next line.
    ASSERT_TRUE(file.replaceContents("nowy nagłówek\r\n"));
    EXPECT_TRUE(file.writeLine("3\r\n"));
    EXPECT_EQ(contents(path), "nowy nagłówek\r\n3\r\n");
    file.close();
    EXPECT_TRUE(fs::remove(pathOf(path)));
}

TEST(SharedFile, AFileAnotherProgramHoldsDoesNotOpen) {
    TempFolder dir;
    const std::string path = dir.file("pomiary.csv");
    writeFile(path, "stare\r\n");
    // A spreadsheet holding the file it shows: written by it, read by anyone.
    HANDLE holder = otherProgramOpens(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ReportFile file;
    EXPECT_FALSE(file.open(path));
    EXPECT_EQ(file.errorText(), "plik jest używany przez inny program");
    ::CloseHandle(holder);
    EXPECT_TRUE(file.open(path));
    EXPECT_TRUE(file.existed());
    EXPECT_EQ(contents(path), "stare\r\n");
}

#endif

} // namespace
