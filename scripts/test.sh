#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds Quendo with AddressSanitizer and
# UndefinedBehaviorSanitizer (a warning is an error) and runs every test under the Italian locale,
# each within a time limit; the benchmarks are built too, so that they keep compiling. Then every
# reader of outside files is fuzzed for a short while (scripts/fuzz.sh, QUENDO_FUZZ_TIME seconds a
# target, 30 by default; 0 leaves the fuzzing out). QUENDO_JOBS caps the jobs run at once by the
# build, the tests and the fuzzing (the number of cores by default).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${QUENDO_JOBS:-$(nproc)}"
[[ "$jobs" =~ ^[1-9][0-9]*$ ]] || { echo "test.sh: QUENDO_JOBS is a number of jobs, 1 or more: $jobs" >&2; exit 2; }
scripts/deps.sh
scripts/format.sh --check
build="${QUENDO_TEST_BUILD:-build-test}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUENDO_SANITIZE=ON -DQUENDO_BENCH=ON -DQUENDO_WERROR=ON > /dev/null
ninja -C "$build" -j "$jobs"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The tests run under the Italian locale, as on the users' desktops (LANG alone, made by
# scripts/deps.sh): a number written or read with the locale's decimal comma fails them.
unset LC_ALL LC_NUMERIC LC_CTYPE LC_COLLATE LC_MESSAGES LC_MONETARY LC_TIME LANGUAGE
export LANG=it_IT.UTF-8
# A test that hangs fails by its name after ten minutes. The slowest take under a minute with the
# sanitizers on a quiet machine, and three or more at a load of thirty on eight cores.
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
fuzz_time="${QUENDO_FUZZ_TIME:-30}"
if ((fuzz_time > 0)); then
  scripts/fuzz.sh --time "$fuzz_time" --jobs "$jobs"
fi
