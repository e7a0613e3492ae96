#pragma once
// Profile (INI) text the way the platform's profile reads see it. The plug-in never
// parses its settings file: KERNEL32 does. This reader stands in for KERNEL32 where
// there is none (the fake platform, the emulated loader) and shows the settings
// check what each line means; tests hold it against Wine's own reads.
//
// Lines are read one at a time and point into the text, so a file of any size costs
// no more than the file itself.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumavale::profile {

struct Line {
  enum class Kind { kBlank, kComment, kSection, kKey, kOther };
  Kind kind = Kind::kBlank;
  std::uint32_t number = 0;   // 1-based, as an editor counts lines
  std::string_view section;   // kSection: its name; otherwise the section the line lies in
  std::string_view key;       // kKey: the name, trimmed
  bool hasValue = false;      // kKey: an '=' follows the name; without it the key reads as absent
  std::string_view raw;       // kKey: the value as written, trimmed
  std::string_view value;     // kKey: as a read gives it, one pair of matching quotes removed
  std::string_view text;      // the line as written, without its line end
};

// A settings file's text as the reads take it: a UTF-8 mark is dropped, and a file
// saved as "Unicode" (UTF-16 behind its mark) is decoded. `bytes` must outlive it.
class Profile {
 public:
  explicit Profile(std::string_view bytes);
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;

  std::string_view Text() const { return text; }

  // How the text lies in the file's bytes: a mark of `mark` bytes, then each character
  // of Text() as `unit` bytes (2 for UTF-16, in `bigEndian` order or not).
  struct Encoding {
    std::size_t mark = 0;
    std::size_t unit = 1;
    bool bigEndian = false;
  };
  Encoding Encoded() const { return encoding; }

  // Where `part`, a view into Text(), starts in it.
  std::size_t Offset(std::string_view part) const { return static_cast<std::size_t>(part.data() - text.data()); }

  // The key line a read takes its value from: the first key of that name in the
  // first section of that name (names compared without case); none when there is none.
  std::optional<Line> FindLine(std::string_view section, std::string_view key) const;

  // What GetPrivateProfileStringA puts into a buffer of `size` bytes (without the NUL).
  std::string String(std::string_view section, std::string_view key, std::string_view defaultText,
                     std::uint32_t size) const;

  // What GetPrivateProfileIntA gives.
  std::uint32_t Int(std::string_view section, std::string_view key, std::int32_t defaultValue) const;

 private:
  std::string decoded;
  std::string_view text;
  Encoding encoding;
};

// The lines of a profile's text, in order. A line ends at CR LF, at a lone CR or at
// a lone LF, as the platform's reading ends it; a NUL ends what a line says.
class LineCursor {
 public:
  explicit LineCursor(const Profile& profile) : rest(profile.Text()) {}
  bool Next(Line& line);

 private:
  std::string_view rest;
  std::string_view section;
  std::uint32_t number = 0;
};

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
std::uint32_t IntOf(std::optional<std::string_view> value, std::int32_t defaultValue);

}  // namespace lumavale::profile
