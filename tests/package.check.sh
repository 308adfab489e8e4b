#!/usr/bin/env bash
# The release zips: each holds exactly the exe of its build and the README,
# and the x86-64 exe taken out of its zip starts and shares.
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "package.check: $1" >&2; exit 1; }

for build in mingw-x64:win64 mingw-x86:win32; do
  dir="build/${build%%:*}"
  zip="$dir/qqshare-1.0.0-${build##*:}.zip"
  cmake --build "$dir" --target package >"$dir/package.log" 2>&1 || fail "packaging $dir failed"
  [ -f "$zip" ] || fail "no $zip"
  names=$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')
  [ "$names" = "README.txt qqshare.exe " ] || fail "$zip holds: $names"
  unzip -p "$zip" qqshare.exe | cmp -s - "$dir/qqshare.exe" || fail "$zip holds another exe than $dir"
  unzip -p "$zip" README.txt | grep -q '打开' || fail "$zip: README without its Chinese part"
  echo "package.check: $zip: $names"
done

# Started from the zip's contents alone, in a folder of its own.
source scripts/wine-env.sh
unpacked="build/package-check"
rm -rf "$unpacked" && mkdir -p "$unpacked"
unzip -q build/mingw-x64/qqshare-1.0.0-win64.zip -d "$unpacked"
: >"$QQ_RECORDER_LOG"
wine build/mingw-x64/tests/e2e/qqshare_demo.exe "$(winepath -w "$unpacked/qqshare.exe")" \
  "$(winepath -w "$unpacked/picture.bmp")" >"$unpacked/demo.log" 2>&1 || fail "the unpacked exe did not run: $(cat "$unpacked/demo.log")"
grep -q '^http://.*/widget/shareqq/index.html?url=http%3A%2F%2F' "$QQ_RECORDER_LOG" || fail "the unpacked exe handed no link"
echo "package.check: the unpacked exe starts and shares"
