#include "protocol/ConnectionStatus.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace {

PanelData withStatus(const std::string& digits) {
    PanelData d;
    const std::string line = "xK" + digits + "\r\n";
    EXPECT_TRUE(d.parseReply(reinterpret_cast<const std::uint8_t*>(line.data()),
                             static_cast<int>(line.size()), READ_STATUS));
    return d;
}

struct TextCase {
    const char* status;
    bool linkUp;
    int recordingSeconds;
    const char* text;
};

class StatusText : public ::testing::TestWithParam<TextCase> {};

TEST_P(StatusText, IsComposedPieceByPiece) {
    const PanelData d = withStatus(GetParam().status);
    EXPECT_EQ(ConnectionStatus::buildStatusText(d, GetParam().linkUp, GetParam().recordingSeconds),
              GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusText,
    ::testing::Values(
        TextCase{"00000005", true, 0, "Urządzenia: TQ-232, TQ-264. "},
        // TQ-231 with a humidity error (byte 2 bit 4) and a calibration error (bit 6).
        TextCase{"80500002", true, 0,
                 "Urządzenia: TQ-231. Błąd pomiaru wilgotności. Błąd kalibracji kanału 1. "},
        TextCase{"00000005", false, 90,
                 "Brak komunikacji z panelem. Rejestracja do pliku co "
                 "00:01:30. "},
        TextCase{"00?????5", false, 0, "Brak komunikacji z panelem. "},
        TextCase{"88000000", true, 0,
                 "Komunikacja została nawiązana. Brak podłączonych urządzeń do panelu TQ-820. "},
        TextCase{"88000000", true, 3661,
                 "Komunikacja została nawiązana. Brak podłączonych urządzeń do panelu TQ-820. "
                 "Rejestracja do pliku co 01:01:01. "},
        TextCase{"80000000", true, 0, "Urządzenia: TQ-233. "},
        TextCase{"08000000", true, 0, "Urządzenia: TQ-264. "},
        // Without the TQ-264 flag no speed or direction error is listed.
        TextCase{"08030000", true, 0, "Urządzenia: TQ-264. "},
        TextCase{"08030001", true, 0,
                 "Urządzenia: TQ-264. Błąd pomiaru prędkości. Błąd pomiaru kierunku. "},
        TextCase{"28040001", true, 0,
                 "Urządzenia: TQ-264. Błąd pomiaru kanału 2. Błąd kalibracji kanału 2. "},
        TextCase{"82?00004", true, 0,
                 "Urządzenia: TQ-232. Błąd pomiaru temperatury. Błąd pomiaru wilgotności. Błąd "
                 "pomiaru ciśnienia. Błąd pomiaru kanału 1. Błąd kalibracji kanału 1. "},
        // A TQ-231 has no pressure sensor: its pressure error is not listed.
        TextCase{"80800002", true, 0, "Urządzenia: TQ-231. "},
        TextCase{"80;00080", true, 0, "Urządzenia: TQ-233. Błąd pomiaru ciśnienia. "},
        TextCase{"80?00000", true, 0, "Urządzenia: TQ-233. Błąd kalibracji kanału 1. "},
        TextCase{"00000006", true, 0, "Urządzenia: TQ-231, TQ-264. "},
        TextCase{"00000084", true, 0, "Urządzenia: TQ-232, TQ-264. "},
        TextCase{"88000000", false, 86399,
                 "Brak komunikacji z panelem. Rejestracja do pliku co 23:59:59. "}));

struct VisibilityCase {
    const char* status;
    bool linkUp;
    std::array<bool, 5> visible; // TEMP, RH, PRESS, SPEED, ORIENT
};

class Visibility : public ::testing::TestWithParam<VisibilityCase> {};

TEST_P(Visibility, FollowsTheTable) {
    const PanelData d = withStatus(GetParam().status);
    ConnectionStatus status;
    const StatusUpdate u = status.updateStatus(d, GetParam().linkUp, 0);
    EXPECT_EQ(u.visible, GetParam().visible);
    for (const Quantity q : kAllQuantities) {
        EXPECT_EQ(ConnectionStatus::tileVisible(q, d, GetParam().linkUp),
                  GetParam().visible[static_cast<std::size_t>(quantityIndex(q))]);
    }
}

constexpr std::array<bool, 5> kAllTiles{true, true, true, true, true};

INSTANTIATE_TEST_SUITE_P(
    Table, Visibility,
    ::testing::Values(VisibilityCase{"00000005", false, kAllTiles},
                      VisibilityCase{"00000005", true, kAllTiles},
                      VisibilityCase{"88000000", true, kAllTiles},
                      VisibilityCase{"80000002", true, {true, true, false, false, false}},
                      VisibilityCase{"80000080", true, {false, false, true, false, false}},
                      VisibilityCase{"80000000", true, {false, false, false, false, false}},
                      VisibilityCase{"08000000", true, {false, false, false, true, true}},
                      VisibilityCase{"00000081", true, {false, false, true, true, true}},
                      VisibilityCase{"00000000", true, {false, false, false, true, true}}));

TEST(ConnectionStatus, FirstUpdateWithLinkDownOnlyWritesTheText) {
    PanelData d;
    ConnectionStatus status;
    const StatusUpdate u = status.updateStatus(d, false, 0);
    EXPECT_FALSE(u.visibilityChanged);
    EXPECT_TRUE(u.textChanged);
    EXPECT_EQ(u.text, "Brak komunikacji z panelem. ");
    EXPECT_EQ(u.visible, kAllTiles);
    const Quantity order[] = {Quantity::TEMP, Quantity::PRESS, Quantity::RH, Quantity::SPEED,
                              Quantity::ORIENT};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(u.tiles[i].quantity, order[i]);
        EXPECT_FALSE(u.tiles[i].hasValue);
        EXPECT_TRUE(u.tiles[i].blinking);
    }
}

TEST(ConnectionStatus, SameInputsReportChangesOnce) {
    PanelData d = withStatus("00000005");
    ConnectionStatus status;
    const StatusUpdate first = status.updateStatus(d, true, 0);
    EXPECT_TRUE(first.visibilityChanged);
    EXPECT_TRUE(first.textChanged);
    const StatusUpdate second = status.updateStatus(d, true, 0);
    EXPECT_FALSE(second.visibilityChanged);
    EXPECT_FALSE(second.textChanged);
    EXPECT_EQ(second.text, first.text);
    EXPECT_TRUE(status.linkUp());
    EXPECT_TRUE(status.ch1Present());
    EXPECT_TRUE(status.modelTq232());
    EXPECT_EQ(status.shownText(), "Urządzenia: TQ-232, TQ-264. ");
}

struct ChangeCase {
    const char* name;
    const char* before;
    const char* after;
    bool relayout;
};

void PrintTo(const ChangeCase& c, std::ostream* os) {
    *os << c.name;
}

class Changes : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(Changes, OnlyTheSixComparedValuesTriggerALayout) {
    ConnectionStatus status;
    status.updateStatus(withStatus(GetParam().before), true, 0);
    EXPECT_EQ(status.updateStatus(withStatus(GetParam().after), true, 0).visibilityChanged,
              GetParam().relayout);
}

INSTANTIATE_TEST_SUITE_P(Table, Changes,
                         ::testing::Values(ChangeCase{"Tq264Alone", "00000004", "00000005", false},
                                           ChangeCase{"ErrorsAlone", "00000005", "00??0005", false},
                                           ChangeCase{"Ch1", "00000005", "08000005", true},
                                           ChangeCase{"Ch2", "00000005", "80000005", true},
                                           ChangeCase{"Tq231", "00000005", "00000007", true},
                                           ChangeCase{"Tq232", "00000005", "00000001", true},
                                           ChangeCase{"Tq233", "00000005", "00000085", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConnectionStatus, LinkChangeTriggersALayout) {
    const PanelData d = withStatus("00000005");
    ConnectionStatus status;
    EXPECT_TRUE(status.updateStatus(d, true, 0).visibilityChanged);
    // Stale flags with the link down: every tile shown, none with a reading.
    const StatusUpdate down = status.updateStatus(d, false, 0);
    EXPECT_TRUE(down.visibilityChanged);
    EXPECT_FALSE(status.linkUp());
    EXPECT_EQ(down.visible, kAllTiles);
    EXPECT_EQ(down.text, "Brak komunikacji z panelem. ");
    for (const TileCommand& t : down.tiles) {
        EXPECT_FALSE(t.hasValue);
        EXPECT_TRUE(t.blinking);
    }
}

TEST(ConnectionStatus, TilesCarryValuesAndBlinkOnFaults) {
    PanelData d = withStatus("00200005"); // temperature error
    d.temperature = -3.5;
    d.pressure = 990.0;
    d.humidity = 55.5;
    d.windSpeed = 1.2;
    d.windDirection = 45;
    ConnectionStatus status;
    const StatusUpdate u = status.updateStatus(d, true, 0);
    const double values[] = {-3.5, 990.0, 55.5, 1.2, 45.0};
    const bool blinking[] = {true, false, false, false, false};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_TRUE(u.tiles[i].hasValue);
        EXPECT_DOUBLE_EQ(u.tiles[i].value, values[i]);
        EXPECT_EQ(u.tiles[i].blinking, blinking[i]);
    }
    // Channel 2 without TQ-264: the wind tiles are shown but have no reading.
    const StatusUpdate w = status.updateStatus(withStatus("00000004"), true, 0);
    EXPECT_TRUE(w.visible[static_cast<std::size_t>(quantityIndex(Quantity::SPEED))]);
    EXPECT_FALSE(w.tiles[3].hasValue);
    EXPECT_TRUE(w.tiles[3].blinking);
    EXPECT_FALSE(w.tiles[4].hasValue);
}

TEST(ConnectionStatus, RefreshTextUsesTheLastLinkAndReportsOnlyChanges) {
    const PanelData d = withStatus("00000005");
    ConnectionStatus status;
    status.updateStatus(d, true, 0);
    std::string text = "unchanged";
    EXPECT_FALSE(status.refreshText(d, 0, text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(status.refreshText(d, 3600, text));
    EXPECT_EQ(text, "Urządzenia: TQ-232, TQ-264. Rejestracja do pliku co 01:00:00. ");
    EXPECT_FALSE(status.refreshText(d, 3600, text));
    EXPECT_FALSE(status.updateStatus(d, true, 3600).textChanged);
    EXPECT_TRUE(status.updateStatus(d, true, 0).textChanged);
}

} // namespace
