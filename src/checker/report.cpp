#include "checker/report.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>

#include "checker/paths.h"
#include "checker/profile_text.h"
#include "checker/survey.h"
#include "checker/system.h"
#include "checker/verdict.h"
#include "patching/patch_set.h"
#include "settings/settings.h"

namespace lumavale::check {
namespace {

using profile::Line;

constexpr std::size_t kWidth = 79;  // an old console's 80 columns, less the last one
constexpr char kScriptsFolder[] = "scripts";
constexpr char kFromTheRelease[] = "Replace it with Lumavale.asi from the release zip";

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

// "01" or "CD CC 4C 3F": a row's bytes in memory order.
std::string BytesText(const PatchEntry& entry, std::uint32_t value) {
  std::string text;
  for (std::uint32_t i = 0; i < entry.width; ++i) text += (i == 0 ? "" : " ") + Hex(value >> (8 * i), 2);
  return text;
}

// "0x00B74D64 := 01": a row's address and the bytes it stores.
std::string RowText(const PatchEntry& entry, const PluginSettings& settings) {
  return "0x" + Hex(entry.address, 8) + " := " + BytesText(entry, RowValue(entry, settings));
}

// How wide text is on a console: a character, not a byte, takes a column.
std::size_t Columns(std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(text, [](char c) { return (c & 0xC0) != 0x80; }));
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
    if (!empty && Columns(line) + 1 + Columns(word) > kWidth) {
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
std::string EffectText(const SettingKey& setting, const PluginSettings& settings) {
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

// "row 2 (0x00726CEA)"
std::string RowName(std::size_t index) {
  return "row " + std::to_string(index + 1) + " (0x" + Hex(kPatchSet[index].address, 8) + ")";
}

// "row 1 (0x...) and row 4 (0x...)"
std::string RowNames(const std::vector<std::size_t>& rows) {
  std::string names;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == rows.size() ? " and " : ", ") + RowName(rows[i]);
  }
  return names;
}

// Mostly NUL bytes: UTF-16 saved without its byte order mark, or a damaged file. The
// profile reads then find nothing in it.
bool MostlyNul(std::string_view bytes) {
  return bytes.size() >= 4 && static_cast<std::size_t>(std::ranges::count(bytes, '\0')) * 4 >= bytes.size();
}

// What a file that is not settings text is, by its first bytes or by bytes no text
// holds; null for text. `text` is the file as the profile reads decode it.
const char* NotSettingsText(std::string_view bytes, std::string_view text) {
  struct Mark {
    std::string_view start;
    const char* what;
  };
  static constexpr Mark kMarks[] = {
      {"MZ", "a program (it starts with \"MZ\")"},
      {"PK\x03\x04", "an archive"},
      {"Rar!", "an archive"},
      {"7z\xBC\xAF", "an archive"},
      {"\x1F\x8B", "an archive"},
      {"\x89PNG", "a picture"},
      {"\xFF\xD8\xFF", "a picture"},
      {"GIF8", "a picture"},
  };
  for (const Mark& mark : kMarks) {
    if (bytes.starts_with(mark.start)) return mark.what;
  }
  if (MostlyNul(text)) return nullptr;  // said as UTF-16 without its mark
  const std::string_view head = text.substr(0, 0x10000);
  const auto binary = std::ranges::count_if(head, [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\v' && byte != '\f' && byte != '\r' &&
           byte != 0x1A && byte != 0x1B;
  });
  return static_cast<std::size_t>(binary) * 4 > head.size() ? "a file of bytes that no text holds" : nullptr;
}

// Whether `path`'s name holds a wildcard: "*.ini" is a pattern, and no file is called so.
bool IsPattern(const std::string& path) {
  const std::string_view name = std::string_view(path).substr(path.starts_with("\\\\?\\") ? 4 : 0);
  return name.find_first_of("*?") != std::string_view::npos;
}

bool AboutTheGame(Problem problem) {
  return problem == Problem::kNotLoaded || problem == Problem::kNotActive || problem == Problem::kSeveralLoaded ||
         problem == Problem::kOtherCopyLoaded;
}

bool AboutThePlugIn(Problem problem) {
  return problem == Problem::kTwoCopies || problem == Problem::kNotThePlugIn || problem == Problem::kPlugInRenamed;
}

bool SameSettings(const PluginSettings& a, const PluginSettings& b) {
  return a.enabled == b.enabled && a.fog == b.fog && a.removeSkyTextures == b.removeSkyTextures &&
         std::bit_cast<std::uint32_t>(a.amountInFrontend) == std::bit_cast<std::uint32_t>(b.amountInFrontend) &&
         std::bit_cast<std::uint32_t>(a.amountInGameplay) == std::bit_cast<std::uint32_t>(b.amountInGameplay);
}

constexpr char kShorterPath[] = "Install the game and its plug-ins in a folder with a shorter path";

class Builder {
 public:
  Report Build(const char* given) {
    Say("Lumavale settings check\n\n");
    if (!FindFile(given)) return Finish();
    const profile::Profile profile(fileText);
    if (bytes) {
      if (const char* what = NotSettingsText(fileText, profile.Text())) {
        if (given != nullptr) {
          Stop("The file " + filePath + " is not a settings file: it is " + what +
               ". The plug-in reads its settings only from text.");
          return Finish();
        }
        notText = what;
      }
      Say("Settings file: " + filePath + "\n");
      if (notText.empty() && MostlyNul(profile.Text())) {
        FileWarning(Problem::kNotText,
                    "This file is mostly NUL bytes: it was saved as UTF-16 (\"Unicode\") without a "
                    "byte order mark, or it is damaged. The plug-in finds no settings in it and uses "
                    "the defaults.",
                    "Open it in a text editor and save it as ANSI or UTF-8");
      } else if (notText.empty()) {
        lineWarnings = CheckLines(profile);
      }
    }
    LoadSettings(settingsPath);
    fileSettings = pluginSettings;
    if (!notText.empty()) {
      FileWarning(Problem::kNotSettingsText,
                  "This file is not settings text: it is " + notText + ". The plug-in reads it as text all the same" +
                      // An empty path reads nothing: the defaults.
                      (SameSettings(fileSettings, SettingsOf("")) ? ", finds no settings in it and uses the defaults."
                                                                  : "; what it makes of it is shown below."),
                  "Write your settings in a text editor and save them as " + std::string(kSettingsFileName) +
                      " in its place");
    }
    Install();
    games = LookForGames(PluginFolders());
    PlaceWarnings();
    // What is not text has no lines to show.
    const profile::Profile nothing{std::string_view()};
    Settings(notText.empty() ? profile : nothing);
    Rows();
    Games();
    return Finish();
  }

 private:
  void Say(const std::string& text) { report.text += text; }

  void Tell(const std::string& text) { AppendWrapped(report.text, "  ", text); }

  void FileWarning(Problem problem, std::string message, std::string advice, std::string place = {}) {
    report.warnings.push_back({0, problem, std::move(message), std::move(advice), std::move(place)});
  }

  // --- The file ---------------------------------------------------------------------

  // Settles which file is checked and reads it; false when a given file cannot be read.
  bool FindFile(const char* given) {
    if (given == nullptr) {
      // The plug-in's own reckoning of where its settings lie, for a plug-in in this
      // program's folder; the path shown is the one the player sees.
      folder = FolderOf(system::ProgramPath());
      filePath = folder + kSettingsFileName;
      settingsPath = LocateSettingsFile();
      if (settingsPath.text[0] == '\0' && settingsPath.wide[0] == u'\0') {
        FileWarning(Problem::kPathTooLong,
                    "This program's folder has a path too long for the plug-in: a plug-in in "
                    "this folder cannot read any settings file and uses the defaults.",
                    kShorterPath);
        Say("Settings file: cannot be read from this folder\n");
        return true;
      }
      return Read(false);
    }
    // A bare name would make the profile reads look in the Windows folder.
    filePath = system::FullPath(given);
    if (filePath.empty()) return Stop("Cannot read the file " + Shown(given, 200) + ": the path cannot be made whole.");
    if (IsPattern(filePath)) {
      return Stop("Cannot read the file " + filePath + ": it is a pattern, not a file. Windows takes * and ? to "
                  "stand for other letters, and no file is called so. Give the whole name of one file.");
    }
    folder = FolderOf(filePath);
    settingsPath = PathFor(filePath);
    if (settingsPath.text[0] == '\0' && settingsPath.wide[0] == u'\0') {
      FileWarning(Problem::kPathTooLong,
                  "The path of this file is longer than the plug-in can handle (" +
                      std::to_string(kSettingsTextSize - 1) +
                      " characters): the plug-in cannot read it and uses the defaults.",
                  kShorterPath);
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
    constexpr std::uint32_t kAccessDenied = 5;
    const bool notAFile = kind == system::Kind::kFolder || kind == system::Kind::kUnreachable;
    std::string why;
    switch (kind) {
      case system::Kind::kNothing: why = "it does not exist"; break;
      case system::Kind::kFolder: why = "it is a folder, not a file"; break;
      case system::Kind::kUnreachable: why = "it is a link that leads to no file, or a name the system refuses"; break;
      case system::Kind::kDenied: why = "Windows does not let this check read it (access denied)"; break;
      case system::Kind::kFile:
        why = read == system::Read::kTooLarge ? "it is too large to read into memory"
              : error == kAccessDenied
                  ? "Windows does not let this check read it (access denied)"
                  : "it cannot be opened (system error " + std::to_string(error) +
                        "): another program may hold it, or you may not be allowed to read it";
        break;
    }
    if (given) return Stop("Cannot read the file " + filePath + ": " + why + ".");
    Say("Settings file: " + filePath + " cannot be read\n");
    FileWarning(notAFile ? Problem::kNotAFile : Problem::kUnreadableFile,
                std::string("There is something called ") + kSettingsFileName + " in " + folder +
                    ", but " + why + ". The plug-in cannot read settings from it and uses the defaults.",
                notAFile ? std::string("Delete it and put your settings in a file called ") +
                               kSettingsFileName + " there"
                         : std::string("Close other programs that may hold it, and check that you can open it"));
    return true;
  }

  // Ends the check with status 2, saying why.
  bool Stop(const std::string& why) {
    AppendWrapped(report.text, "", why);
    // Only a path too long still matters; advice about the file's name would not help.
    std::erase_if(report.warnings, [](const Warning& warning) { return warning.problem != Problem::kPathTooLong; });
    for (const Warning& warning : report.warnings) AppendWrapped(report.text, "", warning.message);
    report.status = kStatusUnreadable;
    unreadable = true;
    return false;
  }

  static bool Exists(const std::string& path) { return system::KindOf(path) == system::Kind::kFile; }

  // --- The install: the copies of the plug-in beside the file, and beside this check --

  // A folder where the player put the plug-in: a copy of it, or something called like it.
  static bool HoldsPlugIn(const FolderLook& look) { return !look.copies.empty() || !look.lookalikes.empty(); }

  // The copies seen from `end`: there, or, where it holds none, in the folder above it or
  // in its scripts folder. Each folder looked into once.
  const FolderLook* LookFrom(const std::string& end) {
    const FolderLook& here = Look(end);
    if (!here.listed || HoldsPlugIn(here)) return &here;
    for (const std::string& near : {ParentOf(end), end + kScriptsFolder + "\\"}) {
      if (near.size() <= 1) continue;
      if (const FolderLook& there = Look(near); HoldsPlugIn(there)) return &there;
    }
    return &here;
  }

  const FolderLook& Look(const std::string& where) {
    const auto seen = std::ranges::find_if(looks, [&](const FolderLook& look) { return SamePath(look.folder, where); });
    if (seen != looks.end()) return *seen;
    looks.push_back(LookIn(where));
    return looks.back();
  }

  // Which copies the file and this check lie with, and so which file the plug-in reads
  // and which settings it will write.
  void Install() {
    if (folder.empty()) {
      writeSettings = fileSettings;
      return;
    }
    fromFile = LookFrom(folder);
    const std::string checkFolder = FolderOf(system::ProgramPath());
    fromCheck = checkFolder.empty() ? nullptr : LookFrom(checkFolder);
    const FolderLook& here = Look(folder);
    // The plug-in that reads settings for this file: beside it, else near it, else beside this check.
    const FolderLook* plugin = !here.listed || HoldsPlugIn(here)  ? &here
                               : HoldsPlugIn(*fromFile)           ? fromFile
                               : fromCheck != nullptr && HoldsPlugIn(*fromCheck) ? fromCheck
                                                                     : nullptr;
    if (plugin != nullptr) readFile = plugin->folder + kSettingsFileName;
    for (const PluginCopy& copy : here.copies) Say("Plug-in: " + Named(copy) + "\n");
    if (plugin != nullptr && plugin != &here) {
      for (const PluginCopy& copy : plugin->copies) Say("Plug-in: " + copy.path + ", Lumavale " + copy.version + "\n");
    }
    if (!here.listed) Say("Plug-in: cannot tell, the files in " + folder + " cannot be listed\n");
    writeSettings = FileIsRead() ? fileSettings : SettingsOf(readFile);
  }

  std::vector<std::string> PluginFolders() const {
    std::vector<std::string> folders;
    const auto add = [&](const std::string& where) {
      if (!where.empty() && std::ranges::none_of(folders, [&](const std::string& f) { return SamePath(f, where); })) {
        folders.push_back(where);
      }
    };
    for (const FolderLook& look : looks) {
      if (HoldsPlugIn(look)) add(look.folder);
    }
    // With no copy anywhere, a game may still have loaded one from the folders asked about.
    if (folders.empty()) {
      add(folder);
      add(FolderOf(system::ProgramPath()));
    }
    return folders;
  }

  // Whether some running game has loaded the file at `path`.
  bool Loaded(const std::string& path) const {
    return std::ranges::any_of(games, [&](const RunningGame& game) {
      return std::ranges::any_of(game.otherAsi, [&](const std::string& module) { return SamePath(module, path); }) ||
             std::ranges::any_of(game.loaded, [&](const PluginCopy& copy) { return SamePath(copy.path, path); });
    });
  }

  void PlaceWarnings() {
    if (folder.empty()) return;
    const FolderLook& here = Look(folder);
    const std::string name = filePath.substr(folder.size());
    if (bytes && !profile::SameName(name, kSettingsFileName) && (!here.listed || HoldsPlugIn(here))) {
      const bool taken = Exists(folder + kSettingsFileName);
      FileWarning(Problem::kOtherFileName,
                  "This file is called " + Shown(name) + ", but the plug-in reads only a file called " +
                      kSettingsFileName + ". The values above are what it would use if the file had that name.",
                  taken ? std::string("Copy this file over the ") + kSettingsFileName + " in " + folder +
                              ", which the plug-in reads now"
                        : std::string("Rename the file to ") + kSettingsFileName);
    }
    // Each folder looked into so far is one the plug-in was looked for in.
    for (const FolderLook& look : looks) {
      if (look.copies.size() > 1) TwoCopies(look);
      for (const Lookalike& lookalike : look.lookalikes) LookalikeWarning(look, lookalike);
    }
    if (here.listed && !HoldsPlugIn(here)) NoPlugInBeside();
    NearNames(PluginFolder());
    Neighbours();
  }

  void TwoCopies(const FolderLook& look) {
    std::string names;
    for (const PluginCopy& copy : look.copies) names += (names.empty() ? "" : "; ") + Named(copy);
    FileWarning(Problem::kTwoCopies,
                "There are " + std::to_string(look.copies.size()) + " copies of the plug-in in " + look.folder +
                    ": " + names + ". The ASI loader loads each of them, and each reads the same " +
                    kSettingsFileName + ", so the one loaded last writes last.",
                "Keep one copy of the plug-in in this folder");
  }

  void LookalikeWarning(const FolderLook& look, const Lookalike& lookalike) {
    const bool loaded = Loaded(lookalike.path);
    if (lookalike.what == Lookalike::What::kPlugInRenamed) {
      // A copy with the right name beside it: this one is most likely kept aside on purpose.
      if (!look.copies.empty() || loaded) return;
      FileWarning(Problem::kPlugInRenamed,
                  lookalike.path + " is the plug-in, but its name does not end in .asi, so the ASI loader "
                                   "does not load it.",
                  "Rename it to " + std::string(kPluginFileName));
      return;
    }
    const char* what = lookalike.what == Lookalike::What::kEmpty ? "it is empty (0 bytes), most likely a download "
                                                                   "that failed"
                       : lookalike.what == Lookalike::What::kNotAProgram
                           ? "it is not a program at all"
                           : "it is a program, but not this plug-in: it does not carry the plug-in's version "
                             "information";
    FileWarning(Problem::kNotThePlugIn,
                lookalike.path + " is not the plug-in: " + what + "." +
                    (loaded ? " The running game has loaded it." : ""),
                std::string(kFromTheRelease) + (loaded ? ", then restart the game" : ""));
  }

  void NoPlugInBeside() {
    const bool fromElsewhere = !HoldsPlugIn(*fromFile) && fromCheck != nullptr && HoldsPlugIn(*fromCheck);
    const FolderLook* plugin = HoldsPlugIn(*fromFile) ? fromFile : fromElsewhere ? fromCheck : nullptr;
    std::string message = "There is no copy of the plug-in in " + folder + ". The plug-in reads " +
                          kSettingsFileName + " only from the folder it lies in itself, so no copy reads this file.";
    std::string advice = std::string("Put ") + kSettingsFileName + " in the folder that holds " + kPluginFileName +
                         " (the game's folder or its scripts folder)";
    if (plugin != nullptr) {
      const std::string copy = plugin->copies.empty() ? plugin->lookalikes.front().path
                                                      : plugin->copies.front().path + " (Lumavale " +
                                                            plugin->copies.front().version + ")";
      message += (fromElsewhere ? " The copy beside this check, " + copy + ", reads " + readFile + "."
                                : " The plug-in is in " + plugin->folder + ": " + copy + " reads " + readFile +
                                      " instead.");
      advice = Exists(readFile)  ? "Copy this file over " + readFile
               : fromElsewhere   ? "Copy this file into " + plugin->folder
                                 : std::string("Move ") + kSettingsFileName + " into " + plugin->folder;
    }
    FileWarning(Problem::kNoPluginBeside, std::move(message), std::move(advice));
  }

  // Another settings file in the folder above or in the scripts folder.
  void Neighbours() {
    const std::string parent = ParentOf(folder);
    const std::string scripts = folder + kScriptsFolder + "\\";
    const FolderLook& here = Look(folder);
    const bool pluginHere = here.listed && HoldsPlugIn(here);
    for (const std::string& near : {parent, scripts}) {
      if (near.empty() || !Exists(near + kSettingsFileName)) continue;
      if (!pluginHere && SamePath(near + kSettingsFileName, readFile)) continue;  // said: it is the one read
      const FolderLook& beside = Look(near);
      std::string message = std::string("There is another ") + kSettingsFileName + " in " + near + ". ";
      std::string advice = std::string("Keep one ") + kSettingsFileName + ", beside " + kPluginFileName +
                           ", and delete the other";
      if (!beside.copies.empty()) {
        message += "Another copy of the plug-in lies beside it (" + Named(beside.copies.front()) +
                   ") and reads it. Where the ASI loader loads both copies, both write, and the one loaded "
                   "last writes last.";
        advice = "Keep one copy of the plug-in, with its settings file beside it";
      } else if (pluginHere && bytes) {
        message += "The plug-in reads only the one beside it, which is this one: the other is never read.";
      } else if (pluginHere) {
        message += std::string("The plug-in reads only the one beside it, in ") + folder +
                   ", where there is no settings file: the plug-in uses the defaults.";
        advice = "Move that file into " + folder;
      } else {
        message += std::string("The plug-in reads only the one beside ") + kPluginFileName + ".";
      }
      FileWarning(Problem::kNeighbourSettings, std::move(message), std::move(advice));
    }
  }

  // Files named nearly like the settings file, where the real one is missing: Windows
  // hides known extensions, so "LumavaleSettings.ini.txt" looks like the real name.
  void NearNames(const std::string& where) {
    if (system::KindOf(where + kSettingsFileName) != system::Kind::kNothing) return;
    for (const std::string& name : NamesNearSettings(where)) {
      if (bytes && SamePath(where + name, filePath)) continue;  // said already: it has another name
      // "LumavaleSettings.ini.txt": an extension added behind the real one.
      const bool hidden = name.size() > sizeof kSettingsFileName &&
                          profile::SameName(name.substr(0, sizeof kSettingsFileName), std::string(kSettingsFileName) + ".");
      FileWarning(Problem::kNearName,
                  "There is no " + std::string(kSettingsFileName) + " in " + where + ", but there is " +
                      Shown(name) + ". The plug-in reads only a file called exactly " + kSettingsFileName +
                      ", so it does not read this one." +
                      (hidden ? " Windows hides known extensions such as .txt, so its name may look right in "
                                "File Explorer."
                              : ""),
                  "Rename " + Shown(name) + " to " + kSettingsFileName +
                      " (in File Explorer, turn on View > File name extensions to see the whole name)");
    }
  }

  // --- What the plug-in makes of the file ------------------------------------------------

  void Settings(const profile::Profile& profile) {
    // A file the plug-in does not read as it lies: say what it would take from it.
    Say(!FileIsRead() ? "\nWhat the plug-in would use from this file once it is in place:\n"
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
      AppendWrapped(report.text, "      ", "-> " + EffectText(setting, fileSettings));
    }
  }

  void Rows() {
    // Which file the written values come from, when not the one shown.
    const std::string with = FileIsRead()      ? ""
                             : readFile.empty() ? ", with the defaults, wherever no settings file lies beside it"
                             : Exists(readFile) ? ", with the settings file it reads, " + readFile
                                                : ", with the defaults, as no settings file lies beside it";
    Say("\n");
    AppendWrapped(report.text, "", "What the plug-in will write into the game" + with + " (address := bytes):");
    for (std::size_t i = 0; i < std::size(kPatchSet); ++i) {
      const PatchEntry& entry = kPatchSet[i];
      const SettingKey* setting = SettingOfRow(entry);
      const std::string name = setting != nullptr ? setting->key : "always";
      std::string row = "  row " + std::to_string(i + 1) + "  ";
      if (RowApplies(entry, writeSettings)) {
        row += RowText(entry, writeSettings);
        row.resize(40, ' ');
        row += "(" + name + ")";
      } else {
        row += "0x" + Hex(entry.address, 8) + "      not written: " + name + " is off";
      }
      Say(row + "\n");
    }
  }

  // --- The running games ----------------------------------------------------------------

  // "C:\Games\Host\game.exe", with its process where one executable runs twice.
  std::string Label(const RunningGame& game) const {
    const bool twice = std::ranges::count_if(games, [&](const RunningGame& other) {
                         return SamePath(other.image, game.image);
                       }) > 1;
    return game.image + (twice ? ", process " + std::to_string(game.id) : "");
  }

  std::string Place(const RunningGame& game) const { return games.size() > 1 ? Label(game) : std::string(); }

  // "this file", or the file a copy reads, or the defaults where it lies alone.
  std::string FileName(const std::string& path) const {
    if (bytes && SamePath(path, filePath)) return "this file";
    return Exists(path) ? path : "the defaults (no settings file lies in " + FolderOf(path) + ")";
  }

  // Where a row's value comes from: "this file", or another file, or the defaults.
  std::string Source(const RunningGame& game, const GameVerdict& verdict, std::size_t row) const {
    return FileName(SettingsFileOf(game.loaded[*verdict.rows[row].writer]));
  }

  void Games() {
    if (folder.empty()) return;
    Say(games.size() > 1 ? "\nIn the running games:\n" : "\nIn the running game:\n");
    for (const RunningGame& game : games) {
      switch (game.state) {
        case RunningGame::State::kOtherInstall:
          Tell(Label(game) + " is running, but it is another install's game: " + game.nearer +
               ", in a folder nearer the plug-in, is a game of its own, and that is the one this install's "
               "plug-in is for. The check does not look into " + game.image + ".");
          break;
        case RunningGame::State::kClosed:
          Tell("The game is running (" + Label(game) + "), but Windows does not let this check look into it, "
               "most likely because the game runs as administrator. Run LumavaleCheck.exe as administrator too.");
          break;
        case RunningGame::State::kOpened:
          Game(game);
          break;
      }
    }
    if (std::ranges::all_of(games, [](const RunningGame& g) { return g.state == RunningGame::State::kOtherInstall; })) {
      NoGame();
    }
  }

  void NoGame() {
    std::string folders;
    const std::vector<std::string> pluginFolders = PluginFolders();
    for (std::size_t i = 0; i < pluginFolders.size(); ++i) {
      folders += (i == 0 ? "" : i + 1 == pluginFolders.size() ? " or " : ", ") + pluginFolders[i];
    }
    Tell("No game of this install is running: the check looks for a program that can hold the plug-in's values, "
         "started from " + folders + " or a folder above; a game started from elsewhere is not looked for. Start "
         "the game and run this check again to see whether the plug-in is active in it.");
    if (system::UnderWine()) {
      std::string app = SteamAppOf(pluginFolders.front());
      Tell("This check runs under Wine, and sees only the programs of its own Wine prefix. A game in another "
           "prefix (under Proton each game has its own) cannot be seen from here: run the check in the game's "
           "prefix, with WINEPREFIX=<the game's prefix> wine LumavaleCheck.exe, or on Proton and the Steam Deck "
           "with protontricks-launch --appid " + (app.empty() ? "<the game's Steam app id>" : app) +
           " LumavaleCheck.exe" + (app.empty() ? "" : " (" + app + " is the Steam app id of this game folder)") +
           ".");
    }
  }

  void NotLoaded(const RunningGame& game) {
    const auto lookalike = std::ranges::find_if(game.otherAsi, [](const std::string& path) {
      return profile::SameName(path.substr(FolderOf(path).size()), kPluginFileName);
    });
    const bool called = lookalike != game.otherAsi.end();
    Tell("The game is running (" + Label(game) + "), but no copy of the plug-in is loaded in it." +
         (called ? " It has loaded " + *lookalike + ", which is not the plug-in." : ""));
    if (called) {
      // Said among the plug-in's warnings where it lies in a folder looked into.
      if (std::ranges::none_of(looks, [&](const FolderLook& look) { return SamePath(look.folder, FolderOf(*lookalike)); })) {
        FileWarning(Problem::kNotLoaded, "The running game has loaded " + *lookalike + ", which is not the plug-in.",
                    std::string(kFromTheRelease) + ", then restart the game", Place(game));
      }
    } else if (!game.otherAsi.empty()) {
      const std::string there = FolderOf(game.otherAsi.front());
      FileWarning(Problem::kNotLoaded,
                  "The ASI loader works: the running game has loaded " + game.otherAsi.front() +
                      (game.otherAsi.size() > 1 ? " and " + Plural(game.otherAsi.size() - 1, "other", "others") : "") +
                      ". But it did not load the plug-in, from " + PluginFolder() + " or anywhere else.",
                  "Put Lumavale.asi and its " + std::string(kSettingsFileName) + " in " + there +
                      ", where the loader found the others, then restart the game",
                  Place(game));
    } else {
      FileWarning(Problem::kNotLoaded,
                  "The ASI loader did not load the plug-in into the running game, from " + PluginFolder() +
                      " or anywhere else, nor any other .asi file. Usual causes: no ASI loader is installed; "
                      "the loader looks for plug-ins in another folder (the game's folder, or its scripts folder); "
                      "under Wine or Proton the loader's DLL is not set to native.",
                  "Install an ASI loader, put Lumavale.asi where it looks, and on Wine or Proton "
                  "set WINEDLLOVERRIDES=\"dinput8=n,b\" (with your loader's name)",
                  Place(game));
    }
  }

  // "row 2 (0x...): 33 33 33 3F, from C:\...\LumavaleSettings.ini"
  std::string RowLine(const RunningGame& game, const GameVerdict& verdict, std::size_t r) const {
    const RowVerdict& row = verdict.rows[r];
    const PatchEntry& entry = kPatchSet[r];
    if (!row.writer) return RowName(r) + ": written by no loaded copy";
    const std::string from = ", from " + Source(game, verdict, r);
    if (!row.held) return RowName(r) + ": cannot be read; it gets " + BytesText(entry, row.written) + from;
    if (row.Holds()) return RowName(r) + ": " + BytesText(entry, row.written) + from;
    return RowName(r) + ": holds " + BytesText(entry, *row.held) + "; a restart writes " +
           BytesText(entry, row.written) + from;
  }

  void Game(const RunningGame& game) {
    if (game.loaded.empty()) return NotLoaded(game);
    const GameVerdict verdict = Judge(game, filePath);
    const bool several = game.loaded.size() > 1;
    const std::string source = several ? "the files of the " + std::to_string(game.loaded.size()) + " loaded copies"
                                       : FileName(SettingsFileOf(game.loaded.front()));
    const std::string build = game.build.empty() ? "" : " The plug-in's table names this build: " + game.build + ".";
    std::vector<std::size_t> differing = verdict.changing;
    differing.insert(differing.end(), verdict.unread.begin(), verdict.unread.end());
    std::ranges::sort(differing);
    if (verdict.Active()) {
      Tell("Lumavale is active in the running game (" + Label(game) + "): every value from " + source + " is in place." +
           build);
    } else {
      const bool one = differing.size() == 1;
      Tell("Lumavale is loaded in the running game (" + Label(game) + "), but " + RowNames(differing) +
           (one ? " does" : " do") + " not hold the value from " + source + ".");
    }
    if (several || !verdict.Active()) {
      for (std::size_t r = 0; r < verdict.rows.size(); ++r) {
        if (several || !verdict.rows[r].Holds()) AppendWrapped(report.text, "    ", RowLine(game, verdict, r));
      }
    }
    if (several) SeveralLoaded(game, verdict);
    // The copy that reads the file the plug-in here reads is not among them.
    const bool readsHere = readFile.empty() || std::ranges::any_of(game.loaded, [&](const PluginCopy& copy) {
      return SamePath(SettingsFileOf(copy), readFile);
    });
    if (!readsHere) {
      const PluginCopy& last = game.loaded.back();
      FileWarning(Problem::kOtherCopyLoaded,
                  "The running game has loaded the plug-in from " + last.path + " (Lumavale " + last.version +
                      "), not the copy that reads " + (FileIsRead() ? "this file" : readFile) + ". That copy reads " +
                      SettingsFileOf(last) + ".",
                  bytes && FileIsRead() ? "Copy this file over " + SettingsFileOf(last) + ", then restart the game"
                                        : "Keep one copy of the plug-in, with its settings file beside it",
                  Place(game));
    }
    if (!verdict.changing.empty()) {
      // A restart applies what the copies that write those rows read now.
      std::vector<std::string> files;
      for (const std::size_t r : verdict.changing) {
        const std::string file = Source(game, verdict, r);
        if (std::ranges::find(files, file) == files.end()) files.push_back(file);
      }
      std::string named;
      for (std::size_t i = 0; i < files.size(); ++i) named += (i == 0 ? "" : " and ") + files[i];
      const bool one = verdict.changing.size() == 1;
      FileWarning(Problem::kNotActive,
                  "In the running game, " + RowNames(verdict.changing) + (one ? " does" : " do") + " not hold the value from " +
                      named + " as it is now. Most likely the file was changed after the game started: the plug-in "
                      "reads it once, when the game starts. Or the game itself changes that value.",
                  "Restart the game" + std::string(games.size() > 1 ? " (" + Label(game) + ")" : "") +
                      " to apply " + named + " as it is now",
                  Place(game));
    }
    for (std::size_t r = 0; r < verdict.rows.size(); ++r) {
      if (!verdict.rows[r].heldAnyway) continue;
      const char* key = SettingOfRow(kPatchSet[r])->key;
      Tell("Note: " + RowName(r) + " is written by no loaded copy with the files as they are now (" + key +
           " is off), but it holds the bytes the plug-in writes there when " + key + " is 1. If " + key +
           " was 1 when the game started, the plug-in wrote them, and they stay until the game restarts" +
           (verdict.reader ? ": restart it to apply the file as it is now" : "") +
           ". The game may also hold these bytes itself (its own setting), and the check cannot tell which.");
    }
  }

  void SeveralLoaded(const RunningGame& game, const GameVerdict& verdict) {
    std::string copies;
    for (const PluginCopy& copy : game.loaded) {
      copies += (copies.empty() ? "" : "; then ") + copy.path + " (Lumavale " + copy.version + "), which reads " +
                SettingsFileOf(copy);
    }
    std::string message = "The running game has loaded " + std::to_string(game.loaded.size()) +
                          " copies of the plug-in, in this order: " + copies +
                          ". Each writes its values when the game starts, so a row that more than one writes "
                          "holds what the last of them writes.";
    const auto by = [&](const std::vector<std::size_t>& rows) {
      const PluginCopy& writer = game.loaded[*verdict.rows[rows.front()].writer];
      return writer.path + ", from " + Source(game, verdict, rows.front());
    };
    if (!verdict.overwritten.empty()) {
      message += " Of what this file gives, " + RowNames(verdict.overwritten) + " " +
                 (verdict.overwritten.size() == 1 ? "is" : "are") + " overwritten by a copy loaded later: " +
                 by(verdict.overwritten) + ".";
    }
    if (!verdict.writtenAnyway.empty()) {
      message += " This file leaves " + RowNames(verdict.writtenAnyway) + " unwritten, but another copy writes " +
                 (verdict.writtenAnyway.size() == 1 ? "it" : "them") + ": " + by(verdict.writtenAnyway) + ".";
    }
    const std::string advice =
        verdict.reader ? "Keep only the copy that reads this file, " + game.loaded[*verdict.reader].path +
                             ", and remove the others; or write the same values in every copy's settings file"
                       : "Keep one copy of the plug-in, with its settings file beside it";
    FileWarning(Problem::kSeveralLoaded, std::move(message), advice, Place(game));
  }

  // --- Which file the plug-in reads -------------------------------------------------------

  // Whether the plug-in reads the file shown; without a folder there is only that file.
  bool FileIsRead() const { return folder.empty() || (!readFile.empty() && SamePath(readFile, filePath)); }

  // Where the plug-in that reads the file lies, or the file's own folder when none is known.
  std::string PluginFolder() const { return readFile.empty() ? folder : FolderOf(readFile); }

  bool AnyPlugIn() const {
    return std::ranges::any_of(looks, [](const FolderLook& look) { return !look.copies.empty(); }) ||
           std::ranges::any_of(games, [](const RunningGame& game) { return !game.loaded.empty(); });
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
      if (warning.line != 0) {
        Say("  Line " + std::to_string(warning.line) + ": " + warning.text + "\n");
      } else if (AboutTheGame(warning.problem)) {
        Say("  The running game" + (warning.text.empty() ? std::string() : " (" + warning.text + ")") + ":\n");
      } else {
        Say(AboutThePlugIn(warning.problem) ? "  The plug-in:\n" : "  The file:\n");
      }
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
    const bool aboutTheFile = std::ranges::any_of(
        report.warnings, [](const Warning& warning) { return !AboutTheGame(warning.problem); });
    if (aboutTheFile && AnyPlugIn()) {
      Say("\nThe plug-in still starts, but the lines above do not do what they seem to.\n");
    }
    report.status = kStatusWarnings;
    return std::move(report);
  }

  Report report;
  SettingsPath settingsPath{};
  std::string filePath;
  std::string folder;
  std::unique_ptr<char, decltype(&std::free)> bytes{nullptr, &std::free};
  std::string_view fileText;
  std::string notText;             // what a file beside the program is, when it is not settings text
  LineWarnings lineWarnings;
  PluginSettings fileSettings{};   // what the plug-in makes of the file shown
  PluginSettings writeSettings{};  // what it will write: from the file it does read
  std::string readFile;            // the settings file the plug-in reads; empty when no copy of it is known
  std::deque<FolderLook> looks;    // the folders looked into for the plug-in; references stay
  const FolderLook* fromFile = nullptr;   // where the copies seen from the file's folder lie
  const FolderLook* fromCheck = nullptr;  // and from this check's
  std::vector<RunningGame> games;
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
