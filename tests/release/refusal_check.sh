#!/usr/bin/env bash
# release.sh refuses a work tree with changes it would not release: staged,
# untracked or unstaged. Each case runs it in a clone of the current commit and
# expects exit code 1 with its message and dist/ as it was. The refusal comes
# before anything is installed or built; should a case get past it, VERSION
# (changed behind git's back) stops it at once with another message, so this
# check never builds a release.
# Usage: refusal_check.sh <source root>
set -uo pipefail
root=$1
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clone=$work/velmora
git clone -q "$root" "$clone" && git -C "$clone" checkout -q "$(git -C "$root" rev-parse HEAD)" ||
  fail "cannot clone $root"
git -C "$clone" update-index --skip-worktree VERSION
echo "not a version" >"$clone/VERSION"
mkdir "$clone/dist"
echo "an earlier release" >"$clone/dist/kept"

refused="the work tree has uncommitted changes"
check() {  # check NAME EXPECTED_MESSAGE
  (cd "$clone" && bash scripts/release.sh) >"$work/out" 2>&1
  local code=$?
  [ "$code" -eq 1 ] && grep -q "$2" "$work/out" ||
    fail "$1: exit code $code, expected 1 and '$2': $(cat "$work/out")"
  [ "$(ls -A "$clone/dist")" = kept ] && [ "$(cat "$clone/dist/kept")" = "an earlier release" ] ||
    fail "$1: dist/ changed: $(ls -A "$clone/dist")"
  git -C "$clone" reset -q --hard && git -C "$clone" clean -qfd -e dist
  echo "PASS: $1"
}
# The clean clone gets past the check, to VERSION: no other change trips it.
check "a clean tree" "VERSION must hold four numbers"
echo change >>"$clone/README.md" && git -C "$clone" add README.md
check "a staged change" "$refused"
echo new >"$clone/untracked.txt"
check "an untracked file" "$refused"
echo change >>"$clone/README.md"
check "an unstaged change" "$refused"
