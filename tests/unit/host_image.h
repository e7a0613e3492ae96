#pragma once
// A host image header that a test writes, at whatever base it likes.

#include <cstdint>

#include "host_memory.h"

namespace lumavale::testing {

inline constexpr HostAddress kNewHeader = 0x80;

// Writes DOS and NT header fields so the image's entry point reads as `entryKey`.
inline void WriteHostHeader(HostAddress base, HostAddress entryKey) {
  HostMemory::Fill(base, kPageSize, 0);
  HostBytes(base)[0] = 'M';
  HostBytes(base)[1] = 'Z';
  HostMemory::WriteU32(base + 0x3C, kNewHeader);
  HostMemory::WriteU32(base + kNewHeader, 0x00004550);  // "PE\0\0"
  HostMemory::WriteU32(base + kNewHeader + 0x28, entryKey - LUMAVALE_HOST_IMAGE_BASE);
}

}  // namespace lumavale::testing
