#!/usr/bin/env bash
# The real program under a window manager on a 1024 x 768 screen: long titles, a long name and a
# record with a 1 MB line never move or widen a window, and the About window's outer frame is
# 4815 x 6500 twips, centred on the screen.
source "$(dirname "$0")/lib.sh"
smoke_setup "$1"

record() { # record FILE LINE... : Windows-1252 lines ended with CR LF
    local file=$1; shift
    printf '%s\r\n' "$@" >"$file"
}
mkdir -p "$PROG/stats" "$PROG/profiles" "$PROG/loaned"
long80=$(printf 'A%.0s' $(seq 80))
long248=$(printf 'B%.0s' $(seq 248))
record "$PROG/stats/$long80" "$long80" "Monday" "Available" "English" "\$1" "N.A." "N.A."
record "$PROG/stats/$long248" "$long248" "Monday" "Available" "English" "\$1" "N.A." "N.A."
record "$PROG/stats/Zz" "$(head -c 1000000 /dev/zero | tr '\0' 'z')" "Monday" "Available" \
    "English" "\$1" "N.A." "N.A."
record "$PROG/profiles/1234567A" "1234567A" "$(printf 'N%.0s' $(seq 33))" "555" "-" "0"

# Outer geometry, frame included: "left top width height".
outer() {
    local id=$1 info ext
    info=$(xwininfo -id "$id")
    ext=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    read -r l r t b <<<"${ext:-0 0 0 0}"
    awk -v l="$l" -v r="$r" -v t="$t" -v b="$b" '
        /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF}
        END {print x-l, y-t, w+l+r, h+t+b}' <<<"$info"
}
# Waits until the window's outer size is the one given (or fails with what it is).
expect_size() {
    local id=$1 want=$2 what=$3 got
    for _ in $(seq 30); do
        got=$(outer "$id" | cut -d' ' -f3-4)
        [[ "$got" == "$want" ]] && return 0
        sleep 0.1
    done
    fail "$what: outer size $got, expected $want"
}

start_app
expect_size "$MAIN" "800 595" "main window at start"

keys_to "$MAIN" a # the 80-character title, shown whether the list or the search has the keys
sleep 0.5
expect_size "$MAIN" "800 595" "main window showing an 80-character title"
sleep 1
keys_to "$MAIN" BackSpace z # the record with a 1 MB line
sleep 0.5
expect_size "$MAIN" "800 595" "main window showing a 1 MB line"

sleep 1
keys_to "$MAIN" BackSpace b alt+e b # lend the 248-character title
BORROW=$(wait_window "^Borrow$" 50) || fail "no Borrow dialog (the program hangs?)"
sleep 0.5
read -r x _ w _ <<<"$(outer "$BORROW")"
((x >= 0 && x + w <= 1024)) || fail "Borrow dialog off-screen: $(outer "$BORROW")"
keys_to "$BORROW" Escape
wait_no_window "^Borrow$" || fail "Borrow dialog did not close"
expect_size "$MAIN" "800 595" "main window after the Borrow dialog"

keys_to "$MAIN" alt+h a
ABOUT=$(wait_window "Build" 50) || fail "no About window"
expect_size "$ABOUT" "321 433" "About window"
read -r x y _ <<<"$(outer "$ABOUT")"
((x >= 350 && x <= 352 && y >= 166 && y <= 168)) || fail "About not centred: $(outer "$ABOUT")"
keys_to "$ABOUT" Return
wait_no_window "Build" || fail "About did not close"

quit_app
