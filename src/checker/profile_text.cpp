#include "checker/profile_text.h"

namespace lumavale::profile {
namespace {

// Blanks as the profile reads trim them; 0x1A is an old end-of-file mark.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

// A buffer of `size` bytes receives at most size-1 characters. A value quoted with
// the same quote at both ends loses them, but only the closing one that fits.
std::string Copy(std::string_view value, std::uint32_t size) {
  if (size == 0) return {};
  bool quoted = false;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  std::string copy(value.substr(0, size - 1));
  if (quoted && size >= value.size() && !copy.empty()) copy.pop_back();
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

// Keys before any header lie in a nameless section.
const Line* FindLine(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  std::size_t at = 0;
  if (!section.empty()) {
    while (at < lines.size() &&
           !(lines[at].kind == Line::Kind::kSection && SameName(lines[at].section, section))) {
      ++at;
    }
    if (at == lines.size()) return nullptr;
    ++at;
  }
  // Later sections of the same name are not read.
  for (; at < lines.size() && lines[at].kind != Line::Kind::kSection; ++at) {
    if (lines[at].kind == Line::Kind::kKey && SameName(lines[at].key, key)) return &lines[at];
  }
  return nullptr;
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

std::vector<Line> Scan(std::string_view text) {
  const std::string_view mark = text.substr(0, 2);
  if (mark == "\xFF\xFE" || mark == "\xFE\xFF") {
    return Scan(FromUtf16(text.substr(2), mark == "\xFE\xFF"));
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<Line> lines;
  std::string section;
  std::uint32_t number = 0;
  while (!text.empty()) {
    // Lines end at '\n'; only text without one left is split at '\r'.
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) end = text.find('\r');
    const std::string_view written = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    Line line;
    line.number = ++number;
    line.text = std::string(written.substr(0, written.find_last_not_of('\r') + 1));
    const std::string_view body = Trim(written);
    const std::size_t close = body.rfind(']');
    if (body.empty()) {
      line.kind = Line::Kind::kBlank;
    } else if (body.front() == '[' && close != std::string_view::npos) {
      // The name is what lies between '[' and the last ']'.
      line.kind = Line::Kind::kSection;
      section = std::string(Trim(body.substr(1, close - 1)));
    } else if (body.front() == ';' || body.front() == '#') {
      line.kind = Line::Kind::kComment;
    } else if (body.front() == '[') {
      line.kind = Line::Kind::kOther;
    } else {
      line.kind = Line::Kind::kKey;
      const std::size_t equals = body.find('=');
      line.key = std::string(Trim(body.substr(0, equals)));
      line.hasValue = equals != std::string_view::npos;
      if (line.hasValue) {
        line.raw = std::string(Trim(body.substr(equals + 1)));
        line.value = Copy(line.raw, static_cast<std::uint32_t>(line.raw.size() + 1));
      }
    }
    line.section = section;
    lines.push_back(std::move(line));
  }
  return lines;
}

std::optional<std::string> Find(const std::vector<Line>& lines, std::string_view section,
                                 std::string_view key) {
  const Line* line = FindLine(lines, section, key);
  if (line == nullptr || !line->hasValue) return std::nullopt;
  return line->value;
}

std::string String(const std::vector<Line>& lines, std::string_view section, std::string_view key,
                   std::string_view defaultText, std::uint32_t size) {
  const Line* line = FindLine(lines, section, key);
  if (line != nullptr && line->hasValue) return Copy(line->raw, size);
  // The default loses its trailing spaces.
  while (!defaultText.empty() && defaultText.back() == ' ') defaultText.remove_suffix(1);
  return Copy(defaultText, size);
}

std::uint32_t Int(const std::vector<Line>& lines, std::string_view section, std::string_view key,
                  std::int32_t defaultValue) {
  // The integer read is a string read into 30 characters with an empty default.
  const std::string text = String(lines, section, key, "", 30);
  return IntOf(text, defaultValue);
}

std::uint32_t IntOf(const std::optional<std::string>& value, std::int32_t defaultValue) {
  if (!value || value->empty()) return static_cast<std::uint32_t>(defaultValue);
  // The read hands the integer reading at most 29 characters.
  return ReadInteger(std::string_view(*value).substr(0, 29)).value;
}

}  // namespace lumavale::profile
