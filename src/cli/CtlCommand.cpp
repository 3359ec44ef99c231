#include "cli/CtlCommand.h"

#include "recording/RecordingRules.h"
#include "recording/RecordingSettings.h"
#include "recording/ReportFileName.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <functional>
#include <map>

namespace {

using Verbs = std::vector<CtlVerb>;

constexpr const char* kMaxWindLayouts =
    "Zapis maksymalnej prędkości wiatru (--max-wind on) jest możliwy tylko w układach thw, pw "
    "i w.";

// The option names, with the subcommands each belongs to.
struct OptionRule {
    CtlOption option;
    Verbs verbs; // empty: every subcommand
};

const std::vector<OptionRule>& optionRules() {
    using V = CtlVerb;
    static const std::vector<OptionRule> rules{
        {{{"help", "h"}, ""}, {}},
        {{{"version"}, ""}, {}},
        {{{"port"}, "COMn"}, {}},
        {{{"json"}, ""}, {V::Info, V::Watch}},
        {{{"count"}, "N"}, {V::Watch}},
        {{{"output", "o"}, "PLIK"}, {V::Download}},
        {{{"format"}, "FORMAT"}, {V::Download, V::Record}},
        {{{"append"}, ""}, {V::Download}},
        {{{"set-now"}, ""}, {V::Clock}},
        {{{"set"}, "DATA"}, {V::Clock}},
        {{{"interval"}, "INTERWAŁ"}, {V::Settings, V::Record}},
        {{{"memory"}, "on|off"}, {V::Settings}},
        {{{"layout"}, "UKŁAD"}, {V::Settings}},
        {{{"max-wind"}, "on|off"}, {V::Settings}},
        {{{"reset"}, ""}, {V::Clock, V::Settings, V::Erase}},
        {{{"yes"}, ""}, {V::Erase}},
        {{{"file"}, "PLIK"}, {V::Record}},
        {{{"columns"}, "LISTA"}, {V::Record}},
    };
    return rules;
}

const std::array<std::pair<const char*, CtlVerb>, 9> kVerbs{{
    {"info", CtlVerb::Info},
    {"watch", CtlVerb::Watch},
    {"download", CtlVerb::Download},
    {"clock", CtlVerb::Clock},
    {"settings", CtlVerb::Settings},
    {"power-saving", CtlVerb::PowerSaving},
    {"erase", CtlVerb::Erase},
    {"reset", CtlVerb::Reset},
    {"record", CtlVerb::Record},
}};

// The layouts of "Ustawienia rejestracji" in the dialog's order, named by
// the quantities they hold: t temperature, h humidity, p pressure, w wind
// direction and speed.
constexpr std::array<const char*, RecordingSettings::kLayoutCount> kLayoutNames{
    "thpw", "thw", "pw", "thp", "th", "p", "w"};

const std::array<std::pair<const char*, bool RecordColumns::*>, 5> kColumnNames{{
    {"temperature", &RecordColumns::temperature},
    {"pressure", &RecordColumns::pressure},
    {"humidity", &RecordColumns::humidity},
    {"speed", &RecordColumns::speed},
    {"direction", &RecordColumns::direction},
}};

std::string badValue(const std::string& option, const std::string& value,
                     const std::string& allowed) {
    std::string text = "Nieprawidłowa wartość opcji --" + option + ": „" + value + "”.";
    if (!allowed.empty()) {
        text += " Dozwolone: " + allowed + ".";
    }
    return text;
}

std::optional<bool> onOff(const std::string& value) {
    if (value == "on") {
        return true;
    }
    if (value == "off") {
        return false;
    }
    return std::nullopt;
}

// A whole decimal number, nothing around it.
std::optional<long long> wholeNumber(std::string_view text) {
    long long value = 0;
    if (text.empty() || text.front() == '+' || text.front() == '-') {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Fields of exactly the given widths separated by the given characters.
std::optional<std::vector<int>> fixedFields(std::string_view text, std::string_view shape) {
    if (text.size() != shape.size()) {
        return std::nullopt;
    }
    std::vector<int> fields;
    int current = -1;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == '9') {
            if (text[i] < '0' || text[i] > '9') {
                return std::nullopt;
            }
            current = (current < 0 ? 0 : current * 10) + (text[i] - '0');
            continue;
        }
        if (text[i] != shape[i]) {
            return std::nullopt;
        }
        fields.push_back(current);
        current = -1;
    }
    fields.push_back(current);
    return fields;
}

// The format a file name asks for when --format is not given: a name ending
// in csv is a list, one ending in xlsx a workbook, any other text.
ExportFormat formatOfName(const std::string& name) {
    // As the file chooser's rule: all lower case or all upper case.
    if (name.ends_with("xlsx") || name.ends_with("XLSX")) {
        return ExportFormat::Xlsx;
    }
    return applyReportFileRules(name, ReportFilter::Text, false).csv ? ExportFormat::Csv
                                                                     : ExportFormat::Text;
}

} // namespace

const std::vector<CtlOption>& ctlOptions() {
    static const std::vector<CtlOption> options = [] {
        std::vector<CtlOption> list;
        for (const OptionRule& rule : optionRules()) {
            list.push_back(rule.option);
        }
        return list;
    }();
    return options;
}

std::optional<DateTimeRecord> parseDateTime(std::string_view text) {
    const auto f = fixedFields(text, "9999-99-99 99:99:99");
    if (!f) {
        return std::nullopt;
    }
    const int year = (*f)[0], month = (*f)[1], day = (*f)[2];
    const int hour = (*f)[3], minute = (*f)[4], second = (*f)[5];
    if (year < 1 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 ||
        second > 59) {
        return std::nullopt;
    }
    return DateTimeRecord::of(year, month, day, hour, minute, second);
}

std::optional<int> parseIntervalTime(std::string_view text) {
    const auto f = fixedFields(text, "99:99:99");
    if (!f || (*f)[0] > 23 || (*f)[1] > 59 || (*f)[2] > 59) {
        return std::nullopt;
    }
    return RecordingRules::timeToInterval({(*f)[0], (*f)[1], (*f)[2]});
}

std::variant<CtlCommand, UsageError> interpretArguments(const CtlArguments& arguments) {
    CtlCommand command;
    std::map<std::string, std::string> given;
    for (const auto& [name, value] : arguments.options) {
        if (name == "help") {
            return CtlCommand{};
        }
        if (name == "version") {
            command.verb = CtlVerb::Version;
            return command;
        }
        if (given.count(name) != 0) {
            return UsageError{"Opcja --" + name + " została podana więcej niż raz."};
        }
        given[name] = value;
    }
    if (arguments.positionals.empty()) {
        return UsageError{"Brak polecenia."};
    }
    const std::string& verbWord = arguments.positionals.front();
    const auto verb = std::find_if(kVerbs.begin(), kVerbs.end(),
                                   [&verbWord](const auto& v) { return verbWord == v.first; });
    if (verb == kVerbs.end()) {
        return UsageError{"Nieznane polecenie: „" + verbWord + "”."};
    }
    command.verb = verb->second;

    for (const auto& [name, value] : given) {
        const auto rule = std::find_if(
            optionRules().begin(), optionRules().end(),
            [&name = name](const OptionRule& r) { return r.option.names.front() == name; });
        if (rule == optionRules().end()) {
            return UsageError{"Nieznana opcja: --" + name + "."};
        }
        if (!rule->verbs.empty() &&
            std::find(rule->verbs.begin(), rule->verbs.end(), command.verb) == rule->verbs.end()) {
            return UsageError{"Opcja --" + name + " nie dotyczy polecenia " + verbWord + "."};
        }
    }
    const auto has = [&given](const char* name) { return given.count(name) != 0; };

    // Words after the subcommand: only power-saving takes one.
    const std::size_t allowed = command.verb == CtlVerb::PowerSaving ? 2 : 1;
    if (arguments.positionals.size() > allowed) {
        return UsageError{"Zbędny argument: „" + arguments.positionals[allowed] + "”."};
    }
    if (arguments.positionals.size() == 2) {
        command.powerSaving = onOff(arguments.positionals[1]);
        if (!command.powerSaving) {
            return UsageError{"Nieprawidłowy stan trybu oszczędzania energii: „" +
                              arguments.positionals[1] + "”. Dozwolone: on, off."};
        }
    }

    if (has("port")) {
        std::string_view text = given["port"];
        if (text.size() > 3 && (text.substr(0, 3) == "COM" || text.substr(0, 3) == "com")) {
            text.remove_prefix(3);
        }
        const auto n = wholeNumber(text);
        if (!n || *n < 1 || *n > 1024) {
            return UsageError{badValue("port", given["port"], "COM1 do COM1024")};
        }
        command.port = static_cast<int>(*n);
    }
    command.json = has("json");
    command.resetAfter = has("reset");

    switch (command.verb) {
    case CtlVerb::Watch:
        if (has("count")) {
            const auto n = wholeNumber(given["count"]);
            if (!n || *n < 1) {
                return UsageError{badValue("count", given["count"], "liczba odczytów od 1")};
            }
            command.count = *n;
        }
        break;
    case CtlVerb::Download: {
        command.output = has("output") ? given["output"] : std::string();
        if (has("output") && command.output.empty()) {
            return UsageError{"Opcja --output wymaga nazwy pliku."};
        }
        if (has("format")) {
            const std::string& f = given["format"];
            if (f == "text") {
                command.format = ExportFormat::Text;
            } else if (f == "csv") {
                command.format = ExportFormat::Csv;
            } else if (f == "xlsx") {
                command.format = ExportFormat::Xlsx;
            } else {
                return UsageError{badValue("format", f, "text, csv, xlsx")};
            }
        } else {
            command.format = formatOfName(command.output);
        }
        command.append = has("append");
        if (command.format == ExportFormat::Xlsx && command.output.empty()) {
            return UsageError{"Arkusz (xlsx) wymaga pliku: podaj -o PLIK."};
        }
        if (command.append && (command.output.empty() || command.format == ExportFormat::Xlsx)) {
            return UsageError{"Opcja --append dotyczy tylko pliku tekstowego albo CSV (-o PLIK)."};
        }
        break;
    }
    case CtlVerb::Clock:
        if (has("set-now") && has("set")) {
            return UsageError{"Podaj --set albo --set-now, nie obie."};
        }
        command.setClock = has("set-now") || has("set");
        if (has("set")) {
            command.clockTime = parseDateTime(given["set"]);
            if (!command.clockTime) {
                return UsageError{badValue("set", given["set"], "data i czas RRRR-MM-DD GG:MM:SS")};
            }
        }
        if (has("reset") && !command.setClock) {
            return UsageError{"Opcja --reset dotyczy tylko ustawiania zegara (--set, --set-now)."};
        }
        break;
    case CtlVerb::Settings:
        if (has("memory")) {
            command.memory = onOff(given["memory"]);
            if (!command.memory) {
                return UsageError{badValue("memory", given["memory"], "on, off")};
            }
        }
        if (has("interval")) {
            const auto n = wholeNumber(given["interval"]);
            if (!n) {
                return UsageError{badValue("interval", given["interval"], "liczba minut")};
            }
            if (!RecordingSettings::intervalInRange(static_cast<int>(std::min(*n, 1000LL)))) {
                return UsageError{RecordingSettings::kIntervalOutOfRange};
            }
            if (command.memory == false) {
                return UsageError{
                    "Opcja --interval wymaga zapisu do pamięci (nie z --memory off)."};
            }
            command.intervalMinutes = static_cast<int>(*n);
        }
        if (has("layout")) {
            const auto layout = std::find(kLayoutNames.begin(), kLayoutNames.end(),
                                          std::string_view(given["layout"]));
            if (layout == kLayoutNames.end()) {
                return UsageError{
                    badValue("layout", given["layout"], "thpw, thw, pw, thp, th, p, w")};
            }
            command.layout = static_cast<int>(layout - kLayoutNames.begin());
        }
        if (has("max-wind")) {
            command.maxWind = onOff(given["max-wind"]);
            if (!command.maxWind) {
                return UsageError{badValue("max-wind", given["max-wind"], "on, off")};
            }
            if (*command.maxWind && command.layout &&
                !RecordingSettings::layoutChoices()[static_cast<std::size_t>(*command.layout)]
                     .windLayout) {
                return UsageError{kMaxWindLayouts};
            }
        }
        if (has("reset") && !has("memory") && !has("interval") && !has("layout") &&
            !has("max-wind")) {
            return UsageError{"Opcja --reset dotyczy tylko zmiany ustawień."};
        }
        break;
    case CtlVerb::Erase:
        if (!has("yes")) {
            return UsageError{"Usunięcie zawartości pamięci wymaga potwierdzenia: podaj --yes."};
        }
        command.yes = true;
        break;
    case CtlVerb::Record: {
        if (!has("file") || given["file"].empty()) {
            return UsageError{"Polecenie record wymaga pliku: podaj --file PLIK."};
        }
        command.file = given["file"];
        if (has("format")) {
            const std::string& f = given["format"];
            if (f != "text" && f != "csv") {
                return UsageError{badValue("format", f, "text, csv")};
            }
            command.format = f == "csv" ? ExportFormat::Csv : ExportFormat::Text;
        } else {
            command.format = formatOfName(command.file) == ExportFormat::Csv ? ExportFormat::Csv
                                                                             : ExportFormat::Text;
        }
        if (has("interval")) {
            const auto seconds = parseIntervalTime(given["interval"]);
            if (!seconds) {
                return UsageError{badValue("interval", given["interval"], "czas GG:MM:SS")};
            }
            command.intervalSeconds = *seconds;
        }
        if (has("columns")) {
            command.columns = RecordColumns{false, false, false, false, false};
            std::string_view list = given["columns"];
            while (!list.empty()) {
                const std::size_t comma = list.find(',');
                const std::string_view word = list.substr(0, comma);
                const auto column = std::find_if(kColumnNames.begin(), kColumnNames.end(),
                                                 [word](const auto& c) { return word == c.first; });
                if (column == kColumnNames.end()) {
                    return UsageError{
                        badValue("columns", given["columns"],
                                 "temperature, pressure, humidity, speed, direction, rozdzielone "
                                 "przecinkami")};
                }
                command.columns.*(column->second) = true;
                list =
                    comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
            }
            if (!command.columns.any()) {
                return UsageError{RecordingRules::kNoColumnChosen};
            }
        }
        break;
    }
    default:
        break;
    }
    return command;
}

const char* layoutName(int layout) {
    return layout >= 0 && layout < RecordingSettings::kLayoutCount
               ? kLayoutNames[static_cast<std::size_t>(layout)]
               : "";
}

bool changesSettings(const CtlCommand& c) {
    return c.memory || c.intervalMinutes || c.layout || c.maxWind;
}

std::variant<SettingsWrite, UsageError> settingsWrite(const CtlCommand& c, int panelInterval,
                                                      int panelConfigByte) {
    namespace RS = RecordingSettings;
    const RS::ConfigView view = RS::viewOfConfigByte(panelConfigByte);
    const bool on = c.memory.value_or(c.intervalMinutes || panelInterval > 0);
    SettingsWrite write;
    if (on) {
        write.intervalMinutes = c.intervalMinutes.value_or(panelInterval);
        if (!RS::intervalInRange(write.intervalMinutes)) {
            return UsageError{std::string(RS::kIntervalOutOfRange) + "\nPodaj --interval MINUTY."};
        }
    }
    const std::optional<int> layout = c.layout ? c.layout : view.layout;
    if (!layout) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", panelConfigByte & 0xFF);
        return UsageError{std::string("Panel ma nieznany układ zapisu (bajt ") + byte +
                          "): podaj --layout."};
    }
    const bool windLayout = RS::layoutChoices()[static_cast<std::size_t>(*layout)].windLayout;
    // The box keeps its tick when another layout is chosen; it counts only
    // for the layouts that take it.
    const bool maxWind = c.maxWind.value_or(view.maxWind);
    if (c.maxWind == true && !windLayout) {
        return UsageError{kMaxWindLayouts};
    }
    write.configByte = RS::configByteOf(layout, windLayout, maxWind);
    return write;
}

std::string ctlUsageHint() {
    return "Pomoc: tq820ctl --help";
}

std::string ctlHelpText() {
    return R"(Użycie: tq820ctl POLECENIE [OPCJE]

Panel pogodowy TQ-820 z terminala, ze skryptu albo z usługi systemowej, bez
okna. Port nazywa się tak jak w programie TQ820 (COMn); bez --port tq820ctl
używa portu zapisanego w ustawieniach programu TQ820 (nigdy ich nie zmienia).

Polecenia:
  info [--json]
      Informacje o panelu: wersja, rejestracja w pamięci, czujniki z numerami
      seryjnymi, uwagi.
  watch [--json] [--count N]
      Wiersz na każdy odczyt, gdy tylko nadejdzie, i wiersz na każdą zmianę
      stanu połączenia. --json: jeden obiekt JSON w wierszu, nieznane wartości
      jako null. --count N: koniec po N odczytach.
  download [-o PLIK] [--format text|csv|xlsx] [--append]
      Odczyt pamięci panelu. Plik tekstowy i CSV ma te same bajty co „Zapisz
      jako”, arkusz xlsx te same kolumny co lista „Pamięć”. Bez -o układ
      tekstowy trafia na standardowe wyjście. Istniejący PLIK jest zastępowany
      całością dopiero po udanym zapisie; --append dopisuje do niego (text, csv).
  clock [--set-now | --set "RRRR-MM-DD GG:MM:SS"] [--reset]
      Pokazuje zegar panelu albo go ustawia (panel przyjmuje dzień, miesiąc
      i czas, bez roku).
  settings [--memory on|off] [--interval MINUTY] [--layout UKŁAD]
           [--max-wind on|off] [--reset]
      Pokazuje albo zmienia ustawienia rejestracji w pamięci panelu. MINUTY: od
      1 do 239. UKŁAD: thpw, thw, pw, thp, th, p, w (t temperatura,
      h wilgotność, p ciśnienie, w kierunek i prędkość wiatru). --max-wind
      dotyczy układów thw, pw i w.
  power-saving [on|off]
      Pokazuje albo przełącza tryb oszczędzania energii.
  erase --yes [--reset]
      Usuwa zawartość pamięci panelu.
  reset
      Resetuje panel.
  record --file PLIK [--format text|csv] [--interval GG:MM:SS] [--columns LISTA]
      Rejestruje odczyty do pliku tak jak program TQ820, wiersz co interwał
      (domyślnie 00:00:01), aż do sygnału SIGINT albo SIGTERM. Istniejący plik
      jest uzupełniany, pierwszy wiersz to nagłówek. LISTA: temperature,
      pressure, humidity, speed, direction, rozdzielone przecinkami (domyślnie
      wszystkie).

Opcje:
  --port COMn   port panelu
  --reset       po ustawieniu zegara, zmianie ustawień albo usunięciu pamięci
                resetuje panel (odpowiedź Tak na pytanie o reset); bez niej
                panel nie jest resetowany, a rejestracja w pamięci czeka na reset
  -h, --help    ten tekst
  --version     wersja programu

Format pliku bez --format wynika z nazwy: .csv to lista rozdzielana, .xlsx
arkusz, każda inna nazwa układ tekstowy.

Kody wyjścia:
  0  gotowe
  1  panel odmówił (odczyt pamięci wymaga wersji 2.01 lub nowszej)
  2  błędne wywołanie: nieznana opcja, wartość spoza zakresu
  3  nie można otworzyć portu albo port zajmuje inny program
  4  panel nie odpowiada albo nie potwierdził zapisu
  5  nie można zapisać pliku
)";
}
