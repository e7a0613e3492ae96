#pragma once
// The check keeps text as UTF-8; the platform's wide calls take UTF-16. A path from
// the platform can hold a lone surrogate, so both directions carry every unit through.

#include <cstdint>
#include <string>
#include <string_view>

namespace lumavale::utf {

// UTF-16 as UTF-8; a lone surrogate is written as its own three bytes.
std::string Utf8(std::u16string_view text);

// UTF-8 as UTF-16; a byte that starts no character becomes U+FFFD.
std::u16string Utf16(std::string_view text);

// The UTF-8 character a non-empty `text` starts with: its code point and its length
// in bytes; length 0 where no whole one starts (as where Utf16 puts U+FFFD).
struct Character {
  std::uint32_t code = 0;
  std::size_t length = 0;
};
Character Decode(std::string_view text);

// The length in bytes of the UTF-8 character `text` starts with; 0 when no whole one
// does (as where Utf16 puts U+FFFD).
std::size_t CharLength(std::string_view text);

}  // namespace lumavale::utf
