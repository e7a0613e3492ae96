# Strict warnings everywhere; errors when CI is set.
add_compile_options(
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wcast-align -Wold-style-cast -Wnull-dereference -Wdouble-promotion
  -Wformat=2 -Wundef)
if(DEFINED ENV{CI} AND NOT "$ENV{CI}" STREQUAL "" AND NOT "$ENV{CI}" STREQUAL "false")
  add_compile_options(-Werror)
endif()
