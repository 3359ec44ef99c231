#include "settings/SettingsStore.h"

#include "protocol/Quantity.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <string>
#include <utility>

#if defined(_WIN32)
#include "settings/Win32RegistryStore.h"
#else
#include "settings/RegFileStore.h"
#endif

namespace {

// The order in which the per-quantity groups are read and written.
constexpr std::array<Quantity, 5> kStoreOrder{Quantity::TEMP, Quantity::RH, Quantity::PRESS,
                                              Quantity::ORIENT, Quantity::SPEED};

constexpr int kMaxIntervalSeconds = 86399;
// Raw readings are kept from an hour to a leap year.
constexpr int kMaxHistoryRawHours = 24 * 366;

std::string valueName(const char* stem, Quantity q) {
    return std::string(stem) + "_" + std::string(quantityName(q));
}

void closeQuietly(RegistryStore& store) {
    try {
        store.Close();
    } catch (...) {
    }
}

void readNumber(RegistryStore& store, const std::string& name, int& setting) {
    std::int32_t scratch = 0;
    if (store.ReadDword(name, scratch) != 0) {
        setting = scratch;
    }
}

// A text as long as the store holds it.
void readText(RegistryStore& store, const std::string& name, std::string& setting) {
    std::string scratch;
    if (store.ReadText(name, scratch) != 0) {
        setting = std::move(scratch);
    }
}

// A text is written whole. A zero byte cannot be stored inside a text, and
// what would be read back is another text (another file's name): the stored
// one stays. No name with one can be used anyway.
void writeText(RegistryStore& store, const std::string& name, const std::string& text) {
    if (text.find('\0') == std::string::npos) {
        store.WriteString(name, text);
    }
}

void readHistoryValues(RegistryStore& store, AppSettings& settings) {
    readNumber(store, "HISTORY_ON", settings.historyEnabled);
    int rawHours = settings.historyRawHours;
    readNumber(store, "HISTORY_RAW_HOURS", rawHours);
    if (rawHours >= 1 && rawHours <= kMaxHistoryRawHours) {
        settings.historyRawHours = rawHours;
    }
    readText(store, "HISTORY_FILE", settings.historyFileName);
}

void loadTileStyle(RegistryStore& store, Quantity q, TileStyle& style) {
    int number = 0;
    number = static_cast<int>(style.background);
    readNumber(store, valueName("BACKGROUND", q), number);
    style.background = static_cast<Colour>(number);
    number = static_cast<int>(style.text);
    readNumber(store, valueName("TEXT", q), number);
    style.text = static_cast<Colour>(number);
    readNumber(store, valueName("FONT_HEIGHT", q), style.font.height);
    // Kept whole: a family name may be longer than the Windows record's 31 characters.
    readText(store, valueName("FONT_NAME", q), style.font.faceName);
    number = style.font.italic;
    readNumber(store, valueName("FONT_ITALIC", q), number);
    style.font.italic = static_cast<std::uint8_t>(number & 0xFF);
    readNumber(store, valueName("FONT_WEIGHT", q), style.font.weight);
}

void saveTileStyle(RegistryStore& store, Quantity q, const TileStyle& style) {
    store.WriteDword(valueName("BACKGROUND", q), static_cast<std::int32_t>(style.background));
    store.WriteDword(valueName("TEXT", q), static_cast<std::int32_t>(style.text));
    store.WriteDword(valueName("FONT_HEIGHT", q), style.font.height);
    writeText(store, valueName("FONT_NAME", q), style.font.faceName);
    store.WriteDword(valueName("FONT_ITALIC", q), style.font.italic);
    store.WriteDword(valueName("FONT_WEIGHT", q), style.font.weight);
}

// A whole number written as a text; anything else leaves the setting as it was.
void readLongText(RegistryStore& store, const std::string& name, long long& setting) {
    std::string text;
    if (store.ReadText(name, text) == 0 || text.empty()) {
        return;
    }
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc{} && end == text.data() + text.size()) {
        setting = value;
    }
}

void loadChartSettings(RegistryStore& store, AppSettings& settings) {
    WindowRect rect = settings.chartRect;
    readNumber(store, "CHART_LEFT", rect.left);
    readNumber(store, "CHART_TOP", rect.top);
    readNumber(store, "CHART_RIGHT", rect.right);
    readNumber(store, "CHART_BOTTOM", rect.bottom);
    if (rect.isSane()) {
        settings.chartRect = rect;
    }
    int range = settings.chartRange;
    readNumber(store, "CHART_RANGE", range);
    if (range >= 0 && range <= 5) {
        settings.chartRange = range;
    }
    readLongText(store, "CHART_FROM", settings.chartFrom);
    readLongText(store, "CHART_TO", settings.chartTo);
}

} // namespace

void loadSettings(RegistryStore& store, AppSettings& settings, std::array<TileStyle, 5>& styles) {
    try {
        if (store.Create(RegistryRoot::CurrentUser, kSettingsKeyPath) == 0) {
            return;
        }
        for (Quantity q : kStoreOrder) {
            loadTileStyle(store, q, styles[static_cast<std::size_t>(quantityIndex(q))]);
        }
        readNumber(store, "PORT_NR", settings.portNumber);

        WindowRect rect = settings.windowRect;
        readNumber(store, "WINDOW_TOP", rect.top);
        readNumber(store, "WINDOW_BOTTOM", rect.bottom);
        readNumber(store, "WINDOW_LEFT", rect.left);
        readNumber(store, "WINDOW_RIGHT", rect.right);
        // An empty or inverted rectangle would open an invisible window, and
        // edges no screen has are no window at all: both count as missing.
        if (rect.isSane()) {
            settings.windowRect = rect;
        }

        readText(store, "FILE_NAME", settings.recordFileName);
        readNumber(store, "FILE_LOG", settings.recordEnabled);
        readNumber(store, "FILE_CSV", settings.recordCsv);
        int interval = settings.recordIntervalSeconds;
        readNumber(store, "FILE_INTERVAL", interval);
        // Zero or a negative interval would make the recording timer spin;
        // a day or more is no live recording.
        if (interval >= 1 && interval <= kMaxIntervalSeconds) {
            settings.recordIntervalSeconds = interval;
        }
        readNumber(store, "FILE_TEMP", settings.recordTemp);
        readNumber(store, "FILE_RH", settings.recordRh);
        readNumber(store, "FILE_PRESS", settings.recordPress);
        readNumber(store, "FILE_SPEED", settings.recordSpeed);
        readNumber(store, "FILE_ORIENT", settings.recordOrient);
        readNumber(store, "TOPMOST", settings.topmost);
        loadChartSettings(store, settings);
        readHistoryValues(store, settings);
        store.Close();
    } catch (...) {
        // Start-up goes on with what was read.
        closeQuietly(store);
    }
}

WindowRect fitWindowToScreen(WindowRect rect, int screenWidth, int screenHeight) {
    // In 64 bits: edges read from outside may be anywhere in the int range.
    long long left = rect.left;
    long long top = rect.top;
    long long right = rect.right;
    long long bottom = rect.bottom;
    if (right > static_cast<long long>(screenWidth) + kScreenFitTolerance) {
        left -= right - screenWidth;
        right = screenWidth;
    }
    if (bottom > static_cast<long long>(screenHeight) + kScreenFitTolerance) {
        top -= bottom - screenHeight;
        bottom = screenHeight;
    }
    if (top < -kScreenFitTolerance) {
        top = 0;
    }
    if (left < -kScreenFitTolerance) {
        left = 0;
    }
    const auto clampToInt = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(),
                                                      std::numeric_limits<int>::max()));
    };
    return WindowRect{clampToInt(left), clampToInt(top), clampToInt(right), clampToInt(bottom)};
}

void saveSettings(RegistryStore& store, AppSettings& settings,
                  const std::array<TileStyle, 5>& styles, int screenWidth, int screenHeight) {
    try {
        if (store.Open(RegistryRoot::CurrentUser, kSettingsKeyPath) == 0) {
            return; // the key was deleted ("Odinstaluj"): leave nothing behind
        }
        for (Quantity q : kStoreOrder) {
            saveTileStyle(store, q, styles[static_cast<std::size_t>(quantityIndex(q))]);
        }
        store.WriteDword("PORT_NR", settings.portNumber);
        settings.windowRect = fitWindowToScreen(settings.windowRect, screenWidth, screenHeight);
        store.WriteDword("WINDOW_TOP", settings.windowRect.top);
        store.WriteDword("WINDOW_BOTTOM", settings.windowRect.bottom);
        store.WriteDword("WINDOW_LEFT", settings.windowRect.left);
        store.WriteDword("WINDOW_RIGHT", settings.windowRect.right);
        // As long as it is: the name recorded into is the name kept.
        writeText(store, "FILE_NAME", settings.recordFileName);
        store.WriteDword("FILE_LOG", settings.recordEnabled);
        store.WriteDword("FILE_CSV", settings.recordCsv);
        store.WriteDword("FILE_INTERVAL", settings.recordIntervalSeconds);
        store.WriteDword("FILE_TEMP", settings.recordTemp);
        store.WriteDword("FILE_RH", settings.recordRh);
        store.WriteDword("FILE_PRESS", settings.recordPress);
        store.WriteDword("FILE_SPEED", settings.recordSpeed);
        store.WriteDword("FILE_ORIENT", settings.recordOrient);
        store.WriteDword("TOPMOST", settings.topmost);
        store.WriteDword("CHART_LEFT", settings.chartRect.left);
        store.WriteDword("CHART_TOP", settings.chartRect.top);
        store.WriteDword("CHART_RIGHT", settings.chartRect.right);
        store.WriteDword("CHART_BOTTOM", settings.chartRect.bottom);
        store.WriteDword("CHART_RANGE", settings.chartRange);
        store.WriteString("CHART_FROM", std::to_string(settings.chartFrom));
        store.WriteString("CHART_TO", std::to_string(settings.chartTo));
        store.WriteDword("HISTORY_ON", settings.historyEnabled);
        store.WriteDword("HISTORY_RAW_HOURS", settings.historyRawHours);
        writeText(store, "HISTORY_FILE", settings.historyFileName);
        store.Close();
    } catch (...) {
        // Shutdown goes on; nothing to tell the user.
        closeQuietly(store);
    }
}

bool uninstallSettings(RegistryStore& store) {
    try {
        return store.DeleteKey(RegistryRoot::CurrentUser, kSettingsKeyPath) != 0;
    } catch (...) {
        return false;
    }
}

std::unique_ptr<RegistryStore> makePlatformRegistryStore() {
#if defined(_WIN32)
    return std::make_unique<Win32RegistryStore>();
#else
    return std::make_unique<RegFileStore>(RegFileStore::defaultConfigDir());
#endif
}

void readStoredHistorySettings(RegistryStore& store, AppSettings& settings) {
    try {
        if (store.Open(RegistryRoot::CurrentUser, kSettingsKeyPath) != 0) {
            readHistoryValues(store, settings);
        }
    } catch (...) {
        // The defaults stay for what was not read.
    }
    closeQuietly(store);
}

int readStoredPortNumber(RegistryStore& store) {
    int port = 0;
    try {
        if (store.Open(RegistryRoot::CurrentUser, kSettingsKeyPath) != 0) {
            readNumber(store, "PORT_NR", port);
        }
    } catch (...) {
        port = 0;
    }
    closeQuietly(store);
    return port;
}
