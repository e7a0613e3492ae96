#include "checker/report.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "checker/fix.h"
#include "checker/line_warnings.h"
#include "checker/survey.h"
#include "checker/system.h"
#include "checker/utf.h"

namespace lumavale::check {
namespace {

constexpr std::size_t kWidth = 79;         // an old console's 80 columns, less the last one
constexpr std::size_t kTableColumn = 40;   // where a table's second column starts

// A character's code at the start of `text`, and its length; a byte that starts no
// character is taken alone.
utf::Character Next(std::string_view text) {
  const utf::Character character = utf::Decode(text);
  return character.length == 0 ? utf::Character{0xFFFD, 1} : character;
}

// Characters a console shows two columns wide: East Asian scripts, full-width forms,
// and pictures.
bool Wide(std::uint32_t code) {
  static constexpr std::pair<std::uint32_t, std::uint32_t> kRanges[] = {
      {0x1100, 0x115F},  {0x2E80, 0x303E},  {0x3041, 0x33FF},  {0x3400, 0x4DBF},  {0x4E00, 0x9FFF},
      {0xA000, 0xA4CF},  {0xAC00, 0xD7A3},  {0xF900, 0xFAFF},  {0xFE30, 0xFE4F},  {0xFF00, 0xFF60},
      {0xFFE0, 0xFFE6},  {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};
  return std::ranges::any_of(kRanges, [&](const auto& range) { return code >= range.first && code <= range.second; });
}

// Marks that close or open a phrase: a line never starts with the first kind, nor
// ends with the second.
bool Closing(std::uint32_t code) {
  return std::u32string_view(U"，。、：；！？）」』】》〉…").find(static_cast<char32_t>(code)) != std::u32string_view::npos;
}
bool Opening(std::uint32_t code) {
  return std::u32string_view(U"（「『【《〈").find(static_cast<char32_t>(code)) != std::u32string_view::npos;
}

// How wide text is on a console, in columns.
std::size_t Columns(std::string_view text) {
  std::size_t columns = 0;
  while (!text.empty()) {
    const auto [code, length] = Next(text);
    if (code != static_cast<unsigned char>(kPathStart) && code != static_cast<unsigned char>(kPathEnd)) {
      columns += Wide(code) ? 2U : 1U;
    }
    text.remove_prefix(length);
  }
  return columns;
}

// Said text without the marks around paths.
std::string Plain(std::string text) {
  std::erase(text, kPathStart);
  std::erase(text, kPathEnd);
  return text;
}

// The pieces a line may break between: words, each path whole, and each East Asian
// character (but not before a closing mark, nor after an opening one).
struct Piece {
  std::string text;
  bool spaceBefore = false;
};

std::vector<Piece> Pieces(std::string_view text) {
  std::vector<Piece> pieces(1);
  bool space = false;
  bool inPath = false;
  std::uint32_t previous = 0;
  while (!text.empty()) {
    const auto [code, length] = Next(text);
    const std::string_view character = text.substr(0, length);
    text.remove_prefix(length);
    if (code == static_cast<unsigned char>(kPathStart) || code == static_cast<unsigned char>(kPathEnd)) {
      inPath = code == static_cast<unsigned char>(kPathStart);
      continue;
    }
    if (code == ' ' && !inPath) {
      space = true;
      continue;
    }
    const bool breaks = space || (!inPath && (Wide(code) || Wide(previous)) && !Closing(code) && !Opening(previous));
    if (breaks && !pieces.back().text.empty()) pieces.push_back({});
    if (pieces.back().text.empty()) pieces.back().spaceBefore = space;
    pieces.back().text += character;
    space = false;
    previous = code;
  }
  if (pieces.back().text.empty()) pieces.pop_back();
  return pieces;
}

class Layout {
 public:
  explicit Layout(const Words& chosen) : words(chosen) {}

  // `text` wrapped at the pieces' boundaries, every line starting with `indent`; a
  // piece longer than a line (a long path) stands whole on a line of its own.
  void Wrapped(const std::string& indent, const std::string& text) {
    std::string line = indent;
    std::size_t columns = Columns(indent);
    bool empty = true;
    for (const Piece& piece : Pieces(text)) {
      const std::size_t width = Columns(piece.text);
      const std::size_t gap = piece.spaceBefore ? 1 : 0;
      if (!empty && columns + gap + width > kWidth) {
        out += line + "\n";
        line = indent;
        columns = Columns(indent);
        empty = true;
      }
      if (!empty && piece.spaceBefore) {
        line += ' ';
        ++columns;
      }
      line += piece.text;
      columns += width;
      empty = false;
    }
    if (!empty) out += line + "\n";
  }

  void Said(const check::Said& said) {
    switch (said.style) {
      case check::Said::Style::kLine: return Wrapped("", words.Say(said.phrase));
      case check::Said::Style::kParagraph:
        Wrapped("", words.Say(said.phrase));
        out += "\n";
        return;
      case check::Said::Style::kNote: return Wrapped("  ", words.Say(said.phrase));
      case check::Said::Style::kDetail: return Wrapped("    ", words.Say(said.phrase));
      case check::Said::Style::kEffect: return Wrapped("      ", "-> " + words.Say(said.phrase));
      case check::Said::Style::kHeading:
        out += "\n";
        return Wrapped("", words.Say(said.phrase));
      case check::Said::Style::kTable: {
        std::string line = "  " + words.Say(said.phrase);
        if (!said.column.Empty()) {
          line += std::string(kTableColumn - std::min(kTableColumn - 1, Columns(line)), ' ');
          line += words.Say(said.column);
        }
        out += line + "\n";
        return;
      }
    }
  }

  // What the plug-in makes of the file, the findings, and what is said last.
  void Body(const Verdict& verdict, Report& report) {
    for (const check::Said& said : verdict.said) Said(said);
    if (verdict.stopped) {
      // Said already, in the lines above.
      for (const Finding& finding : verdict.findings) {
        report.warnings.push_back({finding.line, finding.problem, Plain(words.Say(finding.message)), {}, false});
      }
      return;
    }
    const std::size_t shown = verdict.findings.size();
    if (shown == 0) {
      out += "\n";
      Wrapped("", words.Say(verdict.clean));
    } else {
      out += "\n";
      Wrapped("", words.Say(verdict.hiddenLines != 0 ? Say(Msg::kWarningsFirstLines, Number(shown),
                                                           Number(kShownProblemLines))
                                                     : Say(Msg::kWarnings, Number(shown))));
    }
    for (const Finding& finding : verdict.findings) {
      out += "\n";
      if (finding.line != 0) {
        out += "  " + words.Say(Say(Msg::kFindingLine, Number(finding.line), finding.lineText)) + "\n";
      } else if (AboutTheGame(finding.problem)) {
        const bool place = finding.place.type != Arg::Type::kText || !finding.place.text.empty();
        Wrapped("  ", words.Say(place ? Say(Msg::kAboutGameAt, finding.place) : Say(Msg::kAboutGame)));
      } else {
        Wrapped("  ", words.Say(Say(AboutThePlugIn(finding.problem) ? Msg::kAboutPlugIn : Msg::kAboutFile)));
      }
      const std::string message = words.Say(finding.message);
      const std::string advice = words.Say(finding.advice);
      Wrapped("    ", message);
      if (!advice.empty()) Wrapped("    ", words.Say(Say(Msg::kWhatToDo, Text(advice))));
      if (!finding.fix.empty()) Wrapped("    ", words.Say(Say(Msg::kFixable)));
      report.warnings.push_back({finding.line, finding.problem, Plain(message), Plain(advice), !finding.fix.empty()});
    }
    if (verdict.hiddenLines != 0) {
      out += "\n";
      Wrapped("  ", words.Say(Say(Msg::kMoreLines, Number(verdict.hiddenLines))));
    }
    if (verdict.stillStarts) {
      out += "\n";
      Wrapped("", words.Say(Say(Msg::kStillStarts)));
    }
    for (const check::Said& said : verdict.after) {
      out += "\n";
      Said(said);
    }
  }

  // One phrase, laid out at the margin.
  static std::string Said(const Words& words, const Phrase& phrase) {
    Layout layout(words);
    layout.Wrapped("", words.Say(phrase));
    return layout.out;
  }

  std::string out;

 private:
  const Words& words;
};

}  // namespace

Report Lay(const Verdict& verdict, const Words& words) {
  Report report;
  Layout layout(words);
  layout.out = words.Say(Say(Msg::kTitle)) + "\n\n";
  if (!verdict.headline.Empty()) {
    layout.Wrapped("", words.Say(verdict.headline));
    layout.out += "\n";
  }
  if (verdict.parts.empty()) {
    layout.Body(verdict, report);
  }
  for (std::size_t i = 0; i < verdict.parts.size(); ++i) {
    if (i != 0 && !verdict.parts[i].headline.Empty()) {
      layout.out += "\n";
      layout.Wrapped("", words.Say(verdict.parts[i].headline));
      layout.out += "\n";
    }
    layout.Body(verdict.parts[i], report);
  }
  // The marks around paths, where no line was wrapped (a table, a line of the file).
  report.text = Plain(std::move(layout.out));
  report.status = verdict.status;
  return report;
}

Report CheckSettings(const char* given, const Words& words) { return Lay(Judge(Look(given)), words); }

namespace {

// Whether the player typed F: the key that types a Latin F types a Cyrillic A on a
// Russian keyboard, and a Chinese input method may give a full-width F.
bool AsksToFix(const std::string& typed) {
  std::string answer = typed;
  std::erase(answer, ' ');
  return answer == "F" || answer == "f" || answer == "\xD0\x90" || answer == "\xD0\xB0" || answer == "\xEF\xBC\xA6" ||
         answer == "\xEF\xBD\x86";
}

// The usage, and the languages where the code given is none of them.
std::string Usage(const Words& words, const std::string& language) {
  const std::vector<std::string> codes = LanguageCodes();
  std::string text = words.Say(Say(Msg::kUsage)) + "\n";
  if (!language.empty() && std::ranges::find(codes, language) == codes.end()) {
    std::vector<Phrase> names(codes.size());
    std::ranges::transform(codes, names.begin(), [](const std::string& code) { return Say(Msg::kName, Text(code)); });
    text += words.Say(Say(Msg::kUnknownLanguage, Text(language), List(names))) + "\n";
  }
  return text;
}

}  // namespace

int RunChecker(const std::vector<std::string>& arguments) {
  std::string language;
  std::vector<std::string> files;
  bool usage = false;
  bool fix = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--language" && i + 1 < arguments.size()) {
      language = arguments[++i];
    } else if (argument.starts_with("--language=")) {
      language = argument.substr(11);
    } else if (argument == "--fix") {
      fix = true;
    } else if (argument.starts_with("--") || argument == "/?") {
      usage = true;
    } else {
      files.push_back(argument);
    }
  }
  const std::vector<std::string> codes = LanguageCodes();
  const bool known = std::ranges::find(codes, language) != codes.end();
  const Words words(known ? language : LanguageOfWindows(system::UserLanguage()));
  const bool window = system::OwnsConsole();
  const auto close = [&] {
    // Started by a double-click: the window would close before anyone could read it.
    if (!window) return;
    system::WriteOut("\n" + words.Say(Say(Msg::kPressEnter)) + "\n");
    system::WaitForEnter();
  };
  if (usage || (!language.empty() && !known)) {
    system::WriteOut(Usage(words, language));
    close();
    return kStatusUnreadable;
  }
  const char* given = files.empty() ? nullptr : files.front().c_str();
  const Survey survey = Look(given);
  const Verdict verdict = Judge(survey);
  Report report = Lay(verdict, words);
  if (files.size() > 1) report.text += "\n" + words.Say(Say(Msg::kOnlyFirstFile)) + "\n";
  const std::size_t fixable = Fixable(verdict);
  if (!fix) {
    system::WriteOut(report.text);
    if (!window || fixable == 0) {
      close();
      return report.status;
    }
    // Started by a double-click, with something to fix: the player is asked.
    const std::string backup = survey.file.path.empty() ? std::string() : BackupName(survey.file.path);
    system::WriteOut("\n");
    system::WriteOut(Layout::Said(words, Say(Msg::kFixPrompt, Number(fixable),
                                               Path(backup.substr(FolderOf(backup).size())))));
    if (!AsksToFix(system::ReadLine())) return report.status;
  }
  // Fixed, then checked again: the status is the new report's.
  const Fixed fixed = Fix(survey, verdict);
  std::string done;
  for (const Phrase& said : fixed.said) done += Layout::Said(words, said);
  if (fixable == 0) done = Layout::Said(words, Say(Msg::kNothingToFix));
  system::WriteOut((fix ? "" : "\n") + done + "\n");
  // A file given is checked again where its settings now lie: renamed, or copied to
  // where the plug-in reads them.
  const char* again = given == nullptr || fixed.path.empty() ? given : fixed.path.c_str();
  const Report after = Lay(Judge(Look(again)), words);
  system::WriteOut(after.text);
  close();
  return after.status;
}

}  // namespace lumavale::check
