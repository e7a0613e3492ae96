#pragma once
// What the test hosts derive from the contract's rows: the pages that hold them and
// each row's condition by name.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "contract.h"

namespace lumavale::spans {

inline constexpr std::uint32_t kPageSize = 0x1000;

// The pages the six rows lie in, in address order, each once.
inline std::vector<std::uint32_t> Pages() {
  std::vector<std::uint32_t> pages;
  for (const LumavaleRow& row : kLumavaleRows) {
    for (std::uint32_t at = row.address; at < row.address + row.width; ++at) {
      pages.push_back(at & ~(kPageSize - 1));
    }
  }
  std::sort(pages.begin(), pages.end());
  pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
  return pages;
}

// "always", or the key of the switch that decides the row.
inline const char* ConditionName(const LumavaleRow& row) {
  return row.condition < 0 ? "always" : kLumavaleReads[row.condition].key;
}

// True when an amount is stored there.
inline bool StoresAmount(const LumavaleRow& row) { return row.amount >= 0; }

}  // namespace lumavale::spans
