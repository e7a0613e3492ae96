// The settings check's file and console calls over KERNEL32's wide calls, and
// VERSION.dll's for the version information of a file on disk.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <psapi.h>
#include <winver.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "checker/paths.h"
#include "checker/system.h"
#include "checker/utf.h"

namespace lumavale::check::system {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide calls take UTF-16");

std::wstring Wide(const std::string& text) {
  const std::u16string units = utf::Utf16(text);
  return std::wstring(units.begin(), units.end());
}

std::string Utf8(const wchar_t* text, std::size_t length) {
  return utf::Utf8(std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

// A whole path as the file calls take it: one of MAX_PATH or more only behind "\\?\".
std::wstring ForFiles(const std::string& path) {
  std::wstring wide = Wide(path);
  if (wide.size() < MAX_PATH || wide.starts_with(L"\\\\?\\")) return wide;
  if (wide.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + wide.substr(2);
  return L"\\\\?\\" + wide;
}

// Shared for writing too: an editor that holds the file open must not stop the check.
HANDLE OpenToRead(const std::string& path) {
  return CreateFileW(ForFiles(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// Four lower-case hexadecimal digits, as a string table's name spells a language or a
// code page.
std::wstring Hex4(unsigned value) {
  std::wstring digits(4, L'0');
  for (std::size_t i = digits.size(); i-- > 0; value >>= 4) digits[i] = L"0123456789abcdef"[value & 0xF];
  return digits;
}

// A string value of a version block; empty when it has none. The length the call
// gives may or may not count the ending NUL, and a file can claim more than it holds:
// the text ends at its first NUL, and never past the block.
std::string VersionString(const std::vector<unsigned char>& block, const std::wstring& name) {
  void* value = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.data(), name.c_str(), &value, &length) == FALSE || value == nullptr) return {};
  const auto room =
      static_cast<std::size_t>(block.data() + block.size() - static_cast<const unsigned char*>(value)) / sizeof(wchar_t);
  const auto* text = static_cast<const wchar_t*>(value);
  std::size_t count = 0;
  while (count < length && count < room && text[count] != L'\0') ++count;
  return Utf8(text, count);
}

// What a failed write says, by the system's error number.
Written Failed(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return {Wrote::kInUse, error};
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return {Wrote::kDenied, error};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return {Wrote::kDiskFull, error};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return {Wrote::kExists, error};
    default: return {Wrote::kFailed, error};
  }
}

// `bytes` in a new file of its own in `folder`, flushed to the disk; its path, or the
// reason it could not be written (and then no such file is left).
std::wstring WriteApart(const std::string& folder, std::string_view bytes, Written& written) {
  wchar_t name[MAX_PATH + 1] = {};
  // GetTempFileNameW takes a folder of less than MAX_PATH - 14 characters; a bare name lies in the current one.
  const std::wstring where = Wide(folder.empty() ? std::string(".\\") : folder);
  if (GetTempFileNameW(where.c_str(), L"lmv", 0, name) == 0) {
    written = Failed(GetLastError());
    return {};
  }
  const HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool whole = file != INVALID_HANDLE_VALUE;
  DWORD error = whole ? 0 : GetLastError();
  for (std::size_t done = 0; whole && done < bytes.size();) {
    DWORD put = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 0x4000000));
    whole = WriteFile(file, bytes.data() + done, chunk, &put, nullptr) != FALSE && put != 0;
    if (!whole) error = GetLastError();
    done += put;
  }
  if (whole && FlushFileBuffers(file) == FALSE) {
    whole = false;
    error = GetLastError();
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!whole) {
    DeleteFileW(name);
    written = Failed(error);
    return {};
  }
  written = {Wrote::kDone, 0};
  return name;
}

}  // namespace

std::string ProgramPath() {
  // Paths can be far longer than MAX_PATH; the count fills the buffer when it was cut.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::wstring path(size, L'\0');
    const DWORD count = GetModuleFileNameW(nullptr, path.data(), size);
    if (count == 0) return {};
    if (count < size) return Utf8(path.data(), count);
  }
  return {};
}

std::string FullPath(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return {};
  std::wstring full(needed, L'\0');
  const DWORD count = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  return count == 0 || count >= needed ? std::string() : Utf8(full.data(), count);
}

Kind KindOf(const std::string& path) {
  const std::wstring wide = ForFiles(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Kind::kFolder;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      // A link: it names a file only when it leads to one.
      const HANDLE file = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) return Kind::kUnreachable;
      CloseHandle(file);
    }
    return Kind::kFile;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED) return Kind::kDenied;
  if (!Missing(error)) return Kind::kUnreachable;
  // Some systems read a link that leads nowhere as missing; the folder's own entry
  // for it still shows that something bears the name.
  WIN32_FIND_DATAW entry;
  const HANDLE found = FindFirstFileW(wide.c_str(), &entry);
  if (found != INVALID_HANDLE_VALUE) {
    FindClose(found);
    return Kind::kUnreachable;
  }
  return Missing(GetLastError()) ? Kind::kNothing : Kind::kUnreachable;
}

Read ReadWholeFile(const std::string& path, char** bytes, std::size_t* size, std::uint32_t* error) {
  const HANDLE file = OpenToRead(path);
  if (file == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return Read::kCannotOpen;
  }
  LARGE_INTEGER length{};
  Read read = Read::kCannotOpen;
  char* memory = nullptr;
  if (GetFileSizeEx(file, &length) == FALSE) {
    *error = GetLastError();
  } else if (length.QuadPart > 0x7FFFFFFF ||
             (memory = static_cast<char*>(std::malloc(static_cast<std::size_t>(length.QuadPart) + 1))) == nullptr) {
    read = Read::kTooLarge;
  } else {
    const auto wanted = static_cast<std::size_t>(length.QuadPart);
    std::size_t done = 0;
    bool reading = true;
    while (reading && done < wanted) {
      DWORD got = 0;
      const DWORD chunk = static_cast<DWORD>(wanted - done < 0x4000000 ? wanted - done : 0x4000000);
      reading = ReadFile(file, memory + done, chunk, &got, nullptr) != FALSE && got != 0;
      done += got;
    }
    if (reading) {
      *bytes = memory;
      *size = done;
      read = Read::kRead;
    } else {
      *error = GetLastError();
      std::free(memory);
    }
  }
  CloseHandle(file);
  return read;
}

std::string FileStart(const std::string& path, std::size_t size) {
  const HANDLE file = OpenToRead(path);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(size, '\0');
  std::size_t done = 0;
  bool failed = false;
  while (done < size) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 0x4000000));
    if (ReadFile(file, bytes.data() + done, chunk, &got, nullptr) == FALSE) {
      failed = true;
      break;
    }
    if (got == 0) break;  // the end of the file
    done += got;
  }
  CloseHandle(file);
  if (failed) return {};
  bytes.resize(done);
  return bytes;
}

std::optional<std::vector<std::string>> FilesIn(const std::string& folder) {
  WIN32_FIND_DATAW entry;
  const HANDLE found = FindFirstFileW(ForFiles(folder + "*").c_str(), &entry);
  if (found == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<std::string>();
    return std::nullopt;
  }
  std::vector<std::string> names;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      names.push_back(Utf8(entry.cFileName, std::wcslen(entry.cFileName)));
    }
  } while (FindNextFileW(found, &entry) != FALSE);
  // A list cut short by an error would pass for the folder's whole content.
  const bool whole = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(found);
  if (!whole) return std::nullopt;
  return names;
}

std::optional<bool> SameObject(const std::string& a, const std::string& b) {
  // The volume and the file index: what the system says a path names, whatever its
  // drive letter, links, short names or letter case. Folders open only with backup
  // semantics; asking needs no access to the contents.
  const auto identity = [](const std::string& path) -> std::optional<std::pair<DWORD, ULONGLONG>> {
    const HANDLE handle = CreateFileW(ForFiles(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = GetFileInformationByHandle(handle, &information) != FALSE;
    CloseHandle(handle);
    if (!known) return std::nullopt;
    return std::pair{information.dwVolumeSerialNumber,
                     (ULONGLONG{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
  };
  const auto first = identity(a);
  const auto second = first ? identity(b) : std::nullopt;
  if (!second) return std::nullopt;
  return *first == *second;
}

std::optional<Version> VersionOf(const std::string& path) {
  const std::wstring file = ForFiles(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> block(size);
  if (GetFileVersionInfoW(file.c_str(), 0, size, block.data()) == FALSE) return std::nullopt;
  // The first language and code page the file lists name its first string table;
  // a file that lists none most likely has the usual US English, Unicode one.
  unsigned language = 0x0409;
  unsigned codePage = 0x04B0;
  void* pairs = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &pairs, &length) != FALSE && pairs != nullptr &&
      length >= 2 * sizeof(WORD)) {
    language = static_cast<const WORD*>(pairs)[0];
    codePage = static_cast<const WORD*>(pairs)[1];
  }
  const std::wstring table = L"\\StringFileInfo\\" + Hex4(language) + Hex4(codePage) + L"\\";
  return Version{VersionString(block, table + L"ProductName"), VersionString(block, table + L"OriginalFilename"),
                 VersionString(block, table + L"FileVersion")};
}

std::vector<Program> RunningPrograms() {
  std::vector<DWORD> ids(1024);
  DWORD bytes = 0;
  // A full list may have been cut: ask again with room for more.
  const auto room = [&] { return static_cast<DWORD>(ids.size()) * DWORD{sizeof(DWORD)}; };
  while (K32EnumProcesses(ids.data(), room(), &bytes) != FALSE && bytes == room() && ids.size() < 65536) {
    ids.resize(ids.size() * 2);
  }
  ids.resize(bytes / sizeof(DWORD));
  std::vector<Program> programs;
  for (const DWORD id : ids) {
    if (id == GetCurrentProcessId()) continue;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) continue;
    std::wstring image(32768, L'\0');
    DWORD length = static_cast<DWORD>(image.size());
    if (QueryFullProcessImageNameW(process, 0, image.data(), &length) != FALSE) {
      programs.push_back({id, Utf8(image.data(), length)});
    }
    CloseHandle(process);
  }
  return programs;
}

std::uint32_t LookInto(std::uint32_t id,
                       const std::function<void(const std::vector<Module>& modules, const MemoryReader& read)>& look) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, id);
  if (process == nullptr) return GetLastError() != 0 ? GetLastError() : ERROR_ACCESS_DENIED;
  std::vector<HMODULE> handles(1024);
  DWORD bytes = 0;
  const DWORD room = static_cast<DWORD>(handles.size()) * DWORD{sizeof(HMODULE)};
  const bool listed = K32EnumProcessModules(process, handles.data(), room, &bytes) != FALSE;
  const DWORD error = listed ? 0 : GetLastError() != 0 ? GetLastError() : ERROR_PARTIAL_COPY;
  if (listed) {
    handles.resize(std::min<std::size_t>(handles.size(), bytes / sizeof(HMODULE)));
    std::vector<Module> modules;
    std::wstring path(32768, L'\0');
    for (const HMODULE handle : handles) {
      const DWORD length = K32GetModuleFileNameExW(process, handle, path.data(), static_cast<DWORD>(path.size()));
      modules.push_back({static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(handle)),
                         Utf8(path.data(), length)});
    }
    look(modules, [process](std::uint32_t address, std::uint32_t size, std::uint8_t* into) {
      SIZE_T got = 0;
      return ReadProcessMemory(process, reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)), into, size,
                               &got) != FALSE &&
             got == size;
    });
  }
  CloseHandle(process);
  return error;
}

Written ReplaceWith(const std::string& path, std::string_view bytes, const std::string& backup) {
  const std::wstring target = ForFiles(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return {Wrote::kReadOnly, ERROR_ACCESS_DENIED};
  }
  Written written;
  const std::wstring apart = WriteApart(FolderOf(path), bytes, written);
  if (apart.empty()) return written;
  const std::wstring kept = ForFiles(backup);
  if (ReplaceFileW(target.c_str(), apart.c_str(), kept.c_str(), REPLACEFILE_WRITE_THROUGH, nullptr, nullptr) != FALSE) {
    return {Wrote::kDone, 0};
  }
  const DWORD error = GetLastError();
  // Halfway: the old file already carries the backup's name. It gets its own back.
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) MoveFileExW(kept.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
  DeleteFileW(apart.c_str());
  return Failed(error);
}

Written Create(const std::string& path, std::string_view bytes) {
  Written written;
  const std::wstring apart = WriteApart(FolderOf(path), bytes, written);
  if (apart.empty()) return written;
  if (MoveFileExW(apart.c_str(), ForFiles(path).c_str(), MOVEFILE_WRITE_THROUGH) != FALSE) return {Wrote::kDone, 0};
  const DWORD error = GetLastError();
  DeleteFileW(apart.c_str());
  return Failed(error);
}

Written Rename(const std::string& from, const std::string& to) {
  if (MoveFileExW(ForFiles(from).c_str(), ForFiles(to).c_str(), MOVEFILE_WRITE_THROUGH) != FALSE) {
    return {Wrote::kDone, 0};
  }
  return Failed(GetLastError());
}

std::string ReadLine() {
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (in == nullptr || in == INVALID_HANDLE_VALUE || GetConsoleMode(in, &mode) == FALSE) return {};
  std::wstring line;
  wchar_t typed[64];
  DWORD got = 0;
  while (ReadConsoleW(in, typed, 64, &got, nullptr) != FALSE && got != 0) {
    for (DWORD i = 0; i < got; ++i) {
      if (typed[i] == L'\r' || typed[i] == L'\n') return Utf8(line.data(), line.size());
      line += typed[i];
    }
  }
  return Utf8(line.data(), line.size());
}

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::uint16_t UserLanguage() { return GetUserDefaultUILanguage(); }

std::string FromAnsi(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF / sizeof(wchar_t)));
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  const int count = MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), size);
  return Utf8(wide.data(), static_cast<std::size_t>(count));
}

void WriteOut(const std::string& text) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  // Lines end in CR LF, so that a report saved to a file reads well in any editor. A
  // console is given UTF-16, so that every path shows as the player sees it there;
  // a file or a pipe gets UTF-8.
  DWORD mode = 0;
  const bool console = GetConsoleMode(out, &mode) != FALSE;
  std::string lines;
  for (const char c : text) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
  DWORD written = 0;
  if (console) {
    const std::wstring wide = Wide(lines);
    WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(out, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
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
