#pragma once
// What is there, looked at through the check's door and nothing else: copies of the
// plug-in and files named like it, files named nearly like the settings file, and the
// running games with the copies each has loaded and the bytes its rows hold. Things
// are known by what they are (version information, an image's span, the object a path
// names), never by a name alone. The verdict decides what these facts mean; nothing
// here judges them.

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checker/paths.h"
#include "checker/profile_text.h"
#include "checker/system.h"
#include "patching/host_identity.h"
#include "patching/patch_set.h"
#include "settings/settings.h"

namespace lumavale::check {

// The path as the plug-in's reads take it: narrow where it is plain ASCII, wide where a
// letter may be one the ANSI code page lacks; empty (the defaults) when it is too long.
SettingsPath PathFor(const std::string& file);

// What the plug-in makes of the settings file at `file`, through its own reads; an
// empty path reads nothing and gives the defaults.
PluginSettings SettingsOf(const std::string& file);

// The settings file asked about: the one given (made whole), or the one the plug-in
// would read beside this program; read whole, where it can be.
struct SettingsFile {
  bool given = false;
  std::string path;             // empty where a given path cannot be made whole
  std::string folder;           // with its final separator
  SettingsPath settingsPath{};  // as the plug-in's reads take it
  system::Read read = system::Read::kCannotOpen;
  system::Kind kind = system::Kind::kFile;  // what the name stands for, where it could not be read
  std::uint32_t error = 0;
  std::unique_ptr<char, decltype(&std::free)> bytes{nullptr, &std::free};
  std::string_view text;        // the bytes read

  // Too long a path for the plug-in, which then reads no file and uses the defaults.
  bool TooLong() const { return !path.empty() && settingsPath.text[0] == '\0' && settingsPath.wide[0] == u'\0'; }
  // A given name with * or ?: a pattern, which no file is called.
  bool Pattern() const;
};

// Mostly NUL bytes: UTF-16 saved without its byte order mark, or a damaged file. The
// profile reads then find nothing in it.
bool MostlyNul(std::string_view text);

// What a file that is not settings text is, by its first bytes or by bytes no text
// holds. `text` is the file as the profile reads decode it.
enum class NotText { kText, kProgram, kArchive, kPicture, kBytes };
NotText NotSettingsText(std::string_view bytes, std::string_view text);

// A file whose version information says it is this plug-in.
struct PluginCopy {
  std::string path;
  std::string version;  // its FileVersion
};

// The settings file a copy reads: the one in its own folder.
std::string SettingsFileOf(const PluginCopy& copy);

// A file named like the plug-in that the loader cannot take for it: a ".asi" whose
// name begins with "Lumavale" but which is not the plug-in, or the plug-in itself
// under another extension.
struct Lookalike {
  enum class What {
    kEmpty,          // no bytes at all: a download that failed
    kNotAProgram,    // bytes that are no program
    kOtherProgram,   // a program without the plug-in's version information
    kPlugInRenamed,  // the plug-in, but its name does not end in ".asi"
  };
  std::string path;
  What what;
};

// The copies of the plug-in and its lookalikes in one folder (ending in a separator).
struct FolderLook {
  std::string folder;
  bool listed = false;  // false: the folder cannot be listed, and may hold anything
  std::vector<PluginCopy> copies;
  std::vector<Lookalike> lookalikes;
};
FolderLook LookIn(const std::string& folder);

// The names in a folder that a player may take for the settings file, but which the
// plug-in does not read.
struct NearNames {
  // Near its name, as Windows' hidden extensions and copies make them
  // ("LumavaleSettings.ini.txt", "LumavaleSettings (1).ini").
  std::vector<std::string> similar;
  // Its name in other letter case, on a disk that tells them apart; the one the
  // plug-in reads is the name itself, where it lies there.
  std::vector<std::string> twins;
  // Named after a copy of the plug-in, as many plug-ins name theirs ("Lumavale.ini").
  std::vector<std::string> afterPlugIn;
};
NearNames NamesNearSettings(const std::string& folder);

// The copies of the plug-in seen from both ends: the folder of the file asked about and
// this program's own. From each end, the copies there or, where it holds none, in the
// folder above it or its scripts folder. The file's own neighbours, where they hold a
// settings file, are looked into too.
struct Install {
  std::deque<FolderLook> looks;            // each folder looked into, once; references stay
  const FolderLook* fromFile = nullptr;    // where the copies seen from the file's folder lie
  const FolderLook* fromCheck = nullptr;   // and from this program's; null when its folder is unknown
  std::string fileFolder;
  std::string checkFolder;

  const FolderLook* Find(const std::string& folder) const;
  // The folders that hold a copy or a file called like it; with none, the two ends.
  std::vector<std::string> PluginFolders() const;
};
Install LookForInstall(const std::string& fileFolder, const std::string& checkFolder);

// A folder where the player put the plug-in: a copy of it, or something called like it.
inline bool HoldsPlugIn(const FolderLook& look) { return !look.copies.empty() || !look.lookalikes.empty(); }

// Whether an executable whose file begins with `header` spans every row once loaded
// at its preferred base, by its PE32 header's image base and size: a program's file is
// read, never the program, so one that is not the game is never opened.
bool SpansEveryRow(std::string_view header);

// The Steam app id of the game whose library folder ("...\steamapps\common\NAME\")
// holds `folder`, from the library's "appmanifest_ID.acf" whose installdir is NAME;
// empty when `folder` lies in no Steam library, or none names it.
std::string SteamAppOf(const std::string& folder);

// A running program that is a game: its executable's image spans every row, and it
// lies in one of the plug-in's folders or a folder above one.
struct RunningGame {
  enum class State {
    kOtherInstall,  // a nearer folder holds a game of its own: never opened
    kClosed,        // Windows does not let the check read it
    kOpened,
  };
  State state = State::kClosed;
  std::uint32_t id = 0;
  std::string image;                 // the game's executable
  std::string nearer;                // kOtherInstall: the executable nearer the plug-in
  std::uint32_t error = 0;           // kClosed: why, as the system numbers it
  std::vector<PluginCopy> loaded;    // the copies of the plug-in it has loaded, in load order
  std::vector<std::string> otherAsi; // the other ".asi" files it has loaded
  std::string lookalike;             // among them, one called like the plug-in; empty if none
  // Each row's bytes (little-endian, the row's width), in table order; none where
  // they could not be read.
  std::vector<std::optional<std::uint32_t>> rows;
  const KnownHost* build = nullptr;  // the build the plug-in's table names; null if none
};

// The games of a plug-in in any of `pluginFolders` (each ending in a separator). A
// program that is not such a game is never opened; a game only to read its module
// list, the header fields the plug-in reads for the host key, and the rows.
std::vector<RunningGame> LookForGames(const std::vector<std::string>& pluginFolders);

// Every running game, wherever it was started from, that has loaded a copy of the
// plug-in; other programs are never opened, and games without a copy are left out.
std::vector<RunningGame> GamesWithThePlugIn();

// All the check looks at, from one folder: the settings file asked about, the install
// around it and its running games.
struct Survey {
  SettingsFile file;
  std::string checkFolder;  // where the check looks from, as if it lay there
  std::string givenText;    // the file or folder given, as written
  std::string givenFolder;  // a folder given in place of a file: the check looks from there
  std::vector<std::string> iniFiles;  // the .ini files in a folder given
  std::unique_ptr<profile::Profile> profile;  // the file's text as the reads decode it
  NotText notText = NotText::kText;
  PluginSettings fileSettings{};  // what the plug-in makes of the file
  Install install;
  std::vector<RunningGame> games;
  bool underWine = false;
  // Where no copy of the plug-in lies beside the file or the check: each running game
  // that has loaded one, looked at from beside the copy it loaded last.
  std::vector<RunningGame> gamesAnywhere;
  std::vector<Survey> fromGames;

  // The file given could be read and is settings text, or none was given: there is
  // an install to look at.
  bool Checkable() const;
};

// Looks at the file `given` (UTF-8; null: the one beside this program) from this
// program's folder.
Survey Look(const char* given);

}  // namespace lumavale::check
