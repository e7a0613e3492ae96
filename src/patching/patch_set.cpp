#include "patching/patch_set.h"

#include "patching/host_identity.h"
#include "patching/protected_access.h"

namespace lumavale {

void ApplyPatchSet(const PluginSettings& settings) {
  for (const PatchEntry& entry : kPatchSet) {
    if (!RowApplies(entry, settings)) continue;
    // Obtained before every store; what is stored never depends on it.
    GetHostIdentity();
    ProtectedWrite(entry.address, entry.width, RowValue(entry, settings));
  }
}

}  // namespace lumavale
