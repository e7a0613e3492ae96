# fast_float is header-only and comes from Debian's libfast-float-dev. The cross
# compiler must not search /usr/include (glibc's headers live there), so it gets
# a private include folder that holds nothing but fast_float. Targets that parse
# number text link `fast_float`.
find_path(FAST_FLOAT_HEADER_DIR fast_float/fast_float.h
  PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(FAST_FLOAT_INCLUDE_DIR ${CMAKE_BINARY_DIR}/fast_float_include)
file(MAKE_DIRECTORY ${FAST_FLOAT_INCLUDE_DIR})
file(CREATE_LINK ${FAST_FLOAT_HEADER_DIR}/fast_float
  ${FAST_FLOAT_INCLUDE_DIR}/fast_float SYMBOLIC)
add_library(fast_float INTERFACE)
target_include_directories(fast_float SYSTEM INTERFACE ${FAST_FLOAT_INCLUDE_DIR})
