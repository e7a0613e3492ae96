// A host whose own image stops short of the patched addresses, like a game the
// plug-in was not made for. What lies there is whatever the system put there; a span
// that is only reserved cannot be opened for writing, and a store there would fault.
//
//   bare_host PLUGIN
//       prints "span ROW STATE" before the load (STATE: commit, reserve or free),
//       "loaded 0|1", then "span ROW STATE" again;
//   bare_host --wait-for FILE
//       loads nothing, prints "ready", and runs on until FILE exists: a running
//       program that is not the game, such as a launcher.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "spans.h"

namespace {

const char* State(std::uintptr_t address) {
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(reinterpret_cast<void*>(address), &info, sizeof info) == 0) return "unknown";
  switch (info.State) {
    case MEM_COMMIT: return "commit";
    case MEM_RESERVE: return "reserve";
    case MEM_FREE: return "free";
    default: return "unknown";
  }
}

void PrintStates() {
  for (const LumavaleRow& span : kLumavaleRows) std::printf("span %d %s\n", span.row, State(span.address));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--wait-for") == 0) {
    std::printf("ready\n");
    std::fflush(stdout);
    for (int waited = 0; waited < 1200 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++waited) {
      Sleep(100);
    }
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: bare_host PLUGIN\n       bare_host --wait-for FILE\n");
    return 2;
  }
  PrintStates();
  const HMODULE plugin = LoadLibraryA(argv[1]);
  std::printf("loaded %d\n", plugin != nullptr ? 1 : 0);
  PrintStates();
  std::fflush(stdout);
  return plugin != nullptr ? 0 : 1;
}
