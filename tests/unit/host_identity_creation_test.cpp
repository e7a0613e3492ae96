// The record is created once per process. Each scenario runs in a forked child
// whose record is still absent, and reports through its exit code.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <latch>
#include <thread>
#include <vector>

#include "host_image.h"
#include "patching/host_identity.h"
#include "patching/patch_set.h"
#include "fake_platform.h"

namespace lumavale {
namespace {

using testing::HostMemory;

constexpr HostAddress kBase = LUMAVALE_HOST_IMAGE_BASE;
constexpr HostAddress kProbeAddress = LUMAVALE_PROBE_ADDRESS;

[[noreturn]] void Finish(const char* failure) {
  if (failure != nullptr) std::fputs(failure, stderr);
  std::fflush(stderr);
  std::_Exit(failure == nullptr ? 0 : 1);
}

bool IsCompleteProbedBuild(const HostIdentity& identity) {
  return identity.displayName != nullptr && std::strcmp(identity.displayName, "Farglow.asi") == 0 &&
         identity.titleCode == 'S' && identity.regionCode == 'U' && identity.versionMajor == 1 &&
         identity.versionMinor == 0 && identity.patchMark == 'H' && identity.variant == 0;
}

void PrepareHost(HostAddress entryKey) {
  testing::WriteHostHeader(kBase, entryKey);
  HostBytes(kProbeAddress)[0] = 0xE9;
  fake::State() = {};
  fake::State().hostImageBase = kBase;
}

std::vector<HostAddress> Pages() {
  std::vector<HostAddress> pages = testing::PatchPages();
  pages.push_back(kBase);
  pages.push_back(kProbeAddress & ~0xFFFu);
  return pages;
}

void WholePatchSetDetectsOnce() {
  HostMemory memory{Pages()};
  PrepareHost(0x00824570);
  ApplyPatchSet({true, 0.8f, 1.25f, true, true});
  if (fake::State().hostImageBaseCalls != 1) Finish("detection did not run exactly once");
  if (!IsCompleteProbedBuild(GetHostIdentity())) Finish("record incomplete");
  if (fake::State().hostImageBaseCalls != 1) Finish("a later call detected again");
  Finish(nullptr);
}

void UnknownHostStillPatched() {
  HostMemory memory{Pages()};
  PrepareHost(0x00401234);
  HostMemory::Fill(kLumavaleRows[0].address, 4, 0xCC);
  ApplyPatchSet({true, 0.8f, 1.25f, false, false});
  const HostIdentity& identity = GetHostIdentity();
  if (std::strcmp(identity.displayName, "Farglow.asi") != 0) Finish("displayName not set");
  const std::uint8_t fields[] = {static_cast<std::uint8_t>(identity.titleCode),
                                 static_cast<std::uint8_t>(identity.regionCode),
                                 identity.versionMajor, identity.versionMinor,
                                 identity.revisionMajor, identity.revisionMinor,
                                 static_cast<std::uint8_t>(identity.patchMark), identity.variant};
  for (std::uint8_t field : fields) {
    if (field != 0) Finish("an identification field is set for an unknown host");
  }
  if (HostMemory::Read(kLumavaleRows[0].address, 4) != testing::LittleEndian(kLumavaleRows[0].constant, 4)) {
    Finish("row 1 not written for an unknown host");
  }
  Finish(nullptr);
}

void SimultaneousFirstCallersShareOneCreation() {
  HostMemory memory{Pages()};
  PrepareHost(0x00824570);
  // Detection is slowed so the other threads arrive while it runs.
  fake::State().hostImageBaseDelay = std::chrono::milliseconds(50);
  constexpr int kThreads = 8;
  std::latch start(kThreads);
  std::vector<HostIdentity> seen(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      seen[static_cast<std::size_t>(i)] = GetHostIdentity();
    });
  }
  for (std::thread& thread : threads) thread.join();
  if (fake::State().hostImageBaseCalls != 1) Finish("detection ran more than once");
  for (const HostIdentity& identity : seen) {
    if (!IsCompleteProbedBuild(identity)) Finish("a caller saw an incomplete record");
  }
  Finish(nullptr);
}

TEST(HostIdentityCreation, WholePatchSetRunsDetectionOnce) {
  EXPECT_EXIT(WholePatchSetDetectsOnce(), ::testing::ExitedWithCode(0), "");
}

TEST(HostIdentityCreation, UnknownHostLeavesFieldsZeroAndIsStillPatched) {
  EXPECT_EXIT(UnknownHostStillPatched(), ::testing::ExitedWithCode(0), "");
}

TEST(HostIdentityCreation, SimultaneousFirstCallersAllGetTheCompleteRecord) {
  EXPECT_EXIT(SimultaneousFirstCallersShareOneCreation(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace lumavale
