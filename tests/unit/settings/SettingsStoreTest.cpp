#include "settings/SettingsStore.h"

#include "settings/MemoryRegistryStore.h"

#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

const std::string kKey = kSettingsKeyPath;

std::array<TileStyle, 5> defaultStyles() {
    std::array<TileStyle, 5> styles;
    for (Quantity q : kAllQuantities) {
        styles[quantityIndex(q)] = defaultTileStyle(q);
    }
    return styles;
}

std::vector<std::string> expectedWriteOrder() {
    std::vector<std::string> names;
    for (const char* q : {"TEMP", "RH", "PRESS", "ORIENT", "SPEED"}) {
        for (const char* stem : {"BACKGROUND_", "TEXT_", "FONT_HEIGHT_", "FONT_NAME_",
                                 "FONT_ITALIC_", "FONT_WEIGHT_"}) {
            names.push_back(std::string(stem) + q);
        }
    }
    for (const char* name :
         {"PORT_NR",    "WINDOW_TOP", "WINDOW_BOTTOM", "WINDOW_LEFT",       "WINDOW_RIGHT",
          "FILE_NAME",  "FILE_LOG",   "FILE_CSV",      "FILE_INTERVAL",     "FILE_TEMP",
          "FILE_RH",    "FILE_PRESS", "FILE_SPEED",    "FILE_ORIENT",       "TOPMOST",
          "CHART_LEFT", "CHART_TOP",  "CHART_RIGHT",   "CHART_BOTTOM",      "CHART_RANGE",
          "CHART_FROM", "CHART_TO",   "HISTORY_ON",    "HISTORY_RAW_HOURS", "HISTORY_FILE"}) {
        names.push_back(name);
    }
    return names;
}

std::int32_t storedNumber(const MemoryRegistryStore& store, const std::string& name) {
    const auto& v = store.key(kKey)->at(name);
    EXPECT_EQ(v.type, RegistryStore::kTypeDword);
    EXPECT_EQ(v.data.size(), 4u);
    return static_cast<std::int32_t>(v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                                     (static_cast<std::uint32_t>(v.data[3]) << 24));
}

// The 45 values of the window program, the chart window's seven and the
// history's three.
TEST(SettingsStore, FirstStartCreatesTheKeyKeepsDefaultsAndWritesAll55Values) {
    MemoryRegistryStore store;
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);

    EXPECT_TRUE(store.hasKey(kKey));
    EXPECT_TRUE(store.key(kKey)->empty());
    EXPECT_EQ(settings, AppSettings{});
    EXPECT_EQ(styles, defaultStyles());
    EXPECT_FALSE(store.isOpen());

    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_EQ(store.writeLog(), expectedWriteOrder());
    EXPECT_EQ(store.key(kKey)->size(), 55u);
    EXPECT_EQ(storedNumber(store, "BACKGROUND_ORIENT"), 0xD0D0A4);
    EXPECT_EQ(storedNumber(store, "TEXT_SPEED"), 0x3C3C1E);
    EXPECT_EQ(storedNumber(store, "FONT_HEIGHT_RH"), 60);
    EXPECT_EQ(storedNumber(store, "FILE_INTERVAL"), 1);
    EXPECT_EQ(storedNumber(store, "WINDOW_RIGHT"), 700);
    EXPECT_EQ(storedNumber(store, "HISTORY_ON"), 1);
    EXPECT_EQ(storedNumber(store, "HISTORY_RAW_HOURS"), 48);
    const auto& face = store.key(kKey)->at("FONT_NAME_PRESS");
    EXPECT_EQ(face.type, RegistryStore::kTypeString);
    EXPECT_EQ(std::string(face.data.begin(), face.data.end()), std::string("Arial", 6));
    EXPECT_FALSE(store.isOpen());
}

TEST(SettingsStore, StoredValuesReplaceDefaultsPerQuantityByName) {
    MemoryRegistryStore store;
    store.setDword(kKey, "BACKGROUND_ORIENT", 0x123456);
    store.setDword(kKey, "TEXT_SPEED", 0x654321);
    store.setDword(kKey, "FONT_HEIGHT_PRESS", -24);
    store.setString(kKey, "FONT_NAME_PRESS", "Liberation Serif");
    store.setDword(kKey, "FONT_WEIGHT_PRESS", 700);
    store.setDword(kKey, "PORT_NR", 9);
    store.setString(kKey, "FILE_NAME", "/home/ala/pomiary żółć.csv");
    store.setDword(kKey, "TOPMOST", 5);
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);

    EXPECT_EQ(styles[quantityIndex(Quantity::ORIENT)].background, 0x123456u);
    EXPECT_EQ(styles[quantityIndex(Quantity::SPEED)].text, 0x654321u);
    const LogFont& press = styles[quantityIndex(Quantity::PRESS)].font;
    EXPECT_EQ(press.height, -24);
    EXPECT_EQ(press.faceName, "Liberation Serif");
    EXPECT_EQ(press.weight, 700);
    EXPECT_EQ(styles[quantityIndex(Quantity::TEMP)], defaultTileStyle(Quantity::TEMP));
    EXPECT_EQ(settings.portNumber, 9);
    EXPECT_EQ(settings.recordFileName, "/home/ala/pomiary żółć.csv");
    EXPECT_EQ(settings.topmost, 5);
}

TEST(SettingsStore, ItalicKeepsTheLowByteAndIsWrittenBackAsThatByte) {
    MemoryRegistryStore store;
    store.setDword(kKey, "FONT_ITALIC_TEMP", 257);
    store.setDword(kKey, "FONT_ITALIC_RH", 0x100);
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    EXPECT_EQ(styles[quantityIndex(Quantity::TEMP)].font.italic, 1);
    EXPECT_EQ(styles[quantityIndex(Quantity::RH)].font.italic, 0);

    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_EQ(storedNumber(store, "FONT_ITALIC_TEMP"), 1);
    EXPECT_EQ(storedNumber(store, "FONT_ITALIC_RH"), 0);
}

struct MissingCase {
    const char* name;
    MemoryRegistryStore::Value stored;
};

MemoryRegistryStore::Value text(const std::string& s) {
    MemoryRegistryStore::Value v{RegistryStore::kTypeString, {s.begin(), s.end()}};
    v.data.push_back(0);
    return v;
}

MemoryRegistryStore::Value number(std::int32_t n) {
    const auto u = static_cast<std::uint32_t>(n);
    return {RegistryStore::kTypeDword,
            {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
             static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)}};
}

class UnusableValue : public ::testing::TestWithParam<MissingCase> {};

// Each of these values counts as missing: every setting keeps its default.
TEST_P(UnusableValue, LeavesTheDefault) {
    MemoryRegistryStore store;
    store.setRaw(kKey, GetParam().name, GetParam().stored);
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    EXPECT_EQ(settings, AppSettings{});
    EXPECT_EQ(styles, defaultStyles());
}

INSTANTIATE_TEST_SUITE_P(
    Table, UnusableValue,
    ::testing::Values(
        MissingCase{"FILE_NAME", number(5)}, MissingCase{"PORT_NR", text("12345")},
        MissingCase{"PORT_NR", text("12")},
        MissingCase{"PORT_NR", {RegistryStore::kTypeDword, {1, 0}}},
        MissingCase{"PORT_NR", {RegistryStore::kTypeBinary, {1, 0, 0, 0}}},
        MissingCase{"FONT_NAME_TEMP", number(7)}, MissingCase{"FILE_INTERVAL", number(0)},
        MissingCase{"FILE_INTERVAL", number(-3)}, MissingCase{"FILE_INTERVAL", number(86400)},
        // A window without width or height could not be seen.
        MissingCase{"WINDOW_RIGHT", number(100)}, MissingCase{"WINDOW_RIGHT", number(50)},
        MissingCase{"WINDOW_BOTTOM", number(100)}, MissingCase{"WINDOW_TOP", number(900)},
        // Raw readings are kept for an hour at least and a leap year at most.
        MissingCase{"HISTORY_RAW_HOURS", number(0)}, MissingCase{"HISTORY_RAW_HOURS", number(8785)},
        // The chart window's range is one of its six buttons.
        MissingCase{"CHART_RANGE", number(6)}));

TEST(SettingsStore, LongestValidTextsAndLimitsAreAccepted) {
    MemoryRegistryStore store;
    store.setString(kKey, "FILE_NAME", std::string(255, 'n'));
    store.setString(kKey, "FONT_NAME_SPEED", std::string(255, 'f'));
    store.setDword(kKey, "FILE_INTERVAL", 86399);
    store.setDword(kKey, "WINDOW_LEFT", 699);
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    EXPECT_EQ(settings.recordFileName.size(), 255u);
    EXPECT_EQ(styles[quantityIndex(Quantity::SPEED)].font.faceName, std::string(255, 'f'));
    EXPECT_EQ(settings.recordIntervalSeconds, 86399);
    EXPECT_EQ(settings.windowRect, (WindowRect{699, 100, 700, 500}));
}

struct EdgesCase {
    WindowRect stored; // left, top, right, bottom as stored
    WindowRect loaded;
};

void PrintTo(const EdgesCase& c, std::ostream* os) {
    *os << c.stored.left << "," << c.stored.top << "," << c.stored.right << "," << c.stored.bottom;
}

class StoredEdges : public ::testing::TestWithParam<EdgesCase> {};

// Edges that no screen can have are treated as missing; the rectangle that is
// loaded is the one written back.
TEST_P(StoredEdges, FormASaneRectangleOrNone) {
    const WindowRect& r = GetParam().stored;
    MemoryRegistryStore store;
    store.setDword(kKey, "WINDOW_LEFT", r.left);
    store.setDword(kKey, "WINDOW_TOP", r.top);
    store.setDword(kKey, "WINDOW_RIGHT", r.right);
    store.setDword(kKey, "WINDOW_BOTTOM", r.bottom);
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    EXPECT_EQ(settings.windowRect, GetParam().loaded);
    saveSettings(store, settings, styles, 1920, 1080);
    const WindowRect saved{storedNumber(store, "WINDOW_LEFT"), storedNumber(store, "WINDOW_TOP"),
                           storedNumber(store, "WINDOW_RIGHT"),
                           storedNumber(store, "WINDOW_BOTTOM")};
    EXPECT_TRUE(saved.isSane());
    EXPECT_EQ(saved, settings.windowRect);
}

constexpr int kMin = std::numeric_limits<int>::min();
constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kFar = WindowRect::kMaxCoordinate;
constexpr WindowRect kBuiltIn{};

INSTANTIATE_TEST_SUITE_P(
    Table, StoredEdges,
    ::testing::Values(EdgesCase{{kMin, 100, kMax, 500}, kBuiltIn},
                      EdgesCase{{100, kMin, 700, kMax}, kBuiltIn},
                      EdgesCase{{-2'000'000'000, 0, 2'000'000'000, 400}, kBuiltIn},
                      EdgesCase{{kMax - 600, 0, kMax, 400}, kBuiltIn},
                      EdgesCase{{kMin, 0, kMin + 600, 400}, kBuiltIn},
                      EdgesCase{{0, 0, kFar + 1, 400}, kBuiltIn},
                      EdgesCase{{-kFar - 1, 0, 600, 400}, kBuiltIn},
                      EdgesCase{{0, -kFar, 600, kFar}, {0, -kFar, 600, kFar}},
                      EdgesCase{{-kFar, 0, kFar, 400}, {-kFar, 0, kFar, 400}},
                      EdgesCase{{-300, -200, 500, 100}, {-300, -200, 500, 100}}));

TEST(WindowRect, WidthAndHeightNeverOverflow) {
    const WindowRect wide{kMin, kMin, kMax, kMax};
    EXPECT_EQ(wide.width(), kMax);
    EXPECT_EQ(wide.height(), kMax);
    const WindowRect inverted{kMax, kMax, kMin, kMin};
    EXPECT_EQ(inverted.width(), kMin);
    EXPECT_FALSE(wide.isSane());
    EXPECT_FALSE(inverted.isSane());
    EXPECT_TRUE(WindowRect{}.isSane());
}

struct FitCase {
    WindowRect before;
    WindowRect after;
};

class ScreenFit : public ::testing::TestWithParam<FitCase> {};

TEST_P(ScreenFit, IsAppliedAtSaveAndKeptInTheRecord) {
    MemoryRegistryStore store;
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    settings.windowRect = GetParam().before;
    saveSettings(store, settings, styles, 1600, 900);
    EXPECT_EQ(settings.windowRect, GetParam().after);
    EXPECT_EQ(storedNumber(store, "WINDOW_LEFT"), GetParam().after.left);
    EXPECT_EQ(storedNumber(store, "WINDOW_TOP"), GetParam().after.top);
    EXPECT_EQ(storedNumber(store, "WINDOW_RIGHT"), GetParam().after.right);
    EXPECT_EQ(storedNumber(store, "WINDOW_BOTTOM"), GetParam().after.bottom);
}

INSTANTIATE_TEST_SUITE_P(Table, ScreenFit,
                         ::testing::Values(
                             // left, top, right, bottom
                             FitCase{{1500, 100, 2100, 500}, {1000, 100, 1600, 500}},
                             FitCase{{1000, 100, 1610, 500}, {1000, 100, 1610, 500}},
                             FitCase{{1000, 100, 1611, 500}, {989, 100, 1600, 500}},
                             FitCase{{100, 600, 700, 1200}, {100, 300, 700, 900}},
                             FitCase{{100, 500, 700, 910}, {100, 500, 700, 910}},
                             FitCase{{-5, 100, 595, 500}, {-5, 100, 595, 500}},
                             FitCase{{-10, -10, 590, 390}, {-10, -10, 590, 390}},
                             FitCase{{-11, 100, 589, 500}, {0, 100, 589, 500}},
                             FitCase{{100, -11, 700, 389}, {100, 0, 700, 389}},
                             // Moved left by the right edge, then cut at the left edge.
                             FitCase{{-100, 100, 2000, 500}, {0, 100, 1600, 500}}));

TEST(SettingsStore, AfterUninstallNothingIsWrittenAndTheNextStartRecreatesTheKey) {
    MemoryRegistryStore store;
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    settings.portNumber = 4;
    ASSERT_TRUE(uninstallSettings(store));
    EXPECT_FALSE(store.hasKey(kKey));
    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_FALSE(store.hasKey(kKey));
    EXPECT_TRUE(store.writeLog().empty());
    EXPECT_FALSE(uninstallSettings(store));

    AppSettings next;
    loadSettings(store, next, styles);
    EXPECT_TRUE(store.hasKey(kKey));
    EXPECT_EQ(next.portNumber, 0);
}

TEST(SettingsStore, AFailedWriteDoesNotStopTheOthers) {
    MemoryRegistryStore store;
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    store.failingWrites = {"FONT_NAME_TEMP", "PORT_NR"};
    saveSettings(store, settings, styles, 1920, 1080);
    EXPECT_EQ(store.key(kKey)->size(), 53u);
    EXPECT_EQ(storedNumber(store, "TOPMOST"), 0);
}

TEST(SettingsStore, AKeyThatCannotBeCreatedLeavesEveryDefault) {
    MemoryRegistryStore store;
    store.setDword(kKey, "PORT_NR", 3);
    store.failCreate = true;
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    EXPECT_EQ(settings, AppSettings{});
    EXPECT_FALSE(store.isOpen());
}

// A font family's name may be longer than the 31 characters of the Windows
// font record; the whole font comes back, not its size in another face.
TEST(SettingsStore, LongFaceNamesAreWrittenAndReadBackWhole) {
    for (const std::size_t length : {32u, 64u, 255u}) {
        MemoryRegistryStore store;
        AppSettings settings;
        auto styles = defaultStyles();
        loadSettings(store, settings, styles);
        LogFont& font = styles[quantityIndex(Quantity::PRESS)].font;
        font.faceName = "Rodzina " + std::string(length - 8, 'z');
        font.height = -37;
        font.weight = 700;
        font.italic = 1;
        saveSettings(store, settings, styles, 1920, 1080);
        ASSERT_EQ(store.key(kKey)->count("FONT_NAME_PRESS"), 1u) << length;
        EXPECT_EQ(store.key(kKey)->at("FONT_NAME_PRESS").data.size(), length + 1);

        AppSettings reloaded;
        auto reloadedStyles = defaultStyles();
        loadSettings(store, reloaded, reloadedStyles);
        EXPECT_EQ(reloadedStyles[quantityIndex(Quantity::PRESS)].font, font) << length;
    }
}

} // namespace
