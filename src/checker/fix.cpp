#include "checker/fix.h"

#include <algorithm>
#include <numeric>

#include "checker/line_warnings.h"
#include "checker/paths.h"
#include "checker/profile_text.h"
#include "checker/system.h"

namespace lumavale::check {
namespace {

// A file's lines fixed again and again: a key renamed may show a value to fix, a
// section added may take the next key. Bounded, as each round fixes at least a line.
constexpr int kRounds = 16;

std::vector<Edit> TextEdits(std::string_view bytes) {
  const profile::Profile profile(bytes);
  std::vector<Edit> edits;
  if (MostlyNul(profile.Text()) || NotSettingsText(bytes, profile.Text()) != NotText::kText) return edits;
  for (const Finding& finding : CheckLines(profile, 0xFFFFFFFF).shown) {
    edits.insert(edits.end(), finding.fix.begin(), finding.fix.end());
  }
  return edits;
}

// Why a file was not changed, in one line.
Phrase NotChanged(const system::Written& written, const std::string& path) {
  switch (written.wrote) {
    case system::Wrote::kReadOnly: return Say(Msg::kNotChangedReadOnly, Path(path));
    case system::Wrote::kInUse: return Say(Msg::kNotChangedInUse, Path(path));
    case system::Wrote::kDenied: return Say(Msg::kNotChangedDenied, Path(path));
    case system::Wrote::kDiskFull: return Say(Msg::kNotChangedDiskFull, Path(path));
    case system::Wrote::kExists:
    case system::Wrote::kFailed:
    case system::Wrote::kDone: break;
  }
  return Say(Msg::kNotChangedError, Path(path), Number(written.error));
}

// Each file the fixes touch, in order.
class Fixer {
 public:
  explicit Fixer(const Survey& looked) : path(looked.file.path), bytes(looked.file.text) {}

  Fixed Run(const std::vector<Edit>& fixes) {
    if (std::ranges::any_of(fixes, [](const Edit& edit) { return edit.kind == Edit::Kind::kText; })) Lines();
    for (const Edit& edit : fixes) {
      if (failed) break;
      if (edit.kind == Edit::Kind::kRename) Renamed(edit);
      if (edit.kind == Edit::Kind::kCopyOver) Copied(edit.to);
    }
    return {std::move(said), moved};
  }

 private:
  void Lines() {
    std::string fixed(bytes);
    for (int round = 0; round < kRounds; ++round) {
      const std::vector<Edit> edits = TextEdits(fixed);
      std::optional<std::string> next = edits.empty() ? std::nullopt : Edited(fixed, edits);
      if (!next || *next == fixed) break;
      fixed = std::move(*next);
    }
    if (fixed == bytes) return;
    const std::string backup = BackupName(path);
    const system::Written written = system::ReplaceWith(path, fixed, backup);
    if (written.wrote != system::Wrote::kDone) return Fail(NotChanged(written, path));
    said.push_back(Say(Msg::kFixedFile, Path(path), Path(NameOf(backup))));
    bytes = std::move(fixed);
  }

  // The file shown, which then lies at its new name, or another: a near name beside the plug-in.
  void Renamed(const Edit& edit) {
    const bool shown = SamePlace(edit.from, path);
    const std::string from = shown ? path : edit.from;
    const system::Written written = system::Rename(from, edit.to);
    if (written.wrote != system::Wrote::kDone) {
      return Fail(written.wrote == system::Wrote::kExists
                      ? Say(Msg::kNotRenamedExists, Path(from), Path(NameOf(edit.to)))
                      : NotChanged(written, from));
    }
    said.push_back(Say(Msg::kFixRenamed, Path(from), Path(NameOf(edit.to))));
    if (shown) path = moved = edit.to;
  }

  void Copied(const std::string& to) {
    if (system::KindOf(to) == system::Kind::kNothing) {
      const system::Written written = system::Create(to, bytes);
      if (written.wrote != system::Wrote::kDone) return Fail(NotChanged(written, to));
      said.push_back(Say(Msg::kFixCopiedNew, Path(to)));
      moved = to;
      return;
    }
    const std::string backup = BackupName(to);
    const system::Written written = system::ReplaceWith(to, bytes, backup);
    if (written.wrote != system::Wrote::kDone) return Fail(NotChanged(written, to));
    said.push_back(Say(Msg::kFixCopied, Path(to), Path(NameOf(backup))));
    moved = to;
  }

  void Fail(Phrase why) {
    said.push_back(std::move(why));
    failed = true;
  }

  std::string path;        // the settings file shown, where it lies now
  std::string bytes;       // its bytes now
  std::vector<Phrase> said;
  std::string moved;       // where the settings went, where they moved
  bool failed = false;
};

void Collect(const Verdict& verdict, std::vector<Edit>& fixes) {
  for (const Finding& finding : verdict.findings) fixes.insert(fixes.end(), finding.fix.begin(), finding.fix.end());
}

}  // namespace

std::optional<std::string> Edited(std::string_view bytes, const std::vector<Edit>& edits) {
  const profile::Profile profile(bytes);
  const profile::Profile::Encoding encoding = profile.Encoded();
  const std::size_t size = profile.Text().size();
  // From the last to the first, so that each place is still where it was; at one
  // place, what is replaced before what is put in, and what is put in in order.
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < edits.size(); ++i) {
    if (edits[i].kind != Edit::Kind::kText) continue;
    if (edits[i].at > size || edits[i].length > size - edits[i].at) return std::nullopt;
    order.push_back(i);
  }
  std::ranges::sort(order, [&](std::size_t a, std::size_t b) {
    if (edits[a].at != edits[b].at) return edits[a].at > edits[b].at;
    if (edits[a].length != edits[b].length) return edits[a].length > edits[b].length;
    return a > b;
  });
  std::string result(bytes);
  std::size_t limit = size;  // where the edit after this one begins
  for (const std::size_t i : order) {
    const Edit& edit = edits[i];
    if (edit.at + edit.length > limit) return std::nullopt;
    limit = edit.at;
    std::string encoded;
    for (const char c : edit.text) {
      if (encoding.unit == 1) {
        encoded += c;
      } else if (encoding.bigEndian) {
        encoded += {'\0', c};
      } else {
        encoded += {c, '\0'};
      }
    }
    result.replace(encoding.mark + edit.at * encoding.unit, edit.length * encoding.unit, encoded);
  }
  return result;
}

std::size_t Fixable(const Verdict& verdict) {
  const auto fixable = std::ranges::count_if(verdict.findings, [](const Finding& finding) { return !finding.fix.empty(); });
  return std::accumulate(verdict.parts.begin(), verdict.parts.end(), static_cast<std::size_t>(fixable),
                         [](std::size_t count, const Verdict& part) { return count + Fixable(part); });
}

std::string BackupName(const std::string& path) {
  std::string name = path + ".bak";
  for (int n = 2; system::KindOf(name) != system::Kind::kNothing; ++n) name = path + ".bak" + std::to_string(n);
  return name;
}

Fixed Fix(const Survey& survey, const Verdict& verdict) {
  Fixed fixed;
  if (!verdict.parts.empty()) {
    // Found from the running games: each part's own file, checked again where it lies.
    for (std::size_t i = 0; i < verdict.parts.size() && i < survey.fromGames.size(); ++i) {
      Fixed part = Fix(survey.fromGames[i], verdict.parts[i]);
      fixed.said.insert(fixed.said.end(), part.said.begin(), part.said.end());
    }
    return fixed;
  }
  std::vector<Edit> fixes;
  Collect(verdict, fixes);
  if (fixes.empty()) return fixed;
  return Fixer(survey).Run(fixes);
}

}  // namespace lumavale::check
