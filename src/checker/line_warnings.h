#pragma once
// What a player's settings file says line by line, against what the plug-in reads:
// the traps that make a setting silently mean something else. The values come from
// the plug-in's own readers (ParseAmount, the profile reader), never from a second
// opinion.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checker/profile_text.h"
#include "settings/settings.h"

namespace lumavale::check {

enum class Problem {
  kDecimalComma,     // an amount written with a decimal comma
  kIgnoredText,      // text after the number, which the plug-in ignores
  kNoNumber,         // a value with no number at all
  kNotASwitchValue,  // a switch set to something other than 0 or 1
  kOddAmount,        // an amount that is negative, infinite or not a number
  kUnknownKey,       // a key the plug-in does not read
  kKeyInOtherSection,
  kUnknownSection,
  kKeyOutsideSection,
  kRepeatedKey,      // a later copy of a key: the first one counts
  kRepeatedSection,  // a key in a second copy of a section, which is never read
  kNoEquals,         // a known key without '=': it reads as missing
  kUnreadableLine,   // neither a setting, a section nor a comment
  // About the file as a whole, not a line (line number 0).
  kPathTooLong,
  kOtherFileName,
  kNoPluginBeside,
  kNeighbourSettings,
  kNotAFile,         // a folder or a link where the settings file should be
  kUnreadableFile,   // there, but it cannot be opened or is too large to read
  kNotText,          // mostly NUL bytes: UTF-16 without a byte order mark, or damaged
  kTwoCopies,        // more than one copy of the plug-in in one folder
  kNearName,         // no settings file, but one named nearly like it
  kNotSettingsText,  // the settings file beside the plug-in is a program, an archive, a picture
  kNotThePlugIn,     // a file called like the plug-in that is not it
  kPlugInRenamed,    // the plug-in under a name the loader does not load
  // About the running game (line number 0 too).
  kNotLoaded,        // the game runs, but no copy of the plug-in is loaded in it
  kSeveralLoaded,    // the game has loaded more than one copy
  kOtherCopyLoaded,  // the game has loaded a copy from another folder
  kNotActive,        // the plug-in is loaded, but rows hold other bytes than the file gives
};

struct Warning {
  std::uint32_t line;  // 1-based; 0 when it concerns the file as a whole
  Problem problem;
  std::string message;  // what is wrong and what the plug-in makes of it
  std::string advice;   // what to write or do instead; may be empty
  std::string text;     // the line as the report shows it (see Shown); empty for the file
};

// A report shows the warnings of at most this many lines, and counts the rest.
inline constexpr std::uint32_t kShownProblemLines = 50;

struct LineWarnings {
  std::vector<Warning> shown;     // in line order: all of those on the first lines with any
  std::uint32_t problemLines = 0;  // how many lines have a warning, shown or not
};

// The warnings about the lines of a settings file; those of the first `shownLines`
// lines that have any are kept.
LineWarnings CheckLines(const profile::Profile& profile,
                        std::uint32_t shownLines = kShownProblemLines);

// The key line the plug-in reads for `setting`, or none: the first line of that key in
// the first section of that name, as the profile reads find it.
std::optional<profile::Line> CountedLine(const profile::Profile& profile, const SettingKey& setting);

// Text from the file as a console can show it: text that is not UTF-8 is read in the
// ANSI code page, a control character is written as \xNN, and text longer than
// `longest` characters is cut, with its whole length given.
std::string Shown(std::string_view raw, std::size_t longest = 60);

// An amount as a player would write it: the shortest text that reads back as the
// same value ("0.8", "1.25", "-3"), or "infinity", "-infinity", "not a number".
std::string AmountText(float amount);

// Case-insensitive edit distance between two names (insertions, deletions,
// substitutions and swaps of neighbours each count one).
std::uint32_t NameDistance(const std::string& a, const std::string& b);

}  // namespace lumavale::check
