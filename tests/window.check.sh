#!/usr/bin/env bash
# The centred start place on screens of other sizes: the window test's
# real-window case, run inside a Wine virtual desktop of each size (one Wine
# environment has one desktop size). Needs the environment started.
#   QQ_BUILD_DIR  build folder holding tests/window/window_test.exe (build/mingw-x64)
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
build="${QQ_BUILD_DIR:-build/mingw-x64}"
exe="$build/tests/window/window_test.exe"
[ -f "$exe" ] || { echo "window.check: $exe missing" >&2; exit 1; }
status=0
for size in 1920x1080 1024x768 1023x768 400x300 401x301; do
  report="$QQ_ENV_DIR/start_place_$size.xml"
  rm -f "$report"
  # explorer gives the program a desktop of that size and ends with it.
  timeout 120 wine explorer "/desktop=qqplace$size,$size" "$(winepath -w "$exe")" \
    --gtest_filter=StartPlace.RealWindowOnThisScreen "--gtest_output=xml:$(winepath -w "$report")" \
    >"$QQ_ENV_DIR/start_place_$size.log" 2>&1
  if [ -f "$report" ] && grep -q 'tests="1" failures="0" disabled="0" errors="0"' "$report" &&
     grep -q "name=\"screen\" value=\"$size\"" "$report"; then
    echo "window.check: $size passed"
  else
    echo "window.check: $size FAILED" >&2
    grep -h -A3 '<failure' "$report" 2>/dev/null | head -8 >&2
    status=1
  fi
done
exit $status
