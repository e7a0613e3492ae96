#include "checker/profile_text.h"

#include <gtest/gtest.h>

#include <string>

#include "profile_cases.h"

namespace lumavale::profile {
namespace {

class ProfileReads : public ::testing::TestWithParam<testing::ProfileCase> {};

TEST_P(ProfileReads, FileTextGivesWhatThePlatformReads) {
  const testing::ProfileCase& c = GetParam();
  const std::vector<Line> lines = Scan(c.text);
  const std::vector<std::string> expected = testing::Values(c);
  for (int i = 0; i < LUMAVALE_READ_COUNT; ++i) {
    const LumavaleRead& read = kLumavaleReads[i];
    EXPECT_EQ(read.integer ? std::to_string(Int(lines, read.section, read.key, read.defaultNumber))
                           : String(lines, read.section, read.key, read.defaultText,
                                    LUMAVALE_AMOUNT_BUFFER_SIZE),
              expected[static_cast<std::size_t>(i)])
        << read.key;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, ProfileReads, ::testing::ValuesIn(testing::ProfileCases()),
                         [](const auto& param) { return param.param.name; });

TEST(ProfileScan, LinesAreNumberedAndKindsKnown) {
  const std::vector<Line> lines = Scan("; note\n\n[Other]\nFog = 1\n[broken\nloose\n");
  ASSERT_EQ(lines.size(), 6u);
  const Line::Kind kinds[] = {Line::Kind::kComment, Line::Kind::kBlank, Line::Kind::kSection,
                              Line::Kind::kKey,     Line::Kind::kOther, Line::Kind::kKey};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].number, i + 1);
    EXPECT_EQ(lines[i].kind, kinds[i]) << "line " << i + 1;
  }
  EXPECT_EQ(lines[3].section, "Other");
  EXPECT_EQ(lines[3].key, "Fog");
  EXPECT_EQ(lines[3].value, "1");
  EXPECT_FALSE(lines[5].hasValue);
}

}  // namespace
}  // namespace lumavale::profile
