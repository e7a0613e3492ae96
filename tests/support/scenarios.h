#pragma once
// The start-up scenarios both loaders run: Wine (tests/e2e) and the emulated loader
// (tests/emu). A scenario is what a user's machine gives the plug-in: a settings file
// or none, where the plug-in lies and what it is called, which host build it is in.
// Also what the plug-in should store, derived from what the profile reads gave.
//
// The including target defines LUMAVALE_SOURCE_DIR.

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "c_number.h"
#include "contract.h"

namespace lumavale::scenarios {

inline constexpr std::uint32_t kAmountBufferSize = LUMAVALE_AMOUNT_BUFFER_SIZE;

inline const std::filesystem::path kSampleSettings =
    std::filesystem::path(LUMAVALE_SOURCE_DIR) / "package/LumavaleSettings.ini";

enum class Placement {
  kBesideHost,         // host, plug-in and settings in one directory
  kApartWithSpaces,    // plug-in in its own directory, spaces in its path
  kDottedNoExtension,  // extensionless plug-in in "mods.v1.2", loaded as "...\name."
  // Folders whose names the ANSI code page lacks letters for: the narrow path the
  // platform gives holds '?' there.
  kCyrillicFolder,     // everything in "Игры"
  kEmojiFolder,        // the plug-in apart, in "Mods 🎮"
};

struct Scenario {
  std::string name;
  std::optional<std::string> settings;  // the file beside the plug-in, if any
  std::string pluginName = "Lumavale.asi";
  Placement placement = Placement::kBesideHost;
  // Beside the host (or in the parent directory), where the plug-in must not look.
  std::optional<std::string> decoy{};
  // The host's entry key and the byte at the probe address; the host's own when absent.
  std::optional<std::uint32_t> entryKey{};
  std::optional<std::uint8_t> probeByte{};
  int rotate = 0;
};

// Where things lie, relative to a scenario's root directory ("" is the root).
struct Layout {
  std::string hostDir;
  std::string pluginDir;
  std::string decoyDir;
};

inline Layout LayOut(const Scenario& scenario) {
  switch (scenario.placement) {
    case Placement::kApartWithSpaces: return {"game", "My Mods/Lumavale Test", "game"};
    case Placement::kDottedNoExtension: return {"", "mods.v1.2", ""};
    case Placement::kCyrillicFolder: return {"Игры", "Игры", ""};
    case Placement::kEmojiFolder: return {"game", "Mods \U0001F3AE", "game"};
    case Placement::kBesideHost: break;
  }
  return {"", "", ""};
}

inline std::string Ini(const std::string& lumavale, const std::string& other = "") {
  return "[Lumavale]\n" + lumavale + "[Other]\n" + other;
}

inline const std::string kAllOn =
    Ini("Enabled=1\nAmountInFrontend=0.5\nAmountInGameplay=2\n", "Fog=1\nRemoveSkyTextures=1\n");
inline const std::string kDecoy =
    Ini("Enabled=0\nAmountInFrontend=3.5\nAmountInGameplay=4.5\n", "Fog=1\nRemoveSkyTextures=1\n");
inline const std::string kQuiet =
    Ini("Enabled=1\nAmountInFrontend=0.25\nAmountInGameplay=0.75\n", "Fog=0\nRemoveSkyTextures=0\n");

// A number whose 254-character cut ("1" and 253 zeros: infinity as a float) reads
// differently from the whole ("...e-250": 1000).
inline const std::string kLongAmount = "1" + std::string(253, '0') + "e-250";

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

inline Scenario Plain(std::string name, std::optional<std::string> settings) {
  return {.name = std::move(name), .settings = std::move(settings)};
}

inline Scenario Placed(std::string name, std::optional<std::string> settings, Placement placement,
                       std::string pluginName) {
  return {.name = std::move(name), .settings = std::move(settings), .pluginName = std::move(pluginName),
          .placement = placement, .decoy = kDecoy};
}

inline Scenario HostKey(std::uint32_t key, std::uint8_t probeByte, const std::string& suffix,
                        std::optional<std::string> settings) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(key));
  return {.name = "HostKey_" + std::string(hex) + suffix, .settings = std::move(settings), .entryKey = key,
          .probeByte = probeByte};
}

inline std::vector<Scenario> Scenarios() {
  std::vector<Scenario> all;
  all.push_back(Plain("NoSettingsFile", std::nullopt));
  all.push_back(Plain("SampleSettingsFile", ReadFile(kSampleSettings)));
  int count = 0;
  for (const char* enabled : {"0", "2", "-1", "1", "0x1", "01", " 1 ", "1abc", ""}) {
    all.push_back(Plain("Enabled_" + std::to_string(count++), Ini("Enabled=" + std::string(enabled) + "\n")));
  }
  all.push_back(Plain("FogAndSkyOn", kAllOn));
  all.push_back(Plain("FogAndSkyQuotedAndHex", Ini("", "Fog=\"1\"\nRemoveSkyTextures = 0x01\n")));
  all.push_back(Plain("FogAndSkyNotOne", Ini("", "Fog=2\nRemoveSkyTextures=-1\n")));
  all.push_back(Plain("FogUnderWrongSection", Ini("Fog=1\nRemoveSkyTextures=1\n")));

  const std::vector<std::string> amounts = {"0,5", "2.5abc", "", "1e39", "-1e39", "0x1.8p1", "  7.25", "+3",
                                            "-0", "inf", "nan", "1e-50", "-nan", kLongAmount, "\"0.125\""};
  for (std::size_t i = 0; i < amounts.size(); ++i) {
    all.push_back(Plain("Amount_" + std::to_string(i),
                        Ini("AmountInFrontend=" + amounts[i] +
                            "\nAmountInGameplay=" + amounts[(i + 1) % amounts.size()] + "\n")));
  }

  all.push_back({.name = "RenamedPlugin", .settings = kAllOn, .pluginName = "zz renamed.dll"});
  all.push_back(Placed("ApartWithSpaces", kQuiet, Placement::kApartWithSpaces, "Lumavale Copy.asi"));
  all.push_back(Placed("ApartWithSpacesNoFile", std::nullopt, Placement::kApartWithSpaces, "Lumavale.asi"));
  all.push_back(Placed("DottedDirectoryNoExtension", kQuiet, Placement::kDottedNoExtension, "Lumavale"));
  all.push_back(Placed("CyrillicFolder", kAllOn, Placement::kCyrillicFolder, "Lumavale.asi"));
  all.push_back(Placed("EmojiFolder", kQuiet, Placement::kEmojiFolder, "Lumavale.asi"));

  for (const std::uint32_t key : {0x00824570u, 0x0082533Cu, 0x00C965ADu, 0x00123456u}) {
    all.push_back(HostKey(key, 0xE9, "", kAllOn));
  }
  all.push_back(HostKey(0x00824570, 0x90, "_NoJump", kAllOn));
  all.push_back(HostKey(0x00824570, 0xE9, "_NoSettingsFile", std::nullopt));

  // Each span page meets every protection across the scenarios.
  for (std::size_t i = 0; i < all.size(); ++i) all[i].rotate = static_cast<int>(i % 4);
  return all;
}

// Names the scenario in failure messages instead of dumping its bytes.
inline void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

// --- What the plug-in should store ---------------------------------------------------

struct Settings {
  bool enabled;
  std::uint32_t frontendBits;
  std::uint32_t gameplayBits;
  bool fog;
  bool removeSkyTextures;
  std::string frontendText;  // as read, kept for the messages
  std::string gameplayText;
};

inline std::uint32_t AmountBits(const std::string& text) {
  return std::bit_cast<std::uint32_t>(lumavale::oracle::CAmount(text));
}

// The settings as the plug-in holds them (a PluginSettings), without texts.
template <typename Plugin>
Settings Of(const Plugin& p) {
  return {p.enabled, std::bit_cast<std::uint32_t>(p.amountInFrontend),
          std::bit_cast<std::uint32_t>(p.amountInGameplay), p.fog, p.removeSkyTextures, "", ""};
}

// From what the five profile reads gave, in the plug-in's order (an integer as its
// text): a switch is on only for exactly 1; an amount is the C library's reading.
inline Settings Expect(const std::vector<std::string>& read) {
  const auto on = [&](std::size_t i) {
    return static_cast<std::uint32_t>(std::strtoll(read[i].c_str(), nullptr, 0)) == 1;
  };
  const std::string& frontend = read[LUMAVALE_FRONTEND];
  const std::string& gameplay = read[LUMAVALE_GAMEPLAY];
  return {on(LUMAVALE_ENABLED), AmountBits(frontend), AmountBits(gameplay), on(LUMAVALE_FOG), on(LUMAVALE_SKY),
          frontend, gameplay};
}

// Equal when they lead to the same stores, however the texts were written.
inline bool SameEffect(const Settings& a, const Settings& b) {
  return a.enabled == b.enabled && a.frontendBits == b.frontendBits &&
         a.gameplayBits == b.gameplayBits && a.fog == b.fog &&
         a.removeSkyTextures == b.removeSkyTextures;
}

inline void PrintTo(const Settings& s, std::ostream* out) {
  *out << std::hex << "{enabled " << s.enabled << ", frontend \"" << s.frontendText << "\" 0x"
       << s.frontendBits << ", gameplay \"" << s.gameplayText << "\" 0x" << s.gameplayBits
       << ", fog " << s.fog << ", removeSkyTextures " << s.removeSkyTextures << "}" << std::dec;
}

struct Row {
  int row;
  std::uint32_t address;
  std::uint32_t width;
  bool applies;
  std::uint32_t value;
};

inline std::vector<Row> ExpectedRows(const Settings& s) {
  // By read: whether a switch is on, and an amount's bits.
  const bool on[LUMAVALE_READ_COUNT] = {s.enabled, true, true, s.fog, s.removeSkyTextures};
  const std::uint32_t bits[LUMAVALE_READ_COUNT] = {0, s.frontendBits, s.gameplayBits, 0, 0};
  std::vector<Row> rows;
  for (const LumavaleRow& row : kLumavaleRows) {
    rows.push_back({row.row, row.address, row.width, row.condition < 0 || on[row.condition],
                    row.amount < 0 ? row.constant : bits[row.amount]});
  }
  return rows;
}

}  // namespace lumavale::scenarios
