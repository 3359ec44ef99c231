#pragma once

#include "display/TileStyle.h"
#include "settings/AppSettings.h"
#include "settings/RegistryStore.h"

#include <array>
#include <memory>
#include <string>

// The key that holds every setting of the program, under the current user.
inline constexpr const char* kSettingsKeyPath = "SOFTWARE\\Velmor\\TQ820v1.0";

// A stored window edge may overlap the screen border by this many pixels.
inline constexpr int kScreenFitTolerance = 10;

// Reads the settings once at start-up: creates the key, reads every value and
// replaces a setting only by a value that is present and valid. styles are
// indexed by quantityIndex. Never throws.
void loadSettings(RegistryStore& store, AppSettings& settings, std::array<TileStyle, 5>& styles);

// Writes the settings once at exit into the existing key (nothing when the key
// is gone), after fitting the window rectangle to the screen; the fitted
// rectangle is kept in settings. Never throws.
void saveSettings(RegistryStore& store, AppSettings& settings,
                  const std::array<TileStyle, 5>& styles, int screenWidth, int screenHeight);

// Fits the window rectangle to a screen of the given size, with the tolerance
// above.
WindowRect fitWindowToScreen(WindowRect rect, int screenWidth, int screenHeight);

// The stored port (PORT_NR) for a program that shares these settings but
// never changes them: the key is opened, never created, and nothing is
// written. 0 when the key or the value is missing or unreadable.
int readStoredPortNumber(RegistryStore& store);
// The history's values (HISTORY_ON, HISTORY_RAW_HOURS, HISTORY_FILE) read the
// same way; what is missing or unusable keeps the value in `settings`.
void readStoredHistorySettings(RegistryStore& store, AppSettings& settings);

// Deletes the settings key; true on success.
bool uninstallSettings(RegistryStore& store);

// The store of this platform: the registry on Windows, the file
// <config>/Velmor/TQ820v1.0.reg elsewhere.
std::unique_ptr<RegistryStore> makePlatformRegistryStore();
