#pragma once

#include "protocol/DateTimeRecord.h"
#include "recording/RecordColumns.h"

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// What tq820ctl is asked to do: the subcommand with its options, checked
// before anything is sent to the panel. The words are English, as terminal
// tools' are; every message is Polish.

// The process's exit codes, as --help and the manual page list them.
enum class ExitCode : int {
    Done = 0,
    Failed = 1,      // the panel refused (firmware too old for a download)
    Usage = 2,       // an unknown option, a value out of range
    Port = 3,        // the port cannot be opened or another program holds it
    PanelSilent = 4, // the panel does not answer, or did not acknowledge a write
    File = 5,        // the file cannot be written
};

enum class CtlVerb {
    Help,
    Version,
    Info,
    Watch,
    Download,
    Clock,
    Settings,
    PowerSaving,
    Erase,
    Reset,
    Record
};

enum class ExportFormat { Text, Csv, Xlsx };

struct CtlCommand {
    CtlVerb verb = CtlVerb::Help;
    int port = 0; // --port; 0: the port the window program has stored

    bool json = false;                        // info, watch
    long long count = 0;                      // watch: readings before the end; 0: until stopped
    std::string output;                       // download: the file, empty for standard output
    ExportFormat format = ExportFormat::Text; // download, record (text or csv)
    bool append = false; // download: add to an existing file instead of replacing it

    bool setClock = false;                   // clock --set or --set-now
    std::optional<DateTimeRecord> clockTime; // clock --set; none with --set-now

    std::optional<int> intervalMinutes; // settings --interval
    std::optional<bool> memory;         // settings --memory
    std::optional<int> layout;          // settings --layout: index into layoutChoices()
    std::optional<bool> maxWind;        // settings --max-wind
    bool resetAfter = false;            // clock, settings, erase: Tak to the offered reset

    std::optional<bool> powerSaving; // power-saving on|off
    bool yes = false;                // erase --yes

    std::string file;        // record --file
    int intervalSeconds = 1; // record --interval
    RecordColumns columns;   // record --columns
};

// The command line as the option parser split it: the words that are not
// options, and each option given with its value ("" for a switch), in order.
// Options are named by their long names.
struct CtlArguments {
    std::vector<std::string> positionals;
    std::vector<std::pair<std::string, std::string>> options;
};

// One option the parser knows.
struct CtlOption {
    std::vector<std::string> names; // long name first, then a one-letter name if any
    std::string valueName;          // empty for a switch
};
const std::vector<CtlOption>& ctlOptions();

struct UsageError {
    std::string message; // Polish, one or more lines
};

// The command, or what is wrong with the command line.
std::variant<CtlCommand, UsageError> interpretArguments(const CtlArguments& arguments);

// What settings writes to the panel: the interval (address 0) and the
// configuration byte (address 1).
struct SettingsWrite {
    int intervalMinutes = 0;
    int configByte = 0;
    friend bool operator==(const SettingsWrite&, const SettingsWrite&) = default;
};

// The name --layout gives a layout of "Ustawienia rejestracji" (an index
// into layoutChoices()): "thpw", "thw", "pw", "thp", "th", "p" or "w".
const char* layoutName(int layout);

// The command changes the panel's recording settings (rather than show them).
bool changesSettings(const CtlCommand& command);

// The settings the command writes over those read from the panel, by the
// dialog's rules: what the command leaves out stays as the panel has it; a
// panel that records nothing needs --interval to start; a configuration byte
// that is none of the layouts needs --layout.
std::variant<SettingsWrite, UsageError> settingsWrite(const CtlCommand& command, int panelInterval,
                                                      int panelConfigByte);

// The --help text, and the hint that follows a usage error.
std::string ctlHelpText();
std::string ctlUsageHint();

// The value of a clock --set option, "YYYY-MM-DD HH:MM:SS", as a real date
// and time; none otherwise.
std::optional<DateTimeRecord> parseDateTime(std::string_view text);

// "HH:MM:SS" (hours 0..23) as seconds; 00:00:00 counts as one second, as in
// the recording dialog. None for anything else.
std::optional<int> parseIntervalTime(std::string_view text);
