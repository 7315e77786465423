#!/usr/bin/env bash
# The players' zip holds exactly its folder with the exe and the three texts,
# each text UTF-8 with a byte-order mark and CR LF line ends, the guides carry
# the version, and SHA256SUMS checks out against the zip and its exe.
# Usage: zip_check.sh <dist made by release.sh> <source root>
set -uo pipefail
dist=$1
fail() { echo "FAIL: $*"; exit 1; }
version=$(git -C "$2" show HEAD:VERSION | head -n 1) || fail "no VERSION in $2"
name=velmora-config-$version
zip=$dist/$name.zip
[ -f "$zip" ] || fail "no $zip"

expected=$(printf '%s\n' "$name/" "$name/README-en.txt" "$name/README-ko.txt" \
                         "$name/settings-files.txt" "$name/velmora-config.exe")
actual=$(unzip -Z1 "$zip")
[ "$actual" = "$expected" ] || fail "the zip holds:"$'\n'"$actual"$'\n'"expected:"$'\n'"$expected"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked" || fail "the zip does not unpack"
cmp "$unpacked/$name/velmora-config.exe" "$dist/$name/velmora-config.exe" ||
  fail "the zip's exe is not the one SHA256SUMS names"
for text in README-ko.txt README-en.txt settings-files.txt; do
  file=$unpacked/$name/$text
  [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "$text has no UTF-8 BOM"
  iconv -f UTF-8 -t UTF-8 "$file" >/dev/null 2>&1 || fail "$text is not UTF-8"
  lf=$(tr -cd '\n' <"$file" | wc -c)
  cr=$(tr -cd '\r' <"$file" | wc -c)
  crlf=$(grep -c $'\r$' "$file")
  [ "$lf" -gt 0 ] && [ "$cr" -eq "$lf" ] && [ "$crlf" -eq "$lf" ] ||
    fail "$text: $lf LF, $cr CR, $crlf CR LF: not CR LF throughout"
  [ "$(tail -c 2 "$file" | od -An -tx1 | tr -d ' ')" = 0d0a ] || fail "$text does not end in CR LF"
  ! grep -q -e '@VERSION@' -e '^```' -e '^|' "$file" || fail "$text holds an unfilled or Markdown line"
done
for guide in README-ko.txt README-en.txt; do
  grep -q "Velmora Config $version"$'\r$' "$unpacked/$name/$guide" || fail "$guide does not name $version"
done
(cd "$dist" && sha256sum -c SHA256SUMS) || fail "sha256sum -c SHA256SUMS fails in $dist"
echo "PASS: $name.zip holds the exe and three UTF-8 texts with BOM and CR LF; SHA256SUMS checks out"
