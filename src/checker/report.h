#pragma once
// The settings check program (LumavaleCheck.exe): reads a settings file through the
// plug-in's own settings code, and tells a player in plain words, in their language,
// what the plug-in will make of it, what it will write into the game, and which lines
// do not do what they seem to. The run is three steps: the survey gathers the facts,
// the verdict judges them into data, and the words say it; the report only lays the
// text out.

#include <cstdint>
#include <string>
#include <vector>

#include "checker/finding.h"
#include "checker/verdict.h"
#include "checker/words.h"

namespace lumavale::check {

// A finding as the player reads it.
struct Warning {
  std::uint32_t line;  // 1-based; 0 when it concerns the file as a whole
  Problem problem;
  std::string message;
  std::string advice;  // may be empty
  bool fixable;        // the check can make what it advises
};

struct Report {
  std::string text;  // what the program prints (UTF-8), lines ending in '\n'
  std::vector<Warning> warnings;  // those shown, in the order shown
  int status = kStatusClean;
};

// The report of a verdict, in the words given.
Report Lay(const Verdict& verdict, const Words& words);

// Checks the file at `given` (UTF-8) as the user named it (made absolute first), or,
// when `given` is null, the LumavaleSettings.ini that the plug-in would read if it lay
// in this program's folder; a folder given is checked as if the program lay there.
Report CheckSettings(const char* given, const Words& words = Words("en"));

// The program, given its command line's arguments in UTF-8 (its own name first):
// prints the report of the file given (or of the file beside the program), waits for
// Enter when the console window would close at once, and returns the exit status.
//   LumavaleCheck.exe [--language CODE] [FILE]
int RunChecker(const std::vector<std::string>& arguments);

}  // namespace lumavale::check
