#!/usr/bin/env bash
# The pictures' command run once on the test run's display: eighteen real PNG
# pictures (the four dialogs, the input test, the graphics test's screen and the graphic
# settings with each of its statuses, in Korean and in English), each the size
# of its copy in docs/. A picture of the wrong window or
# of nothing, or a docs/ picture left stale by a change to a dialog, fails here.
# Usage: pictures_e2e.sh <velmora-config.exe> <source root>
set -uo pipefail
exe=$1
root=$2
fail() { echo "FAIL: $*"; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY (scripts/test.sh starts Xvfb)"
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

SHOT_DISPLAY=current bash "$root/scripts/screenshot.sh" --all "$exe" "$shots" ||
  fail "the pictures' command failed"
for name in launcher graphic-settings control-settings input-test calibration graphics-test \
            graphic-settings-confirmed graphic-settings-not-confirmed graphic-settings-failed \
            launcher-en graphic-settings-en control-settings-en input-test-en calibration-en graphics-test-en \
            graphic-settings-confirmed-en graphic-settings-not-confirmed-en graphic-settings-failed-en; do
  shot=$shots/$name.png
  read -r format size colours < <(identify -format '%m %wx%h %k\n' "$shot" 2>/dev/null) ||
    fail "$name.png is not a picture"
  read -r _ expected _ < <(identify -format '%m %wx%h %k\n' "$root/docs/$name.png")
  [ "$format" = PNG ] || fail "$name.png is $format, not PNG"
  [ "$size" = "$expected" ] ||
    fail "$name.png is $size but docs/$name.png is $expected: run the pictures' command for docs/"
  # A drawn dialog has texts, frames and a caption: many colours, not a flat fill.
  [ "$colours" -ge 16 ] || fail "$name.png has only $colours colours"
  changed=$(compare -metric AE "$shot" "$root/docs/$name.png" null: 2>&1 || true)
  echo "PASS: $name.png, PNG $size, $colours colours ($changed pixels differ from docs/)"
done
