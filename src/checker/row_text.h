#pragma once
// The bytes and addresses of rows as the report shows them: the same in every language.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "patching/patch_set.h"

namespace lumavale::check {

inline std::string Hex(std::uint32_t value, int digits) {
  std::string text;
  for (int i = digits - 1; i >= 0; --i) text += "0123456789ABCDEF"[(value >> (4 * i)) & 0xF];
  return text;
}

// "01" or "CD CC 4C 3F": a row's bytes in memory order.
inline std::string BytesText(const PatchEntry& entry, std::uint32_t value) {
  std::string text;
  for (std::uint32_t i = 0; i < entry.width; ++i) text += (i == 0 ? "" : " ") + Hex(value >> (8 * i), 2);
  return text;
}

// "row 2 (0x00726CEA)"
inline std::string RowName(std::size_t index) {
  return "row " + std::to_string(index + 1) + " (0x" + Hex(kPatchSet[index].address, 8) + ")";
}

// "row 1 (0x...) and row 4 (0x...)"
inline std::string RowNames(const std::vector<std::size_t>& rows) {
  std::string names;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    names += (i == 0 ? "" : i + 1 == rows.size() ? " and " : ", ") + RowName(rows[i]);
  }
  return names;
}

// "2 warnings"
inline std::string Plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace lumavale::check
