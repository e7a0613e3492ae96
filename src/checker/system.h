#pragma once
// The settings check's own door to the operating system: the file and console calls
// that a report for a player needs and the plug-in never makes. Paths are UTF-8, so
// that every folder a player can have is reached; system_win32.cpp implements them
// over KERNEL32's wide calls, and the native tests link a fake in its place.

#include <cstddef>
#include <cstdint>
#include <string>

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
  kUnreachable  // something a file cannot be read from: a link that leads nowhere, or
                // a name the system refuses
};
Kind KindOf(const std::string& path);

// Why a file could not be read whole.
enum class Read { kRead, kNothing, kFolder, kUnreachable, kTooLarge, kCannotOpen };

// Reads the file at `path` whole. On kRead `*bytes` is memory of its own, to be freed
// with std::free, holding `*size` bytes; `*error` is the platform's error number for
// kCannotOpen.
Read ReadWholeFile(const std::string& path, char** bytes, std::size_t* size, std::uint32_t* error);

// Writes UTF-8 text to standard output; '\n' ends a line.
void WriteOut(const std::string& text);

// True when the console is the program's own, as when it was started by a
// double-click: its window closes the moment the program ends.
bool OwnsConsole();

// Waits until Enter is pressed; returns at once when input is not a console.
void WaitForEnter();

}  // namespace lumavale::check::system
