#pragma once
// The settings check program (LumavaleCheck.exe): reads a settings file through the
// plug-in's own settings code, and tells a player in plain words what the plug-in will
// make of it, what it will write into the game, and which lines do not do what they
// seem to. It writes nothing and changes nothing.

#include <string>
#include <vector>

#include "checker/line_warnings.h"

namespace lumavale::check {

// Exit statuses.
inline constexpr int kStatusClean = 0;       // no warning
inline constexpr int kStatusWarnings = 1;    // at least one warning
inline constexpr int kStatusUnreadable = 2;  // the file given cannot be read

struct Report {
  std::string text;  // what the program prints (UTF-8), lines ending in '\n'
  std::vector<Warning> warnings;  // those shown: the file's first, then the lines'
  int status = kStatusClean;
};

// Checks the file at `given` (UTF-8) as the user named it (made absolute first), or,
// when `given` is null, the LumavaleSettings.ini that the plug-in would read if it lay
// in this program's folder.
Report CheckSettings(const char* given);

// The program, given its command line's arguments in UTF-8 (its own name first):
// prints the report of the first argument's file (or of the file beside the program),
// waits for Enter when the console window would close at once, and returns the exit
// status.
int RunChecker(const std::vector<std::string>& arguments);

}  // namespace lumavale::check
