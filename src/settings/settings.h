#pragma once
// The five values that decide what the plug-in writes into the host.

#include <cstdint>

namespace lumavale {

struct PluginSettings {
  bool enabled;
  float amountInFrontend;
  float amountInGameplay;
  bool fog;
  bool removeSkyTextures;
};

// The process-wide record: zero at load, written once by LoadSettings.
extern PluginSettings pluginSettings;

inline constexpr std::uint32_t kSettingsTextSize = 255;

// The settings file's full path; all zero when no trustworthy path could be made.
struct SettingsPath {
  char text[kSettingsTextSize];
};

inline constexpr char kSettingsFileName[] = "LumavaleSettings.ini";

// The defaults of the two amounts, as the C library's "%f" prints 0.8f and 1.25.
inline constexpr char kDefaultAmountInFrontendText[] = "0.800000";
inline constexpr char kDefaultAmountInGameplayText[] = "1.250000";

SettingsPath LocateSettingsFile();

// Fills pluginSettings from the file at `path`; an empty path reads nothing and
// gives every default.
void LoadSettings(const SettingsPath& path);

}  // namespace lumavale
