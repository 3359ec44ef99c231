#include "settings/Win32RegistryStore.h"

#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

namespace {

std::array<TileStyle, 5> defaultStyles() {
    std::array<TileStyle, 5> styles;
    for (Quantity q : kAllQuantities)
        styles[quantityIndex(q)] = defaultTileStyle(q);
    return styles;
}

} // namespace

// The program's settings through the real registry (Wine's, in CI): kinds, a Polish text
// in UTF-16, a negative number, the uninstall command, and a restart in between.
TEST(Win32RegistryStore, SettingsSurviveARestartAndUninstallRemovesTheKey) {
    uninstallSettings(*makePlatformRegistryStore());

    AppSettings saved;
    auto styles = defaultStyles();
    {
        auto store = makePlatformRegistryStore();
        ASSERT_NE(dynamic_cast<Win32RegistryStore*>(store.get()), nullptr);
        loadSettings(*store, saved, styles);
        saved.portNumber = 256;
        // Longer than the 255 bytes the registry's old limit would allow.
        saved.recordFileName = "C:\\Pomiary\\" + std::string(300, 'x') + "\\żółć – wrzesień.csv";
        saved.windowRect = {-40, 10, 600, 420};
        styles[0].font.faceName = "Źródło Sans";
        saveSettings(*store, saved, styles, 1920, 1080);
    }

    AppSettings loaded;
    auto loadedStyles = defaultStyles();
    {
        auto store = makePlatformRegistryStore();
        loadSettings(*store, loaded, loadedStyles);
        std::int32_t port = 0;
        EXPECT_EQ(store->ReadDword("PORT_NR", port), 0); // no key open after the load
        ASSERT_EQ(store->Open(RegistryRoot::CurrentUser, kSettingsKeyPath), 1);
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        char name[1024] = {};
        EXPECT_EQ(store->QueryValue("FILE_NAME", name, sizeof name, &type, &size), 1);
        EXPECT_EQ(type, RegistryStore::kTypeString);
        EXPECT_EQ(store->ReadDword("PORT_NR", port), 1);
        EXPECT_EQ(port, 256);
    }
    EXPECT_EQ(loaded, saved);
    EXPECT_EQ(loadedStyles, styles);

    auto store = makePlatformRegistryStore();
    EXPECT_TRUE(uninstallSettings(*store));
    EXPECT_EQ(store->Open(RegistryRoot::CurrentUser, kSettingsKeyPath), 0);
    EXPECT_EQ(store->lastError(), RegistryStore::kErrorFileNotFound);
}
