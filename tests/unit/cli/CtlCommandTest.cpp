#include "cli/CtlCommand.h"

#include <gtest/gtest.h>
#include <string>
#include <variant>
#include <vector>

namespace {

using Options = std::vector<std::pair<std::string, std::string>>;

std::variant<CtlCommand, UsageError> interpret(std::vector<std::string> words, Options options) {
    return interpretArguments({std::move(words), std::move(options)});
}

std::string errorOf(const std::variant<CtlCommand, UsageError>& result) {
    const auto* error = std::get_if<UsageError>(&result);
    return error != nullptr ? error->message : std::string();
}

// Command lines that must be refused before the port is opened, with the
// message that says why.
struct Refused {
    const char* name;
    std::vector<std::string> words;
    Options options;
    std::string message;
};

class RefusedCommandLines : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedCommandLines, SayWhy) {
    EXPECT_EQ(errorOf(interpret(GetParam().words, GetParam().options)), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Usage, RefusedCommandLines,
    ::testing::Values(
        Refused{"NoCommand", {}, {}, "Brak polecenia."},
        Refused{"UnknownCommand", {"status"}, {}, "Nieznane polecenie: „status”."},
        Refused{"OptionOfAnother",
                {"info"},
                {{"count", "3"}},
                "Opcja --count nie dotyczy polecenia info."},
        Refused{"Twice",
                {"info"},
                {{"port", "COM1"}, {"port", "COM2"}},
                "Opcja --port została podana więcej niż raz."},
        Refused{"StrayWord", {"reset", "now"}, {}, "Zbędny argument: „now”."},
        Refused{"PortOutOfRange",
                {"info"},
                {{"port", "COM1025"}},
                "Nieprawidłowa wartość opcji --port: „COM1025”. Dozwolone: COM1 do COM1024."},
        Refused{"CountZero",
                {"watch"},
                {{"count", "0"}},
                "Nieprawidłowa wartość opcji --count: „0”. Dozwolone: liczba odczytów od 1."},
        Refused{"IntervalAbove239",
                {"settings"},
                {{"interval", "240"}},
                "Interwał powinien zawierać się w przedziale od 1 do 239 minut."},
        Refused{"IntervalZero",
                {"settings"},
                {{"interval", "0"}},
                "Interwał powinien zawierać się w przedziale od 1 do 239 minut."},
        Refused{"IntervalWithMemoryOff",
                {"settings"},
                {{"memory", "off"}, {"interval", "5"}},
                "Opcja --interval wymaga zapisu do pamięci (nie z --memory off)."},
        Refused{"MaxWindWithoutWind",
                {"settings"},
                {{"layout", "thpw"}, {"max-wind", "on"}},
                "Zapis maksymalnej prędkości wiatru (--max-wind on) jest możliwy tylko w "
                "układach thw, pw i w."},
        Refused{"UnknownLayout",
                {"settings"},
                {{"layout", "tp"}},
                "Nieprawidłowa wartość opcji --layout: „tp”. Dozwolone: thpw, thw, pw, thp, th, "
                "p, w."},
        Refused{"EraseWithoutYes",
                {"erase"},
                {},
                "Usunięcie zawartości pamięci wymaga potwierdzenia: podaj --yes."},
        Refused{"PowerSavingWord",
                {"power-saving", "yes"},
                {},
                "Nieprawidłowy stan trybu oszczędzania energii: „yes”. Dozwolone: on, off."},
        Refused{"ClockBothWays",
                {"clock"},
                {{"set-now", ""}, {"set", "2026-01-01 00:00:00"}},
                "Podaj --set albo --set-now, nie obie."},
        Refused{"ClockNoSuchDay",
                {"clock"},
                {{"set", "2026-02-29 12:00:00"}},
                "Nieprawidłowa wartość opcji --set: „2026-02-29 12:00:00”. Dozwolone: data i czas "
                "RRRR-MM-DD GG:MM:SS."},
        Refused{"WorkbookToTerminal",
                {"download"},
                {{"format", "xlsx"}},
                "Arkusz (xlsx) wymaga pliku: podaj -o PLIK."},
        Refused{"AppendToWorkbook",
                {"download"},
                {{"output", "a.xlsx"}, {"append", ""}},
                "Opcja --append dotyczy tylko pliku tekstowego albo CSV (-o PLIK)."},
        Refused{"RecordWithoutFile",
                {"record"},
                {},
                "Polecenie record wymaga pliku: podaj --file PLIK."},
        Refused{"RecordBadInterval",
                {"record"},
                {{"file", "a.txt"}, {"interval", "24:00:00"}},
                "Nieprawidłowa wartość opcji --interval: „24:00:00”. Dozwolone: czas "
                "GG:MM:SS."},
        Refused{"RecordUnknownColumn",
                {"record"},
                {{"file", "a"}, {"columns", "temperature,rain"}},
                "Nieprawidłowa wartość opcji --columns: „temperature,rain”. Dozwolone: "
                "temperature, pressure, humidity, speed, direction, rozdzielone przecinkami."},
        Refused{"RecordNoColumn",
                {"record"},
                {{"file", "a"}, {"columns", ""}},
                "Wybierz przynajmniej jedną wielkość do zapisu"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CtlCommand, AcceptedCommandLinesCarryTheirValues) {
    const auto record =
        std::get<CtlCommand>(interpret({"record"}, {{"file", "pomiary.CSV"},
                                                    {"interval", "01:00:30"},
                                                    {"columns", "direction,pressure"},
                                                    {"port", "com7"}}));
    EXPECT_EQ(record.verb, CtlVerb::Record);
    EXPECT_EQ(record.port, 7);
    EXPECT_EQ(record.format, ExportFormat::Csv) << "the name's ending chooses the list";
    EXPECT_EQ(record.intervalSeconds, 3630);
    EXPECT_EQ(record.columns, (RecordColumns{false, true, false, false, true}));

    const auto zero =
        std::get<CtlCommand>(interpret({"record"}, {{"file", "a.txt"}, {"interval", "00:00:00"}}));
    EXPECT_EQ(zero.intervalSeconds, 1) << "as the recording dialog corrects it";

    const auto download = std::get<CtlCommand>(interpret({"download"}, {{"output", "p.xlsx"}}));
    EXPECT_EQ(download.format, ExportFormat::Xlsx);
    const auto mixed = std::get<CtlCommand>(interpret({"download"}, {{"output", "p.Csv"}}));
    EXPECT_EQ(mixed.format, ExportFormat::Text) << "mixed case keeps the text layout";

    const auto clock =
        std::get<CtlCommand>(interpret({"clock"}, {{"set", "2028-02-29 23:59:58"}, {"reset", ""}}));
    ASSERT_TRUE(clock.clockTime.has_value());
    EXPECT_TRUE(clock.setClock && clock.resetAfter);
    EXPECT_EQ(clock.clockTime->day, 29);
    EXPECT_EQ(clock.clockTime->second, 58);

    const auto power = std::get<CtlCommand>(interpret({"power-saving", "off"}, {}));
    EXPECT_EQ(power.powerSaving, false);
    EXPECT_EQ(std::get<CtlCommand>(interpret({"info"}, {{"help", ""}, {"bogus", ""}})).verb,
              CtlVerb::Help)
        << "--help wins over anything else";
}

// The settings written over those read, by the dialog's rules.
struct SettingsCase {
    const char* name;
    Options options;
    int panelInterval;
    int panelConfig;
    std::variant<SettingsWrite, std::string> expected;
};

class SettingsWrites : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(SettingsWrites, FollowTheDialog) {
    const SettingsCase& c = GetParam();
    const auto command = std::get<CtlCommand>(interpret({"settings"}, c.options));
    ASSERT_TRUE(changesSettings(command));
    const auto result = settingsWrite(command, c.panelInterval, c.panelConfig);
    if (const auto* expected = std::get_if<std::string>(&c.expected)) {
        ASSERT_TRUE(std::holds_alternative<UsageError>(result));
        EXPECT_EQ(std::get<UsageError>(result).message, *expected);
    } else {
        ASSERT_TRUE(std::holds_alternative<SettingsWrite>(result));
        EXPECT_EQ(std::get<SettingsWrite>(result), std::get<SettingsWrite>(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SettingsWrites,
    ::testing::Values(
        SettingsCase{
            "IntervalKeepsLayout", {{"interval", "15"}}, 10, 0x48, SettingsWrite{15, 0x48}},
        SettingsCase{
            "OffWritesZeroAndTheLayout", {{"memory", "off"}}, 10, 0x20, SettingsWrite{0, 0x20}},
        SettingsCase{
            "OnKeepsThePanelsInterval", {{"layout", "w"}}, 30, 0x10, SettingsWrite{30, 0x20}},
        SettingsCase{
            "TickKeptForAWindLayout", {{"layout", "thw"}}, 5, 0x28, SettingsWrite{5, 0x68}},
        SettingsCase{
            "TickDroppedForTheFullLayout", {{"layout", "thpw"}}, 5, 0x28, SettingsWrite{5, 0x10}},
        SettingsCase{
            "MaxWindOnThePanelsLayout", {{"max-wind", "on"}}, 5, 0x40, SettingsWrite{5, 0x48}},
        SettingsCase{"MaxWindRefusedForThePanelsLayout",
                     {{"max-wind", "on"}},
                     5,
                     0x00,
                     std::string("Zapis maksymalnej prędkości wiatru (--max-wind on) jest możliwy "
                                 "tylko w układach thw, pw i w.")},
        SettingsCase{"NotRecordingNeedsAnInterval",
                     {{"memory", "on"}},
                     0,
                     0x00,
                     std::string("Interwał powinien zawierać się w przedziale od 1 do 239 minut.\n"
                                 "Podaj --interval MINUTY.")},
        SettingsCase{"UnknownByteNeedsALayout",
                     {{"interval", "5"}},
                     5,
                     0x7A,
                     std::string("Panel ma nieznany układ zapisu (bajt 0x7A): podaj --layout.")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CtlCommand, IntervalTimes) {
    EXPECT_EQ(parseIntervalTime("23:59:59"), 86399);
    EXPECT_EQ(parseIntervalTime("00:00:05"), 5);
    for (const char* bad : {"0:00:05", "00:60:00", "00:00:5", "00-00-05", "1:2:3", ""}) {
        EXPECT_FALSE(parseIntervalTime(bad).has_value()) << bad;
    }
}

} // namespace
