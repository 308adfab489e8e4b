#!/usr/bin/env bash
# Builds and runs the micro benchmark of the share link's text routines on
# the host (-O2, no sanitizers) into build/bench/.
#   bench/micro.sh [part of a case name: only those cases]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build/bench"
mkdir -p "$out"
host=$(sed -n 's/^set(QQSHARE_SHARE_HOST "\([^"]*\)".*/\1/p' "$root/CMakeLists.txt")
"${CXX:-g++}" -std=c++17 -O2 -DNDEBUG -I"$root" "-DQQSHARE_SHARE_HOST=\"$host\"" \
  "$root/bench/micro.cpp" "$root/share/share_link.cpp" "$root/runtime/text_memory.cpp" \
  "$root/runtime/fatal_error.cpp" "$root/runtime/exit_routines.cpp" "$root/runtime/host/platform_host.cpp" \
  -o "$out/micro"
echo "host: $(uname -m), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //')"
echo "compiler: $("${CXX:-g++}" --version | head -1), -O2"
"$out/micro" "$@"
