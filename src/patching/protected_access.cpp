#include "patching/protected_access.h"

namespace lumavale {
namespace {

enum class Direction { kStore, kRead };

// Copies `width` bytes between `bytes` and the host span at `address`, with exactly
// that span opened for the copy. Without a successful change the span may be
// unmapped or read-only, and touching it could fault the host: nothing is copied,
// and there is no previous protection to put back.
void ProtectedCopy(HostAddress address, std::uint8_t* bytes, std::uint32_t width,
                   Direction direction) {
  std::uint32_t previous = 0;
  if (!platform::ChangeProtection(address, width, kPageExecuteReadWrite, &previous)) return;
  // Byte by byte: host addresses need not be aligned for any wider type.
  volatile std::uint8_t* host = HostBytes(address);
  for (std::uint32_t i = 0; i < width; ++i) {
    if (direction == Direction::kStore) {
      host[i] = bytes[i];
    } else {
      bytes[i] = host[i];
    }
  }
  std::uint32_t ignored = 0;
  platform::ChangeProtection(address, width, previous, &ignored);
}

}  // namespace

void ProtectedWrite(HostAddress address, std::uint32_t width, std::uint32_t value) {
  std::uint8_t bytes[4] = {};
  for (std::uint32_t i = 0; i < width; ++i) {
    bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  ProtectedCopy(address, bytes, width, Direction::kStore);
}

std::uint8_t ProtectedReadByte(HostAddress address) {
  std::uint8_t byte = 0;
  ProtectedCopy(address, &byte, 1, Direction::kRead);
  return byte;
}

}  // namespace lumavale
