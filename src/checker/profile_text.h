#pragma once
// Profile (INI) text the way the platform's profile reads see it. The plug-in never
// parses its settings file: KERNEL32 does. This reader stands in for KERNEL32 where
// there is none (the fake platform, the emulated loader) and shows the settings
// check what each line means; tests hold it against Wine's own reads.
//
// Hosted code only: the freestanding plug-in does not link it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumavale::profile {

struct Line {
  enum class Kind { kBlank, kComment, kSection, kKey, kOther };
  Kind kind = Kind::kBlank;
  std::uint32_t number = 0;  // 1-based
  std::string section;       // kSection: its name; otherwise the section the line lies in
  std::string key;           // kKey: the name, trimmed
  bool hasValue = false;     // kKey: an '=' follows the name; without it the key reads as absent
  std::string raw;           // kKey: the value as written, trimmed
  std::string value;         // kKey: as a read gives it, one pair of matching quotes removed
  std::string text;          // the line as written, without its line end
};

std::vector<Line> Scan(std::string_view text);

// The value a read gives for section/key, uncut: that of the first key of that name
// in the first section of that name (names compared without case); nullopt when the
// key is absent or has no '='.
std::optional<std::string> Find(const std::vector<Line>& lines, std::string_view section,
                                 std::string_view key);

// What GetPrivateProfileStringA puts into a buffer of `size` bytes (without the NUL).
std::string String(const std::vector<Line>& lines, std::string_view section, std::string_view key,
                   std::string_view defaultText, std::uint32_t size);

// What GetPrivateProfileIntA gives.
std::uint32_t Int(const std::vector<Line>& lines, std::string_view section, std::string_view key,
                  std::int32_t defaultValue);

// The key line a read takes its value from: the first key of that name in the first
// section of that name; null when there is none.
const Line* FindLine(const std::vector<Line>& lines, std::string_view section,
                     std::string_view key);

// `text` without the blanks the profile reads trim from names and values.
std::string_view Trim(std::string_view text);

// ASCII letters in lower case; the profile reads compare names so.
char Lower(char c);

// Section and key names are compared without case.
bool SameName(std::string_view a, std::string_view b);

// The integer GetPrivateProfileIntA reads at the start of a value: blanks, a sign,
// "0x", "0o" or "0b", then digits of that base, ignoring what follows. `end` is where
// it stops; `digits` tells whether it read any (the "0" of a prefix counts).
struct Integer {
  std::uint32_t value = 0;
  std::size_t end = 0;
  bool digits = false;
};
Integer ReadInteger(std::string_view text);

// GetPrivateProfileIntA's reading of a value it found: empty gives the default, else
// a base-0 integer (blanks, a sign, "0x", "0o" or "0b"), ignoring what follows.
std::uint32_t IntOf(const std::optional<std::string>& value, std::int32_t defaultValue);

}  // namespace lumavale::profile
