#include "checker/line_warnings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "checker/system.h"
#include "checker/utf.h"
#include "settings/number_text.h"

namespace lumavale::check {
namespace {

using profile::Line;

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  std::ranges::transform(lowered, lowered.begin(), profile::Lower);
  return lowered;
}

using profile::SameName;
using profile::Trim;

bool IsKnownSection(std::string_view name) {
  return std::ranges::any_of(kSettingKeys,
                             [&](const SettingKey& setting) { return SameName(name, setting.section); });
}

// The first setting that `matches`, or null.
template <typename Match>
const SettingKey* FindSetting(Match matches) {
  const auto* found = std::ranges::find_if(kSettingKeys, matches);
  return found == std::end(kSettingKeys) ? nullptr : found;
}

const SettingKey* SettingIn(std::string_view section, std::string_view key) {
  return FindSetting([&](const SettingKey& setting) {
    return SameName(section, setting.section) && SameName(key, setting.key);
  });
}

const SettingKey* SettingAnywhere(std::string_view key) {
  return FindSetting([&](const SettingKey& setting) { return SameName(key, setting.key); });
}

// A name is a likely slip for a known one when few letters differ, or when it is a
// good part of the known one ("RemoveSky" for "RemoveSkyTextures").
bool LikelyMeant(std::string_view written, std::string_view known) {
  const std::uint32_t distance = NameDistance(std::string(written), std::string(known));
  const std::size_t longer = std::max(written.size(), known.size());
  if (distance <= std::max<std::size_t>(1, longer / 3)) return true;
  return written.size() >= 3 && Lowered(known).find(Lowered(written)) != std::string::npos;
}

// The setting whose key (or section) a player most likely meant by `written`, and
// whether that name is the only likely one (sections repeat across their keys).
struct Likely {
  const SettingKey* setting = nullptr;
  bool only = true;
};

Likely Meant(std::string_view written, const char* SettingKey::*name) {
  Likely likely;
  std::uint32_t bestDistance = 0;
  for (const SettingKey& setting : kSettingKeys) {
    if (!LikelyMeant(written, setting.*name)) continue;
    const std::uint32_t distance = NameDistance(std::string(written), setting.*name);
    if (likely.setting != nullptr && !SameName(likely.setting->*name, setting.*name)) likely.only = false;
    if (likely.setting == nullptr || distance < bestDistance) {
      likely.setting = &setting;
      bestDistance = distance;
    }
  }
  return likely;
}

// "Enabled, AmountInFrontend, AmountInGameplay": the keys of one section.
std::string KeysOf(std::string_view section) {
  std::string list;
  for (const SettingKey& setting : kSettingKeys) {
    if (SameName(section, setting.section)) list += (list.empty() ? "" : ", ") + std::string(setting.key);
  }
  return list;
}

// `digits` (no leading or trailing zeros) with the first digit worth 10^power, as a
// player writes numbers: "0.8", "1250", "1.5e-07" for the very small or large.
std::string DecimalText(bool negative, const std::string& digits, int power) {
  std::string text = negative ? "-" : "";
  if (power < -5 || power >= 9) {
    text += digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    return text + "e" + std::to_string(power);
  }
  if (power < 0) return text + "0." + std::string(static_cast<std::size_t>(-power) - 1, '0') + digits;
  const auto whole = static_cast<std::size_t>(power) + 1;
  if (digits.size() <= whole) return text + digits + std::string(whole - digits.size(), '0');
  return text + digits.substr(0, whole) + "." + digits.substr(whole);
}

bool IsSwitch(const SettingKey& setting) { return setting.onOff != nullptr; }

Arg OnOff(bool on) { return Nested(Say(on ? Msg::kOn : Msg::kOff)); }

// What a missing key gives, as a player would write it.
std::string DefaultText(const SettingKey& setting) {
  return IsSwitch(setting) ? std::to_string(setting.defaultNumber)
                           : AmountText(ParseAmount(setting.defaultText));
}

// A word whose meaning as a switch is plain: 1 or 0, or none.
const char* PlainSwitchWord(std::string_view word) {
  static const char* const kOn[] = {"true", "on", "yes", "enabled"};
  static const char* const kOff[] = {"false", "off", "no", "disabled"};
  if (std::ranges::any_of(kOn, [&](const char* known) { return SameName(word, known); })) return "1";
  if (std::ranges::any_of(kOff, [&](const char* known) { return SameName(word, known); })) return "0";
  return nullptr;
}

bool MeansOn(std::string_view word) {
  static const char* const kOnWords[] = {"true", "on", "yes", "y", "enabled", "enable"};
  return std::ranges::any_of(kOnWords, [&](const char* known) { return SameName(word, known); });
}

std::size_t IndexOf(const SettingKey& setting) {
  return static_cast<std::size_t>(&setting - std::begin(kSettingKeys));
}

class Checker {
 public:
  Checker(const profile::Profile& read, std::uint32_t shown) : profile(read), shownLines(shown) {
    for (const SettingKey& setting : kSettingKeys) countedLines[IndexOf(setting)] = CountedLine(read, setting);
    profile::LineCursor cursor(read);
    for (Line line; cursor.Next(line);) {
      if (line.kind == Line::Kind::kSection && IsKnownSection(line.section) && Header(line.section) == nullptr) {
        headers.push_back(line);
      }
    }
  }

  LineWarnings Run() {
    profile::LineCursor cursor(profile);
    // Where the section being read first begins: a later copy of it is never read.
    std::uint32_t firstHeader = 0;
    bool inFirstCopy = true;
    for (Line line; cursor.Next(line);) {
      switch (line.kind) {
        case Line::Kind::kSection: {
          if (!IsKnownSection(line.section)) {
            UnknownSection(line);
            break;
          }
          const Line* first = Header(line.section);
          firstHeader = first != nullptr ? first->number : line.number;
          inFirstCopy = firstHeader == line.number;
          break;
        }
        case Line::Kind::kKey:
          KeyLine(line, inFirstCopy, firstHeader);
          break;
        case Line::Kind::kOther:
          Add(line, Problem::kUnreadableLine, Say(Msg::kUnreadableLine), Say(Msg::kUnreadableLineAdvice));
          break;
        case Line::Kind::kBlank:
        case Line::Kind::kComment:
          break;
      }
    }
    return std::move(found);
  }

 private:
  // Keeps the warnings of the first lines with any, and counts every such line.
  void Add(const Line& line, Problem problem, Phrase message, Phrase advice, std::vector<Edit> fix = {}) {
    if (line.number != lastProblemLine) {
      lastProblemLine = line.number;
      ++found.problemLines;
    }
    if (found.problemLines > shownLines) return;
    found.shown.push_back(
        {problem, line.number, Shown(line.text), {}, std::move(message), std::move(advice), std::move(fix)});
  }

  // `part` of the text (a view into it) written as `text` instead.
  std::vector<Edit> Replace(std::string_view part, std::string text) const {
    return {{Edit::Kind::kText, profile.Offset(part), part.size(), std::move(text), {}, {}}};
  }

  // The first header of a known section, where the file has one.
  const Line* Header(std::string_view section) const {
    const auto header = std::ranges::find_if(headers, [&](const Line& line) { return SameName(line.section, section); });
    return header == headers.end() ? nullptr : &*header;
  }

  // The end a line has in the file ("\r\n", "\r", "\n"); empty for the last line of a
  // file that ends without one.
  std::string_view EndOf(const Line& line) const {
    const std::string_view text = profile.Text();
    const std::size_t at = profile.Offset(line.text) + line.text.size();
    return text.substr(at, text.compare(at, 2, "\r\n") == 0 ? 2 : 1);
  }

  // A key line moved under the first [section] of its own, or under a new one at the
  // end. Its text is copied as the reads decode it, so only plain ASCII lines are moved:
  // a UTF-16 file's other characters would be lost.
  std::vector<Edit> Move(const Line& line, const SettingKey& setting) {
    const std::string_view text = profile.Text();
    const bool plain = std::ranges::all_of(line.text, [&](char c) {
      return c >= 0x20 && c < 0x7F && (c != '?' || profile.Encoded().unit == 1);
    });
    const Line* header = Header(setting.section);
    if (!plain || (header == nullptr && sectionAdded)) return {};
    const std::string_view end = EndOf(line);
    const std::string ending = !end.empty() ? std::string(end) : text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    // Out of here with its end; the last line of a file without an end takes the end before it.
    std::size_t from = profile.Offset(line.text);
    std::size_t length = line.text.size() + end.size();
    if (end.empty() && from > 0) {
      const std::size_t before = from >= 2 && text.compare(from - 2, 2, "\r\n") == 0 ? 2 : 1;
      from -= before;
      length += before;
    }
    std::vector<Edit> edits{{Edit::Kind::kText, from, length, "", {}, {}}};
    const std::string moved(line.text);
    if (header != nullptr) {
      const std::string_view headerEnd = EndOf(*header);
      const std::size_t at = profile.Offset(header->text) + header->text.size() + headerEnd.size();
      edits.push_back({Edit::Kind::kText, at, 0, headerEnd.empty() ? ending + moved : moved + ending, {}, {}});
    } else {
      const bool ended = !text.empty() && (text.back() == '\n' || text.back() == '\r');
      std::string added = (ended ? "" : ending) + "[" + setting.section + "]" + ending + moved + (ended ? ending : "");
      edits.push_back({Edit::Kind::kText, text.size(), 0, std::move(added), {}, {}});
      sectionAdded = true;
    }
    return edits;
  }

  const std::optional<Line>& Counted(const SettingKey& setting) const { return countedLines[IndexOf(setting)]; }

  // Once the report holds its share of lines, a warning is only counted: the likely
  // names are the dear part of it and are not looked for.
  bool Full() const { return found.problemLines >= shownLines; }

  void UnknownSection(const Line& line) {
    if (Full()) return Add(line, Problem::kUnknownSection, {}, {});
    const auto [meant, only] = Meant(line.section, &SettingKey::section);
    // Renamed only where it can mean one section, which the file does not have yet.
    const bool certain = meant != nullptr && only && Header(meant->section) == nullptr;
    Add(line, Problem::kUnknownSection, Say(Msg::kUnknownSection, Text(ShownText(line.section))),
        meant != nullptr ? Say(Msg::kDidYouMeanSection, Text(meant->section)) : Say(Msg::kKnownSections),
        certain ? Replace(line.section, meant->section) : std::vector<Edit>{});
  }

  void KeyLine(const Line& line, bool inFirstCopy, std::uint32_t firstHeader) {
    if (line.section.empty()) {
      const SettingKey* known = SettingAnywhere(line.key);
      Add(line, Problem::kKeyOutsideSection, Say(Msg::kKeyOutsideSection, Quoted(line.key)),
          known != nullptr ? Say(Msg::kMoveUnder, Text(known->section)) : Say(Msg::kKnownSections));
      return;
    }
    // Under a section the plug-in does not know: that section's warning says it all.
    if (!IsKnownSection(line.section)) return;

    const SettingKey* setting = SettingIn(line.section, line.key);
    if (setting == nullptr) {
      UnknownKey(line);
      return;
    }
    const std::string section = ShownText(line.section);
    const std::optional<Line>& counted = Counted(*setting);
    if (counted && counted->number == line.number) {
      if (!line.hasValue) {
        Add(line, Problem::kNoEquals, Say(Msg::kNoEquals, Text(setting->key), Text(DefaultText(*setting))),
            Say(Msg::kNoEqualsAdvice, Text(setting->key), Text(DefaultText(*setting))));
        return;
      }
      if (IsSwitch(*setting)) {
        SwitchValue(line, *setting);
      } else {
        AmountValue(line, *setting);
      }
      return;
    }
    if (!inFirstCopy) {
      Add(line, Problem::kRepeatedSection,
          counted ? Say(Msg::kRepeatedSection, Text(section), Number(firstHeader), Text(setting->key),
                        Number(counted->number))
                  : Say(Msg::kRepeatedSectionDefault, Text(section), Number(firstHeader), Text(setting->key),
                        Text(DefaultText(*setting))),
          Say(Msg::kRepeatedSectionAdvice, Text(section)));
      return;
    }
    Add(line, Problem::kRepeatedKey,
        Say(Msg::kRepeatedKey, Text(setting->key), Number(counted->number), Shown(Trim(counted->text))),
        Say(Msg::kRepeatedKeyAdvice, Text(setting->key)));
  }

  void UnknownKey(const Line& line) {
    const std::string section = ShownText(line.section);
    const SettingKey* elsewhere = SettingAnywhere(line.key);
    if (elsewhere != nullptr) {
      // Moved only where its own section does not have it yet.
      Add(line, Problem::kKeyInOtherSection,
          Say(Msg::kKeyInOtherSection, Text(elsewhere->key), Text(elsewhere->section), Text(section)),
          Say(Msg::kMoveUnder, Text(elsewhere->section)),
          line.hasValue && !Counted(*elsewhere) ? Move(line, *elsewhere) : std::vector<Edit>{});
      return;
    }
    if (Full()) return Add(line, Problem::kUnknownKey, {}, {});
    if (!line.hasValue && NoEqualsBetween(line)) return;
    const auto [meant, only] = Meant(line.key, &SettingKey::key);
    if (meant == nullptr) {
      Add(line, Problem::kUnknownKey, Say(Msg::kUnknownKey, Quoted(line.key), Text(section)),
          Say(Msg::kKnownKeys, Text(KeysOf("Lumavale")), Text(KeysOf("Other"))));
      return;
    }
    Phrase message = Counted(*meant) ? Say(Msg::kUnknownKey, Quoted(line.key), Text(section))
                                     : Say(Msg::kUnknownKeyDefault, Quoted(line.key), Text(section),
                                           Text(meant->key), Text(DefaultText(*meant)));
    const Arg value = line.hasValue ? Shown(line.value) : Text(DefaultText(*meant));
    // Renamed only where it can mean one key, of this section, set nowhere else.
    const bool here = SameName(line.section, meant->section);
    const bool certain = here && line.hasValue && only && !Counted(*meant);
    Add(line, Problem::kUnknownKey, std::move(message),
        here ? Say(Msg::kDidYouMeanKey, Text(meant->key), value)
             : Say(Msg::kDidYouMeanKeyUnder, Text(meant->key), value, Text(meant->section)),
        certain ? Replace(line.key, meant->key) : std::vector<Edit>{});
  }

  // "Fog 1" or "Fog: 1": a key of this section and its value, with no '=' between.
  bool NoEqualsBetween(const Line& line) {
    const auto valueAt = [&](const SettingKey& setting) {
      const std::size_t length = std::string_view(setting.key).size();
      const bool named = SameName(line.section, setting.section) && line.key.size() > length &&
                         SameName(line.key.substr(0, length), setting.key);
      const std::size_t value = named ? line.key.find_first_not_of(" \t:", length) : std::string_view::npos;
      return value == length ? std::string_view::npos : value;
    };
    const auto* setting = std::ranges::find_if(kSettingKeys, [&](const SettingKey& known) {
      return valueAt(known) != std::string_view::npos;
    });
    if (setting == std::end(kSettingKeys)) return false;
    const std::size_t value = valueAt(*setting);
    const std::size_t length = std::string_view(setting->key).size();
    Add(line, Problem::kNoEquals, Say(Msg::kNoEqualsBetween, Text(setting->key)),
        Say(Msg::kWriteSetting, Text(setting->key), Shown(line.key.substr(value))),
        Counted(*setting) ? std::vector<Edit>{} : Replace(line.key.substr(length, value - length), "="));
    return true;
  }

  void SwitchValue(const Line& line, const SettingKey& setting) {
    const Arg key = Text(setting.key);
    const std::string_view value = line.value;
    const auto read = static_cast<std::int32_t>(profile::IntOf(value, setting.defaultNumber));
    const bool on = read == 1;
    Phrase both = Say(Msg::kSwitchAdvice, key);
    if (Trim(value).empty()) {
      Add(line, Problem::kNoNumber, Say(Msg::kSwitchEmpty, key, OnOff(on)), std::move(both));
      return;
    }
    const profile::Integer integer = profile::ReadInteger(value);
    if (!integer.digits) {
      const char* plain = PlainSwitchWord(Trim(value));
      Add(line, Problem::kNotASwitchValue, Say(Msg::kSwitchWord, key, Quoted(value), OnOff(on)),
          MeansOn(Trim(value)) ? Say(Msg::kSwitchTurnOn, key) : std::move(both),
          plain != nullptr ? Replace(Trim(value), plain) : std::vector<Edit>{});
      return;
    }
    if (read != 0 && read != 1) {
      Add(line, Problem::kNotASwitchValue, Say(Msg::kSwitchNumber, key, Quoted(value), OnOff(on)), std::move(both));
      return;
    }
    const std::string_view rest = Trim(value.substr(integer.end));
    if (!rest.empty()) {
      Add(line, Problem::kIgnoredText,
          Say(Msg::kSwitchTextAfter, Quoted(rest), key, Text(std::to_string(read)), OnOff(on)),
          Say(Msg::kAloneOnTheLine, key, Text(std::to_string(read))));
    }
  }

  void AmountValue(const Line& line, const SettingKey& setting) {
    const Arg key = Text(setting.key);
    // Exactly the text the plug-in's read gets, cut to its buffer.
    const std::string text =
        profile.String(setting.section, setting.key, setting.defaultText, kSettingsTextSize);
    const float amount = ParseAmount(text.c_str());
    Phrase example = Say(Msg::kAmountAdvice, key, Text(DefaultText(setting)));
    if (Trim(text).empty()) {
      Add(line, Problem::kNoNumber, Say(Msg::kAmountEmpty, key, Text(DefaultText(setting))),
          Say(Msg::kAmountEmptyAdvice, key, Text(DefaultText(setting))));
      return;
    }
    const char* start = text.c_str();
    const char* end = NumberTextEnd(start);
    if (end == start) {
      Add(line, Problem::kNoNumber, Say(Msg::kAmountNoNumber, key, Quoted(line.value)), std::move(example));
      return;
    }
    const auto numberLength = static_cast<std::size_t>(end - start);
    const std::string_view number = Trim(std::string_view(text).substr(0, numberLength));
    const std::string_view rest = std::string_view(text).substr(numberLength);
    if (rest.size() >= 2 && rest[0] == ',' && rest[1] >= '0' && rest[1] <= '9') {
      std::string fixed(Trim(text));
      fixed[fixed.find(',')] = '.';
      Add(line, Problem::kDecimalComma, Say(Msg::kDecimalComma, key, Quoted(line.value), AmountArg(amount)),
          Say(Msg::kWriteSetting, key, Shown(fixed)), Replace(line.value.substr(numberLength, 1), "."));
    } else if (!Trim(rest).empty()) {
      Add(line, Problem::kIgnoredText, Say(Msg::kAmountTextAfter, Quoted(Trim(rest)), AmountArg(amount)),
          Say(Msg::kAloneOnTheLine, key, Shown(number)));
    }
    // A value longer than the read's buffer reaches the plug-in cut short.
    Arg read = Quoted(number);
    if (line.value.size() >= kSettingsTextSize) {
      read = Nested(Say(Msg::kValueCut, std::move(read), Number(kSettingsTextSize - 1), Number(line.value.size())));
    }
    if (std::isnan(amount)) {
      Add(line, Problem::kOddAmount, Say(Msg::kAmountNotANumber, key, std::move(read)), std::move(example));
    } else if (std::isinf(amount)) {
      Add(line, Problem::kOddAmount, Say(Msg::kAmountTooLarge, key, std::move(read), AmountArg(amount)),
          std::move(example));
    } else if (amount < 0) {
      Add(line, Problem::kOddAmount, Say(Msg::kAmountNegative, key, AmountArg(amount)), std::move(example));
    }
  }

  const profile::Profile& profile;
  const std::uint32_t shownLines;
  std::optional<Line> countedLines[kSettingKeyCount];
  std::uint32_t lastProblemLine = 0;
  LineWarnings found;
  std::vector<Line> headers;  // the first header of each known section in the file
  bool sectionAdded = false;  // a fix adds one new section at a time
};

}  // namespace

LineWarnings CheckLines(const profile::Profile& profile, std::uint32_t shownLines) {
  return Checker(profile, shownLines).Run();
}

std::optional<profile::Line> CountedLine(const profile::Profile& profile, const SettingKey& setting) {
  return profile.FindLine(setting.section, setting.key);
}

Arg Shown(std::string_view raw, std::size_t longest) {
  // Text that is not UTF-8 is most likely in the ANSI code page, which is how the
  // profile reads take a file's bytes.
  bool utf8 = true;
  for (std::size_t i = 0, length = 0; utf8 && i < raw.size(); i += length) {
    length = utf::CharLength(raw.substr(i));
    utf8 = length != 0;
  }
  const std::string decoded = utf8 ? std::string() : system::FromAnsi(raw);
  const std::string_view text = utf8 ? raw : std::string_view(decoded);
  std::string shown;
  std::size_t characters = 0;
  std::size_t at = 0;
  for (; at < text.size() && characters < longest; ++characters) {
    const auto lead = static_cast<unsigned char>(text[at]);
    // A UTF-8 character but a control one (C0, DEL or C1) is shown whole; anything else byte by byte.
    std::size_t length = lead >= 0x20 && lead != 0x7F ? utf::CharLength(text.substr(at)) : 0;
    unsigned escaped = lead;
    if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
      escaped = static_cast<unsigned char>(text[at + 1]);
      length = 0;
      ++at;
    }
    if (length != 0) {
      shown.append(text.substr(at, length));
      at += length;
    } else {
      shown += "\\x";
      shown += "0123456789ABCDEF"[escaped >> 4];
      shown += "0123456789ABCDEF"[escaped & 0xF];
      ++at;
    }
  }
  if (at < text.size()) {
    std::size_t total = characters;
    for (std::size_t i = at; i < text.size(); ++i) {
      if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++total;
    }
    return Nested(Say(Msg::kCutText, Text(shown + "..."), Number(total)));
  }
  return Text(shown);
}

Arg Quoted(std::string_view text) {
  Arg shown = Shown(text);
  if (shown.type == Arg::Type::kText) return Text("\"" + shown.text + "\"");
  return Nested(Say(Msg::kQuoted, std::move(shown)));
}

std::string ShownText(std::string_view raw) { return Shown(raw, std::string_view::npos).text; }

Arg AmountArg(float amount) {
  if (std::isnan(amount)) return Nested(Say(Msg::kNotANumber));
  if (std::isinf(amount)) return Nested(Say(amount < 0 ? Msg::kMinusInfinity : Msg::kInfinity));
  return Text(AmountText(amount));
}

std::string AmountText(float amount) {
  if (std::isnan(amount)) return "not a number";
  if (std::isinf(amount)) return amount < 0 ? "-infinity" : "infinity";
  if (amount == 0) return std::signbit(amount) ? "-0" : "0";
  const bool negative = amount < 0;
  // The magnitude as d.ddd... times 10^exponent. Double arithmetic gives candidate
  // digits only; each candidate is kept only if the plug-in's own reader gives back
  // exactly this amount, so an error in the last place costs a digit at most.
  double scaled = std::fabs(static_cast<double>(amount));
  int exponent = 0;
  while (scaled >= 10) {
    scaled /= 10;
    ++exponent;
  }
  while (scaled < 1) {
    scaled *= 10;
    --exponent;
  }
  std::string text;
  // Nine significant digits tell any two floats apart.
  for (int count = 1; count <= 9; ++count) {
    double leading = scaled;
    for (int i = 1; i < count; ++i) leading *= 10;
    const auto nearest = static_cast<std::uint64_t>(std::llround(leading));
    for (const std::uint64_t candidate : {nearest, nearest - 1, nearest + 1}) {
      if (candidate == 0) continue;
      std::string digits = std::to_string(candidate);
      // Rounding 9.99 up gives one digit more, and one power of ten more.
      const int power = exponent + static_cast<int>(digits.size()) - count;
      while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
      text = DecimalText(negative, digits, power);
      if (ParseAmount(text.c_str()) == amount) return text;
    }
  }
  return text;
}

std::uint32_t NameDistance(const std::string& a, const std::string& b) {
  const std::string x = Lowered(a);
  const std::string y = Lowered(b);
  // Rows of the table of distances between prefixes; three are enough for swaps.
  std::vector<std::uint32_t> before(y.size() + 1);
  std::vector<std::uint32_t> previous(y.size() + 1);
  std::vector<std::uint32_t> current(y.size() + 1);
  for (std::size_t j = 0; j <= y.size(); ++j) previous[j] = static_cast<std::uint32_t>(j);
  for (std::size_t i = 1; i <= x.size(); ++i) {
    current[0] = static_cast<std::uint32_t>(i);
    for (std::size_t j = 1; j <= y.size(); ++j) {
      const std::uint32_t change = x[i - 1] == y[j - 1] ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + change});
      if (i > 1 && j > 1 && x[i - 1] == y[j - 2] && x[i - 2] == y[j - 1]) {
        current[j] = std::min(current[j], before[j - 2] + 1);
      }
    }
    before = previous;
    previous = current;
  }
  return previous[y.size()];
}

}  // namespace lumavale::check
