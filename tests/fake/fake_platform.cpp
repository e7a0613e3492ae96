// The platform for native tests: settings files in memory, recorded protection
// changes, and a host image wherever the test put one.

#include "fake_platform.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "checker/profile_text.h"
#include "checker/system.h"

namespace lumavale {
namespace {

// The lines of `file` as the profile reads see them; none when there is no such file.
std::vector<profile::Line> Lines(const char* section, const char* key, const char* file) {
  fake::Platform& state = fake::State();
  state.profileReads.push_back(std::string(section) + "/" + key + "@" + file);
  const auto found = state.files.find(file);
  return found == state.files.end() ? std::vector<profile::Line>{} : profile::Scan(found->second);
}

// Copies at most size-1 characters and a NUL, as the profile reads do.
void CopyCut(const std::string& text, char* buffer, std::uint32_t size) {
  const std::size_t length = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace

namespace fake {
Platform& State() {
  static Platform state;
  return state;
}
}  // namespace fake

namespace platform {

std::uint32_t PluginModuleFileName(char* buffer, std::uint32_t size) {
  // A path that does not fit is cut to size-1 characters and the count is `size`.
  const std::string& path = fake::State().moduleFileName;
  CopyCut(path, buffer, size);
  return path.size() >= size ? size : static_cast<std::uint32_t>(path.size());
}

std::uint32_t ProfileInt(const char* section, const char* key, std::int32_t defaultValue,
                         const char* file) {
  return profile::Int(Lines(section, key, file), section, key, defaultValue);
}

void ProfileString(const char* section, const char* key, const char* defaultText, char* buffer,
                   std::uint32_t size, const char* file) {
  CopyCut(profile::String(Lines(section, key, file), section, key, defaultText, size), buffer, size);
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
