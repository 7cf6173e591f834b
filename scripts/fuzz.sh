#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer with leak detection,
# UndefinedBehaviorSanitizer) in a build folder of their own and runs each one for a while, as many
# at once as there are cores. Fails when any target finds a crash, a leak, a sanitizer report, an
# input slower than the time limit or one that takes too much memory; the input is kept under
# <build>/crashes/. Usage:
#   scripts/fuzz.sh [--time SECONDS] [--jobs N] [TARGET...]
# --time: seconds for each target (30 by default; 600 for a long run); --jobs: the targets run at
# once, and the jobs of their build (the number of cores by default); TARGET: names of
# fuzz/CMakeLists.txt (all by default). QUENDO_FUZZ_BUILD names the build folder (build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=30
jobs="$(nproc)"
targets=()
known=()
while (($#)); do
  case "$1" in
    --time) seconds="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done
build="${QUENDO_FUZZ_BUILD:-build-fuzz}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DQUENDO_FUZZ=ON -DQUENDO_TESTS=OFF > /dev/null
ninja -C "$build" -j "$jobs" fuzz_targets > "$build/fuzz-build.log" 2>&1 || { cat "$build/fuzz-build.log"; exit 1; }
declare -A dict_of
while read -r name dict; do
  [ -n "$name" ] || continue
  dict_of[$name]="$dict"
  known+=("$name")
done < "$build/fuzz/targets.txt"
((${#targets[@]})) || targets=("${known[@]}")

# The targets' scratch folders live under one folder of this run, removed at its end even when a
# target was stopped by a finding; in memory when the system has /dev/shm.
parent=/dev/shm
[ -d "$parent" ] && [ -w "$parent" ] || parent="${TMPDIR:-/tmp}"
scratch="$(mktemp -d "$parent/quendo-fuzz.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
export QUENDO_FUZZ_SCRATCH="$scratch"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/corpus" "$build/crashes" "$build/fuzz-logs"

run() {
  local t="$1" dict=()
  [ -x "$build/fuzz/fuzz_$t" ] || { echo "fuzz.sh: no target $t" > "$build/fuzz-logs/$t.log"; return 2; }
  [ -n "${dict_of[$t]:-}" ] && dict=("-dict=${dict_of[$t]}")
  mkdir -p "$build/corpus/$t"
  # The first folder gathers what the run finds; the seeds are only read.
  "$build/fuzz/fuzz_$t" "$build/corpus/$t" "tests/fuzz-corpus/$t" "${dict[@]}" -max_total_time="$seconds" \
      -timeout=15 -rss_limit_mb=2048 -detect_leaks=1 -print_final_stats=1 \
      -artifact_prefix="$build/crashes/$t-" > "$build/fuzz-logs/$t.log" 2>&1
}

declare -A pid_of
for t in "${targets[@]}"; do
  while (($(jobs -rp | wc -l) >= jobs)); do wait -n || true; done
  run "$t" &
  pid_of[$t]=$!
done
failed=0
printf '%-22s %10s %12s %8s %8s  %s\n' target exec/s execs cov ft result
for t in "${targets[@]}"; do
  status=0
  wait "${pid_of[$t]}" || status=$?
  log="$build/fuzz-logs/$t.log"
  stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
  last="$(grep -E '^#[0-9]+' "$log" | tail -1 || true)"
  cov="$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$last")"
  ft="$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$last")"
  result=ok
  if ((status != 0)); then
    result="FAILED ($status)"
    failed=1
  fi
  printf '%-22s %10s %12s %8s %8s  %s\n' "$t" "$(stat average_exec_per_sec)" "$(stat number_of_executed_units)" \
         "${cov:-?}" "${ft:-?}" "$result"
done
if ((failed)); then
  for t in "${targets[@]}"; do
    if ! grep -q '^Done ' "$build/fuzz-logs/$t.log"; then
      echo "==== $t ($build/fuzz-logs/$t.log)"
      tail -n 60 "$build/fuzz-logs/$t.log"
    fi
  done
  echo "fuzz.sh: a target found a fault; its input is under $build/crashes/" >&2
  exit 1
fi
