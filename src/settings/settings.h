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

// The settings file's full path, empty in both halves when no trustworthy path could
// be made. The narrow path is the one read; only when it holds a '?' (what the
// platform puts for a character the ANSI code page lacks, and which no file name can
// hold) is the wide path made instead, and read with the wide calls.
// LocateSettingsFile zeroes the whole half it fills and only the first unit of the
// other, all that is read of a half not taken.
struct SettingsPath {
  // The spare byte takes the place of padding and lets the text clear in words.
  char text[kSettingsTextSize + 1];
  char16_t wide[kSettingsTextSize];
};

inline constexpr char kSettingsFileName[] = "LumavaleSettings.ini";

// The defaults of the two amounts, as the C library's "%f" prints 0.8f and 1.25.
inline constexpr char kDefaultAmountInFrontendText[] = "0.800000";
inline constexpr char kDefaultAmountInGameplayText[] = "1.250000";

// One key of the settings file and the field it fills: a switch (`onOff`, on only
// when the key's integer is exactly 1) or an amount (`amount`, the number its text
// starts with). The settings check walks the same table the reads use.
struct SettingKey {
  const char* section;
  const char* key;
  bool PluginSettings::*onOff;
  std::int32_t defaultNumber;    // a switch's default
  float PluginSettings::*amount;
  const char* defaultText;       // an amount's default
};

// In the order LoadSettings reads them.
inline constexpr std::uint32_t kSettingKeyCount = 5;
extern const SettingKey kSettingKeys[kSettingKeyCount];

SettingsPath LocateSettingsFile();

// Fills pluginSettings from the file at `path`, through the wide calls when the path
// is wide; an empty path reads nothing and gives every default.
void LoadSettings(const SettingsPath& path);

}  // namespace lumavale
