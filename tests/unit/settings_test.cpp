#include "settings/settings.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <ostream>
#include <string>

#include "c_number.h"
#include "contract.h"
#include "fake_platform.h"
#include "scenarios.h"

namespace lumavale {
namespace {

// --- Where the settings file is looked for ---------------------------------------

struct LocateCase {
  std::string name;
  std::string modulePath;
  std::string expected;  // empty: no file may be read
};

class LocateSettingsFileCases : public ::testing::TestWithParam<LocateCase> {};
void PrintTo(const LocateCase& c, std::ostream* os) { *os << c.name; }

TEST_P(LocateSettingsFileCases, ModulePathGivesSettingsPath) {
  fake::State() = {.moduleFileName = GetParam().modulePath};
  const SettingsPath path = LocateSettingsFile();
  EXPECT_EQ(std::string(path.text), GetParam().expected);
  // The buffer is zero beyond the path, so the reads never see stray text.
  for (std::size_t i = GetParam().expected.size(); i < sizeof path.text; ++i) ASSERT_EQ(path.text[i], '\0');
}

// Folders of 234 and 233 characters: with "\" and the 20-character name, 255 (one too many) and 254.
const std::string kDir234 = "C:" + std::string(232, 'd');
const std::string kDir233 = "C:" + std::string(231, 'd');

INSTANTIATE_TEST_SUITE_P(Paths, LocateSettingsFileCases, ::testing::ValuesIn(std::vector<LocateCase>{
    {"PluginFolder", "C:\\Games\\Host\\scripts\\Lumavale.asi",
     "C:\\Games\\Host\\scripts\\LumavaleSettings.ini"},
    {"OtherFileNameSameSettingsName", "C:\\Games\\Host\\zz_lighting.dll",
     "C:\\Games\\Host\\LumavaleSettings.ini"},
    {"NoExtensionInDottedFolderKeepsOwnFolder", "C:\\Games\\Host v1.0\\Lumavale",
     "C:\\Games\\Host v1.0\\LumavaleSettings.ini"},
    {"ForwardSlashes", "C:/Games/Host/Lumavale.asi", "C:/Games/Host/LumavaleSettings.ini"},
    {"LongestPathThatFits", kDir233 + "\\x.asi", kDir233 + "\\LumavaleSettings.ini"},
    {"SettingsPathTooLong", kDir234 + "\\x.asi", ""},
    {"NoSeparatorWouldReadWindowsFolder", "Lumavale.asi", ""}, {"NoPathAtAll", "", ""},
    // 259 characters fit the buffer; 260 and more come back cut and name another file.
    {"LongestModulePath", "C:\\G\\" + std::string(250, 'n') + ".asi", "C:\\G\\LumavaleSettings.ini"},
    {"ModulePathFillsBuffer", "C:\\G\\" + std::string(251, 'n') + ".asi", ""},
    {"CutModulePath", "C:\\G\\" + std::string(300, 'n') + ".asi", ""},
}), [](const auto& param) { return param.param.name; });

// --- What the settings file gives -------------------------------------------------

constexpr char kFile[] = "C:\\Games\\Host\\scripts\\LumavaleSettings.ini";
const std::string kLongAmount = "1" + std::string(253, '0') + "e-250";

SettingsPath PathOf(const std::string& text) {
  SettingsPath path{};
  text.copy(path.text, sizeof path.text - 1);
  return path;
}

using Keys = std::map<std::pair<std::string, std::string>, std::string>;

// The settings file that holds `keys`, each under its section.
std::string FileOf(const Keys& keys) {
  std::string text;
  std::string section;
  for (const auto& [name, value] : keys) {
    if (name.first != section) text += "[" + (section = name.first) + "]\n";
    text += name.second + "=" + value + "\n";
  }
  return text;
}

// A fresh fake holding `files`, and the settings loaded from `path`.
void Load(std::map<std::string, std::string> files, const SettingsPath& path = PathOf(kFile)) {
  fake::State() = {.files = std::move(files)};
  pluginSettings = {};
  LoadSettings(path);
}

Keys Main(const char* key, std::string value) { return {{{"Lumavale", key}, std::move(value)}}; }
Keys Other(const char* key, std::string value) { return {{{"Other", key}, std::move(value)}}; }

struct LoadCase {
  std::string name;
  Keys keys;
};

class LoadSettingsCases : public ::testing::TestWithParam<LoadCase> {};
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

// Expectations follow the rules, not the code: a read gives the key's text (cut to
// 254) or its default (an integer's also when empty); a switch is on only when the
// platform's integer is exactly 1; an amount is the C library's reading of its text.
TEST_P(LoadSettingsCases, FileGivesTheFiveSettings) {
  const Keys& keys = GetParam().keys;
  Load({{kFile, FileOf(keys)}});
  std::vector<std::string> read;
  for (const LumavaleRead& key : kLumavaleReads) {
    const auto found = keys.find({key.section, key.key});
    const bool none = found == keys.end() || (found->second.empty() && key.integer);
    read.push_back(none ? key.defaultText : found->second.substr(0, 254));
  }
  const scenarios::Settings expected = scenarios::Expect(read);
  const scenarios::Settings loaded = scenarios::Of(pluginSettings);
  EXPECT_TRUE(scenarios::SameEffect(loaded, expected))
      << ::testing::PrintToString(loaded) << " is not " << ::testing::PrintToString(expected);
}

INSTANTIATE_TEST_SUITE_P(Files, LoadSettingsCases, ::testing::ValuesIn(std::vector<LoadCase>{
    {"NoKeys", {}}, {"EnabledZero", Main("Enabled", "0")}, {"EnabledTwo", Main("Enabled", "2")},
    {"EnabledMinusOne", Main("Enabled", "-1")}, {"EnabledWord", Main("Enabled", "yes")},
    {"FogOn", Other("Fog", "1")}, {"FogInWrongSectionIsNotSeen", Main("Fog", "1")},
    {"AllSwitchesOn", {{{"Other", "Fog"}, "1"}, {{"Other", "RemoveSkyTextures"}, "1"}}},
    {"SkyTexturesHex", Other("RemoveSkyTextures", "0x1")},
    {"CommaStopsTheNumber", Main("AmountInGameplay", "0,5")},
    {"TrailingLettersIgnored", Main("AmountInGameplay", "2.5abc")},
    {"EmptyAmountIsZeroNotDefault", Main("AmountInFrontend", "")},
    {"AmountBeyondFloatIsInfinite", Main("AmountInFrontend", "1e39")},
    {"NegativeAmountBeyondFloat", Main("AmountInFrontend", "-1e39")},
    {"HexAmount", Main("AmountInGameplay", "0x1.8p1")},
    {"WordAmountIsZero", Main("AmountInGameplay", "bright")},
    {"AmountCutAt254Characters", Main("AmountInFrontend", kLongAmount)},
}), [](const auto& param) { return param.param.name; });

TEST(LoadSettings, CutLongValueChangesItsReading) {
  // The uncut text would read as 1000; the first 254 characters are beyond float.
  Load({{kFile, FileOf(Main("AmountInFrontend", kLongAmount))}});
  EXPECT_EQ(std::bit_cast<std::uint32_t>(pluginSettings.amountInFrontend), 0x7F800000u);
}

void ExpectDefaults() {
  const scenarios::Settings loaded = scenarios::Of(pluginSettings);
  EXPECT_TRUE(scenarios::SameEffect(loaded, {true, 0x3F4CCCCD, 0x3FA00000, false, false, "", ""}))
      << ::testing::PrintToString(loaded);
}

TEST(LoadSettings, NoFileGivesTheDefaultsExactly) {
  Load({{"C:\\elsewhere\\LumavaleSettings.ini", "[Other]\nFog=1\n"}});
  ExpectDefaults();
}

TEST(LoadSettings, UnusablePathReadsNothingAndGivesTheDefaults) {
  Load({}, SettingsPath{});
  EXPECT_TRUE(fake::State().profileReads.empty());
  ExpectDefaults();
}

TEST(LoadSettings, KeysAreReadInOrderFromTheGivenFile) {
  Load({});
  std::vector<std::string> expected;
  for (const LumavaleRead& read : kLumavaleReads) {
    expected.push_back(std::string(read.section) + "/" + read.key + "@" + kFile);
  }
  EXPECT_EQ(fake::State().profileReads, expected);
}

TEST(LoadSettings, DefaultTextsAreWhatPercentFPrints) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(0.8f));
  EXPECT_STREQ(kDefaultAmountInFrontendText, text);
  std::snprintf(text, sizeof text, "%f", 1.25);
  EXPECT_STREQ(kDefaultAmountInGameplayText, text);
}

}  // namespace
}  // namespace lumavale
