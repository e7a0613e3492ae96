// Any text of up to 254 characters (the longest value a setting can have) must read
// exactly as glibc's strtod reads it, and as its rounding to single precision.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fail.h"
#include "settings/number_text.h"

namespace {
constexpr std::size_t kLongestValue = 254;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kLongestValue) size = kLongestValue;
  // A heap block of exactly the input and a NUL, so ASan sees any read past the end;
  // an embedded NUL ends the text for both parsers, as it does in C.
  const std::unique_ptr<char[]> text(new char[size + 1]);
  if (size != 0) std::memcpy(text.get(), data, size);
  text[size] = '\0';
  const std::string shown(text.get(), size);

  const double expected = std::strtod(text.get(), nullptr);
  if (!lumavale::oracle::SameValue(expected, lumavale::ParseNumberText(text.get()))) {
    lumavale::fuzz::Fail("ParseNumberText differs from strtod", shown);
  }
  if (!lumavale::oracle::SameValue(static_cast<float>(expected), lumavale::ParseAmount(text.get()))) {
    lumavale::fuzz::Fail("ParseAmount differs from strtod rounded to float", shown);
  }
  return 0;
}
