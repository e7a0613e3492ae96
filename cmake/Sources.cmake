# What each program is built from. Every build takes its sources from these lists,
# and scripts/lint asks them too:  cmake -DPRINT=portable|windows -P cmake/Sources.cmake
get_filename_component(_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# Lumavale.asi: the entry, the settings reader and the patch set (the native tests link them over the fake).
set(LUMAVALE_PLUGIN_SOURCES
  ${_root}/src/startup/startup.cpp
  ${_root}/src/settings/settings.cpp
  ${_root}/src/settings/number_text.cpp
  ${_root}/src/patching/patch_set.cpp
  ${_root}/src/patching/protected_access.cpp
  ${_root}/src/patching/host_identity.cpp)
# Lumavale.asi's KERNEL32 side: its platform calls and the memory routines it brings instead of a C run-time.
set(LUMAVALE_PLUGIN_WINDOWS_SOURCES
  ${_root}/src/platform/win32.cpp
  ${_root}/src/platform/win32_memory.cpp)

# LumavaleCheck.exe: the plug-in's sources above, plus the report, the line warnings, the profile reader and the look into a running game.
set(LUMAVALE_CHECK_SOURCES
  ${_root}/src/checker/report.cpp
  ${_root}/src/checker/line_warnings.cpp
  ${_root}/src/checker/profile_text.cpp
  ${_root}/src/checker/running_game.cpp
  ${_root}/src/checker/utf.cpp)
# LumavaleCheck.exe's entry and KERNEL32 side: the plug-in's platform calls, its own, and the run-time stand-ins.
set(LUMAVALE_CHECK_WINDOWS_SOURCES
  ${_root}/src/checker/main.cpp
  ${_root}/src/platform/win32.cpp
  ${_root}/src/checker/system_win32.cpp
  ${_root}/src/checker/runtime_win32.cpp)

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED PRINT)
  if(PRINT STREQUAL "portable")
    set(_print ${LUMAVALE_PLUGIN_SOURCES} ${LUMAVALE_CHECK_SOURCES})
  elseif(PRINT STREQUAL "windows")
    set(_print ${LUMAVALE_PLUGIN_WINDOWS_SOURCES} ${LUMAVALE_CHECK_WINDOWS_SOURCES})
    list(REMOVE_DUPLICATES _print)
  else()
    message(FATAL_ERROR "PRINT is portable or windows")
  endif()
  foreach(file IN LISTS _print)
    file(RELATIVE_PATH file ${_root} ${file})
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${file})
  endforeach()
endif()
