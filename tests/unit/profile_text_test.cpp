#include "checker/profile_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "profile_cases.h"

namespace lumavale::profile {
namespace {

class ProfileReads : public ::testing::TestWithParam<testing::ProfileCase> {};

TEST_P(ProfileReads, FileTextGivesWhatThePlatformReads) {
  const testing::ProfileCase& c = GetParam();
  const Profile profile(c.text);
  // In the order of the plug-in's reads, integers in decimal.
  const std::string expected[] = {std::to_string(c.enabled), c.frontend, c.gameplay, std::to_string(c.fog),
                                  std::to_string(c.sky)};
  for (int i = 0; i < LUMAVALE_READ_COUNT; ++i) {
    const LumavaleRead& read = kLumavaleReads[i];
    EXPECT_EQ(read.integer ? std::to_string(profile.Int(read.section, read.key, read.defaultNumber))
                           : profile.String(read.section, read.key, read.defaultText,
                                            LUMAVALE_AMOUNT_BUFFER_SIZE),
              expected[i])
        << read.key;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, ProfileReads, ::testing::ValuesIn(testing::ProfileCases()),
                         [](const auto& param) { return param.param.name; });

TEST(ProfileScan, LinesAreNumberedAndKindsKnown) {
  // CR LF, a lone CR and a lone LF each end one line, as an editor shows them.
  const Profile profile("; note\r\n\r[Other]\nFog = 1\r\n[broken\nloose\n");
  LineCursor cursor(profile);
  const Line::Kind kinds[] = {Line::Kind::kComment, Line::Kind::kBlank, Line::Kind::kSection,
                              Line::Kind::kKey,     Line::Kind::kOther, Line::Kind::kKey};
  std::vector<Line> lines;
  for (Line line; cursor.Next(line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), std::size(kinds));
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
