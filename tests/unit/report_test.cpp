#include "checker/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "contract.h"
#include "fake_platform.h"
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

// --- Where the file lies -------------------------------------------------------------

struct PlaceCase {
  std::string name;
  std::string settings;               // the file checked
  std::vector<std::string> existing;  // other files that exist
  std::vector<Problem> problems;      // file warnings, in order
  std::string advice;                 // in the first file warning's advice
};

void PrintTo(const PlaceCase& c, std::ostream* os) { *os << c.name; }

class PlaceCases : public ::testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceCases, FileWarningsSayWhereThePlugInLooks) {
  fake::State() = {};
  fake::State().files[GetParam().settings] = "[Other]\nFog=1\n";
  for (const std::string& path : GetParam().existing) fake::State().existingFiles.insert(path);
  const Report report = CheckSettings(GetParam().settings.c_str());
  EXPECT_EQ(FileProblems(report), GetParam().problems) << report.text;
  // Values from a file the plug-in does not read as it lies are only what it would use.
  const bool read = std::ranges::none_of(GetParam().problems, [](Problem problem) {
    return problem == Problem::kNoPluginBeside || problem == Problem::kOtherFileName;
  });
  EXPECT_EQ(Has(report.text, "What the plug-in will use:\n"), read) << report.text;
  EXPECT_EQ(Has(report.text, "What the plug-in would use from this file"), !read) << report.text;
  if (!GetParam().problems.empty()) {
    ASSERT_FALSE(report.warnings.empty());
    EXPECT_TRUE(Has(report.warnings[0].advice, GetParam().advice)) << report.warnings[0].advice;
    EXPECT_EQ(report.status, kStatusWarnings);
  } else {
    EXPECT_EQ(report.status, kStatusClean) << report.text;
  }
}

const std::string kInScripts = kScripts + kSettingsName;
const std::string kInGame = kGame + kSettingsName;
const std::string kAsiInScripts = std::string(kScripts) + "Lumavale.asi";
const std::string kAsiInGame = std::string(kGame) + "Lumavale.asi";
const std::string kDropped = "C:\\Downloads\\" + kSettingsName;

INSTANTIATE_TEST_SUITE_P(
    Places, PlaceCases,
    ::testing::Values(
        PlaceCase{"BesideThePlugIn", kInScripts, {kAsiInScripts}, {}, ""},
        PlaceCase{"BesideThePlugInInGameFolder", kInGame, {kAsiInGame}, {}, ""},
        PlaceCase{"AtADrivesRoot", "C:\\" + kSettingsName, {"C:\\Lumavale.asi"}, {}, ""},
        PlaceCase{"NoPlugInAnywhere", kInScripts, {}, {Problem::kNoPluginBeside},
                  "in the folder that holds Lumavale.asi"},
        PlaceCase{"GameFolderWhilePlugInInScripts", kInGame, {kAsiInScripts},
                  {Problem::kNoPluginBeside}, std::string("into ") + kScripts},
        PlaceCase{"ScriptsWhilePlugInInGameFolder", kInScripts, {kAsiInGame},
                  {Problem::kNoPluginBeside}, std::string("into ") + kGame},
        PlaceCase{"SecondFileInParent", kInScripts, {kAsiInScripts, kInGame},
                  {Problem::kNeighbourSettings}, "delete the other"},
        PlaceCase{"SecondFileInScripts", kInGame, {kAsiInGame, kInScripts},
                  {Problem::kNeighbourSettings}, "delete the other"},
        PlaceCase{"PlugInAndItsFileInScripts", kInGame, {kAsiInScripts, kInScripts},
                  {Problem::kNoPluginBeside, Problem::kNeighbourSettings},
                  std::string("into ") + kScripts},
        PlaceCase{"OtherFileName", std::string(kScripts) + "MySettings.ini", {kAsiInScripts},
                  {Problem::kOtherFileName}, "Rename the file to LumavaleSettings.ini"}),
    [](const auto& param) { return param.param.name; });

TEST(CheckSettings, NeighbourMessageNamesWhichFileIsRead) {
  fake::State() = {};
  fake::State().files[kInGame] = "";
  fake::State().existingFiles = {kAsiInScripts, kInScripts};
  const Report report = CheckSettings(kInGame.c_str());
  ASSERT_EQ(report.warnings.size(), 2u) << report.text;
  EXPECT_TRUE(Has(report.warnings[1].message, "which is that one, not this one")) << report.warnings[1].message;

  fake::State().existingFiles = {kAsiInGame, kInScripts};
  const Report beside = CheckSettings(kInGame.c_str());
  ASSERT_EQ(beside.warnings.size(), 1u) << beside.text;
  EXPECT_TRUE(Has(beside.warnings[0].message, "which is this one")) << beside.warnings[0].message;
}

// --- Which file is checked ------------------------------------------------------------

TEST(CheckSettings, WithoutArgumentChecksTheFileBesideTheProgram) {
  fake::State() = {};
  fake::State().moduleFileName = std::string(kScripts) + "LumavaleCheck.exe";
  fake::State().files[kInScripts] = "[Other]\nFog=1\n";
  fake::State().existingFiles = {kAsiInScripts};
  const Report report = CheckSettings(nullptr);
  EXPECT_TRUE(Has(report.text, "Settings file: " + kInScripts + "\n")) << report.text;
  EXPECT_TRUE(Has(report.text, "@4 := 01")) << report.text;
  EXPECT_EQ(report.status, kStatusClean);
}

TEST(CheckSettings, WithoutArgumentAndWithoutFileTheDefaultsApply) {
  fake::State() = {};
  fake::State().moduleFileName = std::string(kScripts) + "LumavaleCheck.exe";
  fake::State().existingFiles = {kAsiInScripts};
  const Report report = CheckSettings(nullptr);
  EXPECT_TRUE(Has(report.text, "Settings file: none")) << report.text;
  EXPECT_TRUE(Has(report.text, "the plug-in uses the defaults")) << report.text;
  EXPECT_TRUE(Has(report.text, "@3 := 00 00 A0 3F")) << report.text;
  EXPECT_EQ(report.status, kStatusClean);
}

TEST(CheckSettings, WithoutArgumentWarnsOfAFileInTheWrongFolder) {
  // The player put the settings in the game folder, the plug-in and this program in scripts.
  fake::State() = {};
  fake::State().moduleFileName = std::string(kScripts) + "LumavaleCheck.exe";
  fake::State().existingFiles = {kAsiInScripts, kInGame};
  const Report report = CheckSettings(nullptr);
  EXPECT_EQ(FileProblems(report), std::vector<Problem>{Problem::kNeighbourSettings}) << report.text;
  EXPECT_EQ(report.status, kStatusWarnings);
}

TEST(CheckSettings, ProgramPathTooLongForThePlugIn) {
  fake::State() = {};
  fake::State().moduleFileName = "C:\\" + std::string(250, 'd') + "\\LumavaleCheck.exe";
  const Report report = CheckSettings(nullptr);
  EXPECT_EQ(FileProblems(report), std::vector<Problem>{Problem::kPathTooLong}) << report.text;
  EXPECT_TRUE(Has(report.text, "@3 := 00 00 A0 3F")) << "defaults\n" << report.text;
  EXPECT_TRUE(Has(report.text, "Settings file: cannot be read from this folder\n")) << report.text;
  EXPECT_FALSE(Has(report.text, "Settings file: none")) << report.text;
  EXPECT_TRUE(fake::State().profileReads.empty()) << "no file to read";
  EXPECT_EQ(report.status, kStatusWarnings);
}

TEST(CheckSettings, GivenPathTooLongReadsAsDefaults) {
  fake::State() = {};
  const std::string folder = "C:\\" + std::string(240, 'd') + "\\";
  fake::State().files[folder + kSettingsName] = "[Other]\nFog=1\n";
  fake::State().existingFiles = {folder + "Lumavale.asi"};
  const Report report = CheckSettings((folder + kSettingsName).c_str());
  EXPECT_EQ(FileProblems(report), std::vector<Problem>{Problem::kPathTooLong}) << report.text;
  EXPECT_FALSE(Has(report.text, "@4 := 01")) << "the plug-in cannot read it\n" << report.text;
}

TEST(CheckSettings, BareNameIsTakenFromTheCurrentFolder) {
  fake::State() = {};
  fake::State().currentFolder = kScripts;
  fake::State().files[kInScripts] = "[Other]\nFog=1\n";
  fake::State().existingFiles = {kAsiInScripts};
  const Report report = CheckSettings(kSettingsName.c_str());
  EXPECT_TRUE(Has(report.text, "Settings file: " + kInScripts + "\n")) << report.text;
  EXPECT_TRUE(Has(report.text, "@4 := 01")) << report.text;
  // The reads went to the whole path, never to a bare name.
  for (const std::string& read : fake::State().profileReads) {
    EXPECT_TRUE(read.ends_with("@" + kInScripts)) << read;
  }
}

TEST(CheckSettings, GivenFileThatCannotBeReadIsStatusTwo) {
  fake::State() = {};
  const Report report = CheckSettings("C:\\nowhere\\LumavaleSettings.ini");
  EXPECT_EQ(report.status, kStatusUnreadable);
  EXPECT_TRUE(Has(report.text, "Cannot read the file C:\\nowhere\\LumavaleSettings.ini")) << report.text;
  EXPECT_FALSE(Has(report.text, ":=")) << report.text;
  EXPECT_TRUE(fake::State().profileReads.empty());
}

TEST(CheckSettings, ReadsTheFileThroughThePlugInsReads) {
  fake::State() = {};
  fake::State().files[kInScripts] = "[Other]\nFog=1\n";
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

TEST(CheckSettings, LargeFileIsReadWhole) {
  fake::State() = {};
  fake::State().files[kInScripts] = "[Other]\n" + std::string(10000, ';') + "\nFog=true\n";
  fake::State().existingFiles = {kAsiInScripts};
  const Report report = CheckSettings(kInScripts.c_str());
  ASSERT_EQ(report.warnings.size(), 1u) << report.text;
  EXPECT_EQ(report.warnings[0].line, 3u);
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
  std::vector<const char*> argv{"LumavaleCheck.exe"};
  for (const std::string& arg : GetParam().args) argv.push_back(arg.c_str());
  const int status = RunChecker(static_cast<int>(argv.size()), argv.data());

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
  const char* argv[] = {"LumavaleCheck.exe", kInScripts.c_str(), "C:\\other.ini"};
  EXPECT_EQ(RunChecker(3, argv), kStatusClean);
  EXPECT_TRUE(Has(fake::State().out, "Only the first file given was checked")) << fake::State().out;
}

}  // namespace
}  // namespace lumavale::check
