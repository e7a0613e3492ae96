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

#include "checker/finding.h"
#include "checker/profile_text.h"
#include "settings/settings.h"

namespace lumavale::check {

// A report shows the warnings of at most this many lines, and counts the rest.
inline constexpr std::uint32_t kShownProblemLines = 50;

struct LineWarnings {
  std::vector<Finding> shown;     // in line order: all of those on the first lines with any
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
Arg Shown(std::string_view raw, std::size_t longest = 60);

// The same in quotes, as the report shows a value.
Arg Quoted(std::string_view text);

// The same, as plain text, for text that is never cut.
std::string ShownText(std::string_view raw);

// An amount as a player would write it: the shortest text that reads back as the
// same value ("0.8", "1.25", "-3"), or "infinity", "-infinity", "not a number".
std::string AmountText(float amount);

// An amount as the report says it: as a player writes it, or in words where no
// number says it (infinity, not a number).
Arg AmountArg(float amount);

// Case-insensitive edit distance between two names (insertions, deletions,
// substitutions and swaps of neighbours each count one).
std::uint32_t NameDistance(const std::string& a, const std::string& b);

}  // namespace lumavale::check
