#pragma once
// Control of the fake platform that the native tests link instead of KERNEL32.
// It behaves like the real operations where the logic depends on them and records
// every call, so tests can prove order, spans and restores.

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace lumavale::fake {

struct ProtectionCall {
  HostAddress address;
  std::uint32_t size;
  std::uint32_t protection;
  bool succeeded;
  std::vector<std::uint8_t> bytes;  // the span as it was at the call (when it succeeded)
};

struct Platform {
  // GetModuleFileNameA's view of the plug-in's own path.
  std::string moduleFileName = "C:\\Games\\Host\\scripts\\Lumavale.asi";
  // Profile values by (section, key); a key not here is absent.
  std::map<std::pair<std::string, std::string>, std::string> profile;
  // Files that exist; a read of any other file sees no keys at all.
  std::string settingsFile = "C:\\Games\\Host\\scripts\\LumavaleSettings.ini";
  // Whole files by path: reads of these go through the profile reader, as KERNEL32
  // would read the text, instead of through `profile`.
  std::map<std::string, std::string> files;
  std::set<HostAddress> failingProtection;  // spans whose protection change fails
  std::uint32_t reportedProtection = 0x20;  // what a successful change reports as previous
  HostAddress hostImageBase = 0;
  std::chrono::milliseconds hostImageBaseDelay{0};  // widens races in thread tests

  // The settings check's world: files that exist besides those in `files` (which can
  // also be read), the folder a relative path starts from, and whether the console
  // is the program's own.
  std::set<std::string> existingFiles;
  std::string currentFolder = "C:\\Users\\Player\\";
  bool ownConsole = false;

  // What happened, in order.
  std::vector<std::string> profileReads;  // "section/key@file"
  std::vector<ProtectionCall> protectionCalls;
  int hostImageBaseCalls = 0;
  std::string out;         // everything written to standard output
  int enterWaits = 0;
};

// The state behind the platform functions; tests reset it with `State() = {}`.
Platform& State();

}  // namespace lumavale::fake
