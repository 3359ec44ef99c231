#pragma once

#include <QString>
#include <cstdint>
#include <string_view>

// A recording or export file: opened for reading and writing while other
// programs may read it, created when missing. Every line goes out in one
// write and is then flushed to the disk, and a line that cannot be written
// whole is cut off again, so a crash, a kill or a full disk never leaves half
// a line behind.
class ReportFile {
public:
    ReportFile() = default;
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Opens `path`, creating it when it does not exist. Only a regular file is
    // accepted: a folder, a device, a pipe or a dangling link fails. Closes a
    // file opened before.
    bool open(const QString& path);
    bool isOpen() const;
    // The file was there before open() (the caller asks whether to append).
    bool existed() const { return existedBefore; }
    const QString& path() const { return filePath; }

    // Moves the write position to the end (append) or empties the file.
    bool seekToEnd();
    bool truncate();

    // Writes the bytes with one write and flushes them to the disk. On a
    // failure nothing of them stays in the file.
    bool writeLine(std::string_view bytes);

    void close();

    // The cause of the last failure, in Polish ("brak miejsca na dysku").
    const QString& errorText() const { return lastError; }

private:
    void fail(int code);

#ifdef _WIN32
    void* handle = nullptr;
#else
    int fd = -1;
#endif
    bool existedBefore = false;
    QString filePath;
    QString lastError;
};
