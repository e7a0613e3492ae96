/* Loads and unloads DLLs in turn and prints, per DLL, the median time of one
   LoadLibraryA + FreeLibrary in microseconds.

     load_timer COUNT DLL...   COUNT rounds; each round loads every DLL once
     load_timer --span DLL     loads DLL once and prints where it was mapped

   Linked at 0x00400000 with a .bss that reaches past 0x00BC0000, so the host
   addresses the plug-in writes are mapped here as they are in the game. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define kHostSpanEnd 0x00C00000u
static volatile unsigned char hostSpan[kHostSpanEnd - 0x00400000u];

static int CompareTimes(const void* a, const void* b) {
  const LONGLONG x = *(const LONGLONG*)a, y = *(const LONGLONG*)b;
  return (x > y) - (x < y);
}

static int PrintSpan(const char* dll) {
  HMODULE module = LoadLibraryA(dll);
  const IMAGE_DOS_HEADER* dos = (const IMAGE_DOS_HEADER*)module;
  const IMAGE_NT_HEADERS* nt;
  if (module == NULL) return 1;
  nt = (const IMAGE_NT_HEADERS*)((const char*)module + dos->e_lfanew);
  printf("%08lx %08lx\n", (unsigned long)(ULONG_PTR)module,
         (unsigned long)nt->OptionalHeader.SizeOfImage);
  FreeLibrary(module);
  return 0;
}

int main(int argc, char** argv) {
  LARGE_INTEGER frequency, start, stop;
  LONGLONG* times;
  int count, dlls, round, d;

  hostSpan[sizeof hostSpan - 1] = 0; /* keeps the span in the image */
  if ((ULONG_PTR)&hostSpan[sizeof hostSpan - 1] < 0x00BC0000u) {
    fprintf(stderr, "the host span does not reach the patched addresses\n");
    return 1;
  }
  if (argc == 3 && strcmp(argv[1], "--span") == 0) return PrintSpan(argv[2]);
  if (argc < 3 || (count = atoi(argv[1])) < 1) {
    fprintf(stderr, "usage: load_timer COUNT DLL... | load_timer --span DLL\n");
    return 2;
  }
  dlls = argc - 2;
  times = (LONGLONG*)malloc(sizeof *times * (size_t)count * (size_t)dlls);
  if (times == NULL) return 1;
  QueryPerformanceFrequency(&frequency);

  /* Interleaved, so drifts of the machine touch every DLL alike. */
  for (round = 0; round < count; ++round) {
    for (d = 0; d < dlls; ++d) {
      HMODULE module;
      QueryPerformanceCounter(&start);
      module = LoadLibraryA(argv[2 + d]);
      if (module != NULL) FreeLibrary(module);
      QueryPerformanceCounter(&stop);
      if (module == NULL) {
        fprintf(stderr, "cannot load %s (error %lu)\n", argv[2 + d], GetLastError());
        return 1;
      }
      times[d * count + round] = stop.QuadPart - start.QuadPart;
    }
  }
  for (d = 0; d < dlls; ++d) {
    LONGLONG* mine = times + d * count;
    qsort(mine, (size_t)count, sizeof *mine, CompareTimes);
    printf("%s %.1f\n", argv[2 + d], (double)mine[count / 2] * 1e6 / (double)frequency.QuadPart);
  }
  free(times);
  return 0;
}
