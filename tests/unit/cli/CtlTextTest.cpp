#include "cli/CtlText.h"

#include "text/Cp1250.h"

#include <gtest/gtest.h>

namespace {

TEST(CtlText, ReadingAsJsonHasTheFileDecimalsAndNullForUnknown) {
    PanelData data;
    data.ch1Present = data.modelTq232 = 1;
    data.temperature = -3.3;
    data.humidity = 45.0;
    data.pressure = 1013.2;
    data.pressureError = 1; // flagged: unknown
    const Reading reading = takeReading(data, true, {});
    EXPECT_EQ(CtlText::readingJson(reading, "2026-03-01T12:00:05.123+01:00"),
              "{\"time\":\"2026-03-01T12:00:05.123+01:00\",\"temperature\":-3.3,"
              "\"pressure\":null,\"humidity\":45.0,\"wind_speed\":null,\"wind_direction\":null}");
    EXPECT_EQ(CtlText::linkJson(false, "Brak komunikacji z panelem. "),
              "{\"link\":\"down\",\"status\":\"Brak komunikacji z panelem.\"}");
    EXPECT_EQ(CtlText::jsonString("a\"b\\c\n\x01ż"), "\"a\\\"b\\\\c\\n\\u0001ż\"");
}

TEST(CtlText, PanelInformationAsJson) {
    PanelData data;
    data.firmwareVersion = 2.01;
    data.recordInterval = 10;
    data.powerSavingFlags = 0x05;
    data.ch1Present = 1; // no model flag
    data.serialCh1 = 12;
    data.lowBattery = data.clockError = 1;
    EXPECT_EQ(CtlText::panelInfoJson(data),
              "{\"firmware_version\":2.01,\"record_interval_minutes\":10,\"power_saving\":true,"
              "\"channel1\":{\"model\":null,\"serial_number\":12},\"channel2\":null,"
              "\"remarks\":[\"Słaba Bateria\",\"Błąd zegara\"]}");
}

TEST(CtlText, RecordingSettingsAsTheDialogNamesThem) {
    EXPECT_EQ(CtlText::recordingSettingsText(15, 0x48),
              "Zapisuj pomiary do pamięci: tak\nInterwał rejestracji: 15 min.\n"
              "Rejestracja pomiarów: Ciśnienie, kierunek, prędkość (pw)\n"
              "Zapisz maksymalną prędkość wiatru z okresu interwału: tak");
    EXPECT_EQ(CtlText::recordingSettingsText(0, 0x7A),
              "Zapisuj pomiary do pamięci: nie\n"
              "Rejestracja pomiarów: nieznany układ (bajt 0x7A)");
}

TEST(CtlText, TerminalForms) {
    EXPECT_EQ(CtlText::terminalLine(cp1250::fromUtf8("Wilgotność\t45.0      \r\n")),
              "Wilgotność\t45.0");
    EXPECT_EQ(CtlText::progressText(0), "Odczyt pamięci: [..............................]    0 B");
    EXPECT_EQ(CtlText::progressText(1024),
              "Odczyt pamięci: [###############...............] 1024 B");
    EXPECT_EQ(CtlText::progressText(4000),
              "Odczyt pamięci: [##############################] 4000 B");
    EXPECT_EQ(CtlText::withoutQuestion("Zegar został ustawiony.\nChcesz zresetować panel teraz?"),
              "Zegar został ustawiony.");
    EXPECT_EQ(CtlText::withoutQuestion("Panel został zresetowany"), "Panel został zresetowany");

    DateTimeRecord now;
    now.year = 2026;
    now.month = 1;
    now.day = 5;
    DateTimeRecord panel;
    panel.month = 3;
    panel.day = 14;
    panel.hour = 9;
    panel.minute = 5;
    EXPECT_EQ(CtlText::panelClockText(now, panel), "Zegar panelu: 2026-03-14 09:05");
    panel.month = 13;
    EXPECT_EQ(CtlText::panelClockText(now, panel), "Zegar panelu: 13-14 09:05 (niepoprawna data)");
}

} // namespace
