#pragma once
// The records the stand-in host (tests/host/standin_host.cpp) prints after a load, one
// a line with its kind first, as the tests under Wine read them.

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace lumavale::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes FromHex(const std::string& hex) {
  Bytes bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// "span ROW ADDRESS WIDTH PAD BEFORE AFTER FINAL": the row's bytes with PAD more on each
// side, before the load, after it, and once the plug-in is freed.
struct SpanRecord {
  int row = 0;
  std::uint32_t address = 0;
  std::size_t width = 0;
  std::size_t pad = 0;
  Bytes before, after, final;

  // The row's own bytes out of `padded`, one of the three above.
  Bytes Row(const Bytes& padded) const {
    if (padded.size() < pad + width) return {};
    const auto first = padded.begin() + static_cast<std::ptrdiff_t>(pad);
    return {first, first + static_cast<std::ptrdiff_t>(width)};
  }
};

// "page PAGE BEFORE AFTER FINAL OUTSIDE LATER": a watched page's protections, and how
// many of its bytes changed outside the spans in the load and at all after it.
struct PageRecord {
  std::string page;
  std::string before, after, final;
  unsigned long changedOutsideSpans = 0;
  unsigned long changedLater = 0;
};

struct HostOutput {
  bool loaded = false;  // "load 1 ERROR"
  std::vector<SpanRecord> spans;
  std::vector<PageRecord> pages;
  std::string probeBefore, probeAfter, probeFinal;  // "probe BEFORE AFTER FINAL"
  bool threadRan = false;  // "thread 1"
  bool freed = false;      // "free 1"
  bool ended = false;      // "end"
};

inline HostOutput ParseHostOutput(const std::string& out) {
  HostOutput seen;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string kind, address, before, after, final;
    words >> kind;
    if (kind == "span") {
      SpanRecord& span = seen.spans.emplace_back();
      words >> span.row >> address >> span.width >> span.pad >> before >> after >> final;
      span.address = static_cast<std::uint32_t>(std::stoul(address, nullptr, 16));
      span.before = FromHex(before);
      span.after = FromHex(after);
      span.final = FromHex(final);
    } else if (kind == "page") {
      PageRecord& page = seen.pages.emplace_back();
      words >> page.page >> page.before >> page.after >> page.final >> page.changedOutsideSpans >>
          page.changedLater;
    } else if (kind == "probe") {
      words >> seen.probeBefore >> seen.probeAfter >> seen.probeFinal;
    } else if (kind == "end") {
      seen.ended = true;
    } else {
      int flag = 0;
      words >> flag;
      if (kind == "load") seen.loaded = flag == 1;
      if (kind == "thread") seen.threadRan = flag == 1;
      if (kind == "free") seen.freed = flag == 1;
    }
  }
  return seen;
}

}  // namespace lumavale::testing
