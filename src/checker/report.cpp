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
#include "checker/survey.h"
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

// What the rows of a game hold against what `settings` make the plug-in write.
struct RowsHeld {
  std::vector<std::size_t> differing;  // rows (0-based) that apply but hold other bytes
  // Rows that do not apply but hold the bytes the plug-in writes when they do: the
  // plug-in may have written them before the file changed, or the game holds them itself.
  std::vector<std::size_t> heldAnyway;
};

std::uint32_t Mask(const PatchEntry& entry) { return entry.width >= 4 ? 0xFFFFFFFF : (1U << (8 * entry.width)) - 1; }

RowsHeld Compare(const RunningGame& game, const PluginSettings& settings) {
  RowsHeld held;
  for (std::size_t i = 0; i < std::size(kPatchSet) && i < game.rows.size(); ++i) {
    const PatchEntry& entry = kPatchSet[i];
    const std::uint32_t mask = Mask(entry);
    // The bytes this row stores when it applies; an amount's are those of the settings.
    const bool plugins = game.rows[i] && (*game.rows[i] & mask) == (RowValue(entry, settings) & mask);
    if (RowApplies(entry, settings)) {
      if (!plugins) held.differing.push_back(i);
    } else if (plugins) {
      held.heldAnyway.push_back(i);
    }
  }
  return held;
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

// The path as the plug-in's reads take it: narrow where it is plain ASCII, wide where a
// letter may be one the ANSI code page lacks; empty (the defaults) when it is too long.
SettingsPath PathFor(const std::string& file) {
  SettingsPath path{};
  const std::u16string wide = utf::Utf16(file);
  if (wide.size() > kSettingsTextSize - 1) return path;
  if (std::ranges::all_of(file, [](char c) { return (c & 0x80) == 0; })) {
    file.copy(path.text, file.size());
  } else {
    std::ranges::copy(wide, path.wide);
  }
  return path;
}

PluginSettings SettingsOf(const std::string& file) {
  LoadSettings(PathFor(file));
  return pluginSettings;
}

bool AboutTheGame(Problem problem) {
  return problem == Problem::kNotLoaded || problem == Problem::kNotActive || problem == Problem::kSeveralLoaded ||
         problem == Problem::kOtherCopyLoaded;
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
        Stop("The file " + filePath + " is not a settings file: it is " + what +
             ". The plug-in reads its settings only from text.");
        return Finish();
      }
      Say("Settings file: " + filePath + "\n");
      if (MostlyNul(profile.Text())) {
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
    fileSettings = pluginSettings;
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
    if (filePath.empty()) return Stop("Cannot read the file " + Shown(given, 200) + ": the path cannot be made whole.");
    folder = FolderOf(filePath);
    settingsPath = PathFor(filePath);
    if (settingsPath.text[0] == '\0' && settingsPath.wide[0] == u'\0') {
      FileWarning(Problem::kPathTooLong,
                  "The path of this file is longer than the plug-in can handle (" +
                      std::to_string(kSettingsTextSize - 1) +
                      " characters): the plug-in cannot read it and uses the defaults.",
                  kShorterPath);
    }
    const std::string name = filePath.substr(folder.size());
    if (!profile::SameName(name, kSettingsFileName)) {
      FileWarning(Problem::kOtherFileName,
                  "This file is called " + Shown(name) + ", but the plug-in reads only a file called " +
                      kSettingsFileName + ". The values above are what it would use if the "
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

  // Where the file lies against where the plug-in looks, and so which file the plug-in
  // reads and which settings it will write.
  void CheckPlace() {
    if (folder.empty()) {
      writeSettings = fileSettings;
      return;
    }
    const std::string parent = ParentOf(folder);
    const std::string scripts = folder + kScriptsFolder + "\\";
    const auto here = CopiesIn(folder);
    std::vector<PluginCopy> copies = here.value_or(std::vector<PluginCopy>{});
    for (const PluginCopy& copy : copies) Say("Plug-in: " + Named(copy) + "\n");
    if (!here) Say("Plug-in: cannot tell, the files in " + folder + " cannot be listed\n");
    if (copies.size() > 1) {
      std::string names;
      for (const PluginCopy& copy : copies) names += (names.empty() ? "" : "; ") + Named(copy);
      FileWarning(Problem::kTwoCopies,
                  "There are " + std::to_string(copies.size()) + " copies of the plug-in in " + folder + ": " +
                      names + ". The ASI loader loads each of them, and each reads the same " +
                      kSettingsFileName + ", so the one loaded last writes last.",
                  "Keep one copy of the plug-in in this folder");
    }
    std::string pluginElsewhere;
    if (here && copies.empty()) {
      for (const std::string& near : {parent, scripts}) {
        if (near.empty() || !pluginElsewhere.empty()) continue;
        const std::vector<PluginCopy> there = CopiesIn(near).value_or(std::vector<PluginCopy>{});
        if (!there.empty()) {
          pluginElsewhere = near;
          copies = there;
        }
      }
      std::string message = "There is no copy of the plug-in in " + folder + ". The plug-in reads " +
                            kSettingsFileName + " only from the folder it lies in itself.";
      if (!pluginElsewhere.empty()) {
        message += " The plug-in is in " + pluginElsewhere + " (" + Named(copies.front()) +
                   "): it reads the settings file there, not this one.";
      }
      FileWarning(Problem::kNoPluginBeside, std::move(message),
                  pluginElsewhere.empty()
                      ? std::string("Put ") + kSettingsFileName + " in the folder that holds " +
                            kPluginFileName + " (the game's folder or its scripts folder)"
                      : std::string("Move ") + kSettingsFileName + " into " + pluginElsewhere);
    }
    // Where the folder cannot be listed, the plug-in may well lie there.
    if (!here || !copies.empty()) readFile = (pluginElsewhere.empty() ? folder : pluginElsewhere) + kSettingsFileName;
    writeSettings = FileIsRead() ? fileSettings : SettingsOf(readFile);
    NearNames(PluginFolder());
    const bool pluginHere = pluginElsewhere.empty() && !copies.empty();
    for (const std::string& near : {parent, scripts}) {
      if (near.empty() || !Exists(near + kSettingsFileName)) continue;
      const std::vector<PluginCopy> beside = CopiesIn(near).value_or(std::vector<PluginCopy>{});
      std::string message = std::string("There is another ") + kSettingsFileName + " in " + near + ". ";
      std::string advice = std::string("Keep one ") + kSettingsFileName + ", beside " +
                           kPluginFileName + ", and delete the other";
      if (pluginElsewhere == near) {
        message += std::string("The plug-in reads only the one beside it, which is that one, not this one.");
      } else if (!beside.empty()) {
        message += "Another copy of the plug-in lies beside it (" + Named(beside.front()) +
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
    for (const PatchEntry& entry : kPatchSet) {
      const SettingKey* setting = SettingOfRow(entry);
      const std::string name = setting != nullptr ? setting->key : "always";
      std::string row;
      if (RowApplies(entry, writeSettings)) {
        row = "  " + RowText(entry, writeSettings);
        row.resize(32, ' ');
        row += "(" + name + ")";
      } else {
        row = "  0x" + Hex(entry.address, 8) + "      not written: " + name + " is off";
      }
      Say(row + "\n");
    }
  }

  void Tell(const std::string& text) { AppendWrapped(report.text, "  ", text); }

  // "Is it working?": the running game of the plug-in that reads this file, if any.
  void Game() {
    const std::string pluginFolder = PluginFolder();
    if (pluginFolder.empty()) return;
    const RunningGame game = LookForGame(pluginFolder);
    const std::string parent = ParentOf(pluginFolder);
    Say("\nIn the running game:\n");
    if (game.state == RunningGame::State::kNotFound) {
      return Tell("No game is running from " + pluginFolder + (parent.empty() ? "" : " or " + parent) +
                  ", the folders where this check looks for a program that can hold the plug-in's "
                  "values; a game started from elsewhere is not looked for. Start the game and run this "
                  "check again to see whether the plug-in is active in it.");
    }
    if (game.state == RunningGame::State::kClosed) {
      return Tell("The game is running (" + game.image + "), but Windows does not let this check look into it, "
                  "most likely because the game runs as administrator. Run LumavaleCheck.exe as "
                  "administrator too.");
    }
    if (game.loaded.empty()) {
      Tell("The game is running (" + game.image + "), but the ASI loader did not load the plug-in: no copy "
           "of it is loaded.");
      FileWarning(Problem::kNotLoaded,
                  "The ASI loader did not load the plug-in into the running game, from " + pluginFolder +
                      " or anywhere else. Usual causes: no ASI loader is installed; the loader looks for "
                      "plug-ins in another folder (the game's folder, or its scripts folder); under Wine or "
                      "Proton the loader's DLL is not set to native.",
                  "Install an ASI loader, put Lumavale.asi where it looks, and on Wine or Proton "
                  "set WINEDLLOVERRIDES=\"dinput8=n,b\" (with your loader's name)");
      return;
    }
    // Each copy writes at start-up from the file beside it; the last one loaded writes last.
    const PluginCopy& last = game.loaded.back();
    const std::string lastReads = SettingsFileOf(last);
    if (game.loaded.size() > 1) {
      std::string copies;
      for (const PluginCopy& copy : game.loaded) {
        copies += (copies.empty() ? "" : "; ") + copy.path + " (Lumavale " + copy.version + "), which reads " +
                  SettingsFileOf(copy);
      }
      FileWarning(Problem::kSeveralLoaded,
                  "The running game has loaded " + std::to_string(game.loaded.size()) +
                      " copies of the plug-in: " + copies + ". Each writes its values when the game starts; the "
                      "one loaded last, " + last.path + ", writes last.",
                  "Keep one copy of the plug-in, with its settings file beside it");
    } else if (!SamePath(FolderOf(last.path), pluginFolder)) {
      FileWarning(Problem::kOtherCopyLoaded,
                  "The running game has loaded the plug-in from " + last.path + " (Lumavale " + last.version +
                      "), not from " + pluginFolder + ". That copy reads " + lastReads +
                      (FileIsRead() ? ", not this file." : "."),
                  "Keep one copy of the plug-in, with its settings file beside it");
    }
    const bool readsThisFile = FileIsRead() && SamePath(lastReads, filePath);
    const PluginSettings expected = SamePath(lastReads, readFile) ? writeSettings : SettingsOf(lastReads);
    const RowsHeld held = Compare(game, expected);
    const std::string gives = readsThisFile ? "this file gives" : lastReads + " gives";
    std::string rows;
    for (const std::size_t row : held.differing) rows += (rows.empty() ? "" : ", ") + RowName(row);
    if (held.differing.empty()) {
      Tell("Lumavale is active in the running game (" + game.image + "): every value " + gives + " is in place." +
           (game.build.empty() ? std::string() : " The plug-in's table names this build: " + game.build + "."));
    } else {
      const bool one = held.differing.size() == 1;
      Tell("Lumavale is loaded in the running game (" + game.image + "), but " + rows + (one ? " holds" : " hold") +
           " other bytes than " + gives + ".");
      // A restart applies this file only where the plug-in that writes last reads it.
      if (readsThisFile) {
        FileWarning(Problem::kNotActive,
                    "In the running game, " + rows + (one ? " does" : " do") + " not hold what this file gives. "
                    "Most likely the file was changed after the game started: the plug-in reads it once, when "
                    "the game starts. Or the game itself changes that value.",
                    "Restart the game to apply the file as it is now");
      }
    }
    for (const std::size_t row : held.heldAnyway) {
      const char* key = SettingOfRow(kPatchSet[row])->key;
      Tell("Note: " + RowName(row) + " is not written with these settings (" + key + " is off), but it holds "
           "the bytes the plug-in writes there when " + key + " is 1. If " + key + " was 1 when the game "
           "started, the plug-in wrote them, and they stay until the game restarts" +
           (readsThisFile ? ": restart it to apply the file as it is now" : "") +
           ". The game may also hold these bytes itself (its own setting), and the check cannot tell which.");
    }
  }

  // Whether the plug-in reads the file shown; without a folder there is only that file.
  bool FileIsRead() const { return folder.empty() || (!readFile.empty() && SamePath(readFile, filePath)); }

  // Where the plug-in that reads the file lies, or the file's own folder when none is known.
  std::string PluginFolder() const { return readFile.empty() ? folder : FolderOf(readFile); }

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
      Say(warning.line == 0 ? std::string(AboutTheGame(warning.problem) ? "  The running game:\n" : "  The file:\n")
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
    const bool aboutTheFile = std::ranges::any_of(
        report.warnings, [](const Warning& warning) { return !AboutTheGame(warning.problem); });
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
  PluginSettings fileSettings{};   // what the plug-in makes of the file shown
  PluginSettings writeSettings{};  // what it will write: from the file it does read
  std::string readFile;            // the settings file the plug-in reads; empty when no copy of it is known
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
