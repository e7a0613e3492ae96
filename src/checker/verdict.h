#pragma once
// What the facts mean. Which copy reads the file asked about; for a running game, what
// the copies it has loaded write, each from its own settings file as it is now, in load
// order, through the plug-in's own settings code, held against what the game holds;
// and the whole report as data: the verdict first, the lines that show what the
// plug-in makes of the file, and the findings. Nothing here is worded: every line is a
// phrase, said in the player's language only when it is printed.

#include <cstdint>
#include <vector>

#include "checker/finding.h"
#include "checker/phrase.h"
#include "checker/survey.h"

namespace lumavale::check {

// Exit statuses.
inline constexpr int kStatusClean = 0;       // no warning
inline constexpr int kStatusWarnings = 1;    // at least one warning
inline constexpr int kStatusUnreadable = 2;  // the file given cannot be read

// A line of the report: what it says, and where the layout puts it.
struct Said {
  enum class Style {
    kLine,     // at the margin
    kParagraph,  // at the margin, a blank line after it
    kNote,     // indented by two
    kDetail,   // indented by four
    kEffect,   // "-> ", indented by six
    kTable,    // indented by two, never wrapped, `column` in the table's second column
    kHeading,  // after a blank line
  };
  Style style = Style::kLine;
  Phrase phrase;
  Phrase column;
};

// The whole report, as data.
struct Verdict {
  Phrase headline;                // whether the plug-in is working in the running game
  std::vector<Said> said;         // what the plug-in makes of the file, and the games
  std::vector<Finding> findings;  // the file's first, then the lines'
  std::uint32_t hiddenLines = 0;  // lines with problems beyond those shown
  bool stillStarts = false;       // the findings are about the files, and a plug-in exists
  Phrase clean;                   // what is said where there is no finding
  std::vector<Verdict> parts;     // each looked at from beside a copy a game has loaded
  std::vector<Said> after;        // said last
  int status = kStatusClean;
  bool stopped = false;           // the file given cannot be checked: `said` says why
};

Verdict Judge(const Survey& survey);

}  // namespace lumavale::check
