#include "checker/catalog.h"
#include "checker/paths.h"
#include "checker/report.h"

#include <gtest/gtest.h>

#include <wchar.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "contract.h"
#include "fake_platform.h"
#include "profile_cases.h"
#include "report_text.h"
#include "scenarios.h"

namespace lumavale::check {
namespace {
using lumavale::testing::At;
using lumavale::testing::Shows;
using Kind = system::Kind;

const std::string kSettingsName = "LumavaleSettings.ini";
const std::string kGame = "C:\\Games\\Host\\";
const std::string kScripts = kGame + "scripts\\";
const std::string kInScripts = kScripts + kSettingsName;
const std::string kInGame = kGame + kSettingsName;
const std::string kAsiInScripts = kScripts + "Lumavale.asi";
const std::string kAsiInGame = kGame + "Lumavale.asi";
const std::string kRenamed = kScripts + "zz_Lumavale.asi";
const std::string kCheckInScripts = kScripts + "LumavaleCheck.exe";
const std::string kDropped = "C:\\Downloads\\" + kSettingsName;
const std::string kRussian = "C:\\Игры\\";  // a folder the ANSI code page cannot name
const std::string kFogOn = "[Other]\nFog=1\n";
const std::map<std::string, std::string> kFogOnInScripts = {{kInScripts, kFogOn}};
const std::string kGameName = "game.exe";
const std::string kLongFolder = "C:\\" + std::string(240, 'd') + "\\";
constexpr auto kByName = [](const auto& param) { return param.param.name; };

std::vector<Problem> FileProblems(const Report& report) {
  std::vector<Problem> problems;
  for (const Warning& warning : report.warnings) {
    if (warning.line == 0) problems.push_back(warning.problem);
  }
  return problems;
}

// A fresh fake holding the settings `files`, with the plug-in in the scripts folder.
void Reset(std::map<std::string, std::string> files) {
  fake::State() = {.files = std::move(files), .existingFiles = {kAsiInScripts},
                   .versions = {{kAsiInScripts, fake::kPluginVersion}}};
}

// --- Which file is checked, and where it lies -----------------------------------------

// The first bytes of a PE32 executable whose image spans `size` bytes from the host's
// base, with the entry point of a build the plug-in knows.
std::string PeHeader(std::uint32_t size) {
  std::string header(0x200, '\0');
  const auto put = [&](std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) header[at + i] = static_cast<char>(value >> (8 * i));
  };
  header[0] = 'M';
  header[1] = 'Z';
  put(0x3C, 0x80);
  put(0x80, 0x00004550);  // "PE\0\0"
  put(0x80 + 0x18, 0x10B);  // PE32
  put(0x80 + 0x28, 0x0082533C - LUMAVALE_HOST_IMAGE_BASE);
  put(0x80 + 0x34, LUMAVALE_HOST_IMAGE_BASE);
  put(0x80 + 0x50, size);
  return header;
}

struct FileCase {
  std::string name;
  std::string argument;                       // the file given; "" none
  std::map<std::string, std::string> files;   // settings files and their text
  std::set<std::string> existing;             // other files, never read
  int status;
  std::vector<Problem> problems = {};         // file warnings, in order
  std::vector<std::string> shows = {};        // in the report (rows as @1 to @6)
  std::vector<std::string> hides = {};        // not in the report
  std::string readsFrom = "-";                // the file every profile read names; "" none
  std::vector<fake::Program> programs = {};   // running beside the check
  std::map<std::string, Kind> others = {};    // folders, links that lead nowhere
  std::string program = kCheckInScripts;      // where the check lies
  std::map<std::string, system::Version> versions = {};  // besides the plug-in's at every .asi
  bool underWine = false;
  std::function<void(fake::Platform&)> setUp = {};  // anything else of the world
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }
class FileCases : public ::testing::TestWithParam<FileCase> {};


// The case's world in the fake, and the check's verdict on it.
Verdict RunCase(const FileCase& c) {
  fake::State() = {.moduleFileName = c.program, .files = c.files, .existingFiles = c.existing,
                   .otherThings = c.others, .currentFolder = kScripts, .underWine = c.underWine,
                   .programs = c.programs};
  // Every .asi is the plug-in, as its version information says, unless the case says otherwise.
  for (const std::string& file : c.existing) {
    if (file.ends_with(".asi")) fake::State().versions[file] = fake::kPluginVersion;
  }
  for (const auto& [file, version] : c.versions) fake::State().versions[file] = version;
  if (c.setUp) c.setUp(fake::State());
  // A game's executable spans every row; any other program's is of ordinary size.
  for (const fake::Program& program : c.programs) {
    fake::State().files.try_emplace(program.image, PeHeader(program.image.ends_with(kGameName) ? 0xC00000 : 0x10000));
  }
  return Judge(Look(c.argument.empty() ? nullptr : c.argument.c_str()));
}

// The English of the catalog, as pieces between its arguments: those of three words
// or more, which a report in another language must not hold.
std::vector<std::string> EnglishPieces() {
  std::vector<std::string> pieces;
  const std::regex argument(" *%[0-9]\\$s *");
  const std::regex word("[A-Za-z]{2,}");
  for (const catalog::Entry& entry : catalog::Read(catalog::kEmbedded[0].text).entries) {
    for (const std::string& english : {entry.english, entry.englishPlural}) {
      for (std::sregex_token_iterator piece(english.begin(), english.end(), argument, -1), end; piece != end; ++piece) {
        const std::string text = *piece;
        if (std::distance(std::sregex_iterator(text.begin(), text.end(), word), {}) >= 3) pieces.push_back(text);
      }
    }
  }
  return pieces;
}

// The rows as written ("0x00B74D64 := 01"), in order; and the widest line but a
// path's, in console columns (glibc's wcswidth).
std::vector<std::string> RowsOf(const std::string& text) {
  const std::regex row("0x[0-9A-F]{8} := [0-9A-F]{2}( [0-9A-F]{2})*");
  std::vector<std::string> rows;
  for (std::sregex_iterator at(text.begin(), text.end(), row), end; at != end; ++at) rows.push_back(at->str());
  return rows;
}

int Widest(const std::string& text) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  std::istringstream lines(text);
  int widest = 79;
  for (std::string line; std::getline(lines, line);) {
    std::wstring wide(line.size(), L'\0');
    wide.resize(std::mbstowcs(wide.data(), line.c_str(), wide.size()));
    widest = std::max(widest, line.find('\\') == std::string::npos ? wcswidth(wide.c_str(), wide.size()) : 0);
  }
  return widest;
}

// In every language the report says the same things: the same status, findings, rows
// and bytes, no English sentence left, and no line wider than the English's.
TEST_P(FileCases, StatusWarningsAndReport) {
  const FileCase& c = GetParam();
  const Verdict verdict = RunCase(c);
  const Report report = Lay(verdict, Words("en"));

  EXPECT_EQ(report.status, c.status) << report.text;
  EXPECT_EQ(FileProblems(report), c.problems) << report.text;
  // The verdict first: whether the plug-in works, or why the check cannot tell.
  const std::string first = report.text.substr(report.text.find("\n\n") + 2);
  EXPECT_TRUE(c.status == kStatusUnreadable || first.starts_with("Lumavale is ") ||
              first.starts_with("The check cannot tell")) << report.text;
  // A path a player may copy is never broken across lines.
  for (const std::string& path : {c.argument, c.program.substr(0, c.program.rfind('\\') + 1)}) {
    if (path.find('\\') != std::string::npos && Shows(report.text, path)) {
      EXPECT_NE(report.text.find(path), std::string::npos) << path << "\n" << report.text;
    }
  }
  for (const std::string& part : c.shows) EXPECT_TRUE(Shows(report.text, part)) << part << "\n" << report.text;
  for (const std::string& part : c.hides) EXPECT_FALSE(Shows(report.text, part)) << part << "\n" << report.text;
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
    EXPECT_TRUE(SamePlace(image, kGame + kGameName) || SamePlace(image, kScripts + kGameName)) << image;
  }
  for (const auto& [address, size] : fake::State().programReads) {
    const bool row = std::ranges::any_of(kLumavaleRows, [&](const LumavaleRow& r) {
      return r.address == address && r.width == size;
    });
    EXPECT_TRUE(row || (address - LUMAVALE_HOST_IMAGE_BASE < 0x1000 && size == 4)) << std::hex << address;
  }
  // What reaches a console is safe to show: no control character but the line ends,
  // and, but for whole paths, no line longer than a cut value with its length.
  EXPECT_TRUE(std::ranges::all_of(report.text, [](unsigned char ch) { return ch == '\n' || ch >= 0x20; }))
      << report.text;
  std::istringstream lines(report.text);
  for (std::string line; std::getline(lines, line);) EXPECT_TRUE(line.find('\\') != std::string::npos || line.size() <= 160) << line;
  static const std::vector<std::string> kPieces = EnglishPieces();
  const std::vector<std::string> rows = RowsOf(report.text);
  const int widest = Widest(report.text);
  const std::vector<std::string> codes = LanguageCodes();  // English first
  for (const std::string& code : std::vector(codes.begin() + 1, codes.end())) {
    const Report said = Lay(verdict, Words(code));
    EXPECT_EQ(said.status, report.status) << code;
    EXPECT_EQ(FileProblems(said), FileProblems(report)) << code;
    EXPECT_EQ(RowsOf(said.text), rows) << code << "\n" << said.text;
    // Only a line of the file shown as written may be wider, by a longer "Line 3:".
    EXPECT_LE(Widest(said.text), widest + (widest > 79 ? 8 : 0)) << code;
    const std::string flat = testing::Flat(said.text);
    for (const std::string& piece : kPieces) EXPECT_TRUE(flat.find(piece) == std::string::npos) << code << ": " << piece;
  }
}

// A game started from `folder` (id 1), with these copies of the plug-in loaded in it,
// holding what the plug-in wrote from the settings it read at start, under the
// header of a build the plug-in knows.
fake::Program Game(const std::string& folder, const std::vector<std::string>& plugins, const PluginSettings& started,
                   std::uint32_t denied = 0) {
  fake::Program game{1, folder + kGameName, {{LUMAVALE_HOST_IMAGE_BASE, folder + kGameName}}, {}, denied};
  for (const std::string& plugin : plugins) game.modules.push_back({0x10000000, plugin});
  const auto put = [&](std::uint32_t address, std::uint32_t value, std::uint32_t width) {
    for (std::uint32_t i = 0; i < width; ++i) {
      game.memory[address + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
  };
  const std::string header = PeHeader(0xC00000);
  for (std::size_t i = 0; i < header.size(); ++i) {
    game.memory[LUMAVALE_HOST_IMAGE_BASE + static_cast<std::uint32_t>(i)] = static_cast<std::uint8_t>(header[i]);
  }
  for (const scenarios::Row& row : scenarios::ExpectedRows(scenarios::Of(started))) {
    put(row.address, row.applies ? row.value : 0xEEEEEEEE, row.width);  // or the game's own
  }
  return game;
}

const PluginSettings kDefaultsFogOn{true, 0.8f, 1.25f, true, false};
// The game folder's file turns the effect and the fog on at 0.5; the scripts folder's
// turns them off at 0.7. Loaded in that order, the game holds the first's switches
// and the second's amount.
const std::map<std::string, std::string> kTwoFiles = {
    {kInGame, "[Lumavale]\nEnabled=1\nAmountInFrontend=0.5\n[Other]\nFog=1\n"},
    {kInScripts, "[Lumavale]\nEnabled=0\nAmountInFrontend=0.7\n[Other]\nFog=0\n"}};
const PluginSettings kBothFiles{true, 0.7f, 1.25f, true, false};
const std::string kMods = kGame + "mods\\lighting\\";  // two folders below the game
const std::string kOtherGame = "C:\\lib\\";        // a game whose folder holds another install
const std::string kSteam = "Z:\\home\\deck\\Steam\\steamapps\\";  // a Steam library under Wine
const std::string kSpaced = "C:\\Program Files (x86)\\Steam\\steamapps\\common\\A Game With A Long Name\\scripts\\";

// A file that the plug-in reads with a warning for every one of its lines.
std::string ManyProblemLines(std::size_t count) {
  std::string text = kFogOn;
  for (std::size_t i = 0; i < count; ++i) text += "x\n";
  return text;
}

INSTANTIATE_TEST_SUITE_P(Files, FileCases, ::testing::ValuesIn(std::vector<FileCase>{
    // Given files, and where they lie against the plug-in.
    {"BesideThePlugIn", kInScripts, kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"What the plug-in will use:\n", "@4 := 01"}, {"would use"}},
    {"BesideThePlugInInGameFolder", kInGame, {{kInGame, kFogOn}}, {kAsiInGame}, kStatusClean, {},
     {"What the plug-in will use:\n"}},
    {"AtADrivesRoot", "C:\\" + kSettingsName, {{"C:\\" + kSettingsName, kFogOn}}, {"C:\\Lumavale.asi"}, kStatusClean},
    {"NoPlugInAnywhere", kInScripts, kFogOnInScripts, {}, kStatusWarnings, {Problem::kNoPluginBeside},
     {"in the folder that holds Lumavale.asi", "What the plug-in would use from this file",
      "write into the game, with the defaults, wherever no settings file lies beside it", "@4      not written"},
     {"still starts"}},
    {"GameFolderWhilePlugInInScripts", kInGame, {{kInGame, kFogOn}}, {kAsiInScripts}, kStatusWarnings,
     {Problem::kNoPluginBeside}, {"into " + kScripts, "with the defaults, as no settings file lies beside it"}},
    // The plug-in is what its version information says, whatever it is called.
    {"RenamedPlugIn", kInScripts, kFogOnInScripts, {kRenamed}, kStatusClean, {},
     {"Plug-in: zz_Lumavale.asi, Lumavale 1.2.0\n", "What the plug-in will use:\n"}},
    // Called like the plug-in, but not it: a program, loaded; an empty file; the plug-in renamed.
    {"AsiThatIsNotThePlugIn", kInScripts, {{kInScripts, kFogOn}, {kAsiInScripts, "MZ"}}, {}, kStatusWarnings,
     {Problem::kNotThePlugIn},
     {kAsiInScripts + " is not the plug-in: it is a program, but not this plug-in", "The running game has loaded it",
      "It has loaded " + kAsiInScripts + ", which is not the plug-in"},
     {"There is no copy", "Install an ASI loader"}, "-", {Game(kGame, {kAsiInScripts}, kDefaultsFogOn)}},
    {"EmptyAsi", "", {{kInScripts, kFogOn}, {kAsiInScripts, ""}}, {}, kStatusWarnings, {Problem::kNotThePlugIn},
     {"is not the plug-in: it is empty (0 bytes)"}, {"There is no copy", "still starts"}},
    {"PlugInRenamedToDll", "", kFogOnInScripts, {kScripts + "Lumavale.dll"}, kStatusWarnings,
     {Problem::kPlugInRenamed}, {"Rename it to Lumavale.asi"}, {"There is no copy"}, "-", {}, {}, kCheckInScripts,
     {{kScripts + "Lumavale.dll", fake::kPluginVersion}}},
    {"FolderThatCannotBeListedMayHoldThePlugIn", kInScripts, kFogOnInScripts, {}, kStatusClean, {},
     {"Plug-in: cannot tell, the files in " + kScripts + " cannot be listed"}, {}, "-", {},
     {{kScripts, Kind::kUnreachable}}},
    {"TwoCopiesInOneFolder", kInScripts, kFogOnInScripts, {kAsiInScripts, kRenamed}, kStatusWarnings,
     {Problem::kTwoCopies}, {"There are 2 copies of the plug-in in " + kScripts}},
    {"ScriptsWhilePlugInInGameFolder", kInScripts, kFogOnInScripts, {kAsiInGame}, kStatusWarnings,
     {Problem::kNoPluginBeside}, {"into " + kGame}},
    {"SecondFileInParent", kInScripts, kFogOnInScripts, {kAsiInScripts, kInGame}, kStatusWarnings,
     {Problem::kNeighbourSettings}, {"the plug-in reads no other", "which is this one"}},
    {"SecondFileInScripts", kInGame, {{kInGame, kFogOn}}, {kAsiInGame, kInScripts}, kStatusWarnings,
     {Problem::kNeighbourSettings}, {"the plug-in reads no other"}},
    {"PlugInAndItsFileInScripts", kInGame, {{kInGame, ""}}, {kAsiInScripts, kInScripts}, kStatusWarnings,
     {Problem::kNoPluginBeside}, {"Copy this file over " + kInScripts, "with the settings file it reads, " + kInScripts}},
    {"DroppedFromElsewhereOnTheCheckBesideThePlugIn", kDropped, {{kDropped, kFogOn}, {kInScripts, ""}},
     {kAsiInScripts}, kStatusWarnings, {Problem::kNoPluginBeside},
     {"The copy beside this check, " + kAsiInScripts, "Copy this file over " + kInScripts, "Lumavale is active"}, {},
     "-", {Game(kGame, {kAsiInScripts}, {true, 0.8f, 1.25f, false, false})}},
    {"OtherFileName", kScripts + "MySettings.ini", {{kScripts + "MySettings.ini", kFogOn}}, {kAsiInScripts},
     kStatusWarnings, {Problem::kOtherFileName}, {"Rename the file to LumavaleSettings.ini", "The values above"}},
    {"OtherFileNameWhereTheNameIsTaken", kScripts + "MySettings.ini", {{kScripts + "MySettings.ini", kFogOn}},
     {kAsiInScripts, kInScripts}, kStatusWarnings, {Problem::kOtherFileName},
     {"Copy this file over the LumavaleSettings.ini in " + kScripts}, {"Rename"}},
    {"BareNameIsTakenFromTheCurrentFolder", kSettingsName, kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"Settings file: " + kInScripts + "\n", "@4 := 01"}, {}, kInScripts},
    {"GivenPathTooLongReadsAsDefaults", kLongFolder + kSettingsName, {{kLongFolder + kSettingsName, kFogOn}},
     {kLongFolder + "Lumavale.asi"}, kStatusWarnings, {Problem::kPathTooLong}, {}, {"@4 := 01"}},
    {"GivenFileThatCannotBeReadIsStatusTwo", "C:\\nowhere\\" + kSettingsName, {}, {}, kStatusUnreadable, {},
     {"Cannot read the file C:\\nowhere\\LumavaleSettings.ini: it does not exist"}, {":="}, ""},
    {"MissingFileWithPathTooLongSaysBoth", kLongFolder + kSettingsName, {}, {}, kStatusUnreadable,
     {Problem::kPathTooLong}, {"it does not exist", "longer than the plug-in can handle"}},
    // A folder given is checked as if the check lay in it.
    {"DroppedFolderIsCheckedAsTheFolder", "C:\\Games\\Host\\scripts", kFogOnInScripts, {kAsiInScripts}, kStatusClean,
     {}, {kScripts + " is a folder", "Settings file: " + kInScripts + "\n", "@4 := 01"}, {}, kInScripts, {},
     {{"C:\\Games\\Host\\scripts", Kind::kFolder}}},
    {"DroppedFolderWithoutTheFileSaysWhatItHolds", "C:\\Downloads", {{"C:\\Downloads\\Lumavale.ini", kFogOn}}, {},
     kStatusWarnings, {Problem::kNoPluginBeside, Problem::kNamedAfterPlugIn},
     {"The .ini files in it: Lumavale.ini", "C:\\Downloads\\Lumavale.ini is not read"}, {}, "-", {},
     {{"C:\\Downloads", Kind::kFolder}}},
    {"FolderItMayNotReadSaysSo", kInScripts, {}, {}, kStatusUnreadable, {},
     {"Windows does not let this check read it (access denied)"}, {"link"}, "-", {}, {{kInScripts, Kind::kDenied}}},
    {"PatternIsNoFile", "*.ini", {}, {}, kStatusUnreadable, {}, {kScripts + "*.ini: it is a pattern, not a file"},
     {"link"}},
    // Files that are not settings text are never to be renamed.
    {"PlugInDroppedOnTheCheck", kAsiInScripts, {{kAsiInScripts, std::string("MZ\x90\0\x03\0", 6)}}, {},
     kStatusUnreadable, {}, {"is not a settings file: it is a program"}, {"Rename", ":="}},
    {"BytesNoTextHolds", kInScripts, {{kInScripts, std::string("\x01\x02\x03[Other]\x04\x05\x06", 13)}},
     {kAsiInScripts}, kStatusUnreadable, {}, {"it is a file of bytes that no text holds"}, {"Rename"}},
    // The file beside the check itself, when none is given.
    {"WithoutArgumentTheFileBesideTheProgram", "", kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"Settings file: " + kInScripts + "\n", "@4 := 01"}, {}, kInScripts},
    {"WithoutArgumentAndWithoutFileTheDefaultsApply", "", {}, {kAsiInScripts}, kStatusClean, {},
     {"Settings file: none", "@3 := 00 00 A0 3F", "No problems found. There is no settings file, so the plug-in uses its "
      "defaults"}},
    {"WithoutArgumentAFileInTheWrongFolder", "", {}, {kAsiInScripts, kInGame}, kStatusWarnings,
     {Problem::kNeighbourSettings}, {"Move that file into"}},
    {"ProgramPathTooLongForThePlugIn", "", {}, {"C:\\" + std::string(250, 'd') + "\\Lumavale.asi"}, kStatusWarnings,
     {Problem::kPathTooLong}, {"@3 := 00 00 A0 3F", "Settings file: cannot be read from this folder\n",
     "Plug-in: Lumavale.asi, Lumavale 1.2.0\n", "No game is running from"}, {"Settings file: none"}, "",
     {}, {}, "C:\\" + std::string(250, 'd') + "\\LumavaleCheck.exe"},
    {"NamesNearTheRealOne", "", {{kScripts + "LumavaleSettings.ini.txt", kFogOn}},
     {kAsiInScripts, kScripts + "LumavaleSettings (1).ini"}, kStatusWarnings, {Problem::kNearName, Problem::kNearName},
     {"but there is LumavaleSettings (1).ini", "Rename LumavaleSettings.ini.txt to LumavaleSettings.ini"}},
    {"FolderNamedLikeTheFile", "", {}, {kAsiInScripts}, kStatusWarnings, {Problem::kNotAFile},
     {"it is a folder, not a file"}, {"Settings file: none"}, "-", {}, {{kInScripts, Kind::kFolder}}},
    {"LinkThatLeadsNowhereNamedLikeTheFile", "", {}, {kAsiInScripts}, kStatusWarnings, {Problem::kNotAFile},
     {"a link that leads to no file"}, {}, "-", {}, {{kInScripts, Kind::kUnreachable}}},
    // Folders whose names the ANSI code page cannot hold: read by the wide road.
    {"FolderTheAnsiCodePageCannotName", "", {{kRussian + kSettingsName, kFogOn}}, {kRussian + "Lumavale.asi"},
     kStatusClean, {}, {"Settings file: " + kRussian + kSettingsName + "\n", "@4 := 01"}, {"none"},
     kRussian + kSettingsName + " (wide)", {}, {}, kRussian + "LumavaleCheck.exe"},
    {"NoFileInAFolderTheAnsiCodePageCannotName", "", {}, {kRussian + "Lumavale.asi"}, kStatusClean, {},
     {"  There is no LumavaleSettings.ini in " + kRussian + ". Without one the plug-in uses\n"}, {}, "-", {}, {},
     kRussian + "LumavaleCheck.exe"},
    {"DroppedFromAFolderTheAnsiCodePageCannotName", kRussian + kSettingsName,
     {{kRussian + kSettingsName, kFogOn}}, {kRussian + "Lumavale.asi"}, kStatusClean, {}, {"@4 := 01"}, {},
     kRussian + kSettingsName + " (wide)"},
    // What the file holds.
    {"Utf16WithoutByteOrderMark", kInScripts,
     {{kInScripts, testing::Utf16("[Other]\r\nFog=1\r\n", false, false)}}, {kAsiInScripts}, kStatusWarnings,
     {Problem::kNotText}, {"save it as ANSI or UTF-8", "Fog: not set"}, {"Line 1"}},
    {"Utf16WithByteOrderMarkIsReadAsText", kInScripts,
     {{kInScripts, testing::Utf16("[Lumavale]\r\nEnabled=on\r\n[Other]\r\nFog=1\r\n", false)}}, {kAsiInScripts},
     kStatusWarnings, {}, {"Line 2: Enabled=on", "@4 := 01"}, {"NUL"}},
    {"ControlCharactersAndALongValueShownSafely", kInScripts,
     {{kInScripts, "[Lumavale]\nAmountInGameplay=2\x1B[31m\a\xFC\x82\xBB\xA8\nAmountGameplay=" + std::string(100000, '7') +
                       "\n"}},
     {kAsiInScripts}, kStatusWarnings, {}, {"AmountInGameplay=2\\x1B[31m\\x07ü‚»¨", "(100015 characters in all)"}},
    {"LargeFileIsReadWhole", kInScripts, {{kInScripts, "[Other]\n" + std::string(10000, ';') + "\nFog=true\n"}},
     {kAsiInScripts}, kStatusWarnings, {}, {"Line 3: Fog=true"}},
    {"AtMostFiftyProblemLinesShown", kInScripts, {{kInScripts, ManyProblemLines(60)}}, {kAsiInScripts},
     kStatusWarnings, {},
     {"50 warnings, from the first 50 lines", "Line 52: x", "And 10 more lines with problems"}, {"Line 53:"}},
    // The running game, where the plug-in's effect can be seen.
    // Where the system cannot say what a path names, paths are compared as they are written.
    {"RunningGameWithThePlugInActive", "", kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"Lumavale is active in the running game", "names this build: title S, region E, version 1.1"}, {}, "-",
     {Game(kGame, {kAsiInScripts}, kDefaultsFogOn)}, {}, kCheckInScripts, {}, false,
     [](fake::Platform& world) { world.identityUnknown = true; }},
    {"RunningGameStartedBeforeTheFileChanged", "",
     {{kInScripts, kFogOn + "[Lumavale]\nAmountInFrontend=0.5\n"}}, {kAsiInScripts}, kStatusWarnings,
     {Problem::kNotActive}, {"but row 2 (0x", "The running game:", "Restart the game"}, {}, "-",
     {Game(kGame, {kAsiInScripts}, kDefaultsFogOn)}},
    {"RunningGameWithoutThePlugIn", kInScripts, kFogOnInScripts, {kAsiInScripts}, kStatusWarnings,
     {Problem::kNotLoaded}, {"no copy of the plug-in is loaded in it", "set to native"}, {}, "-",
     {Game(kScripts, {}, kDefaultsFogOn)}},
    {"RunningGameWithOtherPlugInsOnly", kInScripts, kFogOnInScripts, {kAsiInScripts}, kStatusWarnings,
     {Problem::kNotLoaded}, {"The ASI loader works: the running game has loaded " + kGame + "Other.asi"},
     {"Install an ASI loader"}, "-", {Game(kGame, {kGame + "Other.asi"}, kDefaultsFogOn)}},
    {"RunningGameThatCannotBeOpenedIsSaidSo", "", kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"The game is running (" + kGame + kGameName + "), but Windows does not let this check look into it "
      "(access denied). Most likely the game runs as administrator. Run LumavaleCheck.exe as administrator too"},
     {"No game is running"}, "-", {Game(kGame, {kAsiInScripts}, kDefaultsFogOn, 5)}},
    {"ProgramsInOtherFoldersAreNeverOpened", "", kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"No game is running from", "No game is running from " + kScripts + " or a folder above it"}, {}, "-",
     {Game("C:\\Other\\", {kAsiInScripts}, kDefaultsFogOn)}},
    {"RenamedPlugInActive", "", kFogOnInScripts, {kRenamed}, kStatusClean, {}, {"Lumavale is active"}, {}, "-",
     {Game(kGame, {kRenamed}, kDefaultsFogOn)}},
    {"LauncherIsNotTheGame", "", kFogOnInScripts, {kAsiInScripts}, kStatusClean, {}, {"No game is running from"},
     {}, "-", {{1, kGame + "launcher.exe", {{LUMAVALE_HOST_IMAGE_BASE, kGame + "launcher.exe"}}, {}}}},
    {"FogSwitchedOffSinceTheStart", "", {{kInScripts, ""}}, {kAsiInScripts}, kStatusClean, {},
     {"Lumavale is active", "Note: row 4 (@4) is written by no loaded copy with the files as they are now (Fog is "
      "off), but it holds the bytes the plug-in writes there when Fog is 1", "restart it to apply the file",
      "No problems found"}, {}, "-", {Game(kGame, {kAsiInScripts}, kDefaultsFogOn)}},
    {"TwoCopiesLoaded", kInGame, {{kInGame, kFogOn}, {kInScripts, kFogOn}}, {kAsiInGame, kAsiInScripts},
     kStatusWarnings, {Problem::kNeighbourSettings, Problem::kSeveralLoaded},
     {"has loaded 2 copies of the plug-in, in this order: " + kAsiInGame, "row 4 (@4): 01, from " + kInScripts,
      "Another copy of the plug-in lies beside it"},
     {"never read", "Restart", "overwritten"}, "-", {Game(kGame, {kAsiInGame, kAsiInScripts}, kDefaultsFogOn)}},
    // Two copies whose files differ, the game folder's loaded first, each file asked about.
    {"TwoCopiesLoadedAskedFromScripts", kInScripts, kTwoFiles, {kAsiInGame, kAsiInScripts}, kStatusWarnings,
     {Problem::kNeighbourSettings, Problem::kSeveralLoaded},
     {"Lumavale is active", "row 2 (@2): 33 33 33 3F, from this file", "row 1 (@1): 20 99 9E 00, from " + kInGame,
      "This file leaves row 1 (@1) and row 4 (@4) unwritten, but another copy writes them: " + kAsiInGame},
     {"Restart", "overwritten", "Note:"}, "-", {Game(kGame, {kAsiInGame, kAsiInScripts}, kBothFiles)}},
    {"TwoCopiesLoadedAskedFromTheGameFolder", kInGame, kTwoFiles, {kAsiInGame, kAsiInScripts}, kStatusWarnings,
     {Problem::kNeighbourSettings, Problem::kSeveralLoaded},
     {"row 4 (@4): 01, from this file",
      "Of what this file gives, row 2 (@2) is overwritten by a copy loaded later: " + kAsiInScripts},
     {"Restart", "unwritten", "Enabled is off"}, "-", {Game(kGame, {kAsiInGame, kAsiInScripts}, kBothFiles)}},
    {"OnlyTheOtherCopyLoaded", kInGame, {{kInGame, kFogOn}, {kInScripts, kFogOn}}, {kAsiInGame, kAsiInScripts},
     kStatusWarnings, {Problem::kNeighbourSettings, Problem::kOtherCopyLoaded},
     {"has loaded the plug-in from " + kAsiInScripts, "not the copy that reads this file",
      "Copy this file over " + kInScripts},
     {"did not load"}, "-", {Game(kGame, {kAsiInScripts}, kDefaultsFogOn)}},
    {"PlugInTwoFoldersBelowTheGame", "", {{kMods + kSettingsName, kFogOn}}, {kMods + "Lumavale.asi"}, kStatusClean,
     {}, {"Lumavale is active in the running game (" + kGame + kGameName}, {}, "-",
     {Game(kGame, {kMods + "Lumavale.asi"}, kDefaultsFogOn)}, {}, kMods + "LumavaleCheck.exe"},
    {"AnotherInstallsGameAbove", "", {{kOtherGame + "inst\\" + kSettingsName, kFogOn}, {kOtherGame + "inst\\" + kGameName, PeHeader(0xC00000)}},
     {kOtherGame + "inst\\Lumavale.asi"}, kStatusClean, {},
     {kOtherGame + kGameName + " is running, but it is the game of another folder: " + kOtherGame + "inst\\" + kGameName,
      "No game is running from"},
     {"ASI loader"}, "-", {Game(kOtherGame, {}, kDefaultsFogOn)}, {}, kOtherGame + "inst\\LumavaleCheck.exe"},
    {"TwoInstancesEachJudged", "", kFogOnInScripts, {kAsiInScripts}, kStatusWarnings, {Problem::kNotActive},
     {"In the running games:", "(" + kGame + kGameName + ", process 2): every value from this file is in place",
      "Restart the game (" + kGame + kGameName + ", process 1)"}, {"process 2) to apply"}, "-",
     {Game(kGame, {kAsiInScripts}, {true, 0.8f, 1.25f, false, false}),
      [] { fake::Program game = Game(kGame, {kAsiInScripts}, kDefaultsFogOn); game.id = 2; return game; }()}},
    {"NoSettingsFileWhileTheGameHoldsOthers", "", {}, {kAsiInScripts}, kStatusWarnings, {Problem::kNotActive},
     {"does not hold the value from the defaults (no settings file lies in " + kScripts}, {"this file"}, "-",
     {Game(kGame, {kAsiInScripts}, {true, 0.5f, 1.25f, false, false})}},
    {"ProgramSavedAsTheSettingsFile", "", {{kInScripts, std::string("MZ\x90\0\x03\0", 6)}}, {kAsiInScripts},
     kStatusWarnings, {Problem::kNotSettingsText},
     {"not settings text: it is a program", "uses the defaults", "Lumavale is active"}, {"Rename"}, "-",
     {Game(kGame, {kAsiInScripts}, {true, 0.8f, 1.25f, false, false})}},
    {"UnderWineNoGameSaysWhatItCannotSee", "",
     {{kSteam + "common\\Host\\" + kSettingsName, kFogOn}, {kSteam + "appmanifest_220.acf", "\"installdir\" \"Other\""},
      {kSteam + "appmanifest_440.acf", "\"AppState\"\n{\n\t\"appid\"\t\t\"440\"\n\t\"installdir\"\t\t\"host\"\n}\n"}},
     {kSteam + "common\\Host\\Lumavale.asi"}, kStatusClean, {},
     {"sees only the programs of its own Wine prefix", "WINEPREFIX=", "protontricks-launch --appid 440 LumavaleCheck.exe"},
     {}, "-", {}, {}, kSteam + "common\\Host\\LumavaleCheck.exe", {}, true},
    {"OtherFileNameWhileTheGameRuns", kScripts + "MySettings.ini",
     {{kScripts + "MySettings.ini", "[Lumavale]\nAmountInFrontend=0.5\n"}, {kInScripts, kFogOn}}, {kAsiInScripts},
     kStatusWarnings, {Problem::kOtherFileName},
     {"Lumavale is active", "with the settings file it reads, " + kInScripts}, {"Restart"}, "-",
     {Game(kGame, {kAsiInScripts}, kDefaultsFogOn)}},
    // One folder is one folder, however a path names it.
    {"GameStartedThroughAnotherDriveLetter", "", kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"Lumavale is working in D:\\Game\\game.exe.", "every value from this file is in place"}, {"another"}, "-",
     {Game("D:\\Game\\", {"D:\\Game\\scripts\\Lumavale.asi"}, kDefaultsFogOn)}, {}, kCheckInScripts,
     {{"D:\\Game\\scripts\\Lumavale.asi", fake::kPluginVersion}}, false,
     [](fake::Platform& world) { world.aliases = {{"D:\\Game\\", kGame}}; }},
    // No copy beside the check: the running game says where the plug-in is.
    {"CheckAloneOnTheDesktop", "", kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"Lumavale is working in " + kGame + kGameName, "There is no copy of the plug-in in C:\\Desk\\",
      "Settings file: " + kInScripts, "@4 := 01", "Next time, put LumavaleCheck.exe in " + kScripts},
     {"Put LumavaleSettings.ini"}, "-", {Game(kGame, {kAsiInScripts}, kDefaultsFogOn)}, {},
     "C:\\Desk\\LumavaleCheck.exe"},
    {"FileDroppedOnTheCheckOnTheDesktop", "C:\\Desk\\" + kSettingsName, {{"C:\\Desk\\" + kSettingsName, kFogOn}},
     {kAsiInScripts}, kStatusWarnings, {Problem::kNoPluginBeside},
     {"has loaded it from " + kAsiInScripts, "Copy this file into " + kScripts}, {}, "-",
     {Game(kGame, {kAsiInScripts}, {true, 0.8f, 1.25f, false, false})}, {}, "C:\\Desk\\LumavaleCheck.exe"},
    // Files the plug-in does not read.
    {"LumavaleIniIsNotRead", "", {{kScripts + "Lumavale.ini", kFogOn}}, {kAsiInScripts}, kStatusWarnings,
     {Problem::kNamedAfterPlugIn}, {"Lumavale.ini is not read", "Rename Lumavale.ini to LumavaleSettings.ini"},
     {"No problems found"}},
    {"CaseTwinOnADiskThatTellsThemApart", "", {{kInScripts, ""}, {kScripts + "lumavalesettings.ini", kFogOn}},
     {kAsiInScripts}, kStatusWarnings, {Problem::kCaseTwin},
     {"lumavalesettings.ini is not read", "If your changes are in lumavalesettings.ini, copy them into "
      "LumavaleSettings.ini", "@4      not written"}, {}, kInScripts, {}, {}, kCheckInScripts, {}, false,
     [](fake::Platform& world) { world.caseSensitive = true; }},
    {"CaseTwinGivenIsWarnedOnce", kScripts + "lumavalesettings.ini", {{kInScripts, ""}, {kScripts + "lumavalesettings.ini", kFogOn}},
     {kAsiInScripts}, kStatusWarnings, {Problem::kOtherFileName}, {}, {}, "-", {}, {}, kCheckInScripts, {}, false,
     [](fake::Platform& world) { world.caseSensitive = true; }},
    // True reasons for a game the check cannot look into.
    {"GameClosedUnderWine", "", kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"Wine did not let this check look into it (error 5)", "The check cannot tell whether Lumavale is working: Wine"},
     {"administrator"}, "-",
     {Game(kGame, {kAsiInScripts}, kDefaultsFogOn, 5)}, {}, kCheckInScripts, {}, true},
    {"GameClosedForAnotherReason", "", kFogOnInScripts, {kAsiInScripts}, kStatusClean, {},
     {"this check could not look into it (system error 299)"}, {"administrator"}, "-",
     {Game(kGame, {kAsiInScripts}, kDefaultsFogOn, 299)}},
    {"LongPathWithSpacesStaysWhole", "", {}, {kSpaced + "Lumavale.asi"}, kStatusClean, {}, {}, {}, "-", {}, {},
     kSpaced + "LumavaleCheck.exe"},
    {"FiveMebibytesOfOneCharacterLines", kInScripts, {{kInScripts, ManyProblemLines(5 << 19)}}, {kAsiInScripts},
     kStatusWarnings, {}, {"And 2621390 more lines with problems", "@4 := 01"}},
}), kByName);

// Each language counts as its grammar does: Russian and Polish in three forms, Chinese
// in one, French and Brazilian Portuguese with zero as one. "n:form" each.
TEST(Words, PluralFormsFollowEachLanguage) {
  const std::pair<const char*, const char*> kCases[] = {
      {"en", "0:1 1:0 2:1 21:1"}, {"de", "0:1 1:0 2:1"}, {"es", "0:1 1:0 2:1"}, {"fr", "0:0 1:0 2:1 21:1"},
      {"pt-BR", "0:0 1:0 2:1"}, {"zh-CN", "0:0 1:0 2:0 5:0"}, {"ru", "1:0 2:1 5:2 11:2 21:0 22:1 25:2 111:2"},
      {"pl", "1:0 2:1 5:2 12:2 21:2 22:1 25:2 102:1"}};
  for (const auto& [code, forms] : kCases) {
    const catalog::Embedded* found = catalog::Find(code);
    ASSERT_NE(found, nullptr) << code;
    std::istringstream pairs(forms);
    for (std::uint64_t n = 0, form = 0; pairs >> n && pairs.ignore() && pairs >> form;) {
      EXPECT_EQ(catalog::PluralForm(catalog::Read(found->text).pluralForms, n), form) << code << " " << n;
    }
  }
}

// As Windows programs choose: by the user's language; any Portuguese or Chinese the
// one catalog there is; any other language without a catalog English.
TEST(Words, LanguageOfWindowsByItsPrimaryLanguage) {
  const std::pair<std::uint16_t, const char*> kCases[] = {
      {0x0409, "en"}, {0x0809, "en"}, {0x0419, "ru"}, {0x0416, "pt-BR"}, {0x0816, "pt-BR"}, {0x0C0A, "es"},
      {0x0407, "de"}, {0x0807, "de"}, {0x040C, "fr"}, {0x0415, "pl"},    {0x0804, "zh-CN"}, {0x0404, "zh-CN"},
      {0x0411, "en"}};
  for (const auto& [id, code] : kCases) EXPECT_EQ(LanguageOfWindows(id), code) << std::hex << id;
}

// --- The program ----------------------------------------------------------------------

struct ProgramCase {
  std::string name;
  bool ownConsole;                // a window of its own: it waits for Enter, or asks to fix
  std::vector<std::string> args;  // after the program's name
  int status;
  std::vector<std::string> typed = {};               // the player's answers
  std::vector<std::string> shows = {};               // in what it prints
  std::map<std::string, std::string> files = {};     // the settings files, besides the usual two
  std::map<std::string, std::string> after = {};     // files as they must be after it ran; "": gone
  std::function<void(fake::Platform&)> setUp = {};   // failures made
};

void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }
class ProgramCases : public ::testing::TestWithParam<ProgramCase> {};

// The player's file of the issue: a comma, a word for a switch and a misspelt key,
// between notes, in UTF-16 with Windows line ends; and what the fix makes of it.
const std::string kTraps = "; mine\r\n[Lumavale]\r\nAmountInGameplay=1,5 \r\nEnabeld=1\n[Other]\r\nFog=true";
const std::string kTrapsFixed = "; mine\r\n[Lumavale]\r\nAmountInGameplay=1.5 \r\nEnabled=1\n[Other]\r\nFog=1";
const std::string kOldFile = kInScripts + ".bak";
const std::string kNearName = kScripts + "LumavaleSettings.ini.txt";  // as Windows shows it: LumavaleSettings.ini

// A fix asked for from the command line, with the write of the file made to fail.
ProgramCase Failing(std::string name, system::Wrote wrote, std::string said) {
  return {std::move(name), false, {"--fix"}, kStatusWarnings, {}, {std::move(said)}, {{kInScripts, kTraps}}, {},
          [wrote](fake::Platform& world) { world.failingWrites[kInScripts] = {wrote, 5}; }};
}

TEST_P(ProgramCases, PrintsTheReportAndWaitsOnlyInItsOwnWindow) {
  const ProgramCase& c = GetParam();
  Reset({{kInScripts, kFogOn}, {kDropped, "[Other]\nFog=on\n"}});
  for (const auto& [path, text] : c.files) fake::State().files[path] = text;
  fake::State().moduleFileName = kCheckInScripts;
  fake::State().ownConsole = c.ownConsole;
  fake::State().typed = c.typed;
  if (c.setUp) c.setUp(fake::State());
  const std::map<std::string, std::string> before = fake::State().files;
  std::vector<std::string> arguments{"LumavaleCheck.exe"};
  arguments.insert(arguments.end(), c.args.begin(), c.args.end());
  const int status = RunChecker(arguments);

  const std::string& out = fake::State().out;
  EXPECT_EQ(status, c.status) << out;
  // In its own window it waits for Enter at the end, unless Enter at its question closed it.
  const bool closed = !c.typed.empty() && c.typed[0] != "F";
  EXPECT_EQ(fake::State().enterWaits, c.ownConsole && !closed ? 1 : 0);
  EXPECT_TRUE(out.starts_with("Lumavale settings check\n") || (!c.args.empty() && c.args[0].starts_with("--"))) << out;
  for (const std::string& part : c.shows) EXPECT_TRUE(Shows(out, part)) << part << "\n" << out;
  // Nothing is lost: each file is as it was, or as the fix made it with the old one kept.
  std::map<std::string, std::string> expected = c.after;
  expected.insert(before.begin(), before.end());
  for (const auto& [path, text] : expected) {
    const auto now = fake::State().files.find(path);
    EXPECT_EQ(now == fake::State().files.end() ? "" : now->second, text) << path;
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, ProgramCases, ::testing::ValuesIn(std::vector<ProgramCase>{
    {"DoubleClickedCleanFileWaits", true, {}, kStatusClean},
    {"FromAConsoleDoesNotWait", false, {}, kStatusClean},
    {"DroppedFileAsksToFixAndEnterCloses", true, {kDropped}, kStatusWarnings, {""},
     {"2 of these can be fixed for you. Type F and press Enter to fix them (the old file is kept as "
      "LumavaleSettings.ini.bak)", "The check can do this for you."}},
    {"FileWithWarnings", false, {kDropped}, kStatusWarnings},
    {"MissingFileIsStatusTwo", false, {"C:\\nowhere\\x.ini"}, kStatusUnreadable},
    {"MissingFileStillWaitsInItsOwnWindow", true, {"C:\\nowhere\\x.ini"}, kStatusUnreadable},
    {"UnknownLanguageListsTheCodes", false, {"--language", "xx"}, kStatusUnreadable, {},
     {"There is no language \"xx\". The languages are: en, "}},
    // Fixed when asked: the old file kept, only the fixed bytes changed, checked again.
    {"TypedFFixesTheUtf16File", true, {}, kStatusClean, {"F"},
     {"Fixed " + kInScripts + ". The old file is kept beside it as LumavaleSettings.ini.bak.", "No problems found",
      "-> amount in play: 1.5", "-> fog: on"},
     {{kInScripts, testing::Utf16(kTraps, false)}},
     {{kInScripts, testing::Utf16(kTrapsFixed, false)}, {kOldFile, testing::Utf16(kTraps, false)}}},
    {"FixFromTheCommandLineBigEndian", false, {"--fix"}, kStatusClean, {}, {"No problems found"},
     {{kInScripts, testing::Utf16(kTraps, true)}},
     {{kInScripts, testing::Utf16(kTrapsFixed, true)}, {kOldFile, testing::Utf16(kTraps, true)}}},
    {"FixMovesAKeyIntoANewSection", false, {"--fix"}, kStatusClean, {}, {}, {{kInScripts, "[Lumavale]\nFog=1"}},
     {{kInScripts, "[Lumavale]\n[Other]\nFog=1"}}},
    {"DroppedFileFixedThenCopiedOverTheOneRead", false, {"--fix", kDropped}, kStatusClean, {},
     {"Copied the file to " + kInScripts + ". The old one there is kept as LumavaleSettings.ini.bak.",
      "Settings file: " + kInScripts},
     {}, {{kDropped, "[Other]\nFog=1\n"}, {kInScripts, "[Other]\nFog=1\n"}, {kOldFile, kFogOn},
          {kDropped + ".bak", "[Other]\nFog=on\n"}}},
    {"NearNameRenamed", false, {"--fix"}, kStatusClean, {}, {"Renamed " + kNearName}, {{kNearName, kFogOn}},
     {{kInScripts, kFogOn}, {kNearName, ""}}, [](fake::Platform& world) { world.files.erase(kInScripts); }},
    {"GivenNearNameRenamed", false, {"--fix", kNearName}, kStatusClean, {},
     {"Renamed " + kNearName + " to LumavaleSettings.ini.\n\nLumavale settings check"}, {{kNearName, kFogOn}},
     {{kInScripts, kFogOn}, {kNearName, ""}}, [](fake::Platform& world) { world.files.erase(kInScripts); }},
    {"ShownOnlyIsNeverChanged", false, {"--fix"}, kStatusWarnings, {}, {"Nothing here can be fixed for you."},
     {{kInScripts, "[Other]\nFog=1\nFog=0\n"}}},
    // A failure at any step leaves the file as it was, and says so.
    Failing("ReadOnlyFileIsLeftAlone", system::Wrote::kReadOnly, "it is read-only. To let the check change it"),
    Failing("FileHeldByAnotherProgram", system::Wrote::kInUse, "another program holds it open"),
    Failing("FolderThatMayNotBeWritten", system::Wrote::kDenied, "does not let this check write in its folder"),
    Failing("DiskFull", system::Wrote::kDiskFull, "the disk is full"),
    {"SeveralFilesCheckTheFirst", false, {kInScripts, "C:\\other.ini"}, kStatusClean, {},
     {"Only the first file given was checked"}},
}), kByName);

}  // namespace
}  // namespace lumavale::check
