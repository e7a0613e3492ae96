// A DLL that is not the plug-in, as a mistaken download leaves where Lumavale.asi
// should lie: it loads, does nothing, and carries no version information.
extern "C" __declspec(dllexport) int NotThePlugin() { return 0; }
