#pragma once
// The plug-in's whole effect on the host: a fixed table of stores.

#include <algorithm>
#include <bit>
#include <cstdint>

#include "platform/platform.h"
#include "settings/settings.h"

namespace lumavale {

struct PatchEntry {
  bool PluginSettings::*condition;  // null: the row always applies
  HostAddress address;
  std::uint32_t width;              // 1 or 4 bytes
  std::uint32_t constant;           // stored when `amount` is null
  float PluginSettings::*amount;    // else this amount's single-precision bits
};

inline constexpr PatchEntry kPatchSet[] = {
    {&PluginSettings::enabled, 0x00726B0A, 4, 0x009E9920, nullptr},
    {nullptr, 0x00726CEA, 4, 0, &PluginSettings::amountInFrontend},
    {nullptr, 0x00A63FC0, 4, 0, &PluginSettings::amountInGameplay},
    {&PluginSettings::fog, 0x00B74D64, 1, 0x01, nullptr},
    {&PluginSettings::removeSkyTextures, 0x009EB588, 1, 0x00, nullptr},
    {&PluginSettings::removeSkyTextures, 0x009EB9E8, 1, 0x00, nullptr},
};

static_assert(std::ranges::all_of(kPatchSet,
                                  [](const PatchEntry& entry) { return entry.width == 1 || entry.width == 4; }),
              "every row stores 1 or 4 bytes");

// Whether `entry` is written with these settings.
inline bool RowApplies(const PatchEntry& entry, const PluginSettings& settings) {
  return entry.condition == nullptr || settings.*entry.condition;
}

// The value `entry` stores (its low `width` bytes, little-endian).
inline std::uint32_t RowValue(const PatchEntry& entry, const PluginSettings& settings) {
  return entry.amount != nullptr ? std::bit_cast<std::uint32_t>(settings.*entry.amount)
                                 : entry.constant;
}

void ApplyPatchSet(const PluginSettings& settings);

}  // namespace lumavale
