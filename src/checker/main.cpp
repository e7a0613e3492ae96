// LumavaleCheck.exe: the settings check as a console program. Everything it asks of
// the operating system goes through the plug-in's door (platform.h) and its own
// (system.h).

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "checker/report.h"
#include "checker/utf.h"

int main() {
  // The wide command line: a file dropped from a folder that the ANSI code page cannot
  // name would reach the narrow arguments with a '?' in its path.
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 0; wide != nullptr && i < count; ++i) {
    arguments.push_back(lumavale::utf::Utf8(reinterpret_cast<const char16_t*>(wide[i])));
  }
  LocalFree(wide);
  return lumavale::check::RunChecker(arguments);
}
