#pragma once
// Real, writable memory at the host's absolute addresses, so the real store code
// runs in native tests. Position-independent test programs leave these low
// addresses free.

#include <sys/mman.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/platform.h"
#include "spans.h"

namespace lumavale::testing {

inline constexpr HostAddress kPageSize = 0x1000;

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

}  // namespace lumavale::testing
