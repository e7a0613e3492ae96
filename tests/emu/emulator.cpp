#include "emulator.h"

#include <unicorn/unicorn.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "ansi.h"
#include "checker/profile_text.h"
#include "checker/utf.h"
#include "spans.h"

namespace lumavale::emu {
namespace {

// The process's own furniture, far from the host pages and the plug-in's base.
constexpr Address kStackLimit = 0x7FF00000;
constexpr Address kStackSize = 0x40000;
constexpr Address kStackTop = kStackLimit + kStackSize;
constexpr Address kStubPage = 0x7FFC0000;
constexpr Address kReturnAddress = kStubPage + 0xFF0;  // DllMain returns here; the run stops there
constexpr Address kTeb = 0x7FFDE000;
constexpr Address kGdt = 0x7FFDF000;
constexpr Address kStubSpacing = 0x10;
constexpr std::uint32_t kReasons[] = {1, 2, 3, 0};  // DllMain's, in the order the loader gives them
// What GetModuleFileNameA tells for the host's own handle.
constexpr char kHostPath[] = "C:\\Game\\game.exe";

struct Stub {
  const char* name;
  std::uint16_t argumentBytes;
};

// Every KERNEL32 function the plug-in may import; anything else fails the load.
constexpr Stub kStubs[] = {
    {"GetModuleFileNameA", 12},       {"GetModuleHandleA", 4},          {"GetPrivateProfileIntA", 16},
    {"GetPrivateProfileStringA", 24}, {"VirtualProtect", 16},           {"GetModuleFileNameW", 12},
    {"GetPrivateProfileIntW", 16},    {"GetPrivateProfileStringW", 24},
};

// Unicorn's permissions for a Win32 protection; ~0u for one VirtualProtect refuses.
std::uint32_t Perms(std::uint32_t protection) {
  constexpr std::uint32_t kRead = UC_PROT_READ, kWrite = UC_PROT_READ | UC_PROT_WRITE;
  constexpr std::pair<std::uint32_t, std::uint32_t> kPerms[] = {
      {0x01, UC_PROT_NONE}, {0x02, kRead},   {0x04, kWrite}, {0x08, kWrite}, {0x10, UC_PROT_EXEC},
      {0x20, kRead | UC_PROT_EXEC}, {0x40, UC_PROT_ALL}, {0x80, UC_PROT_ALL}};
  for (const auto& [win32, perms] : kPerms) if (win32 == protection) return perms;
  return ~0u;
}

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%08llX", static_cast<unsigned long long>(value));
  return text;
}

// --- The image file ------------------------------------------------------------------

std::uint32_t ReadU16(const Bytes& bytes, std::size_t at) {
  if (at + 2 > bytes.size()) throw std::runtime_error("outside the image at " + Hex(at));
  return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t ReadU32(const Bytes& bytes, std::size_t at) {
  return ReadU16(bytes, at) | ReadU16(bytes, at + 2) << 16;
}

void WriteU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  if (at + 4 > bytes.size()) throw std::runtime_error("outside the image at " + Hex(at));
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::string TextAt(const Bytes& bytes, std::size_t at) {
  std::string text;
  for (; at < bytes.size() && bytes[at] != 0; ++at) text += static_cast<char>(bytes[at]);
  if (at >= bytes.size()) throw std::runtime_error("unterminated name in the image");
  return text;
}

Address PageOf(Address address) { return address & ~(kPageSize - 1); }

struct Mapped {
  Address base = 0;
  Address size = 0;
  Address entry = 0;  // 0: no entry point
  std::map<Address, std::uint32_t> protections;  // per page
  Bytes memory;
};

// Lays the image out as the Windows loader does: headers and sections at `base`,
// base relocations applied when it is not the preferred one, imports bound to stubs.
Mapped LayOut(const Bytes& file, std::optional<Address> wantedBase) {
  const auto u16 = [&](std::size_t at) { return ReadU16(file, at); };
  const auto u32 = [&](std::size_t at) { return ReadU32(file, at); };
  if (u16(0) != 0x5A4D) throw std::runtime_error("not an image: no MZ");
  const std::size_t nt = u32(0x3C);
  if (u32(nt) != 0x00004550) throw std::runtime_error("not a PE image");
  if (u16(nt + 4) != 0x014C) throw std::runtime_error("not an i386 image");
  const std::size_t sectionCount = u16(nt + 6);
  const std::size_t optionalSize = u16(nt + 20);
  const std::uint32_t characteristics = u16(nt + 22);
  const std::size_t optional = nt + 24;
  if (u16(optional) != 0x010B) throw std::runtime_error("not a PE32 image");
  const Address entryRva = u32(optional + 16);
  const Address preferred = u32(optional + 28);
  const std::uint32_t alignment = u32(optional + 32);
  const Address imageSize = (u32(optional + 56) + kPageSize - 1) & ~(kPageSize - 1);
  const std::uint32_t headersSize = u32(optional + 60);
  const std::uint32_t directoryCount = u32(optional + 92);
  if (alignment < kPageSize) throw std::runtime_error("sections aligned below a page");
  const auto directory = [&](std::uint32_t index) {
    if (index >= directoryCount) return std::pair<Address, Address>{0, 0};
    return std::pair<Address, Address>{u32(optional + 96 + 8 * index), u32(optional + 100 + 8 * index)};
  };
  if (directory(9).second != 0) throw std::runtime_error("has a TLS directory: not supported");

  Mapped mapped;
  mapped.base = wantedBase.value_or(preferred);
  mapped.size = imageSize;
  mapped.entry = entryRva != 0 ? mapped.base + entryRva : 0;
  mapped.memory.assign(imageSize, 0);
  const auto copy = [&](std::size_t from, std::size_t size, std::size_t to) {
    if (from + size > file.size() || to + size > mapped.memory.size()) {
      throw std::runtime_error("section outside the file or the image");
    }
    std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(from), size,
                mapped.memory.begin() + static_cast<std::ptrdiff_t>(to));
  };
  copy(0, std::min<std::size_t>(headersSize, file.size()), 0);
  for (Address page = 0; page < imageSize; page += kPageSize) {
    mapped.protections[mapped.base + page] = page < headersSize ? kPageReadOnly : kPageNoAccess;
  }
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t header = optional + optionalSize + 40 * i;
    const Address virtualSize = u32(header + 8);
    const Address rva = u32(header + 12);
    const std::uint32_t rawSize = u32(header + 16);
    const std::uint32_t rawAt = u32(header + 20);
    const std::uint32_t flags = u32(header + 36);
    copy(rawAt, virtualSize != 0 ? std::min(rawSize, virtualSize) : rawSize, rva);
    // By the section's execute, read and write flags (bits 29 to 31).
    constexpr std::uint32_t kByFlags[8] = {kPageNoAccess, 0x10, kPageReadOnly, kPageExecuteRead,
                                           kPageReadWrite, kPageExecuteReadWrite, kPageReadWrite,
                                           kPageExecuteReadWrite};
    const std::uint32_t protection = kByFlags[flags >> 29];
    const Address extent = std::max(virtualSize, rawSize);
    for (Address page = 0; page < extent; page += kPageSize) {
      mapped.protections[mapped.base + rva + page] = protection;
    }
  }

  const std::uint32_t delta = mapped.base - preferred;
  if (delta != 0) {
    const auto [relocations, relocationsSize] = directory(5);
    if (relocationsSize == 0 || (characteristics & 0x0001) != 0) {
      throw std::runtime_error("has no base relocations, so it cannot move to " + Hex(mapped.base));
    }
    for (Address block = relocations; block < relocations + relocationsSize;) {
      const Address page = ReadU32(mapped.memory, block);
      const Address blockSize = ReadU32(mapped.memory, block + 4);
      if (blockSize < 8) throw std::runtime_error("malformed base relocation block");
      for (Address at = block + 8; at + 2 <= block + blockSize; at += 2) {
        const std::uint32_t entry = ReadU16(mapped.memory, at);
        const std::uint32_t type = entry >> 12;
        if (type == 0) continue;  // padding
        if (type != 3) throw std::runtime_error("base relocation of unknown type " + std::to_string(type));
        const Address target = page + (entry & 0xFFF);
        WriteU32(mapped.memory, target, ReadU32(mapped.memory, target) + delta);
      }
      block += blockSize;
    }
  }

  std::string unknown;
  const Address imports = directory(1).first;
  for (Address descriptor = imports; imports != 0; descriptor += 20) {
    const Address lookup = ReadU32(mapped.memory, descriptor);
    const Address nameAt = ReadU32(mapped.memory, descriptor + 12);
    const Address table = ReadU32(mapped.memory, descriptor + 16);
    if (nameAt == 0 && table == 0) break;
    const std::string library = TextAt(mapped.memory, nameAt);
    const bool kernel32 = profile::SameName(library, "KERNEL32.dll");
    for (Address slot = 0;; slot += 4) {
      const Address thunk = ReadU32(mapped.memory, (lookup != 0 ? lookup : table) + slot);
      if (thunk == 0) break;
      if ((thunk & 0x80000000u) != 0) {
        unknown += " " + library + "!#" + std::to_string(thunk & 0xFFFF);
        continue;
      }
      const std::string name = TextAt(mapped.memory, thunk + 2);
      const auto stub = std::find_if(std::begin(kStubs), std::end(kStubs),
                                     [&](const Stub& s) { return name == s.name; });
      if (!kernel32 || stub == std::end(kStubs)) {
        unknown += " " + library + "!" + name;
        continue;
      }
      const auto index = static_cast<Address>(stub - std::begin(kStubs));
      WriteU32(mapped.memory, table + slot, kStubPage + index * kStubSpacing);
    }
  }
  if (!unknown.empty()) throw std::runtime_error("imports what the process lacks:" + unknown);
  return mapped;
}

// --- The process -------------------------------------------------------------------

class Machine {
 public:
  Machine(const Process& process, Outcome& outcome) : process_(process), outcome_(outcome) {}
  ~Machine() { if (uc_ != nullptr) uc_close(uc_); }
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  void Start() {
    Bytes file = process_.pluginBytes;
    std::ostringstream text;
    if (file.empty() && !(text << std::ifstream(process_.plugin, std::ios::binary).rdbuf())) {
      throw std::runtime_error("cannot read " + process_.plugin.string());
    }
    if (file.empty()) file.assign(text.view().begin(), text.view().end());
    image_ = LayOut(file, process_.pluginBase);
    outcome_.pluginBase = image_.base;

    Check(uc_open(UC_ARCH_X86, UC_MODE_32, &uc_), "opening Unicorn");
    Map(image_.base, image_.size, kPageExecuteReadWrite, image_.memory);
    for (const auto& [page, protection] : image_.protections) SetProtection(page, protection);
    BuildHost();
    BuildThread();

    const auto hook = [&](int type, void* callback, const char* what) {
      uc_hook handle = 0;
      Check(uc_hook_add(uc_, &handle, type, callback, this, 1, 0), what);
    };
    hook(UC_HOOK_CODE, reinterpret_cast<void*>(&OnCode), "hooking code");
    hook(UC_HOOK_MEM_READ | UC_HOOK_MEM_WRITE, reinterpret_cast<void*>(&OnAccess), "hooking memory");
    hook(UC_HOOK_MEM_INVALID, reinterpret_cast<void*>(&OnInvalid), "hooking faults");
  }

  void CallEntry(std::uint32_t reason) {
    reason_ = reason;
    if (image_.entry == 0) {
      outcome_.returns.push_back(1);  // no entry: the loader counts it a success
      return;
    }
    // The callee-saved registers carry marks that must come back.
    constexpr std::pair<int, std::uint32_t> kSaved[] = {
        {UC_X86_REG_EBX, 0x0B0B0B0B}, {UC_X86_REG_ESI, 0x05150515}, {UC_X86_REG_EDI, 0x0D1D0D1D},
        {UC_X86_REG_EBP, 0x0BEB0BEB}};
    for (const auto& [reg, mark] : kSaved) SetReg(reg, mark);
    const Address esp = kStackTop - 0x100;
    const std::uint32_t frame[] = {kReturnAddress, image_.base, reason, 0};
    Check(uc_mem_write(uc_, esp, frame, sizeof frame), "pushing DllMain's arguments");
    SetReg(UC_X86_REG_ESP, esp);
    SetReg(UC_X86_REG_EAX, 0xDEADBEEF);
    const uc_err error = uc_emu_start(uc_, image_.entry, kReturnAddress, 0, process_.budget);
    const std::string call = "DllMain reason " + std::to_string(reason);
    if (!fault_.empty()) throw std::runtime_error(call + ": " + fault_);
    Check(error, call);
    const std::uint32_t eip = Reg(UC_X86_REG_EIP);
    if (eip != kReturnAddress) {
      throw std::runtime_error(call + " did not return within " + std::to_string(process_.budget) +
                               " instructions (stopped at " + Hex(eip) + ")");
    }
    if (Reg(UC_X86_REG_ESP) != esp + 16) {
      throw std::runtime_error(call + " left ESP at " + Hex(Reg(UC_X86_REG_ESP)) + ", not " +
                               Hex(esp + 16) + " (stdcall pops 12 bytes)");
    }
    for (const auto& [reg, mark] : kSaved) {
      if (Reg(reg) != mark) throw std::runtime_error(call + " did not keep a callee-saved register");
    }
    outcome_.returns.push_back(Reg(UC_X86_REG_EAX));
  }

  void Snapshot(bool after) {
    for (HostPage& page : outcome_.pages) {
      if (!page.mapped) continue;
      Bytes bytes(kPageSize);
      Read(page.base, bytes.data(), bytes.size());
      (after ? page.after : page.before) = bytes;
      (after ? page.protectionAfter : page.protectionBefore) = protections_[page.base];
    }
  }

 private:
  void Check(uc_err error, const std::string& what) {
    if (error != UC_ERR_OK) throw std::runtime_error(what + ": " + uc_strerror(error));
  }

  void Map(Address base, Address size, std::uint32_t protection, const Bytes& bytes) {
    Check(uc_mem_map(uc_, base, size, Perms(protection)), "mapping " + Hex(base));
    if (!bytes.empty()) Check(uc_mem_write(uc_, base, bytes.data(), bytes.size()), "filling " + Hex(base));
    for (Address page = base; page - base < size; page += kPageSize) protections_[page] = protection;
  }

  void SetProtection(Address page, std::uint32_t protection) {
    Check(uc_mem_protect(uc_, page, kPageSize, Perms(protection)), "protecting " + Hex(page));
    protections_[page] = protection;
  }

  void BuildHost() {
    Bytes header(kPageSize, 0);
    if (process_.mz) header[0] = 'M', header[1] = 'Z';
    WriteU32(header, 0x3C, process_.newHeader);
    // Only what fits in the page is written: a header that points past it is read
    // by nobody who checks.
    if (process_.peSignature && process_.newHeader + 4 <= kPageSize) {
      WriteU32(header, process_.newHeader, 0x00004550);
    }
    if (process_.newHeader + 0x2C <= kPageSize) {
      WriteU32(header, process_.newHeader + 0x28, process_.entryKey - kDefaultHostBase);
    }
    Map(process_.hostBase, kPageSize, kPageReadOnly, header);
    outcome_.pages.push_back({process_.hostBase, true, {}, {}, 0, 0});

    for (const Address page : spans::HostPages()) {
      const bool mapped = process_.unmappedPages.count(page) == 0;
      outcome_.pages.push_back({page, mapped, {}, {}, 0, 0});
      if (!mapped) continue;
      Bytes bytes(kPageSize);
      for (Address at = 0; at < kPageSize; ++at) bytes[at] = spans::Sentinel(page + at);
      if (PageOf(kProbeAddress) == page) bytes[kProbeAddress - page] = process_.probeByte;
      Map(page, kPageSize, spans::StartProtection(page, process_.rotate), bytes);
    }
  }

  // A stack, and a TEB behind FS as Windows gives every thread.
  void BuildThread() {
    Map(kStackLimit, kStackSize, kPageReadWrite, {});
    Bytes teb(kPageSize, 0);
    WriteU32(teb, 0x00, 0xFFFFFFFF);  // no exception handler
    WriteU32(teb, 0x04, kStackTop);
    WriteU32(teb, 0x08, kStackLimit);
    WriteU32(teb, 0x18, kTeb);  // its own address
    Map(kTeb, kPageSize, kPageReadWrite, teb);

    // A flat code segment (1) and data segment (2), as every Win32 thread has, and
    // entry 3: a writable 32-bit data segment of one page at the TEB. All are marked
    // accessed already, so loading them need not write the table.
    Bytes gdt(kPageSize, 0);
    const auto descriptor = [&](std::uint32_t index, Address base, std::uint32_t limit,
                                std::uint32_t access, std::uint32_t flags) {
      WriteU32(gdt, index * 8, (base & 0xFFFF) << 16 | (limit & 0xFFFF));
      WriteU32(gdt, index * 8 + 4,
               (base & 0xFF000000) | flags << 20 | (limit & 0xF0000) | access << 8 |
                   ((base >> 16) & 0xFF));
    };
    descriptor(1, 0, 0xFFFFF, 0x9B, 0xC);
    descriptor(2, 0, 0xFFFFF, 0x93, 0xC);
    descriptor(3, kTeb, kPageSize - 1, 0xF3, 0x4);
    Map(kGdt, kPageSize, kPageReadOnly, gdt);
    uc_x86_mmr gdtr{};
    gdtr.base = kGdt;
    gdtr.limit = 8 * 4 - 1;
    Check(uc_reg_write(uc_, UC_X86_REG_GDTR, &gdtr), "loading the GDT");
    constexpr std::pair<int, std::uint32_t> kSelectors[] = {
        {UC_X86_REG_CS, 1 << 3}, {UC_X86_REG_SS, 2 << 3}, {UC_X86_REG_DS, 2 << 3}, {UC_X86_REG_ES, 2 << 3},
        {UC_X86_REG_FS, 3 << 3 | 3}};
    for (const auto& [reg, selector] : kSelectors) {
      Check(uc_reg_write(uc_, reg, &selector), "loading a segment register");
    }

    Bytes stubs(kPageSize, 0xCC);
    for (std::size_t i = 0; i < std::size(kStubs); ++i) {
      const std::size_t at = i * kStubSpacing;
      stubs[at] = 0xC2;  // ret imm16: the callee pops stdcall arguments
      stubs[at + 1] = static_cast<std::uint8_t>(kStubs[i].argumentBytes);
      stubs[at + 2] = static_cast<std::uint8_t>(kStubs[i].argumentBytes >> 8);
    }
    Map(kStubPage, kPageSize, kPageExecuteRead, stubs);
  }

  bool Private(Address address) const {
    return (address - image_.base < image_.size) || (address - kStackLimit < kStackSize);
  }
  std::uint32_t Reg(int reg) {
    std::uint32_t value = 0;
    uc_reg_read(uc_, reg, &value);
    return value;
  }
  void SetReg(int reg, std::uint32_t value) { uc_reg_write(uc_, reg, &value); }
  bool Read(Address at, void* to, std::size_t size) { return uc_mem_read(uc_, at, to, size) == UC_ERR_OK; }

  // The NUL-terminated string at `address`; a wide one (UTF-16) as UTF-8.
  std::optional<std::string> Text(Address address, bool wide = false) {
    const Address unit = wide ? 2 : 1;
    std::u16string units;
    for (Address at = address; at - address < 0x10000 * unit; at += unit) {
      std::uint8_t bytes[2] = {};
      if (!Read(at, bytes, unit)) return std::nullopt;
      if (bytes[0] == 0 && bytes[1] == 0) {
        return wide ? utf::Utf8(units) : std::string(units.begin(), units.end());
      }
      units += static_cast<char16_t>(bytes[0] | bytes[1] << 8);
    }
    return std::nullopt;
  }

  // A string argument of the call, as UTF-8 when the call is wide.
  std::string Argument(const Call& call, Address address) {
    if (address == 0) return {};
    const std::optional<std::string> text = Text(address, call.function.ends_with('W'));
    if (!text) throw std::runtime_error("unreadable string argument at " + Hex(address));
    return *text;
  }

  void Fault(const std::string& what) {
    if (fault_.empty()) fault_ = what;
    uc_emu_stop(uc_);
  }

  void Serve(Address stub) {
    const Stub& known = kStubs[(stub - kStubPage) / kStubSpacing];
    Call call{.reason = reason_, .function = known.name, .storesBefore = outcome_.stores.size(),
              .readsBefore = outcome_.reads.size()};
    call.args.resize(known.argumentBytes / 4);
    if (!Read(Reg(UC_X86_REG_ESP) + 4, call.args.data(), known.argumentBytes)) {
      return Fault(call.function + ": arguments unreadable");
    }
    try {
      if (call.function.starts_with("GetModuleFileName")) {
        call.result = ModuleFileName(call);
      } else if (call.function == "GetModuleHandleA") {
        // Only the host's own handle is given; another module's name is kept.
        if (call.args[0] != 0) call.text.push_back(Text(call.args[0]).value_or("?"));
        call.result = call.args[0] == 0 ? process_.hostBase : 0;
      } else if (call.function.starts_with("GetPrivateProfileInt")) {
        call.result = ProfileInt(call);
      } else if (call.function.starts_with("GetPrivateProfileString")) {
        call.result = ProfileString(call);
      } else {
        call.result = ChangeProtection(call);
      }
    } catch (const std::exception& error) {
      return Fault(call.function + ": " + error.what());
    }
    SetReg(UC_X86_REG_EAX, call.result);
    outcome_.calls.push_back(std::move(call));
  }

  // The path is UTF-8 in the script: the wide call gives it whole, the narrow one a
  // '?' for every unit outside ASCII.
  std::uint32_t ModuleFileName(Call& call) {
    const Address module = call.args[0];
    const std::uint32_t size = call.args[2];
    if (process_.moduleNameFails) return 0;
    if (module != image_.base && module != 0) return 0;  // no such module
    const std::string& path = module == 0 ? std::string(kHostPath) : process_.modulePath;
    const bool wide = call.function.ends_with('W');
    const std::string given = wide ? path : testing::AnsiView(path);
    const std::uint32_t count = CopyOut(call.args[1], size, given, wide, call);
    // A path that does not fit comes back cut, with the buffer's size as its count.
    return utf::Utf16(path).size() >= size ? size : count;
  }

  std::uint32_t ProfileInt(Call& call) {
    for (const std::uint32_t at : {call.args[0], call.args[1], call.args[3]}) {
      if (at == 0) throw std::runtime_error("a null string argument");
      call.text.push_back(Argument(call, at));
    }
    return profile::Profile(ProfileText(call.text[2]))
        .Int(call.text[0], call.text[1], static_cast<std::int32_t>(call.args[2]));
  }

  std::uint32_t ProfileString(Call& call) {
    if (call.args[0] == 0 || call.args[1] == 0) {
      throw std::runtime_error("listing sections or keys is not scripted");
    }
    for (const std::uint32_t at : {call.args[0], call.args[1], call.args[2], call.args[5]}) {
      call.text.push_back(Argument(call, at));
    }
    const std::uint32_t size = call.args[4];
    const std::string value =
        profile::Profile(ProfileText(call.text[3])).String(call.text[0], call.text[1], call.text[2], size);
    return CopyOut(call.args[3], size, value, call.function.ends_with('W'), call);
  }

  std::uint32_t ChangeProtection(Call& call) {
    const Address address = call.args[0];
    const std::uint64_t size = std::max<std::uint32_t>(call.args[1], 1);
    const std::uint32_t protection = call.args[2];
    if (process_.protectFails.count(address) != 0) return 0;
    if (call.args[3] == 0 || Perms(protection) == ~0u) return 0;
    const std::uint64_t first = PageOf(address);
    const std::uint64_t end = address + size;
    for (std::uint64_t page = first; page < end; page += kPageSize) {
      if (page > 0xFFFFFFFFull || protections_.count(static_cast<Address>(page)) == 0) return 0;
    }
    const std::uint32_t previous = protections_[static_cast<Address>(first)];
    if (uc_mem_write(uc_, call.args[3], &previous, sizeof previous) != UC_ERR_OK) return 0;
    call.previous = previous;
    if (process_.protectPretends.count(address) != 0) return 1;
    for (std::uint64_t page = first; page < end; page += kPageSize) {
      SetProtection(static_cast<Address>(page), protection);
    }
    return 1;
  }

  // Windows copies at most size-1 characters (UTF-16 units when wide) and a NUL, and
  // counts what it copied; `call.out` shows them as UTF-8.
  std::uint32_t CopyOut(Address buffer, std::uint32_t size, const std::string& text, bool wide, Call& call) {
    if (size == 0) return 0;
    const std::u16string units = wide ? utf::Utf16(text) : std::u16string(text.begin(), text.end());
    const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(units.size(), size - 1));
    call.out = wide ? utf::Utf8(units.substr(0, count)) : text.substr(0, count);
    Bytes bytes;
    for (const char16_t unit : units.substr(0, count) + u'\0') {
      bytes.push_back(static_cast<std::uint8_t>(unit));
      if (wide) bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    if (uc_mem_write(uc_, buffer, bytes.data(), bytes.size()) != UC_ERR_OK) {
      throw std::runtime_error("buffer " + Hex(buffer) + " not writable");
    }
    return count;
  }

  std::string_view ProfileText(const std::string& path) const {
    for (const auto& [name, text] : process_.profiles) {
      if (profile::SameName(name, path)) return text;
    }
    return {};  // no such file: every read gives its default
  }

  static void OnCode(uc_engine*, std::uint64_t address, std::uint32_t, void* self) {
    auto& machine = *static_cast<Machine*>(self);
    const auto at = static_cast<Address>(address);
    if (PageOf(at) != kStubPage) {
      if (machine.reason_ == 1) ++machine.outcome_.attachInstructions;
      return;
    }
    if (at != kReturnAddress && (at - kStubPage) % kStubSpacing == 0) machine.Serve(at);
  }

  static void OnAccess(uc_engine*, uc_mem_type type, std::uint64_t address, int size, std::int64_t value,
                       void* self) {
    auto& machine = *static_cast<Machine*>(self);
    const auto at = static_cast<Address>(address);
    if (machine.Private(at)) return;
    const auto width = static_cast<std::uint32_t>(size);
    if (type == UC_MEM_WRITE) {
      const std::uint64_t mask = width >= 8 ? ~0ull : (1ull << (8 * width)) - 1;
      machine.outcome_.stores.push_back({machine.reason_, at, width, static_cast<std::uint64_t>(value) & mask});
    } else {
      machine.outcome_.reads.push_back({machine.reason_, at, width, 0});
    }
  }

  static bool OnInvalid(uc_engine*, uc_mem_type type, std::uint64_t address, int size, std::int64_t,
                        void* self) {
    auto& machine = *static_cast<Machine*>(self);
    constexpr std::pair<uc_mem_type, const char*> kFaults[] = {
        {UC_MEM_WRITE_PROT, "store to a page not writable"},
        {UC_MEM_READ_PROT, "read of a page not readable"},
        {UC_MEM_FETCH_PROT, "execution of a page not executable"},
        {UC_MEM_WRITE_UNMAPPED, "store to unmapped memory"},
        {UC_MEM_READ_UNMAPPED, "read of unmapped memory"},
        {UC_MEM_FETCH_UNMAPPED, "execution of unmapped memory"}};
    const char* what = "access";
    for (const auto& [fault, text] : kFaults) if (fault == type) what = text;
    if (machine.fault_.empty()) {
      machine.fault_ = std::string(what) + " at " + Hex(address) + " (" + std::to_string(size) +
                       " bytes, EIP " + Hex(machine.Reg(UC_X86_REG_EIP)) + ")";
    }
    return false;
  }

  const Process& process_;
  Outcome& outcome_;
  uc_engine* uc_ = nullptr;
  Mapped image_;
  std::map<Address, std::uint32_t> protections_;  // every mapped page's Win32 protection
  std::uint32_t reason_ = 0;
  std::string fault_;
};

std::uint8_t ByteOf(const std::vector<HostPage>& pages, Address address, bool after) {
  for (const HostPage& page : pages) {
    if (page.mapped && address - page.base < kPageSize) {
      return (after ? page.after : page.before).at(address - page.base);
    }
  }
  throw std::out_of_range("no host page holds " + Hex(address));
}

}  // namespace

std::uint8_t Outcome::Before(Address address) const { return ByteOf(pages, address, false); }
std::uint8_t Outcome::After(Address address) const { return ByteOf(pages, address, true); }

Outcome Run(const Process& process) {
  Outcome outcome;
  try {
    Machine machine(process, outcome);
    machine.Start();
    machine.Snapshot(false);
    for (const std::uint32_t reason : kReasons) machine.CallEntry(reason);
    machine.Snapshot(true);
  } catch (const std::exception& error) {
    outcome.error = error.what();
  }
  return outcome;
}

}  // namespace lumavale::emu
