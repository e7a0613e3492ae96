#pragma once
// The table both test hosts print for a person (scripts/demo): each row's bytes before
// and after the load and what they mean to the game, then each watched page's
// protection before and after.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "spans.h"

namespace lumavale::spans {

struct PageProtections {
  std::uint32_t page;
  std::uint32_t before;
  std::uint32_t after;
};

// A Win32 page protection's name: bits 0 to 7 are one each.
inline const char* ProtectionName(std::uint32_t protection) {
  constexpr const char* kNames[] = {"no-access", "read-only",    "read-write",         "write-copy",
                                    "execute",   "execute-read", "execute-read-write", "execute-write-copy"};
  for (std::size_t bit = 0; bit < 8; ++bit) {
    if (protection == 1u << bit) return kNames[bit];
  }
  return "other";
}

// `before` and `after` give a host byte by its address.
template <typename Before, typename After>
void PrintTable(Before before, After after, const std::vector<PageProtections>& pages) {
  std::printf("%-3s  %-10s  %-5s  %-17s  %-24s  %-24s  %s\n", "row", "address", "width",
              "condition", "bytes before", "bytes after", "value");
  for (const LumavaleRow& row : kLumavaleRows) {
    std::string was, now;
    std::uint32_t bits = 0;
    char pair[4];
    for (std::uint32_t i = 0; i < row.width; ++i) {
      std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", before(row.address + i));
      was += pair;
      std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", after(row.address + i));
      now += pair;
      bits |= static_cast<std::uint32_t>(after(row.address + i)) << (8 * i);
    }
    const bool amount = row.amount >= 0;
    std::string meaning = was == now ? "untouched" : "on";
    if (amount && was != now) {
      char text[32];
      std::snprintf(text, sizeof text, "%g", static_cast<double>(std::bit_cast<float>(bits)));
      meaning = text;
    } else if (!amount && was == now) {
      meaning = "off (untouched)";
    }
    std::printf("%-3d  0x%08lX  %-5u  %-17s  %-24s  %-24s  %s\n", row.row,
                static_cast<unsigned long>(row.address), static_cast<unsigned>(row.width),
                row.condition < 0 ? "always" : kLumavaleReads[row.condition].key, was.c_str(), now.c_str(),
                meaning.c_str());
  }
  std::printf("\n%-10s  %-20s  %s\n", "page", "protection before", "protection after");
  for (const PageProtections& page : pages) {
    std::printf("0x%08lX  %-20s  %s\n", static_cast<unsigned long>(page.page),
                ProtectionName(page.before), ProtectionName(page.after));
  }
}

}  // namespace lumavale::spans
