#pragma once

// Helpers of the tests that write report files: read and write a whole file,
// split it into its CR LF lines, and a full disk to write into.

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <csignal>

#ifndef _WIN32
#include <sys/resource.h>
#endif

inline QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The lines, each with its CR LF; a trailing piece without one is the last.
inline QList<QByteArray> linesOf(const QByteArray& bytes) {
    QList<QByteArray> lines;
    for (qsizetype start = 0, end = 0; start < bytes.size(); start = end) {
        end = bytes.indexOf("\r\n", start);
        end = end < 0 ? bytes.size() : end + 2;
        lines << bytes.mid(start, end - start);
    }
    return lines;
}

#ifndef _WIN32
// A file size limit stands in for a full disk: the kernel writes what fits
// and refuses the rest. The limit holds from limit() to lift() or the end of
// the scope.
class FileSizeLimit {
public:
    FileSizeLimit() {
        ::getrlimit(RLIMIT_FSIZE, &original);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        lift();
        std::signal(SIGXFSZ, oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool limit(qint64 bytes) {
        rlimit small = original;
        small.rlim_cur = static_cast<rlim_t>(bytes);
        return ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    void lift() { ::setrlimit(RLIMIT_FSIZE, &original); }

private:
    rlimit original{};
    void (*oldHandler)(int) = nullptr;
};
#endif
