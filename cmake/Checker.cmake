# LumavaleCheck.exe: the settings check for players, a 32-bit console program that
# needs nothing installed. It imports KERNEL32.dll, the C run-time every Windows has
# (msvcrt.dll), SHELL32.dll for its wide command line and VERSION.dll for the version
# information of files on disk, all system DLLs; libgcc and libstdc++ are linked in.
# It is large-address aware: the profile reads of a very large settings file take
# more memory than 2 GiB.

add_executable(LumavaleCheck
  ${LUMAVALE_PLUGIN_SOURCES}
  ${LUMAVALE_CHECK_SOURCES}
  ${LUMAVALE_CHECK_WINDOWS_SOURCES})

target_include_directories(LumavaleCheck PRIVATE ${CMAKE_SOURCE_DIR}/src ${LUMAVALE_GENERATED_DIR})
target_compile_definitions(LumavaleCheck PRIVATE NDEBUG)
# Whole-program optimisation: the report's string building shrinks by a good part.
# In one partition: GCC 12's LTO for this target stops with an internal error when
# it splits the program in two.
set(LUMAVALE_CHECK_FLAGS -flto -Os -flto-partition=one)
target_compile_options(LumavaleCheck PRIVATE ${LUMAVALE_CHECK_FLAGS} ${LUMAVALE_IMAGE_COMPILE_FLAGS})

target_link_options(LumavaleCheck PRIVATE
  ${LUMAVALE_CHECK_FLAGS}
  -static-libgcc -static-libstdc++
  -Wl,--large-address-aware
  ${LUMAVALE_IMAGE_LINK_FLAGS})
target_link_libraries(LumavaleCheck PRIVATE fast_float shell32 version)
