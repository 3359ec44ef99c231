// Any text as the settings file. Checked: what the reader makes of it is
// written so that it reads back the same, parse(write(parse(x))) == parse(x),
// and reads back whole; the writer is stable; the settings loaded from those
// values are within the bounds the program relies on (a sane window, a
// recording interval of at least a second, texts that can be written back), and
// saving and loading them again changes nothing.
#include "FuzzCheck.h"
#include "app/WindowLayout.h"
#include "settings/MemoryRegistryStore.h"
#include "settings/RegFileStore.h"
#include "settings/SettingsStore.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string kKeyName = std::string("HKEY_CURRENT_USER\\") + kSettingsKeyPath;

std::array<TileStyle, 5> defaultStyles() {
    std::array<TileStyle, 5> styles;
    for (Quantity q : kAllQuantities) {
        styles[static_cast<std::size_t>(quantityIndex(q))] = defaultTileStyle(q);
    }
    return styles;
}

void checkBounds(const AppSettings& s, const std::array<TileStyle, 5>& styles) {
    fuzzCheck(s.windowRect.isSane(), "the window rectangle is sane");
    fuzzCheck(placementRect(s.windowRect) == s.windowRect, "a sane rectangle is placed as stored");
    fuzzCheck(s.recordIntervalSeconds >= 1 && s.recordIntervalSeconds < 86400,
              "the recording interval is a second to a day");
    // A text with a zero byte could not be saved as it is.
    fuzzCheck(s.recordFileName.find('\0') == std::string::npos, "the file name has no zero byte");
    for (const TileStyle& style : styles) {
        fuzzCheck(style.font.faceName.find('\0') == std::string::npos,
                  "a face name has no zero byte");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::vector<regfile::Entry> read = regfile::parse(text, kKeyName);
    std::erase_if(read, [](const regfile::Entry& e) { return e.ambiguous; });
    const std::string written = regfile::write(read, kKeyName);
    bool unreadable = true;
    const std::vector<regfile::Entry> reread = regfile::parse(written, kKeyName, &unreadable);
    fuzzCheck(reread == read, "parse(write(parse(x))) == parse(x)");
    fuzzCheck(!unreadable, "what the program writes reads back whole");
    fuzzCheck(regfile::write(reread, kKeyName) == written, "the writer is stable");

    // The same values through the settings load and save.
    MemoryRegistryStore store;
    store.Create(RegistryRoot::CurrentUser, kSettingsKeyPath);
    for (const regfile::Entry& e : read) {
        store.WriteValue(e.name, e.data.data(), e.type, static_cast<std::uint32_t>(e.data.size()));
    }
    store.Close();
    AppSettings settings;
    auto styles = defaultStyles();
    loadSettings(store, settings, styles);
    checkBounds(settings, styles);

    saveSettings(store, settings, styles, 1920, 1080);
    AppSettings again;
    auto stylesAgain = defaultStyles();
    loadSettings(store, again, stylesAgain);
    // A rectangle the screen fit leaves without area reads as the built-in one.
    if (!settings.windowRect.isSane()) {
        settings.windowRect = WindowRect{};
    }
    fuzzCheck(again == settings && stylesAgain == styles, "saved settings load as they were");
    return 0;
}
