#pragma once
// What the C library makes of number text: the yardstick for the plug-in's reader in
// the unit tests, the fuzz targets and the end-to-end tests alike.

#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>

namespace lumavale::oracle {

// Bit for bit, except that two NaNs need only agree in sign: strtod stores the
// payload of "nan(chars)", which no setting can rely on.
template <typename Float>
bool SameValue(Float expected, Float actual) {
  if (std::isnan(expected) || std::isnan(actual)) {
    return std::isnan(expected) && std::isnan(actual) && std::signbit(expected) == std::signbit(actual);
  }
  using Bits = std::conditional_t<sizeof(Float) == 4, std::uint32_t, std::uint64_t>;
  return std::bit_cast<Bits>(expected) == std::bit_cast<Bits>(actual);
}

// An amount as C reads its text: strtod, rounded to single precision.
inline float CAmount(const std::string& text) {
  return static_cast<float>(std::strtod(text.c_str(), nullptr));
}

// The text quoted, with every byte outside printable ASCII escaped, and its length.
inline std::string Printable(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    char escaped[5];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
    out += c >= 0x20 && c < 0x7F && c != '"' && c != '\\' ? std::string(1, c) : std::string(escaped);
  }
  return out + "\" (" + std::to_string(text.size()) + " chars)";
}

}  // namespace lumavale::oracle
