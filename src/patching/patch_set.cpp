#include "patching/patch_set.h"

#include "patching/host_identity.h"

namespace lumavale {

void ProtectedWrite(HostAddress address, std::uint32_t width, std::uint32_t value) {
  std::uint32_t previous = 0;
  // Without a successful change the span may be unmapped or read-only: a store
  // there would fault the host, so the row is passed over.
  if (!platform::ChangeProtection(address, width, kPageExecuteReadWrite, &previous)) return;
  volatile std::uint8_t* target = HostBytes(address);
  // Byte by byte: the host's addresses need not be aligned for the value's type.
  for (std::uint32_t i = 0; i < width; ++i) {
    target[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  std::uint32_t ignored = 0;
  platform::ChangeProtection(address, width, previous, &ignored);
}

void ApplyPatchSet(const PluginSettings& settings) {
  for (const PatchEntry& entry : kPatchSet) {
    if (!RowApplies(entry, settings)) continue;
    // Obtained before every store; what is stored never depends on it.
    GetHostIdentity();
    ProtectedWrite(entry.address, entry.width, RowValue(entry, settings));
  }
}

}  // namespace lumavale
