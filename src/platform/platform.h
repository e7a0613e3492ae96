#pragma once
// The plug-in's only door to the operating system. Its logic calls these free
// functions and nothing else of the platform; win32.cpp implements them over
// KERNEL32, and the native tests link a fake in its place.

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

// GetModuleFileNameW for the same module: `size` and the count are in UTF-16 units.
std::uint32_t PluginModuleFileName(char16_t* buffer, std::uint32_t size);

// GetPrivateProfileIntA, and GetPrivateProfileIntW for the wide text.
std::uint32_t ProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                         const char* file);
std::uint32_t ProfileInt(const char16_t* section, const char16_t* key, std::int32_t defaultValue,
                         const char16_t* file);

// GetPrivateProfileStringA, and GetPrivateProfileStringW for the wide text: `buffer`
// receives at most size-1 units and a NUL.
void ProfileString(const char* section, const char* key, const char* defaultText, char* buffer,
                   std::uint32_t size, const char* file);
void ProfileString(const char16_t* section, const char16_t* key, const char16_t* defaultText,
                   char16_t* buffer, std::uint32_t size, const char16_t* file);

// VirtualProtect. True on success, with the span's previous protection in `previous`.
bool ChangeProtection(HostAddress address, std::uint32_t size, std::uint32_t protection,
                      std::uint32_t* previous);

// GetModuleHandleA(NULL): the base of the host's main image.
HostAddress HostImageBase();

}  // namespace platform
}  // namespace lumavale
