#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "c_number.h"

namespace lumavale::fuzz {

// Stops the run with the input that broke an invariant shown.
[[noreturn]] inline void Fail(const char* what, const std::string& input) {
  std::fprintf(stderr, "invariant broken: %s\ninput: %s\n", what, oracle::Printable(input).c_str());
  std::abort();
}

}  // namespace lumavale::fuzz
