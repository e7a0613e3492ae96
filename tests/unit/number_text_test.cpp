// ParseNumberText must read text exactly as glibc's strtod does, so strtod is the
// oracle everywhere: the tables name only inputs, never expected values.

#include "settings/number_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>
#include <ostream>
#include <string>
#include <vector>

#include "c_number.h"

namespace lumavale {
namespace {

using oracle::Printable;

// Empty when both readings agree with glibc, otherwise what went wrong.
std::string Mismatch(const std::string& text) {
  char* expectedEnd = nullptr;
  const double expected = std::strtod(text.c_str(), &expectedEnd);
  const double actual = ParseNumberText(text.c_str());
  const auto expectedAmount = static_cast<double>(static_cast<float>(expected));
  const auto actualAmount = static_cast<double>(ParseAmount(text.c_str()));
  const char* end = NumberTextEnd(text.c_str());
  char detail[160];
  if (!oracle::SameValue(expected, actual)) {
    std::snprintf(detail, sizeof detail, "double: strtod %a, ParseNumberText %a", expected, actual);
  } else if (!oracle::SameValue(expectedAmount, actualAmount)) {
    std::snprintf(detail, sizeof detail, "float: strtod rounded %a, ParseAmount %a", expectedAmount,
                  actualAmount);
  } else if (end != expectedEnd) {
    std::snprintf(detail, sizeof detail, "end: strtod at %td, NumberTextEnd at %td",
                  expectedEnd - text.c_str(), end - text.c_str());
  } else {
    return {};
  }
  return Printable(text) + ": " + detail;
}

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

// Pads an exact decimal with zeros to 254 characters and puts `lastDigit` last:
// '0' keeps the value exact, any other digit lifts it just above.
std::string Padded254(const std::string& exact, char lastDigit) {
  std::string text = exact + Repeat('0', 254 - exact.size());
  text.back() = lastDigit;
  return text;
}

struct HardCase {
  const char* name;
  std::string text;
  // The text lies so close to a float halfway point that rounding through double
  // differs from rounding straight to float; the test proves it stays that way.
  bool doubleRoundingMatters = false;
};

// 1 + 2^-53, exactly halfway between 1 and the next double.
const char* const kDoubleTieAfterOne = "1.00000000000000011102230246251565404236316680908203125";

std::vector<HardCase> HardCases() {
  return {
      // Float halfway points reached only by rounding to double first.
      {"FloatTieAboveOneNudgedUp", "1.00000005960464477539062500000000001", true},
      {"FloatTieToEvenUpNudgedDown", "1.00000017881393432617187499999999999", true},
      {"FloatMaxTieExactly", "340282356779733661637539395458142568448"},
      {"FloatMaxTieNudgedDown", "340282356779733661637539395458142568447", true},
      {"FloatMaxTieScientific", "3.4028235677973366e38"}, {"BelowFloatMaxTie", "3.4028235677973362e38"},
      {"AboveFloatMaxTie", "3.4028235677973370e38"},
      {"FloatMax", "3.40282346638528859811704183484516925440e38"},
      {"FloatSubnormalHalfNudgedUp", "7.006492321624085354618647916449580656401309709383e-46", true},
      {"FloatSubnormalHalfNudgedDown", "7.006492321624085354618647916449580656401309709382e-46"},
      {"FloatSubnormalHalfExactly",
       "7.00649232162408535461864791644958065640130970938257885878534141944895541342930300743319"
       "094181060791015625e-46"},
      {"FloatSubnormalHalfShort", "7.006492321624085e-46"}, {"FloatMinNormal", "1.17549435082228750797e-38"},
      {"FloatTieToEvenUpNudgedDownLong", "1.000000178813934326171874" + Repeat('9', 220), true},
      {"EightTenths", "0.800000"}, {"OneAndAQuarter", "1.250000"}, {"FloatOverflow", "1e39"},
      {"NegativeFloatOverflow", "-1e39"},
      // Double limits.
      {"DoubleMax", "1.7976931348623157e308"}, {"DoubleMaxRoundsDown", "1.7976931348623158e308"},
      {"DoubleOverflow", "1.7976931348623159e308"}, {"DoubleMinNormal", "2.2250738585072014e-308"},
      {"DoubleMaxSubnormal", "2.2250738585072009e-308"},
      {"DoubleBetweenSubnormalAndNormal", "2.2250738585072011e-308"},
      {"DoubleSubnormalTrap", "2.2250738585072012e-308"}, {"DoubleMinSubnormal", "4.9e-324"},
      {"DoubleBelowHalfMinSubnormal", "2.4703282292062327e-324"},
      {"DoubleAboveHalfMinSubnormal", "2.4703282292062328e-324"}, {"UnderflowSmall", "1e-50"},
      {"UnderflowToZero", "1e-400"}, {"DecimalOverflowHugeExponent", "1e99999999999999999999"},
      {"ZeroWithHugeExponent", "0e99999"},
      // Signs and white space.
      {"NegativeZero", "-0"}, {"PlusMinus", "+-1"}, {"MinusPlus", "-+1"}, {"MinusMinus", "--1"},
      {"SignThenSpace", "- 1"}, {"SpacesAndTab", "  \t7.25"}, {"VerticalTabThenPlus", "\v+3"},
      {"AllSixSpaces", " \t\n\v\f\r-2.5"}, {"NonBreakingSpaceIsNotSpace", "\xA0" "1"},
      // Partial numbers.
      {"Empty", ""}, {"Dot", "."}, {"MinusDot", "-."}, {"PlusDotFive", "+.5"}, {"FiveDot", "5."},
      {"BareExponent", "1e"}, {"ExponentSignOnly", "1e+"}, {"ExponentMinusOnly", "-1E-"}, {"Comma", "0,5"},
      {"TrailingLetters", "2.5abc"}, {"OnlyMinus", "-"},
      // Infinities and NaNs.
      {"Infinit", "infinit"}, {"InfinityUpper", "INFINITY"}, {"NegativeInfMixedCase", "-iNf"},
      {"NanOpenParen", "nan("}, {"NanWithChars", "nan(abc_1)"}, {"NanWithBadChar", "nan(a-b)"},
      {"NegativeNan", "-nan"}, {"PlusNanUpper", "+NAN"}, {"NegativeNanWithPayload", "-nan(123)"},
      {"InAlone", "in"}, {"NaAlone", "na"},
      // Hexadecimal.
      {"HexPrefixOnly", "0x"}, {"NegativeHexPrefixOnly", "-0x"}, {"HexPrefixThenDot", "0x."},
      {"HexPrefixThenLetter", "0xg"}, {"HexPrefixThenExponent", "0Xp1"}, {"HexDotExponent", "0x.p1"},
      {"HexMissingExponentDigits", "0x1p"}, {"HexExponentSignOnly", "0x1p-"},
      {"HexThreeHalvesTimesTwo", "0x1.8p1"}, {"HexHalf", "0x.8"}, {"HexSixteen", "0x10"},
      {"HexUpperMinSubnormal", "0X1P-1074"}, {"HexHalfMinSubnormal", "0x1p-1075"},
      {"HexJustAboveHalfMinSubnormal", "0x1.0000000000001p-1075"},
      {"HexThreeQuartersMinSubnormal", "0x1.8p-1075"}, {"HexBelowHalfMinSubnormal", "0x1p-1076"},
      {"HexSubnormalTieToEven", "0x1.8p-1074"}, {"HexSubnormalTieToEvenUp", "0x2.8p-1074"},
      {"HexTieToEvenDown", "0x1.00000000000008p0"}, {"HexTieToEvenUp", "0x1.00000000000018p0"},
      {"HexTieBrokenBySticky", "0x1.00000000000008" + Repeat('0', 40) + "1p0"},
      {"HexLongMantissaSticky", "0x1.fffffffffffff" + Repeat('f', 200)},
      {"HexLongIntegerPart", "0x" + Repeat('f', 250)},
      {"HexLongLeadingZeros", "0x0." + Repeat('0', 240) + "1p+960"},
      {"HexLongIntegerOverflow", "0x1" + Repeat('0', 256)}, {"HexDoubleMaxTie", "0x1.fffffffffffff8p1023"},
      {"HexJustBelowDoubleMaxTie", "0x1.fffffffffffff7ffp1023"},
      {"HexCarryIntoMinNormal", "0x0.fffffffffffff8p-1022"},
      // glibc ignores the 54th significant bit of a subnormal hex result.
      {"HexSubnormalWith54thBitSet", "0x1.00000000000018p-1023"},
      {"HexSubnormalWith54thBitAndSticky", "0x1.0000000000001800000000000000000001p-1023"},
      {"HexHalfMinSubnormalWith54thBitSet", "0x1.00000000000008p-1075"},
      {"HexNormalWith54thBitSet", "0x1.00000000000018p-1022"}, {"HexJustOverflows", "0x1p1024"},
      {"HexOverflowsWithFraction", "0x1.8p1024"}, {"HexHugeExponent", "0x1p99999999999"},
      {"HexExponentPast64Bits", "0x1p18446744073709551617"},
      {"HexNegativeExponentPast64Bits", "0x1p-18446744073709551615"},
      {"HexExponentPast64BitsLong", "0x1p" + Repeat('9', 240)},
      {"HexHugeNegativeExponent", "-0x1p-99999999999"}, {"HexZeroHugeExponent", "0x0p99999999999"},
      {"HexSecondDot", "0x1.8.8"},
      // 254-character inputs.
      {"OneThen253Zeros", "1" + Repeat('0', 253)},
      {"OneThen248ZerosThenExponent", "1" + Repeat('0', 248) + "e-250"},
      {"DoubleTieLongNudgedUp", Padded254(kDoubleTieAfterOne, '1')},
      {"DoubleTieLongExact", Padded254(kDoubleTieAfterOne, '0')},
      {"DoubleTieLongNines", "1.00000000000000011102230246251565404236316680908203124" + Repeat('9', 199)},
      {"LongZerosThenDigit", "0." + Repeat('0', 250) + "7"},
  };
}

class HardCaseTest : public ::testing::TestWithParam<HardCase> {};
void PrintTo(const HardCase& c, std::ostream* os) { *os << c.name; }
std::string NameOf(const ::testing::TestParamInfo<HardCase>& param) {
  return *param.param.name != '\0' ? param.param.name : "End" + std::to_string(param.index);
}

TEST_P(HardCaseTest, MatchesStrtod) {
  const std::string mismatch = Mismatch(GetParam().text);
  EXPECT_TRUE(mismatch.empty()) << mismatch;
}

INSTANTIATE_TEST_SUITE_P(NumberText, HardCaseTest, ::testing::ValuesIn(HardCases()), NameOf);
// Where numbers end, and what follows them.
INSTANTIATE_TEST_SUITE_P(Ends, HardCaseTest, ::testing::ValuesIn(std::vector<HardCase>{
    {"", "1.5"}, {"", "1,5"}, {"", "  2.5abc"}, {"", "-0.5"}, {"", "+3"}, {"", "abc"}, {"", ".5"},
    {"", "1e5"}, {"", "1e-3x"}, {"", "0X1P-2z"}, {"", "inf"}, {"", "infinity"}, {"", "-Infinityx"},
    {"", "infin"}, {"", "nan"}, {"", "nan(123)"}, {"", "NAN(abc)z"}, {"", "0.8 ; note"}, {"", "1..2"},
    {"", "00012"}, {"", "1e400"}}), NameOf);

std::vector<HardCase> DoubleRoundingCases() {
  std::vector<HardCase> chosen;
  std::ranges::copy_if(HardCases(), std::back_inserter(chosen), &HardCase::doubleRoundingMatters);
  return chosen;
}

// Guards the table itself: these inputs would lose their point if strtof and
// strtod-then-round agreed on them.
class DoubleRoundingTest : public ::testing::TestWithParam<HardCase> {};

TEST_P(DoubleRoundingTest, DiffersFromDirectFloatRounding) {
  const std::string& text = GetParam().text;
  EXPECT_FALSE(oracle::SameValue(std::strtof(text.c_str(), nullptr), ParseAmount(text.c_str())))
      << Printable(text) << " rounds the same either way";
}

INSTANTIATE_TEST_SUITE_P(NumberText, DoubleRoundingTest, ::testing::ValuesIn(DoubleRoundingCases()), NameOf);

// Number-like strings from a fixed seed, so a failure reproduces.
class TextGenerator {
 public:
  std::string Next() {
    std::string text = Spaces();
    switch (Below(9)) {
      case 0: text += Soup(); break;
      case 1: text += Signs() + Decimal(); break;
      case 2: text += Signs() + Hex(); break;
      case 3: text += Signs() + Special(); break;
      case 4: text += Signs() + NearDoubleTie(); break;
      case 5: text += Signs() + NearFloatTie(); break;
      case 6: text += Signs() + Shortest(); break;
      case 7: text += Signs() + NearHexTie(); break;
      default: text += Signs() + Decimal() + Soup(); break;
    }
    if (text.size() > 254) text.resize(254);
    return text;
  }

 private:
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine); }
  char Pick(const std::string& from) {
    return from[static_cast<std::size_t>(Below(static_cast<int>(from.size())))];
  }
  std::string Run(const std::string& from, int maxLength) {
    std::string out;
    for (int n = Below(maxLength + 1); n > 0; --n) out += Pick(from);
    return out;
  }
  // Mostly short, sometimes right up to the 254-character limit.
  int Length(int usual) { return Below(10) == 0 ? 250 : usual; }

  std::string Spaces() { return Below(3) == 0 ? Run(" \t\n\v\f\r", 3) : ""; }
  std::string Signs() {
    const int n = Below(10);
    return n < 4 ? "" : n < 8 ? std::string(1, Pick("+-")) : Run("+-", 2);
  }
  std::string Soup() { return Run(" \t\v+-0123456789.eEpPxXabcdefABCDEFinftyINFTY()_", Length(30)); }
  std::string Exponent(const char* letters, int maxDigits) {
    if (Below(3) == 0) return "";
    std::string out(1, Pick(letters));
    if (Below(2) == 0) out += Pick("+-");
    return out + Run("0123456789", maxDigits);
  }
  std::string Decimal() {
    std::string out = Run("0123456789", Length(25));
    if (Below(2) == 0) out += "." + Run("0123456789", Length(25));
    return out + Exponent("eE", Below(10) == 0 ? 14 : 3);
  }
  std::string Hex() {
    std::string out = std::string("0") + Pick("xX");
    const std::string digits = "0123456789abcdefABCDEF";
    out += Below(4) == 0 ? Run("0", 20) : "";
    out += Run(digits, Length(18));
    if (Below(2) == 0) out += "." + Run(digits, Length(18));
    // Exponents cluster where subnormals and overflow begin.
    if (Below(3) != 0) {
      static const char* const kNear[] = {"p-1074", "p-1075", "p-1076", "p-1060", "p-1022",
                                          "p-1030", "p1023",  "p1024",  "p1000",  "P-1100"};
      out += Below(2) == 0 ? std::string(kNear[Below(10)]) : Exponent("pP", 5);
    }
    return out;
  }
  // "0x1." then 56 bits: random, a set bit, then zeros. Placed where rounding cuts
  // (bit 53 for normals, higher in the subnormal range) it is an exact tie unless
  // a later digit breaks it.
  std::string NearHexTie() {
    const int cut = Below(2) == 0 ? 4 : 1 + Below(56);
    const std::uint64_t low = (std::uint64_t{1} << cut) - 1;
    const std::uint64_t bits = (engine() & 0x00FFFFFFFFFFFFFFu & ~low) | std::uint64_t{1} << (cut - 1);
    const int exponent = Below(2) == 0 && cut >= 4 ? -1022 - (cut - 4)
                         : Below(2) == 0         ? -1140 + Below(130)
                                                 : -1100 + Below(2200);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x1.%014llx", static_cast<unsigned long long>(bits));
    std::string out = buffer + Run("0", Length(10));
    if (Below(2) == 0) out += Pick("123456789abcdef");
    return out + "p" + std::to_string(exponent);
  }
  std::string Special() {
    static const char* const kWords[] = {"inf", "infinity", "nan"};
    std::string word = kWords[Below(3)];
    word.resize(static_cast<std::size_t>(Below(static_cast<int>(word.size()) + 1)));
    for (char& c : word) {
      if (Below(2) == 0) c = static_cast<char>(c - 'a' + 'A');
    }
    if (Below(2) == 0) word += "(" + Run("abcXYZ019_-.", 6) + (Below(2) == 0 ? ")" : "");
    return word;
  }
  // Random finite doubles weighted toward the subnormal and overflow edges.
  double RandomDouble() {
    std::uint64_t bits = engine() & 0x000FFFFFFFFFFFFFu;
    const int edge = Below(4);
    std::uint64_t field = edge == 0   ? static_cast<std::uint64_t>(Below(3))
                          : edge == 1 ? static_cast<std::uint64_t>(2044 + Below(3))
                          : edge == 2 ? static_cast<std::uint64_t>(1023 - 150 + Below(300))
                                      : static_cast<std::uint64_t>(Below(2047));
    return std::bit_cast<double>(bits | field << 52);
  }
  // The exact midpoint of two neighbours, printed to some length and nudged.
  std::string Nudged(std::string digits) {
    const std::size_t e = digits.find('e');
    const std::size_t last = e - 1;
    switch (Below(4)) {
      case 0: break;  // as printed: often the exact tie
      case 1: digits[last] = Pick("0123456789"); break;
      case 2: digits.insert(e, Run("0", 20) + "1"); break;
      default: digits.insert(e, Run("9", 20) + "9"); break;
    }
    return digits;
  }
  std::string NearDoubleTie() {
    const double low = RandomDouble();
    const double next = std::nextafter(low, HUGE_VAL);
    // Above the largest double the neighbour is 2^1024, where overflow begins.
    const long double high = std::isinf(next) ? std::ldexp(1.0L, 1024) : next;
    const long double tie = (static_cast<long double>(low) + high) / 2;
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*Le", 16 + Below(215), tie);
    return Nudged(buffer);
  }
  std::string NearFloatTie() {
    std::uint32_t bits = static_cast<std::uint32_t>(engine()) & 0x7FFFFFFFu;
    if (bits >= 0x7F800000u) bits -= 0x00800000u;  // finite only
    const float low = std::bit_cast<float>(bits);
    const float next = std::nextafter(low, HUGE_VALF);
    const double high = std::isinf(next) ? std::ldexp(1.0, 128) : static_cast<double>(next);
    const double tie = (static_cast<double>(low) + high) / 2;
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*e", 7 + Below(224), tie);
    return Nudged(buffer);
  }
  std::string Shortest() {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, Below(2) == 0 ? "%.17g" : "%a", RandomDouble());
    return buffer;
  }

  std::mt19937_64 engine{20240611};  // NOLINT(cert-msc32-c,cert-msc51-cpp)
};

TEST(NumberTextRandom, MatchesStrtodOnGeneratedText) {
  constexpr int kCount = 150000;
  constexpr int kShown = 20;
  TextGenerator generator;
  int mismatches = 0;
  for (int i = 0; i < kCount; ++i) {
    const std::string text = generator.Next();
    const std::string mismatch = Mismatch(text);
    if (mismatch.empty()) continue;
    if (++mismatches <= kShown) ADD_FAILURE() << mismatch;
  }
  EXPECT_EQ(mismatches, 0) << "of " << kCount << " generated strings";
}

}  // namespace
}  // namespace lumavale
