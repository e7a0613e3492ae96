// The record is created once per process. Each scenario runs in a forked child
// whose record is still absent, and reports through its exit code.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <latch>
#include <thread>
#include <vector>

#include "host_memory.h"
#include "patching/host_identity.h"
#include "patching/patch_set.h"
#include "fake_platform.h"

namespace lumavale {
namespace {

using testing::HostMemory;
using testing::ProbedHost;

[[noreturn]] void Finish(const char* failure) {
  if (failure != nullptr) std::fputs(failure, stderr);
  std::fflush(stderr);
  std::_Exit(failure == nullptr ? 0 : 1);
}

bool IsCompleteProbedBuild(const HostIdentity& identity) {
  return identity.displayName != nullptr && std::strcmp(identity.displayName, "Farglow.asi") == 0 &&
         testing::Fields(identity) == testing::Fields({nullptr, 'S', 'U', 1, 0, 0, 0, 'H', 0});
}

// Runs `child` in a forked process, which passes when it reaches its end.
template <typename Child>
void InChild(Child child) {
  EXPECT_EXIT((child(), Finish(nullptr)), ::testing::ExitedWithCode(0), "");
}

TEST(HostIdentityCreation, WholePatchSetRunsDetectionOnce) {
  InChild([] {
    const ProbedHost host(0x00824570, 0xE9, spans::Pages());
    ApplyPatchSet({true, 0.8f, 1.25f, true, true});
    if (fake::State().hostImageBaseCalls != 1) Finish("detection did not run exactly once");
    if (!IsCompleteProbedBuild(GetHostIdentity())) Finish("record incomplete");
    if (fake::State().hostImageBaseCalls != 1) Finish("a later call detected again");
  });
}

TEST(HostIdentityCreation, UnknownHostLeavesFieldsZeroAndIsStillPatched) {
  InChild([] {
    const ProbedHost host(0x00401234, 0xE9, spans::Pages());
    const LumavaleRow& row = kLumavaleRows[0];
    HostMemory::Fill(row.address, 4, 0xCC);
    ApplyPatchSet({true, 0.8f, 1.25f, false, false});
    const HostIdentity& identity = GetHostIdentity();
    if (std::strcmp(identity.displayName, "Farglow.asi") != 0) Finish("displayName not set");
    if (testing::Fields(identity) != testing::Fields({})) {
      Finish("an identification field is set for an unknown host");
    }
    if (HostMemory::Read(row.address, 4) != testing::LittleEndian(row.constant, 4)) {
      Finish("row 1 not written for an unknown host");
    }
  });
}

TEST(HostIdentityCreation, SimultaneousFirstCallersAllGetTheCompleteRecord) {
  InChild([] {
    const ProbedHost host(0x00824570, 0xE9, spans::Pages());
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
  });
}

}  // namespace
}  // namespace lumavale
