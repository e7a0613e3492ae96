#pragma once
// Which build of which host title this process runs, known from the entry point
// address in the host image's header. Kept for the patch walk; never decides a store.

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace lumavale {

struct HostIdentity {
  const char* displayName;
  char titleCode;
  char regionCode;
  std::uint8_t versionMajor;
  std::uint8_t versionMinor;
  std::uint8_t revisionMajor;
  std::uint8_t revisionMinor;
  char patchMark;
  std::uint8_t variant;
};

static_assert(offsetof(HostIdentity, titleCode) == sizeof(const char*) &&
                  offsetof(HostIdentity, variant) == sizeof(const char*) + 7,
              "the eight one-byte fields lie packed after displayName");
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(HostIdentity) == 12, "32-bit layout: a pointer and eight bytes");
#endif

inline constexpr char kDisplayName[] = "Farglow.asi";

// Where the host images that want the probe carry their patch jump.
inline constexpr HostAddress kPatchProbeAddress = 0x00406A20;
inline constexpr std::uint8_t kJumpOpcode = 0xE9;
// Entry keys are the entry point's address with the image at its preferred base.
inline constexpr HostAddress kPreferredImageBase = 0x00400000;

// The record; the first call creates it, once per process, whatever the threads do.
const HostIdentity& GetHostIdentity();

// Fills the identification fields of `identity`; true when the host is a known build.
bool DetectHost(HostIdentity& identity);

}  // namespace lumavale
