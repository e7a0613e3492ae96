// Fixing a settings file over the fake platform, for any bytes the file might hold:
// no byte outside the fixed spans changes, the old file is kept byte for byte, and a
// second fix finds nothing more to fix.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "checker/fix.h"
#include "checker/line_warnings.h"
#include "checker/profile_text.h"
#include "checker/report.h"
#include "fail.h"
#include "fake_platform.h"

namespace lumavale {
namespace {

const std::string kFolder = "C:\\Games\\Host\\scripts\\";
const std::string kFile = kFolder + "LumavaleSettings.ini";

// The bytes outside every edit are those of the file, in order: each piece between
// two edits, found at its place shifted by what the edits before it put in or took out.
bool OnlyTheSpansChanged(std::string_view before, std::string_view after, std::vector<check::Edit> edits) {
  const profile::Profile profile(before);
  const profile::Profile::Encoding encoding = profile.Encoded();
  std::ranges::sort(edits, {}, &check::Edit::at);
  std::size_t from = 0;           // in `before`
  std::ptrdiff_t shift = 0;       // where `after` has it, against `before`
  const auto same = [&](std::size_t start, std::size_t end) {
    const auto at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(start) + shift);
    return at + (end - start) <= after.size() && after.substr(at, end - start) == before.substr(start, end - start);
  };
  for (const check::Edit& edit : edits) {
    const std::size_t start = encoding.mark + edit.at * encoding.unit;
    if (start < from || !same(from, start)) return false;
    from = start + edit.length * encoding.unit;
    shift += static_cast<std::ptrdiff_t>(edit.text.size() * encoding.unit) -
             static_cast<std::ptrdiff_t>(edit.length * encoding.unit);
  }
  return same(from, before.size()) && static_cast<std::ptrdiff_t>(before.size()) + shift ==
                                          static_cast<std::ptrdiff_t>(after.size());
}

std::vector<check::Edit> TextEdits(std::string_view bytes) {
  std::vector<check::Edit> edits;
  for (const check::Finding& finding : check::CheckLines(profile::Profile(bytes), 0xFFFFFFFF).shown) {
    for (const check::Edit& edit : finding.fix) edits.push_back(edit);
  }
  return edits;
}

std::size_t FixOnce() {
  const check::Survey survey = check::Look(nullptr);
  const check::Verdict verdict = check::Judge(survey);
  check::Fix(survey, verdict);
  return fake::State().writes.size();
}

}  // namespace
}  // namespace lumavale

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lumavale;
  const std::string original(reinterpret_cast<const char*>(data), size);
  // One round of edits, on its own: only their spans change.
  const std::vector<check::Edit> edits = TextEdits(original);
  if (const std::optional<std::string> edited = check::Edited(original, edits)) {
    if (!OnlyTheSpansChanged(original, *edited, edits)) fuzz::Fail("a byte outside the fixed spans changed", original);
  } else if (!edits.empty()) {
    fuzz::Fail("the edits of one round overlap", original);
  }
  // The whole fix, beside the plug-in.
  fake::State() = {.moduleFileName = kFolder + "LumavaleCheck.exe", .files = {{kFile, original}},
                   .existingFiles = {kFolder + "Lumavale.asi"}, .versions = {{kFolder + "Lumavale.asi", fake::kPluginVersion}}};
  const std::size_t writes = FixOnce();
  const auto& files = fake::State().files;
  if (writes != 0 && files.at(kFile + ".bak") != original) fuzz::Fail("the old file was not kept byte for byte", original);
  if (writes == 0 && files.at(kFile) != original) fuzz::Fail("the file changed with nothing written", original);
  if (FixOnce() != writes) fuzz::Fail("a second fix found more to fix", original);
  return 0;
}
