#!/usr/bin/env bash
# Installs, from Debian's packages only, what building, running and testing the
# utility needs. Safe to run again: it installs only what is missing.
set -euo pipefail

pkgs=(
  cmake make g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xdotool imagemagick x11-utils
  fonts-nanum fonts-ipafont-gothic locales
  git zip unzip python3
)

missing=()
for p in "${pkgs[@]}"; do
  # dpkg-query knows the package only once installed; "install ok installed" means done.
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The readable-texts test runs the dialogs under a Korean and an English locale
# (the utility itself needs neither: it finds a face with Hangul on any locale).
for wanted in ko_KR en_US; do
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
