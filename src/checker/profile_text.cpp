#include "checker/profile_text.h"

namespace lumavale::profile {
namespace {

// Blanks as the profile reads trim them; 0x1A is an old end-of-file mark. Line ends
// never reach a line.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A; }

// A buffer of `size` bytes receives at most size-1 characters. A value quoted with
// the same quote at both ends loses them, but only the closing one that fits.
std::string_view Copy(std::string_view value, std::uint32_t size) {
  if (size == 0) return {};
  bool quoted = false;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::string_view copy = value.substr(0, size - 1);
  if (quoted && size >= value.size() && !copy.empty()) copy.remove_suffix(1);
  return copy;
}

// A file saved as "Unicode" is UTF-16 with a byte order mark, and the profile reads
// decode it. Settings are ASCII; any other character becomes '?', as in the ANSI reads.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned first = static_cast<unsigned char>(bytes[i]);
    const unsigned second = static_cast<unsigned char>(bytes[i + 1]);
    const unsigned unit = bigEndian ? (first << 8U) | second : (second << 8U) | first;
    text += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  return text;
}

}  // namespace

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// As RtlUnicodeStringToInteger reads with base 0.
Integer ReadInteger(std::string_view text) {
  Integer read;
  std::size_t at = 0;
  while (at < text.size() && static_cast<unsigned char>(text[at]) <= ' ') ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  std::uint32_t base = 10;
  if (at + 1 < text.size() && text[at] == '0') {
    const char prefix = text[at + 1];
    if (prefix == 'b' || prefix == 'o' || prefix == 'x') {
      base = prefix == 'b' ? 2 : prefix == 'o' ? 8 : 16;
      at += 2;
      read.digits = true;
    }
  }
  for (; at < text.size(); ++at) {
    const char c = Lower(text[at]);
    std::uint32_t digit = 99;
    if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
    if (c >= 'a' && c <= 'z') digit = static_cast<std::uint32_t>(c - 'a' + 10);
    if (digit >= base) break;
    read.value = read.value * base + digit;  // wraps like the platform's 32-bit total
    read.digits = true;
  }
  if (negative) read.value = 0u - read.value;
  read.end = at;
  return read;
}

Profile::Profile(std::string_view bytes) : text(bytes) {
  const std::string_view mark = bytes.substr(0, 2);
  if (mark == "\xFF\xFE" || mark == "\xFE\xFF") {
    decoded = FromUtf16(bytes.substr(2), mark == "\xFE\xFF");
    text = decoded;
    encoding = {2, 2, mark == "\xFE\xFF"};
  } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    text.remove_prefix(3);
    encoding.mark = 3;
  }
}

bool LineCursor::Next(Line& line) {
  if (rest.empty()) return false;
  const std::size_t end = rest.find_first_of("\r\n");
  line = Line{};
  line.number = ++number;
  line.text = rest.substr(0, end);
  if (end == std::string_view::npos) {
    rest = {};
  } else {
    rest.remove_prefix(rest.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1);
  }
  const std::string_view body = Trim(line.text.substr(0, line.text.find('\0')));
  const std::size_t close = body.rfind(']');
  if (body.empty()) {
    line.kind = Line::Kind::kBlank;
  } else if (body.front() == '[' && close != std::string_view::npos) {
    // The name is what lies between '[' and the last ']'.
    line.kind = Line::Kind::kSection;
    section = Trim(body.substr(1, close - 1));
  } else if (body.front() == ';' || body.front() == '#') {
    line.kind = Line::Kind::kComment;
  } else if (body.front() == '[') {
    line.kind = Line::Kind::kOther;
  } else {
    line.kind = Line::Kind::kKey;
    const std::size_t equals = body.find('=');
    line.key = Trim(body.substr(0, equals));
    line.hasValue = equals != std::string_view::npos;
    if (line.hasValue) {
      line.raw = Trim(body.substr(equals + 1));
      line.value = Copy(line.raw, static_cast<std::uint32_t>(line.raw.size() + 1));
    }
  }
  line.section = section;
  return true;
}

// Keys before any header lie in a nameless section; later sections of the same name
// are not read.
std::optional<Line> Profile::FindLine(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  LineCursor cursor(*this);
  Line line;
  bool inSection = section.empty();
  while (cursor.Next(line)) {
    if (line.kind == Line::Kind::kSection) {
      if (inSection) return std::nullopt;
      inSection = SameName(line.section, section);
    } else if (inSection && line.kind == Line::Kind::kKey && SameName(line.key, key)) {
      return line;
    }
  }
  return std::nullopt;
}

std::string Profile::String(std::string_view section, std::string_view key,
                            std::string_view defaultText, std::uint32_t size) const {
  const std::optional<Line> line = FindLine(section, key);
  if (line && line->hasValue) return std::string(Copy(line->raw, size));
  // The default loses its trailing spaces.
  while (!defaultText.empty() && defaultText.back() == ' ') defaultText.remove_suffix(1);
  return std::string(Copy(defaultText, size));
}

std::uint32_t Profile::Int(std::string_view section, std::string_view key,
                           std::int32_t defaultValue) const {
  // The integer read is a string read into 30 characters with an empty default.
  return IntOf(String(section, key, "", 30), defaultValue);
}

std::uint32_t IntOf(std::optional<std::string_view> value, std::int32_t defaultValue) {
  if (!value || value->empty()) return static_cast<std::uint32_t>(defaultValue);
  // The read hands the integer reading at most 29 characters.
  return ReadInteger(value->substr(0, 29)).value;
}

}  // namespace lumavale::profile
