#include "checker/report.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "checker/paths.h"
#include "checker/profile_text.h"
#include "checker/survey.h"
#include "checker/system.h"
#include "checker/verdict.h"
#include "checker/words.h"
#include "patching/patch_set.h"
#include "settings/settings.h"

namespace lumavale::check {
namespace {

using profile::Line;

constexpr std::size_t kWidth = 79;  // an old console's 80 columns, less the last one

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

bool AboutTheGame(Problem problem) {
  return problem == Problem::kNotLoaded || problem == Problem::kNotActive || problem == Problem::kSeveralLoaded ||
         problem == Problem::kOtherCopyLoaded;
}

bool AboutThePlugIn(Problem problem) {
  return problem == Problem::kTwoCopies || problem == Problem::kNotThePlugIn || problem == Problem::kPlugInRenamed;
}

class Builder {
 public:
  Report Build(const char* given) {
    Say("Lumavale settings check\n\n");
    const SettingsFile file = FindSettingsFile(given);
    if (file.given && file.path.empty()) {
      return Stop("Cannot read the file " + Shown(given, 200) + ": the path cannot be made whole.", file);
    }
    if (file.Pattern()) {
      return Stop("Cannot read the file " + file.path + ": it is a pattern, not a file. Windows takes * and ? to "
                  "stand for other letters, and no file is called so. Give the whole name of one file.",
                  file);
    }
    if (file.given && !file.bytes) return Stop("Cannot read the file " + file.path + ": " + WhyUnreadable(file) + ".", file);
    const profile::Profile profile(file.text);
    const char* notText = file.bytes ? NotSettingsText(file.text, profile.Text()) : nullptr;
    if (notText != nullptr && file.given) {
      return Stop("The file " + file.path + " is not a settings file: it is " + notText +
                      ". The plug-in reads its settings only from text.",
                  file);
    }
    FileLine(file);
    LoadSettings(file.settingsPath);
    fileSettings = pluginSettings;
    if (file.bytes && notText == nullptr && !MostlyNul(profile.Text())) lineWarnings = CheckLines(profile);
    const Install install = LookForInstall(file.folder, FolderOf(system::ProgramPath()));
    const Reading reading = WhoReads(file, install);
    writeSettings = reading.fileIsRead ? fileSettings : SettingsOf(reading.readFile);
    const std::vector<RunningGame> games = LookForGames(install.PluginFolders());
    const Facts facts{file, install, reading, games};
    fileFindings = JudgeFile(file, profile.Text(), notText, fileSettings);
    placeFindings = JudgePlace(facts);
    PlugInLines(facts);
    // What is not text has no lines to show.
    const profile::Profile nothing{std::string_view()};
    Settings(notText == nullptr ? profile : nothing, reading.fileIsRead);
    Rows(facts);
    if (!file.folder.empty()) Games(facts);
    anyPlugIn = std::ranges::any_of(install.looks, [](const FolderLook& look) { return !look.copies.empty(); }) ||
                std::ranges::any_of(games, [](const RunningGame& game) { return !game.loaded.empty(); });
    return Finish();
  }

 private:
  void Say(const std::string& text) { report.text += text; }

  void Tell(const std::string& text) { AppendWrapped(report.text, "  ", text); }

  // Ends the check with status 2, saying why; only a path too long still matters,
  // since advice about the file's name would not help.
  Report Stop(const std::string& why, const SettingsFile& file) {
    AppendWrapped(report.text, "", why);
    for (Warning& warning : JudgeFile(file, {}, nullptr, {})) {
      if (warning.problem != Problem::kPathTooLong) continue;
      AppendWrapped(report.text, "", warning.message);
      report.warnings.push_back(std::move(warning));
    }
    report.status = kStatusUnreadable;
    return std::move(report);
  }

  void FileLine(const SettingsFile& file) {
    if (file.TooLong() && !file.given) {
      Say("Settings file: cannot be read from this folder\n");
    } else if (file.bytes) {
      Say("Settings file: " + file.path + "\n");
    } else if (file.kind == system::Kind::kNothing) {
      Say("Settings file: none\n");
      AppendWrapped(report.text, "  ",
                    std::string("There is no ") + kSettingsFileName + " in " + file.folder +
                        ". Without one the plug-in uses the defaults shown below.");
    } else {
      Say("Settings file: " + file.path + " cannot be read\n");
    }
  }

  // The copies beside the file, or, where none lies there, the one that reads settings for it.
  void PlugInLines(const Facts& facts) {
    const FolderLook* here = facts.install.Find(facts.file.folder);
    if (here == nullptr) return;
    for (const PluginCopy& copy : here->copies) Say("Plug-in: " + Named(copy) + "\n");
    if (facts.reading.plugin != nullptr && facts.reading.plugin != here) {
      for (const PluginCopy& copy : facts.reading.plugin->copies) {
        Say("Plug-in: " + copy.path + ", Lumavale " + copy.version + "\n");
      }
    }
    if (!here->listed) Say("Plug-in: cannot tell, the files in " + here->folder + " cannot be listed\n");
  }

  // --- What the plug-in makes of the file ------------------------------------------------

  void Settings(const profile::Profile& profile, bool fileIsRead) {
    // A file the plug-in does not read as it lies: say what it would take from it.
    Say(!fileIsRead ? "\nWhat the plug-in would use from this file once it is in place:\n"
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

  void Rows(const Facts& facts) {
    // Which file the written values come from, when not the one shown.
    const std::string& readFile = facts.reading.readFile;
    const std::string with = facts.reading.fileIsRead ? ""
                             : readFile.empty()       ? ", with the defaults, wherever no settings file lies beside it"
                             : system::KindOf(readFile) == system::Kind::kFile
                                 ? ", with the settings file it reads, " + readFile
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

  void Games(const Facts& facts) {
    Say(facts.games.size() > 1 ? "\nIn the running games:\n" : "\nIn the running game:\n");
    for (const RunningGame& game : facts.games) {
      const std::string label = GameLabel(facts, game);
      switch (game.state) {
        case RunningGame::State::kOtherInstall:
          Tell(label + " is running, but it is another install's game: " + game.nearer +
               ", in a folder nearer the plug-in, is a game of its own, and that is the one this install's "
               "plug-in is for. The check does not look into " + game.image + ".");
          break;
        case RunningGame::State::kClosed:
          Tell("The game is running (" + label + "), but Windows does not let this check look into it, "
               "most likely because the game runs as administrator. Run LumavaleCheck.exe as administrator too.");
          break;
        case RunningGame::State::kOpened:
          Game(facts, game);
          break;
      }
    }
    if (std::ranges::all_of(facts.games,
                            [](const RunningGame& g) { return g.state == RunningGame::State::kOtherInstall; })) {
      NoGame(facts);
    }
  }

  void NoGame(const Facts& facts) {
    std::string folders;
    const std::vector<std::string> pluginFolders = facts.install.PluginFolders();
    for (std::size_t i = 0; i < pluginFolders.size(); ++i) {
      folders += (i == 0 ? "" : i + 1 == pluginFolders.size() ? " or " : ", ") + pluginFolders[i];
    }
    Tell("No game of this install is running: the check looks for a program that can hold the plug-in's values, "
         "started from " + folders + " or a folder above; a game started from elsewhere is not looked for. Start "
         "the game and run this check again to see whether the plug-in is active in it.");
    if (system::UnderWine()) {
      const std::string app = pluginFolders.empty() ? std::string() : SteamAppOf(pluginFolders.front());
      Tell("This check runs under Wine, and sees only the programs of its own Wine prefix. A game in another "
           "prefix (under Proton each game has its own) cannot be seen from here: run the check in the game's "
           "prefix, with WINEPREFIX=<the game's prefix> wine LumavaleCheck.exe, or on Proton and the Steam Deck "
           "with protontricks-launch --appid " + (app.empty() ? "<the game's Steam app id>" : app) +
           " LumavaleCheck.exe" + (app.empty() ? "" : " (" + app + " is the Steam app id of this game folder)") +
           ".");
    }
  }

  // "row 2 (0x...): 33 33 33 3F, from C:\...\LumavaleSettings.ini"
  static std::string RowLine(const Facts& facts, const RunningGame& game, const GameVerdict& verdict,
                             std::size_t r) {
    const RowVerdict& row = verdict.rows[r];
    const PatchEntry& entry = kPatchSet[r];
    if (!row.writer) return RowName(r) + ": written by no loaded copy";
    const std::string from = ", from " + Source(facts, SettingsFileOf(game.loaded[*row.writer]));
    if (!row.held) return RowName(r) + ": cannot be read; it gets " + BytesText(entry, row.written) + from;
    if (row.Holds()) return RowName(r) + ": " + BytesText(entry, row.written) + from;
    return RowName(r) + ": holds " + BytesText(entry, *row.held) + "; a restart writes " +
           BytesText(entry, row.written) + from;
  }

  void Game(const Facts& facts, const RunningGame& game) {
    const std::string label = GameLabel(facts, game);
    const GameVerdict verdict = game.loaded.empty() ? GameVerdict{} : Judge(game, facts.file.path);
    std::ranges::move(JudgeGame(facts, game, verdict), std::back_inserter(gameFindings));
    if (game.loaded.empty()) {
      Tell("The game is running (" + label + "), but no copy of the plug-in is loaded in it." +
           (game.lookalike.empty() ? "" : " It has loaded " + game.lookalike + ", which is not the plug-in."));
      return;
    }
    const bool several = game.loaded.size() > 1;
    const std::string source = several ? "the files of the " + std::to_string(game.loaded.size()) + " loaded copies"
                                       : Source(facts, SettingsFileOf(game.loaded.front()));
    if (verdict.Active()) {
      Tell("Lumavale is active in the running game (" + label + "): every value from " + source + " is in place." +
           (game.build.empty() ? "" : " The plug-in's table names this build: " + game.build + "."));
    } else {
      std::vector<std::size_t> differing = verdict.changing;
      differing.insert(differing.end(), verdict.unread.begin(), verdict.unread.end());
      std::ranges::sort(differing);
      Tell("Lumavale is loaded in the running game (" + label + "), but " + RowNames(differing) +
           (differing.size() == 1 ? " does" : " do") + " not hold the value from " + source + ".");
    }
    for (std::size_t r = 0; r < verdict.rows.size(); ++r) {
      if (several || !verdict.rows[r].Holds()) AppendWrapped(report.text, "    ", RowLine(facts, game, verdict, r));
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

  Report Finish() {
    for (std::vector<Warning>* found : {&fileFindings, &placeFindings, &gameFindings, &lineWarnings.shown}) {
      for (Warning& warning : *found) report.warnings.push_back(std::move(warning));
    }
    const std::uint32_t hidden =
        lineWarnings.problemLines - std::min(lineWarnings.problemLines, kShownProblemLines);
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
    if (aboutTheFile && anyPlugIn) {
      Say("\nThe plug-in still starts, but the lines above do not do what they seem to.\n");
    }
    report.status = kStatusWarnings;
    return std::move(report);
  }

  Report report;
  LineWarnings lineWarnings;
  std::vector<Warning> fileFindings;   // about the file itself, then where it lies, then the games
  std::vector<Warning> placeFindings;
  std::vector<Warning> gameFindings;
  PluginSettings fileSettings{};   // what the plug-in makes of the file shown
  PluginSettings writeSettings{};  // what it will write: from the file it does read
  bool anyPlugIn = false;          // a copy lies in a folder looked into, or a game has loaded one
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
