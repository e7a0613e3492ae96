#include "checker/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "contract.h"
#include "fake_platform.h"
#include "profile_cases.h"
#include "report_text.h"

namespace lumavale::check {
namespace {
using lumavale::testing::At;
using lumavale::testing::Flat;

constexpr char kGame[] = "C:\\Games\\Host\\";
constexpr char kScripts[] = "C:\\Games\\Host\\scripts\\";
const std::string kSettingsName = "LumavaleSettings.ini";

// Row addresses in `part` are written @1 to @6.
bool Has(const std::string& text, const std::string& written) {
  const std::string part = At(written);
  return text.find(part) != std::string::npos || Flat(text).find(part) != std::string::npos;
}

std::vector<Problem> FileProblems(const Report& report) {
  std::vector<Problem> problems;
  for (const Warning& warning : report.warnings) {
    if (warning.line == 0) problems.push_back(warning.problem);
  }
  return problems;
}

// --- What the plug-in will write ---------------------------------------------------

struct RowsCase {
  std::string name;
  std::string file;
  std::vector<std::string> written;  // "address := bytes", in table order
  std::vector<std::string> effects;  // lines of the settings part
  int status;
};

void PrintTo(const RowsCase& c, std::ostream* os) { *os << c.name; }

class RowsCases : public ::testing::TestWithParam<RowsCase> {};


// Expected bytes follow the rules: Enabled stores 0x009E9920, an amount its float
// bits, Fog 01, RemoveSkyTextures 00 twice; all little-endian. Rows are named @1 to @6.
TEST_P(RowsCases, ReportListsExactlyTheRowsThePlugInWrites) {
  fake::State() = {};
  const std::string file = kScripts + kSettingsName;
  fake::State().files[file] = GetParam().file;
  fake::State().existingFiles.insert(std::string(kScripts) + "Lumavale.asi");
  const Report report = CheckSettings(file.c_str());

  const std::string& text = report.text;
  const std::size_t rowsAt = text.find("What the plug-in will write");
  ASSERT_NE(rowsAt, std::string::npos) << text;
  const std::string rows = text.substr(rowsAt);
  std::size_t after = 0;
  for (const std::string& row : GetParam().written) {
    const std::size_t at = rows.find("  " + At(row) + " ", after);
    EXPECT_NE(at, std::string::npos) << "missing or out of order: " << row << "\n" << text;
    if (at != std::string::npos) after = at;
  }
  for (const std::string address : {"@1", "@2", "@3", "@4", "@5", "@6"}) {
    const bool written = std::any_of(GetParam().written.begin(), GetParam().written.end(),
                                      [&](const std::string& row) { return row.starts_with(address); });
    EXPECT_EQ(Has(rows, address + " :="), written) << address << "\n" << text;
    EXPECT_EQ(Has(rows, "  " + address + "      not written: "), !written) << address << "\n" << text;
  }
  for (const std::string& effect : GetParam().effects) EXPECT_TRUE(Has(text, effect)) << effect << "\n" << text;
  EXPECT_EQ(report.status, GetParam().status) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Files, RowsCases,
    ::testing::Values(
        RowsCase{"EmptyFileGivesDefaults", "",
                 {"@1 := 20 99 9E 00", "@2 := CD CC 4C 3F", "@3 := 00 00 A0 3F"},
                 {"[Lumavale] Enabled: not set: default 1", "[Other] Fog: not set: default 0",
                  "[Lumavale] AmountInFrontend: not set: default 0.800000",
                  "-> lighting effect: on, @1 := 20 99 9E 00",
                  "-> amount in menus: 0.8, @2 := CD CC 4C 3F",
                  "-> fog: off (the game's own setting stays), nothing written",
                  "-> sky textures: kept, nothing written"},
                 kStatusClean},
        RowsCase{"EverySwitchOn",
                 "[Lumavale]\nEnabled=1\nAmountInFrontend=0.5\nAmountInGameplay=2\n"
                 "[Other]\nFog=1\nRemoveSkyTextures=1\n",
                 {"@1 := 20 99 9E 00", "@2 := 00 00 00 3F", "@3 := 00 00 00 40",
                  "@4 := 01", "@5 := 00", "@6 := 00"},
                 {"[Lumavale] AmountInGameplay: \"2\" (line 4)", "[Other] Fog: \"1\" (line 6)",
                  "-> fog: on, @4 := 01",
                  "-> sky textures: removed, @5 := 00, @6 := 00"},
                 kStatusClean},
        RowsCase{"EffectOffStillWritesAmounts", "[Lumavale]\nEnabled=0\n",
                 {"@2 := CD CC 4C 3F", "@3 := 00 00 A0 3F"},
                 {"-> lighting effect: off, nothing written"},
                 kStatusClean},
        RowsCase{"DecimalCommaWritesOne", "[Lumavale]\nAmountInGameplay=1,5\n",
                 {"@1 := 20 99 9E 00", "@2 := CD CC 4C 3F", "@3 := 00 00 80 3F"},
                 {"[Lumavale] AmountInGameplay: \"1,5\" (line 2)", "-> amount in play: 1, @3"},
                 kStatusWarnings},
        RowsCase{"WordSwitchIsOff", "[Other]\nFog=true\n",
                 {"@1 := 20 99 9E 00", "@2 := CD CC 4C 3F", "@3 := 00 00 A0 3F"},
                 {"[Other] Fog: \"true\" (line 2)", "-> fog: off"},
                 kStatusWarnings},
        RowsCase{"FirstOfTwoKeysCounts", "[Other]\nFog=1\nFog=0\n",
                 {"@1 := 20 99 9E 00", "@2 := CD CC 4C 3F", "@3 := 00 00 A0 3F",
                  "@4 := 01"},
                 {"[Other] Fog: \"1\" (line 2)"},
                 kStatusWarnings},
        RowsCase{"KeyWithoutEqualsTakesDefault", "[Lumavale]\nAmountInGameplay\n",
                 {"@1 := 20 99 9E 00", "@2 := CD CC 4C 3F", "@3 := 00 00 A0 3F"},
                 {"[Lumavale] AmountInGameplay: no value (line 2): default 1.250000"},
                 kStatusWarnings},
        RowsCase{"HugeAmountIsInfinity", "[Lumavale]\nAmountInFrontend=1e39\n",
                 {"@1 := 20 99 9E 00", "@2 := 00 00 80 7F", "@3 := 00 00 A0 3F"},
                 {"-> amount in menus: infinity, @2 := 00 00 80 7F"},
                 kStatusWarnings}),
    [](const auto& param) { return param.param.name; });

// --- Which file is checked, and where it lies -----------------------------------------

const std::string kInScripts = kScripts + kSettingsName;
const std::string kInGame = kGame + kSettingsName;
const std::string kAsiInScripts = std::string(kScripts) + "Lumavale.asi";
const std::string kAsiInGame = std::string(kGame) + "Lumavale.asi";
const std::string kCheckInScripts = std::string(kScripts) + "LumavaleCheck.exe";
const std::string kDropped = "C:\\Downloads\\" + kSettingsName;
const std::string kRussian = "C:\\Игры\\";  // a folder the ANSI code page cannot name
const std::string kFogOn = "[Other]\nFog=1\n";
const std::string kGameName = "game.exe";
const std::string kLongFolder = "C:\\" + std::string(240, 'd') + "\\";

using Kind = system::Kind;

struct FileCase {
  std::string name;
  std::string program;                        // where the check lies
  std::string argument;                       // the file given; "" none
  std::map<std::string, std::string> files;   // settings files and their text
  std::vector<std::string> existing;          // other files, never read
  std::map<std::string, Kind> others;         // folders, links that lead nowhere
  int status;
  std::vector<Problem> problems = {};         // file warnings, in order
  std::vector<std::string> shows = {};        // in the report (rows as @1 to @6)
  std::vector<std::string> hides = {};        // not in the report
  std::string readsFrom = "-";                // the file every profile read names; "" none
  std::vector<fake::Program> programs = {};   // running beside the check
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class FileCases : public ::testing::TestWithParam<FileCase> {};

TEST_P(FileCases, StatusWarningsAndReport) {
  const FileCase& c = GetParam();
  fake::State() = {};
  fake::State().moduleFileName = c.program;
  fake::State().currentFolder = kScripts;
  fake::State().files = {c.files.begin(), c.files.end()};
  fake::State().existingFiles = {c.existing.begin(), c.existing.end()};
  fake::State().otherThings = {c.others.begin(), c.others.end()};
  fake::State().programs = c.programs;
  const Report report = CheckSettings(c.argument.empty() ? nullptr : c.argument.c_str());

  EXPECT_EQ(report.status, c.status) << report.text;
  EXPECT_EQ(FileProblems(report), c.problems) << report.text;
  for (const std::string& part : c.shows) EXPECT_TRUE(Has(report.text, part)) << part << "\n" << report.text;
  for (const std::string& part : c.hides) EXPECT_FALSE(Has(report.text, part)) << part << "\n" << report.text;
  if (c.readsFrom != "-") {
    EXPECT_EQ(fake::State().profileReads.size(), c.readsFrom.empty() ? 0u : 5u);
    for (const std::string& read : fake::State().profileReads) {
      EXPECT_TRUE(read.ends_with("@" + c.readsFrom)) << read;
    }
  }
  // Only a game from the plug-in's folder or the one above is opened, and only the
  // rows' bytes and the header fields for the host key are read from it.
  for (const std::uint32_t id : fake::State().opened) {
    const std::string& image = c.programs[id - 1].image;
    EXPECT_TRUE(image == kGame + kGameName || image == kScripts + kGameName) << image;
  }
  for (const auto& [address, size] : fake::State().programReads) {
    const bool row = std::ranges::any_of(kLumavaleRows, [&](const LumavaleRow& r) {
      return r.address == address && r.width == size;
    });
    EXPECT_TRUE(row || (address - LUMAVALE_HOST_IMAGE_BASE < 0x1000 && size == 4)) << std::hex << address;
  }
  // What reaches a console is safe to show: no control character but the line ends,
  // and, but for whole paths, no line longer than a cut value with its length.
  for (const char ch : report.text) EXPECT_TRUE(ch == '\n' || static_cast<unsigned char>(ch) >= 0x20) << report.text;
  std::istringstream lines(report.text);
  for (std::string line; std::getline(lines, line);) {
    if (line.find('\\') == std::string::npos) {
      EXPECT_LE(line.size(), 160u) << line;
    }
  }
}

// A game started from `folder` (id 1), with the plug-in from the scripts folder
// loaded in it or not, holding what the plug-in wrote from the settings it read at
// start, under the header of a build the plug-in knows.
fake::Program Game(const std::string& folder, bool withPlugin, const PluginSettings& started) {
  fake::Program game{1, folder + kGameName, {{LUMAVALE_HOST_IMAGE_BASE, folder + kGameName}}, {}};
  if (withPlugin) game.modules.push_back({0x10000000, kAsiInScripts});
  const auto put = [&](std::uint32_t address, std::uint32_t value, std::uint32_t width) {
    for (std::uint32_t i = 0; i < width; ++i) game.memory[address + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  put(LUMAVALE_HOST_IMAGE_BASE + 0x3C, 0x80, 4);
  put(LUMAVALE_HOST_IMAGE_BASE + 0x80, 0x00004550, 4);  // "PE\0\0"
  put(LUMAVALE_HOST_IMAGE_BASE + 0x80 + 0x28, 0x0082533C - LUMAVALE_HOST_IMAGE_BASE, 4);
  const bool on[] = {started.enabled, true, true, started.fog, started.removeSkyTextures};
  const float amounts[] = {0, started.amountInFrontend, started.amountInGameplay, 0, 0};
  for (const LumavaleRow& row : kLumavaleRows) {
    put(row.address, 0xEEEEEEEE, row.width);  // the game's own
    if (row.condition >= 0 && !on[row.condition]) continue;
    put(row.address, row.amount < 0 ? row.constant : std::bit_cast<std::uint32_t>(amounts[row.amount]), row.width);
  }
  return game;
}

const PluginSettings kDefaultsFogOn{true, 0.8f, 1.25f, true, false};

// A file that the plug-in reads with a warning for every one of its lines.
std::string ManyProblemLines(std::size_t count) {
  std::string text = kFogOn;
  for (std::size_t i = 0; i < count; ++i) text += "x\n";
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileCases,
    ::testing::Values(
        // Given files, and where they lie against the plug-in.
        FileCase{"BesideThePlugIn", kCheckInScripts, kInScripts, {{kInScripts, kFogOn}}, {kAsiInScripts}, {},
                 kStatusClean, {}, {"What the plug-in will use:\n", "@4 := 01"}, {"would use"}},
        FileCase{"BesideThePlugInInGameFolder", kCheckInScripts, kInGame, {{kInGame, kFogOn}}, {kAsiInGame}, {},
                 kStatusClean, {}, {"What the plug-in will use:\n"}},
        FileCase{"AtADrivesRoot", kCheckInScripts, "C:\\" + kSettingsName, {{"C:\\" + kSettingsName, kFogOn}},
                 {"C:\\Lumavale.asi"}, {}, kStatusClean, {}},
        FileCase{"NoPlugInAnywhere", kCheckInScripts, kInScripts, {{kInScripts, kFogOn}}, {}, {}, kStatusWarnings,
                 {Problem::kNoPluginBeside},
                 {"in the folder that holds Lumavale.asi", "What the plug-in would use from this file"}},
        FileCase{"GameFolderWhilePlugInInScripts", kCheckInScripts, kInGame, {{kInGame, kFogOn}}, {kAsiInScripts},
                 {}, kStatusWarnings, {Problem::kNoPluginBeside}, {std::string("into ") + kScripts}},
        FileCase{"ScriptsWhilePlugInInGameFolder", kCheckInScripts, kInScripts, {{kInScripts, kFogOn}},
                 {kAsiInGame}, {}, kStatusWarnings, {Problem::kNoPluginBeside}, {std::string("into ") + kGame}},
        FileCase{"SecondFileInParent", kCheckInScripts, kInScripts, {{kInScripts, kFogOn}}, {kAsiInScripts, kInGame},
                 {}, kStatusWarnings, {Problem::kNeighbourSettings}, {"delete the other", "which is this one"}},
        FileCase{"SecondFileInScripts", kCheckInScripts, kInGame, {{kInGame, kFogOn}}, {kAsiInGame, kInScripts}, {},
                 kStatusWarnings, {Problem::kNeighbourSettings}, {"delete the other"}},
        FileCase{"PlugInAndItsFileInScripts", kCheckInScripts, kInGame, {{kInGame, ""}}, {kAsiInScripts, kInScripts},
                 {}, kStatusWarnings, {Problem::kNoPluginBeside, Problem::kNeighbourSettings},
                 {std::string("into ") + kScripts, "which is that one, not this one"}},
        FileCase{"OtherFileName", kCheckInScripts, std::string(kScripts) + "MySettings.ini",
                 {{std::string(kScripts) + "MySettings.ini", kFogOn}}, {kAsiInScripts}, {}, kStatusWarnings,
                 {Problem::kOtherFileName}, {"Rename the file to LumavaleSettings.ini"}},
        FileCase{"BareNameIsTakenFromTheCurrentFolder", kCheckInScripts, kSettingsName, {{kInScripts, kFogOn}},
                 {kAsiInScripts}, {}, kStatusClean, {}, {"Settings file: " + kInScripts + "\n", "@4 := 01"}, {},
                 kInScripts},
        FileCase{"GivenPathTooLongReadsAsDefaults", kCheckInScripts, kLongFolder + kSettingsName,
                 {{kLongFolder + kSettingsName, kFogOn}}, {kLongFolder + "Lumavale.asi"}, {}, kStatusWarnings,
                 {Problem::kPathTooLong}, {}, {"@4 := 01"}},
        FileCase{"GivenFileThatCannotBeReadIsStatusTwo", kCheckInScripts, "C:\\nowhere\\" + kSettingsName, {}, {},
                 {}, kStatusUnreadable, {}, {"Cannot read the file C:\\nowhere\\LumavaleSettings.ini: it does not exist"},
                 {":="}, ""},
        FileCase{"MissingFileWithPathTooLongSaysBoth", kCheckInScripts, kLongFolder + kSettingsName, {}, {}, {},
                 kStatusUnreadable, {Problem::kPathTooLong}, {"it does not exist", "longer than the plug-in can handle"}},
        FileCase{"DroppedFolderSaysSo", kCheckInScripts, kInScripts, {}, {}, {{kInScripts, Kind::kFolder}},
                 kStatusUnreadable, {}, {"it is a folder, not a file"}},
        // The file beside the check itself, when none is given.
        FileCase{"WithoutArgumentTheFileBesideTheProgram", kCheckInScripts, "", {{kInScripts, kFogOn}},
                 {kAsiInScripts}, {}, kStatusClean, {}, {"Settings file: " + kInScripts + "\n", "@4 := 01"}, {},
                 kInScripts},
        FileCase{"WithoutArgumentAndWithoutFileTheDefaultsApply", kCheckInScripts, "", {}, {kAsiInScripts}, {},
                 kStatusClean, {}, {"Settings file: none", "the plug-in uses the defaults", "@3 := 00 00 A0 3F"}},
        FileCase{"WithoutArgumentAFileInTheWrongFolder", kCheckInScripts, "", {}, {kAsiInScripts, kInGame}, {},
                 kStatusWarnings, {Problem::kNeighbourSettings}, {"Move that file into"}},
        FileCase{"ProgramPathTooLongForThePlugIn", "C:\\" + std::string(250, 'd') + "\\LumavaleCheck.exe", "", {},
                 {}, {}, kStatusWarnings, {Problem::kPathTooLong},
                 {"@3 := 00 00 A0 3F", "Settings file: cannot be read from this folder\n"}, {"Settings file: none"},
                 ""},
        FileCase{"FolderNamedLikeTheFile", kCheckInScripts, "", {}, {kAsiInScripts}, {{kInScripts, Kind::kFolder}},
                 kStatusWarnings, {Problem::kNotAFile}, {"it is a folder, not a file"}, {"Settings file: none"}},
        FileCase{"LinkThatLeadsNowhereNamedLikeTheFile", kCheckInScripts, "", {}, {kAsiInScripts},
                 {{kInScripts, Kind::kUnreachable}}, kStatusWarnings, {Problem::kNotAFile},
                 {"a link that leads to no file"}},
        // Folders whose names the ANSI code page cannot hold: read by the wide road.
        FileCase{"FolderTheAnsiCodePageCannotName", kRussian + "LumavaleCheck.exe", "",
                 {{kRussian + kSettingsName, kFogOn}}, {kRussian + "Lumavale.asi"}, {}, kStatusClean, {},
                 {"Settings file: " + kRussian + kSettingsName + "\n", "@4 := 01"}, {"none"},
                 kRussian + kSettingsName + " (wide)"},
        FileCase{"DroppedFromAFolderTheAnsiCodePageCannotName", kCheckInScripts, kRussian + kSettingsName,
                 {{kRussian + kSettingsName, kFogOn}}, {kRussian + "Lumavale.asi"}, {}, kStatusClean, {}, {"@4 := 01"},
                 {}, kRussian + kSettingsName + " (wide)"},
        // What the file holds.
        FileCase{"Utf16WithoutByteOrderMark", kCheckInScripts, kInScripts,
                 {{kInScripts, testing::Utf16("[Other]\r\nFog=1\r\n", false, false)}}, {kAsiInScripts}, {},
                 kStatusWarnings, {Problem::kNotText}, {"save it as ANSI or UTF-8", "Fog: not set"}, {"Line 1"}},
        FileCase{"ControlCharactersAndALongValueShownSafely", kCheckInScripts, kInScripts,
                 {{kInScripts, "[Lumavale]\nAmountInGameplay=2\x1B[31m\a\nAmountGameplay=" +
                                   std::string(100000, '7') + "\n"}},
                 {kAsiInScripts}, {}, kStatusWarnings, {},
                 {"AmountInGameplay=2\\x1B[31m\\x07", "(100015 characters in all)"}},
        FileCase{"LargeFileIsReadWhole", kCheckInScripts, kInScripts,
                 {{kInScripts, "[Other]\n" + std::string(10000, ';') + "\nFog=true\n"}}, {kAsiInScripts}, {},
                 kStatusWarnings, {}, {"Line 3: Fog=true"}},
        FileCase{"AtMostFiftyProblemLinesShown", kCheckInScripts, kInScripts, {{kInScripts, ManyProblemLines(60)}},
                 {kAsiInScripts}, {}, kStatusWarnings, {},
                 {"50 warnings, from the first 50 lines", "Line 52: x", "And 10 more lines with problems"},
                 {"Line 53:"}},
        // The running game, where the plug-in's effect can be seen.
        FileCase{"RunningGameWithThePlugInActive", kCheckInScripts, "", {{kInScripts, kFogOn}}, {kAsiInScripts}, {},
                 kStatusClean, {}, {"Lumavale is active in the running game", "names this build: title S, region E, version 1.1"},
                 {}, "-", {Game(kGame, true, kDefaultsFogOn)}},
        FileCase{"RunningGameStartedBeforeTheFileChanged", kCheckInScripts, "",
                 {{kInScripts, kFogOn + "[Lumavale]\nAmountInFrontend=0.5\n"}}, {kAsiInScripts}, {}, kStatusWarnings,
                 {Problem::kNotActive}, {"but row 2 (0x", "The running game:", "Restart the game"}, {}, "-",
                 {Game(kGame, true, kDefaultsFogOn)}},
        FileCase{"RunningGameWithoutThePlugIn", kCheckInScripts, kInScripts, {{kInScripts, kFogOn}}, {kAsiInScripts}, {},
                 kStatusWarnings, {Problem::kNotLoaded}, {"did not load Lumavale.asi from this folder", "set to native"},
                 {}, "-", {Game(kScripts, false, kDefaultsFogOn)}},
        FileCase{"RunningGameThatCannotBeOpenedIsNotThere", kCheckInScripts, "", {{kInScripts, kFogOn}}, {kAsiInScripts},
                 {}, kStatusClean, {}, {"No game is running from this folder"}, {}, "-",
                 {[] { fake::Program game = Game(kGame, true, kDefaultsFogOn); game.denied = true; return game; }()}},
        FileCase{"ProgramsInOtherFoldersAreNeverOpened", kCheckInScripts, "", {{kInScripts, kFogOn}}, {kAsiInScripts},
                 {}, kStatusClean, {}, {"No game is running from this folder"}, {}, "-",
                 {Game("C:\\Other\\", true, kDefaultsFogOn)}},
        FileCase{"FiveMebibytesOfOneCharacterLines", kCheckInScripts, kInScripts,
                 {{kInScripts, ManyProblemLines(5 << 19)}}, {kAsiInScripts}, {}, kStatusWarnings, {},
                 {"And 2621390 more lines with problems", "@4 := 01"}}),
    [](const auto& param) { return param.param.name; });

TEST(CheckSettings, ReadsTheFileThroughThePlugInsReadsAndWritesNothing) {
  fake::State() = {};
  fake::State().files[kInScripts] = kFogOn;
  fake::State().existingFiles = {kAsiInScripts};
  CheckSettings(kInScripts.c_str());
  const std::string at = "@" + kInScripts;
  std::vector<std::string> expected;
  for (const LumavaleRead& read : kLumavaleReads) {
    expected.push_back(std::string(read.section) + "/" + read.key + at);
  }
  EXPECT_EQ(fake::State().profileReads, expected);
  EXPECT_TRUE(fake::State().protectionCalls.empty()) << "the check writes nothing";
}

// --- The program ----------------------------------------------------------------------

struct ProgramCase {
  std::string name;
  bool ownConsole;
  std::vector<std::string> args;  // after the program's name
  int status;
  int enterWaits;
};

void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }

class ProgramCases : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ProgramCases, PrintsTheReportAndWaitsOnlyInItsOwnWindow) {
  fake::State() = {};
  fake::State().moduleFileName = std::string(kScripts) + "LumavaleCheck.exe";
  fake::State().ownConsole = GetParam().ownConsole;
  fake::State().files[kInScripts] = "[Other]\nFog=1\n";
  fake::State().files[kDropped] = "[Other]\nFog=on\n";
  fake::State().existingFiles = {kAsiInScripts};
  std::vector<std::string> arguments{"LumavaleCheck.exe"};
  arguments.insert(arguments.end(), GetParam().args.begin(), GetParam().args.end());
  const int status = RunChecker(arguments);

  EXPECT_EQ(status, GetParam().status) << fake::State().out;
  EXPECT_EQ(fake::State().enterWaits, GetParam().enterWaits);
  EXPECT_EQ(Has(fake::State().out, "Press Enter"), GetParam().enterWaits == 1) << fake::State().out;
  EXPECT_TRUE(fake::State().out.starts_with("Lumavale settings check\n")) << fake::State().out;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ProgramCases,
    ::testing::Values(
        ProgramCase{"DoubleClickedCleanFileWaits", true, {}, kStatusClean, 1},
        ProgramCase{"FromAConsoleDoesNotWait", false, {}, kStatusClean, 0},
        ProgramCase{"DroppedFileWithWarningsWaits", true, {kDropped}, kStatusWarnings, 1},
        ProgramCase{"FileWithWarnings", false, {kDropped}, kStatusWarnings, 0},
        ProgramCase{"MissingFileIsStatusTwo", false, {"C:\\nowhere\\x.ini"}, kStatusUnreadable, 0},
        ProgramCase{"MissingFileStillWaitsInItsOwnWindow", true, {"C:\\nowhere\\x.ini"}, kStatusUnreadable, 1}),
    [](const auto& param) { return param.param.name; });

TEST(RunChecker, SeveralFilesCheckTheFirstAndSaySo) {
  fake::State() = {};
  fake::State().files[kInScripts] = "";
  fake::State().existingFiles = {kAsiInScripts};
  EXPECT_EQ(RunChecker({"LumavaleCheck.exe", kInScripts, "C:\\other.ini"}), kStatusClean);
  EXPECT_TRUE(Has(fake::State().out, "Only the first file given was checked")) << fake::State().out;
}

}  // namespace
}  // namespace lumavale::check
