# Sourced: configures and builds the Windows build (and, with `host`, the host
# build first). Sets WIN_BUILD and HOST_BUILD.
ROOT=${ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
BUILD_ROOT=${BUILD_ROOT:-$ROOT/build}
HOST_BUILD=$BUILD_ROOT/host
WIN_BUILD=$BUILD_ROOT/win

# configure_tree DIR [CMAKE OPTION...]: configures the build tree DIR for Ninja,
# whose builds cost less processor time than make's (the release build: 15 s
# against 18 s). A tree that make built before is emptied, all but its Wine
# prefixes.
configure_tree() {
  local dir=$1
  shift
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$dir/CMakeCache.txt"; then
    find "$dir" -mindepth 1 -maxdepth 1 ! -name 'wineprefix*' -exec rm -rf {} +
  fi
  cmake -G Ninja -S "$ROOT" -B "$dir" "$@" >/dev/null
}
build_host() {
  configure_tree "$HOST_BUILD" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
                 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=ON
  cmake --build "$HOST_BUILD" -j2
}
# The processor of the tests' Windows build. The utility is a 32-bit program and
# the tests run it under 32-bit Wine. A machine whose kernel runs no 32-bit code
# at all (IA-32 emulation turned off: every i386 program, Wine's own loader
# included, fails with "Exec format error") can run none of it; there the tests'
# tree is built from the same sources for x86_64 and run under 64-bit Wine, and
# the scripts say so. VELMORA_WIN_ARCH=i686 or x86_64 chooses by hand. The
# release is 32-bit whatever this says (release.sh).
win_test_arch() {
  if [ -n "${VELMORA_WIN_ARCH:-}" ]; then
    echo "$VELMORA_WIN_ARCH"
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo i686
  else
    echo x86_64
  fi
}
# The Wine prefix kind for a build tree of that processor.
wine_arch_of() { if [ "$1" = x86_64 ]; then echo win64; else echo win32; fi; }

# configure_win DIR [CMAKE OPTION...]: configures a Windows build tree for
# $WIN_ARCH (i686 unless set). The tested build and the release build both come
# from here, so the exe in a release is compiled and linked exactly as the one
# the tests ran.
configure_win() {
  local dir=$1
  shift
  configure_tree "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-${WIN_ARCH:-i686}.cmake" \
                 -DCMAKE_BUILD_TYPE=Release "$@"
}
build_win() {
  WIN_ARCH=$(win_test_arch)
  if [ "$WIN_ARCH" != i686 ]; then
    echo "build: this machine runs no 32-bit programs; the tests' Windows build is $WIN_ARCH, run under 64-bit Wine" >&2
  fi
  local extra=()
  [ "${1:-}" = with-host ] && extra=(-DVELMORA_HOST_BUILD="$HOST_BUILD")
  configure_win "$WIN_BUILD" "${extra[@]}"
  cmake --build "$WIN_BUILD" -j2
}
# prepare_wine_prefix [desktop]
# Makes the Wine prefix on first use (that takes a while) and starts Wine's own
# background processes (services, the desktop) now, with their output going
# nowhere: started by a test program instead, they would inherit its output pipe
# and ctest would wait for them until the test timed out.
# Without an argument the prefix is set for a display with no window manager
# (the tests', benchmarks' and screenshots' Xvfb); `desktop` sets it back for a
# player's desktop, whose manager must frame, move and focus the windows.
prepare_wine_prefix() {
  if [ ! -f "${WINEPREFIX:-$WIN_BUILD/wineprefix}/system.reg" ]; then
    echo "preparing the Wine prefix (first time only)..."
  fi
  "$WIN_BUILD/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
  # The settings below go in with one Wine process (each costs a start):
  # - a test program that faults prints Wine's backtrace and fails at once,
  #   instead of waiting on a crash dialog nobody can see until its timeout;
  # - Wine's Direct3D renders with OpenGL, as on a player's machine: a renderer
  #   setting left by an interrupted no3d end-to-end test goes;
  # - Wine hands a managed window to the window manager and, when it closes,
  #   waits about 2 s for the manager to withdraw it: on a bare Xvfb nobody
  #   does, and every closed dialog of a test cost that wait. Unmanaged, Wine
  #   frames, places and focuses the windows itself and closes them at once.
  local managed='"N"' settings
  [ "${1:-}" = desktop ] && managed=-
  settings=$(mktemp "${TMPDIR:-/tmp}/velmora-prefix.XXXXXX")
  printf '%s\r\n' REGEDIT4 '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Direct3D]' '"renderer"=-' '' \
    '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' "\"Managed\"=$managed" >"$settings"
  # Wine shows the Linux file system as drive Z:.
  "$WIN_BUILD/wine-run.sh" reg import "Z:${settings//\//\\}" </dev/null >/dev/null 2>&1 || true
  rm -f "$settings"
}
