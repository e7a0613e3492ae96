#pragma once
// The settings check's own door to the operating system: the file and console calls
// that a report for a player needs and the plug-in never makes. Paths are UTF-8, so
// that every folder a player can have is reached; system_win32.cpp implements them
// over KERNEL32's wide calls, and the native tests link a fake in its place.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumavale::check::system {

// This program's own path, as GetModuleFileNameW gives it; empty when it cannot.
std::string ProgramPath();

// The whole path of `path` as GetFullPathNameW makes it; empty when it cannot.
std::string FullPath(const std::string& path);

// What a path names.
enum class Kind {
  kNothing,     // nothing at all
  kFile,
  kFolder,
  kUnreachable,  // something a file cannot be read from: a link that leads nowhere, or
                 // a name the system refuses
  kDenied        // something Windows does not let this program look at
};
Kind KindOf(const std::string& path);

// Whether a file could be read whole.
enum class Read { kRead, kTooLarge, kCannotOpen };

// Reads the file at `path` whole. On kRead `*bytes` is memory of its own, to be freed
// with std::free, holding `*size` bytes; `*error` is the platform's error number for
// kCannotOpen (KindOf tells what the name stands for).
Read ReadWholeFile(const std::string& path, char** bytes, std::size_t* size, std::uint32_t* error);

// At most the first `size` bytes of the file at `path`; empty when it cannot be read.
// For headers: a game's executable is far too large to read whole.
std::string FileStart(const std::string& path, std::size_t size);

// The names of the files (not folders) directly in `folder` (which ends in a
// separator), in no particular order; none when the folder cannot be listed.
std::optional<std::vector<std::string>> FilesIn(const std::string& folder);

// Whether two paths name the same file or folder: the same volume serial number and
// file index (GetFileInformationByHandle). None where either cannot be opened to ask,
// as a path that names nothing.
std::optional<bool> SameObject(const std::string& a, const std::string& b);

// A file's version information, as VERSION.dll reads it from the file on disk (the
// file is neither loaded nor run): its first string table's values. None when it has
// none, or it cannot be read.
struct Version {
  std::string productName;
  std::string originalFilename;
  std::string fileVersion;
};
std::optional<Version> VersionOf(const std::string& path);

// --- A running game, looked at from outside. Another process is only ever read.

// A running program other than this one, and the path of its executable, as
// QueryFullProcessImageNameW gives it to a handle that may query that much and
// nothing else. Programs that cannot be asked are left out.
struct Program {
  std::uint32_t id;
  std::string image;
};
std::vector<Program> RunningPrograms();

// A module a program has loaded: its base address and its file's path.
struct Module {
  std::uint32_t base;
  std::string path;
};

// Reads `size` bytes at `address` of the program being looked into; false when they
// cannot be read.
using MemoryReader = std::function<bool(std::uint32_t address, std::uint32_t size, std::uint8_t* bytes)>;

// Opens the program `id` for reading only (PROCESS_QUERY_LIMITED_INFORMATION and
// PROCESS_VM_READ), hands `look` its modules (its own image first) and a reader of its
// memory, and closes it again. 0 when it did; else, with `look` not called, the
// system's error number from opening it or from listing its modules.
std::uint32_t LookInto(std::uint32_t id,
                       const std::function<void(const std::vector<Module>& modules, const MemoryReader& read)>& look);

// Whether this program runs under Wine (its ntdll says so), where it sees only the
// programs of its own Wine prefix.
bool UnderWine();

// The user's interface language, as Windows numbers languages (GetUserDefaultUILanguage).
std::uint16_t UserLanguage();

// Text in the ANSI code page, as UTF-8: how the profile reads take a file's bytes.
std::string FromAnsi(std::string_view text);

// --- Writing, only when the player asks the check to fix their file. Each call
// changes one file in one step, or nothing at all.

enum class Wrote {
  kDone,
  kReadOnly,  // the file is read-only
  kInUse,     // another program holds it
  kDenied,    // the folder may not be written to
  kDiskFull,
  kExists,    // a file has the name it was to get
  kFailed,    // anything else: `error` says what
};
struct Written {
  Wrote wrote = Wrote::kFailed;
  std::uint32_t error = 0;  // the system's error number
};

// The file at `path` replaced by `bytes`: they are written to a new file in the same
// folder, which ReplaceFileW then puts in its place, keeping the file's attributes;
// the old file is kept as `backup`, a name no file has.
Written ReplaceWith(const std::string& path, std::string_view bytes, const std::string& backup);

// A new file at `path`, a name no file has, holding `bytes`: written apart and then
// put in place in one step.
Written Create(const std::string& path, std::string_view bytes);

// The file `from` given the name `to`, which no file has.
Written Rename(const std::string& from, const std::string& to);

// A line typed at the console, without its end; empty when input is not a console.
std::string ReadLine();

// Writes UTF-8 text to standard output; '\n' ends a line.
void WriteOut(const std::string& text);

// True when the console is the program's own, as when it was started by a
// double-click: its window closes the moment the program ends.
bool OwnsConsole();

// Waits until Enter is pressed; returns at once when input is not a console.
void WaitForEnter();

}  // namespace lumavale::check::system
