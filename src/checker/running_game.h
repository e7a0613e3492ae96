#pragma once
// "Is it working?": the plug-in cannot say, so the check looks into the running game.
// Only a program whose executable lies in the plug-in's folder or the folder above it
// is opened, for reading, and only the rows' bytes and the header fields the plug-in
// reads for the host key are read.

#include <cstdint>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace lumavale::check {

struct RunningGame {
  enum class State {
    kNotRunning,      // no such program (or none that could be opened)
    kWithoutPlugin,   // running, but this folder's Lumavale.asi is not loaded in it
    kDiffers,         // the plug-in is loaded, but some rows hold other bytes
    kActive,          // every row the settings apply holds its bytes
  };
  State state = State::kNotRunning;
  std::string image;                 // the game's executable
  std::vector<int> differing;        // rows (1-based) whose bytes are not the settings'
  std::string build;                 // the build the plug-in's table names; empty if none
};

// Looks for the game of the plug-in in `pluginFolder` (ending in a separator) and
// holds what it finds against what `settings` make the plug-in write.
RunningGame LookForGame(const std::string& pluginFolder, const PluginSettings& settings);

}  // namespace lumavale::check
