#include "settings/settings.h"

#include "platform/platform.h"
#include "settings/number_text.h"

namespace lumavale {

PluginSettings pluginSettings;

namespace {

// The defaults a missing file gives; also what an unusable path gives.
constexpr PluginSettings kDefaults{true, 0.8f, 1.25f, false, false};

constexpr char kMainSection[] = "Lumavale";
constexpr char kOtherSection[] = "Other";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A switch is on only when its integer is exactly 1.
bool ReadSwitch(const char* section, const char* key, std::int32_t defaultValue,
                const char* file) {
  return platform::ProfileInt(section, key, defaultValue, file) == 1;
}

float ReadAmount(const char* section, const char* key, const char* defaultText, const char* file) {
  char value[kSettingsTextSize] = {};
  platform::ProfileString(section, key, defaultText, value, kSettingsTextSize, file);
  return ParseAmount(value);
}

}  // namespace

// Known here, the table folds into the reads below and stays out of the plug-in's image.
constexpr SettingKey kSettingKeys[kSettingKeyCount] = {
    {kMainSection, "Enabled", &PluginSettings::enabled, 1, nullptr, nullptr},
    {kMainSection, "AmountInFrontend", nullptr, 0, &PluginSettings::amountInFrontend,
     kDefaultAmountInFrontendText},
    {kMainSection, "AmountInGameplay", nullptr, 0, &PluginSettings::amountInGameplay,
     kDefaultAmountInGameplayText},
    {kOtherSection, "Fog", &PluginSettings::fog, 0, nullptr, nullptr},
    {kOtherSection, "RemoveSkyTextures", &PluginSettings::removeSkyTextures, 0, nullptr, nullptr},
};

SettingsPath LocateSettingsFile() {
  SettingsPath path{};
  char module[kMaxPath] = {};
  const std::uint32_t length = platform::PluginModuleFileName(module, kMaxPath);
  // A count of 0 is a failure and a count of kMaxPath a cut path naming another
  // file; the directory part of either cannot be trusted.
  if (length == 0 || length >= kMaxPath) return path;

  // The directory ends at the last separator of the whole path. Looking for it only
  // before the last '.' would climb out of a folder named "Host v1.0".
  std::uint32_t directoryLength = 0;
  for (std::uint32_t i = 0; i < length && module[i] != '\0'; ++i) {
    if (IsSeparator(module[i])) directoryLength = i + 1;
  }
  // Without a directory the profile reads would look in the Windows folder.
  if (directoryLength == 0) return path;

  constexpr std::uint32_t kNameLength = sizeof kSettingsFileName - 1;
  // Only a whole path fits: a cut one would name another file.
  if (directoryLength + kNameLength > kSettingsTextSize - 1) return path;

  for (std::uint32_t i = 0; i < directoryLength; ++i) path.text[i] = module[i];
  for (std::uint32_t i = 0; i < kNameLength; ++i) {
    path.text[directoryLength + i] = kSettingsFileName[i];
  }
  return path;
}

void LoadSettings(const SettingsPath& path) {
  const SettingKey& enabled = kSettingKeys[0];
  const SettingKey& frontend = kSettingKeys[1];
  const SettingKey& gameplay = kSettingKeys[2];
  const SettingKey& fog = kSettingKeys[3];
  const SettingKey& sky = kSettingKeys[4];
  if (path.text[0] == '\0') {
    pluginSettings = kDefaults;
    return;
  }
  const char* file = path.text;
  // Read in a fixed order, all before the first write to the host.
  PluginSettings settings{};
  // Field by field, not a loop over the table: the table then stays out of the image.
  settings.enabled = ReadSwitch(enabled.section, enabled.key, enabled.defaultNumber, file);
  settings.amountInFrontend = ReadAmount(frontend.section, frontend.key, frontend.defaultText, file);
  settings.amountInGameplay = ReadAmount(gameplay.section, gameplay.key, gameplay.defaultText, file);
  settings.fog = ReadSwitch(fog.section, fog.key, fog.defaultNumber, file);
  settings.removeSkyTextures = ReadSwitch(sky.section, sky.key, sky.defaultNumber, file);
  pluginSettings = settings;
}

}  // namespace lumavale
