#pragma once
// Real, writable memory at the host's absolute addresses, so the real store code
// runs in native tests (position-independent test programs leave these low
// addresses free), and a host image header written there.

#include <sys/mman.h>

#include <cstdint>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "fake_platform.h"
#include "patching/host_identity.h"
#include "platform/platform.h"
#include "spans.h"

namespace lumavale::testing {

using spans::kPageSize;

class HostMemory {
 public:
  explicit HostMemory(std::vector<HostAddress> pages) : pages_(std::move(pages)) {
    for (HostAddress page : pages_) {
      void* wanted = reinterpret_cast<void*>(static_cast<std::uintptr_t>(page));
      void* got = mmap(wanted, kPageSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
      if (got != wanted) throw std::runtime_error("cannot map a host page");
    }
  }
  ~HostMemory() {
    for (HostAddress page : pages_) munmap(reinterpret_cast<void*>(static_cast<std::uintptr_t>(page)), kPageSize);
  }
  HostMemory(const HostMemory&) = delete;
  HostMemory& operator=(const HostMemory&) = delete;

  static void Fill(HostAddress address, std::uint32_t count, std::uint8_t byte) {
    for (std::uint32_t i = 0; i < count; ++i) HostBytes(address)[i] = byte;
  }
  static std::vector<std::uint8_t> Read(HostAddress address, std::uint32_t count) {
    return std::vector<std::uint8_t>(HostBytes(address), HostBytes(address) + count);
  }
  static void WriteU32(HostAddress address, std::uint32_t value) {
    for (std::uint32_t i = 0; i < 4; ++i) HostBytes(address)[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }

 private:
  std::vector<HostAddress> pages_;
};

inline std::vector<std::uint8_t> LittleEndian(std::uint32_t value, std::uint32_t width) {
  std::vector<std::uint8_t> bytes;
  for (std::uint32_t i = 0; i < width; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  return bytes;
}

// The eight identification fields, to compare at once.
inline auto Fields(const HostIdentity& i) {
  return std::tuple(i.titleCode, i.regionCode, i.versionMajor, i.versionMinor, i.revisionMajor,
                    i.revisionMinor, i.patchMark, i.variant);
}

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
