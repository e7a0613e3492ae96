#include "checker/survey.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "checker/line_warnings.h"
#include "checker/paths.h"
#include "checker/system.h"
#include "checker/utf.h"
#include "patching/host_identity.h"

namespace lumavale::check {
namespace {

std::uint32_t LittleEndianAt(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<std::uint8_t>(bytes[at + i])} << (8 * i);
  return value;
}

bool EndsWithName(const std::string& name, std::string_view end) {
  return name.size() >= end.size() && profile::SameName(std::string_view(name).substr(name.size() - end.size()), end);
}

bool StartsWithName(const std::string& name, std::string_view start) {
  return name.size() >= start.size() && profile::SameName(std::string_view(name).substr(0, start.size()), start);
}

bool IsThePlugIn(const std::string& path) {
  const std::optional<system::Version> version = system::VersionOf(path);
  return version && version->productName == "Lumavale" && profile::SameName(version->originalFilename, kPluginFileName);
}

std::optional<PluginCopy> PluginAt(const std::string& path) {
  if (!IsThePlugIn(path)) return std::nullopt;
  return PluginCopy{path, system::VersionOf(path)->fileVersion};
}

bool CanHoldTheRows(const std::string& path) { return SpansEveryRow(system::FileStart(path, kHeaderPage)); }

// An executable that can hold the rows in `folder` itself, or empty.
std::string GameIn(const std::string& folder) {
  const std::vector<std::string> names = system::FilesIn(folder).value_or(std::vector<std::string>{});
  const auto game = std::ranges::find_if(
      names, [&](const std::string& name) { return EndsWithName(name, ".exe") && CanHoldTheRows(folder + name); });
  return game == names.end() ? std::string() : folder + *game;
}

// Whether the folder `inner` is `outer` or lies below it; both end in a separator.
bool WithinFolder(const std::string& inner, const std::string& outer) {
  for (std::string folder = inner; !folder.empty(); folder = ParentOf(folder)) {
    if (SamePlace(folder, outer)) return true;
  }
  return false;
}

// A game of its own in a folder from `pluginFolder` up to, but not including,
// `gameFolder`: a game there runs the plug-ins of this install, not the one above.
std::string NearerGame(std::string pluginFolder, const std::string& gameFolder) {
  for (; !pluginFolder.empty() && !SamePlace(pluginFolder, gameFolder); pluginFolder = ParentOf(pluginFolder)) {
    std::string game = GameIn(pluginFolder);
    if (!game.empty()) return game;
  }
  return {};
}

// The game's build as the plug-in's table names it, read from the header fields the
// plug-in itself reads; null when the header cannot be read or names no known build.
const KnownHost* BuildOf(std::uint32_t base, const system::MemoryReader& read) {
  HostAddress entryKey = 0;
  const bool keyed =
      EntryKeyOf(base, [&](HostAddress address, std::uint8_t* bytes) { return read(address, 4, bytes); }, entryKey);
  return keyed ? FindKnownHost(entryKey) : nullptr;
}

void LookIntoGame(RunningGame& game) {
  game.error = system::LookInto(game.id, [&](const std::vector<system::Module>& modules, const system::MemoryReader& read) {
    game.state = RunningGame::State::kOpened;
    // The game's own image first: only the modules after it can be plug-ins.
    for (std::size_t i = 1; i < modules.size(); ++i) {
      if (auto copy = PluginAt(modules[i].path)) {
        game.loaded.push_back(std::move(*copy));
      } else if (EndsWithName(modules[i].path, ".asi")) {
        game.otherAsi.push_back(modules[i].path);
        const std::string& path = game.otherAsi.back();
        if (game.lookalike.empty() && profile::SameName(NameOf(path), kPluginFileName)) {
          game.lookalike = path;
        }
      }
    }
    for (const PatchEntry& entry : kPatchSet) {
      std::uint8_t bytes[4] = {};
      std::optional<std::uint32_t> held;
      if (read(entry.address, entry.width, bytes)) {
        held = 0;
        for (std::uint32_t b = 0; b < entry.width; ++b) *held |= std::uint32_t{bytes[b]} << (8 * b);
      }
      game.rows.push_back(held);
    }
    if (!modules.empty()) game.build = BuildOf(modules.front().base, read);
  });
}

}  // namespace

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

bool SettingsFile::Pattern() const {
  const std::string_view name = std::string_view(path).substr(path.starts_with("\\\\?\\") ? 4 : 0);
  return given && name.find_first_of("*?") != std::string_view::npos;
}

SettingsFile FindSettingsFile(const char* given, const std::string& checkFolder, bool programFolder) {
  SettingsFile file;
  file.given = given != nullptr;
  if (given == nullptr) {
    // The plug-in's own reckoning of where its settings lie, for a plug-in in this
    // program's folder; the path kept is the one the player sees.
    file.folder = checkFolder;
    file.path = file.folder + kSettingsFileName;
    file.settingsPath = programFolder ? LocateSettingsFile() : PathFor(file.path);
    if (file.TooLong()) return file;  // the plug-in reads nothing here
  } else {
    // A bare name would make the profile reads look in the Windows folder.
    file.path = system::FullPath(given);
    file.settingsPath = PathFor(file.path);
    if (file.path.empty() || file.Pattern()) return file;
    file.folder = FolderOf(file.path);
  }
  char* memory = nullptr;
  std::size_t size = 0;
  file.read = system::ReadWholeFile(file.path, &memory, &size, &file.error);
  if (file.read == system::Read::kRead) {
    file.bytes.reset(memory);
    file.text = std::string_view(memory, size);
  } else if (file.read == system::Read::kCannotOpen) {
    file.kind = system::KindOf(file.path);
  }
  return file;
}

bool MostlyNul(std::string_view text) {
  return text.size() >= 4 && static_cast<std::size_t>(std::ranges::count(text, '\0')) * 4 >= text.size();
}

NotText NotSettingsText(std::string_view bytes, std::string_view text) {
  struct Mark {
    std::string_view start;
    NotText what;
  };
  static constexpr Mark kMarks[] = {
      {"MZ", NotText::kProgram},          {"PK\x03\x04", NotText::kArchive},  {"Rar!", NotText::kArchive},
      {"7z\xBC\xAF", NotText::kArchive}, {"\x1F\x8B", NotText::kArchive},    {"\x89PNG", NotText::kPicture},
      {"\xFF\xD8\xFF", NotText::kPicture}, {"GIF8", NotText::kPicture},
  };
  for (const Mark& mark : kMarks) {
    if (bytes.starts_with(mark.start)) return mark.what;
  }
  if (MostlyNul(text)) return NotText::kText;  // said as UTF-16 without its mark
  const std::string_view head = text.substr(0, 0x10000);
  const auto binary = std::ranges::count_if(head, [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\v' && byte != '\f' && byte != '\r' &&
           byte != 0x1A && byte != 0x1B;
  });
  return static_cast<std::size_t>(binary) * 4 > head.size() ? NotText::kBytes : NotText::kText;
}

const FolderLook* Install::Find(const std::string& folder) const {
  const auto seen = std::ranges::find_if(looks, [&](const FolderLook& look) { return SamePlace(look.folder, folder); });
  return seen == looks.end() ? nullptr : &*seen;
}

std::vector<std::string> Install::PluginFolders() const {
  std::vector<std::string> folders;
  const auto add = [&](const std::string& where) {
    if (!where.empty() && std::ranges::none_of(folders, [&](const std::string& f) { return SamePlace(f, where); })) {
      folders.push_back(where);
    }
  };
  for (const FolderLook& look : looks) {
    if (HoldsPlugIn(look)) add(look.folder);
  }
  // With no copy anywhere, a game may still have loaded one from the folders asked about.
  if (folders.empty()) {
    add(fileFolder);
    add(checkFolder);
  }
  return folders;
}

Install LookForInstall(const std::string& fileFolder, const std::string& checkFolder) {
  Install install;
  install.fileFolder = fileFolder;
  install.checkFolder = checkFolder;
  const auto look = [&](const std::string& folder) -> const FolderLook& {
    if (const FolderLook* seen = install.Find(folder)) return *seen;
    install.looks.push_back(LookIn(folder));
    return install.looks.back();
  };
  const auto near = [](const std::string& end) { return std::vector<std::string>{ParentOf(end), end + "scripts\\"}; };
  const auto from = [&](const std::string& end) -> const FolderLook* {
    const FolderLook& here = look(end);
    if (!here.listed || HoldsPlugIn(here)) return &here;
    for (const std::string& folder : near(end)) {
      if (folder.size() <= 1) continue;
      if (const FolderLook& there = look(folder); HoldsPlugIn(there)) return &there;
    }
    return &here;
  };
  if (fileFolder.empty()) return install;
  install.fromFile = from(fileFolder);
  install.fromCheck = checkFolder.empty() ? nullptr : from(checkFolder);
  for (const std::string& folder : near(fileFolder)) {
    if (!folder.empty() && system::KindOf(folder + kSettingsFileName) == system::Kind::kFile) look(folder);
  }
  return install;
}

bool SpansEveryRow(std::string_view header) {
  constexpr std::size_t kImageBaseField = 0x34;   // in the NT headers
  constexpr std::size_t kSizeOfImageField = 0x50;
  constexpr std::uint16_t kPe32Magic = 0x10B;
  if (header.size() < kNewHeaderOffsetField + 4 || !header.starts_with("MZ")) return false;
  const std::size_t nt = LittleEndianAt(header, kNewHeaderOffsetField);
  if (nt > header.size() || header.size() - nt < kSizeOfImageField + 4 || LittleEndianAt(header, nt) != kPeSignature) {
    return false;
  }
  if ((LittleEndianAt(header, nt + 0x18) & 0xFFFF) != kPe32Magic) return false;
  const std::uint64_t base = LittleEndianAt(header, nt + kImageBaseField);
  const std::uint64_t end = base + LittleEndianAt(header, nt + kSizeOfImageField);
  return std::ranges::all_of(kPatchSet, [&](const PatchEntry& entry) {
    return entry.address >= base && std::uint64_t{entry.address} + entry.width <= end;
  });
}

std::string SettingsFileOf(const PluginCopy& copy) { return FolderOf(copy.path) + kSettingsFileName; }

FolderLook LookIn(const std::string& folder) {
  FolderLook look{folder, false, {}, {}};
  const auto names = system::FilesIn(folder);
  if (!names) return look;
  look.listed = true;
  for (const std::string& name : *names) {
    const bool asi = EndsWithName(name, ".asi");
    const bool named = StartsWithName(name, "Lumavale");
    if (!asi && !named) continue;
    const std::string path = folder + name;
    if (auto copy = asi ? PluginAt(path) : std::nullopt) {
      look.copies.push_back(std::move(*copy));
    } else if (!asi && IsThePlugIn(path)) {
      look.lookalikes.push_back({path, Lookalike::What::kPlugInRenamed});
    } else if (asi && named) {
      const std::string start = system::FileStart(path, 2);
      look.lookalikes.push_back({path, start.empty()          ? Lookalike::What::kEmpty
                                       : start.starts_with("MZ") ? Lookalike::What::kOtherProgram
                                                                 : Lookalike::What::kNotAProgram});
    }
  }
  std::ranges::sort(look.copies, {}, &PluginCopy::path);
  std::ranges::sort(look.lookalikes, {}, &Lookalike::path);
  return look;
}

NearNames NamesNearSettings(const std::string& folder) {
  constexpr std::string_view kStem = "LumavaleSettings";
  NearNames names;
  const std::vector<std::string> files = system::FilesIn(folder).value_or(std::vector<std::string>{});
  // The stems of the copies of the plug-in here: "Lumavale" for Lumavale.asi, and
  // the plug-in's own name wherever it lies.
  std::vector<std::string> stems{"Lumavale"};
  for (const std::string& name : files) {
    if (EndsWithName(name, ".asi") && IsThePlugIn(folder + name)) stems.push_back(name.substr(0, name.size() - 4));
  }
  for (const std::string& name : files) {
    if (profile::SameName(name, kSettingsFileName)) {
      // Another letter case: the name itself, where it lies here, is the one read.
      if (name != kSettingsFileName) names.twins.push_back(name);
    } else if (std::ranges::any_of(stems, [&](const std::string& stem) { return profile::SameName(name, stem + ".ini"); })) {
      names.afterPlugIn.push_back(name);
    } else if (StartsWithName(name, kStem) || NameDistance(name, kSettingsFileName) <= 2) {
      names.similar.push_back(name);
    }
  }
  // One name alone in other letter case is the one read: only twins are named.
  if (names.twins.size() == 1 && std::ranges::find(files, std::string(kSettingsFileName)) == files.end()) {
    names.twins.clear();
  }
  for (auto* list : {&names.similar, &names.twins, &names.afterPlugIn}) std::ranges::sort(*list);
  return names;
}

std::string SteamAppOf(const std::string& folder) {
  constexpr std::string_view kCommon = "\\steamapps\\common\\";
  constexpr std::string_view kManifest = "appmanifest_";
  std::string lowered = folder;
  std::ranges::transform(lowered, lowered.begin(), profile::Lower);
  const std::size_t at = lowered.find(kCommon);
  if (at == std::string::npos) return {};
  const std::size_t nameAt = at + kCommon.size();
  const std::string name = folder.substr(nameAt, folder.find_first_of("\\/", nameAt) - nameAt);
  const std::string library = folder.substr(0, at + kCommon.size() - std::string_view("common\\").size());
  for (const std::string& file : system::FilesIn(library).value_or(std::vector<std::string>{})) {
    if (!StartsWithName(file, kManifest) || !EndsWithName(file, ".acf")) continue;
    char* bytes = nullptr;
    std::size_t size = 0;
    std::uint32_t error = 0;
    if (system::ReadWholeFile(library + file, &bytes, &size, &error) != system::Read::kRead) continue;
    const std::unique_ptr<char, decltype(&std::free)> held(bytes, &std::free);
    // "installdir"<blanks>"NAME"
    const std::string_view text(bytes, size);
    const std::size_t key = text.find("\"installdir\"");
    const std::size_t open = key == std::string_view::npos ? key : text.find('"', key + 12);
    const std::size_t close = open == std::string_view::npos ? open : text.find('"', open + 1);
    if (close != std::string_view::npos && profile::SameName(text.substr(open + 1, close - open - 1), name)) {
      return file.substr(kManifest.size(), file.size() - kManifest.size() - 4);
    }
  }
  return {};
}

std::vector<RunningGame> LookForGames(const std::vector<std::string>& pluginFolders) {
  std::vector<RunningGame> games;
  for (const system::Program& program : system::RunningPrograms()) {
    const std::string folder = FolderOf(program.image);
    // Each folder walked up once: SamePlace asks the system at every step.
    std::vector<std::string> below;
    std::ranges::copy_if(pluginFolders, std::back_inserter(below),
                         [&](const std::string& pluginFolder) { return WithinFolder(pluginFolder, folder); });
    if (below.empty() || !CanHoldTheRows(program.image)) continue;
    RunningGame game;
    game.id = program.id;
    game.image = program.image;
    // This install's game where, for some copy, no folder between holds a game of its own.
    for (const std::string& pluginFolder : below) {
      std::string nearer = NearerGame(pluginFolder, folder);
      if (nearer.empty()) {
        game.nearer.clear();
        break;
      }
      if (game.nearer.empty()) game.nearer = std::move(nearer);
    }
    if (game.nearer.empty()) {
      LookIntoGame(game);
    } else {
      game.state = RunningGame::State::kOtherInstall;
    }
    games.push_back(std::move(game));
  }
  return games;
}

std::vector<RunningGame> GamesWithThePlugIn() {
  std::vector<RunningGame> games;
  for (const system::Program& program : system::RunningPrograms()) {
    if (!CanHoldTheRows(program.image)) continue;
    RunningGame game;
    game.id = program.id;
    game.image = program.image;
    LookIntoGame(game);
    if (!game.loaded.empty()) games.push_back(std::move(game));
  }
  return games;
}

bool Survey::Checkable() const {
  // A file given is read only once its path is whole and no pattern.
  return !file.given || (file.bytes && notText == NotText::kText);
}

namespace {

// The survey from `checkFolder`, as if the check lay there; from this program's own
// folder, the plug-in's own reckoning of the settings path is used. At the top, where
// no copy of the plug-in is near, the running games are asked where it is.
Survey LookFrom(const char* given, std::string checkFolder, bool top) {
  Survey survey;
  survey.underWine = system::UnderWine();
  if (given != nullptr) {
    survey.givenText = given;
    // A folder given is looked at as if the check lay in it.
    std::string full = system::FullPath(given);
    if (!full.empty() && system::KindOf(full) == system::Kind::kFolder) {
      if (full.find_last_of("\\/") + 1 != full.size()) full += '\\';
      survey.givenFolder = checkFolder = full;
      for (const std::string& name : system::FilesIn(full).value_or(std::vector<std::string>{})) {
        if (EndsWithName(name, ".ini")) survey.iniFiles.push_back(name);
      }
      std::ranges::sort(survey.iniFiles);
      given = nullptr;
    }
  }
  survey.checkFolder = checkFolder;
  // Only the first look, at no folder given, is from this program's own folder.
  survey.file = FindSettingsFile(given, checkFolder, top && survey.givenFolder.empty());
  survey.profile = std::make_unique<profile::Profile>(survey.file.text);
  if (survey.file.bytes) survey.notText = NotSettingsText(survey.file.text, survey.profile->Text());
  if (!survey.Checkable()) return survey;
  LoadSettings(survey.file.settingsPath);
  survey.fileSettings = pluginSettings;
  survey.install = LookForInstall(survey.file.folder, checkFolder);
  survey.games = LookForGames(survey.install.PluginFolders());
  if (!top || survey.file.folder.empty() || std::ranges::any_of(survey.install.looks, HoldsPlugIn)) return survey;
  survey.gamesAnywhere = GamesWithThePlugIn();
  for (const RunningGame& game : survey.gamesAnywhere) {
    const std::string folder = FolderOf(game.loaded.back().path);
    const bool seen = std::ranges::any_of(
        survey.fromGames, [&](const Survey& other) { return SamePlace(other.checkFolder, folder); });
    if (!seen) survey.fromGames.push_back(LookFrom(given, folder, false));
  }
  return survey;
}

}  // namespace

Survey Look(const char* given) { return LookFrom(given, FolderOf(system::ProgramPath()), true); }

bool SamePlace(const std::string& a, const std::string& b) {
  if (const std::optional<bool> same = system::SameObject(a, b)) return *same;
  const std::string folderA = FolderOf(a);
  const std::string folderB = FolderOf(b);
  // A file not there yet: its folder is asked instead, and the names compared.
  if (!folderA.empty() && !folderB.empty() && folderA != a && folderB != b) {
    if (const std::optional<bool> same = system::SameObject(folderA, folderB)) {
      return *same && profile::SameName(std::string_view(a).substr(folderA.size()), std::string_view(b).substr(folderB.size()));
    }
  }
  return profile::SameName(a, b);
}

}  // namespace lumavale::check
