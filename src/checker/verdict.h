#pragma once
// What the facts mean. Which copy reads the file asked about; for a running game, what
// the copies it has loaded write, each from its own settings file as it is now, in load
// order, through the plug-in's own settings code, held against what the game holds;
// and the findings: each a value with its kind, its place and its message, which the
// report lays out with the rest.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "checker/line_warnings.h"
#include "checker/survey.h"
#include "settings/settings.h"

namespace lumavale::check {

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

// Which copy of the plug-in would read settings for the file asked about: one beside
// it, else one near it, else one beside this program.
struct Reading {
  const FolderLook* plugin = nullptr;  // where that copy lies; null when no copy is known
  std::string readFile;                // the settings file it reads; empty with none
  bool fileIsRead = false;             // the file asked about is that one (or no folder is known)
  // Where the plug-in that reads the file lies, or the file's own folder when none is known.
  std::string PluginFolder(const SettingsFile& file) const;
};
Reading WhoReads(const SettingsFile& file, const Install& install);

// What the findings are made from.
struct Facts {
  const SettingsFile& file;
  const Install& install;
  const Reading& reading;
  const std::vector<RunningGame>& games;
};

// "C:\Games\Host\game.exe", with its process where one executable runs twice.
std::string GameLabel(const Facts& facts, const RunningGame& game);
// Where values come from: "this file", another settings file, or the defaults where
// no settings file lies at `path`.
std::string Source(const Facts& facts, const std::string& path);

// Why the file asked about cannot be read ("it does not exist"); empty when it was read.
std::string WhyUnreadable(const SettingsFile& file);

// Findings about the file itself: a path too long, a settings file beside this program
// that cannot be read or is no settings text (`notText`), or text as the reads decode
// it (`decoded`) that is mostly NUL bytes.
std::vector<Warning> JudgeFile(const SettingsFile& file, std::string_view decoded, const char* notText,
                               const PluginSettings& fileSettings);
// Findings about where it lies against the copies of the plug-in: its name, copies and
// files called like the plug-in, no copy beside it, names near its own, other settings
// files near it.
std::vector<Warning> JudgePlace(const Facts& facts);
// Findings about one running game of the install that could be looked into.
std::vector<Warning> JudgeGame(const Facts& facts, const RunningGame& game, const GameVerdict& verdict);

}  // namespace lumavale::check
