/* Only the platform calls the plug-in cannot do without: its own path, the five
   profile reads of the settings file beside it, and opening and restoring the
   protection of the six spans it writes. What the plug-in costs beyond this is
   its own overhead. */
#include <windows.h>

static const struct {
  DWORD address;
  DWORD size;
} kSpans[] = {{0x00726B0A, 4}, {0x00726CEA, 4}, {0x00A63FC0, 4},
              {0x00B74D64, 1}, {0x009EB588, 1}, {0x009EB9E8, 1}};

static const char kName[] = "LumavaleSettings.ini";

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  char path[MAX_PATH + sizeof kName];
  char text[255];
  DWORD length, i, previous;
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;

  length = GetModuleFileNameA(self, path, MAX_PATH);
  while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/') --length;
  for (i = 0; i < sizeof kName; ++i) path[length + i] = kName[i];

  GetPrivateProfileIntA("Lumavale", "Enabled", 1, path);
  GetPrivateProfileStringA("Lumavale", "AmountInFrontend", "0.800000", text, sizeof text, path);
  GetPrivateProfileStringA("Lumavale", "AmountInGameplay", "1.250000", text, sizeof text, path);
  GetPrivateProfileIntA("Other", "Fog", 0, path);
  GetPrivateProfileIntA("Other", "RemoveSkyTextures", 0, path);

  for (i = 0; i < sizeof kSpans / sizeof kSpans[0]; ++i) {
    void* span = (void*)(ULONG_PTR)kSpans[i].address;
    if (VirtualProtect(span, kSpans[i].size, PAGE_EXECUTE_READWRITE, &previous)) {
      VirtualProtect(span, kSpans[i].size, previous, &previous);
    }
  }
  return TRUE;
}
