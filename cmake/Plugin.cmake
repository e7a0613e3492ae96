# Lumavale.asi: a freestanding PE32 DLL whose only import is KERNEL32.dll.

enable_language(RC)

configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)

# Linked as an image with --dll rather than as a shared library: the shared-library
# route always emits an export directory, and the plug-in exports nothing.
add_executable(Lumavale
  ${LUMAVALE_LOGIC_SOURCES}
  src/platform/win32.cpp
  src/platform/win32_memory.cpp
  ${CMAKE_BINARY_DIR}/version.rc)

set_target_properties(Lumavale PROPERTIES SUFFIX ".asi" OUTPUT_NAME "Lumavale")
target_include_directories(Lumavale PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_include_directories(Lumavale SYSTEM PRIVATE ${FAST_FLOAT_INCLUDE_DIR})
target_compile_definitions(Lumavale PRIVATE NDEBUG)

set(LUMAVALE_FREESTANDING_FLAGS
  -fno-exceptions -fno-rtti -fno-threadsafe-statics
  -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-stack-protector
  -ffunction-sections -fdata-sections
  # Double arithmetic in SSE2 registers: number parsing relies on exact double rounding.
  -msse2 -mfpmath=sse)
target_compile_options(Lumavale PRIVATE
  $<$<COMPILE_LANGUAGE:CXX>:${LUMAVALE_FREESTANDING_FLAGS}>)
set_source_files_properties(src/platform/win32_memory.cpp PROPERTIES COMPILE_OPTIONS -fno-builtin)

target_link_options(Lumavale PRIVATE
  -nostdlib -nostartfiles -static-libgcc
  -Wl,--dll -Wl,-e,_DllMain@12
  -Wl,--gc-sections
  -Wl,--dynamicbase -Wl,--nxcompat
  # It has no structured exception handlers, and says so: analysers flag a 32-bit
  # image that neither says so nor lists its safe handlers.
  -Wl,--no-seh
  -Wl,--no-insert-timestamp
  -Wl,--build-id=none
  -s)
target_link_libraries(Lumavale PRIVATE kernel32 gcc)
