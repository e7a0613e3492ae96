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
// Header offsets of a PE image.
inline constexpr std::uint32_t kNewHeaderOffsetField = 0x3C;   // e_lfanew
inline constexpr std::uint32_t kEntryPointInNewHeader = 0x28;  // AddressOfEntryPoint
// The first page of a loaded image always holds its headers; a header that points
// beyond it is not trusted, since reading there could fault the host.
inline constexpr std::uint32_t kHeaderPage = 0x1000;
inline constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"

// The entry key of the image at `base`, from the header fields that follow its "MZ";
// `read(address, bytes)` reads four bytes, false when it cannot. False when the
// header cannot be trusted. The plug-in reads its own host and the settings check
// another process, so both hold the header to the same rules.
template <typename Read4>
bool EntryKeyOf(HostAddress base, Read4 read, HostAddress& entryKey) {
  const auto field = [&](HostAddress address, std::uint32_t& value) {
    std::uint8_t bytes[4] = {};
    if (!read(address, bytes)) return false;
    value = static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
            static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return true;
  };
  std::uint32_t newHeader = 0;
  std::uint32_t signature = 0;
  std::uint32_t entryPoint = 0;
  if (!field(base + kNewHeaderOffsetField, newHeader)) return false;
  if (newHeader > kHeaderPage - (kEntryPointInNewHeader + 4)) return false;
  if (!field(base + newHeader, signature) || signature != kPeSignature) return false;
  if (!field(base + newHeader + kEntryPointInNewHeader, entryPoint)) return false;
  entryKey = entryPoint + kPreferredImageBase;
  return true;
}

enum Probe : std::uint8_t { kNoProbe, kProbe };

// A host build the plug-in knows, by the entry key of its image.
struct KnownHost {
  HostAddress entryKey;
  char titleCode;
  char regionCode;
  std::uint8_t versionMajor;
  std::uint8_t versionMinor;
  std::uint8_t revisionMajor;  // with revisionMinor: only rows that name them set them
  std::uint8_t revisionMinor;
  bool setsRevision;
  Probe probe;
  std::uint8_t variant;
};

// The known build with this entry key; null when the table names none.
const KnownHost* FindKnownHost(HostAddress entryKey);

// The record; the first call creates it, once per process, whatever the threads do.
const HostIdentity& GetHostIdentity();

// Fills the identification fields of `identity`; true when the host is a known build.
bool DetectHost(HostIdentity& identity);

}  // namespace lumavale
