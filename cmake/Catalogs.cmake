# The message catalogs, built into the settings check: from catalog/lumavale.pot (the
# English, one msgctxt per message) the message ids (checker/messages.h), and every
# catalog's text as a string of the program (catalogs.cpp). Made when CMake runs,
# and again whenever a catalog changes.
set(_catalogs ${_root}/src/checker/catalog)
set(LUMAVALE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(_out ${LUMAVALE_GENERATED_DIR}/checker)
file(MAKE_DIRECTORY ${_out})

# English first; each translation by the code --language takes ("pt_BR.po": "pt-BR").
file(GLOB _translations CONFIGURE_DEPENDS RELATIVE ${_catalogs} ${_catalogs}/*.po)
list(SORT _translations)

set(_ids "")
set(_names "")
file(STRINGS ${_catalogs}/lumavale.pot _contexts REGEX "^msgctxt \"[A-Za-z0-9]+\"$")
foreach(_line IN LISTS _contexts)
  string(REGEX REPLACE "^msgctxt \"([A-Za-z0-9]+)\"$" "\\1" _name "${_line}")
  string(APPEND _ids "  k${_name},\n")
  string(APPEND _names "    \"${_name}\",\n")
endforeach()
file(WRITE ${_out}/messages.h.new
  "#pragma once\n// Made from catalog/lumavale.pot by cmake/Catalogs.cmake: the id of each message.\n\n"
  "#include <cstdint>\n\nnamespace lumavale::check {\n\nenum class Msg : std::uint16_t {\n  kNone,\n${_ids}  kCount\n};\n\n"
  "// Each id's msgctxt in the catalogs.\ninline constexpr const char* kMessageNames[] = {\n    \"\",\n${_names}};\n\n"
  "}  // namespace lumavale::check\n")

set(_embedded "")
foreach(_file lumavale.pot ${_translations})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_catalogs}/${_file})
  if(_file STREQUAL "lumavale.pot")
    set(_code en)
  else()
    string(REGEX REPLACE "\\.po$" "" _code ${_file})
    string(REPLACE "_" "-" _code ${_code})
  endif()
  file(READ ${_catalogs}/${_file} _text)
  string(FIND "${_text}" ")lumavale_po\"" _clash)
  if(NOT _clash EQUAL -1)
    message(FATAL_ERROR "${_file} holds the text that ends its string in the program: )lumavale_po\"")
  endif()
  string(APPEND _embedded "    {\"${_code}\", R\"lumavale_po(${_text})lumavale_po\"},\n")
endforeach()
file(WRITE ${_out}/catalogs.cpp.new
  "// Made from catalog/*.po by cmake/Catalogs.cmake: every catalog, English first.\n\n"
  "#include \"checker/catalog.h\"\n\n"
  "// A catalog is one string, longer than the least that the standard asks compilers to\n"
  "// take; every compiler that builds this takes it, clang alone says so.\n"
  "#if defined(__clang__)\n#pragma clang diagnostic ignored \"-Woverlength-strings\"\n#endif\n\n"
  "namespace lumavale::check::catalog {\n\n"
  "const Embedded kEmbedded[] = {\n${_embedded}};\nconst std::size_t kEmbeddedCount = std::size(kEmbedded);\n\n"
  "}  // namespace lumavale::check::catalog\n")

# Rewritten only when changed, so that nothing is rebuilt for nothing.
foreach(_made messages.h catalogs.cpp)
  file(COPY_FILE ${_out}/${_made}.new ${_out}/${_made} ONLY_IF_DIFFERENT)
  file(REMOVE ${_out}/${_made}.new)
endforeach()
set(LUMAVALE_CATALOG_SOURCES ${_out}/catalogs.cpp)
# The translations by path, for the tests that hold them to gettext's checks.
list(TRANSFORM _translations PREPEND ${_catalogs}/ OUTPUT_VARIABLE LUMAVALE_TRANSLATIONS)
