// A stand-in for the game: a 32-bit image at 0x00400000 that spans every address the
// plug-in writes, so its effect can be watched byte by byte under Wine or Windows.
//
//   standin_host [--entry KEY] [--probe-byte B] [--rotate N] [--table] PLUGIN
//       loads PLUGIN and prints what changed (one record per line, or a table);
//   standin_host --wait-for FILE [--entry KEY] PLUGIN...|-
//       loads each PLUGIN in order (none for "-"), prints "ready", and runs on, as a
//       game does, until FILE exists;
//   standin_host --read-int FILE SECTION KEY DEFAULT ...
//   standin_host --read-string FILE SECTION KEY DEFAULT SIZE ...
//       prints what the profile functions give, so a test derives its expectations
//       from the system's own reading of the file.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "span_table.h"

// The linker puts ".init" first in .text, ahead of all code, so the probe address
// falls in this block and planting a byte there cannot hit an instruction.
__attribute__((section(".init"), used)) unsigned char lowSpace[0x8000] = {1};
// Zero-filled, so it costs no file size yet stretches the image past the last span.
__attribute__((used)) unsigned char highSpace[0x7C0000];

namespace {

namespace spans = lumavale::spans;
using Address = std::uintptr_t;
using Span = LumavaleRow;
constexpr Address kImageBase = LUMAVALE_HOST_IMAGE_BASE;
constexpr Address kProbeAddress = LUMAVALE_PROBE_ADDRESS;
constexpr std::size_t kPageSize = 0x1000;
constexpr std::size_t kPad = 8;  // bytes shown and guarded on each side of a span

// The pages whose bytes and protection are watched: the header (read for the host
// key), then the probe byte's page and the span pages.
const std::vector<Address> kWatchedPages = [] {
  std::vector<Address> pages = {kImageBase};
  for (const std::uint32_t page : spans::HostPages()) pages.push_back(page);
  return pages;
}();

unsigned char* At(Address address) { return reinterpret_cast<unsigned char*>(address); }

bool Inside(Address first, std::size_t size, const void* block, std::size_t blockSize) {
  const auto begin = reinterpret_cast<Address>(block);
  return first >= begin && first + size <= begin + blockSize;
}

bool LayoutCoversEverything() {
  return Inside(kProbeAddress, 1, lowSpace, sizeof lowSpace) &&
         std::all_of(std::begin(kLumavaleRows), std::end(kLumavaleRows), [](const Span& span) {
           return Inside(span.address - kPad, span.width + 2 * kPad, highSpace, sizeof highSpace);
         });
}

DWORD ProtectionOf(Address page) {
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(At(page), &info, sizeof info) == 0 ? 0 : info.Protect;
}

bool Protect(Address address, std::size_t size, DWORD protection) {
  DWORD previous = 0;
  return VirtualProtect(At(address), size, protection, &previous) != FALSE;
}

// Writes under a temporary protection change, putting the previous one back.
bool PokeBytes(Address address, const void* bytes, std::size_t size) {
  DWORD previous = 0;
  if (!VirtualProtect(At(address), size, PAGE_EXECUTE_READWRITE, &previous)) return false;
  std::memcpy(At(address), bytes, size);
  return Protect(address, size, previous);
}

std::string HexByte(unsigned char byte) {
  char pair[3];
  std::snprintf(pair, sizeof pair, "%02X", byte);
  return pair;
}

// The watched pages' bytes by address, and their protections in order.
struct Snapshot {
  std::map<Address, unsigned char> bytes;
  std::vector<DWORD> protections;

  // `size` bytes from `first` in hexadecimal.
  std::string Hex(Address first, std::size_t size) const {
    std::string text;
    for (Address at = first; at < first + size; ++at) text += HexByte(bytes.at(at));
    return text;
  }
};

Snapshot Take() {
  Snapshot snapshot;
  for (const Address page : kWatchedPages) {
    for (Address at = page; at < page + kPageSize; ++at) snapshot.bytes[at] = *At(at);
    snapshot.protections.push_back(ProtectionOf(page));
  }
  return snapshot;
}

bool InSomeSpan(Address address) {
  return std::any_of(std::begin(kLumavaleRows), std::end(kLumavaleRows),
                     [&](const Span& span) { return address - span.address < span.width; });
}

// Counts the bytes of `page` that differ; the spans themselves are skipped unless
// `withSpans`.
unsigned long CountChanges(const Snapshot& a, const Snapshot& b, Address page, bool withSpans) {
  unsigned long count = 0;
  for (Address at = page; at < page + kPageSize; ++at) {
    if (a.bytes.at(at) != b.bytes.at(at) && (withSpans || !InSomeSpan(at))) ++count;
  }
  return count;
}

// Options, sections, keys and numbers are ASCII; so are the numbers the plug-in reads
// out of a wide value, which it narrows first with '?' for every unit outside ASCII.
std::string Narrow(const wchar_t* text) {
  std::string narrow;
  for (; *text != L'\0'; ++text) narrow += *text < 0x80 ? static_cast<char>(*text) : '?';
  return narrow;
}

unsigned long Number(const wchar_t* text) { return std::wcstoul(text, nullptr, 0); }

// The wide reads: a settings file's path may hold what the ANSI code page lacks.
int ReadProfile(int argc, wchar_t** argv) {
  for (int i = 1; i < argc;) {
    const std::string mode = Narrow(argv[i]);
    if (mode == "--read-int" && i + 4 < argc) {
      const UINT value = GetPrivateProfileIntW(
          argv[i + 2], argv[i + 3], static_cast<INT>(std::wcstol(argv[i + 4], nullptr, 0)),
          argv[i + 1]);
      std::printf("int %s %s %u\n", Narrow(argv[i + 2]).c_str(), Narrow(argv[i + 3]).c_str(), value);
      i += 5;
    } else if (mode == "--read-string" && i + 5 < argc) {
      // SIZE is the size handed to the call; the extra unit keeps the text ended
      // whatever the call does.
      std::vector<wchar_t> buffer(Number(argv[i + 5]) + 1, L'\0');
      GetPrivateProfileStringW(argv[i + 2], argv[i + 3], argv[i + 4], buffer.data(),
                               static_cast<DWORD>(buffer.size() - 1), argv[i + 1]);
      std::string hex;
      for (const char c : Narrow(buffer.data())) hex += HexByte(static_cast<unsigned char>(c));
      std::printf("string %s %s %s\n", Narrow(argv[i + 2]).c_str(), Narrow(argv[i + 3]).c_str(),
                  hex.empty() ? "-" : hex.c_str());
      i += 6;
    } else {
      std::fprintf(stderr, "bad read request at \"%s\"\n", mode.c_str());
      return 2;
    }
  }
  return 0;
}

DWORD WINAPI Idle(LPVOID) { return 0; }

void PrintTable(const Snapshot& before, const Snapshot& after) {
  std::vector<spans::PageProtections> pages;
  for (std::size_t i = 0; i < std::size(kWatchedPages); ++i) {
    pages.push_back({static_cast<std::uint32_t>(kWatchedPages[i]), before.protections[i], after.protections[i]});
  }
  spans::PrintTable([&](Address address) { return before.bytes.at(address); },
                    [&](Address address) { return after.bytes.at(address); }, pages);
}

void PrintRecords(const Snapshot& before, const Snapshot& after, const Snapshot& final) {
  for (const Span& span : kLumavaleRows) {
    const Address first = span.address - kPad;
    const std::size_t size = span.width + 2 * kPad;
    std::printf("span %d %08lX %u %u %s %s %s\n", span.row, static_cast<unsigned long>(span.address),
                static_cast<unsigned>(span.width), static_cast<unsigned>(kPad), before.Hex(first, size).c_str(),
                after.Hex(first, size).c_str(), final.Hex(first, size).c_str());
  }
  for (std::size_t i = 0; i < std::size(kWatchedPages); ++i) {
    const Address page = kWatchedPages[i];
    std::printf("page %08lX %lX %lX %lX %lu %lu\n", static_cast<unsigned long>(page), before.protections[i],
                after.protections[i], final.protections[i], CountChanges(before, after, page, false),
                CountChanges(after, final, page, true));
  }
  std::printf("probe %s %s %s\n", before.Hex(kProbeAddress, 1).c_str(), after.Hex(kProbeAddress, 1).c_str(),
              final.Hex(kProbeAddress, 1).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && std::wcsncmp(argv[1], L"--read-", 7) == 0) return ReadProfile(argc, argv);

  long entryKey = -1;
  int probeByte = -1;
  int rotate = 0;
  bool table = false;
  std::vector<const wchar_t*> plugins;
  const wchar_t* stopFile = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string option = Narrow(argv[i]);
    if (option == "--entry" && i + 1 < argc) {
      entryKey = static_cast<long>(Number(argv[++i]));
    } else if (option == "--probe-byte" && i + 1 < argc) {
      probeByte = static_cast<int>(Number(argv[++i]) & 0xFF);
    } else if (option == "--rotate" && i + 1 < argc) {
      rotate = static_cast<int>(Number(argv[++i]));
    } else if (option == "--table") {
      table = true;
    } else if (option == "--wait-for" && i + 1 < argc) {
      stopFile = argv[++i];
    } else {
      plugins.push_back(argv[i]);
    }
  }
  if (stopFile != nullptr ? plugins.empty() : plugins.size() != 1) {
    std::fprintf(stderr,
                 "usage: standin_host [--entry KEY] [--probe-byte B] [--rotate N] [--table] PLUGIN\n"
                 "       standin_host --wait-for FILE [--entry KEY] PLUGIN...|-\n");
    return 2;
  }
  if (!LayoutCoversEverything() ||
      reinterpret_cast<Address>(GetModuleHandleA(nullptr)) != kImageBase) {
    std::fprintf(stderr, "the image does not span every patched address\n");
    return 3;
  }

  bool prepared = true;
  if (entryKey >= 0) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(kImageBase);
    const Address field = kImageBase + static_cast<Address>(dos->e_lfanew) +
                          offsetof(IMAGE_NT_HEADERS32, OptionalHeader.AddressOfEntryPoint);
    const auto rva = static_cast<std::uint32_t>(static_cast<unsigned long>(entryKey) - kImageBase);
    prepared = PokeBytes(field, &rva, sizeof rva) && prepared;
  }
  if (probeByte >= 0) {
    const auto byte = static_cast<unsigned char>(probeByte);
    prepared = PokeBytes(kProbeAddress, &byte, 1) && prepared;
  }
  for (const Span& span : kLumavaleRows) {
    for (Address a = span.address - kPad; a < span.address + span.width + kPad; ++a) {
      *At(a) = spans::Sentinel(static_cast<std::uint32_t>(a));
    }
  }
  for (const std::uint32_t page : spans::HostPages()) {
    prepared = Protect(page, kPageSize, spans::StartProtection(page, rotate)) && prepared;
  }
  if (!prepared) {
    std::fprintf(stderr, "could not prepare the image: error %lu\n", GetLastError());
    return 3;
  }

  if (stopFile != nullptr) {
    if (plugins.size() == 1 && std::wcscmp(plugins.front(), L"-") == 0) plugins.clear();
    for (const wchar_t* plugin : plugins) {
      if (LoadLibraryW(plugin) == nullptr) return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    for (int waited = 0; waited < 1200 && GetFileAttributesW(stopFile) == INVALID_FILE_ATTRIBUTES; ++waited) {
      Sleep(100);
    }
    return 0;
  }

  const Snapshot before = Take();
  HMODULE module = LoadLibraryW(plugins.front());
  const DWORD loadError = module != nullptr ? 0 : GetLastError();
  const Snapshot after = Take();

  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, Idle, nullptr, 0, &threadId);
  const bool threadRan = thread != nullptr && WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
  if (thread != nullptr) CloseHandle(thread);
  const bool freed = module != nullptr && FreeLibrary(module) != FALSE;
  const Snapshot final = Take();

  if (table) {
    if (module == nullptr) std::printf("the plug-in did not load: error %lu\n\n", loadError);
    PrintTable(before, after);
  } else {
    std::printf("load %d %lu\n", module != nullptr ? 1 : 0, loadError);
    PrintRecords(before, after, final);
    std::printf("thread %d\nfree %d\nend\n", threadRan ? 1 : 0, freed ? 1 : 0);
  }
  std::fflush(stdout);
  return module != nullptr ? 0 : 1;
}
