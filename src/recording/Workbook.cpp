#include "recording/Workbook.h"

#include "recording/ReportFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <xlsxwriter.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace Workbook {

namespace {

// The program's words for a system error.
std::string describeErrno(int code) {
#ifndef _WIN32
    return describeFileError(code);
#else
    return "błąd systemu nr " + std::to_string(code);
#endif
}

std::string formatFor(const Column& c) {
    switch (c.type) {
    case ColumnType::Number:
        return c.decimals > 0 ? "0." + std::string(static_cast<std::size_t>(c.decimals), '0') : "0";
    case ColumnType::DateTime:
        return c.seconds ? "yyyy-mm-dd hh:mm:ss" : "yyyy-mm-dd hh:mm";
    case ColumnType::Text:
        break;
    }
    return {};
}

double widthFor(const Column& c) {
    const double title = static_cast<double>(c.title.size()) + 2.0; // bytes: a little generous
    switch (c.type) {
    case ColumnType::DateTime:
        return std::max(title, c.seconds ? 20.0 : 17.0);
    case ColumnType::Number:
        return std::max(title, 10.0);
    case ColumnType::Text:
        break;
    }
    return std::max(title, 20.0);
}

struct WorkbookCloser {
    void operator()(lxw_workbook* wb) const {
        if (wb != nullptr) {
            workbook_close(wb);
        }
    }
};

// A name beside `path` that nothing else uses, created empty so that no other
// program can take it; empty on failure with errno set.
std::string makeTemporaryBeside(const std::string& path) {
#ifndef _WIN32
    const std::filesystem::path p(path);
    std::string pattern = (p.parent_path() / ("." + p.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return {};
    }
    ::close(fd);
    return pattern;
#else
    return path + ".tmp";
#endif
}

// Flushes the finished file to the disk and gives it the permissions the old
// file had, or those of a new file.
bool settle(const std::string& temporary, const std::string& path, int& error) {
#ifndef _WIN32
    const int fd = ::open(temporary.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    struct stat old {};
    mode_t mode = 0;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const bool ok = ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    error = ok ? 0 : errno;
    ::close(fd);
    return ok;
#else
    (void)temporary;
    (void)path;
    error = 0;
    return true;
#endif
}

} // namespace

std::string write(const Sheet& sheet, const std::string& path) {
    if (path.empty()) {
        return describeErrno(ENOENT);
    }
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return describeErrno(EISDIR);
    }
    const std::string temporary = makeTemporaryBeside(path);
    if (temporary.empty()) {
        return describeErrno(errno);
    }
    const auto discard = [&temporary] {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    };

    lxw_error result = LXW_NO_ERROR;
    {
        errno = 0;
        std::unique_ptr<lxw_workbook, WorkbookCloser> workbook(workbook_new(temporary.c_str()));
        if (!workbook) {
            const int error = errno;
            discard();
            return describeErrno(error != 0 ? error : ENOMEM);
        }
        lxw_worksheet* worksheet = workbook_add_worksheet(workbook.get(), sheet.name.c_str());
        if (worksheet == nullptr) {
            discard();
            return "nie można utworzyć arkusza";
        }
        lxw_format* bold = workbook_add_format(workbook.get());
        format_set_bold(bold);
        std::vector<lxw_format*> formats;
        for (std::size_t c = 0; c < sheet.columns.size(); ++c) {
            const Column& column = sheet.columns[c];
            lxw_format* format = nullptr;
            const std::string numberFormat = formatFor(column);
            if (!numberFormat.empty()) {
                format = workbook_add_format(workbook.get());
                format_set_num_format(format, numberFormat.c_str());
            }
            formats.push_back(format);
            const auto col = static_cast<lxw_col_t>(c);
            worksheet_set_column(worksheet, col, col, widthFor(column), format);
            worksheet_write_string(worksheet, 0, col, column.title.c_str(), bold);
        }
        worksheet_freeze_panes(worksheet, 1, 0);
        for (std::size_t r = 0; r < sheet.rows.size() && result == LXW_NO_ERROR; ++r) {
            const auto row = static_cast<lxw_row_t>(r + 1);
            const auto& cells = sheet.rows[r];
            for (std::size_t c = 0; c < cells.size() && c < formats.size(); ++c) {
                const auto col = static_cast<lxw_col_t>(c);
                if (const auto* number = std::get_if<double>(&cells[c])) {
                    result = worksheet_write_number(worksheet, row, col, *number, formats[c]);
                } else if (const auto* time = std::get_if<DateTimeRecord>(&cells[c])) {
                    lxw_datetime dt{time->year, time->month,  time->day,
                                    time->hour, time->minute, static_cast<double>(time->second)};
                    result = worksheet_write_datetime(worksheet, row, col, &dt, formats[c]);
                } else if (const auto* text = std::get_if<std::string>(&cells[c])) {
                    result = worksheet_write_string(worksheet, row, col, text->c_str(), nullptr);
                }
                if (result != LXW_NO_ERROR) {
                    break;
                }
            }
        }
        if (result != LXW_NO_ERROR) {
            discard();
            return std::string("błąd arkusza: ") + lxw_strerror(result);
        }
        errno = 0;
        result = workbook_close(workbook.release());
    }
    if (result != LXW_NO_ERROR) {
        const int error = errno;
        discard();
        return error != 0 ? describeErrno(error)
                          : std::string("błąd zapisu arkusza: ") + lxw_strerror(result);
    }
    int error = 0;
    if (!settle(temporary, path, error)) {
        discard();
        return describeErrno(error);
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        discard();
        return describeErrno(ec.value());
    }
    return {};
}

} // namespace Workbook
