#include "patching/patch_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <ostream>
#include <string>
#include <vector>

#include "host_memory.h"
#include "fake_platform.h"
#include "patching/protected_access.h"

namespace lumavale {
namespace {

using testing::HostMemory;
using testing::LittleEndian;

constexpr std::uint8_t kSentinel = 0xCC;
constexpr std::uint32_t kHostProtection = 0x20;  // PAGE_EXECUTE_READ, as reported by the fake

struct Row {
  HostAddress address;
  std::uint32_t width;
};
// The host's spans as the game's modders documented them, in patch order.
constexpr Row kRows[] = {{0x00726B0A, 4}, {0x00726CEA, 4}, {0x00A63FC0, 4},
                         {0x00B74D64, 1}, {0x009EB588, 1}, {0x009EB9E8, 1}};

std::vector<std::uint8_t> ExpectedBytes(std::size_t row, const PluginSettings& settings) {
  switch (row) {
    case 0: return {0x20, 0x99, 0x9E, 0x00};
    case 1: return LittleEndian(std::bit_cast<std::uint32_t>(settings.amountInFrontend), 4);
    case 2: return LittleEndian(std::bit_cast<std::uint32_t>(settings.amountInGameplay), 4);
    case 3: return {0x01};
    default: return {0x00};
  }
}

class PatchSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::State() = {};
    fake::State().reportedProtection = kHostProtection;
    // Each span and four bytes on either side hold a sentinel.
    for (const Row& row : kRows) HostMemory::Fill(row.address - 4, row.width + 8, kSentinel);
  }
  HostMemory memory_{testing::PatchPages()};
};

struct ApplyCase {
  std::string name;
  PluginSettings settings;
  std::vector<std::size_t> rowsWritten;
};

class ApplyPatchSetCases : public PatchSetTest, public ::testing::WithParamInterface<ApplyCase> {};

// Cases print as their names, not as the bytes of the struct.
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
    EXPECT_EQ(open.address, row.address);
    EXPECT_EQ(open.size, row.width);
    EXPECT_EQ(open.protection, kPageExecuteReadWrite);
    EXPECT_EQ(open.bytes, std::vector<std::uint8_t>(row.width, kSentinel)) << "stored before opening";
    EXPECT_EQ(restore.address, row.address);
    EXPECT_EQ(restore.size, row.width);
    EXPECT_EQ(restore.protection, kHostProtection);
    EXPECT_EQ(restore.bytes, ExpectedBytes(c.rowsWritten[i], c.settings)) << "not stored before restore";
  }
  for (std::size_t r = 0; r < std::size(kRows); ++r) {
    const bool written = std::find(c.rowsWritten.begin(), c.rowsWritten.end(), r) != c.rowsWritten.end();
    const Row& row = kRows[r];
    EXPECT_EQ(HostMemory::Read(row.address, row.width),
              written ? ExpectedBytes(r, c.settings) : std::vector<std::uint8_t>(row.width, kSentinel))
        << "row " << r + 1;
    EXPECT_EQ(HostMemory::Read(row.address - 4, 4), std::vector<std::uint8_t>(4, kSentinel));
    EXPECT_EQ(HostMemory::Read(row.address + row.width, 4), std::vector<std::uint8_t>(4, kSentinel));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Switches, ApplyPatchSetCases,
    ::testing::Values(
        ApplyCase{"DefaultsWriteRowsOneToThree", {true, 0.8f, 1.25f, false, false}, {0, 1, 2}},
        ApplyCase{"DisabledStillWritesBothAmounts", {false, 0.8f, 1.25f, false, false}, {1, 2}},
        ApplyCase{"FogOnlyAddsRowFour", {false, 2.0f, -3.5f, true, false}, {1, 2, 3}},
        ApplyCase{"SkyTexturesAddRowsFiveAndSix", {true, 0.8f, 1.25f, false, true}, {0, 1, 2, 4, 5}},
        ApplyCase{"EverythingOnWritesAllSix", {true, 0.5f, 7.25f, true, true}, {0, 1, 2, 3, 4, 5}},
        ApplyCase{"ZeroAmountsStoreZeroBytes", {true, 0.0f, 0.0f, false, false}, {0, 1, 2}},
        ApplyCase{"InfiniteAmountStoresItsBits",
                  {true, std::bit_cast<float>(0x7F800000u), std::bit_cast<float>(0xFF800000u), false, false},
                  {0, 1, 2}}),
    [](const auto& param) { return param.param.name; });

TEST_F(PatchSetTest, FailedProtectionChangeStoresNothingThereAndTheWalkGoesOn) {
  fake::State().failingProtection = {0x00726B0A, 0x00A63FC0, 0x009EB588};
  ApplyPatchSet({true, 0.8f, 1.25f, true, true});

  // Every row is attempted in order; a failed open is neither stored nor restored.
  std::vector<std::pair<HostAddress, std::uint32_t>> seen;
  for (const auto& call : fake::State().protectionCalls) seen.emplace_back(call.address, call.protection);
  const std::vector<std::pair<HostAddress, std::uint32_t>> expected = {
      {0x00726B0A, 0x40},
      {0x00726CEA, 0x40}, {0x00726CEA, kHostProtection},
      {0x00A63FC0, 0x40},
      {0x00B74D64, 0x40}, {0x00B74D64, kHostProtection},
      {0x009EB588, 0x40},
      {0x009EB9E8, 0x40}, {0x009EB9E8, kHostProtection}};
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(HostMemory::Read(0x00726B0A, 4), std::vector<std::uint8_t>(4, kSentinel));
  EXPECT_EQ(HostMemory::Read(0x00A63FC0, 4), std::vector<std::uint8_t>(4, kSentinel));
  EXPECT_EQ(HostMemory::Read(0x009EB588, 1), std::vector<std::uint8_t>(1, kSentinel));
  EXPECT_EQ(HostMemory::Read(0x00726CEA, 4), LittleEndian(0x3F4CCCCD, 4));
  EXPECT_EQ(HostMemory::Read(0x00B74D64, 1), std::vector<std::uint8_t>{0x01});
  EXPECT_EQ(HostMemory::Read(0x009EB9E8, 1), std::vector<std::uint8_t>{0x00});
}

TEST_F(PatchSetTest, WritableSpanIsStillOpenedAndItsProtectionPutBack) {
  fake::State().reportedProtection = 0x04;  // PAGE_READWRITE
  ProtectedWrite(0x00726CEA, 4, 0x11223344);
  const auto& calls = fake::State().protectionCalls;
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].protection, kPageExecuteReadWrite);
  EXPECT_EQ(calls[1].protection, 0x04u);
  EXPECT_EQ(HostMemory::Read(0x00726CEA, 4), (std::vector<std::uint8_t>{0x44, 0x33, 0x22, 0x11}));
}

}  // namespace
}  // namespace lumavale
