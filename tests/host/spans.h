#pragma once
// The spans the plug-in writes, as the stand-in hosts watch them.

#include <cstddef>
#include <cstdint>

struct Span {
  int row;
  std::uintptr_t address;
  std::size_t width;
  const char* condition;
};

inline constexpr Span kSpans[] = {
    {1, 0x00726B0A, 4, "Enabled"},
    {2, 0x00726CEA, 4, "always"},
    {3, 0x00A63FC0, 4, "always"},
    {4, 0x00B74D64, 1, "Fog"},
    {5, 0x009EB588, 1, "RemoveSkyTextures"},
    {6, 0x009EB9E8, 1, "RemoveSkyTextures"},
};
