// Locating and reading the settings file over the fake platform, for any module
// path the platform might report and any value the file might hold.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ansi.h"
#include "checker/utf.h"
#include "contract.h"
#include "fail.h"
#include "fake_platform.h"
#include "settings/settings.h"

namespace lumavale {
namespace {

using Key = LumavaleRead;
const Key& kEnabled = kLumavaleReads[LUMAVALE_ENABLED];
const Key& kFrontend = kLumavaleReads[LUMAVALE_FRONTEND];
const Key& kGameplay = kLumavaleReads[LUMAVALE_GAMEPLAY];
const Key& kFog = kLumavaleReads[LUMAVALE_FOG];
const Key& kSky = kLumavaleReads[LUMAVALE_SKY];
const auto& kKeys = kLumavaleReads;

constexpr std::size_t kLongestValue = 254;

// The settings path the module path must give, worked out independently, in the
// units of the narrow or the wide calls; empty when the module path cannot be trusted.
template <typename Text>
Text ExpectedPath(const Text& module) {
  if (module.empty() || module.size() >= kMaxPath) return {};
  const Text visible = module.substr(0, module.find(typename Text::value_type{}));
  const std::size_t separator = visible.find_last_of(Text{'\\', '/'});
  if (separator == Text::npos) return {};
  Text path = visible.substr(0, separator + 1);
  for (const char c : std::string(kSettingsFileName)) path += static_cast<typename Text::value_type>(c);
  return path.size() <= kSettingsTextSize - 1 ? path : Text{};
}

std::string Describe(const fake::Platform& state) {
  std::string text = "module=" + state.moduleFileName;
  for (const auto& [file, content] : state.files) text += " file " + file + ":\n" + content;
  return text;
}

// The amount is C's reading of the text the platform's read gives.
float ExpectedAmount(const std::string& file, const Key& key) {
  char value[kLongestValue + 1];
  platform::ProfileString(key.section, key.key, key.defaultText, value, sizeof value, file.c_str());
  return oracle::CAmount(value);
}

void Check(bool holds, const char* what, const fake::Platform& state) {
  if (!holds) fuzz::Fail(what, Describe(state));
}

void Run(FuzzedDataProvider& in) {
  fake::State() = {};
  fake::Platform& state = fake::State();

  std::string module = in.ConsumeRandomLengthString(320);
  // Random text rarely lands on the lengths that matter (254..260 and beyond), so
  // padding may stretch it to one, anywhere in the path.
  if (in.ConsumeBool()) {
    const auto length = in.ConsumeIntegralInRange<std::size_t>(200, 300);
    if (length > module.size()) {
      const auto at = in.ConsumeIntegralInRange<std::size_t>(0, module.size());
      module.insert(at, length - module.size(), in.ConsumeBool() ? 'd' : '.');
    }
  }
  state.moduleFileName = module;
  // A '?' in the narrow path (the platform's mark for a letter the ANSI code page
  // lacks) sends the plug-in down the wide road; the path ends at a NUL, as its
  // folder does.
  const std::string narrow = testing::AnsiView(module);
  const std::string visible = narrow.substr(0, std::min(narrow.find('\0'), std::size_t{kMaxPath - 1}));
  const bool wide = visible.find('?') != std::string::npos;
  const std::u16string expectedWide = wide ? ExpectedPath(utf::Utf16(module)) : std::u16string();
  const std::string expected = wide ? utf::Utf8(expectedWide) : ExpectedPath(narrow);
  // Mostly the file beside the plug-in exists; sometimes only some other file does.
  std::string& file = state.files[in.ConsumeBool() ? expected : in.ConsumeRandomLengthString(64)];
  const char* section = "";
  for (const Key& key : kKeys) {
    if (key.section != section) file += std::string("[") + (section = key.section) + "]\n";
    if (in.ConsumeBool()) file += std::string(key.key) + "=" + in.ConsumeRandomLengthString(300) + "\n";
  }

  // The half of the road taken is zero beyond the path; of the other, only the first
  // unit is made, and read.
  const SettingsPath path = LocateSettingsFile();
  for (std::size_t i = 0; i < kSettingsTextSize; ++i) {
    const char want = !wide && i < expected.size() ? expected[i] : '\0';
    const char16_t wantWide = i < expectedWide.size() ? expectedWide[i] : u'\0';
    const bool textRead = !wide || i == 0;
    const bool wideRead = wide || i == 0;
    Check((!textRead || path.text[i] == want) && (!wideRead || path.wide[i] == wantWide),
          "settings path differs from the module's folder + name", state);
  }

  // Something LoadSettings cannot give, so a record left unwritten shows.
  pluginSettings = {false, -7.0f, -7.0f, true, true};
  LoadSettings(path);
  const PluginSettings got = pluginSettings;

  if (expected.empty()) {
    Check(state.profileReads.empty(), "an unusable path still read the profile", state);
    Check(got.enabled && !got.fog && !got.removeSkyTextures, "an unusable path lost a default switch",
          state);
    Check(oracle::SameValue(0.8f, got.amountInFrontend) && oracle::SameValue(1.25f, got.amountInGameplay),
          "an unusable path lost a default amount", state);
    return;
  }
  Check(state.profileReads.size() == 5, "not exactly five profile reads", state);
  for (const std::string& read : state.profileReads) {
    Check(read.size() > expected.size() && read.ends_with("@" + expected + (wide ? " (wide)" : "")),
          "a read of another file, or by the other road", state);
  }
  Check(oracle::SameValue(ExpectedAmount(expected, kFrontend), got.amountInFrontend),
        "front-end amount is not strtod of its text", state);
  Check(oracle::SameValue(ExpectedAmount(expected, kGameplay), got.amountInGameplay),
        "gameplay amount is not strtod of its text", state);
  // The integer is what the platform's own read gives; a switch is on for 1 only.
  const auto integer = [&](const Key& key) {
    return platform::ProfileInt(key.section, key.key, key.defaultNumber, expected.c_str());
  };
  Check(got.enabled == (integer(kEnabled) == 1), "Enabled is not 'integer is 1'", state);
  Check(got.fog == (integer(kFog) == 1), "Fog is not 'integer is 1'", state);
  Check(got.removeSkyTextures == (integer(kSky) == 1), "RemoveSkyTextures is not 'integer is 1'",
        state);
}

}  // namespace
}  // namespace lumavale

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  lumavale::Run(in);
  return 0;
}
