#pragma once
// A host image header that a test writes, at whatever base it likes.

#include <cstdint>
#include <vector>

#include "fake_platform.h"
#include "host_memory.h"

namespace lumavale::testing {

inline constexpr HostAddress kNewHeader = 0x80;
inline constexpr HostAddress kProbePage = LUMAVALE_PROBE_ADDRESS & ~(kPageSize - 1);

// Writes DOS and NT header fields so the image's entry point reads as `entryKey`.
inline void WriteHostHeader(HostAddress base, HostAddress entryKey) {
  HostMemory::Fill(base, kPageSize, 0);
  HostBytes(base)[0] = 'M';
  HostBytes(base)[1] = 'Z';
  HostMemory::WriteU32(base + 0x3C, kNewHeader);
  HostMemory::WriteU32(base + kNewHeader, 0x00004550);  // "PE\0\0"
  HostMemory::WriteU32(base + kNewHeader + 0x28, entryKey - LUMAVALE_HOST_IMAGE_BASE);
}

// A fresh fake that finds the host image at `base`, its header written for `entryKey`.
inline void UseHostImage(HostAddress entryKey, HostAddress base = LUMAVALE_HOST_IMAGE_BASE) {
  WriteHostHeader(base, entryKey);
  fake::State() = {};
  fake::State().hostImageBase = base;
}

// A host at its preferred base as above, whose probe byte is `probeByte`: its header's
// page, the probe byte's and `pages` mapped.
struct ProbedHost {
  explicit ProbedHost(HostAddress entryKey, std::uint8_t probeByte = 0xE9,
                      std::vector<HostAddress> pages = {})
      : memory([&] {
          pages.insert(pages.end(), {LUMAVALE_HOST_IMAGE_BASE, kProbePage});
          return pages;
        }()) {
    UseHostImage(entryKey);
    HostBytes(LUMAVALE_PROBE_ADDRESS)[0] = probeByte;
  }
  HostMemory memory;
};

}  // namespace lumavale::testing
