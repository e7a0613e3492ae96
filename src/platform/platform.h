#pragma once
// The only door to the operating system. The logic calls these free functions and
// nothing else of the platform; win32.cpp implements them over KERNEL32, fake.cpp
// over in-memory state for the native tests. One of the two is linked in.

#include <cstdint>

#if defined(_WIN32)
#define LUMAVALE_STDCALL __stdcall
#else
#define LUMAVALE_STDCALL
#endif

namespace lumavale {

// A 32-bit absolute virtual address in the host process, used exactly as written.
using HostAddress = std::uint32_t;

inline constexpr std::uint32_t kMaxPath = 260;
inline constexpr std::uint32_t kPageExecuteReadWrite = 0x40;

// The pointer behind a host address. Host memory is foreign: every access goes
// through a byte pointer so no alignment or type is assumed.
inline volatile std::uint8_t* HostBytes(HostAddress address) {
  return reinterpret_cast<volatile std::uint8_t*>(static_cast<std::uintptr_t>(address));
}

namespace platform {

// GetModuleFileNameA for this plug-in's own module (not the host's; in the settings
// check program, the program's own file). Returns the platform's count; a count equal
// to `size` means the path was cut to fit.
std::uint32_t PluginModuleFileName(char* buffer, std::uint32_t size);

// GetPrivateProfileIntA.
std::uint32_t ProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                         const char* file);

// GetPrivateProfileStringA: `buffer` receives at most size-1 characters and a NUL.
void ProfileString(const char* section, const char* key, const char* defaultText, char* buffer,
                   std::uint32_t size, const char* file);

// VirtualProtect. True on success, with the span's previous protection in `previous`.
bool ChangeProtection(HostAddress address, std::uint32_t size, std::uint32_t protection,
                      std::uint32_t* previous);

// GetModuleHandleA(NULL): the base of the host's main image.
HostAddress HostImageBase();

// --- The settings check program only (win32_check.cpp): the plug-in never calls these.

// Reads the file at `path` whole. False when it cannot be opened or read; else `*size`
// is its size, of which at most `capacity` bytes are stored in `buffer`.
bool ReadWholeFile(const char* path, char* buffer, std::uint32_t capacity, std::uint32_t* size);

// True when `path` names a file that exists (a folder does not count).
bool FileExists(const char* path);

// GetFullPathNameA: 0 on failure; a count of `size` or more is the size it needs.
std::uint32_t FullPath(const char* path, char* buffer, std::uint32_t size);

// Writes `length` characters to standard output; '\n' ends a line.
void WriteOut(const char* text, std::uint32_t length);

// True when the console is the program's own, as when it was started by a
// double-click: its window closes the moment the program ends.
bool OwnsConsole();

// Waits until Enter is pressed; returns at once when input is not a console.
void WaitForEnter();

}  // namespace platform
}  // namespace lumavale
