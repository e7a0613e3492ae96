#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace lumavale {

inline constexpr std::uint32_t kProcessAttach = 1;

// The whole of the plug-in's work: read the settings, then patch the host.
void OnProcessAttach();

}  // namespace lumavale

// The library entry. TRUE for every reason; only process attach does anything.
extern "C" int LUMAVALE_STDCALL DllMain(void* module, std::uint32_t reason, void* reserved);
