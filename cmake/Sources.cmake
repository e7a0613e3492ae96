# What each program is built from. Every build takes its sources from these lists,
# and scripts/lint asks them too:  cmake -DPRINT=portable|windows -P cmake/Sources.cmake
get_filename_component(_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# Lumavale.asi: the entry, the settings reader and the patch set (the native tests link them over the fake).
set(LUMAVALE_PLUGIN_SOURCES startup/startup.cpp settings/settings.cpp settings/number_text.cpp
  patching/patch_set.cpp patching/protected_access.cpp patching/host_identity.cpp)
# Lumavale.asi's KERNEL32 side: its platform calls and the memory routines it brings instead of a C run-time.
set(LUMAVALE_PLUGIN_WINDOWS_SOURCES platform/win32.cpp platform/win32_memory.cpp)

# LumavaleCheck.exe: the plug-in's sources above, plus the report, the line warnings, the profile reader, the survey of the install and its running games, and the verdict on them.
set(LUMAVALE_CHECK_SOURCES checker/report.cpp checker/line_warnings.cpp checker/profile_text.cpp
  checker/survey.cpp checker/verdict.cpp checker/utf.cpp checker/words.cpp checker/catalog.cpp checker/fix.cpp)
# LumavaleCheck.exe's entry and KERNEL32 side: the plug-in's platform calls, its own, and the run-time stand-ins.
set(LUMAVALE_CHECK_WINDOWS_SOURCES checker/main.cpp platform/win32.cpp checker/system_win32.cpp
  checker/runtime_win32.cpp)

foreach(list LUMAVALE_PLUGIN_SOURCES LUMAVALE_PLUGIN_WINDOWS_SOURCES LUMAVALE_CHECK_SOURCES
             LUMAVALE_CHECK_WINDOWS_SOURCES)
  list(TRANSFORM ${list} PREPEND ${_root}/src/)
endforeach()

# The catalogs made into sources (not when a script only asks for the lists).
if(NOT CMAKE_SCRIPT_MODE_FILE)
  include(${_root}/cmake/Catalogs.cmake)
  list(APPEND LUMAVALE_CHECK_SOURCES ${LUMAVALE_CATALOG_SOURCES})
endif()

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
