#pragma once
// A finding: a problem the check has found, as data. Its kind, where it is (a line of
// the file, or the file, the plug-in or a game as a whole), what it means and what to
// do, as phrases; the words layer says them in the player's language.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "checker/phrase.h"

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
  kCaseTwin,         // a settings file whose name differs only in case: not read
  kNamedAfterPlugIn, // "Lumavale.ini", named after a copy of the plug-in: not read
  // About the running game (line number 0 too).
  kNotLoaded,        // the game runs, but no copy of the plug-in is loaded in it
  kSeveralLoaded,    // the game has loaded more than one copy
  kOtherCopyLoaded,  // the game has loaded a copy from another folder
  kNotActive,        // the plug-in is loaded, but rows hold other bytes than the file gives
};

// Whether a problem concerns a running game, or the plug-in's files.
bool AboutTheGame(Problem problem);
bool AboutThePlugIn(Problem problem);

// A change that certainly gives what the player meant; made only when they ask.
struct Edit {
  enum class Kind {
    kText,      // in the settings file's text as the reads decode it: [at, at + length) becomes `text`
    kRename,    // the file `from` gets the name `to`, which no file has
    kCopyOver,  // the settings file shown is copied to `to`, whose old file is kept
  };
  Kind kind = Kind::kText;
  std::size_t at = 0;
  std::size_t length = 0;
  std::string text;  // ASCII: names, numbers, line ends
  std::string from;
  std::string to;
};

struct Finding {
  Problem problem;
  std::uint32_t line = 0;  // 1-based; 0 when it concerns the file as a whole
  Arg lineText;            // the line as the report shows it
  Arg place;               // the game it concerns, where more than one runs; empty text: none
  Phrase message;          // what is wrong and what the plug-in makes of it
  Phrase advice;           // what to write or do instead; may be empty
  std::vector<Edit> fix;   // what the check can do for the player; empty: shown only
};

}  // namespace lumavale::check
