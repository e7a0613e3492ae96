// The settings check's file and console calls over KERNEL32.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "checker/system.h"

namespace lumavale::check::system {

bool ReadWholeFile(const char* path, char* buffer, std::uint32_t capacity, std::uint32_t* size) {
  // Shared for writing too: an editor that holds the file open must not stop the check.
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER length{};
  bool read = GetFileSizeEx(file, &length) != FALSE && length.QuadPart <= 0x7FFFFFFF;
  if (read) {
    *size = static_cast<std::uint32_t>(length.QuadPart);
    const std::uint32_t wanted = *size < capacity ? *size : capacity;
    std::uint32_t done = 0;
    while (read && done < wanted) {
      DWORD got = 0;
      read = ReadFile(file, buffer + done, wanted - done, &got, nullptr) != FALSE && got != 0;
      done += got;
    }
  }
  CloseHandle(file);
  return read;
}

bool FileExists(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::uint32_t FullPath(const char* path, char* buffer, std::uint32_t size) {
  return GetFullPathNameA(path, size, buffer, nullptr);
}

void WriteOut(const char* text, std::uint32_t length) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  // Lines end in CR LF, so that a report saved to a file reads well in any editor.
  std::uint32_t start = 0;
  for (std::uint32_t i = 0; i <= length; ++i) {
    if (i < length && text[i] != '\n') continue;
    DWORD written = 0;
    if (i > start) WriteFile(out, text + start, i - start, &written, nullptr);
    if (i < length) WriteFile(out, "\r\n", 2, &written, nullptr);
    start = i + 1;
  }
}

bool OwnsConsole() {
  DWORD processes[2];
  return GetConsoleProcessList(processes, 2) == 1;
}

void WaitForEnter() {
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  // Redirected or closed input would never bring an Enter, or brings it at once.
  if (in == nullptr || in == INVALID_HANDLE_VALUE || GetConsoleMode(in, &mode) == FALSE) return;
  char line[64];
  DWORD got = 0;
  while (ReadConsoleA(in, line, sizeof line, &got, nullptr) != FALSE && got != 0) {
    for (DWORD i = 0; i < got; ++i) {
      if (line[i] == '\r' || line[i] == '\n') return;
    }
  }
}

}  // namespace lumavale::check::system
