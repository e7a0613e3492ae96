// End to end: LumavaleCheck.exe under Wine on real files laid out as a player would,
// one fresh game folder per case. Each case checks the exit status and the lines a
// player relies on; where the plug-in lies beside the file, the rows the check says
// the plug-in will write are held against what the real plug-in writes into the
// stand-in host from the same file.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "checker/words.h"
#include "host_output.h"
#include "profile_cases.h"
#include "report_text.h"
#include "scenarios.h"
#include "wine.h"

namespace {

namespace fs = std::filesystem;
using lumavale::testing::Bytes;
using lumavale::testing::Shows;
using lumavale::testing::Utf16;
using lumavale::wine::WindowsPath;

const fs::path kWin32Dir = LUMAVALE_WIN32_DIR;
const fs::path kChecker = kWin32Dir / "LumavaleCheck.exe";
const fs::path kPlugin = kWin32Dir / "Lumavale.asi";
const fs::path kHost = kWin32Dir / "tests/host/standin_host.exe";
const fs::path kBareHost = kWin32Dir / "tests/host/bare_host.exe";
const fs::path kNotThePlugin = kWin32Dir / "tests/host/not_the_plugin.dll";

constexpr char kSettings[] = "LumavaleSettings.ini";

const std::string kAllKeys =
    "; every key, each as the plug-in reads it\r\n"
    "[Lumavale]\r\nEnabled=1\r\nAmountInFrontend=0.5\r\nAmountInGameplay=2\r\n\r\n"
    "[Other]\r\nFog=1\r\nRemoveSkyTextures=1\r\n";

// Two files for two copies: the game folder's turns the effect and the fog on at 0.5;
// the scripts folder's turns them off at 0.7 (0x3F333333).
const std::string kGameFileOn = "[Lumavale]\r\nEnabled=1\r\nAmountInFrontend=0.5\r\n[Other]\r\nFog=1\r\n";
const std::string kScriptsFileOff = "[Lumavale]\r\nEnabled=0\r\nAmountInFrontend=0.7\r\n[Other]\r\nFog=0\r\n";

// Where things lie in the game folder, which has a "scripts" folder and a
// "mods\lighting" folder inside; in a folder whose name Wine's default ANSI code page
// cannot hold; or in a folder of the player's apart from the game.
enum class Place { kNowhere, kGame, kScripts, kRussian, kEmoji, kMods, kDesk };

struct CheckCase {
  std::string name;
  Place settingsAt;     // where LumavaleSettings.ini lies
  std::string settings; // its text; "@folder": a folder of that name; "@lines", "@large":
                        // 5 MiB of one-character lines, 250 MiB of long ones
  Place pluginAt;       // where Lumavale.asi lies
  Place checkerAt;      // where LumavaleCheck.exe lies (and runs)
  std::string argument; // "" none; "@game", "@scripts", "@russian": the settings file there,
                        // by full path; anything else is passed as written
  int status;
  std::vector<std::string> lines;  // each must appear in the output
  // A stand-in game running from the game folder while the check runs: with the
  // plug-in from where it lies loaded, without it, or with a second copy from the game
  // folder loaded first; or only a program that is not the game (a launcher). And the
  // settings file as it is written after the game started, if it changes.
  enum class Game { kNone, kWithPlugin, kWithoutPlugin, kWithTwoCopies, kLauncher } game = Game::kNone;
  std::string later = {};
  std::string pluginName = "Lumavale.asi";
  std::string firstCopySettings = {};  // kWithTwoCopies: the file beside the game folder's copy, if any
  bool notThePlugin = false;           // a DLL without the plug-in's version information lies where it should
  bool otherPrefix = false;            // the game runs in a Wine prefix of its own
  std::vector<std::string> hides = {}; // must not appear in the output
  // Besides: "wow64" (the game and the check in a 64-bit prefix), "drive" or "link" (the game started through a
  // drive letter or a Unix link), "readonly" (the settings file), "LANG=xx_XX.UTF-8" (the player's locale).
  std::string how = {};
  std::vector<std::string> options = {};            // before the argument
  std::map<std::string, std::string> files = {};    // other files beside the settings file
  std::map<std::string, std::string> after = {};    // files there afterwards; "" none
};
using Game = CheckCase::Game;

// Cases print as their names, not as bytes.
void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

// The most common case: the settings file, the plug-in and the check in the scripts
// folder, the check started without an argument.
CheckCase InScripts(std::string name, std::string settings, int status, std::vector<std::string> lines,
                    Game game = Game::kNone, std::string later = "") {
  return {std::move(name), Place::kScripts, std::move(settings), Place::kScripts, Place::kScripts, "", status,
          std::move(lines), game, std::move(later)};
}

// A file with a comma, a word for a switch and a misspelt key, and the same fixed.
const std::string kTraps = "; mine\r\n[Lumavale]\r\nAmountInGameplay=1,5\r\nEnabeld=1\r\n[Other]\r\nFog=true\r\n";
const std::string kTrapsFixed = "; mine\r\n[Lumavale]\r\nAmountInGameplay=1.5\r\nEnabled=1\r\n[Other]\r\nFog=1\r\n";

CheckCase With(CheckCase c, std::string how, std::vector<std::string> options = {},
               std::map<std::string, std::string> files = {}, std::map<std::string, std::string> after = {}) {
  std::tie(c.how, c.options, c.files, c.after) = std::tie(how, options, files, after);
  return c;
}

// The same report in a player's language: no English, the same lines from the file and bytes.
CheckCase Spoken(std::string name, std::string how, std::vector<std::string> options) {
  CheckCase c = With(InScripts(std::move(name), "[Lumavale]\r\nAmountInGameplay=1,5\r\n", 1,
                               {"AmountInGameplay=1,5\n", "@3 := 00 00 80 3F"}), std::move(how), std::move(options));
  c.hides = {"What the plug-in", "What to do", "A comma is not a decimal point"};
  return c;
}

std::string Normalised(std::string out) {
  std::erase(out, '\r');
  return out;
}

// The rows of the report by address, in any language: the bytes of a "row N  address
// := bytes" row, none for a "not written" one.
std::map<std::uint32_t, Bytes> ReportedRows(const std::string& out) {
  std::map<std::uint32_t, Bytes> rows;
  const std::regex row("\\n  [^\\n]*? [1-6]  0x([0-9A-F]{8})(?: := ((?:[0-9A-F]{2} ?)+))?");
  for (std::sregex_iterator at(out.begin(), out.end(), row), end; at != end; ++at) {
    std::string bytes = (*at)[2];
    std::erase(bytes, ' ');
    rows[static_cast<std::uint32_t>(std::stoul((*at)[1], nullptr, 16))] = lumavale::testing::FromHex(bytes);
  }
  return rows;
}

// What the real plug-in wrote into the stand-in host, by address: the row's bytes,
// none when they did not change.
std::map<std::uint32_t, Bytes> HostRows(const std::string& out) {
  std::map<std::uint32_t, Bytes> rows;
  for (const lumavale::testing::SpanRecord& span : lumavale::testing::ParseHostOutput(out).spans) {
    const Bytes now = span.Row(span.after);
    rows[span.address] = span.Row(span.before) == now ? Bytes{} : now;
  }
  return rows;
}

class CheckerCases : public lumavale::wine::Sandbox,
                     public ::testing::WithParamInterface<CheckCase> {
 protected:
  CheckerCases() : lumavale::wine::Sandbox({kChecker, kPlugin}) {}

  void SetUp() override {
    lumavale::wine::Sandbox::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    for (const Place place : {Place::kScripts, Place::kRussian, Place::kEmoji, Place::kMods, Place::kDesk}) {
      fs::create_directories(Folder(place));
    }
  }

  fs::path Folder(Place place) const {
    if (place == Place::kRussian) return root / "Игры";
    if (place == Place::kEmoji) return root / "Mods \U0001F3AE";
    if (place == Place::kMods) return root / "game" / "mods" / "lighting";
    if (place == Place::kDesk) return root / "desk";
    return place == Place::kScripts ? root / "game" / "scripts" : root / "game";
  }
};

constexpr std::pair<const char*, Place> kMarks[] = {
    {"@game", Place::kGame}, {"@scripts", Place::kScripts}, {"@russian", Place::kRussian},
    {"@emoji", Place::kEmoji}, {"@mods", Place::kMods}, {"@desk", Place::kDesk}};

// A settings file with a warning on every line after its first few.
void WriteLargeFile(const fs::path& path, std::size_t lines, std::size_t valueLength) {
  std::ofstream file(path, std::ios::binary);
  file << "[Lumavale]\r\nAmountInFrontend=0.5\r\n";
  const std::string line = valueLength == 0 ? "x\n" : "x=" + std::string(valueLength, 'y') + "\r\n";
  for (std::size_t i = 0; i < lines; ++i) file << line;
}

TEST_P(CheckerCases, StatusAndReport) {
  const CheckCase& c = GetParam();
  const fs::path settings = Folder(c.settingsAt) / kSettings;
  if (c.settingsAt == Place::kNowhere || c.settings == "@none") {
  } else if (c.settings == "@folder") {
    fs::create_directory(settings);
  } else if (c.settings == "@lines") {
    WriteLargeFile(settings, 5 << 19, 0);
  } else if (c.settings == "@large") {
    WriteLargeFile(settings, 250 << 10, 998);
  } else {
    std::ofstream(settings, std::ios::binary) << c.settings;
  }
  if (c.pluginAt != Place::kNowhere) {
    fs::copy_file(c.notThePlugin ? kNotThePlugin : kPlugin, Folder(c.pluginAt) / c.pluginName);
  }
  const fs::path checker = Folder(c.checkerAt) / "LumavaleCheck.exe";
  fs::copy_file(kChecker, checker);

  const auto how = [&](const char* word) { return c.how.find(word) != std::string::npos; };
  if (how("wow64") && !fs::exists("/usr/lib/wine/wine64")) GTEST_SKIP() << "wine64 is not installed";
  const char* prefix = how("wow64") ? LUMAVALE_WINEPREFIX "64" : LUMAVALE_WINEPREFIX;
  const std::string locale = how("LANG=") ? c.how.substr(c.how.find("LANG=") + 5) : std::string();
  const std::vector<std::string> env = {"LANG=" + (locale.empty() ? "C.UTF-8" : locale), "LOCPATH=" LUMAVALE_LOCALES};
  if (!locale.empty() && !fs::exists(fs::path(LUMAVALE_LOCALES) / locale)) GTEST_SKIP() << "no locale " << locale;
  for (const auto& [name, text] : c.files) std::ofstream(Folder(c.settingsAt) / name, std::ios::binary) << text;
  if (how("readonly")) fs::permissions(settings, fs::perms::owner_write, fs::perm_options::remove);
  // The game's side: its paths through a drive letter (Q: onto the folder above the
  // game's) or a Unix link, as a launcher may start it.
  const fs::path drive = fs::path(prefix) / "dosdevices" / "q:";
  const fs::path link = root.string() + "-link";
  fs::remove(drive), fs::remove(link);  // left behind by a run that stopped before its end
  if (how("drive")) fs::create_directory_symlink(root, drive);
  if (how("link")) fs::create_directory_symlink(root, link);
  const auto gameSide = [&](const fs::path& path) {
    const std::string rest = path.string().substr(root.string().size());
    return how("drive") ? "Q:" + WindowsPath(rest).substr(2) : WindowsPath(how("link") ? fs::path(link.string() + rest) : path);
  };
  std::optional<lumavale::wine::Running> game;
  if (c.game != Game::kNone) {
    const fs::path stop = root / "stop";
    const bool launcher = c.game == Game::kLauncher;
    const fs::path host = Folder(Place::kGame) / (launcher ? "launcher.exe" : "standin_host.exe");
    fs::copy_file(launcher ? kBareHost : kHost, host);
    // The entry key of a build the plug-in's table knows.
    std::vector<std::string> hostArgs{"--entry", "0x0082533C", "--wait-for", WindowsPath(stop)};
    if (launcher) hostArgs.erase(hostArgs.begin(), hostArgs.begin() + 2);
    if (c.game == Game::kWithoutPlugin) hostArgs.push_back("-");
    if (c.game == Game::kWithTwoCopies) {
      fs::copy_file(kPlugin, Folder(Place::kGame) / "Lumavale.asi");
      if (!c.firstCopySettings.empty()) std::ofstream(Folder(Place::kGame) / kSettings) << c.firstCopySettings;
      hostArgs.push_back(gameSide(Folder(Place::kGame) / "Lumavale.asi"));
    }
    if (c.game == Game::kWithPlugin || c.game == Game::kWithTwoCopies) {
      hostArgs.push_back(gameSide(Folder(c.pluginAt) / c.pluginName));
    }
    game.emplace(gameSide(host), hostArgs, Folder(Place::kGame), stop,
                 c.otherPrefix ? lumavale::wine::kOtherPrefix : prefix);
    ASSERT_TRUE(game->Ready()) << "the stand-in game did not start";
    if (!c.later.empty()) std::ofstream(settings, std::ios::binary) << c.later;
  }

  std::vector<std::string> args = c.options;
  for (const auto& [mark, place] : kMarks) {
    if (c.argument == mark) args.push_back(WindowsPath(Folder(place) / kSettings));
    if (c.argument == std::string(mark) + "/") args.push_back(WindowsPath(Folder(place)));
  }
  if (args.size() == c.options.size() && !c.argument.empty()) args.push_back(c.argument);
  const lumavale::wine::Run run = lumavale::wine::RunProgram(checker, args, Folder(c.checkerAt), prefix, env);
  const std::string out = Normalised(run.out);
  fs::remove(drive);
  fs::remove(link);

  EXPECT_EQ(run.status, c.status) << out;
  // In the player's language: by --language, or by the locale's.
  std::string code = locale.starts_with("zh") ? "zh-CN" : locale.empty() ? "en" : locale.substr(0, 2);
  if (c.options.size() == 2) code = c.options[1];
  const std::string title = lumavale::check::Words(code).Say(lumavale::check::Say(lumavale::check::Msg::kTitle));
  EXPECT_TRUE(out.starts_with(title + "\n") || c.options == std::vector<std::string>{"--fix"}) << out;
  for (const auto& [name, text] : c.after) {
    const fs::path file = Folder(c.settingsAt) / name;
    EXPECT_EQ(fs::exists(file) ? lumavale::scenarios::ReadFile(file) : std::string(), text) << name << "\n" << out;
  }
  for (std::string line : c.lines) {
    for (const auto& [mark, place] : kMarks) {
      const std::size_t at = line.find(std::string(mark) + "\\");
      if (at != std::string::npos) {
        line.replace(at, std::string(mark).size() + 1, WindowsPath(Folder(place)) + "\\");
      }
    }
    EXPECT_TRUE(Shows(out, line)) << "missing: " << line << "\n" << out;
  }
  for (const std::string& part : c.hides) EXPECT_FALSE(Shows(out, part)) << "shown: " << part << "\n" << out;
  EXPECT_EQ(out.find("Press Enter"), std::string::npos) << "must not wait without a console\n" << out;

  // The rows the check announces are the rows the plug-in writes from the same file.
  if (c.status == 2 || game || c.pluginAt == Place::kNowhere || c.settingsAt != c.pluginAt) return;
  ASSERT_TRUE(fs::is_regular_file(kHost)) << kHost << " is missing: build the win32 preset";
  const fs::path host = root / "standin_host.exe";
  fs::copy_file(kHost, host);
  const lumavale::wine::Run hosted =
      lumavale::wine::RunProgram(host, {WindowsPath(Folder(c.pluginAt) / c.pluginName)}, root);
  ASSERT_EQ(hosted.status, 0) << hosted.out;
  const auto reported = ReportedRows(out);
  ASSERT_EQ(reported.size(), 6u) << out;
  EXPECT_EQ(reported, HostRows(Normalised(hosted.out))) << "check:\n" << out << "\nhost:\n" << hosted.out;
}

const std::vector<CheckCase> kCases = {
    InScripts("EveryKeyCorrect", kAllKeys, 0,
              {"Settings file: @scripts\\LumavaleSettings.ini\n", "[Other] Fog: \"1\" (line 8)\n",
               "-> fog: on, @4 := 01\n", "row 3  @3 := 00 00 00 40      (AmountInGameplay)\n", "No problems found"}),
    InScripts("ShippedSampleFile", lumavale::scenarios::ReadFile(lumavale::scenarios::kSampleSettings), 0,
              {"[Lumavale] AmountInGameplay: \"1.250000\" (line 10)\n", "No problems found"}),
    {"NoFileMeansDefaults", Place::kNowhere, "", Place::kScripts, Place::kScripts, "", 0,
     {"Settings file: none\n", "[Lumavale] AmountInGameplay: not set: default 1.250000\n",
      "row 4  @4      not written: Fog is off\n"}},
    InScripts("DecimalComma", "[Lumavale]\r\nAmountInGameplay=1,5\r\n", 1,
              {"  Line 2: AmountInGameplay=1,5\n", "uses 1.\n", "What to do: Write AmountInGameplay=1.5\n",
               "row 3  @3 := 00 00 80 3F      (AmountInGameplay)\n"}),
    InScripts("WordsForSwitches", "[Lumavale]\r\nEnabled=on\r\n[Other]\r\nFog=true\r\n", 1,
              {"  Line 2: Enabled=on\n", "What to do: Write Enabled=1 to turn it on\n", "  Line 4: Fog=true\n",
               "What to do: Write Fog=1 to turn it on\n", "-> lighting effect: off, nothing written\n",
               "2 warnings:\n"}),
    InScripts("MisspeltKey", "[Lumavale]\r\nAmountGameplay=2\r\n", 1,
              {"  Line 2: AmountGameplay=2\n", "[Lumavale] AmountInGameplay: not set: default 1.250000\n",
               "What to do: Did you mean AmountInGameplay? Write AmountInGameplay=2\n"}),
    InScripts("MisspeltSection", "[Lumavalle]\r\nEnabled=0\r\n", 1,
              {"  Line 1: [Lumavalle]\n", "Did you mean [Lumavale]? Write [Lumavale]\n",
               "-> lighting effect: on, @1 := 20 99 9E 00\n"}),
    InScripts("KeyTwice", "[Other]\r\nFog=1\r\nFog=0\r\n", 1,
              {"  Line 3: Fog=0\n", "The plug-in uses only the first one, on line 2", "-> fog: on, @4 := 01\n"}),
    InScripts("TextAfterNumber", "[Lumavale]\r\nAmountInFrontend=0.5 ; softer\r\n", 1,
              {"  Line 2: AmountInFrontend=0.5 ; softer\n", "row 2  @2 := 00 00 00 3F      (AmountInFrontend)\n"}),
    InScripts("NegativeAndHugeAmounts", "[Lumavale]\r\nAmountInFrontend=-1\r\nAmountInGameplay=1e39\r\n", 1,
              {"An amount must be 0 or more.\n", "reads it as infinity.\n",
               "row 3  @3 := 00 00 80 7F      (AmountInGameplay)\n"}),
    // The settings in the game folder while the plug-in and the check are in scripts.
    {"SettingsInGameFolderFromScripts", Place::kGame, kAllKeys, Place::kScripts, Place::kScripts, "", 1,
     {"Settings file: none\n", "There is another LumavaleSettings.ini in @game\\.",
      "What to do: Move that file into @scripts\\\n", "row 4  @4      not written: Fog is off\n"}},
    {"SettingsInGameFolderDropped", Place::kGame, kAllKeys, Place::kScripts, Place::kScripts, "@game", 1,
     {"Settings file: @game\\LumavaleSettings.ini\n", "There is no copy of the plug-in in @game\\.",
      "What the plug-in would use from this file once it is in place:\n",
      "What to do: Move LumavaleSettings.ini into @scripts\\\n"}},
    {"BareNameFromItsFolder", Place::kScripts, kAllKeys, Place::kScripts, Place::kScripts, kSettings, 0,
     {"Settings file: @scripts\\LumavaleSettings.ini\n", "No problems found"}},
    {"MissingFile", Place::kNowhere, "", Place::kScripts, Place::kScripts, "nothing-here.ini", 2,
     {"Cannot read the file @scripts\\nothing-here.ini: it does not exist"}},
    // A folder the ANSI code page cannot name: the check, and the plug-in, read it.
    {"FolderTheAnsiCodePageCannotName", Place::kRussian, kAllKeys, Place::kRussian, Place::kRussian, "", 0,
     {"Settings file: @russian\\LumavaleSettings.ini\n", "-> fog: on, @4 := 01\n", "No problems found"}},
    {"DroppedFromAFolderTheAnsiCodePageCannotName", Place::kRussian, kAllKeys, Place::kRussian, Place::kScripts,
     "@russian", 0, {"Settings file: @russian\\LumavaleSettings.ini\n", "No problems found"}},
    {"FolderWithAnEmoji", Place::kEmoji, kAllKeys, Place::kEmoji, Place::kEmoji, "", 0,
     {"Settings file: @emoji\\LumavaleSettings.ini\n", "-> fog: on, @4 := 01\n", "No problems found"}},
    InScripts("FolderNamedLikeTheFile", "@folder", 1,
              {"it is a folder, not a file", "row 5  @5      not written: RemoveSkyTextures is off\n"}),
    InScripts("FiveMebibytesOfOneCharacterLines", "@lines", 1, {"And 2621390 more lines with problems"}),
    // "Is it working?", asked of a running game.
    // Active, and known by its version information under another name.
    [] { CheckCase c = InScripts("RunningGameWithThePlugInActive", kAllKeys, 0, {"Plug-in: zz_Lumavale.asi, Lumavale ",
         "Lumavale is active in the running game", "title S, region E, version 1.1", "No problems found"},
         Game::kWithPlugin); c.pluginName = "zz_Lumavale.asi"; return c; }(),
    InScripts("RunningGameStartedBeforeTheFileChanged", kAllKeys, 1, {"but row 2 (0x", "Restart the game"},
              Game::kWithPlugin,
              "[Lumavale]\r\nAmountInFrontend=0.25\r\nAmountInGameplay=2\r\n[Other]\r\nFog=1\r\n"
              "RemoveSkyTextures=1\r\n"),
    InScripts("RunningGameWithoutThePlugIn", kAllKeys, 1, {"no copy of the plug-in is loaded in it"},
              Game::kWithoutPlugin),
    InScripts("LauncherRunningIsNotTheGame", kAllKeys, 0, {"No game is running from @scripts\\ or a folder above it"},
              Game::kLauncher),
    InScripts("FogTurnedOffAfterTheStart", kAllKeys, 0,
              {"is written by no loaded copy with the files as they are now (Fog is off), but it holds the bytes",
               "No problems found"},
              Game::kWithPlugin,
              "[Lumavale]\r\nAmountInFrontend=0.5\r\nAmountInGameplay=2\r\n[Other]\r\nRemoveSkyTextures=1\r\n"),
    InScripts("UnicodeFileWithByteOrderMark",
              lumavale::testing::Utf16("[Lumavale]\r\nEnabled=on\r\nAmountInFrontend=0,5\r\n[Other]\r\nFog=1\r\n",
                                       false),
              1, {"  Line 2: Enabled=on\n", "  Line 3: AmountInFrontend=0,5\n", "-> fog: on, @4 := 01\n"}),
    InScripts("TwoHundredFiftyMebibytes", "@large", 1,
              {"And 255950 more lines with problems", "@2 := 00 00 00 3F"}),
    // Two copies loaded, the game folder's first, each with a file of its own, asked from each folder.
    [] { CheckCase c = InScripts("TwoCopiesWithTheirOwnFilesAskedFromScripts", kScriptsFileOff, 1, {"Lumavale is active "
         "in the running game", "has loaded 2 copies of the plug-in, in this order", "row 2 (@2): 33 33 33 3F, from this "
         "file", "This file leaves row 1 (@1) and row 4 (@4) unwritten, but another copy writes them: @game\\Lumavale.asi"},
         Game::kWithTwoCopies); c.firstCopySettings = kGameFileOn; c.hides = {"Restart", "overwritten", "Note:"}; return c; }(),
    [] { CheckCase c = InScripts("TwoCopiesWithTheirOwnFilesAskedFromTheGameFolder", kScriptsFileOff, 1, {"row 4 (@4): 01, "
         "from this file", "Of what this file gives, row 2 (@2) is overwritten by a copy loaded later: @scripts\\Lumavale.asi"},
         Game::kWithTwoCopies); c.checkerAt = Place::kGame; c.firstCopySettings = kGameFileOn;
         c.hides = {"Restart", "unwritten", "Enabled is off"}; return c; }(),
    [] { CheckCase c = InScripts("LoadedDllCalledLikeThePlugIn", kAllKeys, 1, {"@scripts\\Lumavale.asi is not the plug-in: it "
         "is a program, but not this plug-in", "The running game has loaded it", "It has loaded @scripts\\Lumavale.asi"},
         Game::kWithPlugin); c.notThePlugin = true; c.hides = {"ASI loader", "There is no copy"}; return c; }(),
    {"PlugInTwoFoldersBelowTheGame", Place::kMods, kAllKeys, Place::kMods, Place::kMods, "", 0,
     {"Lumavale is active in the running game (@game\\standin_host.exe)"}, Game::kWithPlugin},
    {"DroppedFromAnotherFolderWhileTheGameRuns", Place::kDesk, kAllKeys, Place::kScripts, Place::kScripts, "@desk", 1,
     {"The copy beside this check, @scripts\\Lumavale.asi", "Copy this file into @scripts\\",
      "Lumavale is active in the running game"},
     Game::kWithPlugin},
    // One folder is one folder, however the game was started; the game found from the desktop.
    With(InScripts("GameStartedThroughADriveLetter", kAllKeys, 0, {"Lumavale is working in Q:\\game\\standin_host.exe",
                   "every value from this file is in place"}, Game::kWithPlugin), "drive"),
    With(InScripts("GameStartedThroughALink", kAllKeys, 0, {"Lumavale is working in", "every value from this file is "
                   "in place"}, Game::kWithPlugin), "link"),
    {"CheckAloneOnTheDesktop", Place::kScripts, kAllKeys, Place::kScripts, Place::kDesk, "", 0,
     {"Lumavale is working in @game\\standin_host.exe", "Next time, put LumavaleCheck.exe in @scripts\\"},
     Game::kWithPlugin},
    {"GameFolderDropped", Place::kScripts, kAllKeys, Place::kScripts, Place::kDesk, "@scripts/", 0,
     {"@scripts\\ is a folder", "Settings file: @scripts\\LumavaleSettings.ini\n"}},
    With(InScripts("CaseTwinIsNotRead", kAllKeys, 1, {"lumavalesettings.ini is not read"}), "", {},
         {{"lumavalesettings.ini", "[Other]\r\nFog=0\r\n"}}),
    With(InScripts("LumavaleIniIsNotRead", "@none", 1, {"Lumavale.ini is not read"}), "", {}, {{"Lumavale.ini", kAllKeys}}),
    // In the player's language, by --language or by the locale: Cyrillic, accents, Chinese.
    Spoken("RussianByOption", "", {"--language", "ru"}), Spoken("RussianByLocale", "LANG=ru_RU.UTF-8", {}),
    Spoken("FrenchByOption", "", {"--language", "fr"}), Spoken("FrenchByLocale", "LANG=fr_FR.UTF-8", {}),
    Spoken("ChineseByOption", "", {"--language", "zh-CN"}), Spoken("ChineseByLocale", "LANG=zh_CN.UTF-8", {}),
    // Fixed when asked: the old file kept, only the fixed bytes changed.
    With(InScripts("FixUtf16", Utf16(kTraps, false), 0, {"Fixed @scripts\\LumavaleSettings.ini.", "No problems found"}),
         "", {"--fix"}, {}, {{kSettings, Utf16(kTrapsFixed, false)}, {kSettings + std::string(".bak"), Utf16(kTraps, false)}}),
    With(InScripts("FixRenamesTheTxt", "@none", 0, {"Renamed @scripts\\LumavaleSettings.ini.txt"}), "", {"--fix"},
         {{"LumavaleSettings.ini.txt", kAllKeys}}, {{kSettings, kAllKeys}, {"LumavaleSettings.ini.txt", ""}}),
    With(InScripts("FixLeavesAReadOnlyFile", kTraps, 1, {"it is read-only"}), "readonly", {"--fix"}, {},
         {{kSettings, kTraps}, {kSettings + std::string(".bak"), ""}}),
    With(InScripts("FixWhileTheGameRuns", kAllKeys, 1, {"Fixed @scripts\\", "but row 3 (0x", "Restart the game"},
                   Game::kWithPlugin, "[Lumavale]\r\nAmountInFrontend=0.5\r\nAmountInGameplay=2,5\r\n[Other]\r\nFog=1\r\n"
                   "RemoveSkyTextures=1\r\n"), "", {"--fix"}),
    [] { CheckCase c = InScripts("GameInAnotherWinePrefix", kAllKeys, 0, {"No game is running from", "sees only the "
         "programs of its own Wine prefix"}, Game::kWithPlugin); c.otherPrefix = true; return c; }(),
};

// The rows that look into a running game (active, two copies, restart advice), again
// from a 64-bit prefix, where the game runs as a WoW64 program (as under Proton).
std::vector<CheckCase> Wow64() {
  std::vector<CheckCase> cases;
  for (const CheckCase& c : kCases) {
    if (c.name == "RunningGameWithThePlugInActive" || c.name == "TwoCopiesWithTheirOwnFilesAskedFromScripts" ||
        c.name == "RunningGameStartedBeforeTheFileChanged") {
      cases.push_back(With(c, c.how + " wow64", c.options, c.files, c.after));
    }
  }
  return cases;
}

constexpr auto kByName = [](const auto& param) { return param.param.name; };
INSTANTIATE_TEST_SUITE_P(Files, CheckerCases, ::testing::ValuesIn(kCases), kByName);
INSTANTIATE_TEST_SUITE_P(Wow64, CheckerCases, ::testing::ValuesIn(Wow64()), kByName);

}  // namespace
