#pragma once
// Fixing the player's file, and only when they ask: the edits the verdict found
// certain, made on the file's bytes as read, and written through the check's door
// one file at a time, each in one step, the old file kept. Nothing that judges writes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checker/finding.h"
#include "checker/phrase.h"
#include "checker/survey.h"
#include "checker/verdict.h"

namespace lumavale::check {

// `bytes` with the text edits made. Each edit's place in the decoded text is found in
// the bytes (a mark first, then a UTF-16 unit or a byte per character), so every other
// byte stays as it was: line ends, other characters, the end of the file. None where
// edits overlap or reach past the text.
std::optional<std::string> Edited(std::string_view bytes, const std::vector<Edit>& edits);

// How many findings of a verdict (and of its parts) the check can fix.
std::size_t Fixable(const Verdict& verdict);

// A name beside `path` that no file has, for its old file to be kept under:
// "LumavaleSettings.ini.bak", else ".bak2", ".bak3"...
std::string BackupName(const std::string& path);

// Makes every fix of the verdict on the files the survey looked at: the settings
// file's lines (fixed again until nothing more can be), then its name, then its copy
// to where the plug-in reads. `said`: one line each, what was done and where the old
// file is kept, or why nothing was changed; after a failure nothing more is tried.
// `path`: where the fixed settings now lie, to be checked again; empty if nowhere new.
struct Fixed {
  std::vector<Phrase> said;
  std::string path;
};
Fixed Fix(const Survey& survey, const Verdict& verdict);

}  // namespace lumavale::check
