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

namespace lumavale {
namespace {

// --- Where the settings file is looked for ---------------------------------------

struct LocateCase {
  std::string name;
  std::string modulePath;
  std::string expected;  // empty: no file may be read
};

class LocateSettingsFileCases : public ::testing::TestWithParam<LocateCase> {};

// Cases print as their names, not as the bytes of the struct.
void PrintTo(const LocateCase& c, std::ostream* os) { *os << c.name; }

TEST_P(LocateSettingsFileCases, ModulePathGivesSettingsPath) {
  fake::State() = {};
  fake::State().moduleFileName = GetParam().modulePath;
  const SettingsPath path = LocateSettingsFile();
  EXPECT_EQ(std::string(path.text), GetParam().expected);
  // The buffer is zero beyond the path, so the reads never see stray text.
  for (std::size_t i = GetParam().expected.size(); i < sizeof path.text; ++i) ASSERT_EQ(path.text[i], '\0');
}

const std::string kDir234(234, 'd');  // with "\" and the 20-character name: 255, one too many
const std::string kDir233(233, 'd');  // with "\" and the name: exactly 254

INSTANTIATE_TEST_SUITE_P(
    Paths, LocateSettingsFileCases,
    ::testing::Values(
        LocateCase{"PluginFolder", "C:\\Games\\Host\\scripts\\Lumavale.asi",
                   "C:\\Games\\Host\\scripts\\LumavaleSettings.ini"},
        LocateCase{"OtherFileNameSameSettingsName", "C:\\Games\\Host\\zz_lighting.dll",
                   "C:\\Games\\Host\\LumavaleSettings.ini"},
        LocateCase{"NoExtensionInDottedFolderKeepsOwnFolder", "C:\\Games\\Host v1.0\\Lumavale",
                   "C:\\Games\\Host v1.0\\LumavaleSettings.ini"},
        LocateCase{"ForwardSlashes", "C:/Games/Host/Lumavale.asi", "C:/Games/Host/LumavaleSettings.ini"},
        LocateCase{"LongestPathThatFits", "C:" + kDir233.substr(2) + "\\x.asi",
                   "C:" + kDir233.substr(2) + "\\LumavaleSettings.ini"},
        LocateCase{"SettingsPathTooLong", "C:" + kDir234.substr(2) + "\\x.asi", ""},
        LocateCase{"NoSeparatorWouldReadWindowsFolder", "Lumavale.asi", ""},
        LocateCase{"NoPathAtAll", "", ""},
        // 259 characters fit the buffer; 260 and more come back cut and name another file.
        LocateCase{"LongestModulePath", "C:\\G\\" + std::string(250, 'n') + ".asi",
                   "C:\\G\\LumavaleSettings.ini"},
        LocateCase{"ModulePathFillsBuffer", "C:\\G\\" + std::string(251, 'n') + ".asi", ""},
        LocateCase{"CutModulePath", "C:\\G\\" + std::string(300, 'n') + ".asi", ""}),
    [](const auto& param) { return param.param.name; });

// --- What the settings file gives -------------------------------------------------

constexpr char kFile[] = "C:\\Games\\Host\\scripts\\LumavaleSettings.ini";

SettingsPath PathOf(const std::string& text) {
  SettingsPath path{};
  text.copy(path.text, sizeof path.text - 1);
  return path;
}

// The C library's reading of an amount, after the profile read has cut it to 254.
float CAmount(const std::string& text) { return oracle::CAmount(text.substr(0, 254)); }

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

struct LoadCase {
  std::string name;
  Keys keys;
};

class LoadSettingsCases : public ::testing::TestWithParam<LoadCase> {};

// Cases print as their names, not as the bytes of the struct.
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

// Expectations follow the rules, not the code: a switch is on only when the
// platform's integer is exactly 1; an amount is the C library's reading of the text,
// or of the default text when the key is absent.
TEST_P(LoadSettingsCases, FileGivesTheFiveSettings) {
  fake::State() = {};
  fake::State().files[kFile] = FileOf(GetParam().keys);
  pluginSettings = {};
  LoadSettings(PathOf(kFile));

  const auto value = [&](const char* section, const char* key) -> const std::string* {
    const auto found = GetParam().keys.find({section, key});
    return found == GetParam().keys.end() ? nullptr : &found->second;
  };
  const auto expectSwitch = [&](const char* section, const char* key, long fallback) {
    const std::string* text = value(section, key);
    const long read = text == nullptr || text->empty() ? fallback
                                                       : static_cast<std::int32_t>(std::strtoll(text->c_str(), nullptr, 0));
    return read == 1;
  };
  const auto expectAmount = [&](const char* key, const char* fallback) {
    const std::string* text = value("Lumavale", key);
    return CAmount(text == nullptr ? fallback : *text);
  };
  EXPECT_EQ(pluginSettings.enabled, expectSwitch("Lumavale", "Enabled", 1));
  EXPECT_EQ(pluginSettings.fog, expectSwitch("Other", "Fog", 0));
  EXPECT_EQ(pluginSettings.removeSkyTextures, expectSwitch("Other", "RemoveSkyTextures", 0));
  EXPECT_PRED2(oracle::SameValue<float>, pluginSettings.amountInFrontend, expectAmount("AmountInFrontend", "0.8"));
  EXPECT_PRED2(oracle::SameValue<float>, pluginSettings.amountInGameplay, expectAmount("AmountInGameplay", "1.25"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadSettingsCases,
    ::testing::Values(
        LoadCase{"NoKeys", {}},
        LoadCase{"EnabledZero", {{{"Lumavale", "Enabled"}, "0"}}},
        LoadCase{"EnabledTwo", {{{"Lumavale", "Enabled"}, "2"}}},
        LoadCase{"EnabledMinusOne", {{{"Lumavale", "Enabled"}, "-1"}}},
        LoadCase{"EnabledWord", {{{"Lumavale", "Enabled"}, "yes"}}},
        LoadCase{"FogOn", {{{"Other", "Fog"}, "1"}}},
        LoadCase{"FogInWrongSectionIsNotSeen", {{{"Lumavale", "Fog"}, "1"}}},
        LoadCase{"AllSwitchesOn", {{{"Other", "Fog"}, "1"}, {{"Other", "RemoveSkyTextures"}, "1"}}},
        LoadCase{"SkyTexturesHex", {{{"Other", "RemoveSkyTextures"}, "0x1"}}},
        LoadCase{"CommaStopsTheNumber", {{{"Lumavale", "AmountInGameplay"}, "0,5"}}},
        LoadCase{"TrailingLettersIgnored", {{{"Lumavale", "AmountInGameplay"}, "2.5abc"}}},
        LoadCase{"EmptyAmountIsZeroNotDefault", {{{"Lumavale", "AmountInFrontend"}, ""}}},
        LoadCase{"AmountBeyondFloatIsInfinite", {{{"Lumavale", "AmountInFrontend"}, "1e39"}}},
        LoadCase{"NegativeAmountBeyondFloat", {{{"Lumavale", "AmountInFrontend"}, "-1e39"}}},
        LoadCase{"HexAmount", {{{"Lumavale", "AmountInGameplay"}, "0x1.8p1"}}},
        LoadCase{"WordAmountIsZero", {{{"Lumavale", "AmountInGameplay"}, "bright"}}},
        LoadCase{"AmountCutAt254Characters",
                 {{{"Lumavale", "AmountInFrontend"}, "1" + std::string(253, '0') + "e-250"}}}),
    [](const auto& param) { return param.param.name; });

TEST(LoadSettings, CutLongValueChangesItsReading) {
  // The uncut text would read as 1000; the first 254 characters are beyond float.
  fake::State() = {};
  fake::State().files[kFile] = FileOf({{{"Lumavale", "AmountInFrontend"}, "1" + std::string(253, '0') + "e-250"}});
  LoadSettings(PathOf(kFile));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(pluginSettings.amountInFrontend), 0x7F800000u);
}

void ExpectDefaults() {
  EXPECT_TRUE(pluginSettings.enabled);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(pluginSettings.amountInFrontend), 0x3F4CCCCDu);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(pluginSettings.amountInGameplay), 0x3FA00000u);
  EXPECT_FALSE(pluginSettings.fog);
  EXPECT_FALSE(pluginSettings.removeSkyTextures);
}

TEST(LoadSettings, NoFileGivesTheDefaultsExactly) {
  fake::State() = {};
  fake::State().files["C:\\elsewhere\\LumavaleSettings.ini"] = "[Other]\nFog=1\n";
  LoadSettings(PathOf(kFile));
  ExpectDefaults();
}

TEST(LoadSettings, UnusablePathReadsNothingAndGivesTheDefaults) {
  fake::State() = {};
  pluginSettings = {};
  LoadSettings(SettingsPath{});
  EXPECT_TRUE(fake::State().profileReads.empty());
  ExpectDefaults();
}

TEST(LoadSettings, KeysAreReadInOrderFromTheGivenFile) {
  fake::State() = {};
  LoadSettings(PathOf(kFile));
  const std::string at = std::string("@") + kFile;
  std::vector<std::string> expected;
  for (const LumavaleRead& read : kLumavaleReads) {
    expected.push_back(std::string(read.section) + "/" + read.key + at);
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
