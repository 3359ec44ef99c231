#include "admin/PanelInfoText.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// The four blocks of the information dialog for a panel set up by `setup`.
struct InfoCase {
    const char* name;
    std::function<void(PanelData&)> setup;
    PanelInfoTexts texts;
};

class PanelInfoBlocks : public ::testing::TestWithParam<InfoCase> {};

TEST_P(PanelInfoBlocks, ReadAsTheDialogShowsThem) {
    PanelData data;
    GetParam().setup(data);
    const auto blocks = [](const PanelInfoTexts& t) {
        return std::vector{t.panel, t.channel1, t.channel2, t.remarks};
    };
    EXPECT_EQ(blocks(panelInfoTexts(data)), blocks(GetParam().texts));
}

// The panel block: version with two decimals, interval as HH:MM, bit 0 of
// the power-saving register. A channel: the first model flag of TQ-231,
// TQ-232, TQ-233 (channel 1) names it. Remarks: always the heading, one
// EEPROM line for either bit, measurement faults left to the status line.
INSTANTIATE_TEST_SUITE_P(
    Texts, PanelInfoBlocks,
    ::testing::Values(
        InfoCase{"EverythingReported",
                 [](PanelData& d) {
                     d.firmwareVersion = 2.01;
                     d.recordInterval = 90;
                     d.powerSavingFlags = 0x05;
                     d.ch1Present = d.modelTq232 = d.ch2Present = d.modelTq264 = 1;
                     d.serialCh1 = 1234;
                     d.serialCh2 = 4321;
                     d.eepromErrorA = d.eepromErrorB = 1;
                 },
                 {"Panel TQ-820:\nWersja oprogramowania: 2.01\n"
                  "Zapis pomiarów do pamięci co: 01:30\nTryb oszczędzania energii\n",
                  "Kanał 1:\nTQ-232, numer seryjny 1234", "Kanał 2:\nTQ-264, numer seryjny 4321",
                  "Uwagi:\nBłąd pamięci EEPROM\n"}},
        InfoCase{"OlderPanelLongestInterval",
                 [](PanelData& d) {
                     d.firmwareVersion = 1.5;
                     d.recordInterval = 255;
                     d.powerSavingFlags = 0x04; // other bits only
                     d.ch1Present = d.modelTq231 = d.modelTq233 = 1;
                     d.serialCh1 = 7;
                     d.ch2Present = 1; // without a model
                     d.eepromErrorB = 1;
                 },
                 {"Panel TQ-820:\nWersja oprogramowania: 1.50\n"
                  "Zapis pomiarów do pamięci co: 04:15\n",
                  "Kanał 1:\nTQ-231, numer seryjny 7", "Kanał 2:\nnumer seryjny 0",
                  "Uwagi:\nBłąd pamięci EEPROM\n"}},
        InfoCase{"NoRecordingNoSensors",
                 [](PanelData& d) {
                     d.firmwareVersion = 2.01;
                     // Model flags and a serial number without the channel.
                     d.modelTq232 = d.modelTq264 = 1;
                     d.serialCh1 = 1234;
                 },
                 {"Panel TQ-820:\nWersja oprogramowania: 2.01\nBrak zapisu pomiarów do pamięci\n",
                  "Kanał 1:\nBrak urządzenia", "Kanał 2:\nBrak urządzenia", "Uwagi:\n"}},
        InfoCase{"ShortIntervalChannel1WithoutModel",
                 [](PanelData& d) {
                     d.firmwareVersion = 2.01;
                     d.recordInterval = 10;
                     d.powerSavingFlags = 0x05;
                     d.ch1Present = 1;
                     d.serialCh1 = 431;
                 },
                 {"Panel TQ-820:\nWersja oprogramowania: 2.01\n"
                  "Zapis pomiarów do pamięci co: 00:10\nTryb oszczędzania energii\n",
                  "Kanał 1:\nnumer seryjny 431", "Kanał 2:\nBrak urządzenia", "Uwagi:\n"}},
        // A garbled interval reply can decode below zero: no recording.
        InfoCase{"GarbledIntervalEveryFault",
                 [](PanelData& d) {
                     d.recordInterval = -800;
                     d.ch1Present = d.modelTq233 = 1;
                     d.serialCh1 = 65535;
                     d.clockError = d.memoryFull = d.eepromErrorA = d.cpuTestError = 1;
                     d.lowBattery = d.ch1MeasError = d.speedError = 1;
                 },
                 {"Panel TQ-820:\nWersja oprogramowania: 0.00\nBrak zapisu pomiarów do pamięci\n",
                  "Kanał 1:\nTQ-233, numer seryjny 65535", "Kanał 2:\nBrak urządzenia",
                  "Uwagi:\nSłaba Bateria\nBłąd testu procesora\nBłąd pamięci EEPROM\n"
                  "Cały obszar pamięci jest zajęty\nBłąd zegara\n"}}),
    [](const ::testing::TestParamInfo<InfoCase>& info) { return std::string(info.param.name); });

} // namespace
