#!/usr/bin/env bash
# Lines of test code (tests/ + fuzz/) against product code (src/ + bench/), tracked files only:
# C++ sources and headers, scripts and CMake files, counted with wc -l.
# Prints "tests T / code C = R" and exits 1 when R is above ${MAX_RATIO:-0.35}.
#   tools/test-ratio.sh [REPO]
set -u
cd "${1:-$(dirname "$0")/..}"
count() { git ls-files "$@" | grep -E '\.(cpp|h|hpp|c|sh|py|cmake)$|CMakeLists\.txt$' | xargs -r cat | wc -l; }
t=$(count tests fuzz)
c=$(count src bench)
r=$(awk -v t="$t" -v c="$c" 'BEGIN{printf "%.2f", (c>0)?t/c:99}')
echo "tests $t / code $c = $r"
awk -v r="$r" -v m="${MAX_RATIO:-0.35}" 'BEGIN{exit !(r<=m)}' || {
    echo "test code is above ${MAX_RATIO:-0.35} of the product code: trim tests before adding more" >&2
    exit 1
}
