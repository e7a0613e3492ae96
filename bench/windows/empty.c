/* The cheapest DLL there is: the cost of loading and unloading any library. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)self;
  (void)reason;
  (void)reserved;
  return TRUE;
}
