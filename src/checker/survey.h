#pragma once
// What is there, looked at through the check's door and nothing else: copies of the
// plug-in and files named like it, files named nearly like the settings file, and the
// running games with the copies each has loaded and the bytes its rows hold. Things
// are known by what they are (version information, an image's span), never by a name
// alone. The verdict decides what these facts mean; nothing here judges them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checker/paths.h"
#include "patching/patch_set.h"
#include "settings/settings.h"

namespace lumavale::check {

// A file whose version information says it is this plug-in.
struct PluginCopy {
  std::string path;
  std::string version;  // its FileVersion
};

// "zz_Lumavale.asi, Lumavale 1.1.0"
std::string Named(const PluginCopy& copy);

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

// The files in `folder` whose names are near the settings file's, as Windows' hidden
// extensions and copies make them ("LumavaleSettings.ini.txt", "LumavaleSettings (1).ini").
std::vector<std::string> NamesNearSettings(const std::string& folder);

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
  std::vector<PluginCopy> loaded;    // the copies of the plug-in it has loaded, in load order
  std::vector<std::string> otherAsi; // the other ".asi" files it has loaded
  // Each row's bytes (little-endian, the row's width), in table order; none where
  // they could not be read.
  std::vector<std::optional<std::uint32_t>> rows;
  std::string build;                 // the build the plug-in's table names; empty if none
};

// The games of a plug-in in any of `pluginFolders` (each ending in a separator). A
// program that is not such a game is never opened; a game only to read its module
// list, the header fields the plug-in reads for the host key, and the rows.
std::vector<RunningGame> LookForGames(const std::vector<std::string>& pluginFolders);

}  // namespace lumavale::check
