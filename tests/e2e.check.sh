#!/usr/bin/env bash
# ./run without a display: the demonstration must hand the browser the
# sample's link and leave a picture of the whole window.
set -uo pipefail
cd "$(dirname "$0")/.."

# An environment of its own, apart from the one the other tests use.
out=$(env -u DISPLAY QQ_ENV=run QQ_DISPLAY=89 ./run 2>&1)
rc=$?
printf '%s\n' "$out" | sed 's/^/  /'
fail() { echo "e2e.check: $1" >&2; exit 1; }
[ "$rc" = 0 ] || fail "./run exited with $rc"

host=$(sed -n 's/^set(QQSHARE_SHARE_HOST "\([^"]*\)".*/\1/p' CMakeLists.txt)
expected="http://$host/widget/shareqq/index.html?url=http%3A%2F%2Fexample.com/article.html&title=周末读书会&summary=一起读一本好书&desc=推荐!%5E_%5E&site=discuz%7C&style=103&width=50&height=16"
printf '%s\n' "$out" | grep -qxF "$expected" || fail "the browser was not handed the sample's link"

[ -f build/qqshare.png ] || fail "no build/qqshare.png"
size=$(identify -format '%wx%h' build/qqshare.png 2>/dev/null)
[ "$size" = 430x364 ] || fail "the picture is $size, not the window's 430x364"
echo "e2e.check: ./run demonstration passed"
