#pragma once
// The settings check's own door to the operating system: the file and console calls
// that a report for a player needs and the plug-in never makes. system_win32.cpp
// implements them over KERNEL32; the native tests link a fake in its place.

#include <cstdint>

namespace lumavale::check::system {

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

}  // namespace lumavale::check::system
