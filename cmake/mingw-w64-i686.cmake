# Cross toolchain: the utility, a 32-bit Windows program, and its tests.
set(VELMORA_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
