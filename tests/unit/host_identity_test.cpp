#include "patching/host_identity.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "host_memory.h"
#include "fake_platform.h"

namespace lumavale {
namespace {

using testing::Fields;
using testing::HostMemory;
using testing::ProbedHost;
using testing::UseHostImage;

constexpr HostAddress kPreferredBase = LUMAVALE_HOST_IMAGE_BASE;
constexpr HostAddress kProbeAddress = LUMAVALE_PROBE_ADDRESS;

struct DetectCase {
  std::string name;
  HostAddress entryKey;
  std::uint8_t probeByte;
  bool known;
  HostIdentity expected;
};

void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.name; }

class DetectHostCases : public ::testing::TestWithParam<DetectCase> {};

TEST_P(DetectHostCases, EntryKeyGivesIdentity) {
  const DetectCase& c = GetParam();
  const ProbedHost host(c.entryKey, c.probeByte);
  HostIdentity identity{};
  EXPECT_EQ(DetectHost(identity), c.known);
  EXPECT_EQ(Fields(identity), Fields(c.expected));
}

INSTANTIATE_TEST_SUITE_P(KnownBuilds, DetectHostCases, ::testing::ValuesIn(std::vector<DetectCase>{
    {"Plain", 0x005C1E70, 0x00, true, {nullptr, '3', 0, 1, 0, 0, 0, 0, 0}},
    {"Variant", 0x00A402ED, 0x00, true, {nullptr, 'V', 0, 1, 1, 0, 0, 0, 1}},
    {"Region", 0x0082533C, 0x00, true, {nullptr, 'S', 'E', 1, 1, 0, 0, 0, 0}},
    {"ThirdVersion", 0x0085EC4A, 0x00, true, {nullptr, 'S', 0, 3, 0, 0, 0, 0, 1}},
    {"RevisionNumbers", 0x00C965AD, 0x00, true, {nullptr, 'I', 'U', 1, 0, 0, 4, 0, 0}},
    {"RevisionMajor", 0x00D0AF06, 0x00, true, {nullptr, 'E', 'U', 1, 1, 2, 0, 0, 0}},
    {"ProbeFindsJump", 0x00824570, 0xE9, true, {nullptr, 'S', 'U', 1, 0, 0, 0, 'H', 0}},
    {"ProbeFindsOtherByte", 0x00824570, 0xE8, true, {nullptr, 'S', 'U', 1, 0, 0, 0, 0, 0}},
    {"ProbeOnEuropeanBuild", 0x008245BC, 0xE9, true, {nullptr, 'S', 'E', 1, 0, 0, 0, 'H', 0}},
    {"JumpIgnoredWithoutProbe", 0x008252FC, 0xE9, true, {nullptr, 'S', 'U', 1, 1, 0, 0, 0, 0}},
    {"UnknownKey", 0x00401000, 0xE9, false, {nullptr, 0, 0, 0, 0, 0, 0, 0, 0}},
}), [](const auto& param) { return param.param.name; });

TEST(DetectHost, ImageAwayFromPreferredBaseMatchesTheSameBuild) {
  constexpr HostAddress kOtherBase = 0x01230000;
  HostMemory memory{{kOtherBase}};
  UseHostImage(0x00C965AD, kOtherBase);
  HostIdentity identity{};
  EXPECT_TRUE(DetectHost(identity));
  EXPECT_EQ(Fields(identity), Fields({nullptr, 'I', 'U', 1, 0, 0, 4, 0, 0}));
}

TEST(DetectHost, ClearsTheOldIdentityButKeepsRevisionsARowDoesNotName) {
  HostMemory memory{{kPreferredBase}};
  UseHostImage(0x005C2130);
  HostIdentity identity{kDisplayName, 'X', 'X', 9, 9, 5, 6, 'H', 1};
  EXPECT_TRUE(DetectHost(identity));
  EXPECT_EQ(Fields(identity), Fields({nullptr, '3', 0, 1, 1, 5, 6, 0, 0}));
}

TEST(DetectHost, FailedProbeProtectionReadsNothing) {
  const ProbedHost host(0x00824570);
  fake::State().failingProtection = {kProbeAddress};
  HostIdentity identity{};
  EXPECT_TRUE(DetectHost(identity));
  EXPECT_EQ(identity.patchMark, 0);
  ASSERT_EQ(fake::State().protectionCalls.size(), 1u) << "a failed change is not restored";
}

TEST(DetectHost, ProbeRestoresTheProtectionItChanged) {
  const ProbedHost host(0x0082457C);
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
void PrintTo(const LyingHeaderCase& c, std::ostream* os) { *os << c.name; }

TEST_P(LyingHeaderCases, UnknownHostAndNothingSet) {
  HostMemory memory{{kPreferredBase}};
  UseHostImage(0x005C1E70);
  HostMemory::WriteU32(kPreferredBase + GetParam().offset, GetParam().value);
  HostIdentity identity{};
  EXPECT_FALSE(DetectHost(identity));
  EXPECT_EQ(Fields(identity), Fields({}));
}

INSTANTIATE_TEST_SUITE_P(Headers, LyingHeaderCases, ::testing::ValuesIn(std::vector<LyingHeaderCase>{
    {"NoDosSignature", 0, 0x00905A4E}, {"NewHeaderFarAway", 0x3C, 0x7FFFFFF0},
    {"NewHeaderPastFirstPage", 0x3C, 0x0FE0}, {"NoPeSignature", testing::kNewHeader, 0x00004551},
}), [](const auto& param) { return param.param.name; });

TEST(DetectHost, NoHostImageIsAnUnknownHost) {
  fake::State() = {};
  HostIdentity identity{};
  EXPECT_FALSE(DetectHost(identity));
  EXPECT_EQ(Fields(identity), Fields({}));
}

}  // namespace
}  // namespace lumavale
