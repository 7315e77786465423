# Cross toolchain: 64-bit Windows programs, used only for the tests' build on a
# machine that runs no 32-bit code (see scripts/build.sh); the utility players
# get is always built for i686.
set(VELMORA_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
