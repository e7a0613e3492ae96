#pragma once
// Settings texts that test the small profile reader at its edges. The unit tests hold
// the reader to the values below; where Wine runs, the end-to-end tests hold it to
// Wine's own reads of the same texts.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "contract.h"

namespace lumavale::testing {

// What the five reads of the plug-in give for a file, as Wine 8 gives them for the
// same text (each row was checked against Wine's GetPrivateProfileIntA/StringA).
struct ProfileCase {
  std::string name;
  std::string text;
  std::uint32_t enabled;
  std::string frontend;
  std::string gameplay;
  std::uint32_t fog;
  std::uint32_t sky;
};

inline void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }

// `text` as a file saved as "Unicode": UTF-16, behind its byte order mark or without.
inline std::string Utf16(const std::string& text, bool bigEndian, bool marked = true) {
  std::string bytes = !marked ? "" : bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char c : text) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return bytes;
}

inline const std::vector<ProfileCase>& ProfileCases() {
  const std::string kD1 = kLumavaleReads[LUMAVALE_FRONTEND].defaultText;
  const std::string kD2 = kLumavaleReads[LUMAVALE_GAMEPLAY].defaultText;
  const std::string kUnicode = "[Lumavale]\r\nAmountInFrontend=2.5\r\n[Other]\r\nFog=1\r\n";
  const std::string kLong(300, '7');
  static const std::vector<ProfileCase> cases = {
      {"Empty", "", 1, kD1, kD2, 0, 0},
      {"LaterSectionOfSameNameIsNotRead",
       "[Lumavale]\nEnabled=0\n[Other]\nFog=1\n[Lumavale]\nAmountInFrontend=3\n", 0, kD1, kD2, 1, 0},
      {"SectionNameTrimmed", "[ Lumavale ]\nAmountInFrontend=3\nEnabled=0\n", 0, "3", kD2, 0, 0},
      {"NamesWithoutCase", "[lumavale]\namountinfrontend = 3\n[OTHER]\nfOG=1\n", 1, "3", kD2, 1, 0},
      {"FirstKeyCountsEvenWithoutValue",
       "[Lumavale]\nAmountInFrontend\nAmountInFrontend=5\nEnabled\nEnabled=0\n", 1, kD1, kD2, 0, 0},
      {"MatchingQuotesRemoved",
       "[Lumavale]\nAmountInFrontend='2'\nAmountInGameplay=\"2\n[Other]\nFog=\"1\"\nRemoveSkyTextures='1\"\n",
       1, "2", "\"2", 1, 0},
      {"CarriageReturnLines", "[Lumavale]\rEnabled=0\rAmountInFrontend=4\r[Other]\rFog=1\r", 0, "4", kD2, 1, 0},
      {"IntegerPrefixesLowerCaseOnly", "[Lumavale]\nEnabled=0X1\n[Other]\nFog=0b1\nRemoveSkyTextures= +0o1\n",
       0, kD1, kD2, 1, 1},
      {"KeysBeforeAnySectionAreNotInOne", "Enabled=0\n[Lumavale]\nAmountInGameplay=7\n", 1, kD1, "7", 0, 0},
      {"ByteOrderMarkAndInnerBlanksOfQuotes",
       "\xEF\xBB\xBF[Lumavale]\nEnabled=0\nAmountInFrontend=  \" 5 \"  \n", 0, " 5 ", kD2, 0, 0},
      {"TextAfterHeaderAndCommentedKey",
       "[Lumavale] ; comment\nEnabled=0\n[Other]x\nFog=1\n;RemoveSkyTextures=1\n", 0, kD1, kD2, 1, 0},
      {"UnclosedHeaderIsNoSection", "[Lumavale\nEnabled=0\n[Other]\n Fog = 1 ; on\nRemoveSkyTextures=1abc\n",
       1, kD1, kD2, 1, 1},
      {"IntegersWrapAt32BitsAndReadAt29Characters",
       "[Lumavale]\nEnabled=4294967297\nAmountInFrontend=\n[Other]\nFog=-4294967295\n"
       "RemoveSkyTextures=00000000000000000000000000000001\n",
       1, "", kD2, 1, 0},
      {"EmptyQuotesAndLoneQuote",
       "[Lumavale]\nAmountInFrontend=\"\"\nAmountInGameplay=\"\n[Other]\nFog=\"1\"x\nRemoveSkyTextures=\t1\n",
       1, "", "\"", 0, 1},
      {"Utf16LittleEndian", Utf16(kUnicode, false), 1, "2.5", kD2, 1, 0},
      {"Utf16BigEndian", Utf16(kUnicode, true), 1, "2.5", kD2, 1, 0},
      {"Utf16WithoutMarkReadsNothing", Utf16(kUnicode, false, false), 1, kD1, kD2, 0, 0},
      {"LongValueCutToTheBuffer", "[Lumavale]\nAmountInFrontend=" + kLong + "\n", 1, kLong.substr(0, 254),
       kD2, 0, 0},
      // The closing quote does not fit, yet the last character read is dropped as if it did.
      {"QuotedValueFillingTheBuffer", "[Lumavale]\nAmountInGameplay=\"" + kLong.substr(0, 254) + "\"\n", 1,
       kD1, kLong.substr(0, 253), 0, 0},
      {"WindowsLineEnds", "[Lumavale]\r\nEnabled = 0 \r\n\r\n[Other]\r\nFog=1\r\n", 0, kD1, kD2, 1, 0},
      // Every lone CR ends a line too, even in a file with CR LF line ends.
      {"LoneCarriageReturnAmongWindowsLineEnds",
       "[Lumavale]\r\nAmountInFrontend=0.5\rAmountInGameplay=2.0\r\n[Other]\nFog=1\rRemoveSkyTextures=1\n",
       1, "0.5", "2.0", 1, 1},
      {"NulEndsWhatALineSays", std::string("[Lumavale]\nAmountInFrontend=1\0=9\nEnabled=0\0\n", 44), 0, "1",
       kD2, 0, 0},
      {"FormFeedTabAndEndOfFileMarkTrimmed",
       "[Lumavale]\nAmountInFrontend=\f\t3\v\nAmountInGameplay=\x1A" "4\x1A\n", 1, "3", "4", 0, 0},
  };
  return cases;
}

}  // namespace lumavale::testing
