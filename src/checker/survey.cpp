#include "checker/survey.h"

#include <algorithm>
#include <iterator>

#include "checker/line_warnings.h"
#include "checker/paths.h"
#include "checker/system.h"
#include "patching/host_identity.h"

namespace lumavale::check {
namespace {

bool EndsWithName(const std::string& name, std::string_view end) {
  return name.size() >= end.size() && profile::SameName(std::string_view(name).substr(name.size() - end.size()), end);
}

std::optional<PluginCopy> PluginAt(const std::string& path) {
  const std::optional<system::Version> version = system::VersionOf(path);
  if (!version || version->productName != "Lumavale" ||
      !profile::SameName(version->originalFilename, kPluginFileName)) {
    return std::nullopt;
  }
  return PluginCopy{path, version->fileVersion};
}

std::uint32_t Field(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<std::uint8_t>(bytes[at + i])} << (8 * i);
  return value;
}

// Whether the executable at `path`, loaded at its preferred base, spans every row:
// read from its file's PE32 header, so a program that is not the game is never opened.
bool CanHoldTheRows(const std::string& path) {
  constexpr std::size_t kImageBaseField = 0x34;   // in the NT headers
  constexpr std::size_t kSizeOfImageField = 0x50;
  constexpr std::uint16_t kPe32Magic = 0x10B;
  const std::string header = system::FileStart(path, kHeaderPage);
  if (header.size() < kNewHeaderOffsetField + 4 || !header.starts_with("MZ")) return false;
  const std::size_t nt = Field(header, kNewHeaderOffsetField);
  if (nt > header.size() || header.size() - nt < kSizeOfImageField + 4 || Field(header, nt) != kPeSignature) {
    return false;
  }
  if ((Field(header, nt + 0x18) & 0xFFFF) != kPe32Magic) return false;
  const std::uint64_t base = Field(header, nt + kImageBaseField);
  const std::uint64_t end = base + Field(header, nt + kSizeOfImageField);
  return std::ranges::all_of(kPatchSet, [&](const PatchEntry& entry) {
    return entry.address >= base && std::uint64_t{entry.address} + entry.width <= end;
  });
}

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

std::string Named(const PluginCopy& copy) {
  return copy.path.substr(FolderOf(copy.path).size()) + ", Lumavale " + copy.version;
}

std::string SettingsFileOf(const PluginCopy& copy) { return FolderOf(copy.path) + kSettingsFileName; }

std::optional<std::vector<PluginCopy>> CopiesIn(const std::string& folder) {
  const auto names = system::FilesIn(folder);
  if (!names) return std::nullopt;
  std::vector<PluginCopy> copies;
  for (const std::string& name : *names) {
    if (!EndsWithName(name, ".asi")) continue;
    if (auto copy = PluginAt(folder + name)) copies.push_back(std::move(*copy));
  }
  std::ranges::sort(copies, {}, &PluginCopy::path);
  return copies;
}

std::vector<std::string> NamesNearSettings(const std::string& folder) {
  constexpr std::string_view kStem = "LumavaleSettings";
  std::vector<std::string> near;
  for (const std::string& name : system::FilesIn(folder).value_or(std::vector<std::string>{})) {
    if (profile::SameName(name, kSettingsFileName)) continue;
    const bool sameStem = name.size() >= kStem.size() && profile::SameName(name.substr(0, kStem.size()), kStem);
    if (sameStem || NameDistance(name, kSettingsFileName) <= 2) near.push_back(name);
  }
  std::ranges::sort(near);
  return near;
}

RunningGame LookForGame(const std::string& pluginFolder) {
  RunningGame game;
  const std::string parent = ParentOf(pluginFolder);
  for (const system::Program& program : system::RunningPrograms()) {
    const std::string folder = FolderOf(program.image);
    if (!SamePath(folder, pluginFolder) && (parent.empty() || !SamePath(folder, parent))) continue;
    if (!CanHoldTheRows(program.image)) continue;
    RunningGame seen;
    seen.image = program.image;
    seen.state = RunningGame::State::kClosed;
    system::LookInto(program.id, [&](const std::vector<system::Module>& modules, const system::MemoryReader& read) {
      seen.state = RunningGame::State::kOpened;
      // The game's own image first: only the modules after it can be the plug-in.
      for (std::size_t i = 1; i < modules.size(); ++i) {
        if (auto copy = PluginAt(modules[i].path)) seen.loaded.push_back(std::move(*copy));
      }
      for (const PatchEntry& entry : kPatchSet) {
        std::uint8_t bytes[4] = {};
        std::optional<std::uint32_t> held;
        if (read(entry.address, entry.width, bytes)) {
          held = 0;
          for (std::uint32_t b = 0; b < entry.width; ++b) *held |= std::uint32_t{bytes[b]} << (8 * b);
        }
        seen.rows.push_back(held);
      }
      if (!modules.empty()) seen.build = BuildOf(modules.front().base, read);
    });
    // One that could be read, and then one with the plug-in in it, tells the most.
    const auto rank = [](const RunningGame& g) { return static_cast<int>(g.state) * 2 + (g.loaded.empty() ? 0 : 1); };
    if (rank(seen) > rank(game)) game = std::move(seen);
  }
  return game;
}

}  // namespace lumavale::check
