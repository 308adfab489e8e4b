#!/usr/bin/env bash
# Start-up benchmark: qqshare.exe against the floor program (the same window
# written straight against Win32), started alternately under Wine on the
# virtual desktop by a Windows-side launcher. Prints the medians and ratios of
# start to visible, start to exit after WM_CLOSE and peak working set, and
# the exe sizes.
#   bench/startup.sh [runs, default 21]
# Uses its own build folders (build/bench-x64, build/bench-x86, build/bench)
# and Wine environment (QQ_ENV, default "bench", display :95).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
runs="${1:-21}"
out=build/bench
mkdir -p "$out"

# Configured once, brought up to date every time (the exe measured is the tree's).
for arch in x64 x86; do
  if [ ! -f "build/bench-$arch/CMakeCache.txt" ]; then
    echo "startup: configuring the mingw-$arch preset into build/bench-$arch" >&2
    cmake --preset "mingw-$arch" -B "build/bench-$arch" >"$out/build-$arch.log" 2>&1 ||
      { tail -30 "$out/build-$arch.log" >&2; exit 1; }
  fi
  cmake --build "build/bench-$arch" --target qqshare -j2 >>"$out/build-$arch.log" 2>&1 ||
    { tail -30 "$out/build-$arch.log" >&2; exit 1; }
done

# The floor with the exe's own flags; the launcher small and static.
flags=(-Os -static -s -ffunction-sections -fdata-sections -Wl,--gc-sections)
x86_64-w64-mingw32-g++-posix "${flags[@]}" -mwindows bench/floor/floor.cpp -o "$out/floor.exe"
i686-w64-mingw32-g++-posix "${flags[@]}" -mwindows bench/floor/floor.cpp -o "$out/floor-x86.exe"
x86_64-w64-mingw32-g++-posix -O2 -static -s bench/launcher.cpp -o "$out/launcher.exe" -lpsapi

export QQ_ENV="${QQ_ENV:-bench}" QQ_DISPLAY="${QQ_DISPLAY:-95}"
source scripts/wine-env.sh
wine_env_start >/dev/null 2>&1
trap wine_env_stop EXIT

program=$(winepath -w "$root/build/bench-x64/qqshare.exe" 2>/dev/null)
floor=$(winepath -w "$root/$out/floor.exe" 2>/dev/null)
# One warm-up start of each so the first measured one is not the prefix's first.
wine "$out/launcher.exe" 1 "$program" "$floor" >/dev/null 2>&1 || true
wine "$out/launcher.exe" "$runs" "$program" "$floor" | tr -d '\r'

size() { stat -c %s "$1"; }
echo
printf '%-34s %12s %12s %8s\n' "exe size (bytes)" qqshare floor ratio
for arch in x64 x86; do
  floor="$out/floor.exe"; [ "$arch" = x86 ] && floor="$out/floor-x86.exe"
  q=$(size "build/bench-$arch/qqshare.exe") f=$(size "$floor")
  printf '%-34s %12d %12d %8s\n' "  $arch" "$q" "$f" "$(awk -v a="$q" -v b="$f" 'BEGIN{printf "%.2f", a/b}')"
done
