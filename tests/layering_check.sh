#!/usr/bin/env bash
# The folders are layers: settings/ at the bottom, then program/, then graphics/
# and controls/ side by side, then report/, with launcher/ on top. A file may
# include only its own folder, the folders below it and resources/ (the control
# ids); nothing but launcher/ and its tests includes launcher/. And no product
# file is named like a test: a name ending in _test or _tests is one, to
# newcomers and their tools alike.
# Usage: layering_check.sh <source root>
set -euo pipefail
cd "$1"
allowed_for() {
  case $1 in
    settings) echo "settings" ;;
    program) echo "program settings resources" ;;
    graphics) echo "graphics program settings resources" ;;
    controls) echo "controls program settings resources" ;;
    report) echo "report graphics controls program settings resources" ;;
    launcher) echo "launcher report graphics controls program settings resources" ;;
  esac
}
status=0
for folder in settings program graphics controls report launcher; do
  allowed=" $(allowed_for "$folder") "
  while IFS=: read -r file included; do
    top=${included%%/*}
    if [[ "$allowed" != *" $top "* ]]; then
      echo "FAIL: $file includes $included; $folder/ may include only:$allowed"
      status=1
    fi
  done < <(grep -Ho '#include "[a-z_]*/[^"]*"' "$folder"/*.cpp "$folder"/*.h 2>/dev/null |
           sed 's/#include "\(.*\)"/\1/')
done
while IFS= read -r file; do
  echo "FAIL: $file includes launcher/, which only the launcher's own tests may"
  status=1
done < <(grep -rl '#include "launcher/' tests --include=*.cpp --include=*.h | grep -v '^tests/launcher/' || true)
while IFS= read -r file; do
  echo "FAIL: $file is named like a test, but it is product code"
  status=1
done < <(find settings program graphics controls report launcher resources \
           -regex '.*_tests?\.[^/]*' || true)
[ $status -eq 0 ] && echo "PASS: every include points down the layers, no product file is named like a test"
exit $status
