#pragma once
// The fake platform that the native tests link in place of KERNEL32, behind both
// doors: the plug-in's (platform.h) and the settings check's (checker/system.h). It
// behaves like the real operations where the logic depends on them and records every
// call, so tests can prove order, spans and restores.

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "checker/system.h"
#include "platform/platform.h"

namespace lumavale::fake {

struct ProtectionCall {
  HostAddress address;
  std::uint32_t size;
  std::uint32_t protection;
  bool succeeded;
  std::vector<std::uint8_t> bytes;  // the span as it was at the call (when it succeeded)
};

// A program running beside the check: what it is, what it has loaded, and its memory.
struct Program {
  std::uint32_t id = 0;
  std::string image;
  std::vector<check::system::Module> modules;  // its own image first
  std::map<std::uint32_t, std::uint8_t> memory;  // the bytes that can be read
  std::uint32_t denied = 0;  // why it cannot be opened for reading (a system error); 0: it can
};

struct Platform {
  // The plug-in's own path, in UTF-8. GetModuleFileNameW gives it whole, and
  // GetModuleFileNameA gives a '?' for each unit outside ASCII.
  std::string moduleFileName = "C:\\Games\\Host\\scripts\\Lumavale.asi";
  // Files by path (UTF-8), with their text. The profile reads read these through the profile
  // reader, as KERNEL32 reads the text; a file not here has no keys at all.
  std::map<std::string, std::string> files{};
  std::set<HostAddress> failingProtection{};  // spans whose protection change fails
  std::uint32_t reportedProtection = 0x20;  // what a successful change reports as previous
  HostAddress hostImageBase = 0;
  std::chrono::milliseconds hostImageBaseDelay{0};  // widens races in thread tests

  // The settings check's world: files that exist besides those in `files` (which can
  // also be read) but are never read (or only listed, and their headers and versions asked), other things that bear a name (folders, links
  // that lead nowhere), the folder a relative path starts from, and whether the
  // console is the program's own. The program's own path is `moduleFileName`.
  std::set<std::string> existingFiles{};
  std::map<std::string, check::system::Kind> otherThings{};
  std::string currentFolder = "C:\\Users\\Player\\";
  bool ownConsole = false;
  bool underWine = false;
  std::vector<Program> programs{};
  std::map<std::string, check::system::Version> versions{};  // files' version information
  // Paths that name the same object as another: "D:\\Game\\" for "Z:\\lib\\Game\\", and all below.
  std::map<std::string, std::string> aliases{};
  bool caseSensitive = false;    // the disk tells names apart by letter case
  bool identityUnknown = false;  // no path can be asked what it names
  // Writes that fail (by path, with what they give), and the lines the player types.
  std::map<std::string, check::system::Written> failingWrites{};
  std::vector<std::string> typed{};

  // What happened, in order.
  std::vector<std::string> profileReads{};  // "section/key@file", and " (wide)" for a wide read
  std::vector<ProtectionCall> protectionCalls{};
  int hostImageBaseCalls = 0;
  std::vector<std::uint32_t> opened{};  // the programs opened for reading, by id
  std::vector<std::pair<std::uint32_t, std::uint32_t>> programReads{};  // (address, size)
  std::string out{};                  // everything written to standard output
  std::vector<std::string> writes{};  // each write asked for, in order (the fuzzer counts them)
  int enterWaits = 0;
};

// The version information every release of the plug-in carries.
inline const check::system::Version kPluginVersion{"Lumavale", "Lumavale.asi", "1.2.0"};

// The state behind the platform functions; tests reset it with `State() = {}`, or
// set it anew by member (`State() = {.files = ...}`): every member has a default.
Platform& State();

}  // namespace lumavale::fake
