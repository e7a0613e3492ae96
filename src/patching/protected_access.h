#pragma once
// The plug-in's only ways into the host's memory: both go through one protected
// access, which opens exactly the bytes touched for the moment of the touch and
// then puts their previous protection back.

#include <cstdint>

#include "platform/platform.h"

namespace lumavale {

// Stores the low `width` (1 to 4) bytes of `value` at `address`, little-endian.
// Nothing is stored when the span cannot be opened.
void ProtectedWrite(HostAddress address, std::uint32_t width, std::uint32_t value);

// The byte at `address`; 0 when the span cannot be opened.
std::uint8_t ProtectedReadByte(HostAddress address);

}  // namespace lumavale
