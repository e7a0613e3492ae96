/* Only the platform calls the plug-in cannot do without: its own path, the five
   profile reads of the settings file beside it, and opening and restoring the
   protection of the six spans it writes. What the plug-in costs beyond this is
   its own overhead. */
#include <windows.h>

#include "contract.h"

static const char kName[] = "LumavaleSettings.ini";

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  char path[MAX_PATH + sizeof kName];
  char text[LUMAVALE_AMOUNT_BUFFER_SIZE];
  DWORD length, i, previous;
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;

  length = GetModuleFileNameA(self, path, MAX_PATH);
  while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/') --length;
  for (i = 0; i < sizeof kName; ++i) path[length + i] = kName[i];

  for (i = 0; i < LUMAVALE_READ_COUNT; ++i) {
    const struct LumavaleRead* read = &kLumavaleReads[i];
    if (read->integer) {
      GetPrivateProfileIntA(read->section, read->key, read->defaultNumber, path);
    } else {
      GetPrivateProfileStringA(read->section, read->key, read->defaultText, text, sizeof text, path);
    }
  }

  for (i = 0; i < LUMAVALE_ROW_COUNT; ++i) {
    void* span = (void*)(ULONG_PTR)kLumavaleRows[i].address;
    if (VirtualProtect(span, kLumavaleRows[i].width, PAGE_EXECUTE_READWRITE, &previous)) {
      VirtualProtect(span, kLumavaleRows[i].width, previous, &previous);
    }
  }
  return TRUE;
}
