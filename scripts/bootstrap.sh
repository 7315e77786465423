#!/usr/bin/env bash
# Installs, from Debian's packages only, what building, running and testing the
# utility needs. Safe to run again: it installs only what is missing.
set -euo pipefail

pkgs=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64
  # The exe and the Wine that runs it are 32-bit: without 32-bit OpenGL, Wine's
  # Direct3D lists devices that cannot draw. Mesa renders in software on Xvfb.
  libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
  xvfb xdotool imagemagick x11-utils
  fonts-nanum fonts-ipafont-gothic locales
  git zip unzip python3
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

# install PACKAGE...: installs those not yet installed.
install_missing() {
  local missing=() p
  for p in "$@"; do
    # dpkg-query knows the package only once installed; "install ok installed" means done.
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "bootstrap: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
install_missing "${pkgs[@]}"

# Where the tests are built for x86_64 (a kernel that runs no 32-bit code, see
# win_test_arch in scripts/build.sh), they run under 64-bit Wine, whose
# Direct3D renders with the 64-bit OpenGL.
. "$(dirname "${BASH_SOURCE[0]}")/build.sh"
if [ "$(win_test_arch)" = x86_64 ]; then
  install_missing g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 \
    libgl1 libgl1-mesa-dri libglx-mesa0
fi

# The tests run the dialogs under a Korean, an English and a Japanese locale (the
# utility itself needs none of them: it finds a face with its glyphs on any).
for wanted in ko_KR en_US ja_JP; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8$"; then
    echo "bootstrap: generating the $wanted.UTF-8 locale"
    if [ -f /etc/locale.gen ]; then
      "${sudo_cmd[@]}" sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
      grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
      "${sudo_cmd[@]}" locale-gen >/dev/null
    else
      "${sudo_cmd[@]}" localedef -i "$wanted" -f UTF-8 "$wanted.UTF-8"
    fi
  fi
done
echo "bootstrap: all packages present"
