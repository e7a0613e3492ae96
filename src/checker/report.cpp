#include "checker/report.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "patching/patch_set.h"
#include "platform/platform.h"
#include "checker/profile_text.h"
#include "checker/system.h"
#include "settings/settings.h"

namespace lumavale::check {
namespace {

using profile::Line;

// GetFullPathNameA can make paths longer than kMaxPath; the plug-in cannot read
// those, but the check still reads and explains them.
constexpr std::uint32_t kFullPathSize = 4096;
constexpr std::size_t kWidth = 79;  // an old console's 80 columns, less the last one
constexpr char kPluginFileName[] = "Lumavale.asi";
constexpr char kScriptsFolder[] = "scripts";

// What each setting does in the game, in a player's words.
struct Effect {
  bool PluginSettings::*onOff;
  float PluginSettings::*amount;
  const char* name;
  const char* on;
  const char* off;
};

constexpr Effect kEffects[] = {
    {&PluginSettings::enabled, nullptr, "lighting effect", "on", "off"},
    {nullptr, &PluginSettings::amountInFrontend, "amount in menus", nullptr, nullptr},
    {nullptr, &PluginSettings::amountInGameplay, "amount in play", nullptr, nullptr},
    {&PluginSettings::fog, nullptr, "fog", "on", "off (the game's own setting stays)"},
    {&PluginSettings::removeSkyTextures, nullptr, "sky textures", "removed", "kept"},
};

const Effect* EffectOf(const SettingKey& setting) {
  const auto* effect = std::ranges::find_if(kEffects, [&](const Effect& candidate) {
    return (setting.onOff != nullptr && candidate.onOff == setting.onOff) ||
           (setting.amount != nullptr && candidate.amount == setting.amount);
  });
  return effect == std::end(kEffects) ? nullptr : effect;
}

// The setting a patch row belongs to: the switch that decides it or the amount it stores.
const SettingKey* SettingOfRow(const PatchEntry& entry) {
  const auto* setting = std::ranges::find_if(kSettingKeys, [&](const SettingKey& candidate) {
    return (entry.condition != nullptr && entry.condition == candidate.onOff) ||
           (entry.amount != nullptr && entry.amount == candidate.amount);
  });
  return setting == std::end(kSettingKeys) ? nullptr : setting;
}

std::string Hex(std::uint32_t value, int digits) {
  std::string text;
  for (int i = digits - 1; i >= 0; --i) text += "0123456789ABCDEF"[(value >> (4 * i)) & 0xF];
  return text;
}

// "0x00B74D64 := 01": a row's address and the bytes it stores, in memory order.
std::string RowText(const PatchEntry& entry, const PluginSettings& settings) {
  std::string text = "0x" + Hex(entry.address, 8) + " :=";
  const std::uint32_t value = RowValue(entry, settings);
  for (std::uint32_t i = 0; i < entry.width; ++i) text += " " + Hex(value >> (8 * i), 2);
  return text;
}

// The folder part of a path, with its final separator; empty when there is none.
std::string FolderOf(const std::string& path) {
  const std::size_t last = path.find_last_of("\\/");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

// The folder above `folder` (which ends in a separator), or empty at a drive's root.
std::string ParentOf(const std::string& folder) {
  if (folder.size() < 2) return {};
  const std::size_t last = folder.find_last_of("\\/", folder.size() - 2);
  if (last == std::string::npos) return {};
  // "C:\" has no parent; "\\server\share\" is as far up as a share goes.
  const std::string parent = folder.substr(0, last + 1);
  return parent.size() < 3 || parent == "\\\\" ? std::string() : parent;
}

// Appends `text` wrapped at word boundaries, every line starting with `indent`.
void AppendWrapped(std::string& out, const std::string& indent, std::string_view text) {
  std::string line = indent;
  bool empty = true;
  while (!text.empty()) {
    const std::size_t space = text.find(' ');
    const std::string_view word = text.substr(0, space);
    text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
    if (word.empty()) continue;
    if (!empty && line.size() + 1 + word.size() > kWidth) {
      out += line + "\n";
      line = indent;
      empty = true;
    }
    if (!empty) line += ' ';
    line += word;
    empty = false;
  }
  if (!empty) out += line + "\n";
}

std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// "fog: on, 0x00B74D64 := 01"
std::string EffectText(const SettingKey& setting) {
  const PluginSettings& settings = pluginSettings;
  const Effect* effect = EffectOf(setting);
  std::string text = effect != nullptr ? effect->name : setting.key;
  if (setting.onOff != nullptr) {
    const bool on = settings.*setting.onOff;
    text += std::string(": ") + (effect != nullptr ? (on ? effect->on : effect->off) : (on ? "on" : "off"));
  } else {
    text += ": " + AmountText(settings.*setting.amount);
  }
  std::string rows;
  for (const PatchEntry& entry : kPatchSet) {
    if (SettingOfRow(entry) != &setting || !RowApplies(entry, settings)) continue;
    rows += ", " + RowText(entry, settings);
  }
  return text + (rows.empty() ? ", nothing written" : rows);
}

class Builder {
 public:
  Report Build(const char* given) {
    Say("Lumavale settings check\n\n");
    if (!FindFile(given)) return Finish();
    if (filePath.empty()) {
      // Said already: no settings file can be read from here.
    } else if (!fileText.has_value()) {
      Say("Settings file: none\n");
      AppendWrapped(report.text, "  ",
                    "There is no LumavaleSettings.ini in " + folder +
                        ". Without one the plug-in uses the defaults shown below.");
    } else {
      Say("Settings file: " + filePath + "\n");
    }
    lines = profile::Scan(fileText.value_or(std::string()));
    lineWarnings = CheckLines(lines);
    LoadSettings(settingsPath);
    CheckPlace();
    Settings();
    Rows();
    return Finish();
  }

 private:
  void Say(const std::string& text) { report.text += text; }

  void FileWarning(Problem problem, std::string message, std::string advice) {
    report.warnings.push_back({0, problem, std::move(message), std::move(advice)});
  }

  // Settles which file is checked and reads it; false when the given file cannot be read.
  bool FindFile(const char* given) {
    if (given == nullptr) {
      settingsPath = LocateSettingsFile();
      filePath = settingsPath.text;
      if (filePath.empty()) {
        FileWarning(Problem::kPathTooLong,
                    "This program's folder has a path too long for the plug-in: a plug-in in "
                    "this folder cannot read any settings file and uses the defaults.",
                    "Install the game and its plug-ins in a folder with a shorter path");
        Say("Settings file: cannot be read from this folder\n");
        return true;
      }
    } else {
      // A bare name would make the profile reads look in the Windows folder.
      char full[kFullPathSize] = {};
      const std::uint32_t length = system::FullPath(given, full, kFullPathSize);
      if (length == 0 || length >= kFullPathSize) return Unreadable(given);
      filePath = full;
      if (filePath.size() < sizeof settingsPath.text) {
        filePath.copy(settingsPath.text, filePath.size());
      } else {
        FileWarning(Problem::kPathTooLong,
                    "The path of this file is longer than the plug-in can handle (" +
                        std::to_string(sizeof settingsPath.text - 1) +
                        " characters): the plug-in cannot read it and uses the defaults.",
                    "Install the game and its plug-ins in a folder with a shorter path");
      }
      const std::string name = filePath.substr(FolderOf(filePath).size());
      if (!profile::SameName(name, kSettingsFileName)) {
        FileWarning(Problem::kOtherFileName,
                    "This file is called " + name + ", but the plug-in reads only a file called " +
                        kSettingsFileName + ". The values below are what it would use if the "
                        "file had that name.",
                    std::string("Rename the file to ") + kSettingsFileName);
      }
    }
    folder = FolderOf(filePath);
    if (!filePath.empty()) fileText = ReadAll(filePath.c_str());
    if (given != nullptr && !fileText.has_value()) return Unreadable(filePath.c_str());
    return true;
  }

  bool Unreadable(const char* path) {
    AppendWrapped(report.text, "",
                  std::string("Cannot read the file ") + path +
                      ": it does not exist, or it cannot be opened.");
    report.status = kStatusUnreadable;
    unreadable = true;
    return false;
  }

  static std::optional<std::string> ReadAll(const char* path) {
    std::string text(4096, '\0');
    std::uint32_t size = 0;
    if (!system::ReadWholeFile(path, text.data(), static_cast<std::uint32_t>(text.size()), &size)) {
      return std::nullopt;
    }
    if (size > text.size()) {
      // Grew past the first guess: read again at its full size.
      text.resize(size);
      if (!system::ReadWholeFile(path, text.data(), size, &size)) return std::nullopt;
    }
    text.resize(std::min<std::size_t>(size, text.size()));
    return text;
  }

  // Where the file lies against where the plug-in looks.
  void CheckPlace() {
    if (folder.empty()) return;
    const std::string parent = ParentOf(folder);
    const std::string scripts = folder + kScriptsFolder + "\\";
    std::string pluginElsewhere;
    if (!system::FileExists((folder + kPluginFileName).c_str())) {
      for (const std::string& near : {parent, scripts}) {
        if (!near.empty() && system::FileExists((near + kPluginFileName).c_str())) {
          pluginElsewhere = near;
          break;
        }
      }
      std::string message = std::string("There is no ") + kPluginFileName + " in " + folder +
                            ". The plug-in reads " + kSettingsFileName +
                            " only from the folder it lies in itself.";
      if (!pluginElsewhere.empty()) {
        message += std::string(" ") + kPluginFileName + " is in " + pluginElsewhere +
                   ": it reads the settings file there, not this one.";
      }
      FileWarning(Problem::kNoPluginBeside, std::move(message),
                  pluginElsewhere.empty()
                      ? std::string("Put ") + kSettingsFileName + " in the folder that holds " +
                            kPluginFileName + " (the game's folder or its scripts folder)"
                      : std::string("Move ") + kSettingsFileName + " into " + pluginElsewhere);
    }
    const bool pluginHere = pluginElsewhere.empty() && system::FileExists((folder + kPluginFileName).c_str());
    for (const std::string& near : {parent, scripts}) {
      if (near.empty() || !system::FileExists((near + kSettingsFileName).c_str())) continue;
      std::string message = std::string("There is another ") + kSettingsFileName + " in " + near +
                            ". The plug-in reads only the one beside " + kPluginFileName;
      std::string advice = std::string("Keep one ") + kSettingsFileName + ", beside " +
                           kPluginFileName + ", and delete the other";
      if (pluginElsewhere == near) {
        message += ", which is that one, not this one.";
      } else if (pluginHere && fileText.has_value()) {
        message += ", which is this one: the other is never read.";
      } else if (pluginHere) {
        message += std::string(", in ") + folder + ", where there is no settings file: the " +
                   "plug-in uses the defaults.";
        advice = "Move that file into " + folder;
      } else {
        message += ".";
      }
      FileWarning(Problem::kNeighbourSettings, std::move(message), std::move(advice));
    }
  }

  void Settings() {
    // A file the plug-in does not read as it lies: say what it would take from it.
    const bool notRead = std::ranges::any_of(report.warnings, [](const Warning& warning) {
      return warning.problem == Problem::kNoPluginBeside || warning.problem == Problem::kOtherFileName;
    });
    Say(notRead ? "\nWhat the plug-in would use from this file once it is in place:\n"
                : "\nWhat the plug-in will use:\n");
    for (const SettingKey& setting : kSettingKeys) {
      const std::optional<std::string> found = profile::Find(lines, setting.section, setting.key);
      const Line* counted = CountedLine(lines, setting);
      const std::string fallback =
          setting.onOff != nullptr ? std::to_string(setting.defaultNumber) : setting.defaultText;
      std::string written = "  [" + std::string(setting.section) + "] " + setting.key + ": ";
      if (found.has_value()) {
        written += "\"" + *found + "\" (line " + std::to_string(counted->number) + ")";
      } else if (counted != nullptr) {
        written += "no value (line " + std::to_string(counted->number) + "): default " + fallback;
      } else {
        written += "not set: default " + fallback;
      }
      Say(written + "\n");
      AppendWrapped(report.text, "      ", "-> " + EffectText(setting));
    }
  }

  void Rows() {
    Say("\nWhat the plug-in will write into the game (address := bytes):\n");
    for (const PatchEntry& entry : kPatchSet) {
      const SettingKey* setting = SettingOfRow(entry);
      const std::string name = setting != nullptr ? setting->key : "always";
      std::string row;
      if (RowApplies(entry, pluginSettings)) {
        row = "  " + RowText(entry, pluginSettings);
        row.resize(32, ' ');
        row += "(" + name + ")";
      } else {
        row = "  0x" + Hex(entry.address, 8) + "      not written: " + name + " is off";
      }
      Say(row + "\n");
    }
  }

  Report Finish() {
    if (unreadable) return std::move(report);
    for (Warning& warning : lineWarnings) report.warnings.push_back(std::move(warning));
    if (report.warnings.empty()) {
      Say("\nNo problems found: the plug-in reads this file as shown above.\n");
      report.status = kStatusClean;
      return std::move(report);
    }
    Say("\n" + Plural(report.warnings.size(), "warning", "warnings") + ":\n");
    for (const Warning& warning : report.warnings) {
      Say("\n");
      if (warning.line == 0) {
        Say("  The file:\n");
      } else {
        std::string where = "  Line " + std::to_string(warning.line);
        if (warning.line <= lines.size()) where += ": " + lines[warning.line - 1].text;
        Say(where + "\n");
      }
      AppendWrapped(report.text, "    ", warning.message);
      if (!warning.advice.empty()) AppendWrapped(report.text, "    ", "What to do: " + warning.advice);
    }
    Say("\nThe plug-in still starts, but the lines above do not do what they seem to.\n");
    report.status = kStatusWarnings;
    return std::move(report);
  }

  Report report;
  SettingsPath settingsPath{};
  std::string filePath;
  std::string folder;
  std::optional<std::string> fileText;
  std::vector<Line> lines;
  std::vector<Warning> lineWarnings;
  bool unreadable = false;
};

}  // namespace

Report CheckSettings(const char* given) { return Builder().Build(given); }

int RunChecker(int argc, const char* const* argv) {
  Report report = CheckSettings(argc > 1 ? argv[1] : nullptr);
  if (argc > 2) {
    report.text += "\nOnly the first file given was checked; check the others one at a time.\n";
  }
  system::WriteOut(report.text.data(), static_cast<std::uint32_t>(report.text.size()));
  if (system::OwnsConsole()) {
    // Started by a double-click: the window would close before anyone could read it.
    const char prompt[] = "\nPress Enter to close this window.\n";
    system::WriteOut(prompt, sizeof prompt - 1);
    system::WaitForEnter();
  }
  return report.status;
}

}  // namespace lumavale::check
