#include "checker/verdict.h"

#include <algorithm>

#include "checker/paths.h"
#include "checker/utf.h"
#include "patching/patch_set.h"

namespace lumavale::check {
namespace {

std::uint32_t Mask(const PatchEntry& entry) { return entry.width >= 4 ? 0xFFFFFFFF : (1U << (8 * entry.width)) - 1; }

bool Same(const PatchEntry& entry, std::uint32_t a, std::uint32_t b) { return ((a ^ b) & Mask(entry)) == 0; }

}  // namespace

SettingsPath PathFor(const std::string& file) {
  SettingsPath path{};
  const std::u16string wide = utf::Utf16(file);
  if (wide.size() > kSettingsTextSize - 1) return path;
  if (std::ranges::all_of(file, [](char c) { return (c & 0x80) == 0; })) {
    file.copy(path.text, file.size());
  } else {
    std::ranges::copy(wide, path.wide);
  }
  return path;
}

PluginSettings SettingsOf(const std::string& file) {
  LoadSettings(PathFor(file));
  return pluginSettings;
}

bool RowVerdict::Holds() const { return writer && held && *held == written; }

GameVerdict Judge(const RunningGame& game, const std::string& shownFile) {
  GameVerdict verdict;
  for (std::size_t i = 0; i < game.loaded.size(); ++i) {
    verdict.settings.push_back(SettingsOf(SettingsFileOf(game.loaded[i])));
    if (SamePath(SettingsFileOf(game.loaded[i]), shownFile)) verdict.reader = i;
  }
  const auto readsShown = [&](std::size_t copy) { return SamePath(SettingsFileOf(game.loaded[copy]), shownFile); };
  for (std::size_t r = 0; r < std::size(kPatchSet); ++r) {
    const PatchEntry& entry = kPatchSet[r];
    RowVerdict row;
    if (r < game.rows.size() && game.rows[r]) row.held = *game.rows[r] & Mask(entry);
    for (std::size_t i = 0; i < game.loaded.size(); ++i) {
      if (RowApplies(entry, verdict.settings[i])) row.writer = i;
    }
    if (row.writer) {
      row.written = RowValue(entry, verdict.settings[*row.writer]) & Mask(entry);
      if (!row.held) {
        verdict.unread.push_back(r);
      } else if (!Same(entry, *row.held, row.written)) {
        verdict.changing.push_back(r);
      }
    } else {
      // Only a switch's row can go unwritten, and its bytes are a constant.
      row.heldAnyway = row.held && Same(entry, *row.held, entry.constant);
    }
    if (verdict.reader && row.writer && !readsShown(*row.writer)) {
      const PluginSettings& shown = verdict.settings[*verdict.reader];
      if (!RowApplies(entry, shown)) {
        verdict.writtenAnyway.push_back(r);
      } else if (!Same(entry, RowValue(entry, shown), row.written)) {
        verdict.overwritten.push_back(r);  // by a copy loaded later, as the last writer is
      }
    }
    verdict.rows.push_back(row);
  }
  return verdict;
}

}  // namespace lumavale::check
