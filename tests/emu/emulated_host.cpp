// The stand-in host's view without Windows or Wine: loads a PE32 DLL into the
// emulated process and shows what it did to the host.
//
//   emulated_host [--entry KEY] [--probe-byte B] [--table | --instructions] PLUGIN [SETTINGS.ini]
//       --table (the default): each patched span's bytes before and after the load,
//       then each host page's protection before and after;
//       --instructions: "instructions N", what the attach ran outside KERNEL32.
//   The settings file, when given, lies beside the plug-in; without it there is none.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "emulator.h"
#include "span_table.h"

namespace {

namespace emu = lumavale::emu;

constexpr char kDirectory[] = "C:\\Game\\";

void PrintTable(const emu::Outcome& outcome) {
  std::vector<lumavale::spans::PageProtections> pages;
  for (const emu::HostPage& page : outcome.pages) {
    pages.push_back({page.base, page.protectionBefore, page.protectionAfter});
  }
  lumavale::spans::PrintTable([&](emu::Address address) { return outcome.Before(address); },
                              [&](emu::Address address) { return outcome.After(address); }, pages);
}

emu::Address Number(const char* text) { return static_cast<emu::Address>(std::strtoul(text, nullptr, 0)); }

}  // namespace

int main(int argc, char** argv) {
  emu::Process process;
  bool instructions = false;
  const char* plugin = nullptr;
  const char* settings = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--entry" && i + 1 < argc) {
      process.entryKey = Number(argv[++i]);
    } else if (option == "--probe-byte" && i + 1 < argc) {
      process.probeByte = static_cast<std::uint8_t>(Number(argv[++i]) & 0xFF);
    } else if (option == "--table" || option == "--instructions") {
      instructions = option == "--instructions";
    } else if (plugin == nullptr && option.rfind("--", 0) != 0) {
      plugin = argv[i];
    } else if (settings == nullptr && option.rfind("--", 0) != 0) {
      settings = argv[i];
    } else {
      plugin = nullptr;
      break;
    }
  }
  if (plugin == nullptr) {
    std::fprintf(stderr,
                 "usage: emulated_host [--entry KEY] [--probe-byte B] [--table | --instructions] "
                 "PLUGIN [SETTINGS.ini]\n");
    return 2;
  }
  process.plugin = plugin;
  process.modulePath = kDirectory + process.plugin.filename().string();
  if (settings != nullptr) {
    std::ostringstream text;
    if (!(text << std::ifstream(settings, std::ios::binary).rdbuf())) {
      std::fprintf(stderr, "cannot read %s\n", settings);
      return 2;
    }
    process.profiles[std::string(kDirectory) + "LumavaleSettings.ini"] = text.str();
  }

  const emu::Outcome outcome = emu::Run(process);
  if (!outcome.error.empty()) {
    std::fprintf(stderr, "%s: %s\n", plugin, outcome.error.c_str());
    return 1;
  }
  if (instructions) {
    std::printf("instructions %llu\n", static_cast<unsigned long long>(outcome.attachInstructions));
  } else {
    PrintTable(outcome);
  }
  return 0;
}
