#pragma once
// The settings check's report as a test reads it.

#include <cstdio>
#include <string>

#include "contract.h"

namespace lumavale::testing {

// The report with its wrapped lines joined again, so that a phrase is found wherever
// the line breaks fell (long paths move them).
inline std::string Flat(const std::string& text) {
  std::string flat;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n') {
      flat += text[i];
      continue;
    }
    while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
    flat += ' ';
  }
  return flat;
}

// Expected report text names the rows' addresses @1 to @6, the contract's rows;
// this writes them out as the report does ("0x" and eight hexadecimal digits).
inline std::string At(std::string text) {
  for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + 1)) {
    if (at + 1 >= text.size() || text[at + 1] < '1' || text[at + 1] > '0' + LUMAVALE_ROW_COUNT) continue;
    char address[16];
    std::snprintf(address, sizeof address, "0x%08X", kLumavaleRows[text[at + 1] - '1'].address);
    text.replace(at, 2, address);
  }
  return text;
}

// Whether the report shows `part` (rows written @1 to @6), wherever its lines broke.
inline bool Shows(const std::string& report, std::string part) {
  part = At(part);
  if (report.find(part) != std::string::npos) return true;
  while (!part.empty() && part.back() == '\n') part.pop_back();
  return Flat(report).find(part) != std::string::npos;
}

}  // namespace lumavale::testing
