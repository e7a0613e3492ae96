#include "checker/utf.h"

namespace lumavale::utf {

Character Decode(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  // 0xF8 and above lead no form at all.
  const std::size_t length =
      lead < 0x80 ? 1 : lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  std::uint32_t code = length == 1 ? lead : lead & (0x7FU >> length);
  bool whole = length != 0 && length <= text.size();
  for (std::size_t k = 1; whole && k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[k]);
    whole = (next & 0xC0) == 0x80;
    code = code << 6 | (next & 0x3FU);
  }
  // Overlong forms, surrogates and what lies beyond Unicode start no character either.
  constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  whole = whole && code >= kLeast[length] && code <= 0x10FFFF && (code < 0xD800 || code >= 0xE000);
  return whole ? Character{code, length} : Character{};
}

std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::uint32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[++i] - 0xDC00U);
    }
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::u16string Utf16(std::string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto [code, length] = Decode(text.substr(i));
    if (length == 0) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += length;
    if (code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

std::size_t CharLength(std::string_view text) { return text.empty() ? 0 : Decode(text).length; }

}  // namespace lumavale::utf
