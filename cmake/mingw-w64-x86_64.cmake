# Cross toolchain: 64-bit Windows programs with MinGW-w64 (x86_64), posix thread model.
# Used only for the test build on a machine that runs no 32-bit code (see
# scripts/build.sh); the utility players get is always built for i686.
# The posix variants carry std::mutex, which GoogleTest needs; -static keeps every
# program free of libstdc++, libgcc and winpthread DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER   x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs every Windows program under Wine. The top-level project replaces this
# with a wrapper that gives Wine the build tree's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
