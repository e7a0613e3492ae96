#pragma once
// What a narrow (ANSI) call gives for text that the test writes as UTF-8, on a system
// whose ANSI code page has none of its other letters: a '?' for each UTF-16 unit, as
// Wine gives with its default code page (an emoji, two units, becomes "??").

#include <string>

#include "checker/utf.h"

namespace lumavale::testing {

inline std::string AnsiView(const std::string& utf8) {
  std::string narrow;
  for (const char16_t unit : utf::Utf16(utf8)) narrow += unit < 0x80 ? static_cast<char>(unit) : '?';
  return narrow;
}

}  // namespace lumavale::testing
