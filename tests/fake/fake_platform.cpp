// The platform for native tests: settings files in memory, recorded protection
// changes, and a host image wherever the test put one.

#include "fake_platform.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "checker/profile_text.h"
#include "ansi.h"
#include "checker/system.h"
#include "checker/utf.h"

namespace lumavale {
namespace {

// The lines of `file` as the profile reads see them; none when there is no such file.
// A wide read is recorded with " (wide)" after the file.
std::vector<profile::Line> Lines(const std::string& section, const std::string& key,
                                 const std::string& file, bool wide = false) {
  fake::Platform& state = fake::State();
  state.profileReads.push_back(section + "/" + key + "@" + file + (wide ? " (wide)" : ""));
  const auto found = state.files.find(file);
  return found == state.files.end() ? std::vector<profile::Line>{} : profile::Scan(found->second);
}

// Copies at most size-1 units and a NUL, as the profile reads do.
template <typename Unit>
void CopyCut(const std::basic_string<Unit>& text, Unit* buffer, std::uint32_t size) {
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  std::copy_n(text.data(), length, buffer);
  buffer[length] = Unit{};
}

// A path that does not fit is cut to size-1 units and the count is `size`.
template <typename Unit>
std::uint32_t ModuleFileName(const std::basic_string<Unit>& path, Unit* buffer, std::uint32_t size) {
  CopyCut(path, buffer, size);
  return path.size() >= size ? size : static_cast<std::uint32_t>(path.size());
}

std::string Utf8(const char16_t* text) { return utf::Utf8(text); }

}  // namespace

namespace fake {
Platform& State() {
  static Platform state;
  return state;
}
}  // namespace fake

namespace platform {

std::uint32_t PluginModuleFileName(char* buffer, std::uint32_t size) {
  return ModuleFileName(testing::AnsiView(fake::State().moduleFileName), buffer, size);
}

std::uint32_t PluginModuleFileName(char16_t* buffer, std::uint32_t size) {
  return ModuleFileName(utf::Utf16(fake::State().moduleFileName), buffer, size);
}

std::uint32_t ProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                         const char* file) {
  return profile::Int(Lines(section, key, file), section, key, defaultValue);
}

void ProfileString(const char* section, const char* key, const char* defaultText, char* buffer,
                   std::uint32_t size, const char* file) {
  CopyCut(profile::String(Lines(section, key, file), section, key, defaultText, size), buffer, size);
}

std::uint32_t ProfileInt(const char16_t* section, const char16_t* key, std::int32_t defaultValue,
                         const char16_t* file) {
  return profile::Int(Lines(Utf8(section), Utf8(key), Utf8(file), true), Utf8(section), Utf8(key),
                      defaultValue);
}

void ProfileString(const char16_t* section, const char16_t* key, const char16_t* defaultText,
                   char16_t* buffer, std::uint32_t size, const char16_t* file) {
  const std::string value = profile::String(Lines(Utf8(section), Utf8(key), Utf8(file), true),
                                            Utf8(section), Utf8(key), Utf8(defaultText), size);
  CopyCut(utf::Utf16(value), buffer, size);
}

bool ChangeProtection(HostAddress address, std::uint32_t size, std::uint32_t protection,
                      std::uint32_t* previous) {
  fake::Platform& state = fake::State();
  fake::ProtectionCall call{address, size, protection, !state.failingProtection.contains(address), {}};
  if (call.succeeded) {
    for (std::uint32_t i = 0; i < size; ++i) call.bytes.push_back(std::uint8_t{HostBytes(address)[i]});
    *previous = state.reportedProtection;
  }
  state.protectionCalls.push_back(call);
  return call.succeeded;
}

HostAddress HostImageBase() {
  ++fake::State().hostImageBaseCalls;
  std::this_thread::sleep_for(fake::State().hostImageBaseDelay);
  return fake::State().hostImageBase;
}

}  // namespace platform

namespace check::system {

bool ReadWholeFile(const char* path, char* buffer, std::uint32_t capacity, std::uint32_t* size) {
  const auto found = fake::State().files.find(path);
  if (found == fake::State().files.end()) return false;
  const std::string& text = found->second;
  *size = static_cast<std::uint32_t>(text.size());
  std::copy_n(text.data(), std::min<std::size_t>(text.size(), capacity), buffer);
  return true;
}

bool FileExists(const char* path) {
  return fake::State().files.contains(path) || fake::State().existingFiles.contains(path);
}

std::uint32_t FullPath(const char* path, char* buffer, std::uint32_t size) {
  // Drive-absolute and network paths stay; anything else starts from the current folder.
  const std::string given(path);
  const bool absolute = (given.size() >= 3 && given[1] == ':' && (given[2] == '\\' || given[2] == '/')) ||
                        given.starts_with("\\\\");
  const std::string full = absolute ? given : fake::State().currentFolder + given;
  if (full.size() >= size) return static_cast<std::uint32_t>(full.size() + 1);
  CopyCut(full, buffer, size);
  return static_cast<std::uint32_t>(full.size());
}

void WriteOut(const char* text, std::uint32_t length) { fake::State().out.append(text, length); }

bool OwnsConsole() { return fake::State().ownConsole; }

void WaitForEnter() { ++fake::State().enterWaits; }

}  // namespace check::system
}  // namespace lumavale
