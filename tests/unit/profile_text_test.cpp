#include "platform/profile_text.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace lumavale::profile {
namespace {

// What the five reads of the plug-in give for a file, as Wine 8 gives them for the
// same text (each row was checked against Wine's GetPrivateProfileIntA/StringA).
struct ReadCase {
  std::string name;
  std::string text;
  std::uint32_t enabled;
  std::string frontend;
  std::string gameplay;
  std::uint32_t fog;
  std::uint32_t sky;
};

class ProfileReads : public ::testing::TestWithParam<ReadCase> {};

// Cases print as their names, not as the bytes of the struct.
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

TEST_P(ProfileReads, FileTextGivesWhatThePlatformReads) {
  const ReadCase& c = GetParam();
  const std::vector<Line> lines = Scan(c.text);
  EXPECT_EQ(Int(lines, "Lumavale", "Enabled", 1), c.enabled);
  EXPECT_EQ(String(lines, "Lumavale", "AmountInFrontend", "0.800000", 255), c.frontend);
  EXPECT_EQ(String(lines, "Lumavale", "AmountInGameplay", "1.250000", 255), c.gameplay);
  EXPECT_EQ(Int(lines, "Other", "Fog", 0), c.fog);
  EXPECT_EQ(Int(lines, "Other", "RemoveSkyTextures", 0), c.sky);
}

const std::string kD1 = "0.800000";
const std::string kD2 = "1.250000";

INSTANTIATE_TEST_SUITE_P(
    Files, ProfileReads,
    ::testing::Values(
        ReadCase{"Empty", "", 1, kD1, kD2, 0, 0},
        ReadCase{"LaterSectionOfSameNameIsNotRead",
                 "[Lumavale]\nEnabled=0\n[Other]\nFog=1\n[Lumavale]\nAmountInFrontend=3\n", 0, kD1,
                 kD2, 1, 0},
        ReadCase{"SectionNameTrimmed", "[ Lumavale ]\nAmountInFrontend=3\nEnabled=0\n", 0, "3", kD2,
                 0, 0},
        ReadCase{"NamesWithoutCase", "[lumavale]\namountinfrontend = 3\n[OTHER]\nfOG=1\n", 1, "3",
                 kD2, 1, 0},
        ReadCase{"FirstKeyCountsEvenWithoutValue",
                 "[Lumavale]\nAmountInFrontend\nAmountInFrontend=5\nEnabled\nEnabled=0\n", 1, kD1,
                 kD2, 0, 0},
        ReadCase{"MatchingQuotesRemoved",
                 "[Lumavale]\nAmountInFrontend='2'\nAmountInGameplay=\"2\n[Other]\nFog=\"1\"\n"
                 "RemoveSkyTextures='1\"\n",
                 1, "2", "\"2", 1, 0},
        ReadCase{"CarriageReturnLines", "[Lumavale]\rEnabled=0\rAmountInFrontend=4\r[Other]\rFog=1\r",
                 0, "4", kD2, 1, 0},
        ReadCase{"IntegerPrefixesLowerCaseOnly",
                 "[Lumavale]\nEnabled=0X1\n[Other]\nFog=0b1\nRemoveSkyTextures= +0o1\n", 0, kD1,
                 kD2, 1, 1},
        ReadCase{"KeysBeforeAnySectionAreNotInOne", "Enabled=0\n[Lumavale]\nAmountInGameplay=7\n", 1,
                 kD1, "7", 0, 0},
        ReadCase{"ByteOrderMarkAndInnerBlanksOfQuotes",
                 "\xEF\xBB\xBF[Lumavale]\nEnabled=0\nAmountInFrontend=  \" 5 \"  \n", 0, " 5 ", kD2,
                 0, 0},
        ReadCase{"TextAfterHeaderAndCommentedKey",
                 "[Lumavale] ; comment\nEnabled=0\n[Other]x\nFog=1\n;RemoveSkyTextures=1\n", 0, kD1,
                 kD2, 1, 0},
        ReadCase{"UnclosedHeaderIsNoSection",
                 "[Lumavale\nEnabled=0\n[Other]\n Fog = 1 ; on\nRemoveSkyTextures=1abc\n", 1, kD1,
                 kD2, 1, 1},
        ReadCase{"IntegersWrapAt32BitsAndReadAt29Characters",
                 "[Lumavale]\nEnabled=4294967297\nAmountInFrontend=\n[Other]\nFog=-4294967295\n"
                 "RemoveSkyTextures=00000000000000000000000000000001\n",
                 1, "", kD2, 1, 0},
        ReadCase{"EmptyQuotesAndLoneQuote",
                 "[Lumavale]\nAmountInFrontend=\"\"\nAmountInGameplay=\"\n[Other]\nFog=\"1\"x\n"
                 "RemoveSkyTextures=\t1\n",
                 1, "", "\"", 0, 1},
        ReadCase{"WindowsLineEnds", "[Lumavale]\r\nEnabled = 0 \r\n\r\n[Other]\r\nFog=1\r\n", 0, kD1,
                 kD2, 1, 0}),
    [](const auto& param) { return param.param.name; });

TEST(ProfileCut, LongValueIsCutToTheBufferAndLosesOnlyAClosingQuoteThatFits) {
  const std::string body(300, '7');
  const std::vector<Line> plain = Scan("[Lumavale]\nAmountInFrontend=" + body + "\n");
  EXPECT_EQ(String(plain, "Lumavale", "AmountInFrontend", "", 255), body.substr(0, 254));
  // 254 characters and the closing quote fill the buffer: the last character goes.
  const std::vector<Line> quoted =
      Scan("[Lumavale]\nAmountInFrontend=\"" + body.substr(0, 254) + "\"\n");
  EXPECT_EQ(String(quoted, "Lumavale", "AmountInFrontend", "", 255), body.substr(0, 253));
}

// Saved as "Unicode": UTF-16 behind its byte order mark, in either byte order.
TEST(ProfileScan, Utf16FileWithByteOrderMarkReadsLikeItsText) {
  const std::string text = "[Lumavale]\r\nAmountInFrontend=2.5\r\n[Other]\r\nFog=1\r\n";
  for (const bool bigEndian : {false, true}) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    const std::vector<Line> lines = Scan(bytes);
    EXPECT_EQ(String(lines, "Lumavale", "AmountInFrontend", "", 255), "2.5") << bigEndian;
    EXPECT_EQ(Int(lines, "Other", "Fog", 0), 1u) << bigEndian;
  }
  // Without the mark the zero bytes are read as they stand, and no key is found.
  std::string unmarked;
  for (const char c : text) unmarked += std::string{c, '\0'};
  EXPECT_EQ(Int(Scan(unmarked), "Other", "Fog", 0), 0u);
}

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
