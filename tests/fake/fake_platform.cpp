// The platform for native tests: settings files in memory, recorded protection
// changes, and a host image wherever the test put one.

#include "fake_platform.h"

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <utility>

#include "checker/profile_text.h"
#include "ansi.h"
#include "checker/system.h"
#include "checker/utf.h"

namespace lumavale {
namespace {

std::string Utf8(const char* text) { return text; }
std::string Utf8(const char16_t* text) { return utf::Utf8(text); }

// A profile read, narrow or wide, recorded ("section/key@file", and " (wide)" after a
// wide one): the text of `file`, read as KERNEL32 reads it; none when there is no file.
template <typename Unit>
profile::Profile Read(const Unit* section, const Unit* key, const Unit* file) {
  fake::Platform& state = fake::State();
  const auto found = state.files.find(Utf8(file));
  const char* const wide = sizeof(Unit) > 1 ? " (wide)" : "";
  state.profileReads.push_back(Utf8(section) + "/" + Utf8(key) + "@" + Utf8(file) + wide);
  return profile::Profile(found == state.files.end() ? std::string_view() : found->second);
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

std::uint32_t ProfileInt(const char* section, const char* key, std::int32_t defaultValue, const char* file) {
  return Read(section, key, file).Int(section, key, defaultValue);
}

void ProfileString(const char* section, const char* key, const char* defaultText, char* buffer,
                   std::uint32_t size, const char* file) {
  CopyCut(Read(section, key, file).String(section, key, defaultText, size), buffer, size);
}

std::uint32_t ProfileInt(const char16_t* section, const char16_t* key, std::int32_t defaultValue,
                         const char16_t* file) {
  return Read(section, key, file).Int(Utf8(section), Utf8(key), defaultValue);
}

void ProfileString(const char16_t* section, const char16_t* key, const char16_t* defaultText,
                   char16_t* buffer, std::uint32_t size, const char16_t* file) {
  CopyCut(utf::Utf16(Read(section, key, file).String(Utf8(section), Utf8(key), Utf8(defaultText), size)),
          buffer, size);
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

std::string ProgramPath() { return fake::State().moduleFileName; }

std::string FullPath(const std::string& path) {
  // Drive-absolute and network paths stay; anything else starts from the current folder.
  const bool absolute = (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
                        path.starts_with("\\\\");
  return absolute ? path : fake::State().currentFolder + path;
}

Kind KindOf(const std::string& path) {
  const fake::Platform& state = fake::State();
  if (state.files.contains(path) || state.existingFiles.contains(path)) return Kind::kFile;
  const auto other = state.otherThings.find(path);
  return other == state.otherThings.end() ? Kind::kNothing : other->second;
}

Read ReadWholeFile(const std::string& path, char** bytes, std::size_t* size, std::uint32_t* error) {
  const auto found = fake::State().files.find(path);
  if (found == fake::State().files.end()) {
    *error = 2;
    return Read::kCannotOpen;
  }
  const std::string& text = found->second;
  *bytes = static_cast<char*>(std::malloc(text.size() + 1));
  std::copy_n(text.data(), text.size(), *bytes);
  *size = text.size();
  return Read::kRead;
}

std::string FileStart(const std::string& path, std::size_t size) {
  const auto found = fake::State().files.find(path);
  return found == fake::State().files.end() ? std::string() : found->second.substr(0, size);
}

std::optional<std::vector<std::string>> FilesIn(const std::string& folder) {
  const fake::Platform& state = fake::State();
  if (KindOf(folder) == Kind::kUnreachable) return std::nullopt;
  std::vector<std::string> names;
  const auto add = [&](const std::string& file) {
    if (file.starts_with(folder) && file.find_first_of("\\/", folder.size()) == std::string::npos) {
      names.push_back(file.substr(folder.size()));
    }
  };
  for (const auto& file : state.files) add(file.first);
  for (const std::string& file : state.existingFiles) add(file);
  return names;
}

std::optional<Version> VersionOf(const std::string& path) {
  const auto found = fake::State().versions.find(path);
  if (found == fake::State().versions.end()) return std::nullopt;
  return found->second;
}

std::vector<Program> RunningPrograms() {
  std::vector<Program> programs;
  for (const fake::Program& program : fake::State().programs) programs.push_back({program.id, program.image});
  return programs;
}

std::uint32_t LookInto(std::uint32_t id,
                       const std::function<void(const std::vector<Module>& modules, const MemoryReader& read)>& look) {
  fake::Platform& state = fake::State();
  const auto program = std::ranges::find(state.programs, id, &fake::Program::id);
  if (program == state.programs.end()) return 87;  // ERROR_INVALID_PARAMETER: no such process
  if (program->denied != 0) return program->denied;
  state.opened.push_back(id);
  look(program->modules, [&](std::uint32_t address, std::uint32_t size, std::uint8_t* bytes) {
    state.programReads.emplace_back(address, size);
    for (std::uint32_t i = 0; i < size; ++i) {
      const auto byte = program->memory.find(address + i);
      if (byte == program->memory.end()) return false;
      bytes[i] = byte->second;
    }
    return true;
  });
  return 0;
}

bool UnderWine() { return fake::State().underWine; }

std::uint16_t UserLanguage() { return 0x0409; }  // English (United States)

// What a path names: the path itself, where an alias (a drive letter mapped onto a
// folder, a link) that begins it is put in place; none where it names nothing.
std::optional<bool> SameObject(const std::string& a, const std::string& b) {
  const fake::Platform& state = fake::State();
  const auto object = [&](std::string path) -> std::optional<std::string> {
    for (const auto& [alias, real] : state.aliases) {
      if (profile::SameName(path.substr(0, alias.size()), alias)) path = real + path.substr(alias.size());
    }
    const std::string below = path.ends_with("\\") ? path : path + "\\";
    const auto under = [&](const std::string& file) { return file.starts_with(below); };
    if (KindOf(path) == Kind::kNothing && std::ranges::none_of(state.existingFiles, under) &&
        std::ranges::none_of(state.files, [&](const auto& file) { return under(file.first); })) {
      return std::nullopt;
    }
    if (path.ends_with("\\")) path.pop_back();
    // Names differ in case only on a disk that tells them apart.
    if (!state.caseSensitive) std::ranges::transform(path, path.begin(), profile::Lower);
    return path;
  };
  const auto first = object(a);
  const auto second = object(b);
  if (!first || !second || state.identityUnknown) return std::nullopt;
  return *first == *second;
}

// Windows-1252, a Western Windows' ANSI code page.
std::string FromAnsi(std::string_view text) {
  static constexpr char16_t k80To9F[] = u"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160"
                                        u"\u2039\u0152\u008D\u017D\u008F\u0090\u2018\u2019\u201C\u201D\u2022"
                                        u"\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178";
  std::u16string wide;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    wide += byte >= 0x80 && byte < 0xA0 ? k80To9F[byte - 0x80] : static_cast<char16_t>(byte);
  }
  return utf::Utf8(wide);
}

// A write the test made fail, or none.
std::optional<Written> Refused(const std::string& path, const std::string& what) {
  fake::State().writes.push_back(what + " " + path);
  const auto failing = fake::State().failingWrites.find(path);
  return failing == fake::State().failingWrites.end() ? std::nullopt : std::optional<Written>(failing->second);
}

Written ReplaceWith(const std::string& path, std::string_view bytes, const std::string& backup) {
  if (const auto refused = Refused(path, "replace")) return *refused;
  const auto file = fake::State().files.find(path);
  if (file == fake::State().files.end() || KindOf(backup) != Kind::kNothing) return {Wrote::kFailed, 87};
  fake::State().files[backup] = std::exchange(file->second, std::string(bytes));
  return {Wrote::kDone, 0};
}

Written Create(const std::string& path, std::string_view bytes) {
  if (const auto refused = Refused(path, "create")) return *refused;
  if (KindOf(path) != Kind::kNothing) return {Wrote::kExists, 80};
  fake::State().files[path] = std::string(bytes);
  return {Wrote::kDone, 0};
}

Written Rename(const std::string& from, const std::string& to) {
  if (const auto refused = Refused(from, "rename")) return *refused;
  const auto file = fake::State().files.find(from);
  if (file == fake::State().files.end()) return {Wrote::kFailed, 2};
  if (KindOf(to) != Kind::kNothing) return {Wrote::kExists, 183};
  std::string moved = std::move(file->second);
  fake::State().files.erase(file);
  fake::State().files[to] = std::move(moved);
  return {Wrote::kDone, 0};
}

std::string ReadLine() {
  std::vector<std::string>& typed = fake::State().typed;
  if (typed.empty()) return {};
  std::string line = typed.front();
  typed.erase(typed.begin());
  return line;
}

void WriteOut(const std::string& text) { fake::State().out += text; }

bool OwnsConsole() { return fake::State().ownConsole; }

void WaitForEnter() { ++fake::State().enterWaits; }

}  // namespace check::system
}  // namespace lumavale
