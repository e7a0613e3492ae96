#pragma once
// What the facts mean. A running game is judged by working out what the copies it has
// loaded write, each from its own settings file as it is now, in load order, through
// the plug-in's own settings code, and holding that against what the game holds. The
// result is plain data; the report words it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "checker/survey.h"
#include "settings/settings.h"

namespace lumavale::check {

// The path as the plug-in's reads take it: narrow where it is plain ASCII, wide where a
// letter may be one the ANSI code page lacks; empty (the defaults) when it is too long.
SettingsPath PathFor(const std::string& file);

// What the plug-in makes of the settings file at `file`, through its own reads.
PluginSettings SettingsOf(const std::string& file);

// One row of a running game.
struct RowVerdict {
  std::optional<std::size_t> writer;  // the loaded copy that writes it last at every start
  std::uint32_t written = 0;          // the bytes that copy writes
  std::optional<std::uint32_t> held;  // the bytes the game holds; none where they cannot be read
  // No loaded copy writes the row, yet it holds the bytes the plug-in writes there
  // when the row's switch is on: from an earlier start, or the game's own.
  bool heldAnyway = false;
  bool Holds() const;                 // a copy writes it and it holds those bytes
};

struct GameVerdict {
  std::vector<PluginSettings> settings;  // each loaded copy's, from its own file as it is now
  std::vector<RowVerdict> rows;          // in table order
  std::vector<std::size_t> changing;     // rows a restart would change (0-based)
  std::vector<std::size_t> unread;       // rows a copy writes whose bytes cannot be read
  // The shown file against the loaded copies: the last copy that reads it, the rows
  // it gives that a copy loaded later overwrites, and the rows it leaves alone (a
  // switch off) that another copy writes.
  std::optional<std::size_t> reader;
  std::vector<std::size_t> overwritten;
  std::vector<std::size_t> writtenAnyway;

  bool Active() const { return changing.empty() && unread.empty(); }
};

// `game` must have been opened. `shownFile` is the settings file the player asked about.
GameVerdict Judge(const RunningGame& game, const std::string& shownFile);

}  // namespace lumavale::check
