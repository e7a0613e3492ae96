#include "patching/host_identity.h"

#include <algorithm>
#include <atomic>
#include <iterator>

#include "patching/protected_access.h"

namespace lumavale {
namespace {

constexpr KnownHost kKnownHosts[] = {
    {0x005C1E70, '3', 0, 1, 0, 0, 0, false, kNoProbe, 0},
    {0x005C2130, '3', 0, 1, 1, 0, 0, false, kNoProbe, 0},
    {0x005C6FD0, '3', 0, 1, 1, 0, 0, false, kNoProbe, 1},
    {0x009912ED, '3', 0, 1, 1, 0, 0, false, kNoProbe, 1},
    {0x00667BF0, 'V', 0, 1, 0, 0, 0, false, kNoProbe, 0},
    {0x00667C40, 'V', 0, 1, 1, 0, 0, false, kNoProbe, 0},
    {0x00666BA0, 'V', 0, 1, 1, 0, 0, false, kNoProbe, 1},
    {0x00A402ED, 'V', 0, 1, 1, 0, 0, false, kNoProbe, 1},
    {0x00824570, 'S', 'U', 1, 0, 0, 0, false, kProbe, 0},
    {0x0082457C, 'S', 'U', 1, 0, 0, 0, false, kProbe, 0},
    {0x008245B0, 'S', 'E', 1, 0, 0, 0, false, kProbe, 0},
    {0x008245BC, 'S', 'E', 1, 0, 0, 0, false, kProbe, 0},
    {0x008252FC, 'S', 'U', 1, 1, 0, 0, false, kNoProbe, 0},
    {0x0082533C, 'S', 'E', 1, 1, 0, 0, false, kNoProbe, 0},
    {0x0085EC4A, 'S', 0, 3, 0, 0, 0, false, kNoProbe, 1},
    {0x00D3C3DB, 'S', 0, 3, 0, 0, 0, false, kNoProbe, 1},
    {0x00C965AD, 'I', 'U', 1, 0, 0, 4, true, kNoProbe, 0},
    {0x00D0D011, 'I', 'U', 1, 0, 0, 7, true, kNoProbe, 0},
    {0x00D0AF06, 'E', 'U', 1, 1, 2, 0, true, kNoProbe, 0},
};


// The entry key of the host image, or false when its header cannot be trusted.
bool ReadEntryKey(HostAddress& entryKey) {
  const HostAddress base = platform::HostImageBase();
  if (base == 0) return false;
  const volatile std::uint8_t* image = HostBytes(base);
  if (image[0] != 'M' || image[1] != 'Z') return false;
  // The header lies in the host's own first page: readable whenever the image is there.
  return EntryKeyOf(base, [](HostAddress address, std::uint8_t* bytes) {
    const volatile std::uint8_t* host = HostBytes(address);
    for (int i = 0; i < 4; ++i) bytes[i] = host[i];
    return true;
  }, entryKey);
}

}  // namespace

const KnownHost* FindKnownHost(HostAddress entryKey) {
  const KnownHost* known = std::ranges::find(kKnownHosts, entryKey, &KnownHost::entryKey);
  return known == std::end(kKnownHosts) ? nullptr : known;
}

namespace {

HostIdentity hostIdentity;

enum CreationState : int { kAbsent, kBeingCreated, kComplete };
std::atomic<int> creationState{kAbsent};

}  // namespace

bool DetectHost(HostIdentity& identity) {
  identity.patchMark = 0;
  identity.variant = 0;
  identity.titleCode = 0;
  identity.regionCode = 0;
  identity.versionMajor = 0;
  identity.versionMinor = 0;

  HostAddress entryKey = 0;
  if (!ReadEntryKey(entryKey)) return false;
  const KnownHost* known = FindKnownHost(entryKey);
  if (known == nullptr) return false;
  identity.titleCode = known->titleCode;
  identity.regionCode = known->regionCode;
  identity.versionMajor = known->versionMajor;
  identity.versionMinor = known->versionMinor;
  if (known->setsRevision) {
    identity.revisionMajor = known->revisionMajor;
    identity.revisionMinor = known->revisionMinor;
  }
  if (known->probe == kProbe && ProtectedReadByte(kPatchProbeAddress) == kJumpOpcode) {
    identity.patchMark = 'H';
  }
  identity.variant = known->variant;
  return true;
}

const HostIdentity& GetHostIdentity() {
  if (creationState.load(std::memory_order_acquire) == kComplete) return hostIdentity;
  int expected = kAbsent;
  if (creationState.compare_exchange_strong(expected, kBeingCreated,
                                            std::memory_order_acquire)) {
    hostIdentity.displayName = kDisplayName;
    // DetectHost clears the identification fields itself before it looks.
    DetectHost(hostIdentity);
    creationState.store(kComplete, std::memory_order_release);
    return hostIdentity;
  }
  // Another thread is creating the record: wait until it is complete.
  while (creationState.load(std::memory_order_acquire) != kComplete) {
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#endif
  }
  return hostIdentity;
}

}  // namespace lumavale
