#!/usr/bin/env bash
# Two clones of the current commit, in two unlike directories, each run
# release.sh: their zips and exes must be the same bytes. With a clean work tree
# the released exe must also be the exe this build tested. One clone's dist/ is
# kept in <out> for the check of the zip's contents.
# Usage: reproducible_check.sh <source root> <tested velmora-config.exe> <out>
set -uo pipefail
root=$1
tested=$2
out=$3
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

commit=$(git -C "$root" rev-parse HEAD) || fail "$root is not a git work tree"
version=$(git -C "$root" show HEAD:VERSION | head -n 1)
name=velmora-config-$version
one=$work/a/velmora
two=$work/second-clone/in/a/longer/path/velmora-config
for clone in "$one" "$two"; do
  git clone -q "$root" "$clone" && git -C "$clone" checkout -q "$commit" ||
    fail "cannot clone $commit into $clone"
  if ! (cd "$clone" && bash scripts/release.sh) >"$clone.log" 2>&1; then
    cat "$clone.log"
    fail "release.sh failed in $clone"
  fi
done

for file in "$name.zip" "$name/velmora-config.exe" SHA256SUMS; do
  cmp "$one/dist/$file" "$two/dist/$file" || fail "$file differs between the two builds"
done
echo "PASS: the two clones' $name.zip and exe are the same bytes"
sha256sum "$one/dist/$name/velmora-config.exe" "$two/dist/$name/velmora-config.exe"

if ! i686-w64-mingw32-objdump -f "$tested" 2>/dev/null | grep -q 'file format pei-i386'; then
  echo "NOTE: the tests ran a 64-bit build of the sources (this machine runs no 32-bit" \
       "code); the released 32-bit exe is not compared with it"
elif [ -n "$(git -C "$root" status --porcelain)" ]; then
  echo "NOTE: the work tree has uncommitted changes, which the tested exe was built from;" \
       "it is not compared with the release of $commit"
else
  cmp "$tested" "$one/dist/$name/velmora-config.exe" ||
    fail "the released exe is not the exe the tests ran ($tested)"
  echo "PASS: the released exe is the exe the tests ran"
fi
rm -rf "$out"
cp -a "$one/dist" "$out"
