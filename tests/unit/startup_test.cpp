#include "startup/startup.h"

#include <gtest/gtest.h>


#include "host_memory.h"
#include "fake_platform.h"
#include "settings/settings.h"

namespace lumavale {
namespace {

using testing::HostMemory;

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::State() = {};
    pluginSettings = {};
    for (HostAddress page : spans::Pages()) HostMemory::Fill(page, testing::kPageSize, 0xCC);
  }
  HostMemory memory_{spans::Pages()};
};

TEST_F(StartupTest, NotificationsOtherThanAttachDoNothing) {
  for (std::uint32_t reason : {0u, 2u, 3u}) {
    EXPECT_EQ(DllMain(nullptr, reason, nullptr), 1) << "reason " << reason;
  }
  EXPECT_TRUE(fake::State().profileReads.empty());
  EXPECT_TRUE(fake::State().protectionCalls.empty());
  EXPECT_EQ(HostMemory::Read(kLumavaleRows[0].address, 4), std::vector<std::uint8_t>(4, 0xCC));
}

TEST_F(StartupTest, AttachWithoutSettingsFileAppliesTheDefaults) {
  EXPECT_EQ(DllMain(nullptr, 1, nullptr), 1);
  EXPECT_EQ(fake::State().profileReads.size(), 5u);
  // Rows 1 to 3 with the default amounts; the three switch rows untouched.
  const std::uint32_t stored[] = {kLumavaleRows[0].constant, 0x3F4CCCCD, 0x3FA00000};
  for (const LumavaleRow& row : kLumavaleRows) {
    EXPECT_EQ(HostMemory::Read(row.address, row.width),
              row.row <= 3 ? testing::LittleEndian(stored[row.row - 1], row.width)
                           : std::vector<std::uint8_t>(row.width, 0xCC))
        << "row " << row.row;
  }
}

TEST_F(StartupTest, DetachLeavesThePatchedBytes) {
  DllMain(nullptr, 1, nullptr);
  const auto patched = HostMemory::Read(kLumavaleRows[0].address, 4);
  const auto calls = fake::State().protectionCalls.size();
  EXPECT_EQ(DllMain(nullptr, 0, nullptr), 1);
  EXPECT_EQ(HostMemory::Read(kLumavaleRows[0].address, 4), patched);
  EXPECT_EQ(fake::State().protectionCalls.size(), calls);
}

TEST_F(StartupTest, AllReadingIsDoneBeforeTheFirstWrite) {
  fake::State().files["C:\\Games\\Host\\scripts\\LumavaleSettings.ini"] = "[Other]\nFog=1\n";
  DllMain(nullptr, 1, nullptr);
  // The fake records reads and protection changes separately; the settings record is
  // complete when the first store's span is opened.
  ASSERT_FALSE(fake::State().protectionCalls.empty());
  EXPECT_EQ(fake::State().profileReads.size(), 5u);
  EXPECT_TRUE(pluginSettings.fog);
  EXPECT_EQ(HostMemory::Read(kLumavaleRows[3].address, 1), std::vector<std::uint8_t>{0x01});
}

}  // namespace
}  // namespace lumavale
