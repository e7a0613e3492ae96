// The platform over KERNEL32, for the real plug-in.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/platform.h"

// The linker's symbol for this library's own image: its module handle, known
// without asking the loader (and without keeping DllMain's argument).
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace lumavale::platform {
namespace {

// The wide calls take wchar_t, which is UTF-16 on Windows as char16_t is.
static_assert(sizeof(wchar_t) == sizeof(char16_t));
LPCWSTR Wide(const char16_t* text) { return reinterpret_cast<LPCWSTR>(text); }

}  // namespace

std::uint32_t PluginModuleFileName(char* buffer, std::uint32_t size) {
  return GetModuleFileNameA(reinterpret_cast<HMODULE>(&__ImageBase), buffer, size);
}

std::uint32_t PluginModuleFileName(char16_t* buffer, std::uint32_t size) {
  return GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase),
                            reinterpret_cast<LPWSTR>(buffer), size);
}

std::uint32_t ProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                         const char* file) {
  return GetPrivateProfileIntA(section, key, defaultValue, file);
}

void ProfileString(const char* section, const char* key, const char* defaultText, char* buffer,
                   std::uint32_t size, const char* file) {
  GetPrivateProfileStringA(section, key, defaultText, buffer, size, file);
}

std::uint32_t ProfileInt(const char16_t* section, const char16_t* key, std::int32_t defaultValue,
                         const char16_t* file) {
  return GetPrivateProfileIntW(Wide(section), Wide(key), defaultValue, Wide(file));
}

void ProfileString(const char16_t* section, const char16_t* key, const char16_t* defaultText,
                   char16_t* buffer, std::uint32_t size, const char16_t* file) {
  GetPrivateProfileStringW(Wide(section), Wide(key), Wide(defaultText),
                           reinterpret_cast<LPWSTR>(buffer), size, Wide(file));
}

bool ChangeProtection(HostAddress address, std::uint32_t size, std::uint32_t protection,
                      std::uint32_t* previous) {
  DWORD old = 0;
  const BOOL changed = VirtualProtect(reinterpret_cast<void*>(static_cast<std::uintptr_t>(address)),
                                      size, protection, &old);
  *previous = old;
  return changed != FALSE;
}

HostAddress HostImageBase() {
  return static_cast<HostAddress>(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
}

}  // namespace lumavale::platform
