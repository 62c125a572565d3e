#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds incrementally and runs every test.
#   scripts/test.sh                               plain build in build/
#   scripts/test.sh --sanitize=address,undefined  build in build-asan/
#   scripts/test.sh --sanitize=thread             build in build-tsan/
#   scripts/test.sh --fuzz [SECONDS]              build the fuzz targets with clang and run each
# Extra arguments after -- go to ctest (for example -- -R Frame).
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=""
fuzz=""
fuzz_seconds=30
ctest_args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize=*) sanitize="${1#--sanitize=}" ;;
    --fuzz) fuzz=1; if [[ "${2:-}" =~ ^[0-9]+$ ]]; then fuzz_seconds="$2"; shift; fi ;;
    --) shift; ctest_args=("$@"); break ;;
    *) echo "usage: scripts/test.sh [--sanitize=address,undefined|--sanitize=thread] [--fuzz [SECONDS]] [-- ctest args]" >&2; exit 64 ;;
  esac
  shift
done

jobs=$(nproc 2>/dev/null || echo 2)

if [ -n "$fuzz" ]; then
  scripts/deps.sh clang libclang-rt-14-dev
  dir=build-fuzz
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
    -DQVM8_FUZZ=ON -DQVM8_BUILD_UI=OFF -DQVM8_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$dir" -j "$jobs" --target fuzz_all
  export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
  export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
  # The file targets write a scratch file per input and the settings files are synced on save:
  # a memory-backed folder keeps them fast.
  scratch=$(mktemp -d /dev/shm/qvm8-fuzz.XXXXXX 2>/dev/null || mktemp -d)
  trap 'rm -rf "$scratch"' EXIT
  export TMPDIR="$scratch"
  status=0
  for target in "$dir"/tests/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    short=${name#fuzz_}
    corpus="$dir/corpus/$short"
    # A finding is kept in build-fuzz/crashes/<name>/; once copied to tests/fuzz/crashes/<name>/
    # the normal build replays it on every run.
    crashes="$dir/crashes/$short"
    mkdir -p "$corpus" "$crashes"
    echo "== $name for ${fuzz_seconds}s"
    if "$target" -max_total_time="$fuzz_seconds" -rss_limit_mb=4096 -timeout=25 \
        -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" \
        tests/fuzz/seeds/"$short" 2>"$dir/$name.log"; then
      grep -E '^stat::number_of_executed_units|^Done ' "$dir/$name.log" | tail -1
    else
      status=1
      tail -50 "$dir/$name.log"
      echo "$name: finding kept in $crashes/ (copy it to tests/fuzz/crashes/$short/)"
    fi
  done
  exit $status
fi

scripts/deps.sh

case "$sanitize" in
  "") dir=build ;;
  thread) dir=build-tsan ;;
  address,undefined|undefined,address|address|undefined) dir=build-asan ;;
  *) echo "scripts/test.sh: unknown sanitizer set '$sanitize'" >&2; exit 64 ;;
esac

cmake -S . -B "$dir" -DQVM8_SANITIZE="$sanitize" -DQVM8_WERROR=ON >/dev/null
cmake --build "$dir" -j "$jobs"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
# die_after_fork=0: the print tests start the system's printer tools from a process that
# already has threads; the child only runs exec.
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$PWD/tests/tsan.supp}"
cd "$dir"
ctest --output-on-failure -j "$jobs" --timeout 300 "${ctest_args[@]}"
