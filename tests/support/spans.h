#pragma once
// What the test hosts derive from the contract's rows: the pages they watch, and what
// those hold and how they are protected before the load.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
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

// The host pages besides the header that the test hosts watch, each with a protection
// of its own: the probe byte's page, then the rows' pages.
inline std::vector<std::uint32_t> HostPages() {
  std::vector<std::uint32_t> pages = {LUMAVALE_PROBE_ADDRESS & ~(kPageSize - 1)};
  for (const std::uint32_t page : Pages()) pages.push_back(page);
  return pages;
}

// The protection a host page starts with (the header's: read-only). `rotate` shifts
// them, so that across rotations every page meets each of the four.
inline std::uint32_t StartProtection(std::uint32_t page, int rotate) {
  constexpr std::uint32_t kRotation[] = {0x02, 0x20, 0x04, 0x40};  // read-only, execute-read, read-write, rwx
  const std::vector<std::uint32_t> pages = HostPages();
  const auto index = static_cast<std::size_t>(std::find(pages.begin(), pages.end(), page) - pages.begin());
  if (index == pages.size()) return 0x02;
  return kRotation[(index + static_cast<std::size_t>(rotate)) % std::size(kRotation)];
}

// What a host holds around the rows before the load: distinct from every byte the
// plug-in stores as a switch, so that a store always shows.
inline std::uint8_t Sentinel(std::uint32_t address) {
  return static_cast<std::uint8_t>(0xA0 | ((address * 7) & 0x1F));
}

}  // namespace lumavale::spans
