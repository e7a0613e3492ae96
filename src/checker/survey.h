#pragma once
// What is there, looked at through the check's door and nothing else: copies of the
// plug-in, files named nearly like the settings file, and the running game with the
// copies it has loaded and the bytes its rows hold. Things are known by what they are
// (version information, an image's span), never by a name alone. The report decides
// what these facts mean; nothing here judges them.

#include <cstdint>
#include <optional>
#include <string>
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

// The copies of the plug-in among the .asi files in `folder` (ending in a separator);
// none when the folder cannot be listed.
std::optional<std::vector<PluginCopy>> CopiesIn(const std::string& folder);

// The files in `folder` whose names are near the settings file's, as Windows' hidden
// extensions and copies make them ("LumavaleSettings.ini.txt", "LumavaleSettings (1).ini").
std::vector<std::string> NamesNearSettings(const std::string& folder);

// The running game: a program started from the plug-in's folder or the one above it
// whose executable's image spans every row.
struct RunningGame {
  enum class State {
    kNotFound,  // no such program
    kClosed,    // found, but Windows does not let the check read it
    kOpened,
  };
  State state = State::kNotFound;
  std::string image;                // the game's executable
  std::vector<PluginCopy> loaded;   // the copies of the plug-in it has loaded, in its module order
  // Each row's bytes (little-endian, the row's width), in table order; none where
  // they could not be read.
  std::vector<std::optional<std::uint32_t>> rows;
  std::string build;                // the build the plug-in's table names; empty if none
};

// Looks for the game of a plug-in in `pluginFolder` (ending in a separator). A program
// that is not the game is never opened; the game only to read its module list, the
// header fields the plug-in reads for the host key, and the rows.
RunningGame LookForGame(const std::string& pluginFolder);

}  // namespace lumavale::check
