#!/usr/bin/env bash
# Installs what is missing, builds velmora-config.exe and starts it under Wine.
# With no display (DISPLAY unset) it runs on a private Xvfb, saves a screenshot of
# the launcher, closes it and says where the picture is.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
bash "$ROOT/scripts/bootstrap.sh"
. "$ROOT/scripts/build.sh"
build_win >/dev/null
exe="$WIN_BUILD/velmora-config.exe"
echo "built $exe"

if [ -n "${DISPLAY:-}" ]; then
  # The same prefix as the tests: hand the windows back to the desktop's manager.
  prepare_wine_prefix desktop
  echo "starting the utility; its settings go to $WIN_BUILD/config"
  # The Korean interface, unless VELMORA_LOCALE names another locale (any but a
  # Korean one shows the English interface).
  locale=${VELMORA_LOCALE:-ko_KR.UTF-8}
  exec env LANG="$locale" LC_ALL="$locale" "$WIN_BUILD/wine-run.sh" "$exe"
fi

shot=${SCREENSHOT:-$WIN_BUILD/launcher.png}
exec bash "$ROOT/scripts/screenshot.sh" "$exe" "$shot"
