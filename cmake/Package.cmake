# The release package: dist/Lumavale-<version>.zip holding the plug-in, the settings
# check program, the sample settings, the install notes and the changelog; the plug-in, the check
# program and the sample settings are also left loose in dist/.
#
# Included by the win32 build, this file adds the target `package_zip`. Run as a
# script (-P) with LUMAVALE_ASI, LUMAVALE_VERSION and LUMAVALE_SOURCE_DIR set, it
# does the packing itself (into LUMAVALE_DIST_DIR when that is set); the check
# program is LUMAVALE_CHECKER, or LumavaleCheck.exe beside the plug-in.

if(CMAKE_SCRIPT_MODE_FILE)
  foreach(var LUMAVALE_ASI LUMAVALE_VERSION LUMAVALE_SOURCE_DIR)
    if(NOT ${var})
      message(FATAL_ERROR "${var} is not set")
    endif()
  endforeach()
  if(NOT LUMAVALE_CHECKER)
    get_filename_component(built ${LUMAVALE_ASI} DIRECTORY)
    set(LUMAVALE_CHECKER ${built}/LumavaleCheck.exe)
  endif()
  if(NOT EXISTS ${LUMAVALE_CHECKER})
    message(FATAL_ERROR "${LUMAVALE_CHECKER} is missing: build the LumavaleCheck target")
  endif()
  set(dist ${LUMAVALE_SOURCE_DIR}/dist)
  if(LUMAVALE_DIST_DIR)
    set(dist ${LUMAVALE_DIST_DIR})
  endif()
  set(stage ${dist}/.stage)
  set(zip ${dist}/Lumavale-${LUMAVALE_VERSION}.zip)
  set(files ${LUMAVALE_ASI} ${LUMAVALE_CHECKER} ${LUMAVALE_SOURCE_DIR}/package/LumavaleSettings.ini
            ${LUMAVALE_SOURCE_DIR}/package/INSTALL.txt ${LUMAVALE_SOURCE_DIR}/CHANGELOG.md)
  file(REMOVE_RECURSE ${stage})
  file(REMOVE ${zip})
  file(COPY ${files} DESTINATION ${stage})
  file(COPY ${LUMAVALE_ASI} ${LUMAVALE_CHECKER} ${LUMAVALE_SOURCE_DIR}/package/LumavaleSettings.ini
       DESTINATION ${dist})
  # string(TIMESTAMP) follows SOURCE_DATE_EPOCH, so a pinned epoch gives the same
  # zip: every entry gets that date (zip stores local time, hence TZ), and -X leaves
  # out the extra fields that would carry each file's access and change times.
  string(TIMESTAMP epoch "%s" UTC)
  find_program(ZIP zip REQUIRED)
  find_program(TOUCH touch REQUIRED)
  set(names Lumavale.asi LumavaleCheck.exe LumavaleSettings.ini INSTALL.txt CHANGELOG.md)
  execute_process(COMMAND ${TOUCH} -d @${epoch} ${names} WORKING_DIRECTORY ${stage})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP} -q -X -D ${zip} ${names}
    WORKING_DIRECTORY ${stage}
    RESULT_VARIABLE packed)
  file(REMOVE_RECURSE ${stage})
  if(NOT packed EQUAL 0)
    message(FATAL_ERROR "packing ${zip} failed")
  endif()
  message(STATUS "Packed ${zip}")
  return()
endif()

add_custom_target(package_zip
  COMMAND ${CMAKE_COMMAND}
    -DLUMAVALE_ASI=$<TARGET_FILE:Lumavale>
    -DLUMAVALE_CHECKER=$<TARGET_FILE:LumavaleCheck>
    -DLUMAVALE_VERSION=${PROJECT_VERSION}
    -DLUMAVALE_SOURCE_DIR=${CMAKE_SOURCE_DIR}
    -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS Lumavale LumavaleCheck
  COMMENT "Packing dist/Lumavale-${PROJECT_VERSION}.zip"
  VERBATIM)
