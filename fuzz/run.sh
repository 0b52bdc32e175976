#!/usr/bin/env bash
# Builds the fuzz driver with clang and runs each reader for a bounded time over its seed corpus.
#   fuzz/run.sh SECONDS [TARGET...]     e.g. fuzz/run.sh 60, fuzz/run.sh 10 fuzz_item_record
# SECONDS=0 only replays the seed corpora. Any crash, leak, sanitizer report or broken
# expectation fails the run; the input that caused it is kept in $BUILD_DIR/fuzz-artifacts.
# Environment: BUILD_DIR (default build-fuzz), JOBS (build jobs), CXX (default clang++).
set -euo pipefail

[[ "${1:-}" =~ ^[0-9]+$ ]] || { echo "usage: $0 SECONDS [TARGET...]" >&2; exit 2; }
seconds=$1
shift

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-fuzz}
[[ "$build" = /* ]] || build=$root/$build
jobs=${JOBS:-$(nproc 2>/dev/null || echo 2)}
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=($(ls "$root/fuzz/corpus")) # a seed folder per reader

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER="${CXX:-clang++}" \
    -DQUILLORY_FUZZ=ON -DQUILLORY_TESTS=OFF -DQUILLORY_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target fuzz_readers

mkdir -p "$build/fuzz-artifacts" "$build/fuzz-logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
[[ -w /dev/shm ]] && export TMPDIR=${TMPDIR:-/dev/shm} # the readers' scratch files, in memory
failed=()
summary=()
for target in "${targets[@]}"; do
    seeds=$root/fuzz/corpus/$target
    work=$build/fuzz-work/$target # new inputs found go here, never into the repository
    log=$build/fuzz-logs/$target.log
    mkdir -p "$work"
    limit=(-max_total_time="$seconds")
    [[ "$seconds" -ne 0 ]] || limit=(-runs=0)
    echo "== $target (${seconds}s)"
    rc=0
    QUILLORY_FUZZ_READER=$target "$build/fuzz/fuzz_readers" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -dict="$root/fuzz/records.dict" -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-artifacts/$target-" "$work" "$seeds" >"$log" 2>&1 || rc=$?
    result=ok
    if [[ $rc -ne 0 ]] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|expectation failed' "$log"; then
        result=FAILED failed+=("$target")
        echo "FAILED: $target (exit $rc); log: $log"
        grep -E 'ERROR:|runtime error:|expectation failed|SUMMARY:|Test unit written' "$log" | head -20 || true
    fi
    stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
    summary+=("$(printf '%-22s %12s %10s  %s' "$target" "$(stat number_of_executed_units)" "$(stat average_exec_per_sec)" $result)")
done

printf '%-22s %12s %10s  %s\n' target executions exec/s result
printf '%s\n' "${summary[@]}"
[[ ${#failed[@]} -eq 0 ]] || { echo "fuzzing failed: ${failed[*]}" >&2; exit 1; }
