# What both images of the release share, the plug-in and the settings check.
#
# Compiled without exceptions, RTTI or unwind tables, each function and datum in a
# section of its own so that the linker drops what is unused, and with double
# arithmetic in SSE2 registers: number reading relies on exact double rounding.
set(LUMAVALE_IMAGE_COMPILE_FLAGS
  -fno-exceptions -fno-rtti
  -fno-asynchronous-unwind-tables -fno-unwind-tables
  -ffunction-sections -fdata-sections
  -msse2 -mfpmath=sse)

# Loadable at any base and never executing data. Neither registers a structured
# exception handler, and the image says so: analysers flag a 32-bit image that
# neither says so nor lists its safe handlers. No time stamp or build id, so that the
# same source gives the same file.
set(LUMAVALE_IMAGE_LINK_FLAGS
  -Wl,--gc-sections
  -Wl,--dynamicbase -Wl,--nxcompat
  -Wl,--no-seh
  -Wl,--no-insert-timestamp
  -Wl,--build-id=none
  -s)
