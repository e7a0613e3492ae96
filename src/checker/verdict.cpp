#include "checker/verdict.h"

#include <algorithm>
#include <bit>

#include "checker/paths.h"
#include "checker/words.h"
#include "patching/patch_set.h"

namespace lumavale::check {
namespace {

std::uint32_t Mask(const PatchEntry& entry) { return entry.width >= 4 ? 0xFFFFFFFF : (1U << (8 * entry.width)) - 1; }

bool Same(const PatchEntry& entry, std::uint32_t a, std::uint32_t b) { return ((a ^ b) & Mask(entry)) == 0; }

constexpr char kFromTheRelease[] = "Replace it with Lumavale.asi from the release zip";
constexpr char kShorterPath[] = "Install the game and its plug-ins in a folder with a shorter path";
constexpr char kScriptsFolder[] = "scripts";

bool Exists(const std::string& path) { return system::KindOf(path) == system::Kind::kFile; }

Warning Found(Problem problem, std::string message, std::string advice, std::string place = {}) {
  return {0, problem, std::move(message), std::move(advice), std::move(place)};
}

bool SameSettings(const PluginSettings& a, const PluginSettings& b) {
  return a.enabled == b.enabled && a.fog == b.fog && a.removeSkyTextures == b.removeSkyTextures &&
         std::bit_cast<std::uint32_t>(a.amountInFrontend) == std::bit_cast<std::uint32_t>(b.amountInFrontend) &&
         std::bit_cast<std::uint32_t>(a.amountInGameplay) == std::bit_cast<std::uint32_t>(b.amountInGameplay);
}

// The game a finding concerns, where more than one runs.
std::string Place(const Facts& facts, const RunningGame& game) {
  return facts.games.size() > 1 ? GameLabel(facts, game) : std::string();
}

// Whether some running game has loaded the file at `path`.
bool Loaded(const Facts& facts, const std::string& path) {
  return std::ranges::any_of(facts.games, [&](const RunningGame& game) {
    return std::ranges::any_of(game.otherAsi, [&](const std::string& module) { return SamePath(module, path); }) ||
           std::ranges::any_of(game.loaded, [&](const PluginCopy& copy) { return SamePath(copy.path, path); });
  });
}

Warning OtherFileName(const Facts& facts) {
  const std::string& folder = facts.file.folder;
  const bool taken = Exists(folder + kSettingsFileName);
  return Found(Problem::kOtherFileName,
               "This file is called " + Shown(facts.file.path.substr(folder.size())) +
                   ", but the plug-in reads only a file called " + kSettingsFileName +
                   ". The values above are what it would use if the file had that name.",
               taken ? std::string("Copy this file over the ") + kSettingsFileName + " in " + folder +
                           ", which the plug-in reads now"
                     : std::string("Rename the file to ") + kSettingsFileName);
}

Warning TwoCopies(const FolderLook& look) {
  std::string names;
  for (const PluginCopy& copy : look.copies) names += (names.empty() ? "" : "; ") + Named(copy);
  return Found(Problem::kTwoCopies,
               "There are " + std::to_string(look.copies.size()) + " copies of the plug-in in " + look.folder + ": " +
                   names + ". The ASI loader loads each of them, and each reads the same " + kSettingsFileName +
                   ", so the one loaded last writes last.",
               "Keep one copy of the plug-in in this folder");
}

std::optional<Warning> LookalikeFinding(const Facts& facts, const FolderLook& look, const Lookalike& lookalike) {
  const bool loaded = Loaded(facts, lookalike.path);
  if (lookalike.what == Lookalike::What::kPlugInRenamed) {
    // A copy with the right name beside it: this one is most likely kept aside on purpose.
    if (!look.copies.empty() || loaded) return std::nullopt;
    return Found(Problem::kPlugInRenamed,
                 lookalike.path + " is the plug-in, but its name does not end in .asi, so the ASI loader does not "
                                  "load it.",
                 "Rename it to " + std::string(kPluginFileName));
  }
  const char* what = lookalike.what == Lookalike::What::kEmpty
                         ? "it is empty (0 bytes), most likely a download that failed"
                     : lookalike.what == Lookalike::What::kNotAProgram
                         ? "it is not a program at all"
                         : "it is a program, but not this plug-in: it does not carry the plug-in's version "
                           "information";
  return Found(Problem::kNotThePlugIn,
               lookalike.path + " is not the plug-in: " + what + "." + (loaded ? " The running game has loaded it." : ""),
               std::string(kFromTheRelease) + (loaded ? ", then restart the game" : ""));
}

Warning NoPlugInBeside(const Facts& facts) {
  const Install& install = facts.install;
  const std::string& readFile = facts.reading.readFile;
  const bool fromElsewhere =
      !HoldsPlugIn(*install.fromFile) && install.fromCheck != nullptr && HoldsPlugIn(*install.fromCheck);
  const FolderLook* plugin = HoldsPlugIn(*install.fromFile) ? install.fromFile
                             : fromElsewhere                 ? install.fromCheck
                                                             : nullptr;
  std::string message = "There is no copy of the plug-in in " + facts.file.folder + ". The plug-in reads " +
                        kSettingsFileName + " only from the folder it lies in itself, so no copy reads this file.";
  std::string advice = std::string("Put ") + kSettingsFileName + " in the folder that holds " + kPluginFileName +
                       " (the game's folder or its scripts folder)";
  if (plugin != nullptr) {
    const std::string copy = plugin->copies.empty() ? plugin->lookalikes.front().path
                                                    : plugin->copies.front().path + " (Lumavale " +
                                                          plugin->copies.front().version + ")";
    message += fromElsewhere ? " The copy beside this check, " + copy + ", reads " + readFile + "."
                             : " The plug-in is in " + plugin->folder + ": " + copy + " reads " + readFile + " instead.";
    advice = Exists(readFile) ? "Copy this file over " + readFile
             : fromElsewhere  ? "Copy this file into " + plugin->folder
                              : std::string("Move ") + kSettingsFileName + " into " + plugin->folder;
  }
  return Found(Problem::kNoPluginBeside, std::move(message), std::move(advice));
}

// Files named nearly like the settings file, where the real one is missing: Windows
// hides known extensions, so "LumavaleSettings.ini.txt" looks like the real name.
void NearNames(const Facts& facts, std::vector<Warning>& found) {
  const std::string where = facts.reading.PluginFolder(facts.file);
  if (system::KindOf(where + kSettingsFileName) != system::Kind::kNothing) return;
  for (const std::string& name : NamesNearSettings(where)) {
    if (facts.file.bytes && SamePath(where + name, facts.file.path)) continue;  // said already: it has another name
    // "LumavaleSettings.ini.txt": an extension added behind the real one.
    const bool hidden = name.size() > sizeof kSettingsFileName &&
                        profile::SameName(name.substr(0, sizeof kSettingsFileName), std::string(kSettingsFileName) + ".");
    found.push_back(Found(Problem::kNearName,
                          "There is no " + std::string(kSettingsFileName) + " in " + where + ", but there is " +
                              Shown(name) + ". The plug-in reads only a file called exactly " + kSettingsFileName +
                              ", so it does not read this one." +
                              (hidden ? " Windows hides known extensions such as .txt, so its name may look right in "
                                        "File Explorer."
                                      : ""),
                          "Rename " + Shown(name) + " to " + kSettingsFileName +
                              " (in File Explorer, turn on View > File name extensions to see the whole name)"));
  }
}

// Another settings file in the folder above or in the scripts folder.
void Neighbours(const Facts& facts, std::vector<Warning>& found) {
  const std::string& folder = facts.file.folder;
  const FolderLook* here = facts.install.Find(folder);
  const bool pluginHere = here != nullptr && here->listed && HoldsPlugIn(*here);
  for (const std::string& near : {ParentOf(folder), folder + kScriptsFolder + "\\"}) {
    const FolderLook* beside = near.empty() ? nullptr : facts.install.Find(near);
    if (beside == nullptr || !Exists(near + kSettingsFileName)) continue;
    if (!pluginHere && SamePath(near + kSettingsFileName, facts.reading.readFile)) continue;  // said: it is the one read
    std::string message = std::string("There is another ") + kSettingsFileName + " in " + near + ". ";
    std::string advice =
        std::string("Keep one ") + kSettingsFileName + ", beside " + kPluginFileName + ", and delete the other";
    if (!beside->copies.empty()) {
      message += "Another copy of the plug-in lies beside it (" + Named(beside->copies.front()) +
                 ") and reads it. Where the ASI loader loads both copies, both write, and the one loaded last writes "
                 "last.";
      advice = "Keep one copy of the plug-in, with its settings file beside it";
    } else if (pluginHere && facts.file.bytes) {
      message += "The plug-in reads only the one beside it, which is this one: the other is never read.";
    } else if (pluginHere) {
      message += std::string("The plug-in reads only the one beside it, in ") + folder +
                 ", where there is no settings file: the plug-in uses the defaults.";
      advice = "Move that file into " + folder;
    } else {
      message += std::string("The plug-in reads only the one beside ") + kPluginFileName + ".";
    }
    found.push_back(Found(Problem::kNeighbourSettings, std::move(message), std::move(advice)));
  }
}

Warning NotLoaded(const Facts& facts, const RunningGame& game) {
  const std::string pluginFolder = facts.reading.PluginFolder(facts.file);
  if (!game.otherAsi.empty()) {
    return Found(Problem::kNotLoaded,
                 "The ASI loader works: the running game has loaded " + game.otherAsi.front() +
                     (game.otherAsi.size() > 1 ? " and " + Plural(game.otherAsi.size() - 1, "other", "others") : "") +
                     ". But it did not load the plug-in, from " + pluginFolder + " or anywhere else.",
                 "Put Lumavale.asi and its " + std::string(kSettingsFileName) + " in " +
                     FolderOf(game.otherAsi.front()) + ", where the loader found the others, then restart the game",
                 Place(facts, game));
  }
  return Found(Problem::kNotLoaded,
               "The ASI loader did not load the plug-in into the running game, from " + pluginFolder +
                   " or anywhere else, nor any other .asi file. Usual causes: no ASI loader is installed; the loader "
                   "looks for plug-ins in another folder (the game's folder, or its scripts folder); under Wine or "
                   "Proton the loader's DLL is not set to native.",
               "Install an ASI loader, put Lumavale.asi where it looks, and on Wine or Proton "
               "set WINEDLLOVERRIDES=\"dinput8=n,b\" (with your loader's name)",
               Place(facts, game));
}

Warning SeveralLoaded(const Facts& facts, const RunningGame& game, const GameVerdict& verdict) {
  std::string copies;
  for (const PluginCopy& copy : game.loaded) {
    copies += (copies.empty() ? "" : "; then ") + copy.path + " (Lumavale " + copy.version + "), which reads " +
              SettingsFileOf(copy);
  }
  std::string message = "The running game has loaded " + std::to_string(game.loaded.size()) +
                        " copies of the plug-in, in this order: " + copies +
                        ". Each writes its values when the game starts, so a row that more than one writes holds "
                        "what the last of them writes.";
  const auto by = [&](const std::vector<std::size_t>& rows) {
    const PluginCopy& writer = game.loaded[*verdict.rows[rows.front()].writer];
    return writer.path + ", from " + Source(facts, SettingsFileOf(writer));
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
  std::string advice = verdict.reader ? "Keep only the copy that reads this file, " +
                                            game.loaded[*verdict.reader].path +
                                            ", and remove the others; or write the same values in every copy's "
                                            "settings file"
                                      : "Keep one copy of the plug-in, with its settings file beside it";
  return Found(Problem::kSeveralLoaded, std::move(message), std::move(advice), Place(facts, game));
}

}  // namespace

bool RowVerdict::Holds() const { return writer && held && *held == written; }

GameVerdict Judge(const RunningGame& game, const std::string& shownFile) {
  GameVerdict verdict;
  const auto readsShown = [&](std::size_t copy) { return SamePath(SettingsFileOf(game.loaded[copy]), shownFile); };
  for (std::size_t i = 0; i < game.loaded.size(); ++i) {
    verdict.settings.push_back(SettingsOf(SettingsFileOf(game.loaded[i])));
    if (readsShown(i)) verdict.reader = i;
  }
  for (std::size_t r = 0; r < std::size(kPatchSet); ++r) {
    const PatchEntry& entry = kPatchSet[r];
    RowVerdict row;
    if (r < game.rows.size() && game.rows[r]) row.held = *game.rows[r] & Mask(entry);
    for (std::size_t i = 0; i < game.loaded.size(); ++i) {
      if (RowApplies(entry, verdict.settings[i])) row.writer = i;
    }
    if (row.writer) {
      row.written = RowValue(entry, verdict.settings[*row.writer]) & Mask(entry);
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
      const PluginSettings& shown = verdict.settings[*verdict.reader];
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

std::string Reading::PluginFolder(const SettingsFile& file) const {
  return readFile.empty() ? file.folder : FolderOf(readFile);
}

Reading WhoReads(const SettingsFile& file, const Install& install) {
  Reading reading;
  if (const FolderLook* here = install.Find(file.folder)) {
    reading.plugin = !here->listed || HoldsPlugIn(*here)                                 ? here
                     : HoldsPlugIn(*install.fromFile)                                   ? install.fromFile
                     : install.fromCheck != nullptr && HoldsPlugIn(*install.fromCheck) ? install.fromCheck
                                                                                        : nullptr;
  }
  if (reading.plugin != nullptr) reading.readFile = reading.plugin->folder + kSettingsFileName;
  reading.fileIsRead = file.folder.empty() || (!reading.readFile.empty() && SamePath(reading.readFile, file.path));
  return reading;
}

std::string GameLabel(const Facts& facts, const RunningGame& game) {
  const bool twice = std::ranges::count_if(facts.games, [&](const RunningGame& other) {
                       return SamePath(other.image, game.image);
                     }) > 1;
  return game.image + (twice ? ", process " + std::to_string(game.id) : "");
}

std::string Source(const Facts& facts, const std::string& path) {
  if (facts.file.bytes && SamePath(path, facts.file.path)) return "this file";
  return Exists(path) ? path : "the defaults (no settings file lies in " + FolderOf(path) + ")";
}

std::string WhyUnreadable(const SettingsFile& file) {
  constexpr std::uint32_t kAccessDenied = 5;
  constexpr char kDenied[] = "Windows does not let this check read it (access denied)";
  if (file.read == system::Read::kRead) return {};
  if (file.read == system::Read::kTooLarge) return "it is too large to read into memory";
  switch (file.kind) {
    case system::Kind::kNothing: return "it does not exist";
    case system::Kind::kFolder: return "it is a folder, not a file";
    case system::Kind::kUnreachable: return "it is a link that leads to no file, or a name the system refuses";
    case system::Kind::kDenied: return kDenied;
    case system::Kind::kFile: break;
  }
  return file.error == kAccessDenied ? kDenied
                                     : "it cannot be opened (system error " + std::to_string(file.error) +
                                           "): another program may hold it, or you may not be allowed to read it";
}

std::vector<Warning> JudgeFile(const SettingsFile& file, std::string_view decoded, const char* notText,
                               const PluginSettings& fileSettings) {
  std::vector<Warning> found;
  if (file.TooLong()) {
    found.push_back(file.given ? Found(Problem::kPathTooLong,
                                       "The path of this file is longer than the plug-in can handle (" +
                                           std::to_string(kSettingsTextSize - 1) +
                                           " characters): the plug-in cannot read it and uses the defaults.",
                                       kShorterPath)
                               : Found(Problem::kPathTooLong,
                                       "This program's folder has a path too long for the plug-in: a plug-in in "
                                       "this folder cannot read any settings file and uses the defaults.",
                                       kShorterPath));
  }
  if (!file.given && !file.TooLong() && !file.bytes && file.kind != system::Kind::kNothing) {
    const bool notAFile = file.kind == system::Kind::kFolder || file.kind == system::Kind::kUnreachable;
    found.push_back(Found(notAFile ? Problem::kNotAFile : Problem::kUnreadableFile,
                          std::string("There is something called ") + kSettingsFileName + " in " + file.folder +
                              ", but " + WhyUnreadable(file) +
                              ". The plug-in cannot read settings from it and uses the defaults.",
                          notAFile ? std::string("Delete it and put your settings in a file called ") +
                                         kSettingsFileName + " there"
                                   : std::string("Close other programs that may hold it, and check that you can open "
                                                 "it")));
  }
  if (notText != nullptr) {
    found.push_back(Found(Problem::kNotSettingsText,
                          "This file is not settings text: it is " + std::string(notText) +
                              ". The plug-in reads it as text all the same" +
                              (SameSettings(fileSettings, SettingsOf(""))
                                   ? ", finds no settings in it and uses the defaults."
                                   : "; what it makes of it is shown below."),
                          "Write your settings in a text editor and save them as " + std::string(kSettingsFileName) +
                              " in its place"));
  } else if (file.bytes && MostlyNul(decoded)) {
    found.push_back(Found(Problem::kNotText,
                          "This file is mostly NUL bytes: it was saved as UTF-16 (\"Unicode\") without a byte order "
                          "mark, or it is damaged. The plug-in finds no settings in it and uses the defaults.",
                          "Open it in a text editor and save it as ANSI or UTF-8"));
  }
  return found;
}

std::vector<Warning> JudgePlace(const Facts& facts) {
  std::vector<Warning> found;
  const SettingsFile& file = facts.file;
  if (file.folder.empty()) return found;
  const FolderLook* here = facts.install.Find(file.folder);
  const bool pluginHere = here == nullptr || !here->listed || HoldsPlugIn(*here);
  if (file.bytes && pluginHere && !profile::SameName(file.path.substr(file.folder.size()), kSettingsFileName)) {
    found.push_back(OtherFileName(facts));
  }
  // Each folder looked into is one the plug-in was looked for in.
  for (const FolderLook& look : facts.install.looks) {
    if (look.copies.size() > 1) found.push_back(TwoCopies(look));
    for (const Lookalike& lookalike : look.lookalikes) {
      if (auto finding = LookalikeFinding(facts, look, lookalike)) found.push_back(std::move(*finding));
    }
  }
  if (!pluginHere) found.push_back(NoPlugInBeside(facts));
  NearNames(facts, found);
  Neighbours(facts, found);
  return found;
}

std::vector<Warning> JudgeGame(const Facts& facts, const RunningGame& game, const GameVerdict& verdict) {
  std::vector<Warning> found;
  if (game.loaded.empty()) {
    // A file called like the plug-in that is not it: said with the plug-in's findings where it lies in a folder looked into.
    if (game.lookalike.empty()) {
      found.push_back(NotLoaded(facts, game));
    } else if (facts.install.Find(FolderOf(game.lookalike)) == nullptr) {
      found.push_back(Found(Problem::kNotLoaded, "The running game has loaded " + game.lookalike +
                                                     ", which is not the plug-in.",
                            std::string(kFromTheRelease) + ", then restart the game", Place(facts, game)));
    }
    return found;
  }
  if (game.loaded.size() > 1) found.push_back(SeveralLoaded(facts, game, verdict));
  // The copy that reads the file the plug-in here reads is not among those loaded.
  const std::string& readFile = facts.reading.readFile;
  const bool readsHere = readFile.empty() || std::ranges::any_of(game.loaded, [&](const PluginCopy& copy) {
                           return SamePath(SettingsFileOf(copy), readFile);
                         });
  if (!readsHere) {
    const PluginCopy& last = game.loaded.back();
    const bool fileIsRead = facts.reading.fileIsRead;
    found.push_back(Found(Problem::kOtherCopyLoaded,
                          "The running game has loaded the plug-in from " + last.path + " (Lumavale " + last.version +
                              "), not the copy that reads " + (fileIsRead ? "this file" : readFile) +
                              ". That copy reads " + SettingsFileOf(last) + ".",
                          facts.file.bytes && fileIsRead
                              ? "Copy this file over " + SettingsFileOf(last) + ", then restart the game"
                              : "Keep one copy of the plug-in, with its settings file beside it",
                          Place(facts, game)));
  }
  if (!verdict.changing.empty()) {
    // A restart applies what the copies that write those rows read now.
    std::vector<std::string> files;
    for (const std::size_t r : verdict.changing) {
      std::string source = Source(facts, SettingsFileOf(game.loaded[*verdict.rows[r].writer]));
      if (std::ranges::find(files, source) == files.end()) files.push_back(std::move(source));
    }
    std::string named;
    for (std::size_t i = 0; i < files.size(); ++i) named += (i == 0 ? "" : " and ") + files[i];
    const bool one = verdict.changing.size() == 1;
    found.push_back(Found(Problem::kNotActive,
                          "In the running game, " + RowNames(verdict.changing) + (one ? " does" : " do") +
                              " not hold the value from " + named + " as it is now. Most likely the file was changed "
                              "after the game started: the plug-in reads it once, when the game starts. Or the game "
                              "itself changes that value.",
                          "Restart the game" +
                              (facts.games.size() > 1 ? " (" + GameLabel(facts, game) + ")" : std::string()) +
                              " to apply " + named + " as it is now",
                          Place(facts, game)));
  }
  return found;
}

}  // namespace lumavale::check
