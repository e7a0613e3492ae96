#include "startup/startup.h"

#include "patching/patch_set.h"
#include "settings/settings.h"

namespace lumavale {

void OnProcessAttach() {
  const SettingsPath path = LocateSettingsFile();
  LoadSettings(path);
  ApplyPatchSet(pluginSettings);
}

}  // namespace lumavale

extern "C" int LUMAVALE_STDCALL DllMain(void* /*module*/, std::uint32_t reason,
                                        void* /*reserved*/) {
  if (reason == lumavale::kProcessAttach) lumavale::OnProcessAttach();
  return 1;
}
