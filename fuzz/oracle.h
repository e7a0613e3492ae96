#pragma once
// What the C library makes of number text: the yardstick for the plug-in's parser.

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace lumavale::fuzz {

// Bit-for-bit equal, except that any two NaNs of the same sign are equal: the
// payload of "nan(chars)" is not something a setting can rely on.
template <typename Float>
bool SameValue(Float expected, Float actual) {
  if (std::isnan(expected) || std::isnan(actual)) {
    return std::isnan(expected) && std::isnan(actual) &&
           std::signbit(expected) == std::signbit(actual);
  }
  using Bits = std::conditional_t<sizeof(Float) == 4, std::uint32_t, std::uint64_t>;
  return std::bit_cast<Bits>(expected) == std::bit_cast<Bits>(actual);
}

// Stops the run with the input that broke an invariant shown.
[[noreturn]] inline void Fail(const char* what, const std::string& input) {
  std::fprintf(stderr, "invariant broken: %s\ninput (%zu bytes): \"", what, input.size());
  for (const char ch : input) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      std::fputc(c, stderr);
    } else {
      std::fprintf(stderr, "\\x%02X", c);
    }
  }
  std::fputs("\"\n", stderr);
  std::abort();
}

}  // namespace lumavale::fuzz
