#!/usr/bin/env bash
# Builds the fuzz targets (clang libFuzzer, ASan+UBSan) into build/fuzz/,
# replays every saved regression input, then fuzzes each target for a bounded
# time. Fails on any crash, leak, sanitizer report or failed check.
#   tests/fuzz/run.sh [seconds per target, default 30]
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
seconds="${1:-30}"
out="$root/build/fuzz"
mkdir -p "$out"

cxx="${FUZZ_CXX:-clang++}"
host=$(sed -n 's/^set(QQSHARE_SHARE_HOST "\([^"]*\)".*/\1/p' "$root/CMakeLists.txt")
[ -n "$host" ] || { echo "fuzz: cannot find the share host in CMakeLists.txt" >&2; exit 1; }

# Handler names the test forms bind, so those forms read as seeds.
{
  cat "$root"/tests/*/forms/*.form 2>/dev/null |
    sed -n 's/^[[:space:]]*on[[:space:]]\+[A-Za-z]\+[[:space:]]\+\([A-Za-z_][A-Za-z0-9_]*\)[[:space:]]*$/\1/p' |
    sort -u | sed 's/.*/"&",/'
} >"$out/handler_names.inc.new"
cmp -s "$out/handler_names.inc.new" "$out/handler_names.inc" 2>/dev/null ||
  mv "$out/handler_names.inc.new" "$out/handler_names.inc"
rm -f "$out/handler_names.inc.new"

flags=(-std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -fno-omit-frame-pointer -I"$root" -I"$out" "-DQQSHARE_SHARE_HOST=\"$host\"")
portable=("$root/runtime/text_memory.cpp" "$root/runtime/fatal_error.cpp"
          "$root/runtime/exit_routines.cpp" "$root/runtime/host/platform_host.cpp")

build() {  # name sources...
  local name="$1"; shift
  echo "fuzz: building $name"
  if ! "$cxx" "${flags[@]}" "$@" -o "$out/$name" 2>"$out/$name.build.log"; then
    cat "$out/$name.build.log" >&2
    echo "fuzz: building $name failed" >&2
    exit 1
  fi
}
build form_fuzzer "$here/form_fuzzer.cpp" "$root/runtime/form_reader.cpp" "$root/runtime/settings.cpp" \
  "${portable[@]}"
build share_link_fuzzer "$here/share_link_fuzzer.cpp" "$root/share/share_link.cpp" "${portable[@]}"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
summary=()

replay() {  # target regressions-dir
  local files=()
  [ -d "$2" ] && mapfile -t files < <(find "$2" -type f ! -name "*.md" | sort)
  [ "${#files[@]}" -gt 0 ] || return 0
  if "$out/$1" -runs=1 "${files[@]}" >"$out/$1.replay.log" 2>&1; then
    summary+=("$1: ${#files[@]} regression input(s) pass")
  else
    tail -40 "$out/$1.replay.log" >&2
    summary+=("$1: REGRESSION FAILED (see $out/$1.replay.log)")
    status=1
  fi
}

fuzz() {  # target max_len seeds-and-options...
  local target="$1" maxlen="$2"; shift 2
  local work="$out/corpus-$target" artifacts="$out/artifacts/$target/"
  mkdir -p "$work" "$artifacts"
  local log="$out/$target.log"
  echo "fuzz: $target for ${seconds}s"
  "$out/$target" -max_total_time="$seconds" -max_len="$maxlen" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts" "$work" "$@" >"$log" 2>&1
  local rc=$?
  local runs secs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  secs=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -1)
  if [ "$rc" = 0 ]; then
    summary+=("$target: ${runs:-?} runs in ${secs:-$seconds} s, no fault, corpus $(ls "$work" | wc -l) inputs")
  else
    grep -m1 -E 'ERROR: |runtime error|fuzzer: ' "$log" >&2
    tail -30 "$log" >&2
    summary+=("$target: FAULT after ${runs:-?} runs; input in $artifacts (log $log)")
    status=1
  fi
}

replay form_fuzzer "$here/regressions/form"
replay share_link_fuzzer "$here/regressions/share_link"

form_seeds=("$here/corpus/form")
for dir in "$root"/tests/*/forms; do [ -d "$dir" ] && form_seeds+=("$dir"); done
fuzz form_fuzzer 16384 -dict="$here/form.dict" "${form_seeds[@]}"
fuzz share_link_fuzzer 8192 "$here/corpus/share"

printf '%s\n' "${summary[@]}"
exit $status
