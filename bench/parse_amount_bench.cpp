// ParseAmount against glibc's strtod rounded to float, over the kind of text a
// settings file holds: mostly short decimals, some defaults as "%f" prints them, a
// few exponents, hexadecimal and long or odd values.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "settings/number_text.h"

namespace {

constexpr const char* kInputs[] = {
    "0.8", "1.25", "0.800000", "1.250000", "2.5", "1e-3", "0.5", "1", "0", "1.0",
    "0.75", " 1.5", "-0.25", "3", "2.5e0", "0x1.8p0", "12.5abc", ".5", "1.1754944e-38",
    "3.14159265358979323846264338327950288", "0.100000000000000005551115123125782702118",
    "123456789012345678901234567890", "inf", "nan",
};

void ParseAmountMix(benchmark::State& state) {
  for (auto _ : state) {
    for (const char* text : kInputs) benchmark::DoNotOptimize(lumavale::ParseAmount(text));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(std::size(kInputs)));
}

void StrtodToFloatMix(benchmark::State& state) {
  for (auto _ : state) {
    for (const char* text : kInputs) {
      benchmark::DoNotOptimize(static_cast<float>(std::strtod(text, nullptr)));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(std::size(kInputs)));
}

// The two values the plug-in reads when the file gives no amounts.
void ParseAmountDefaults(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(lumavale::ParseAmount("0.800000"));
    benchmark::DoNotOptimize(lumavale::ParseAmount("1.250000"));
  }
}

void StrtodToFloatDefaults(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(static_cast<float>(std::strtod("0.800000", nullptr)));
    benchmark::DoNotOptimize(static_cast<float>(std::strtod("1.250000", nullptr)));
  }
}

}  // namespace

BENCHMARK(ParseAmountMix);
BENCHMARK(StrtodToFloatMix);
BENCHMARK(ParseAmountDefaults);
BENCHMARK(StrtodToFloatDefaults);
