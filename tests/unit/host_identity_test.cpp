#include "patching/host_identity.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "host_image.h"
#include "fake_platform.h"

namespace lumavale {
namespace {

using testing::HostMemory;
using testing::WriteHostHeader;

constexpr HostAddress kPreferredBase = LUMAVALE_HOST_IMAGE_BASE;
constexpr HostAddress kProbeAddress = LUMAVALE_PROBE_ADDRESS;

struct Expected {
  bool known;
  char titleCode;
  char regionCode;
  std::uint8_t versionMajor, versionMinor, revisionMajor, revisionMinor;
  char patchMark;
  std::uint8_t variant;
};

struct DetectCase {
  std::string name;
  HostAddress entryKey;
  std::uint8_t probeByte;
  Expected expected;
};

// Cases print as their names, not as the bytes of the struct.
void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.name; }

class DetectHostCases : public ::testing::TestWithParam<DetectCase> {
 protected:
  void SetUp() override { fake::State() = {}; }
  // The preferred base page holds both the header and the probed byte.
  HostMemory memory_{{kPreferredBase, kProbeAddress & ~0xFFFu}};
};

TEST_P(DetectHostCases, EntryKeyGivesIdentity) {
  const DetectCase& c = GetParam();
  WriteHostHeader(kPreferredBase, c.entryKey);
  HostBytes(kProbeAddress)[0] = c.probeByte;
  fake::State().hostImageBase = kPreferredBase;

  HostIdentity identity{};
  EXPECT_EQ(DetectHost(identity), c.expected.known);
  EXPECT_EQ(identity.titleCode, c.expected.titleCode);
  EXPECT_EQ(identity.regionCode, c.expected.regionCode);
  EXPECT_EQ(identity.versionMajor, c.expected.versionMajor);
  EXPECT_EQ(identity.versionMinor, c.expected.versionMinor);
  EXPECT_EQ(identity.revisionMajor, c.expected.revisionMajor);
  EXPECT_EQ(identity.revisionMinor, c.expected.revisionMinor);
  EXPECT_EQ(identity.patchMark, c.expected.patchMark);
  EXPECT_EQ(identity.variant, c.expected.variant);
}

INSTANTIATE_TEST_SUITE_P(
    KnownBuilds, DetectHostCases,
    ::testing::Values(
        DetectCase{"Plain", 0x005C1E70, 0x00, {true, '3', 0, 1, 0, 0, 0, 0, 0}},
        DetectCase{"Variant", 0x00A402ED, 0x00, {true, 'V', 0, 1, 1, 0, 0, 0, 1}},
        DetectCase{"Region", 0x0082533C, 0x00, {true, 'S', 'E', 1, 1, 0, 0, 0, 0}},
        DetectCase{"ThirdVersion", 0x0085EC4A, 0x00, {true, 'S', 0, 3, 0, 0, 0, 0, 1}},
        DetectCase{"RevisionNumbers", 0x00C965AD, 0x00, {true, 'I', 'U', 1, 0, 0, 4, 0, 0}},
        DetectCase{"RevisionMajor", 0x00D0AF06, 0x00, {true, 'E', 'U', 1, 1, 2, 0, 0, 0}},
        DetectCase{"ProbeFindsJump", 0x00824570, 0xE9, {true, 'S', 'U', 1, 0, 0, 0, 'H', 0}},
        DetectCase{"ProbeFindsOtherByte", 0x00824570, 0xE8, {true, 'S', 'U', 1, 0, 0, 0, 0, 0}},
        DetectCase{"ProbeOnEuropeanBuild", 0x008245BC, 0xE9, {true, 'S', 'E', 1, 0, 0, 0, 'H', 0}},
        DetectCase{"JumpIgnoredWithoutProbe", 0x008252FC, 0xE9, {true, 'S', 'U', 1, 1, 0, 0, 0, 0}},
        DetectCase{"UnknownKey", 0x00401000, 0xE9, {false, 0, 0, 0, 0, 0, 0, 0, 0}}),
    [](const auto& param) { return param.param.name; });

TEST(DetectHost, ImageAwayFromPreferredBaseMatchesTheSameBuild) {
  fake::State() = {};
  constexpr HostAddress kOtherBase = 0x01230000;
  HostMemory memory{{kOtherBase}};
  WriteHostHeader(kOtherBase, 0x00C965AD);
  fake::State().hostImageBase = kOtherBase;
  HostIdentity identity{};
  EXPECT_TRUE(DetectHost(identity));
  EXPECT_EQ(identity.titleCode, 'I');
  EXPECT_EQ(identity.revisionMinor, 4);
}

TEST(DetectHost, ClearsTheOldIdentityButKeepsRevisionsARowDoesNotName) {
  fake::State() = {};
  HostMemory memory{{kPreferredBase}};
  WriteHostHeader(kPreferredBase, 0x005C2130);
  fake::State().hostImageBase = kPreferredBase;
  HostIdentity identity{kDisplayName, 'X', 'X', 9, 9, 5, 6, 'H', 1};
  EXPECT_TRUE(DetectHost(identity));
  EXPECT_EQ(identity.titleCode, '3');
  EXPECT_EQ(identity.regionCode, 0);
  EXPECT_EQ(identity.versionMinor, 1);
  EXPECT_EQ(identity.patchMark, 0);
  EXPECT_EQ(identity.variant, 0);
  EXPECT_EQ(identity.revisionMajor, 5);
  EXPECT_EQ(identity.revisionMinor, 6);
}

TEST(DetectHost, FailedProbeProtectionReadsNothing) {
  fake::State() = {};
  HostMemory memory{{kPreferredBase, kProbeAddress & ~0xFFFu}};
  WriteHostHeader(kPreferredBase, 0x00824570);
  HostBytes(kProbeAddress)[0] = 0xE9;
  fake::State().hostImageBase = kPreferredBase;
  fake::State().failingProtection = {kProbeAddress};
  HostIdentity identity{};
  EXPECT_TRUE(DetectHost(identity));
  EXPECT_EQ(identity.patchMark, 0);
  ASSERT_EQ(fake::State().protectionCalls.size(), 1u) << "a failed change is not restored";
}

TEST(DetectHost, ProbeRestoresTheProtectionItChanged) {
  fake::State() = {};
  HostMemory memory{{kPreferredBase, kProbeAddress & ~0xFFFu}};
  WriteHostHeader(kPreferredBase, 0x0082457C);
  HostBytes(kProbeAddress)[0] = 0xE9;
  fake::State().hostImageBase = kPreferredBase;
  fake::State().reportedProtection = 0x02;
  HostIdentity identity{};
  EXPECT_TRUE(DetectHost(identity));
  EXPECT_EQ(identity.patchMark, 'H');
  const auto& calls = fake::State().protectionCalls;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].address, kProbeAddress);
  EXPECT_EQ(calls[0].size, 1u);
  EXPECT_EQ(calls[0].protection, kPageExecuteReadWrite);
  EXPECT_EQ(calls[1].protection, 0x02u);
}

// Headers that lie must not lead the plug-in into reading where it could fault.
struct LyingHeaderCase {
  std::string name;
  HostAddress offset;
  std::uint32_t value;
};

class LyingHeaderCases : public ::testing::TestWithParam<LyingHeaderCase> {};

// Cases print as their names, not as the bytes of the struct.
void PrintTo(const LyingHeaderCase& c, std::ostream* os) { *os << c.name; }

TEST_P(LyingHeaderCases, UnknownHostAndNothingSet) {
  fake::State() = {};
  HostMemory memory{{kPreferredBase}};
  WriteHostHeader(kPreferredBase, 0x005C1E70);
  HostMemory::WriteU32(kPreferredBase + GetParam().offset, GetParam().value);
  fake::State().hostImageBase = kPreferredBase;
  HostIdentity identity{};
  EXPECT_FALSE(DetectHost(identity));
  EXPECT_EQ(identity.titleCode, 0);
  EXPECT_EQ(identity.versionMajor, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, LyingHeaderCases,
    ::testing::Values(LyingHeaderCase{"NoDosSignature", 0, 0x00905A4E},
                      LyingHeaderCase{"NewHeaderFarAway", 0x3C, 0x7FFFFFF0},
                      LyingHeaderCase{"NewHeaderPastFirstPage", 0x3C, 0x0FE0},
                      LyingHeaderCase{"NoPeSignature", testing::kNewHeader, 0x00004551}),
    [](const auto& param) { return param.param.name; });

TEST(DetectHost, NoHostImageIsAnUnknownHost) {
  fake::State() = {};
  HostIdentity identity{};
  EXPECT_FALSE(DetectHost(identity));
  EXPECT_EQ(identity.titleCode, 0);
}

}  // namespace
}  // namespace lumavale
