#include "checker/verdict.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "checker/line_warnings.h"
#include "checker/paths.h"
#include "checker/row_text.h"
#include "patching/patch_set.h"
#include "settings/settings.h"

namespace lumavale::check {
namespace {

constexpr std::uint32_t kAccessDenied = 5;
constexpr char kScriptsFolder[] = "scripts";

std::uint32_t Mask(const PatchEntry& entry) { return entry.width >= 4 ? 0xFFFFFFFF : (1U << (8 * entry.width)) - 1; }

bool Same(const PatchEntry& entry, std::uint32_t a, std::uint32_t b) { return ((a ^ b) & Mask(entry)) == 0; }

bool Exists(const std::string& path) { return system::KindOf(path) == system::Kind::kFile; }

bool SameSettings(const PluginSettings& a, const PluginSettings& b) {
  return a.enabled == b.enabled && a.fog == b.fog && a.removeSkyTextures == b.removeSkyTextures &&
         std::bit_cast<std::uint32_t>(a.amountInFrontend) == std::bit_cast<std::uint32_t>(b.amountInFrontend) &&
         std::bit_cast<std::uint32_t>(a.amountInGameplay) == std::bit_cast<std::uint32_t>(b.amountInGameplay);
}

Finding Found(Problem problem, Phrase message, Phrase advice, Arg place = {}, std::vector<Edit> fix = {}) {
  return {problem, 0, {}, std::move(place), std::move(message), std::move(advice), std::move(fix)};
}

// The file `from` renamed, in its folder, to the settings file's name.
std::vector<Edit> RenameToSettings(const std::string& from) {
  return {{Edit::Kind::kRename, 0, 0, {}, from, FolderOf(from) + kSettingsFileName}};
}

// Two sentences said one after the other.
Phrase Both(Phrase first, Phrase second) { return Say(Msg::kSentences, Nested(std::move(first)), Nested(std::move(second))); }

// "row 2 (0x00726CEA)"
Phrase RowName(std::size_t index) {
  return Say(Msg::kRowName, Number(index + 1), Text(AddressText(kPatchSet[index].address)));
}

// "row 1 (0x...) and row 4 (0x...)"
Arg RowNames(const std::vector<std::size_t>& rows) {
  std::vector<Phrase> names(rows.size());
  std::ranges::transform(rows, names.begin(), RowName);
  return List(std::move(names));
}

// "0x00B74D64 := 01": a row's address and the bytes it stores.
std::string RowText(const PatchEntry& entry, const PluginSettings& settings) {
  return AddressText(entry.address) + " := " + BytesText(entry, RowValue(entry, settings));
}

// "zz_Lumavale.asi, Lumavale 1.1.0": a copy beside the file.
Arg CopyName(const PluginCopy& copy) {
  return Text(copy.path.substr(FolderOf(copy.path).size()) + ", Lumavale " + copy.version);
}

// "C:\...\zz_Lumavale.asi (Lumavale 1.1.0)": a copy anywhere.
Arg CopyAt(const PluginCopy& copy) { return Nested(Say(Msg::kCopyAt, Path(copy.path), Text(copy.version))); }

// The setting a patch row belongs to: the switch that decides it or the amount it stores.
const SettingKey* SettingOfRow(const PatchEntry& entry) {
  const auto* setting = std::ranges::find_if(kSettingKeys, [&](const SettingKey& candidate) {
    return (entry.condition != nullptr && entry.condition == candidate.onOff) ||
           (entry.amount != nullptr && entry.amount == candidate.amount);
  });
  return setting == std::end(kSettingKeys) ? nullptr : setting;
}

// The one name near the settings file's, where there is no other: only then is renaming
// it to the settings file's name sure to take the file the player meant.
std::optional<std::string> OnlyNearName(const NearNames& names) {
  if (names.similar.size() + names.afterPlugIn.size() != 1) return std::nullopt;
  return names.similar.empty() ? names.afterPlugIn.front() : names.similar.front();
}

// Which copy of the plug-in would read settings for the file asked about: one beside
// it, else one near it, else one beside this program.
struct Reading {
  const FolderLook* plugin = nullptr;  // where that copy lies; null when no copy is known
  std::string readFile;                // the settings file it reads; empty with none
  bool fileIsRead = false;             // the file asked about is that one (or no folder is known)
  // Where the plug-in that reads the file lies, or the file's own folder when none is known.
  std::string PluginFolder(const SettingsFile& file) const { return readFile.empty() ? file.folder : FolderOf(readFile); }
};

// `here` is the file's folder as looked into.
Reading WhoReads(const SettingsFile& file, const Install& install, const FolderLook* here) {
  Reading reading;
  if (here != nullptr) {
    reading.plugin = !here->listed || HoldsPlugIn(*here)                                 ? here
                     : HoldsPlugIn(*install.fromFile)                                   ? install.fromFile
                     : install.fromCheck != nullptr && HoldsPlugIn(*install.fromCheck) ? install.fromCheck
                                                                                        : nullptr;
  }
  if (reading.plugin != nullptr) reading.readFile = reading.plugin->folder + kSettingsFileName;
  reading.fileIsRead = file.folder.empty() || (!reading.readFile.empty() && SamePlace(reading.readFile, file.path));
  return reading;
}

// One row of a running game.
struct RowVerdict {
  std::optional<std::size_t> writer;  // the loaded copy that writes it last at every start
  std::uint32_t written = 0;          // the bytes that copy writes
  std::optional<std::uint32_t> held;  // the bytes the game holds; none where they cannot be read
  // No loaded copy writes the row, yet it holds the bytes the plug-in writes there
  // when the row's switch is on: from an earlier start, or the game's own.
  bool heldAnyway = false;
  // A copy writes it and it holds those bytes.
  bool Holds() const { return writer && held && *held == written; }
};

struct GameVerdict {
  std::vector<RowVerdict> rows;       // in table order
  std::vector<std::size_t> changing;  // rows a restart would change (0-based)
  std::vector<std::size_t> unread;    // rows a copy writes whose bytes cannot be read
  // The shown file against the loaded copies: the last copy that reads it, the rows
  // it gives that a copy loaded later overwrites, and the rows it leaves alone (a
  // switch off) that another copy writes.
  std::optional<std::size_t> reader;
  std::vector<std::size_t> overwritten;
  std::vector<std::size_t> writtenAnyway;

  bool Active() const { return changing.empty() && unread.empty(); }
};

// What the copies a running game has loaded write, each from its own settings file as it
// is now, in load order, held against what the game holds. `game` must have been opened.
// `shownFile` is the settings file the player asked about.
GameVerdict Judge(const RunningGame& game, const std::string& shownFile) {
  GameVerdict verdict;
  // Each loaded copy's, from its own file as it is now.
  std::vector<PluginSettings> settings;
  const auto readsShown = [&](std::size_t copy) { return SamePlace(SettingsFileOf(game.loaded[copy]), shownFile); };
  for (std::size_t i = 0; i < game.loaded.size(); ++i) {
    settings.push_back(SettingsOf(SettingsFileOf(game.loaded[i])));
    if (readsShown(i)) verdict.reader = i;
  }
  for (std::size_t r = 0; r < std::size(kPatchSet); ++r) {
    const PatchEntry& entry = kPatchSet[r];
    RowVerdict row;
    if (r < game.rows.size() && game.rows[r]) row.held = *game.rows[r] & Mask(entry);
    for (std::size_t i = 0; i < game.loaded.size(); ++i) {
      if (RowApplies(entry, settings[i])) row.writer = i;
    }
    if (row.writer) {
      row.written = RowValue(entry, settings[*row.writer]) & Mask(entry);
      if (!row.held) {
        verdict.unread.push_back(r);
      } else if (!Same(entry, *row.held, row.written)) {
        verdict.changing.push_back(r);
      }
    } else {
      // Only a switch's row can go unwritten, and its bytes are a constant.
      row.heldAnyway = row.held && Same(entry, *row.held, entry.constant);
    }
    if (verdict.reader && row.writer && !readsShown(*row.writer)) {
      const PluginSettings& shown = settings[*verdict.reader];
      if (!RowApplies(entry, shown)) {
        verdict.writtenAnyway.push_back(r);
      } else if (!Same(entry, RowValue(entry, shown), row.written)) {
        verdict.overwritten.push_back(r);  // by a copy loaded later, as the last writer is
      }
    }
    verdict.rows.push_back(row);
  }
  return verdict;
}

// The verdict on one survey.
class Judgement {
 public:
  explicit Judgement(const Survey& looked)
      : survey(looked), file(looked.file), install(looked.install), games(looked.games),
        here(looked.install.Find(looked.file.folder)), reading(WhoReads(looked.file, looked.install, here)) {}

  Verdict Run() {
    if (!survey.Checkable()) return Stopped();
    const profile::Profile& profile = *survey.profile;
    const bool text = survey.notText == NotText::kText;
    if (file.bytes && text && !MostlyNul(profile.Text())) lineWarnings = CheckLines(profile);
    writeSettings = reading.fileIsRead ? survey.fileSettings : SettingsOf(reading.readFile);
    FileLines();
    JudgeFile();
    JudgePlace();
    PlugInLines();
    // What is not text has no lines to show.
    const profile::Profile nothing{std::string_view()};
    Settings(text ? profile : nothing);
    Rows();
    if (!file.folder.empty()) Games();
    for (Finding& finding : lineWarnings.shown) verdict.findings.push_back(std::move(finding));
    verdict.hiddenLines = lineWarnings.problemLines - std::min(lineWarnings.problemLines, kShownProblemLines);
    const bool anyPlugIn =
        std::ranges::any_of(install.looks, [](const FolderLook& look) { return !look.copies.empty(); }) ||
        std::ranges::any_of(games, [](const RunningGame& game) { return !game.loaded.empty(); });
    verdict.stillStarts = anyPlugIn && std::ranges::any_of(verdict.findings, [](const Finding& finding) {
                            return !AboutTheGame(finding.problem);
                          });
    verdict.clean = Say(file.bytes ? Msg::kCleanFile : Msg::kCleanDefaults);
    verdict.status = verdict.findings.empty() ? kStatusClean : kStatusWarnings;
    return std::move(verdict);
  }

 private:
  void Line(Said::Style style, Phrase phrase, Phrase column = {}) {
    verdict.said.push_back({style, std::move(phrase), std::move(column)});
  }

  // The file given cannot be checked: why, and only a path too long besides, since
  // advice about its name would not help.
  Verdict Stopped() {
    verdict.stopped = true;
    verdict.status = kStatusUnreadable;
    if (file.path.empty()) {
      Line(Said::Style::kLine, Say(Msg::kCannotMakeWhole, Shown(survey.givenText, 200)));
    } else if (file.Pattern()) {
      Line(Said::Style::kLine, Say(Msg::kPattern, Path(file.path)));
    } else if (!file.bytes) {
      Line(Said::Style::kLine, Say(Msg::kCannotRead, Path(file.path), Nested(WhyUnreadable())));
    } else {
      Line(Said::Style::kLine, Say(Msg::kNotSettingsFile, Path(file.path), Nested(WhatItIs())));
    }
    if (file.TooLong()) {
      Finding tooLong = PathTooLong();
      Line(Said::Style::kLine, tooLong.message);
      verdict.findings.push_back(std::move(tooLong));
    }
    return std::move(verdict);
  }

  Phrase WhyUnreadable() const {
    if (file.read == system::Read::kTooLarge) return Say(Msg::kWhyTooLarge);
    switch (file.kind) {
      case system::Kind::kNothing: return Say(Msg::kWhyMissing);
      case system::Kind::kFolder: return Say(Msg::kWhyFolder);
      case system::Kind::kUnreachable: return Say(Msg::kWhyLink);
      case system::Kind::kDenied: return Say(Msg::kWhyDenied);
      case system::Kind::kFile: break;
    }
    return file.error == kAccessDenied ? Say(Msg::kWhyDenied) : Say(Msg::kWhyCannotOpen, Number(file.error));
  }

  Phrase WhatItIs() const {
    switch (survey.notText) {
      case NotText::kProgram: return Say(Msg::kIsProgram);
      case NotText::kArchive: return Say(Msg::kIsArchive);
      case NotText::kPicture: return Say(Msg::kIsPicture);
      case NotText::kBytes:
      case NotText::kText: break;
    }
    return Say(Msg::kIsBytes);
  }

  Finding PathTooLong() const {
    return file.given ? Found(Problem::kPathTooLong, Say(Msg::kPathTooLong, Number(kSettingsTextSize - 1)),
                              Say(Msg::kShorterPath))
                      : Found(Problem::kPathTooLong, Say(Msg::kFolderTooLong), Say(Msg::kShorterPath));
  }

  // --- The file, and where it lies -----------------------------------------------------

  void FileLines() {
    if (!survey.givenFolder.empty()) Line(Said::Style::kLine, Say(Msg::kFolderGiven, Path(survey.givenFolder)));
    if (file.TooLong() && !file.given) {
      Line(Said::Style::kLine, Say(Msg::kFileCannotBeRead));
    } else if (file.bytes) {
      Line(Said::Style::kLine, Say(Msg::kFileIs, Path(file.path)));
    } else if (file.kind == system::Kind::kNothing) {
      Line(Said::Style::kLine, Say(Msg::kFileNone));
      Line(Said::Style::kNote, Say(Msg::kNoFileHere, Path(file.folder)));
      // A folder given without a settings file: what it holds that may be one.
      if (survey.givenFolder.empty()) return;
      std::vector<Phrase> ini(survey.iniFiles.size());
      std::ranges::transform(survey.iniFiles, ini.begin(), [](const std::string& name) { return Say(Msg::kName, Path(name)); });
      Line(Said::Style::kNote, ini.empty() ? Say(Msg::kFolderHoldsNoIni) : Say(Msg::kFolderHoldsIni, List(ini)));
    } else {
      Line(Said::Style::kLine, Say(Msg::kFileUnreadable, Path(file.path)));
    }
  }

  void JudgeFile() {
    if (file.TooLong()) verdict.findings.push_back(PathTooLong());
    if (!file.given && !file.TooLong() && !file.bytes && file.kind != system::Kind::kNothing) {
      const bool notAFile = file.kind == system::Kind::kFolder || file.kind == system::Kind::kUnreachable;
      verdict.findings.push_back(Found(notAFile ? Problem::kNotAFile : Problem::kUnreadableFile,
                                       Say(Msg::kSomethingCalled, Path(file.folder), Nested(WhyUnreadable())),
                                       Say(notAFile ? Msg::kRenameThenPut : Msg::kCloseOthers)));
    }
    if (survey.notText != NotText::kText) {
      const bool defaults = SameSettings(survey.fileSettings, SettingsOf(""));
      verdict.findings.push_back(
          Found(Problem::kNotSettingsText,
                Say(defaults ? Msg::kNotSettingsTextDefaults : Msg::kNotSettingsTextShown, Nested(WhatItIs())),
                Say(Msg::kWriteInEditor)));
    } else if (file.bytes && MostlyNul(survey.profile->Text())) {
      verdict.findings.push_back(Found(Problem::kNotText, Say(Msg::kMostlyNul), Say(Msg::kSaveAsAnsi)));
    }
  }

  // Whether some running game has loaded the file at `path`.
  bool Loaded(const std::string& path) const {
    return std::ranges::any_of(games, [&](const RunningGame& game) {
      return std::ranges::any_of(game.otherAsi, [&](const std::string& module) { return SamePlace(module, path); }) ||
             std::ranges::any_of(game.loaded, [&](const PluginCopy& copy) { return SamePlace(copy.path, path); });
    });
  }

  void JudgePlace() {
    if (file.folder.empty()) return;
    const bool pluginHere = here == nullptr || !here->listed || HoldsPlugIn(*here);
    const std::string name = file.path.substr(file.folder.size());
    // A name the plug-in does not read: another name, or its own in other letter case
    // beside the one it reads.
    if (file.bytes && pluginHere &&
        (!profile::SameName(name, kSettingsFileName) ||
         (name != kSettingsFileName && !SamePlace(file.path, file.folder + kSettingsFileName)))) {
      const bool taken = Exists(file.folder + kSettingsFileName);
      // Renamed where its name is the one name near the settings file's here: the plug-in
      // lies here, so this is the folder it reads from.
      const bool certain = !taken && OnlyNearName(NearNamesWhereRead()) == name;
      verdict.findings.push_back(Found(
          Problem::kOtherFileName, Say(Msg::kOtherFileName, Shown(name)),
          taken ? Say(Msg::kCopyOverThe, Path(file.folder)) : Say(Msg::kRenameTo, Text(kSettingsFileName)), {},
          certain ? RenameToSettings(file.path) : std::vector<Edit>{}));
    }
    // Each folder looked into is one the plug-in was looked for in.
    for (const FolderLook& look : install.looks) {
      if (look.copies.size() > 1) TwoCopies(look);
      for (const Lookalike& lookalike : look.lookalikes) LookalikeFinding(look, lookalike);
    }
    if (!pluginHere) NoPlugInBeside();
    NamesNear();
    Neighbours();
  }

  void TwoCopies(const FolderLook& look) {
    std::vector<Phrase> names(look.copies.size());
    std::ranges::transform(look.copies, names.begin(), [&](const PluginCopy& copy) {
      return Say(Msg::kCopyAt, Text(copy.path.substr(look.folder.size())), Text(copy.version));
    });
    verdict.findings.push_back(Found(Problem::kTwoCopies,
                                     Say(Msg::kTwoCopies, Number(look.copies.size()), Path(look.folder), List(names)),
                                     Say(Msg::kKeepOneCopyHere)));
  }

  void LookalikeFinding(const FolderLook& look, const Lookalike& lookalike) {
    const bool loaded = Loaded(lookalike.path);
    if (lookalike.what == Lookalike::What::kPlugInRenamed) {
      // A copy with the right name beside it: this one is most likely kept aside on purpose.
      if (look.copies.empty() && !loaded) {
        verdict.findings.push_back(Found(Problem::kPlugInRenamed, Say(Msg::kPlugInRenamed, Path(lookalike.path)),
                                         Say(Msg::kRenameToAsi)));
      }
      return;
    }
    const Msg what = lookalike.what == Lookalike::What::kEmpty        ? Msg::kLookalikeEmpty
                     : lookalike.what == Lookalike::What::kNotAProgram ? Msg::kLookalikeNotAProgram
                                                                       : Msg::kLookalikeOtherProgram;
    verdict.findings.push_back(Found(Problem::kNotThePlugIn,
                                     Say(loaded ? Msg::kNotThePlugInLoaded : Msg::kNotThePlugIn,
                                         Path(lookalike.path), Nested(Say(what))),
                                     Say(loaded ? Msg::kFromTheReleaseRestart : Msg::kFromTheRelease)));
  }

  void NoPlugInBeside() {
    const bool fromElsewhere =
        !HoldsPlugIn(*install.fromFile) && install.fromCheck != nullptr && HoldsPlugIn(*install.fromCheck);
    const FolderLook* plugin = HoldsPlugIn(*install.fromFile) ? install.fromFile
                               : fromElsewhere                 ? install.fromCheck
                                                               : nullptr;
    if (plugin == nullptr) {
      verdict.findings.push_back(Found(Problem::kNoPluginBeside, Say(Msg::kNoPlugInBeside, Path(file.folder)),
                                       Say(Msg::kPutBesidePlugIn)));
      return;
    }
    const Arg copy = plugin->copies.empty() ? Path(plugin->lookalikes.front().path) : CopyAt(plugin->copies.front());
    const std::string& readFile = reading.readFile;
    verdict.findings.push_back(Found(
        Problem::kNoPluginBeside,
        fromElsewhere ? Say(Msg::kNoPlugInBesideCheckCopy, Path(file.folder), copy, Path(readFile))
                      : Say(Msg::kNoPlugInBesideElsewhere, Path(file.folder), Path(plugin->folder), copy,
                            Path(readFile)),
        Exists(readFile) ? Say(Msg::kCopyOver, Path(readFile))
        : fromElsewhere  ? Say(Msg::kCopyInto, Path(plugin->folder))
                         : Say(Msg::kMoveInto, Path(plugin->folder)),
        {},
        // A file dropped from elsewhere: copied to where the copy beside this check reads.
        fromElsewhere && file.bytes && !plugin->copies.empty()
            ? std::vector<Edit>{{Edit::Kind::kCopyOver, 0, 0, {}, file.path, readFile}}
            : std::vector<Edit>{}));
  }

  // Files a player may take for the settings file, which the plug-in does not read.
  // Windows hides known extensions, so "LumavaleSettings.ini.txt" looks like the real
  // name; many plug-ins read a file named after themselves ("Lumavale.ini").
  void NamesNear() {
    const std::string where = reading.PluginFolder(file);
    const std::string read = where + kSettingsFileName;
    const bool missing = system::KindOf(read) == system::Kind::kNothing;
    const check::NearNames& names = NearNamesWhereRead();
    const auto shown = [&](const std::string& name) { return file.bytes && SamePlace(where + name, file.path); };
    // Renamed where no settings file lies here and this is the one name near it.
    const bool one = missing && OnlyNearName(names);
    const auto rename = [&](const std::string& name) { return one ? RenameToSettings(where + name) : std::vector<Edit>{}; };
    for (const std::string& name : names.similar) {
      if (!missing || shown(name)) continue;  // said already: it has another name
      // "LumavaleSettings.ini.txt": an extension added behind the real one.
      const bool hidden = name.size() > sizeof kSettingsFileName &&
                          profile::SameName(name.substr(0, sizeof kSettingsFileName), std::string(kSettingsFileName) + ".");
      verdict.findings.push_back(Found(Problem::kNearName,
                                       Say(hidden ? Msg::kNearNameHidden : Msg::kNearName, Path(where), Shown(name)),
                                       Say(Msg::kRenameNear, Shown(name)), {}, rename(name)));
    }
    for (const std::string& name : names.afterPlugIn) {
      if (shown(name)) continue;
      verdict.findings.push_back(Found(Problem::kNamedAfterPlugIn, Say(Msg::kNamedAfterPlugIn, Path(where + name)),
                                       missing ? Say(Msg::kRenameNear, Shown(name))
                                               : Say(Msg::kCopySettingsInto, Shown(name)),
                                       {}, rename(name)));
    }
    // Twins: each one the plug-in does not read, against the one it does.
    for (const std::string& name : names.twins) {
      if (SamePlace(where + name, read) || shown(name)) continue;  // the one shown: said already
      const auto readName = std::ranges::find_if(names.twins, [&](const std::string& other) {
        return SamePlace(where + other, read);
      });
      const std::string readOne = readName == names.twins.end() ? std::string(kSettingsFileName) : *readName;
      verdict.findings.push_back(Found(Problem::kCaseTwin, Say(Msg::kCaseTwin, Path(where + name), Shown(readOne)),
                                       Say(Msg::kCaseTwinAdvice, Shown(name), Shown(readOne))));
    }
  }

  // The names near the settings file's in the folder the plug-in reads from, looked up
  // once: each .asi there is asked for its version.
  const check::NearNames& NearNamesWhereRead() {
    if (!nearNames) nearNames = NamesNearSettings(reading.PluginFolder(file));
    return *nearNames;
  }

  // Another settings file in the folder above or in the scripts folder.
  void Neighbours() {
    const std::string& folder = file.folder;
    const bool pluginHere = here != nullptr && here->listed && HoldsPlugIn(*here);
    for (const std::string& near : {ParentOf(folder), folder + kScriptsFolder + "\\"}) {
      const FolderLook* beside = near.empty() ? nullptr : install.Find(near);
      if (beside == nullptr || !Exists(near + kSettingsFileName)) continue;
      if (!pluginHere && SamePlace(near + kSettingsFileName, reading.readFile)) continue;  // said: it is the one read
      if (!beside->copies.empty()) {
        verdict.findings.push_back(Found(Problem::kNeighbourSettings,
                                         Say(Msg::kNeighbourOtherCopy, Path(near), CopyName(beside->copies.front())),
                                         Say(Msg::kKeepOneCopy)));
      } else if (pluginHere && file.bytes) {
        verdict.findings.push_back(
            Found(Problem::kNeighbourSettings, Say(Msg::kNeighbourNeverRead, Path(near)), Say(Msg::kSettingsBeside)));
      } else if (pluginHere) {
        verdict.findings.push_back(Found(Problem::kNeighbourSettings,
                                         Say(Msg::kNeighbourDefaults, Path(near), Path(folder)),
                                         Say(Msg::kMoveThatInto, Path(folder))));
      } else {
        verdict.findings.push_back(
            Found(Problem::kNeighbourSettings, Say(Msg::kNeighbourOnlyBeside, Path(near)), Say(Msg::kSettingsBeside)));
      }
    }
  }

  // The copies beside the file, or, where none lies there, the one that reads settings for it.
  void PlugInLines() {
    if (here == nullptr) return;
    for (const PluginCopy& copy : here->copies) Line(Said::Style::kLine, Say(Msg::kPlugInLine, CopyName(copy)));
    if (reading.plugin != nullptr && reading.plugin != here) {
      for (const PluginCopy& copy : reading.plugin->copies) {
        Line(Said::Style::kLine, Say(Msg::kPlugInAt, Path(copy.path), Text(copy.version)));
      }
    }
    if (!here->listed) Line(Said::Style::kLine, Say(Msg::kPlugInUnlisted, Path(here->folder)));
  }

  // --- What the plug-in makes of the file ------------------------------------------------

  // "fog: on, 0x00B74D64 := 01"
  Phrase Effect(const SettingKey& setting) const {
    const PluginSettings& settings = survey.fileSettings;
    Phrase effect;
    if (setting.onOff == &PluginSettings::enabled) {
      effect = Say(settings.enabled ? Msg::kEffectLightingOn : Msg::kEffectLightingOff);
    } else if (setting.onOff == &PluginSettings::fog) {
      effect = Say(settings.fog ? Msg::kEffectFogOn : Msg::kEffectFogOff);
    } else if (setting.onOff == &PluginSettings::removeSkyTextures) {
      effect = Say(settings.removeSkyTextures ? Msg::kEffectSkyRemoved : Msg::kEffectSkyKept);
    } else {
      effect = Say(setting.amount == &PluginSettings::amountInFrontend ? Msg::kEffectMenus : Msg::kEffectPlay,
                   AmountArg(settings.*setting.amount));
    }
    std::string rows;
    for (const PatchEntry& entry : kPatchSet) {
      if (SettingOfRow(entry) != &setting || !RowApplies(entry, settings)) continue;
      rows += (rows.empty() ? "" : ", ") + RowText(entry, settings);
    }
    return rows.empty() ? Say(Msg::kEffectNothing, Nested(std::move(effect)))
                        : Say(Msg::kEffectRows, Nested(std::move(effect)), Text(rows));
  }

  void Settings(const profile::Profile& profile) {
    // A file the plug-in does not read as it lies: say what it would take from it.
    Line(Said::Style::kHeading, Say(reading.fileIsRead ? Msg::kWillUse : Msg::kWouldUse));
    for (const SettingKey& setting : kSettingKeys) {
      const std::optional<profile::Line> counted = CountedLine(profile, setting);
      const std::string fallback =
          setting.onOff != nullptr ? std::to_string(setting.defaultNumber) : setting.defaultText;
      const Arg section = Text(setting.section);
      const Arg key = Text(setting.key);
      if (counted && counted->hasValue) {
        Line(Said::Style::kTable, Say(Msg::kSettingValue, section, key, Quoted(counted->value), Number(counted->number)));
      } else if (counted) {
        Line(Said::Style::kTable, Say(Msg::kSettingNoValue, section, key, Number(counted->number), Text(fallback)));
      } else {
        Line(Said::Style::kTable, Say(Msg::kSettingNotSet, section, key, Text(fallback)));
      }
      Line(Said::Style::kEffect, Effect(setting));
    }
  }

  void Rows() {
    // Which file the written values come from, when not the one shown.
    const std::string& readFile = reading.readFile;
    Line(Said::Style::kHeading, reading.fileIsRead ? Say(Msg::kWillWrite)
                                : readFile.empty() ? Say(Msg::kWillWriteDefaultsAnywhere)
                                : Exists(readFile) ? Say(Msg::kWillWriteWith, Path(readFile))
                                                   : Say(Msg::kWillWriteDefaults));
    for (std::size_t i = 0; i < std::size(kPatchSet); ++i) {
      const PatchEntry& entry = kPatchSet[i];
      const SettingKey* setting = SettingOfRow(entry);
      const Arg key = setting != nullptr ? Text(setting->key) : Nested(Say(Msg::kAlways));
      if (RowApplies(entry, writeSettings)) {
        Line(Said::Style::kTable, Say(Msg::kRowWritten, Number(i + 1), Text(RowText(entry, writeSettings))),
             Say(Msg::kRowKey, key));
      } else {
        Line(Said::Style::kTable, Say(Msg::kRowNotWritten, Number(i + 1), Text(AddressText(entry.address)), key));
      }
    }
  }

  // --- The running games ----------------------------------------------------------------

  // "C:\Games\Host\game.exe", with its process where one executable runs twice.
  Arg GameLabel(const RunningGame& game) const {
    const bool twice =
        std::ranges::count_if(games, [&](const RunningGame& other) { return SamePlace(other.image, game.image); }) > 1;
    return twice ? Nested(Say(Msg::kGameProcess, Path(game.image), Number(game.id))) : Path(game.image);
  }

  // The game a finding concerns, where more than one runs.
  Arg Place(const RunningGame& game) const { return games.size() > 1 ? GameLabel(game) : Arg{}; }

  // Where values come from: this file, another settings file, or the defaults where no
  // settings file lies at `path`.
  Arg Source(const std::string& path) const {
    if (file.bytes && SamePlace(path, file.path)) return Nested(Say(Msg::kThisFile));
    return Exists(path) ? Path(path) : Nested(Say(Msg::kDefaultsNoFile, Path(FolderOf(path))));
  }

  void Games() {
    Line(Said::Style::kHeading, Say(games.size() > 1 ? Msg::kInTheGames : Msg::kInTheGame));
    for (const RunningGame& game : games) {
      switch (game.state) {
        case RunningGame::State::kOtherInstall:
          Line(Said::Style::kNote, Say(Msg::kOtherInstallGame, Path(game.image), Path(game.nearer)));
          break;
        case RunningGame::State::kClosed:
          Line(Said::Style::kNote, survey.underWine ? Say(Msg::kWineCannotLook, GameLabel(game), Number(game.error))
                                   : game.error == kAccessDenied ? Say(Msg::kWindowsDenied, GameLabel(game))
                                                                 : Say(Msg::kCannotLook, GameLabel(game), Number(game.error)));
          Headline(Say(survey.underWine               ? Msg::kHeadWineDenied
                       : game.error == kAccessDenied ? Msg::kHeadDenied
                                                     : Msg::kHeadCannotLook),
                   1);
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

  // The headline of the game that tells the most: one where the plug-in is not working,
  // then one where the check cannot tell, then one where it works.
  void Headline(Phrase phrase, int weight) {
    if (weight > headlineWeight) {
      verdict.headline = std::move(phrase);
      headlineWeight = weight;
    }
  }

  void NoGame() {
    std::vector<std::string> folders = install.PluginFolders();
    std::vector<Phrase> named(folders.size());
    std::ranges::transform(folders, named.begin(), [](const std::string& folder) { return Say(Msg::kName, Path(folder)); });
    const bool otherInstall = !games.empty();
    const bool anywhere = !std::ranges::any_of(install.looks, HoldsPlugIn);
    if (anywhere) {
      // No copy near: every running game was asked, and none has loaded the plug-in.
      Line(Said::Style::kNote, Say(survey.underWine ? Msg::kNoGameWithPlugInWine : Msg::kNoGameWithPlugIn));
      Headline(Say(Msg::kHeadNoGameWithPlugIn), 1);
    } else {
      Line(Said::Style::kNote, Say(Msg::kNoGame, Choice(named)));
      Headline(otherInstall ? Say(Msg::kHeadOtherInstall) : Say(Msg::kHeadNoGame, Choice(named)), 1);
    }
    if (!survey.underWine) return;
    const std::string app = folders.empty() ? std::string() : SteamAppOf(folders.front());
    Line(Said::Style::kNote, app.empty() ? Say(Msg::kWinePrefix) : Say(Msg::kWinePrefixApp, Text(app)));
  }

  // "row 2 (0x...): 33 33 33 3F, from C:\...\LumavaleSettings.ini"
  Phrase RowLine(const RunningGame& game, const GameVerdict& judged, std::size_t r) const {
    const RowVerdict& row = judged.rows[r];
    const PatchEntry& entry = kPatchSet[r];
    if (!row.writer) return Say(Msg::kRowNoWriter, Nested(RowName(r)));
    const Arg from = Source(SettingsFileOf(game.loaded[*row.writer]));
    const Arg written = Text(BytesText(entry, row.written));
    if (!row.held) return Say(Msg::kRowUnreadable, Nested(RowName(r)), written, from);
    if (row.Holds()) return Say(Msg::kRowHolds, Nested(RowName(r)), written, from);
    return Say(Msg::kRowDiffers, Nested(RowName(r)), Text(BytesText(entry, *row.held)), written, from);
  }

  void Game(const RunningGame& game) {
    const Arg label = GameLabel(game);
    const GameVerdict judged = game.loaded.empty() ? GameVerdict{} : Judge(game, file.path);
    JudgeGame(game, judged);
    if (game.loaded.empty()) {
      Line(Said::Style::kNote, game.lookalike.empty()
                                   ? Say(Msg::kGameWithoutPlugIn, label)
                                   : Say(Msg::kGameWithoutPlugInLookalike, label, Path(game.lookalike)));
      Headline(Say(Msg::kHeadNotLoaded, label), 3);
      return;
    }
    const bool several = game.loaded.size() > 1;
    const Arg source = several ? Nested(Say(Msg::kLoadedFiles, Number(game.loaded.size())))
                               : Source(SettingsFileOf(game.loaded.front()));
    if (judged.Active()) {
      Line(Said::Style::kNote, game.build == nullptr
                                   ? Say(Msg::kGameActive, label, source)
                                   : Say(Msg::kGameActiveBuild, label, source, Nested(BuildName(*game.build))));
      Headline(Say(Msg::kHeadWorking, label), 0);
    } else {
      std::vector<std::size_t> differing = judged.changing;
      differing.insert(differing.end(), judged.unread.begin(), judged.unread.end());
      std::ranges::sort(differing);
      Line(Said::Style::kNote, Say(differing.size() == 1 ? Msg::kGameNotActive : Msg::kGameNotActiveMany, label,
                                   RowNames(differing), source));
      if (judged.changing.empty()) {
        Headline(Say(Msg::kHeadRowsUnread, label), 2);
      } else {
        Headline(Say(Msg::kHeadNotActive, label), 3);
      }
    }
    for (std::size_t r = 0; r < judged.rows.size(); ++r) {
      if (several || !judged.rows[r].Holds()) Line(Said::Style::kDetail, RowLine(game, judged, r));
    }
    for (std::size_t r = 0; r < judged.rows.size(); ++r) {
      if (!judged.rows[r].heldAnyway) continue;
      const Arg key = Text(SettingOfRow(kPatchSet[r])->key);
      Line(Said::Style::kNote,
           Say(judged.reader ? Msg::kHeldAnywayRestart : Msg::kHeldAnyway, Nested(RowName(r)), key));
    }
  }

  static Phrase BuildName(const KnownHost& build) {
    std::string version = std::to_string(build.versionMajor) + "." + std::to_string(build.versionMinor);
    if (build.setsRevision) {
      version += "." + std::to_string(build.revisionMajor) + "." + std::to_string(build.revisionMinor);
    }
    return build.regionCode == 0 ? Say(Msg::kBuild, Text(std::string(1, build.titleCode)), Text(version))
                                 : Say(Msg::kBuildRegion, Text(std::string(1, build.titleCode)),
                                       Text(std::string(1, build.regionCode)), Text(version));
  }

  // --- Findings about a running game -----------------------------------------------------

  void JudgeGame(const RunningGame& game, const GameVerdict& judged) {
    if (game.loaded.empty()) {
      // A file called like the plug-in that is not it: said with the plug-in's findings where it lies in a folder looked into.
      if (game.lookalike.empty()) {
        NotLoaded(game);
      } else if (install.Find(FolderOf(game.lookalike)) == nullptr) {
        verdict.findings.push_back(Found(Problem::kNotLoaded, Say(Msg::kGameLoadedLookalike, Path(game.lookalike)),
                                         Say(Msg::kFromTheReleaseRestart), Place(game)));
      }
      return;
    }
    if (game.loaded.size() > 1) SeveralLoaded(game, judged);
    // The copy that reads the file the plug-in here reads is not among those loaded.
    const std::string& readFile = reading.readFile;
    const bool readsHere = readFile.empty() || std::ranges::any_of(game.loaded, [&](const PluginCopy& copy) {
                             return SamePlace(SettingsFileOf(copy), readFile);
                           });
    if (!readsHere) {
      const PluginCopy& last = game.loaded.back();
      verdict.findings.push_back(Found(
          Problem::kOtherCopyLoaded,
          Say(Msg::kOtherCopyLoaded, CopyAt(last),
              reading.fileIsRead ? Nested(Say(Msg::kThisFile)) : Path(readFile), Path(SettingsFileOf(last))),
          file.bytes && reading.fileIsRead ? Say(Msg::kCopyOverRestart, Path(SettingsFileOf(last)))
                                           : Say(Msg::kKeepOneCopy),
          Place(game)));
    }
    if (!judged.changing.empty()) {
      // A restart applies what the copies that write those rows read now.
      std::vector<Phrase> files;
      std::vector<std::string> paths;
      for (const std::size_t r : judged.changing) {
        const std::string path = SettingsFileOf(game.loaded[*judged.rows[r].writer]);
        if (std::ranges::any_of(paths, [&](const std::string& seen) { return SamePlace(seen, path); })) continue;
        paths.push_back(path);
        files.push_back(Say(Msg::kName, Source(path)));
      }
      const bool one = judged.changing.size() == 1;
      verdict.findings.push_back(Found(Problem::kNotActive,
                                       Say(one ? Msg::kNotActive : Msg::kNotActiveMany, RowNames(judged.changing),
                                           List(files)),
                                       games.size() > 1 ? Say(Msg::kRestartGameToApply, GameLabel(game), List(files))
                                                        : Say(Msg::kRestartToApply, List(files)),
                                       Place(game)));
    }
  }

  void NotLoaded(const RunningGame& game) {
    const std::string pluginFolder = reading.PluginFolder(file);
    if (game.otherAsi.empty()) {
      verdict.findings.push_back(Found(Problem::kNotLoaded, Say(Msg::kNoLoader, Path(pluginFolder)),
                                       Say(Msg::kInstallLoader), Place(game)));
      return;
    }
    const Arg loaded = game.otherAsi.size() == 1
                           ? Path(game.otherAsi.front())
                           : Nested(Say(Msg::kAndOthers, Path(game.otherAsi.front()), Number(game.otherAsi.size() - 1)));
    verdict.findings.push_back(Found(Problem::kNotLoaded, Say(Msg::kLoaderWorks, loaded, Path(pluginFolder)),
                                     Say(Msg::kPutWhereLoaderLooks, Path(FolderOf(game.otherAsi.front()))),
                                     Place(game)));
  }

  void SeveralLoaded(const RunningGame& game, const GameVerdict& judged) {
    // "a, then b, then c", in load order.
    Phrase order = Say(Msg::kCopyReads, CopyAt(game.loaded.back()), Path(SettingsFileOf(game.loaded.back())));
    for (std::size_t i = game.loaded.size() - 1; i-- > 0;) {
      order = Say(Msg::kThen, Nested(Say(Msg::kCopyReads, CopyAt(game.loaded[i]), Path(SettingsFileOf(game.loaded[i])))),
                  Nested(std::move(order)));
    }
    Phrase message = Say(Msg::kSeveralLoaded, Number(game.loaded.size()), Nested(std::move(order)));
    const auto by = [&](const std::vector<std::size_t>& rows) {
      const PluginCopy& writer = game.loaded[*judged.rows[rows.front()].writer];
      return Nested(Say(Msg::kCopyFrom, Path(writer.path), Source(SettingsFileOf(writer))));
    };
    if (!judged.overwritten.empty()) {
      message = Both(std::move(message), Say(judged.overwritten.size() == 1 ? Msg::kOverwritten : Msg::kOverwrittenMany,
                                             RowNames(judged.overwritten), by(judged.overwritten)));
    }
    if (!judged.writtenAnyway.empty()) {
      message = Both(std::move(message), Say(judged.writtenAnyway.size() == 1 ? Msg::kLeftToOther : Msg::kLeftToOtherMany,
                                             RowNames(judged.writtenAnyway), by(judged.writtenAnyway)));
    }
    verdict.findings.push_back(Found(Problem::kSeveralLoaded, std::move(message),
                                     judged.reader ? Say(Msg::kKeepReaderCopy, Path(game.loaded[*judged.reader].path))
                                                   : Say(Msg::kKeepOneCopy),
                                     Place(game)));
  }

  const Survey& survey;
  const SettingsFile& file;
  const Install& install;
  const std::vector<RunningGame>& games;
  // The file's folder as looked into, found once: each lookup asks the system whether two folders are one.
  const FolderLook* const here;
  const Reading reading;
  std::optional<check::NearNames> nearNames;
  LineWarnings lineWarnings;
  PluginSettings writeSettings{};  // what the plug-in will write: from the file it does read
  Verdict verdict;
  int headlineWeight = -1;
};

}  // namespace

bool AboutTheGame(Problem problem) {
  return problem == Problem::kNotLoaded || problem == Problem::kNotActive || problem == Problem::kSeveralLoaded ||
         problem == Problem::kOtherCopyLoaded;
}

bool AboutThePlugIn(Problem problem) {
  return problem == Problem::kTwoCopies || problem == Problem::kNotThePlugIn || problem == Problem::kPlugInRenamed;
}

Verdict Judge(const Survey& survey) {
  if (survey.fromGames.empty()) return Judgement(survey).Run();
  // No copy near: each copy a running game has loaded, judged as from beside it.
  std::vector<Phrase> folders{Say(Msg::kName, Path(survey.checkFolder))};
  if (!survey.file.folder.empty() && !SamePlace(survey.file.folder, survey.checkFolder)) {
    folders.insert(folders.begin(), Say(Msg::kName, Path(survey.file.folder)));
  }
  Verdict found;
  for (const Survey& from : survey.fromGames) {
    const auto game = std::ranges::find_if(survey.gamesAnywhere, [&](const RunningGame& running) {
      return SamePlace(FolderOf(running.loaded.back().path), from.checkFolder);
    });
    Verdict part = Judgement(from).Run();
    part.said.insert(part.said.begin(), {Said::Style::kParagraph, Say(Msg::kFoundFromGame, List(folders), Path(game->image),
                                                                  Path(game->loaded.back().path)), {}});
    part.after.push_back({Said::Style::kLine, Say(Msg::kNextTime, Path(from.checkFolder)), {}});
    found.status = std::max(found.status, part.status);
    found.parts.push_back(std::move(part));
  }
  found.headline = found.parts.front().headline;
  return found;
}

}  // namespace lumavale::check
