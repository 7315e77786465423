# Shared by the two cross toolchain files, which set VELMORA_MINGW_PROCESSOR
# (i686 or x86_64) before including it: Windows programs with MinGW-w64, posix
# thread model. The posix variants carry std::mutex, which GoogleTest needs;
# -static keeps every program free of libstdc++, libgcc and winpthread DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VELMORA_MINGW_PROCESSOR})

set(CMAKE_C_COMPILER   ${VELMORA_MINGW_PROCESSOR}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_PROCESSOR}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${VELMORA_MINGW_PROCESSOR}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# ctest runs every Windows program under Wine. The top-level project replaces this
# with a wrapper that gives Wine the build tree's own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
