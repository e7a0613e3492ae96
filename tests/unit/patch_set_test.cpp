#include "patching/patch_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "host_memory.h"
#include "fake_platform.h"
#include "patching/protected_access.h"
#include "scenarios.h"

namespace lumavale {
namespace {

using testing::HostMemory;
using testing::LittleEndian;

constexpr std::uint8_t kSentinel = 0xCC;
constexpr std::uint32_t kHostProtection = 0x20;  // PAGE_EXECUTE_READ, as reported by the fake

using Row = LumavaleRow;
const auto& kRows = kLumavaleRows;

auto Sentinels(std::uint32_t count) { return std::vector<std::uint8_t>(count, kSentinel); }

std::vector<std::uint8_t> ExpectedBytes(std::size_t row, const PluginSettings& settings) {
  const scenarios::Row expected = scenarios::ExpectedRows(scenarios::Of(settings))[row];
  return LittleEndian(expected.value, expected.width);
}

class PatchSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::State() = {};
    fake::State().reportedProtection = kHostProtection;
    // Each span and four bytes on either side hold a sentinel.
    for (const Row& row : kRows) HostMemory::Fill(row.address - 4, row.width + 8, kSentinel);
  }
  HostMemory memory_{spans::Pages()};
};

struct ApplyCase {
  std::string name;
  PluginSettings settings;
  std::vector<std::size_t> rowsWritten;
};

class ApplyPatchSetCases : public PatchSetTest, public ::testing::WithParamInterface<ApplyCase> {};
void PrintTo(const ApplyCase& c, std::ostream* os) { *os << c.name; }

TEST_P(ApplyPatchSetCases, WritesExactlyTheRowsWhoseSwitchIsOnInTableOrder) {
  const ApplyCase& c = GetParam();
  ApplyPatchSet(c.settings);

  // Each written row: one open of exactly its span, then one restore of the same span.
  const auto& calls = fake::State().protectionCalls;
  ASSERT_EQ(calls.size(), 2 * c.rowsWritten.size());
  for (std::size_t i = 0; i < c.rowsWritten.size(); ++i) {
    const Row& row = kRows[c.rowsWritten[i]];
    const auto& open = calls[2 * i];
    const auto& restore = calls[2 * i + 1];
    EXPECT_EQ(std::tuple(open.address, open.size, open.protection),
              std::tuple(row.address, row.width, kPageExecuteReadWrite));
    EXPECT_EQ(open.bytes, Sentinels(row.width)) << "stored before opening";
    EXPECT_EQ(std::tuple(restore.address, restore.size, restore.protection),
              std::tuple(row.address, row.width, kHostProtection));
    EXPECT_EQ(restore.bytes, ExpectedBytes(c.rowsWritten[i], c.settings)) << "not stored before restore";
  }
  for (std::size_t r = 0; r < std::size(kRows); ++r) {
    const bool written = std::find(c.rowsWritten.begin(), c.rowsWritten.end(), r) != c.rowsWritten.end();
    const Row& row = kRows[r];
    EXPECT_EQ(HostMemory::Read(row.address, row.width),
              written ? ExpectedBytes(r, c.settings) : Sentinels(row.width)) << "row " << r + 1;
    EXPECT_EQ(HostMemory::Read(row.address - 4, 4), Sentinels(4));
    EXPECT_EQ(HostMemory::Read(row.address + row.width, 4), Sentinels(4));
  }
}

INSTANTIATE_TEST_SUITE_P(Switches, ApplyPatchSetCases, ::testing::ValuesIn(std::vector<ApplyCase>{
    {"DefaultsWriteRowsOneToThree", {true, 0.8f, 1.25f, false, false}, {0, 1, 2}},
    {"DisabledStillWritesBothAmounts", {false, 0.8f, 1.25f, false, false}, {1, 2}},
    {"FogOnlyAddsRowFour", {false, 2.0f, -3.5f, true, false}, {1, 2, 3}},
    {"SkyTexturesAddRowsFiveAndSix", {true, 0.8f, 1.25f, false, true}, {0, 1, 2, 4, 5}},
    {"EverythingOnWritesAllSix", {true, 0.5f, 7.25f, true, true}, {0, 1, 2, 3, 4, 5}},
    {"ZeroAmountsStoreZeroBytes", {true, 0.0f, 0.0f, false, false}, {0, 1, 2}},
    {"InfiniteAmountStoresItsBits",
     {true, std::bit_cast<float>(0x7F800000u), std::bit_cast<float>(0xFF800000u), false, false}, {0, 1, 2}},
}), [](const auto& param) { return param.param.name; });

TEST_F(PatchSetTest, FailedProtectionChangeStoresNothingThereAndTheWalkGoesOn) {
  // Rows 1, 3 and 5 cannot be opened.
  for (std::size_t r = 0; r < std::size(kRows); r += 2) fake::State().failingProtection.insert(kRows[r].address);
  const PluginSettings settings{true, 0.8f, 1.25f, true, true};
  ApplyPatchSet(settings);

  // Every row is attempted in order; a failed open is neither stored nor restored.
  std::vector<std::pair<HostAddress, std::uint32_t>> seen;
  for (const auto& call : fake::State().protectionCalls) seen.emplace_back(call.address, call.protection);
  std::vector<std::pair<HostAddress, std::uint32_t>> expected;
  for (std::size_t r = 0; r < std::size(kRows); ++r) {
    expected.emplace_back(kRows[r].address, 0x40);
    if (r % 2 == 1) expected.emplace_back(kRows[r].address, kHostProtection);
  }
  EXPECT_EQ(seen, expected);
  for (std::size_t r = 0; r < std::size(kRows); ++r) {
    EXPECT_EQ(HostMemory::Read(kRows[r].address, kRows[r].width),
              r % 2 == 0 ? Sentinels(kRows[r].width) : ExpectedBytes(r, settings)) << "row " << r + 1;
  }
}

TEST_F(PatchSetTest, WritableSpanIsStillOpenedAndItsProtectionPutBack) {
  fake::State().reportedProtection = 0x04;  // PAGE_READWRITE
  const HostAddress span = kRows[1].address;
  ProtectedWrite(span, 4, 0x11223344);
  const auto& calls = fake::State().protectionCalls;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].protection, kPageExecuteReadWrite);
  EXPECT_EQ(calls[1].protection, 0x04u);
  EXPECT_EQ(HostMemory::Read(span, 4), (std::vector<std::uint8_t>{0x44, 0x33, 0x22, 0x11}));
}

}  // namespace
}  // namespace lumavale
