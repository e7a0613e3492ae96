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
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "emulator.h"
#include "spans.h"

namespace {

namespace emu = lumavale::emu;

constexpr char kDirectory[] = "C:\\Game\\";

std::string Hex(const emu::Outcome& outcome, emu::Address address, std::size_t width, bool after) {
  std::string text;
  char pair[4];
  for (std::size_t i = 0; i < width; ++i) {
    const std::uint8_t byte =
        after ? outcome.After(address + static_cast<emu::Address>(i))
              : outcome.Before(address + static_cast<emu::Address>(i));
    std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", byte);
    text += pair;
  }
  return text;
}

std::string Meaning(const LumavaleRow& span, const emu::Outcome& outcome) {
  const auto address = static_cast<emu::Address>(span.address);
  if (Hex(outcome, address, span.width, true) == Hex(outcome, address, span.width, false)) {
    return lumavale::spans::StoresAmount(span) ? "untouched" : "off (untouched)";
  }
  if (lumavale::spans::StoresAmount(span)) {
    std::uint32_t bits = 0;
    for (emu::Address i = 0; i < 4; ++i) {
      bits |= static_cast<std::uint32_t>(outcome.After(address + i)) << (8 * i);
    }
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
  }
  return "on";
}

const char* ProtectionName(std::uint32_t protection) {
  switch (protection) {
    case 0x01: return "no-access";
    case 0x02: return "read-only";
    case 0x04: return "read-write";
    case 0x08: return "write-copy";
    case 0x10: return "execute";
    case 0x20: return "execute-read";
    case 0x40: return "execute-read-write";
    case 0x80: return "execute-write-copy";
    default: return "other";
  }
}

void PrintTable(const emu::Outcome& outcome) {
  std::printf("%-3s  %-10s  %-5s  %-17s  %-24s  %-24s  %s\n", "row", "address", "width",
              "condition", "bytes before", "bytes after", "value");
  for (const LumavaleRow& span : kLumavaleRows) {
    const auto address = static_cast<emu::Address>(span.address);
    std::printf("%-3d  0x%08lX  %-5u  %-17s  %-24s  %-24s  %s\n", span.row,
                static_cast<unsigned long>(span.address), static_cast<unsigned>(span.width),
                lumavale::spans::ConditionName(span), Hex(outcome, address, span.width, false).c_str(),
                Hex(outcome, address, span.width, true).c_str(), Meaning(span, outcome).c_str());
  }
  std::printf("\n%-10s  %-20s  %s\n", "page", "protection before", "protection after");
  for (const emu::HostPage& page : outcome.pages) {
    std::printf("0x%08lX  %-20s  %s\n", static_cast<unsigned long>(page.base),
                ProtectionName(page.protectionBefore), ProtectionName(page.protectionAfter));
  }
}

emu::Address Number(const char* text) {
  return static_cast<emu::Address>(std::strtoul(text, nullptr, 0));
}

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
    std::ifstream file(settings, std::ios::binary);
    std::ostringstream text;
    if (!(text << file.rdbuf())) {
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
