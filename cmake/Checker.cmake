# LumavaleCheck.exe: the settings check for players, a 32-bit console program that
# needs nothing installed. It imports KERNEL32.dll and the C run-time every Windows
# has (msvcrt.dll); libgcc and libstdc++ are linked in.

add_executable(LumavaleCheck
  ${LUMAVALE_CHECK_SOURCES}
  src/checker/main.cpp
  src/settings/settings.cpp
  src/settings/number_text.cpp
  src/checker/profile_text.cpp
  src/platform/win32.cpp
  src/checker/system_win32.cpp
  src/checker/runtime_win32.cpp)

target_include_directories(LumavaleCheck PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_include_directories(LumavaleCheck SYSTEM PRIVATE ${FAST_FLOAT_INCLUDE_DIR})
target_compile_definitions(LumavaleCheck PRIVATE NDEBUG)
# Whole-program optimisation: the report's string building shrinks by a good part.
set(LUMAVALE_CHECK_FLAGS -flto -Os)
target_compile_options(LumavaleCheck PRIVATE ${LUMAVALE_CHECK_FLAGS} ${LUMAVALE_IMAGE_COMPILE_FLAGS})

target_link_options(LumavaleCheck PRIVATE
  ${LUMAVALE_CHECK_FLAGS}
  -static-libgcc -static-libstdc++
  ${LUMAVALE_IMAGE_LINK_FLAGS})
