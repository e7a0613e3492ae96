# Two clean builds of the win32 preset, in directories of different names and at
# different times, must give a byte-identical Lumavale.asi and LumavaleCheck.exe, and
# so must the two release zips packed from them (their dates come from SOURCE_DATE_EPOCH).
#   cmake -DSOURCE_DIR=... -DWORK_DIR=... -P reproducible_build.cmake

if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  # Any fixed moment: the two builds only have to agree.
  set(ENV{SOURCE_DATE_EPOCH} 1700000000)
endif()

# Runs a command; a failure ends the test, saying `what`.
function(run what)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_QUIET RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${what}")
  endif()
endfunction()

foreach(name first second-build)
  set(dir ${WORK_DIR}/${name})
  file(REMOVE_RECURSE ${dir})
  run("configuring ${dir} failed" ${CMAKE_COMMAND} --preset win32 -B ${dir})
  run("building ${dir} failed" ${CMAKE_COMMAND} --build ${dir} --target Lumavale LumavaleCheck)
  run("packing ${dir} failed" ${CMAKE_COMMAND} -DLUMAVALE_ASI=${dir}/Lumavale.asi
    -DLUMAVALE_VERSION=check -DLUMAVALE_SOURCE_DIR=${SOURCE_DIR} -DLUMAVALE_DIST_DIR=${dir}/dist
    -P ${SOURCE_DIR}/cmake/Package.cmake)
  list(APPEND asis ${dir}/Lumavale.asi)
  list(APPEND checkers ${dir}/LumavaleCheck.exe)
  list(APPEND zips ${dir}/dist/Lumavale-check.zip)
  # Zip dates have a resolution of two seconds: wait longer, so that a clock read
  # would show.
  execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 2.1)
endforeach()

foreach(pair asis checkers zips)
  run("the two builds differ: ${${pair}}" ${CMAKE_COMMAND} -E compare_files ${${pair}})
endforeach()
file(SHA256 ${WORK_DIR}/first/Lumavale.asi sum)
message(STATUS "identical builds, SHA-256 ${sum}")
file(REMOVE_RECURSE ${WORK_DIR})
