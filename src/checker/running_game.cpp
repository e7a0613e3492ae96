#include "checker/running_game.h"

#include <algorithm>
#include <iterator>

#include "checker/paths.h"
#include "checker/system.h"
#include "patching/host_identity.h"
#include "patching/patch_set.h"

namespace lumavale::check {
namespace {

// The game's build as the plug-in's table names it, read from the header fields the
// plug-in itself reads; empty when the header cannot be read or names no known build.
std::string BuildOf(std::uint32_t base, const system::MemoryReader& read) {
  HostAddress entryKey = 0;
  const bool keyed =
      EntryKeyOf(base, [&](HostAddress address, std::uint8_t* bytes) { return read(address, 4, bytes); }, entryKey);
  const KnownHost* known = keyed ? FindKnownHost(entryKey) : nullptr;
  if (known == nullptr) return {};
  std::string build = std::string("title ") + known->titleCode;
  if (known->regionCode != 0) build += std::string(", region ") + known->regionCode;
  build += ", version " + std::to_string(known->versionMajor) + "." + std::to_string(known->versionMinor);
  if (known->setsRevision) {
    build += "." + std::to_string(known->revisionMajor) + "." + std::to_string(known->revisionMinor);
  }
  return build;
}

}  // namespace

RunningGame LookForGame(const std::string& pluginFolder, const PluginSettings& settings) {
  RunningGame game;
  const std::string parent = ParentOf(pluginFolder);
  const std::string plugin = pluginFolder + kPluginFileName;
  for (const system::Program& program : system::RunningPrograms()) {
    const std::string folder = FolderOf(program.image);
    // Nothing else is opened: not even for reading.
    if (!SamePath(folder, pluginFolder) && (parent.empty() || !SamePath(folder, parent))) continue;
    RunningGame seen;
    seen.image = program.image;
    const bool opened = system::LookInto(program.id, [&](const std::vector<system::Module>& modules,
                                                         const system::MemoryReader& read) {
      const bool loaded = std::ranges::any_of(
          modules, [&](const system::Module& module) { return SamePath(module.path, plugin); });
      if (!loaded || modules.empty()) {
        seen.state = RunningGame::State::kWithoutPlugin;
        return;
      }
      for (std::size_t i = 0; i < std::size(kPatchSet); ++i) {
        const PatchEntry& entry = kPatchSet[i];
        if (!RowApplies(entry, settings)) continue;
        std::uint8_t bytes[4] = {};
        const std::uint32_t value = RowValue(entry, settings);
        bool same = read(entry.address, entry.width, bytes);
        for (std::uint32_t b = 0; same && b < entry.width; ++b) {
          same = bytes[b] == static_cast<std::uint8_t>(value >> (8 * b));
        }
        if (!same) seen.differing.push_back(static_cast<int>(i) + 1);
      }
      seen.state = seen.differing.empty() ? RunningGame::State::kActive : RunningGame::State::kDiffers;
      seen.build = BuildOf(modules.front().base, read);
    });
    // A program that cannot be opened is treated as not there; one with the plug-in
    // in it is the answer.
    if (opened && seen.state > game.state) game = seen;
    if (game.state >= RunningGame::State::kDiffers) break;
  }
  return game;
}

}  // namespace lumavale::check
