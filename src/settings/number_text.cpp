#include "settings/number_text.h"

#include <bit>
#include <cstdint>

// fast_float casts C-style; keep our warning set for our own code only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
#include <fast_float/fast_float.h>
#pragma GCC diagnostic pop

namespace lumavale {
namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Value of a hexadecimal digit, or -1.
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// The binary exponent is written in decimal and may be absurdly long. Past this
// bound the result is already 0 or infinity for any mantissa a string can hold,
// while the sum with the digit-position adjustment still fits in 64 bits.
constexpr std::int64_t kExponentCap = std::int64_t{1} << 40;

// `text` points just past "0x"; `*end` is set where strtod stops: past the digits, and
// past the exponent when a digit follows 'p' and its sign, or, with no hex digit at
// all, just past the "0". Rounds to nearest, ties to even, with one glibc exception
// below.
double ParseHexMagnitude(const char* text, const char** end) {
  std::uint64_t mantissa = 0;
  std::int64_t exponent = 0;  // value = mantissa * 2^exponent, plus `sticky` below it
  bool sticky = false;        // nonzero digits that did not fit in `mantissa`
  bool seenPoint = false;
  bool seenDigit = false;
  const char* zero = text - 2;
  for (;; ++text) {
    if (*text == '.' && !seenPoint) {
      seenPoint = true;
      continue;
    }
    const int digit = HexDigit(*text);
    if (digit < 0) break;
    seenDigit = true;
    if (mantissa < (std::uint64_t{1} << 60)) {
      mantissa = mantissa * 16 + static_cast<std::uint64_t>(digit);
      if (seenPoint) exponent -= 4;
    } else {
      sticky = sticky || digit != 0;
      if (!seenPoint) exponent += 4;
    }
  }
  // An exponent counts only when at least one digit follows 'p' and its sign.
  if (*text == 'p' || *text == 'P') {
    const char* p = text + 1;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (IsDecimalDigit(*p)) {
      std::int64_t written = 0;
      for (; IsDecimalDigit(*p); ++p) {
        if (written < kExponentCap) written = written * 10 + (*p - '0');
      }
      exponent += negative ? -written : written;
      text = p;
    }
  }
  *end = seenDigit ? text : zero + 1;
  if (mantissa == 0) return 0.0;

  // Put the leading one at bit 63; `top` is then the power of two of that bit.
  while ((mantissa >> 63) == 0) {
    mantissa <<= 1;
    --exponent;
  }
  const std::int64_t top = exponent + 63;
  if (top > 1023) return std::bit_cast<double>(std::uint64_t{0x7FF0000000000000});

  // Normal numbers keep 53 bits; subnormals keep fewer, down to none.
  std::int64_t drop = 11;
  if (top < -1022) {
    drop += -1022 - top;
    // glibc's strtod ignores the bit just below the 53rd significant one when a
    // hexadecimal result is subnormal; its exact result is the contract, so we
    // ignore it too.
    mantissa &= ~(std::uint64_t{1} << 10);
  }
  if (drop > 64) return 0.0;  // below half the smallest subnormal

  const std::uint64_t kept = drop == 64 ? 0 : mantissa >> drop;
  const std::uint64_t rest = drop == 64 ? mantissa : mantissa & ((std::uint64_t{1} << drop) - 1);
  const std::uint64_t half = std::uint64_t{1} << (drop - 1);
  const bool roundUp = rest > half || (rest == half && (sticky || (kept & 1) != 0));

  // The implicit one in `kept` adds one to the exponent field, so the field is
  // written one lower; a carry out of the mantissa then lands correctly, even
  // into infinity.
  const std::uint64_t field = top >= -1022 ? static_cast<std::uint64_t>(top + 1022) : 0;
  return std::bit_cast<double>((field << 52) + kept + (roundUp ? 1 : 0));
}

// The number at the start of `start`, and in `*end` where its text stops (`start`
// itself when there is none).
// Inlined into both readers: the plug-in's, which never asks where a number ends,
// then carries none of that bookkeeping.
[[gnu::always_inline]] inline double Parse(const char* start, const char** end) {
  const char* text = start;
  *end = start;
  while (IsSpace(*text)) ++text;
  const bool negative = *text == '-';
  if (*text == '+' || *text == '-') ++text;
  if (*text == '+' || *text == '-') return 0.0;

  double magnitude = 0.0;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    // With no hex digit after it, strtod reads just the "0": zero all the same.
    magnitude = ParseHexMagnitude(text + 2, end);
  } else {
    const char* last = text;
    while (*last != '\0') ++last;
    // On failure fast_float leaves `magnitude` alone, but no number at all is an
    // unsigned zero even after a '-'.
    const auto read = fast_float::from_chars(text, last, magnitude);
    if (read.ec == std::errc::invalid_argument) return 0.0;
    *end = read.ptr;
  }
  return negative ? -magnitude : magnitude;
}

}  // namespace

double ParseNumberText(const char* text) {
  const char* end = nullptr;
  return Parse(text, &end);
}

const char* NumberTextEnd(const char* text) {
  const char* end = nullptr;
  Parse(text, &end);
  return end;
}

float ParseAmount(const char* text) { return static_cast<float>(ParseNumberText(text)); }

}  // namespace lumavale
