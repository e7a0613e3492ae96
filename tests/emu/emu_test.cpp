// The real Lumavale.asi in the emulated loader. Every start-up is checked call by
// call, store by store and read by read; the expectations come from what the scripted
// platform answered (a switch is on only for exactly 1, an amount is glibc's strtod of
// the text the read gave), never from the plug-in's own code.
//
// LUMAVALE_PLUGIN, when set, names the DLL to test instead of the win32 build's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ansi.h"
#include "checker/utf.h"
#include "emulator.h"
#include "scenarios.h"
#include "spans.h"

namespace {

namespace emu = lumavale::emu;
namespace sc = lumavale::scenarios;
namespace fs = std::filesystem;
using emu::Address;

fs::path PluginFile() {
  const char* chosen = std::getenv("LUMAVALE_PLUGIN");
  if (chosen != nullptr && *chosen != '\0') return chosen;
  return fs::path(LUMAVALE_WIN32_DIR) / "Lumavale.asi";
}

constexpr char kRoot[] = "C:\\Lumavale Scenario";
constexpr char kSettingsName[] = "LumavaleSettings.ini";
constexpr std::uint32_t kMaxPath = 260;
constexpr std::uint32_t kProbeKeys[] = {0x00824570, 0x0082457C, 0x008245B0, 0x008245BC};

std::string WindowsDirectory(const std::string& relative) {
  std::string path = kRoot;
  if (!relative.empty()) path += "\\" + relative;
  std::ranges::replace(path, '/', '\\');
  return path + "\\";
}

// The scenario's machine as the emulated process: the same files at the same places.
emu::Process ProcessFor(const sc::Scenario& scenario) {
  emu::Process process;
  process.plugin = PluginFile();
  const sc::Layout layout = sc::LayOut(scenario);
  const std::string pluginDirectory = WindowsDirectory(layout.pluginDir);
  process.modulePath = pluginDirectory + scenario.pluginName;
  if (scenario.settings) process.profiles[pluginDirectory + kSettingsName] = *scenario.settings;
  if (scenario.decoy) process.profiles[WindowsDirectory(layout.decoyDir) + kSettingsName] = *scenario.decoy;
  if (scenario.entryKey) process.entryKey = *scenario.entryKey;
  if (scenario.probeByte) process.probeByte = *scenario.probeByte;
  process.rotate = scenario.rotate;
  return process;
}

std::string Describe(const emu::Call& call) {
  std::ostringstream text;
  text << call.function << "(" << std::hex;
  for (std::size_t i = 0; i < call.args.size(); ++i) text << (i ? ", 0x" : "0x") << call.args[i];
  for (const std::string& s : call.text) text << ", \"" << s << "\"";
  text << ") = " << call.result;
  if (!call.out.empty()) text << " out \"" << call.out << "\"";
  if (call.previous) text << " previous 0x" << *call.previous;
  return text.str();
}

std::string Describe(const emu::Outcome& outcome) {
  std::ostringstream text;
  text << "calls:\n";
  for (const emu::Call& call : outcome.calls) text << "  [" << call.reason << "] " << Describe(call) << "\n";
  text << std::hex << "stores:";
  for (const emu::Access& store : outcome.stores) {
    text << " " << store.address << "/" << store.size << "=" << store.value;
  }
  text << "\nreads:";
  for (const emu::Access& read : outcome.reads) text << " " << read.address << "/" << read.size;
  return text.str();
}

// The settings path the plug-in must build from what GetModuleFileNameA gave, or
// nothing when that cannot be trusted.
std::optional<std::string> SettingsPath(const emu::Call& moduleName) {
  if (moduleName.result == 0 || moduleName.result >= kMaxPath) return std::nullopt;
  const std::size_t separator = moduleName.out.find_last_of("\\/");
  if (separator == std::string::npos) return std::nullopt;
  const std::string path = moduleName.out.substr(0, separator + 1) + kSettingsName;
  // The settings path has a buffer of the same size as an amount, counted in the
  // units of the call (UTF-16 for a wide one).
  const std::size_t length =
      moduleName.function.ends_with('W') ? lumavale::utf::Utf16(path).size() : path.size();
  if (length > sc::kAmountBufferSize - 1) return std::nullopt;
  return path;
}

struct Field {
  Address address;
  std::uint32_t size;
  const char* name;
  bool touched = false;
};

// Walks the attach's calls in order, checking each against what must come next.
class StartUp {
 public:
  StartUp(const emu::Process& process, const emu::Outcome& outcome) : process_(process), outcome_(outcome) {
    for (const emu::Call& call : outcome.calls) {
      if (call.reason == 1) calls_.push_back(&call);
    }
  }

  void Check() {
    ASSERT_NO_FATAL_FAILURE(CheckModuleName());
    ASSERT_NO_FATAL_FAILURE(CheckProfileReads());
    ASSERT_NO_FATAL_FAILURE(CheckHostIdentity());
    ASSERT_NO_FATAL_FAILURE(CheckRows());
    EXPECT_EQ(next_, calls_.size()) << "calls after the last row";
    CheckStores();
    CheckReads();
    CheckPages();
  }

 private:
  const emu::Call& Take(const std::string& function) {
    static const emu::Call kNone;
    if (next_ >= calls_.size()) {
      ADD_FAILURE() << "call " << next_ << ": " << function << " expected, none came";
      return kNone;
    }
    const emu::Call& call = *calls_[next_++];
    if (call.function != function) {
      ADD_FAILURE() << "call " << next_ - 1 << ": " << function << " expected, got " << Describe(call);
    }
    return call;
  }

  // A narrow path with a '?' names no file: the wide road must follow, with the
  // wide calls throughout.
  void CheckModuleName() {
    for (const char* function : {"GetModuleFileNameA", "GetModuleFileNameW"}) {
      const emu::Call& call = Take(function);
      ASSERT_EQ(call.args.size(), 3u);
      EXPECT_EQ(call.args[0], outcome_.pluginBase) << "not the plug-in's own module";
      EXPECT_EQ(call.args[2], kMaxPath);
      path_ = SettingsPath(call);
      wide_ = call.function.ends_with('W');
      if (wide_ || call.result == 0 || call.out.find('?') == std::string::npos) return;
    }
  }

  // The function of the road taken, narrow or wide.
  std::string Road(const char* function) const { return std::string(function) + (wide_ ? "W" : "A"); }

  std::uint32_t Int(const LumavaleRead& read) {
    const emu::Call& call = Take(Road("GetPrivateProfileInt"));
    EXPECT_EQ(call.text, (std::vector<std::string>{read.section, read.key, *path_})) << Describe(call);
    EXPECT_EQ(call.args.size() > 2 ? call.args[2] : ~0u, static_cast<std::uint32_t>(read.defaultNumber))
        << Describe(call);
    return call.result;
  }

  std::string String(const LumavaleRead& read) {
    const emu::Call& call = Take(Road("GetPrivateProfileString"));
    EXPECT_EQ(call.text, (std::vector<std::string>{read.section, read.key, read.defaultText, *path_}))
        << Describe(call);
    EXPECT_EQ(call.args.size() > 4 ? call.args[4] : 0u, sc::kAmountBufferSize) << Describe(call);
    // Numbers are ASCII: a wide read's other units stop the number as a '?' does.
    return wide_ ? lumavale::testing::AnsiView(call.out) : call.out;
  }

  void CheckProfileReads() {
    std::vector<std::string> got;  // the defaults, when nothing may be read
    for (const LumavaleRead& read : kLumavaleReads) {
      got.push_back(!path_ ? read.defaultText : read.integer ? std::to_string(Int(read)) : String(read));
    }
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    settings_ = sc::Expect(got);
    SCOPED_TRACE(testing::PrintToString(settings_));
  }

  // One VirtualProtect opening `width` bytes at `address`, and its restore when it
  // succeeded: both calls, or null for each that did not come.
  std::pair<const emu::Call*, const emu::Call*> Open(Address address, std::uint32_t width) {
    // The address, size and protection asked for.
    const auto asked = [](const emu::Call& call) {
      return std::vector<std::uint32_t>(call.args.begin(), call.args.begin() + 3);
    };
    const emu::Call& open = Take("VirtualProtect");
    if (open.args.size() != 4) return {};  // no such call: already reported
    EXPECT_EQ(asked(open), (std::vector<std::uint32_t>{address, width, 0x40})) << Describe(open);
    if (open.result == 0) return {&open, nullptr};
    const emu::Call& back = Take("VirtualProtect");
    if (back.args.size() != 4) return {&open, nullptr};
    EXPECT_EQ(asked(back), (std::vector<std::uint32_t>{address, width, open.previous.value_or(~0u)}))
        << "the restore must give back the previous protection: " << Describe(back);
    return {&open, &back};
  }

  void CheckHostIdentity() {
    const emu::Call& handle = Take("GetModuleHandleA");
    EXPECT_EQ(handle.args, std::vector<std::uint32_t>{0}) << Describe(handle);
    const Address base = handle.result;
    fields_.push_back({base, 2, "MZ"});
    if (!process_.mz) return;
    fields_.push_back({base + 0x3C, 4, "e_lfanew"});
    if (process_.newHeader > emu::kPageSize - 0x2C) return;
    fields_.push_back({base + process_.newHeader, 4, "PE signature"});
    if (!process_.peSignature) return;
    fields_.push_back({base + process_.newHeader + 0x28, 4, "AddressOfEntryPoint"});
    if (std::ranges::find(kProbeKeys, process_.entryKey) == std::end(kProbeKeys)) return;
    if (const auto [open, restore] = Open(emu::kProbeAddress, 1); restore != nullptr) {
      fields_.push_back({emu::kProbeAddress, 1, "probe byte"});
      probeReads_ = {open->readsBefore, restore->readsBefore};
      // Nothing is stored while the probe is open.
      EXPECT_EQ(open->storesBefore, restore->storesBefore);
    }
  }

  void CheckRows() {
    for (const sc::Row& row : sc::ExpectedRows(settings_)) {
      if (!row.applies) continue;
      SCOPED_TRACE("row " + std::to_string(row.row));
      std::map<Address, std::uint8_t> bytes;
      for (std::uint32_t i = 0; i < row.width; ++i) {
        bytes[row.address + i] = static_cast<std::uint8_t>(row.value >> (8 * i));
      }
      const auto [open, restore] = Open(row.address, row.width);
      if (restore == nullptr) continue;  // passed over: nothing stored
      // Exactly the row's bytes, each once, while the span is open.
      std::map<Address, std::uint8_t> stored;
      std::size_t count = 0;
      for (std::size_t i = open->storesBefore; i < restore->storesBefore; ++i) {
        const emu::Access& store = outcome_.stores[i];
        for (std::uint32_t b = 0; b < store.size; ++b) {
          stored[store.address + b] = static_cast<std::uint8_t>(store.value >> (8 * b));
          ++count;
        }
      }
      // A store of what was already there could not be seen.
      EXPECT_TRUE(std::any_of(bytes.begin(), bytes.end(), [&](const auto& byte) {
        return outcome_.Before(byte.first) != byte.second;
      })) << "the sentinel hides the store";
      EXPECT_EQ(stored, bytes);
      EXPECT_EQ(count, row.width) << "bytes stored more than once";
      expectedBytes_.insert(bytes.begin(), bytes.end());
      storedInRows_ += restore->storesBefore - open->storesBefore;
    }
  }

  void CheckStores() {
    std::size_t attach = 0;
    for (const emu::Access& store : outcome_.stores) {
      EXPECT_EQ(store.reason, 1u) << "the call of DllMain that stored at 0x" << std::hex << store.address;
      attach += store.reason == 1 ? 1 : 0;
    }
    EXPECT_EQ(attach, storedInRows_) << "stores outside an open span";
  }

  void CheckReads() {
    for (std::size_t i = 0; i < outcome_.reads.size(); ++i) {
      const emu::Access& read = outcome_.reads[i];
      bool allowed = false;
      for (Field& field : fields_) {
        const bool inside = read.address - field.address < field.size &&
                            read.address + read.size - field.address <= field.size;
        // The probe byte only while open.
        const bool open = field.address != emu::kProbeAddress ||
                          (i >= probeReads_.first && i < probeReads_.second);
        if (inside && open && read.reason == 1) field.touched = allowed = true;
      }
      EXPECT_TRUE(allowed) << "reason " << read.reason << " read " << read.size
                           << " bytes at 0x" << std::hex << read.address;
    }
    for (const Field& field : fields_) EXPECT_TRUE(field.touched) << field.name << " not read";
  }

  void CheckPages() {
    for (const emu::HostPage& page : outcome_.pages) {
      if (!page.mapped) continue;
      SCOPED_TRACE(testing::Message() << "page 0x" << std::hex << page.base);
      EXPECT_EQ(page.protectionAfter, page.protectionBefore) << "protection not restored";
      emu::Bytes want = page.before;
      for (const auto& [address, byte] : expectedBytes_) {
        if (address - page.base < emu::kPageSize) want[address - page.base] = byte;
      }
      EXPECT_TRUE(page.after == want) << "bytes differ from the expected stores";
    }
  }

  const emu::Process& process_;
  const emu::Outcome& outcome_;
  std::vector<const emu::Call*> calls_;
  std::size_t next_ = 0;
  std::optional<std::string> path_;
  bool wide_ = false;
  sc::Settings settings_{};
  std::vector<Field> fields_;
  std::pair<std::size_t, std::size_t> probeReads_{0, 0};
  std::map<Address, std::uint8_t> expectedBytes_;
  std::size_t storedInRows_ = 0;
};

void ExpectStartUp(const emu::Process& process) {
  ASSERT_TRUE(fs::is_regular_file(process.plugin)) << process.plugin << " is missing: build the win32 preset";
  const emu::Outcome outcome = emu::Run(process);
  SCOPED_TRACE(Describe(outcome));
  ASSERT_EQ(outcome.error, "");
  EXPECT_EQ(outcome.returns, (std::vector<std::uint32_t>{1, 1, 1, 1})) << "DllMain must give TRUE";
  for (const emu::Call& call : outcome.calls) {
    EXPECT_EQ(call.reason, 1u) << "only process attach does anything: " << Describe(call);
  }
  StartUp(process, outcome).Check();
}

// --- The scenarios Wine runs too --------------------------------------------------------

class SharedScenario : public testing::TestWithParam<sc::Scenario> {};

TEST_P(SharedScenario, StartsUpExactlyAsExpected) { ExpectStartUp(ProcessFor(GetParam())); }

INSTANTIATE_TEST_SUITE_P(Scenarios, SharedScenario, testing::ValuesIn(sc::Scenarios()),
                         [](const auto& scenario) { return scenario.param.name; });

// --- What only the emulator can make happen ---------------------------------------------

struct Case {
  std::string name;
  emu::Process process;
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

// Every switch on, so every row is tried, in a host that wants the probe.
emu::Process AllOn(int rotate = 0) {
  return ProcessFor(
      {.name = "", .settings = sc::kAllOn, .entryKey = kProbeKeys[0], .probeByte = 0xE9, .rotate = rotate});
}

emu::Process WithModulePath(std::string path) {
  emu::Process process = AllOn();
  process.profiles[path.substr(0, path.find_last_of("\\/") + 1) + kSettingsName] = sc::kAllOn;
  process.modulePath = std::move(path);
  return process;
}

// Amount texts of every shape, up to and past what the 255-byte buffer holds; the
// seed is fixed, so every run tries the same ones.
std::vector<std::string> OddAmounts() {
  std::mt19937 random(20261208);
  const std::string alphabet = "0123456789.eE+-xXpPinfaINF \t\"_,";
  const auto pick = [&](std::size_t count) { return static_cast<std::size_t>(random() % count); };
  std::vector<std::string> texts;
  for (int i = 0; i < 40; ++i) {
    std::string text;
    const std::size_t length = i % 8 == 7 ? 250 + pick(20) : pick(i % 2 ? 24 : 200);
    if (i % 3 == 0) {
      // Shaped like a number: sign, digits, point, digits, exponent.
      text = std::string(pick(2) ? "-" : "") + std::to_string(random()) + "." +
             std::to_string(random()) + (pick(2) ? "e" + std::to_string(int(pick(90)) - 45) : "");
      while (text.size() < length) text.insert(pick(text.size()), 1, "0123456789"[pick(10)]);
    } else {
      while (text.size() < length) text += alphabet[pick(alphabet.size())];
    }
    texts.push_back(text);
  }
  return texts;
}

std::vector<Case> Cases() {
  std::vector<Case> all;
  const auto add = [&](std::string name, const auto& change, int rotate = 0) {
    Case c{std::move(name), AllOn(rotate)};
    change(c.process);
    all.push_back(std::move(c));
  };
  for (const LumavaleRow& row : kLumavaleRows) {
    const auto fails = [&](emu::Process& p) { p.protectFails = {row.address}; };
    add("ProtectFailsOnRow_" + std::to_string(row.row), fails, row.row - 1);
  }
  add("ProtectFailsOnEveryRow", [](emu::Process& p) {
    for (const LumavaleRow& row : kLumavaleRows) p.protectFails.insert(row.address);
  });
  add("ProtectFailsOnProbe", [](emu::Process& p) { p.protectFails = {emu::kProbeAddress}; });
  for (const std::uint32_t key : kProbeKeys) {
    add("ProbeKey_" + std::to_string(key), [&](emu::Process& p) { p.entryKey = key; });
  }
  add("SpanPagesAbsent", [](emu::Process& p) {
    // The pages of the one-byte rows.
    for (const LumavaleRow& row : kLumavaleRows) {
      if (row.width == 1) p.unmappedPages.insert(row.address & ~(emu::kPageSize - 1));
    }
  });

  add("ModuleNameFails", [](emu::Process& p) { p.moduleNameFails = true; });
  // 300 characters come back cut at 259 and a count of 260.
  all.push_back({"ModulePathCut", WithModulePath("C:\\" + std::string(280, 'd') + "\\Lumavale.asi")});
  all.push_back({"ModulePathLongest", WithModulePath("C:\\" + std::string(242, 'd') + "\\L.asi")});
  // The directory of 234 characters and the name make 254; one more does not fit.
  all.push_back({"SettingsPathFits", WithModulePath("C:\\" + std::string(230, 'd') + "\\x.asi")});
  all.push_back({"SettingsPathTooLong", WithModulePath("C:\\" + std::string(231, 'd') + "\\x.asi")});
  // The wide road counts in UTF-16 units: "Игры" is four, like "dddd".
  all.push_back({"WideSettingsPathFits", WithModulePath("C:\\Игры" + std::string(226, 'd') + "\\x.asi")});
  all.push_back({"WideSettingsPathTooLong", WithModulePath("C:\\Игры" + std::string(227, 'd') + "\\x.asi")});
  all.push_back({"ModulePathWithoutSeparator", WithModulePath("Lumavale.asi")});
  all.push_back({"ModulePathWithSlashes", WithModulePath("C:/Game/mods/Lumavale.asi")});
  all.push_back({"ModulePathMixedSeparators", WithModulePath("C:\\Game/mods\\x.y/Lumavale.asi")});

  add("HeaderWithoutMz", [](emu::Process& p) { p.mz = false; });
  add("HeaderWithoutPe", [](emu::Process& p) { p.peSignature = false; });
  add("NewHeaderPastFirstPage", [](emu::Process& p) { p.newHeader = emu::kPageSize - 0x2C + 1; });
  add("NewHeaderAtLastPlace", [](emu::Process& p) { p.newHeader = emu::kPageSize - 0x2C; });

  add("HostAtAnotherBase", [](emu::Process& p) { p.hostBase = 0x01000000; });
  add("PluginAtAnotherBase", [](emu::Process& p) { p.pluginBase = 0x30000000; }, 1);
  add("PluginAndHostElsewhere", [](emu::Process& p) {
    p.pluginBase = 0x00C00000;
    p.hostBase = 0x02000000;
  }, 2);

  const std::vector<std::string> amounts = OddAmounts();
  for (std::size_t i = 0; i < amounts.size(); ++i) {
    add("OddAmount_" + std::to_string(i), [&](emu::Process& p) {
      p.profiles.begin()->second = sc::Ini("AmountInFrontend=" + amounts[i] + "\nAmountInGameplay=" +
                                               amounts[(i + 7) % amounts.size()] + "\n",
                                           "Fog=1\n");
    }, static_cast<int>(i));
  }
  return all;
}

class EmulatorOnly : public testing::TestWithParam<Case> {};

TEST_P(EmulatorOnly, StartsUpExactlyAsExpected) { ExpectStartUp(GetParam().process); }

INSTANTIATE_TEST_SUITE_P(Cases, EmulatorOnly, testing::ValuesIn(Cases()),
                         [](const auto& c) { return c.param.name; });

// --- The loader itself --------------------------------------------------------------

// A copy of the plug-in with some bytes changed, for images the loader must refuse.
class BrokenImage : public testing::Test {
 protected:
  void SetUp() override {
    file_ = sc::ReadFile(PluginFile());
    ASSERT_GT(file_.size(), 0x400u) << PluginFile() << " is missing: build the win32 preset";
    nt_ = U32(0x3C);
    optional_ = nt_ + 24;
  }

  std::uint32_t U32(std::size_t at) const {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<std::uint8_t>(file_[at + i]);
    return value;
  }

  void SetU32(std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) file_[at + i] = static_cast<char>(value >> (8 * i));
  }

  // The file offset of an RVA, through the section table.
  std::size_t Offset(std::uint32_t rva) const {
    const std::size_t sections = optional_ + (U32(nt_ + 20) & 0xFFFF);
    for (std::size_t i = 0; i < (U32(nt_ + 4) >> 16); ++i) {
      const std::size_t header = sections + 40 * i;
      if (rva - U32(header + 12) < U32(header + 16)) return rva - U32(header + 12) + U32(header + 20);
    }
    return 0;
  }

  emu::Outcome Run(std::optional<Address> base = std::nullopt) {
    emu::Process process = AllOn();
    process.pluginBytes.assign(file_.begin(), file_.end());
    process.pluginBase = base;
    return emu::Run(process);
  }

  std::string Load(std::optional<Address> base = std::nullopt) { return Run(base).error; }

  std::string file_;
  std::size_t nt_ = 0;
  std::size_t optional_ = 0;
};

TEST_F(BrokenImage, UntouchedCopyLoads) { EXPECT_EQ(Load(), ""); }

TEST_F(BrokenImage, UnknownImportIsNamed) {
  const std::size_t at = file_.find("VirtualProtect");
  ASSERT_NE(at, std::string::npos);
  file_[at + 13] = 'X';
  EXPECT_NE(Load().find("KERNEL32.dll!VirtualProtecX"), std::string::npos) << Load();
}

TEST_F(BrokenImage, ImportFromAnotherLibraryIsNamed) {
  const std::size_t at = file_.find("KERNEL32.dll");
  ASSERT_NE(at, std::string::npos);
  file_.replace(at, 8, "ADVAPI32");
  EXPECT_NE(Load().find("ADVAPI32.dll!GetModuleFileNameA"), std::string::npos) << Load();
}

TEST_F(BrokenImage, TlsDirectoryIsRefused) {
  SetU32(optional_ + 96 + 8 * 9, 0x1000);
  SetU32(optional_ + 100 + 8 * 9, 0x18);
  EXPECT_NE(Load().find("TLS"), std::string::npos) << Load();
}

TEST_F(BrokenImage, StrippedRelocationsCannotMove) {
  EXPECT_EQ(Load(0x30000000), "");
  SetU32(nt_ + 20, U32(nt_ + 20) | 0x00010000);  // IMAGE_FILE_RELOCS_STRIPPED
  EXPECT_NE(Load(0x30000000).find("no base relocations"), std::string::npos);
  EXPECT_EQ(Load(), "") << "at its own base it needs none";
}

TEST_F(BrokenImage, UnknownRelocationTypeIsAnError) {
  const std::size_t block = Offset(U32(optional_ + 96 + 8 * 5));
  ASSERT_NE(block, 0u);
  file_[block + 9] = static_cast<char>((file_[block + 9] & 0x0F) | 0xA0);  // type 10
  EXPECT_NE(Load(0x30000000).find("unknown type 10"), std::string::npos) << Load(0x30000000);
}

// Entry code of its own in place of DllMain: TRUE when ESP lies inside the stack that
// the TEB behind FS describes (fs:[0x18] is the TEB itself, +4 the stack's top, +8
// its limit), FALSE otherwise; a FS that reaches nothing faults instead.
TEST_F(BrokenImage, FsReachesTheTebOfTheRunningStack) {
  const std::size_t entry = Offset(U32(optional_ + 16));
  ASSERT_NE(entry, 0u);
  const std::uint8_t code[] = {
      0x64, 0xA1, 0x18, 0x00, 0x00, 0x00,  // mov eax, fs:[0x18]
      0x3B, 0x60, 0x04, 0x73, 0x0D,        // cmp esp, [eax+4]; jae no
      0x3B, 0x60, 0x08, 0x72, 0x08,        // cmp esp, [eax+8]; jb no
      0xB8, 0x01, 0x00, 0x00, 0x00,        // mov eax, 1
      0xC2, 0x0C, 0x00,                    // ret 12
      0x31, 0xC0, 0xC2, 0x0C, 0x00};       // no: xor eax, eax; ret 12
  for (std::size_t i = 0; i < sizeof code; ++i) file_[entry + i] = static_cast<char>(code[i]);
  const emu::Outcome outcome = Run();
  EXPECT_EQ(outcome.error, "");
  EXPECT_EQ(outcome.returns, (std::vector<std::uint32_t>{1, 1, 1, 1}));
}

TEST(Loader, HangBecomesFailure) {
  emu::Process process = AllOn();
  ASSERT_TRUE(fs::is_regular_file(process.plugin)) << process.plugin;
  process.budget = 200;
  EXPECT_NE(emu::Run(process).error.find("did not return within 200 instructions"), std::string::npos);
}

TEST(Loader, HostPagesStartWithTheRotationsProtections) {
  for (int rotate = 0; rotate < 4; ++rotate) {
    const emu::Outcome outcome = emu::Run(AllOn(rotate));
    ASSERT_EQ(outcome.error, "");
    std::set<std::uint32_t> seen;
    for (const emu::HostPage& page : outcome.pages) {
      EXPECT_EQ(page.protectionBefore, lumavale::spans::StartProtection(page.base, rotate));
      seen.insert(page.protectionBefore);
    }
    EXPECT_EQ(seen.size(), 4u) << "every protection is met in every rotation";
  }
}

// A VirtualProtect that claims success without opening anything leaves the span's
// page as it was; the store there must stop the run, as it would fault the host.
TEST(Loader, StoreToPageNotWritableStopsTheRun) {
  emu::Process process = AllOn(0);
  const Address first = kLumavaleRows[0].address;
  ASSERT_EQ(lumavale::spans::StartProtection(first & ~(emu::kPageSize - 1), 0), emu::kPageExecuteRead);
  process.protectPretends = {first};
  char expected[64];
  std::snprintf(expected, sizeof expected, "store to a page not writable at 0x%08X", first);
  EXPECT_NE(emu::Run(process).error.find(expected), std::string::npos) << emu::Run(process).error;
}

}  // namespace
