#include "admin/PanelInfoText.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

// One block of the information dialog for a panel set up by `setup`.
struct InfoCase {
    const char* name;
    std::function<void(PanelData&)> setup;
    std::string PanelInfoTexts::*block;
    std::string text;
};

class PanelInfoBlocks : public ::testing::TestWithParam<InfoCase> {};

TEST_P(PanelInfoBlocks, ReadAsTheDialogShowsThem) {
    PanelData data;
    GetParam().setup(data);
    EXPECT_EQ(panelInfoTexts(data).*GetParam().block, GetParam().text);
}

const auto kPanel = &PanelInfoTexts::panel;
const auto kCh1 = &PanelInfoTexts::channel1;
const auto kCh2 = &PanelInfoTexts::channel2;
const auto kRemarks = &PanelInfoTexts::remarks;

INSTANTIATE_TEST_SUITE_P(
    Texts, PanelInfoBlocks,
    ::testing::Values(
        // The panel block: version with two decimals, interval as HH:MM.
        InfoCase{"Firmware201Interval90",
                 [](PanelData& d) {
                     d.firmwareVersion = 2.01;
                     d.recordInterval = 90;
                 },
                 kPanel,
                 "Panel TQ-820:\nWersja oprogramowania: 2.01\n"
                 "Zapis pomiarów do pamięci co: 01:30\n"},
        InfoCase{"Firmware150Interval255",
                 [](PanelData& d) {
                     d.firmwareVersion = 1.5;
                     d.recordInterval = 255;
                 },
                 kPanel,
                 "Panel TQ-820:\nWersja oprogramowania: 1.50\n"
                 "Zapis pomiarów do pamięci co: 04:15\n"},
        InfoCase{"NoRecording", [](PanelData& d) { d.firmwareVersion = 2.01; }, kPanel,
                 "Panel TQ-820:\nWersja oprogramowania: 2.01\n"
                 "Brak zapisu pomiarów do pamięci\n"},
        // A garbled interval reply can decode below zero: no recording.
        InfoCase{"GarbledNegativeInterval", [](PanelData& d) { d.recordInterval = -800; }, kPanel,
                 "Panel TQ-820:\nWersja oprogramowania: 0.00\n"
                 "Brak zapisu pomiarów do pamięci\n"},
        InfoCase{"PowerSavingBit0",
                 [](PanelData& d) {
                     d.firmwareVersion = 2.01;
                     d.recordInterval = 10;
                     d.powerSavingFlags = 0x05;
                 },
                 kPanel,
                 "Panel TQ-820:\nWersja oprogramowania: 2.01\n"
                 "Zapis pomiarów do pamięci co: 00:10\nTryb oszczędzania energii\n"},
        InfoCase{"PowerSavingOtherBitsOnly",
                 [](PanelData& d) {
                     d.firmwareVersion = 2.01;
                     d.powerSavingFlags = 0x04;
                 },
                 kPanel,
                 "Panel TQ-820:\nWersja oprogramowania: 2.01\n"
                 "Brak zapisu pomiarów do pamięci\n"},
        // Channel 1: the first model flag of TQ-231, TQ-232, TQ-233 names it.
        InfoCase{"Tq232",
                 [](PanelData& d) {
                     d.ch1Present = 1;
                     d.modelTq232 = 1;
                     d.serialCh1 = 1234;
                 },
                 kCh1, "Kanał 1:\nTQ-232, numer seryjny 1234"},
        InfoCase{"Tq231BeforeTq233",
                 [](PanelData& d) {
                     d.ch1Present = 1;
                     d.modelTq231 = 1;
                     d.modelTq233 = 1;
                     d.serialCh1 = 7;
                 },
                 kCh1, "Kanał 1:\nTQ-231, numer seryjny 7"},
        InfoCase{"Tq233",
                 [](PanelData& d) {
                     d.ch1Present = 1;
                     d.modelTq233 = 1;
                     d.serialCh1 = 65535;
                 },
                 kCh1, "Kanał 1:\nTQ-233, numer seryjny 65535"},
        InfoCase{"Channel1WithoutModel",
                 [](PanelData& d) {
                     d.ch1Present = 1;
                     d.serialCh1 = 431;
                 },
                 kCh1, "Kanał 1:\nnumer seryjny 431"},
        InfoCase{"Channel1Absent",
                 [](PanelData& d) {
                     d.modelTq232 = 1;
                     d.serialCh1 = 1234;
                 },
                 kCh1, "Kanał 1:\nBrak urządzenia"},
        InfoCase{"Tq264",
                 [](PanelData& d) {
                     d.ch2Present = 1;
                     d.modelTq264 = 1;
                     d.serialCh2 = 4321;
                 },
                 kCh2, "Kanał 2:\nTQ-264, numer seryjny 4321"},
        InfoCase{"Channel2WithoutModel",
                 [](PanelData& d) {
                     d.ch2Present = 1;
                     d.serialCh2 = 0;
                 },
                 kCh2, "Kanał 2:\nnumer seryjny 0"},
        InfoCase{"Channel2Absent", [](PanelData& d) { d.modelTq264 = 1; }, kCh2,
                 "Kanał 2:\nBrak urządzenia"},
        // Remarks: always the heading, one EEPROM line for either bit.
        InfoCase{"NoFaults", [](PanelData&) {}, kRemarks, "Uwagi:\n"},
        InfoCase{"BothEepromBits",
                 [](PanelData& d) {
                     d.eepromErrorA = 1;
                     d.eepromErrorB = 1;
                 },
                 kRemarks, "Uwagi:\nBłąd pamięci EEPROM\n"},
        InfoCase{"SecondEepromBit", [](PanelData& d) { d.eepromErrorB = 1; }, kRemarks,
                 "Uwagi:\nBłąd pamięci EEPROM\n"},
        InfoCase{"EveryFault",
                 [](PanelData& d) {
                     d.clockError = 1;
                     d.memoryFull = 1;
                     d.eepromErrorA = 1;
                     d.cpuTestError = 1;
                     d.lowBattery = 1;
                     // Measurement faults are the status line's, not remarks.
                     d.ch1MeasError = 1;
                     d.speedError = 1;
                 },
                 kRemarks,
                 "Uwagi:\nSłaba Bateria\nBłąd testu procesora\nBłąd pamięci EEPROM\n"
                 "Cały obszar pamięci jest zajęty\nBłąd zegara\n"}),
    [](const ::testing::TestParamInfo<InfoCase>& info) { return std::string(info.param.name); });

} // namespace
