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

// The setting whose key (or section) a player most likely meant by `written`.
const SettingKey* Meant(std::string_view written, const char* SettingKey::*name) {
  const SettingKey* best = nullptr;
  std::uint32_t bestDistance = 0;
  for (const SettingKey& setting : kSettingKeys) {
    const std::uint32_t distance = NameDistance(std::string(written), setting.*name);
    if (LikelyMeant(written, setting.*name) && (best == nullptr || distance < bestDistance)) {
      best = &setting;
      bestDistance = distance;
    }
  }
  return best;
}

std::string KnownKeysList() {
  std::string list;
  std::string section;
  for (const SettingKey& setting : kSettingKeys) {
    if (section != setting.section) {
      if (!section.empty()) list += "; ";
      section = setting.section;
      list += "in [" + section + "]: ";
    } else {
      list += ", ";
    }
    list += setting.key;
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

std::string OnOff(bool on) { return on ? "on" : "off"; }

// What a missing key gives, as a player would write it.
std::string DefaultText(const SettingKey& setting) {
  return IsSwitch(setting) ? std::to_string(setting.defaultNumber)
                           : AmountText(ParseAmount(setting.defaultText));
}

// File text in quotes, as the report shows it.
std::string Quoted(std::string_view text) { return "\"" + Shown(text) + "\""; }

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
  }

  LineWarnings Run() {
    profile::LineCursor cursor(profile);
    // Where each known section first begins: a later copy of it is never read.
    std::vector<std::pair<std::string, std::uint32_t>> firstHeaders;
    std::uint32_t firstHeader = 0;
    bool inFirstCopy = true;
    for (Line line; cursor.Next(line);) {
      switch (line.kind) {
        case Line::Kind::kSection: {
          if (!IsKnownSection(line.section)) {
            UnknownSection(line);
            break;
          }
          const std::string name = Lowered(line.section);
          const auto seen = std::ranges::find(firstHeaders, name, [](const auto& header) { return header.first; });
          inFirstCopy = seen == firstHeaders.end();
          if (inFirstCopy) firstHeaders.emplace_back(name, line.number);
          firstHeader = inFirstCopy ? line.number : seen->second;
          break;
        }
        case Line::Kind::kKey:
          KeyLine(line, inFirstCopy, firstHeader);
          break;
        case Line::Kind::kOther:
          Add(line, Problem::kUnreadableLine,
              "This line is not a setting, a [section] or a note, so the plug-in ignores it.",
              "Settings are written Name=value; notes start with ;");
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
  void Add(const Line& line, Problem problem, std::string message, std::string advice) {
    if (line.number != lastProblemLine) {
      lastProblemLine = line.number;
      ++found.problemLines;
    }
    if (found.problemLines > shownLines) return;
    found.shown.push_back({line.number, problem, std::move(message), std::move(advice), Shown(line.text)});
  }

  const std::optional<Line>& Counted(const SettingKey& setting) const { return countedLines[IndexOf(setting)]; }

  // Once the report holds its share of lines, a warning is only counted: the likely
  // names are the dear part of it and are not looked for.
  bool Full() const { return found.problemLines >= shownLines; }

  void UnknownSection(const Line& line) {
    if (Full()) return Add(line, Problem::kUnknownSection, {}, {});
    std::string message = "The plug-in has no section [" + Shown(line.section) +
                          "], so it ignores every setting under it.";
    const SettingKey* meantSetting = Meant(line.section, &SettingKey::section);
    const char* meant = meantSetting != nullptr ? meantSetting->section : nullptr;
    std::string advice = meant != nullptr
                             ? std::string("Did you mean [") + meant + "]? Write [" + meant + "]"
                             : "The plug-in reads only [Lumavale] and [Other]";
    Add(line, Problem::kUnknownSection, std::move(message), std::move(advice));
  }

  void KeyLine(const Line& line, bool inFirstCopy, std::uint32_t firstHeader) {
    if (line.section.empty()) {
      const SettingKey* known = SettingAnywhere(line.key);
      Add(line, Problem::kKeyOutsideSection,
          Quoted(line.key) + " comes before any [section] line, so the plug-in does not see it.",
          known != nullptr ? std::string("Move it under [") + known->section + "]"
                           : "Settings belong under [Lumavale] or [Other]");
      return;
    }
    // Under a section the plug-in does not know: that section's warning says it all.
    if (!IsKnownSection(line.section)) return;

    const SettingKey* setting = SettingIn(line.section, line.key);
    if (setting == nullptr) {
      UnknownKey(line);
      return;
    }
    const std::string section = Shown(line.section);
    const std::optional<Line>& counted = Counted(*setting);
    if (counted && counted->number == line.number) {
      if (!line.hasValue) {
        Add(line, Problem::kNoEquals,
            std::string(setting->key) + " has no \"=\" after it, so the plug-in takes it as " +
                "missing and uses the default (" + DefaultText(*setting) + ").",
            std::string("Write ") + setting->key + "=" + DefaultText(*setting) +
                ", with the value you want");
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
      std::string message = "This is a second [" + section + "] section. The plug-in reads " +
                            "only the first one (line " + std::to_string(firstHeader) + "), so " +
                            setting->key + " here is ignored";
      message += counted ? "; it uses the " + std::string(setting->key) + " on line " +
                               std::to_string(counted->number) + "."
                         : " and keeps its default (" + DefaultText(*setting) + ").";
      Add(line, Problem::kRepeatedSection, std::move(message),
          "Move this line into the first [" + section + "] section and delete the second [" +
              section + "] line");
      return;
    }
    Add(line, Problem::kRepeatedKey,
        std::string(setting->key) + " is set more than once. The plug-in uses only the first, on " +
            "line " + std::to_string(counted->number) + " (" + Shown(Trim(counted->text)) +
            "), and ignores this one.",
        "Keep one " + std::string(setting->key) + " line, with the value you want, and delete the other");
  }

  void UnknownKey(const Line& line) {
    const std::string section = Shown(line.section);
    const SettingKey* elsewhere = SettingAnywhere(line.key);
    if (elsewhere != nullptr) {
      Add(line, Problem::kKeyInOtherSection,
          std::string(elsewhere->key) + " belongs under [" + elsewhere->section + "], not under [" +
              section + "]: here the plug-in does not see it.",
          std::string("Move this line under [") + elsewhere->section + "]");
      return;
    }
    if (Full()) return Add(line, Problem::kUnknownKey, {}, {});
    std::string message = "The plug-in has no setting called " + Quoted(line.key) + " in [" +
                          section + "] and ignores this line.";
    std::string advice;
    if (const SettingKey* meant = Meant(line.key, &SettingKey::key)) {
      if (!Counted(*meant)) {
        message += std::string(" ") + meant->key + " is not set anywhere else, so it keeps its " +
                   "default (" + DefaultText(*meant) + ").";
      }
      advice = std::string("Did you mean ") + meant->key + "? Write " + meant->key + "=" +
               (line.hasValue ? Shown(line.value) : DefaultText(*meant));
      if (!SameName(line.section, meant->section)) {
        advice += std::string(" under [") + meant->section + "]";
      }
    } else {
      advice = "The settings the plug-in knows are " + KnownKeysList();
    }
    Add(line, Problem::kUnknownKey, std::move(message), std::move(advice));
  }

  void SwitchValue(const Line& line, const SettingKey& setting) {
    const std::string key = setting.key;
    const std::string_view value = line.value;
    const auto read = static_cast<std::int32_t>(profile::IntOf(value, setting.defaultNumber));
    const bool on = read == 1;
    const std::string both = "Write " + key + "=1 for on, or " + key + "=0 for off";
    if (Trim(value).empty()) {
      Add(line, Problem::kNoNumber,
          key + " has no value, so the plug-in uses its default: " + OnOff(on) + ".", both);
      return;
    }
    const profile::Integer integer = profile::ReadInteger(value);
    if (!integer.digits) {
      const bool meantOn = MeansOn(Trim(value));
      Add(line, Problem::kNotASwitchValue,
          key + " is " + Quoted(value) + ", but the plug-in understands only 0 (off) and 1 (on) " +
              "here, and reads a word as " + OnOff(on) + ".",
          meantOn ? "Write " + key + "=1 to turn it on" : both);
      return;
    }
    if (read != 0 && read != 1) {
      Add(line, Problem::kNotASwitchValue,
          key + " is " + Quoted(value) + ", which is neither 0 nor 1. Only 1 turns it on, so " +
              "the plug-in reads it as " + OnOff(on) + ".",
          both);
      return;
    }
    const std::string_view rest = Trim(value.substr(integer.end));
    if (!rest.empty()) {
      Add(line, Problem::kIgnoredText,
          "The text after the number (" + Quoted(rest) + ") is ignored: the plug-in reads " + key +
              "=" + std::to_string(read) + ", so it is " + OnOff(on) + ".",
          "Write " + key + "=" + std::to_string(read) +
              " alone on the line; notes go on a line of their own that starts with ;");
    }
  }

  void AmountValue(const Line& line, const SettingKey& setting) {
    const std::string key = setting.key;
    // Exactly the text the plug-in's read gets, cut to its buffer.
    const std::string text =
        profile.String(setting.section, setting.key, setting.defaultText, kSettingsTextSize);
    const float amount = ParseAmount(text.c_str());
    const std::string example = "Write a number with a point for decimals, such as " + key + "=" +
                                DefaultText(setting) + " (the default)";
    if (Trim(text).empty()) {
      Add(line, Problem::kNoNumber,
          key + " is empty. The plug-in then reads 0, not the default (" + DefaultText(setting) + ").",
          example + ", or delete the line to use the default");
      return;
    }
    const char* start = text.c_str();
    const char* end = NumberTextEnd(start);
    if (end == start) {
      Add(line, Problem::kNoNumber,
          key + " is " + Quoted(line.value) + ", which is not a number, so the plug-in reads 0.",
          example);
      return;
    }
    const auto numberLength = static_cast<std::size_t>(end - start);
    const std::string_view number = Trim(std::string_view(text).substr(0, numberLength));
    const std::string_view rest = std::string_view(text).substr(numberLength);
    if (rest.size() >= 2 && rest[0] == ',' && rest[1] >= '0' && rest[1] <= '9') {
      std::string fixed(Trim(text));
      fixed[fixed.find(',')] = '.';
      Add(line, Problem::kDecimalComma,
          key + " is " + Quoted(line.value) + ": a comma is not a decimal point here. The " +
              "plug-in stops reading at the comma and uses " + AmountText(amount) + ".",
          "Write " + key + "=" + Shown(fixed));
    } else if (!Trim(rest).empty()) {
      Add(line, Problem::kIgnoredText,
          "The text after the number (" + Quoted(Trim(rest)) + ") is ignored: the plug-in " +
              "uses " + AmountText(amount) + ".",
          "Write " + key + "=" + Shown(number) +
              " alone on the line; notes go on a line of their own that starts with ;");
    }
    // A value longer than the read's buffer reaches the plug-in cut short.
    const std::string read =
        Quoted(number) + (line.value.size() < kSettingsTextSize
                              ? std::string()
                              : " (its first " + std::to_string(kSettingsTextSize - 1) + " of " +
                                    std::to_string(line.value.size()) + " characters: the plug-in reads no more)");
    if (std::isnan(amount)) {
      Add(line, Problem::kOddAmount,
          key + " is " + read + ", which the plug-in reads as \"not a number\": the " + "game cannot use that.",
          example);
    } else if (std::isinf(amount)) {
      Add(line, Problem::kOddAmount,
          key + " is " + read + ", which is too large: the plug-in reads it as " + AmountText(amount) + ".",
          example);
    } else if (amount < 0) {
      Add(line, Problem::kOddAmount,
          key + " is negative (" + AmountText(amount) + "). An amount is meant to be 0 or more.",
          example);
    }
  }

  const profile::Profile& profile;
  const std::uint32_t shownLines;
  std::optional<Line> countedLines[kSettingKeyCount];
  std::uint32_t lastProblemLine = 0;
  LineWarnings found;
};

}  // namespace

LineWarnings CheckLines(const profile::Profile& profile, std::uint32_t shownLines) {
  return Checker(profile, shownLines).Run();
}

std::optional<profile::Line> CountedLine(const profile::Profile& profile, const SettingKey& setting) {
  return profile.FindLine(setting.section, setting.key);
}

std::string Shown(std::string_view raw, std::size_t longest) {
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
    shown += "... (" + std::to_string(total) + " characters in all)";
  }
  return shown;
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
