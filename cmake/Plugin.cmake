# Lumavale.asi: a freestanding PE32 DLL whose only import is KERNEL32.dll.

enable_language(RC)

configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)

# Linked as an image with --dll rather than as a shared library: the shared-library
# route always emits an export directory, and the plug-in exports nothing.
add_executable(Lumavale
  ${LUMAVALE_PLUGIN_SOURCES}
  ${LUMAVALE_PLUGIN_WINDOWS_SOURCES}
  ${CMAKE_BINARY_DIR}/version.rc)

set_target_properties(Lumavale PROPERTIES SUFFIX ".asi" OUTPUT_NAME "Lumavale")
target_include_directories(Lumavale PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(Lumavale PRIVATE NDEBUG)

# Freestanding: no guard for local statics and no stack protector, both of which
# call into a run-time library the plug-in does not carry.
target_compile_options(Lumavale PRIVATE
  $<$<COMPILE_LANGUAGE:CXX>:${LUMAVALE_IMAGE_COMPILE_FLAGS} -fno-threadsafe-statics -fno-stack-protector>)
set_source_files_properties(src/platform/win32_memory.cpp PROPERTIES COMPILE_OPTIONS -fno-builtin)

target_link_options(Lumavale PRIVATE
  -nostdlib -nostartfiles -static-libgcc
  -Wl,--dll -Wl,-e,_DllMain@12
  ${LUMAVALE_IMAGE_LINK_FLAGS})
target_link_libraries(Lumavale PRIVATE fast_float kernel32 gcc)
