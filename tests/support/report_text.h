#pragma once
// The settings check's report as a test reads it.

#include <string>

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

}  // namespace lumavale::testing
