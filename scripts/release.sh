#!/usr/bin/env bash
# Makes the players' release of the committed sources:
#   dist/velmora-config-<version>.zip   the folder velmora-config-<version>/ with
#                                       velmora-config.exe, README-ko.txt,
#                                       README-en.txt and settings-files.txt
#   dist/velmora-config-<version>/      the same folder unpacked
#   dist/SHA256SUMS                     the zip's and the exe's checksums
#                                       (cd dist && sha256sum -c SHA256SUMS)
# <version> comes from the file VERSION. The exe is built in build/release with
# the flags of the tested build; the zip's entries carry the commit's time, a
# fixed order and fixed modes, so the same commit gives the same bytes anywhere.
#
# Usage: release.sh [--dirty]
#   --dirty  build from a work tree with uncommitted changes; the version in the
#            names ends in -dirty and the result is not reproducible.
# It writes nothing outside dist/ and build/release, and a failed step leaves
# no new zip in dist/.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
REL=$ROOT/build/release
DIST=$ROOT/dist

allow_dirty=0
for arg in "$@"; do
  case $arg in
    --dirty) allow_dirty=1 ;;
    -h | --help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "release: unknown option '$arg' (usage: release.sh [--dirty])" >&2; exit 2 ;;
  esac
done

step_name=""
temporaries=()
finish() {
  local code=$?
  # Only the temporary names this run made in dist/.
  if [ ${#temporaries[@]} -gt 0 ]; then rm -rf "${temporaries[@]}"; fi
  if [ "$code" -ne 0 ] && [ -n "$step_name" ]; then
    echo "release: FAILED at step '$step_name' (exit code $code); no new zip was put in dist/" >&2
  fi
}
trap finish EXIT
step() {
  step_name=$1
  echo "== release: $1"
}

# Refused before anything is installed or built: one line, no step.
if ! git -C "$ROOT" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "release: $ROOT is not a git work tree; a release is made from a commit" >&2
  exit 1
fi
dirty=0
[ -z "$(git -C "$ROOT" status --porcelain --untracked-files=normal)" ] || dirty=1
if [ $dirty -eq 1 ] && [ $allow_dirty -eq 0 ]; then
  echo "release: the work tree has uncommitted changes; commit them, or run 'release.sh --dirty' for a build that is not reproducible" >&2
  exit 1
fi

version=$(head -n 1 "$ROOT/VERSION")
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "release: VERSION must hold four numbers like 1.0.2.2, not '$version'" >&2
  exit 1
fi
commit=$(git -C "$ROOT" rev-parse HEAD)
if [ $dirty -eq 1 ]; then
  label=$version-dirty
  # The files are not the commit's, so neither is their time.
  epoch=$(date +%s)
else
  label=$version
  epoch=$(git -C "$ROOT" log -1 --format=%ct)
fi
# Only the zip's entries take this time. It is not exported as SOURCE_DATE_EPOCH:
# the exe is built in the tested build's environment, and needs no time.
name=velmora-config-$label

step "installing what is missing"
bash "$ROOT/scripts/bootstrap.sh"

step "configuring build/release"
# The release tree is built afresh, so nothing of an earlier build can slip in.
rm -rf "$REL"
. "$ROOT/scripts/build.sh"
# Players get the 32-bit program, whatever the tests ran here.
WIN_ARCH=i686 configure_win "$REL"

step "building velmora-config.exe"
cmake --build "$REL" -j2 --target velmora-config
exe=$REL/velmora-config.exe

step "checking the exe (imports, size, version record)"
bash "$ROOT/tests/launcher/check_exe.sh" "$exe"
# The fixed part of the version record follows its signature 0xFEEF04BD, after
# the record's key L"VS_VERSION_INFO" (the signature's bytes also occur in the
# code that reads the record at run time): after the structure version, the
# file version as two words, minor before major and tweak before patch.
key=$(LC_ALL=C grep -obUaP 'V\x00S\x00_\x00V\x00E\x00R\x00S\x00I\x00O\x00N\x00_\x00I\x00N\x00F\x00O\x00' "$exe" |
      cut -d: -f1 | sed -n 1p || true)
[ -n "$key" ] || { echo "no version record in $exe" >&2; false; }
offset=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$exe" | cut -d: -f1 |
         awk -v key="$key" '$1 > key && found == "" {found = $1} END {print found}' || true)
[ -n "$offset" ] || { echo "no version record in $exe" >&2; false; }
record=$(od -An -tu2 -j $((offset + 8)) -N 8 "$exe" | awk '{print $2 "." $1 "." $4 "." $3}')
if [ "$record" != "$version" ]; then
  echo "the exe's version record says $record, VERSION says $version" >&2
  false
fi
echo "version record: $record"

step "writing the guides and settings-files.txt"
stage=$REL/stage
folder=$stage/$name
mkdir -p "$folder"
cp "$exe" "$folder/velmora-config.exe"
python3 "$ROOT/scripts/release_text.py" guide "$label" "$ROOT/docs/guide/README-ko.txt.in" \
  "$folder/README-ko.txt"
python3 "$ROOT/scripts/release_text.py" guide "$label" "$ROOT/docs/guide/README-en.txt.in" \
  "$folder/README-en.txt"
python3 "$ROOT/scripts/release_text.py" markdown "$label" "$ROOT/docs/settings-files.md" \
  "$folder/settings-files.txt"

step "packing $name.zip"
# Fixed modes and times (the commit's, in UTC: zip keeps local time), entries in
# byte order, and no extra fields (-X) that would carry the owner or other times.
chmod 0755 "$folder"
chmod 0644 "$folder"/*
TZ=UTC touch -h -d "@$epoch" "$folder"/* "$folder"
(
  cd "$stage"
  mapfile -t entries < <(cd "$stage" && find "$name" -type f | LC_ALL=C sort)
  TZ=UTC zip -X -9 -q "$name.zip" "$name/" "${entries[@]}"
)

step "writing SHA256SUMS"
(cd "$stage" && sha256sum "$name.zip" "$name/velmora-config.exe" >SHA256SUMS)

step "putting the release into dist/"
mkdir -p "$DIST"
temporaries=("$DIST/.$name.zip.tmp" "$DIST/.$name.tmp" "$DIST/.SHA256SUMS.tmp")
cp "$stage/$name.zip" "$DIST/.$name.zip.tmp"
cp -a "$folder" "$DIST/.$name.tmp"
cp "$stage/SHA256SUMS" "$DIST/.SHA256SUMS.tmp"
# The zip comes last: while it is missing, this release is not in dist/.
rm -f "$DIST/$name.zip"
rm -rf "${DIST:?}/$name"
mv "$DIST/.$name.tmp" "$DIST/$name"
mv "$DIST/.SHA256SUMS.tmp" "$DIST/SHA256SUMS"
mv "$DIST/.$name.zip.tmp" "$DIST/$name.zip"
temporaries=()
step_name=""

echo
echo "release $label of commit $commit:"
echo "  $DIST/$name.zip ($(stat -c %s "$DIST/$name.zip") bytes)"
echo "  exe: $(stat -c %s "$DIST/$name/velmora-config.exe") bytes"
sed 's/^/  /' "$DIST/SHA256SUMS"
if [ $dirty -eq 1 ]; then
  echo "built from a work tree with uncommitted changes: NOT reproducible"
else
  echo "reproducible: the same commit gives these bytes in any clone (check: cd dist && sha256sum -c SHA256SUMS)"
fi
