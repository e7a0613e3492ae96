#pragma once
// An emulated Windows loader for one 32-bit DLL: its machine code runs on Unicorn in
// a small scripted process (a host image header, a few host pages, a stack, a TEB),
// with KERNEL32 played by stubs that record every call. Nothing here needs the
// kernel to run 32-bit programs.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "contract.h"

namespace lumavale::emu {

using Address = std::uint32_t;
using Bytes = std::vector<std::uint8_t>;

inline constexpr Address kPageSize = 0x1000;
inline constexpr Address kDefaultHostBase = LUMAVALE_HOST_IMAGE_BASE;
inline constexpr Address kProbeAddress = LUMAVALE_PROBE_ADDRESS;

// Win32 page protections.
inline constexpr std::uint32_t kPageNoAccess = 0x01;
inline constexpr std::uint32_t kPageReadOnly = 0x02;
inline constexpr std::uint32_t kPageReadWrite = 0x04;
inline constexpr std::uint32_t kPageExecuteRead = 0x20;
inline constexpr std::uint32_t kPageExecuteReadWrite = 0x40;

struct Process {
  // The DLL (its bytes, or else its file) and where it goes (nullopt: its preferred base).
  std::filesystem::path plugin;
  Bytes pluginBytes;
  std::optional<Address> pluginBase;

  std::string modulePath = "C:\\Game\\Lumavale.asi";  // the plug-in's path, in UTF-8
  bool moduleNameFails = false;

  // Profile files by Windows path (UTF-8, compared without case); absent files read
  // as their defaults.
  std::map<std::string, std::string> profiles;

  // The host image header.
  Address hostBase = kDefaultHostBase;
  Address entryKey = 0x00401000;
  bool mz = true;
  bool peSignature = true;
  std::uint32_t newHeader = 0x80;  // e_lfanew

  std::uint8_t probeByte = 0xE9;
  int rotate = 0;  // shifts which protection each host page starts with
  std::set<Address> protectFails;  // VirtualProtect fails for a span starting at any of these
  std::set<Address> protectPretends;  // it claims success for a span starting here, yet changes nothing
  std::set<Address> unmappedPages;  // host pages left out of the process

  std::uint64_t budget = 2'000'000;  // instructions for each DllMain call before it counts as a hang
};

struct Call {
  std::uint32_t reason = 0;  // the DllMain call it came from
  std::string function{};
  std::vector<std::uint32_t> args{};  // as pushed
  std::vector<std::string> text{};    // the string arguments, read from emulated memory (wide ones as UTF-8)
  std::uint32_t result = 0;
  std::string out{};                         // text written back to the caller's buffer (likewise)
  std::optional<std::uint32_t> previous{};   // VirtualProtect's out-parameter, when written
  // How many stores and reads were recorded before this call, to place it among them.
  std::size_t storesBefore = 0;
  std::size_t readsBefore = 0;
};

struct Access {
  std::uint32_t reason = 0;
  Address address = 0;
  std::uint32_t size = 0;
  std::uint64_t value = 0;  // stores only
};

struct HostPage {
  Address base = 0;
  bool mapped = false;
  Bytes before, after;
  std::uint32_t protectionBefore = 0, protectionAfter = 0;
};

struct Outcome {
  // Why the process could not be set up or a DllMain call did not come back
  // properly (bad image, unknown import, fault, hang); empty when all went well.
  std::string error;
  Address pluginBase = 0;
  std::vector<std::uint32_t> returns;  // EAX of each DllMain call
  std::vector<Call> calls;
  std::vector<Access> stores;  // outside the plug-in's image and the stack
  std::vector<Access> reads;   // likewise
  std::vector<HostPage> pages;  // the header page first
  std::uint64_t attachInstructions = 0;  // outside the stub page

  // The byte at `address` of a host page before or after the run.
  std::uint8_t Before(Address address) const;
  std::uint8_t After(Address address) const;
};

// Loads the DLL into a fresh process, calls its entry with every reason and tells
// what happened.
Outcome Run(const Process& process);

}  // namespace lumavale::emu
