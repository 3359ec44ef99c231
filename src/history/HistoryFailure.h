#pragma once

#include <string>
#include <string_view>

// Why the history failed, and what the user is told (once per streak of
// failures: a failure that repeats every second is one message).
enum class HistoryFailureKind {
    Open,    // the file cannot be created or opened
    Locked,  // another running copy of the program keeps its history there
    Write,   // a write failed (disk full, read-only, locked by another program)
    Damaged, // the file was damaged; it was put aside and a new one started
};

// The cause of an SQLite failure in Polish, from its primary result code;
// `driverText` is used when the code says nothing a user could act on.
std::string historyFailureCause(int sqliteCode, std::string_view driverText);

// The whole message. `path` is the history file, `detail` the cause (Open,
// Write), the other copy's process (Locked) or where the damaged file now
// lies (Damaged).
std::string historyFailureMessage(HistoryFailureKind kind, std::string_view path,
                                  std::string_view detail);

// A failure is reported when it begins a streak; a success ends the streak.
class FailureStreak {
public:
    // True when this failure begins a streak (tell the user).
    bool fail() {
        const bool first = !failing_;
        failing_ = true;
        return first;
    }
    void succeed() { failing_ = false; }
    bool failing() const { return failing_; }

private:
    bool failing_ = false;
};
