// The settings check program is built without exceptions, yet the standard library's
// allocation and its container checks would throw, which drags the unwinder and the
// demangler into a small program. These replacements stop the program instead: with
// no exception support, that is all a throw could have done.

#include <cstdlib>
#include <new>

void* operator new(std::size_t size) {
  void* memory = std::malloc(size != 0 ? size : 1);
  if (memory == nullptr) std::abort();
  return memory;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t /*size*/) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t /*size*/) noexcept { std::free(memory); }

// The library's own names for its throws, which its headers call; defined here, they
// keep the library's throwing versions out of the link.
// NOLINTBEGIN(cert-dcl58-cpp,bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp,readability-identifier-naming,cert-dcl50-cpp)
namespace std {
void __throw_length_error(const char* /*what*/) { std::abort(); }
void __throw_logic_error(const char* /*what*/) { std::abort(); }
void __throw_out_of_range(const char* /*what*/) { std::abort(); }
void __throw_out_of_range_fmt(const char* /*format*/, ...) { std::abort(); }
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_function_call() { std::abort(); }
}  // namespace std
// NOLINTEND(cert-dcl58-cpp,bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp,readability-identifier-naming,cert-dcl50-cpp)
