#pragma once

#include <string>
#include <string_view>

#ifndef _WIN32
// Why a file operation failed, in Polish ("brak miejsca na dysku"), from the
// system's error number.
std::string describeFileError(int code);
#endif

// A recording or export file: opened for reading and writing while other
// programs may read it, created when missing. Every line goes at the file's
// real end in one write and is then flushed to the disk, and a line that
// cannot be written whole is cut off again, so a crash, a kill, a full disk or
// another program that empties or appends to the file never leaves half a
// line or a hole behind. Paths and error texts are UTF-8.
class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Opens `path`, creating it when it does not exist. Only a regular file is
    // accepted: a folder, a device, a pipe or a dangling link fails. Closes a
    // file opened before.
    bool open(const std::string& path);
    bool isOpen() const;
    // The file was there before open() (the caller asks whether to append).
    bool existed() const { return existedBefore_; }
    const std::string& path() const { return path_; }

    // Empties the file.
    bool truncate();

    // Appends the bytes with one write and flushes them to the disk. On a
    // failure nothing of them stays in the file. A file that has lost its
    // name (deleted, or its folder was) takes no line: that is a failure too.
    bool writeLine(std::string_view bytes);

    // A write found the file deleted, and it has not been opened again since.
    bool nameGone() const { return nameGone_; }
    // Opens the same name again, created when missing (not while its folder
    // is missing).
    bool reopen();

    // Replaces the whole content by `bytes`: they go to a temporary file
    // beside it, which is flushed and renamed over the file with its
    // permissions. On a failure the file is as it was. The file stays open,
    // now on the new content.
    bool replaceContents(std::string_view bytes);

    void close();

    // The cause of the last failure, in Polish ("brak miejsca na dysku").
    const std::string& errorText() const { return errorText_; }

private:
    void fail(int code);

#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    bool existedBefore_ = false;
    bool nameGone_ = false;
    std::string path_;
    std::string errorText_;
};
