#pragma once
// The bytes and addresses of rows as the report shows them: the same in every language.

#include <cstdint>
#include <string>

#include "patching/patch_set.h"

namespace lumavale::check {

inline std::string Hex(std::uint32_t value, int digits) {
  std::string text;
  for (int i = digits - 1; i >= 0; --i) text += "0123456789ABCDEF"[(value >> (4 * i)) & 0xF];
  return text;
}

// "0x00B74D64": a row's address.
inline std::string AddressText(std::uint32_t address) { return "0x" + Hex(address, 8); }

// "01" or "CD CC 4C 3F": a row's bytes in memory order.
inline std::string BytesText(const PatchEntry& entry, std::uint32_t value) {
  std::string text;
  for (std::uint32_t i = 0; i < entry.width; ++i) text += (i == 0 ? "" : " ") + Hex(value >> (8 * i), 2);
  return text;
}

}  // namespace lumavale::check
