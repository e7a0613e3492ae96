#include "checker/report.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "patching/patch_set.h"
#include "platform/platform.h"
#include "checker/paths.h"
#include "checker/profile_text.h"
#include "checker/running_game.h"
#include "checker/system.h"
#include "checker/utf.h"
#include "settings/settings.h"

namespace lumavale::check {
namespace {

using profile::Line;

constexpr std::size_t kWidth = 79;  // an old console's 80 columns, less the last one
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

// Mostly NUL bytes: UTF-16 saved without its byte order mark, or a damaged file. The
// profile reads then find nothing in it.
bool MostlyNul(std::string_view bytes) {
  return bytes.size() >= 4 && static_cast<std::size_t>(std::ranges::count(bytes, '\0')) * 4 >= bytes.size();
}

constexpr char kShorterPath[] = "Install the game and its plug-ins in a folder with a shorter path";

class Builder {
 public:
  Report Build(const char* given) {
    Say("Lumavale settings check\n\n");
    if (!FindFile(given)) return Finish();
    const profile::Profile profile(fileText);
    if (bytes) {
      Say("Settings file: " + filePath + "\n");
      if (MostlyNul(fileText)) {
        FileWarning(Problem::kNotText,
                    "This file is mostly NUL bytes: it was saved as UTF-16 (\"Unicode\") without a "
                    "byte order mark, or it is damaged. The plug-in finds no settings in it and uses "
                    "the defaults.",
                    "Open it in a text editor and save it as ANSI or UTF-8");
      } else {
        lineWarnings = CheckLines(profile);
      }
    }
    LoadSettings(settingsPath);
    CheckPlace();
    Settings(profile);
    Rows();
    Game();
    return Finish();
  }

 private:
  void Say(const std::string& text) { report.text += text; }

  void FileWarning(Problem problem, std::string message, std::string advice) {
    report.warnings.push_back({0, problem, std::move(message), std::move(advice), {}});
  }

  // Settles which file is checked and reads it; false when a given file cannot be read.
  bool FindFile(const char* given) {
    if (given == nullptr) {
      // The plug-in's own reckoning of where its settings lie, for a plug-in in this
      // program's folder; the path shown is the one the player sees.
      settingsPath = LocateSettingsFile();
      if (settingsPath.text[0] == '\0' && settingsPath.wide[0] == u'\0') {
        FileWarning(Problem::kPathTooLong,
                    "This program's folder has a path too long for the plug-in: a plug-in in "
                    "this folder cannot read any settings file and uses the defaults.",
                    kShorterPath);
        Say("Settings file: cannot be read from this folder\n");
        return true;
      }
      folder = FolderOf(system::ProgramPath());
      filePath = folder + kSettingsFileName;
      return Read(false);
    }
    // A bare name would make the profile reads look in the Windows folder.
    filePath = system::FullPath(given);
    if (filePath.empty()) return Unreadable(Shown(given, 200), "the path cannot be made whole");
    folder = FolderOf(filePath);
    // The plug-in takes the narrow road where the path is plain ASCII, and the wide
    // one where a letter could be one the ANSI code page lacks.
    const std::u16string wide = utf::Utf16(filePath);
    const bool ascii = std::ranges::all_of(filePath, [](char c) { return (c & 0x80) == 0; });
    if (wide.size() > kSettingsTextSize - 1) {
      FileWarning(Problem::kPathTooLong,
                  "The path of this file is longer than the plug-in can handle (" +
                      std::to_string(kSettingsTextSize - 1) +
                      " characters): the plug-in cannot read it and uses the defaults.",
                  kShorterPath);
    } else if (ascii) {
      filePath.copy(settingsPath.text, filePath.size());
    } else {
      std::ranges::copy(wide, settingsPath.wide);
    }
    const std::string name = filePath.substr(folder.size());
    if (!profile::SameName(name, kSettingsFileName)) {
      FileWarning(Problem::kOtherFileName,
                  "This file is called " + Shown(name) + ", but the plug-in reads only a file called " +
                      kSettingsFileName + ". The values below are what it would use if the "
                      "file had that name.",
                  std::string("Rename the file to ") + kSettingsFileName);
    }
    return Read(true);
  }

  // Reads the file. A given one that cannot be read ends the check; one beside the
  // program that cannot be read is a warning.
  bool Read(bool given) {
    char* memory = nullptr;
    std::size_t size = 0;
    std::uint32_t error = 0;
    const system::Read read = system::ReadWholeFile(filePath, &memory, &size, &error);
    if (read == system::Read::kRead) {
      bytes.reset(memory);
      fileText = std::string_view(memory, size);
      return true;
    }
    // What the name stands for, when there is no file that could be opened.
    const system::Kind kind = read == system::Read::kCannotOpen ? system::KindOf(filePath) : system::Kind::kFile;
    if (kind == system::Kind::kNothing && !given) {
      Say("Settings file: none\n");
      AppendWrapped(report.text, "  ",
                    std::string("There is no ") + kSettingsFileName + " in " + folder +
                        ". Without one the plug-in uses the defaults shown below.");
      return true;
    }
    const bool notAFile = kind == system::Kind::kFolder || kind == system::Kind::kUnreachable;
    std::string why;
    switch (kind) {
      case system::Kind::kNothing: why = "it does not exist"; break;
      case system::Kind::kFolder: why = "it is a folder, not a file"; break;
      case system::Kind::kUnreachable: why = "it is a link that leads to no file, or a name the system refuses"; break;
      case system::Kind::kFile:
        why = read == system::Read::kTooLarge
                  ? "it is too large to read into memory"
                  : "it cannot be opened (system error " + std::to_string(error) +
                        "): another program may hold it, or you may not be allowed to read it";
        break;
    }
    if (given) return Unreadable(filePath, why);
    Say("Settings file: " + filePath + " cannot be read\n");
    FileWarning(notAFile ? Problem::kNotAFile : Problem::kUnreadableFile,
                std::string("There is something called ") + kSettingsFileName + " in " + folder +
                    ", but " + why + ". The plug-in cannot read settings from it and uses the defaults.",
                notAFile ? std::string("Delete it and put your settings in a file called ") +
                               kSettingsFileName + " there"
                         : std::string("Close other programs that may hold it, and check that you can open it"));
    return true;
  }

  bool Unreadable(const std::string& path, const std::string& why) {
    AppendWrapped(report.text, "", "Cannot read the file " + path + ": " + why + ".");
    for (const Warning& warning : report.warnings) {
      if (warning.problem == Problem::kPathTooLong) AppendWrapped(report.text, "", warning.message);
    }
    report.status = kStatusUnreadable;
    unreadable = true;
    return false;
  }

  static bool Exists(const std::string& path) { return system::KindOf(path) == system::Kind::kFile; }

  // Where the file lies against where the plug-in looks.
  void CheckPlace() {
    if (folder.empty()) return;
    const std::string parent = ParentOf(folder);
    const std::string scripts = folder + kScriptsFolder + "\\";
    std::string pluginElsewhere;
    if (!Exists(folder + kPluginFileName)) {
      const std::string nearby[] = {parent, scripts};
      const auto* holder = std::ranges::find_if(
          nearby, [](const std::string& near) { return !near.empty() && Exists(near + kPluginFileName); });
      if (holder != std::end(nearby)) pluginElsewhere = *holder;
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
    const bool pluginHere = pluginElsewhere.empty() && Exists(folder + kPluginFileName);
    for (const std::string& near : {parent, scripts}) {
      if (near.empty() || !Exists(near + kSettingsFileName)) continue;
      std::string message = std::string("There is another ") + kSettingsFileName + " in " + near +
                            ". The plug-in reads only the one beside " + kPluginFileName;
      std::string advice = std::string("Keep one ") + kSettingsFileName + ", beside " +
                           kPluginFileName + ", and delete the other";
      if (pluginElsewhere == near) {
        message += ", which is that one, not this one.";
      } else if (pluginHere && bytes) {
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

  void Settings(const profile::Profile& profile) {
    // A file the plug-in does not read as it lies: say what it would take from it.
    const bool notRead = std::ranges::any_of(report.warnings, [](const Warning& warning) {
      return warning.problem == Problem::kNoPluginBeside || warning.problem == Problem::kOtherFileName;
    });
    Say(notRead ? "\nWhat the plug-in would use from this file once it is in place:\n"
                : "\nWhat the plug-in will use:\n");
    for (const SettingKey& setting : kSettingKeys) {
      const std::optional<Line> counted = CountedLine(profile, setting);
      const std::string fallback =
          setting.onOff != nullptr ? std::to_string(setting.defaultNumber) : setting.defaultText;
      std::string written = "  [" + std::string(setting.section) + "] " + setting.key + ": ";
      if (counted && counted->hasValue) {
        written += "\"" + Shown(counted->value) + "\" (line " + std::to_string(counted->number) + ")";
      } else if (counted) {
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

  // "Is it working?": the running game of the plug-in that reads this file, if any.
  void Game() {
    if (folder.empty() || !Exists(folder + kPluginFileName)) return;
    const RunningGame game = LookForGame(folder, pluginSettings);
    Say("\nIn the running game:\n");
    switch (game.state) {
      case RunningGame::State::kNotRunning:
        AppendWrapped(report.text, "  ",
                      "No game is running from this folder or the one above it. Start the game and "
                      "run this check again to see whether the plug-in is active in it.");
        return;
      case RunningGame::State::kActive:
        AppendWrapped(report.text, "  ",
                      "Lumavale is active in the running game (" + game.image + "): every value above "
                      "is in place." +
                          (game.build.empty() ? std::string()
                                              : " The plug-in's table names this build: " + game.build + "."));
        return;
      case RunningGame::State::kWithoutPlugin:
        AppendWrapped(report.text, "  ",
                      "The game is running (" + game.image + "), but the ASI loader did not load " +
                          kPluginFileName + " from this folder.");
        FileWarning(Problem::kNotLoaded,
                    std::string("The ASI loader did not load ") + kPluginFileName + " from " + folder +
                        " into the running game. Usual causes: no ASI loader is installed; the "
                        "loader looks for plug-ins in another folder (the game's folder, or its "
                        "scripts folder); under Wine or Proton the loader's DLL is not set to native.",
                    "Install an ASI loader, put Lumavale.asi where it looks, and on Wine or Proton "
                    "set WINEDLLOVERRIDES=\"dinput8=n,b\" (with your loader's name)");
        return;
      case RunningGame::State::kDiffers:
        break;
    }
    std::string rows;
    for (const int row : game.differing) {
      rows += (rows.empty() ? "" : ", ") + std::to_string(row) + " (0x" +
              Hex(kPatchSet[static_cast<std::size_t>(row) - 1].address, 8) + ")";
    }
    const bool one = game.differing.size() == 1;
    rows = (one ? "row " : "rows ") + rows;
    AppendWrapped(report.text, "  ",
                  "Lumavale is loaded in the running game (" + game.image + "), but " + rows +
                      (one ? " holds" : " hold") + " other bytes than this file gives.");
    FileWarning(Problem::kNotActive,
                "In the running game, " + rows + (one ? " does" : " do") + " not hold what this file gives. Most likely "
                "the file was changed after the game started: the plug-in reads it once, when the game "
                "starts. Or the game itself changes that value.",
                "Restart the game to apply the file as it is now");
  }

  Report Finish() {
    if (unreadable) return std::move(report);
    const std::uint32_t hidden =
        lineWarnings.problemLines - std::min(lineWarnings.problemLines, kShownProblemLines);
    for (Warning& warning : lineWarnings.shown) report.warnings.push_back(std::move(warning));
    if (report.warnings.empty()) {
      Say("\nNo problems found: the plug-in reads this file as shown above.\n");
      report.status = kStatusClean;
      return std::move(report);
    }
    Say("\n" + Plural(report.warnings.size(), "warning", "warnings") +
        (hidden != 0 ? ", from the first " + std::to_string(kShownProblemLines) + " lines with any" : "") +
        ":\n");
    for (const Warning& warning : report.warnings) {
      Say("\n");
      const bool game = warning.problem == Problem::kNotLoaded || warning.problem == Problem::kNotActive;
      Say(warning.line == 0 ? std::string(game ? "  The running game:\n" : "  The file:\n")
                            : "  Line " + std::to_string(warning.line) + ": " + warning.text + "\n");
      AppendWrapped(report.text, "    ", warning.message);
      if (!warning.advice.empty()) AppendWrapped(report.text, "    ", "What to do: " + warning.advice);
    }
    if (hidden != 0) {
      Say("\n");
      AppendWrapped(report.text, "  ",
                    "And " + Plural(hidden, "more line", "more lines") +
                        " with problems, not shown here. Mend the lines above, then run the check "
                        "again to see the rest.");
    }
    const bool aboutTheFile = std::ranges::any_of(report.warnings, [](const Warning& warning) {
      return warning.problem != Problem::kNotLoaded && warning.problem != Problem::kNotActive;
    });
    if (aboutTheFile) Say("\nThe plug-in still starts, but the lines above do not do what they seem to.\n");
    report.status = kStatusWarnings;
    return std::move(report);
  }

  Report report;
  SettingsPath settingsPath{};
  std::string filePath;
  std::string folder;
  std::unique_ptr<char, decltype(&std::free)> bytes{nullptr, &std::free};
  std::string_view fileText;
  LineWarnings lineWarnings;
  bool unreadable = false;
};

}  // namespace

Report CheckSettings(const char* given) { return Builder().Build(given); }

int RunChecker(const std::vector<std::string>& arguments) {
  Report report = CheckSettings(arguments.size() > 1 ? arguments[1].c_str() : nullptr);
  if (arguments.size() > 2) {
    report.text += "\nOnly the first file given was checked; check the others one at a time.\n";
  }
  system::WriteOut(report.text);
  if (system::OwnsConsole()) {
    // Started by a double-click: the window would close before anyone could read it.
    system::WriteOut("\nPress Enter to close this window.\n");
    system::WaitForEnter();
  }
  return report.status;
}

}  // namespace lumavale::check
