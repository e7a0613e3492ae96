#include "checker/line_warnings.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "c_number.h"
#include "fake_platform.h"
#include "checker/profile_text.h"
#include "checker/report.h"
#include "report_text.h"

namespace lumavale::check {
namespace {

using enum Problem;

constexpr char kFolder[] = "C:\\Games\\Host\\scripts\\";
const std::string kFile = std::string(kFolder) + "LumavaleSettings.ini";

// --- Warnings from the lines of a file, through the whole check over the fake -----

struct Expected {
  std::uint32_t line;
  Problem problem;
  std::string advice;      // must appear in the advice; empty: not checked
  bool fixable = false;    // what the player meant is certain, and the check can write it
  std::string message = {};  // must appear in the message
};

struct WarningCase {
  std::string name;
  std::string file;
  std::vector<Expected> expected;  // in line order
};

void PrintTo(const WarningCase& c, std::ostream* os) { *os << c.name; }
class WarningCases : public ::testing::TestWithParam<WarningCase> {};

TEST_P(WarningCases, FileGivesExactlyTheseWarnings) {
  const std::string plugin = std::string(kFolder) + "Lumavale.asi";
  fake::State() = {.files = {{kFile, GetParam().file}}, .existingFiles = {plugin},
                   .versions = {{plugin, fake::kPluginVersion}}};
  const Report report = CheckSettings(kFile.c_str());

  const std::vector<Expected>& expected = GetParam().expected;
  ASSERT_EQ(report.warnings.size(), expected.size()) << report.text;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Warning& warning = report.warnings[i];
    EXPECT_EQ(warning.line, expected[i].line) << "warning " << i << "\n" << report.text;
    EXPECT_EQ(warning.problem, expected[i].problem) << "warning " << i << "\n" << report.text;
    EXPECT_NE(warning.advice.find(expected[i].advice), std::string::npos) << "advice: " << warning.advice;
    EXPECT_NE(warning.message.find(expected[i].message), std::string::npos) << "message: " << warning.message;
    EXPECT_EQ(warning.fixable, expected[i].fixable) << "warning " << i << "\n" << report.text;
    // Every warning reaches the player, with the line it concerns.
    EXPECT_NE(report.text.find("Line " + std::to_string(warning.line) + ":"), std::string::npos);
    EXPECT_TRUE(testing::Shows(report.text, warning.message.substr(0, 20))) << report.text;
  }
  EXPECT_EQ(report.status, expected.empty() ? kStatusClean : kStatusWarnings);
}

const std::string kAllKeys =
    "[Lumavale]\nEnabled=1\nAmountInFrontend=0.8\nAmountInGameplay=1.25\n"
    "[Other]\nFog=0\nRemoveSkyTextures=0\n";

std::string Main(const std::string& line) { return "[Lumavale]\n" + line + "\n"; }
std::string Other(const std::string& line) { return "[Other]\n" + line + "\n"; }

INSTANTIATE_TEST_SUITE_P(Lines, WarningCases, ::testing::ValuesIn(std::vector<WarningCase>{
    // Files the plug-in reads as they look.
    {"EveryKeyCorrect", kAllKeys, {}}, {"EmptyFile", "", {}},
    {"NotesAndBlankLines", "; my settings\n\n# more\n" + kAllKeys + "\n", {}},
    {"NamesInAnyCase", "[lumavale]\nENABLED=1\n[OTHER]\nfog=1\n", {}},
    {"CarriageReturnLineEnds", "[Other]\r\nFog=1\r\n", {}},
    // A lone CR ends a line, as the platform's reading ends it, so both keys are read.
    {"LoneCarriageReturnAmongWindowsLineEnds", "[Lumavale]\r\nAmountInFrontend=0.5\rAmountInGameplay=2.0\r\n",
     {}},
    {"QuotedAmount", Main("AmountInGameplay=\"1.5\""), {}},
    {"SpacesAroundEquals", Main("AmountInGameplay = 1.5 "), {}},
    {"ExponentAmount", Main("AmountInGameplay=15e-1"), {}},
    {"LeadingPointAmount", Main("AmountInFrontend=.5"), {}},
    {"HexAmount", Main("AmountInGameplay=0x1.8p1"), {}}, {"ZeroAmount", Main("AmountInGameplay=0"), {}},
    {"NegativeZeroAmount", Main("AmountInGameplay=-0"), {}}, {"SwitchOn", Other("Fog=1"), {}},
    {"SwitchLeadingZero", Other("Fog=01"), {}}, {"SwitchHex", Other("RemoveSkyTextures=0x1"), {}},
    {"SwitchQuoted", Other("Fog=\"1\""), {}},
    // Decimal comma.
    {"DecimalComma", Main("AmountInGameplay=1,5"), {{2, kDecimalComma, "AmountInGameplay=1.5", true, "uses 1."}}},
    {"DecimalCommaZero", Main("AmountInFrontend=0,75"), {{2, kDecimalComma, "AmountInFrontend=0.75", true}}},
    {"NegativeWithComma", Main("AmountInGameplay=-1,5"),
     {{2, kDecimalComma, "AmountInGameplay=-1.5", true}, {2, kOddAmount, "AmountInGameplay=1.25"}}},
    // Text after a number.
    {"LettersAfterAmount", Main("AmountInGameplay=2.5abc"), {{2, kIgnoredText, "AmountInGameplay=2.5 "}}},
    {"NoteAfterAmount", Main("AmountInFrontend=0.5 ; softer"), {{2, kIgnoredText, "AmountInFrontend=0.5 "}}},
    {"CommaWithoutDigitAfter", Main("AmountInFrontend=0.5,"), {{2, kIgnoredText, "AmountInFrontend=0.5 "}}},
    {"NoteAfterSwitch", Other("Fog=1 ; fog on"), {{2, kIgnoredText, "Fog=1 "}}},
    // No number at all.
    {"WordAmount", Main("AmountInGameplay=bright"), {{2, kNoNumber, "AmountInGameplay=1.25"}}},
    {"EmptyAmount", Main("AmountInFrontend="), {{2, kNoNumber, "delete the line"}}},
    {"EmptySwitch", Other("Fog="), {{2, kNoNumber, "Fog=1"}}},
    {"TwoSignsAmount", Main("AmountInGameplay=+-1"), {{2, kNoNumber, "AmountInGameplay=1.25"}}},
    // Switches that are neither 0 nor 1.
    {"FogTrue", Other("Fog=true"), {{2, kNotASwitchValue, "Write Fog=1 to turn it on", true, "as off"}}},
    {"EnabledOn", Main("Enabled=on"), {{2, kNotASwitchValue, "Write Enabled=1 to turn it on", true}}},
    {"SkyYes", Other("RemoveSkyTextures=yes"),
     {{2, kNotASwitchValue, "Write RemoveSkyTextures=1 to turn it on", true}}},
    {"FogOff", Other("Fog=off"), {{2, kNotASwitchValue, "Write Fog=1 for on, or Fog=0 for off", true}}},
    {"FogTwo", Other("Fog=2"), {{2, kNotASwitchValue, "Fog=1"}}},
    {"EnabledMinusOne", Main("Enabled=-1"), {{2, kNotASwitchValue, "Enabled=1"}}},
    {"SwitchWithDecimalPoint", Other("Fog=1.0"), {{2, kIgnoredText, "Fog=1 "}}},
    // Amounts the game cannot sensibly use.
    {"NegativeAmount", Main("AmountInGameplay=-0.5"), {{2, kOddAmount, "AmountInGameplay=1.25"}}},
    {"HugeAmount", Main("AmountInFrontend=1e39"), {{2, kOddAmount, "AmountInFrontend=0.8"}}},
    {"InfinityAmount", Main("AmountInFrontend=inf"), {{2, kOddAmount, "AmountInFrontend=0.8"}}},
    {"NotANumberAmount", Main("AmountInGameplay=nan"), {{2, kOddAmount, "AmountInGameplay=1.25"}}},
    // Names the plug-in does not know.
    {"MisspeltKey", Main("AmountGameplay=2"), {{2, kUnknownKey, "AmountInGameplay=2", true, "keeps its default (1.25)"}}},
    {"SwappedLetters", Other("Fgo=1"), {{2, kUnknownKey, "Fog=1", true}}},
    {"ShortenedKey", Other("RemoveSky=1"), {{2, kUnknownKey, "RemoveSkyTextures=1", true}}},
    {"MisspeltKeySetElsewhere", Main("AmountInGameplay=1\nAmountGameplay=2"), {{3, kUnknownKey, "AmountInGameplay=2"}}},
    {"MisspeltKeyOfOtherSection", Main("Fogg=1"), {{2, kUnknownKey, "Fog=1 under [Other]"}}},
    {"KeyWithNoLikelyMatch", Main("Brightness=3"), {{2, kUnknownKey, "In [Other]: Fog, RemoveSkyTextures"}}},
    {"MisspeltSection", "[Lumavalle]\nEnabled=0\nAmountInGameplay=2\n", {{1, kUnknownSection, "[Lumavale]", true}}},
    {"UnknownSection", "[Graphics]\nFog=1\n", {{1, kUnknownSection, "[Lumavale] and [Other]"}}},
    {"KeyInWrongSection", Main("Fog=1"), {{2, kKeyInOtherSection, "under [Other]", true}}},
    {"KeyBeforeAnySection", "Enabled=0\n[Lumavale]\n", {{1, kKeyOutsideSection, "under [Lumavale]"}}},
    // A key given twice: the first counts.
    {"KeyTwice", "[Other]\nFog=1\nFog=0\n", {{3, kRepeatedKey, "delete"}}},
    {"KeyTwiceInOtherCase", "[Other]\nFog=0\nFOG=1\n", {{3, kRepeatedKey, "delete"}}},
    {"SectionTwice", "[Other]\nFog=1\n[Other]\nRemoveSkyTextures=1\n",
     {{4, kRepeatedSection, "first [Other]"}}},
    // Lines that are not settings at all.
    {"KeyWithoutEquals", Other("Fog"), {{2, kNoEquals, "Fog=0"}}},
    {"KeyAndValueWithoutEquals", Other("Fog 1"), {{2, kNoEquals, "Write Fog=1", true}}},
    {"ValueLongerThanTheRead", Main("AmountInGameplay=1" + std::string(299, '0')),
     {{2, kOddAmount, "", false, "(its first 254 of 300 characters: the plug-in reads no more)"}}},
    {"UnclosedSection", "[Other\nFog=1\n",
     {{1, kUnreadableLine, "Name=value"}, {2, kKeyOutsideSection, "under [Other]"}}},
    // Several traps at once, reported in line order.
    {"SeveralTraps", "[Lumavale]\nAmountInGameplay=1,5\nAmountGameplay=2\n[Other]\nFog=true\nFog=1\n",
     {{2, kDecimalComma, "AmountInGameplay=1.5", true}, {3, kUnknownKey, "AmountInGameplay"},
      {5, kNotASwitchValue, "Fog=1", true}, {6, kRepeatedKey, "delete"}}},
}), [](const auto& param) { return param.param.name; });

// --- The counted line is the one the profile reads find ---------------------------

struct CountedCase {
  std::string name;
  std::string file;
  std::uint32_t fogLine;  // 0: none
};

void PrintTo(const CountedCase& c, std::ostream* os) { *os << c.name; }
class CountedLineCases : public ::testing::TestWithParam<CountedCase> {};

TEST_P(CountedLineCases, IsTheLineWhoseValueTheReadGives) {
  const profile::Profile profile(GetParam().file);
  const SettingKey& fog = kSettingKeys[3];
  ASSERT_STREQ(fog.key, "Fog");
  const std::optional<profile::Line> counted = CountedLine(profile, fog);
  EXPECT_EQ(counted ? counted->number : 0u, GetParam().fogLine);
  // The read gives the counted line's value, or its default when it has none.
  const std::string read = profile.String(fog.section, fog.key, "(default)", kSettingsTextSize);
  EXPECT_EQ(read, counted && counted->hasValue ? std::string(counted->value) : "(default)");
}

INSTANTIATE_TEST_SUITE_P(Files, CountedLineCases, ::testing::ValuesIn(std::vector<CountedCase>{
    {"Single", "[Other]\nFog=1\n", 2}, {"FirstOfTwo", "[Other]\nFog=1\nfog=0\n", 2},
    {"OnlyInSecondSection", "[Other]\nA=1\n[other]\nFog=1\n", 0},
    {"FirstSectionWins", "[Other]\nFog=0\n[Other]\nFog=1\n", 2},
    {"WithoutEqualsHidesLater", "[Other]\nFog\nFog=1\n", 2}, {"WrongSection", "[Lumavale]\nFog=1\n", 0},
    {"NoSection", "Fog=1\n", 0},
}), [](const auto& param) { return param.param.name; });

// --- Amounts written as a player would ---------------------------------------------

struct AmountTextCase {
  float amount;
  std::string text;
};

class AmountTextCases : public ::testing::TestWithParam<AmountTextCase> {};
void PrintTo(const AmountTextCase& c, std::ostream* os) { *os << c.text; }

TEST_P(AmountTextCases, ShortestTextThatReadsBack) {
  EXPECT_EQ(AmountText(GetParam().amount), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, AmountTextCases, ::testing::ValuesIn(std::vector<AmountTextCase>{
    {0.8f, "0.8"}, {1.25f, "1.25"}, {1.0f, "1"}, {0.0f, "0"}, {-0.5f, "-0.5"}, {0.1f, "0.1"},
    {1.0f / 3.0f, "0.33333334"}, {1250.0f, "1250"}, {1e-7f, "1e-7"}, {0.00001f, "0.00001"}, {1e9f, "1e9"},
    {-0.0f, "-0"}, {INFINITY, "infinity"}, {-INFINITY, "-infinity"}, {NAN, "not a number"},
}));

TEST(AmountText, EveryTextReadsBackAsTheSameAmount) {
  for (const float amount : {0.8f, 1.25f, 3.14159274f, 1e-7f, 123456.789f, 1e30f, 1.17549435e-38f,
                             1e-45f, 3.40282347e38f, 999999.9f, 0.0001f, 1e9f}) {
    EXPECT_EQ(oracle::CAmount(AmountText(amount)), amount) << AmountText(amount);
  }
}

// Across the whole range of floats, in even steps of their bits: each text reads back
// as its amount (by the C library) and is no longer than the C library's shortest.
TEST(AmountText, ShortestAcrossTheRange) {
  for (std::uint32_t bits = 1; bits < 0x7F800000u; bits += 0x00012345u) {
    const float amount = std::bit_cast<float>(bits);
    const std::string text = AmountText(amount);
    ASSERT_EQ(oracle::CAmount(text), amount) << text;
    int digits = 1;
    char shortest[64];
    for (; digits < 9; ++digits) {
      std::snprintf(shortest, sizeof shortest, "%.*g", digits, static_cast<double>(amount));
      if (oracle::CAmount(shortest) == amount) break;
    }
    std::size_t written = 0;
    for (const char c : text.substr(0, text.find('e'))) written += c >= '1' && c <= '9' ? 1 : 0;
    EXPECT_LE(written, static_cast<std::size_t>(digits)) << text << " for " << shortest;
  }
}

}  // namespace
}  // namespace lumavale::check
