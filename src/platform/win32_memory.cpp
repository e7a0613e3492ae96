// The memory routines the compiler may call on its own (struct copies, zeroed
// buffers). The plug-in carries no C run-time, so it brings these few itself.
// Built with -fno-builtin so the loops are not turned back into calls to themselves.

#include <cstddef>

extern "C" {

void* memset(void* destination, int value, std::size_t count) {
  auto* out = static_cast<unsigned char*>(destination);
  while (count-- != 0) *out++ = static_cast<unsigned char>(value);
  return destination;
}

void* memcpy(void* destination, const void* source, std::size_t count) {
  auto* out = static_cast<unsigned char*>(destination);
  const auto* in = static_cast<const unsigned char*>(source);
  while (count-- != 0) *out++ = *in++;
  return destination;
}

void* memmove(void* destination, const void* source, std::size_t count) {
  auto* out = static_cast<unsigned char*>(destination);
  const auto* in = static_cast<const unsigned char*>(source);
  if (out < in) {
    while (count-- != 0) *out++ = *in++;
  } else {
    while (count-- != 0) out[count] = in[count];
  }
  return destination;
}

}  // extern "C"
