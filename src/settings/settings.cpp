#include "settings/settings.h"

#include <algorithm>

#include "platform/platform.h"
#include "settings/number_text.h"

namespace lumavale {

PluginSettings pluginSettings;

namespace {

// The defaults a missing file gives; also what an unusable path gives.
constexpr PluginSettings kDefaults{true, 0.8f, 1.25f, false, false};

constexpr char kMainSection[] = "Lumavale";
constexpr char kOtherSection[] = "Other";

// ASCII text (names and defaults) in the units of the road taken: as it is for the
// narrow calls, copied unit by unit for the wide ones.
template <typename Unit>
class Units;
template <>
class Units<char> {
 public:
  explicit Units(const char* ascii) : text(ascii) {}
  const char* Get() const { return text; }

 private:
  const char* text;
};
template <>
class Units<char16_t> {
 public:
  explicit Units(const char* ascii) {
    for (std::uint32_t i = 0; ascii[i] != '\0' && i + 1 < kLongest; ++i) text[i] = static_cast<char16_t>(ascii[i]);
  }
  const char16_t* Get() const { return text; }

 private:
  static constexpr std::uint32_t kLongest = 24;  // the longest key and a NUL fit
  char16_t text[kLongest] = {};
};

// A switch is on only when its integer is exactly 1.
template <typename Unit>
bool ReadSwitch(const SettingKey& setting, const Unit* file) {
  return platform::ProfileInt(Units<Unit>(setting.section).Get(), Units<Unit>(setting.key).Get(),
                              setting.defaultNumber, file) == 1;
}

// The value buffers are not cleared first: the read fills them and ends the text with a NUL.
float ReadAmount(const SettingKey& setting, const char* file) {
  char value[kSettingsTextSize];
  platform::ProfileString(setting.section, setting.key, setting.defaultText, value,
                          kSettingsTextSize, file);
  return ParseAmount(value);
}

float ReadAmount(const SettingKey& setting, const char16_t* file) {
  char16_t value[kSettingsTextSize];
  platform::ProfileString(Units<char16_t>(setting.section).Get(), Units<char16_t>(setting.key).Get(),
                          Units<char16_t>(setting.defaultText).Get(), value, kSettingsTextSize, file);
  // Numbers are ASCII: any other unit becomes a byte no number holds, so the reading
  // stops there as it stops at the '?' a narrow read gives.
  char narrow[kSettingsTextSize] = {};
  for (std::uint32_t i = 0; i < kSettingsTextSize && value[i] != u'\0'; ++i) {
    narrow[i] = value[i] < 0x80 ? static_cast<char>(value[i]) : '?';
  }
  return ParseAmount(narrow);
}

// Read in a fixed order, all before the first write to the host.
template <typename Unit>
PluginSettings ReadAll(const Unit* file) {
  PluginSettings settings{};
  // Field by field, not a loop over the table: the table then stays out of the image.
  settings.enabled = ReadSwitch(kSettingKeys[0], file);
  settings.amountInFrontend = ReadAmount(kSettingKeys[1], file);
  settings.amountInGameplay = ReadAmount(kSettingKeys[2], file);
  settings.fog = ReadSwitch(kSettingKeys[3], file);
  settings.removeSkyTextures = ReadSwitch(kSettingKeys[4], file);
  return settings;
}

// What one walk over a module's path (its platform count in `length`) finds.
struct ModulePath {
  std::uint32_t directoryLength;  // up to and with the last separator; 0 when there is none
  bool unnamable;                 // holds a '?'
};

template <typename Unit>
ModulePath Walk(const Unit* module, std::uint32_t length) {
  ModulePath found{0, false};
  const std::uint32_t end = length < kMaxPath ? length : kMaxPath;
  // The directory ends at the last separator of the whole path. Looking for it only
  // before the last '.' would climb out of a folder named "Host v1.0".
  for (std::uint32_t i = 0; i < end && module[i] != 0; ++i) {
    if (module[i] == '?') found.unnamable = true;
    if (module[i] == '\\' || module[i] == '/') found.directoryLength = i + 1;
  }
  return found;
}

// The settings path beside the module whose path is `module` (its directory as Walk
// found it), into `path`; false, with `path` untouched, when it cannot be trusted.
template <typename Unit>
bool BesideModule(const Unit* module, std::uint32_t length, std::uint32_t directoryLength, Unit* path) {
  // A count of 0 is a failure and a count of kMaxPath a cut path naming another
  // file; the directory part of either cannot be trusted.
  if (length == 0 || length >= kMaxPath) return false;

  // Without a directory the profile reads would look in the Windows folder.
  if (directoryLength == 0) return false;

  constexpr std::uint32_t kNameLength = sizeof kSettingsFileName - 1;
  // Only a whole path fits: a cut one would name another file.
  if (directoryLength + kNameLength > kSettingsTextSize - 1) return false;

  for (std::uint32_t i = 0; i < directoryLength; ++i) path[i] = module[i];
  for (std::uint32_t i = 0; i < kNameLength; ++i) {
    path[directoryLength + i] = static_cast<Unit>(kSettingsFileName[i]);
  }
  return true;
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
  // Each road zeroes the half it fills, and empties the other (see SettingsPath).
  SettingsPath path;
  // The module buffers are not cleared: the walk reads no further than the platform's count.
  char module[kMaxPath];
  const std::uint32_t length = platform::PluginModuleFileName(module, kMaxPath);
  const ModulePath found = Walk(module, length);
  if (!found.unnamable) {
    std::ranges::fill(path.text, '\0');
    path.wide[0] = u'\0';
    BesideModule(module, length, found.directoryLength, path.text);
    return path;
  }
  // The folder's name holds a character the narrow calls cannot carry.
  std::ranges::fill(path.wide, u'\0');
  path.text[0] = '\0';
  char16_t wide[kMaxPath];
  const std::uint32_t wideLength = platform::PluginModuleFileName(wide, kMaxPath);
  BesideModule(wide, wideLength, Walk(wide, wideLength).directoryLength, path.wide);
  return path;
}

void LoadSettings(const SettingsPath& path) {
  if (path.wide[0] != u'\0') {
    pluginSettings = ReadAll(path.wide);
  } else if (path.text[0] != '\0') {
    pluginSettings = ReadAll(path.text);
  } else {
    pluginSettings = kDefaults;
  }
}

}  // namespace lumavale
