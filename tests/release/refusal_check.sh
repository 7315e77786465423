#!/usr/bin/env bash
# release.sh, in a clone of the current commit, refuses staged, untracked and
# unstaged changes (exit code 1, its message, dist/ as it was). The clone's
# VERSION is changed behind git's back, so a run that gets past the refusal
# stops at once on VERSION instead of building a release.
# Usage: refusal_check.sh <source root>
set -uo pipefail
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
clone=$work/velmora
git clone -q "$1" "$clone" && git -C "$clone" checkout -q "$(git -C "$1" rev-parse HEAD)" || fail "cannot clone $1"
git -C "$clone" update-index --skip-worktree VERSION
echo "not a version" >"$clone/VERSION"
mkdir "$clone/dist" && echo kept >"$clone/dist/kept"
check() {  # check CASE MESSAGE
  (cd "$clone" && bash scripts/release.sh) >"$work/out" 2>&1
  local code=$?
  [ "$code" -eq 1 ] && grep -q "$2" "$work/out" || fail "$1: exit code $code, not 1 with '$2': $(cat "$work/out")"
  [ "$(ls -A "$clone/dist")$(cat "$clone/dist/kept")" = keptkept ] || fail "$1: dist/ changed"
  git -C "$clone" reset -q --hard && git -C "$clone" clean -qfd
  echo "PASS: $1"
}
check "a clean tree gets past the refusal" "VERSION must hold four numbers"
echo change >>"$clone/README.md" && git -C "$clone" add README.md
check "a staged change" "uncommitted changes"
echo new >"$clone/untracked.txt"
check "an untracked file" "uncommitted changes"
echo change >>"$clone/README.md"
check "an unstaged change" "uncommitted changes"
