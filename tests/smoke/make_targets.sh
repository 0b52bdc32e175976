#!/usr/bin/env bash
# The make targets a librarian runs never endanger the records: make clean keeps the data folders a
# program started in the build folder made there, and make run starts the installed program in its
# own folder, installing no test tools.
source "$(dirname "$0")/lib.sh"
work=$(mktemp -d /tmp/quillory-make.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build/stats" "$work/build/CMakeFiles"
touch "$work/build/stats/Dune" "$work/build/quillory"
make -s -C "$1" clean BUILD_DIR="$work/build" >/dev/null
[[ -f $work/build/stats/Dune && ! -e $work/build/quillory ]] || fail "make clean: $(ls -AR "$work")"
run=$(make -n --no-print-directory -C "$1" run BUILD_DIR="$work/build" PROGRAM_DIR="$work/program")
[[ $(tail -1 <<<"$run") == "$work/program/quillory" ]] || fail "make run starts $(tail -1 <<<"$run")"
! grep -qw xvfb <<<"$run" || fail "make run installs test tools"
