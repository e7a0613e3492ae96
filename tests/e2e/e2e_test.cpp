// End to end: the real Lumavale.asi loaded by the stand-in host under Wine, one fresh
// directory per scenario, the scenarios the emulated loader (tests/emu) runs too. Every
// expectation comes from Wine's own profile reads of the scenario's file.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "checker/profile_text.h"
#include "host_output.h"
#include "profile_cases.h"
#include "scenarios.h"
#include "wine.h"

namespace {

namespace fs = std::filesystem;
namespace wine = lumavale::wine;
using lumavale::testing::Bytes;
using lumavale::testing::FromHex;

const fs::path kWin32Dir = LUMAVALE_WIN32_DIR;
const fs::path kPlugin = kWin32Dir / "Lumavale.asi";
const fs::path kHost = kWin32Dir / "tests/host/standin_host.exe";

using wine::WindowsPath;
using namespace lumavale::scenarios;

// --- What the plug-in should store --------------------------------------------------

// Asks the system, through the host, what each read gives from the file (a missing
// file gives the defaults), read as the stand-in host reads: GetPrivateProfileInt with
// the default's text, or GetPrivateProfileString into kAmountBufferSize units.
// Integers come back as decimal text, strings as they came.
std::vector<std::string> AskWine(const fs::path& file, std::span<const LumavaleRead> reads) {
  const std::string ini = WindowsPath(file);
  std::vector<std::string> args;
  for (const LumavaleRead& read : reads) {
    args.insert(args.end(), {read.integer ? "--read-int" : "--read-string", ini, read.section, read.key,
                             read.defaultText});
    if (!read.integer) args.push_back(std::to_string(kAmountBufferSize));
  }
  const wine::Run run = wine::RunProgram(kHost, args, fs::temp_directory_path());
  EXPECT_EQ(run.status, 0) << run.out;
  std::istringstream lines(run.out);
  std::vector<std::string> values;
  for (std::string kind, section, key, value; lines >> kind >> section >> key >> value;) {
    if (kind == "string") {
      const Bytes bytes = FromHex(value);  // none for "-"
      value.assign(bytes.begin(), bytes.end());
    }
    values.push_back(value);
  }
  EXPECT_EQ(values.size(), reads.size()) << "unreadable answer from the host:\n" << run.out;
  values.resize(reads.size());
  return values;
}

Settings ReadSettings(const fs::path& file) { return Expect(AskWine(file, kLumavaleReads)); }

// --- Scenarios ----------------------------------------------------------------------

class Sandbox : public wine::Sandbox {
 protected:
  Sandbox() : wine::Sandbox({kPlugin, kHost}) {}
};

class E2e : public Sandbox, public testing::WithParamInterface<Scenario> {};

TEST_P(E2e, WritesExactlyTheExpectedBytes) {
  const Scenario& scenario = GetParam();
  const Layout layout = LayOut(scenario);
  const fs::path pluginDir = root / layout.pluginDir;
  const fs::path hostDir = root / layout.hostDir;
  fs::create_directories(pluginDir);
  fs::create_directories(hostDir);
  const fs::path host = hostDir / "standin_host.exe";
  fs::copy_file(kHost, host);
  fs::copy_file(kPlugin, pluginDir / scenario.pluginName);
  std::string pluginArgument = WindowsPath(pluginDir / scenario.pluginName);
  // The trailing dot keeps the loader from adding ".dll" to an extensionless name.
  if (scenario.placement == Placement::kDottedNoExtension) pluginArgument += '.';

  const fs::path ini = pluginDir / "LumavaleSettings.ini";
  if (scenario.settings) std::ofstream(ini, std::ios::binary) << *scenario.settings;
  if (scenario.decoy) {
    const fs::path decoy = root / layout.decoyDir / "LumavaleSettings.ini";
    std::ofstream(decoy, std::ios::binary) << *scenario.decoy;
    // The decoy must lead to other writes, or reading it would go unnoticed.
    const Settings proper = ReadSettings(ini);
    ASSERT_FALSE(SameEffect(ReadSettings(decoy), proper)) << testing::PrintToString(proper);
  }

  const Settings expected = ReadSettings(ini);
  if (HasFailure()) return;
  if (scenario.settings && scenario.settings->find(kLongAmount) != std::string::npos) {
    const std::string cut = kLongAmount.substr(0, kAmountBufferSize - 1);
    const bool frontend = scenario.settings->find("AmountInFrontend=" + kLongAmount) != std::string::npos;
    EXPECT_EQ(frontend ? expected.frontendText : expected.gameplayText, cut);
    ASSERT_NE(AmountBits(cut), AmountBits(kLongAmount)) << "the cut must change the result";
  }

  std::vector<std::string> args;
  if (scenario.entryKey) args.insert(args.end(), {"--entry", std::to_string(*scenario.entryKey)});
  if (scenario.probeByte) args.insert(args.end(), {"--probe-byte", std::to_string(*scenario.probeByte)});
  args.insert(args.end(), {"--rotate", std::to_string(scenario.rotate), pluginArgument});
  const wine::Run run = wine::RunProgram(host, args, hostDir);
  const auto seen = lumavale::testing::ParseHostOutput(run.out);
  SCOPED_TRACE("frontend \"" + expected.frontendText + "\", gameplay \"" + expected.gameplayText +
               "\"\nhost said:\n" + run.out);

  EXPECT_EQ(run.status, 0);
  ASSERT_TRUE(seen.ended);
  ASSERT_TRUE(seen.loaded);
  const std::vector<Row> rows = ExpectedRows(expected);
  ASSERT_EQ(seen.spans.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    const auto& span = seen.spans[i];
    SCOPED_TRACE("row " + std::to_string(row.row));
    ASSERT_EQ(std::tuple(span.row, span.address, span.width, span.before.size()),
              std::tuple(row.row, row.address, std::size_t{row.width}, row.width + 2 * span.pad));
    Bytes want = span.before;
    if (row.applies) {
      for (std::size_t b = 0; b < row.width; ++b) {
        want[span.pad + b] = static_cast<std::uint8_t>(row.value >> (8 * b));
      }
      // A store of what was already there could not be seen.
      EXPECT_NE(want, span.before) << "the sentinel hides the store";
    }
    EXPECT_EQ(span.after, want);
    EXPECT_EQ(span.final, span.after) << "changed after the load";
  }

  ASSERT_FALSE(seen.pages.empty());
  for (const auto& page : seen.pages) {
    SCOPED_TRACE("page " + page.page);
    EXPECT_EQ(page.after, page.before) << "protection not restored";
    EXPECT_EQ(page.final, page.after) << "protection changed after the load";
    EXPECT_EQ(page.changedOutsideSpans, 0u);
    EXPECT_EQ(page.changedLater, 0u);
  }
  EXPECT_EQ(seen.probeAfter, seen.probeBefore);
  EXPECT_EQ(seen.probeFinal, seen.probeAfter);
  EXPECT_TRUE(seen.threadRan);
  EXPECT_TRUE(seen.freed);
}

// The shipped sample claims to show every key at its default.
using SampleSettings = Sandbox;
TEST_F(SampleSettings, ReadAsTheDefaults) {
  ASSERT_TRUE(fs::is_regular_file(kSampleSettings)) << kSampleSettings;
  const fs::path copy = root / "LumavaleSettings.ini";
  fs::copy_file(kSampleSettings, copy);
  const Settings sample = ReadSettings(copy);
  const Settings defaults = ReadSettings(root / "absent.ini");
  EXPECT_TRUE(SameEffect(sample, defaults))
      << testing::PrintToString(sample) << " vs " << testing::PrintToString(defaults);
}

// In a host that does not span the patched addresses, some spans are only reserved:
// their protection cannot be changed, and the plug-in must pass them over rather
// than store and fault. Every switch is on, so every row is tried.
using ForeignHost = Sandbox;
TEST_F(ForeignHost, SpansThatCannotBeOpenedAreLeftAloneWithoutFault) {
  const fs::path bareHost = kWin32Dir / "tests/host/bare_host.exe";
  ASSERT_TRUE(fs::is_regular_file(bareHost)) << bareHost << " is missing: build the win32 preset";
  fs::copy_file(bareHost, root / "bare_host.exe");
  fs::copy_file(kPlugin, root / "Lumavale.asi");
  std::ofstream(root / "LumavaleSettings.ini", std::ios::binary) << Ini("", "Fog=1\nRemoveSkyTextures=1\n");

  const wine::Run run = wine::RunProgram(root / "bare_host.exe", {WindowsPath(root / "Lumavale.asi")}, root);
  SCOPED_TRACE("host said:\n" + run.out);
  std::vector<std::string> before, after;  // each row's state, before and after the load
  bool loaded = false;
  std::istringstream words(run.out);
  for (std::string word, state; words >> word;) {
    int number = 0;
    if (word == "loaded" && words >> number) loaded = number == 1;
    if (word == "span" && words >> number >> state) (loaded ? after : before).push_back(state);
  }
  EXPECT_EQ(run.status, 0);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(before.size(), 6u);
  ASSERT_EQ(after.size(), 6u);
  std::size_t unopenable = 0;
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (before[i] == "commit") continue;
    ++unopenable;
    EXPECT_EQ(after[i], before[i]) << "row " << i + 1;
  }
  // Without such a span this test would prove nothing; Wine 8 leaves row 4 reserved.
  EXPECT_GT(unopenable, 0u) << "every span is committed in this host";
}

// The small profile reader plays KERNEL32 for the fake platform and the emulated
// loader; here it is held against Wine's own reads of every scenario file: each of
// the five keys read both as an integer and as a string.
struct ProfileFile {
  std::string name;
  std::string text;
};

void PrintTo(const ProfileFile& file, std::ostream* out) { *out << file.name; }

std::vector<ProfileFile> ProfileFiles() {
  std::vector<ProfileFile> files = {{"Decoy", kDecoy}};
  for (const Scenario& scenario : Scenarios()) {
    if (scenario.settings) files.push_back({scenario.name, *scenario.settings});
  }
  // And the texts that try the reader at its edges.
  for (const lumavale::testing::ProfileCase& edge : lumavale::testing::ProfileCases()) {
    files.push_back({"Edge_" + edge.name, edge.text});
  }
  return files;
}

class ProfileReader : public Sandbox, public testing::WithParamInterface<ProfileFile> {};

TEST_P(ProfileReader, ReadsEveryKeyAsWineDoes) {
  const fs::path file = root / "LumavaleSettings.ini";
  std::ofstream(file, std::ios::binary) << GetParam().text;
  std::vector<LumavaleRead> reads;
  for (const LumavaleRead& read : kLumavaleReads) {
    // The plug-in's own read, then the same key read the other way.
    reads.push_back(read);
    reads.push_back({!read.integer, read.section, read.key, read.integer ? "none " : "7", 7});
  }
  const std::vector<std::string> theirs = AskWine(file, reads);
  ASSERT_FALSE(HasFailure());
  const lumavale::profile::Profile profile(GetParam().text);
  for (std::size_t i = 0; i < reads.size(); ++i) {
    const LumavaleRead& read = reads[i];
    const std::string ours = read.integer
                                 ? std::to_string(profile.Int(read.section, read.key, read.defaultNumber))
                                 : profile.String(read.section, read.key, read.defaultText, kAmountBufferSize);
    EXPECT_EQ(ours, theirs[i]) << (read.integer ? "int " : "string ") << read.section << "/"
                             << read.key << " in\n" << GetParam().text;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, ProfileReader, testing::ValuesIn(ProfileFiles()),
                         [](const auto& file) { return file.param.name; });
INSTANTIATE_TEST_SUITE_P(Scenarios, E2e, testing::ValuesIn(Scenarios()),
                         [](const auto& scenario) { return scenario.param.name; });

}  // namespace
