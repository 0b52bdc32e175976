#!/usr/bin/env bash
# The real program under a window manager, as drawn on a 1024 x 768 screen: long titles, a long
# name, a long loan note and a record with a 1 MB line never move, widen or squeeze anything; the
# About window's outer frame is 4815 x 6500 twips, centred. On a 640 x 480 screen the screen-size
# message keeps its three lines.
source "$(dirname "$0")/lib.sh"
smoke_setup "$1" -screen 0 1024x768x24 -screen 1 640x480x24

long80=$(printf 'A%.0s' {1..80})
long248=$(printf 'B%.0s' {1..248})
record "stats/$long80" "$long80" Monday Available English "\$1" N.A. N.A.
record "stats/$long248" "$long248" Monday Available English "\$1" N.A. N.A.
record stats/Zz "$(head -c 1000000 /dev/zero | tr '\0' z)" Monday Available English "\$1" N.A. N.A.
record profiles/1234567A 1234567A "$(printf 'N%.0s' {1..33})" 555 - 0
record stats/Emma Emma Monday "ON LOAN" English "\$1" N.A. N.A. 7654321B Bo 555 - " 1 "
record profiles/7654321B 7654321B Bo 555 - " 1 "
record profiles/7654321B.lst Emma
record loaned/Emma Emma "$(printf "Wednesday, 30 September 2026 %.0s" {1..6})" "\$1" 7654321B Bo

# Waits until the window's outer size is the one given (or fails with what it is).
expect_size() {
    until_ok eval "[[ \"\$(outer $1 | cut -d' ' -f3-4)\" == '$2' ]]" ||
        fail "$3: outer size $(outer "$1"), expected $2"
}
# True when a rectangle of the main window is one colour.
plain() { [[ $(pixels "$MAIN" "$@" | tr ' ' '\n' | sort -u | grep -c .) == 1 ]]; }
# shown X Y W H KEYS...: types keys into the main window, then waits until the rectangle changes.
shown() {
    local was
    was=$(pixels "$MAIN" "${@:1:4}")
    keys_to "$MAIN" "${@:5}"
    until_ok eval '[[ "$(pixels "$MAIN" '"${*:1:4}"')" != "$was" ]]' || fail "nothing shown for ${*:5}"
}

# On the 640 x 480 screen the screen-size message shows three rows of text beside its icon.
(cd "$WORK" && DISPLAY=$DISPLAY.1 exec "$PROG/quillory") >"$WORK/small.log" 2>&1 &
SMALL=$!
BOX=$(wait_window "^Quillory! QD$") || fail "no screen-size message on a 640 x 480 screen"
text_rows() {
    geometry "$BOX"
    pixels "$BOX" 55 0 $((W - 60)) $((H - 40)) 1 | awk '{ink = 0; for (i = 1; i <= NF; i++)
        if (substr($i, 1, 2) < "80") ink = 1; rows += ink && !last; last = ink} END {print rows}'
}
until_ok eval '[[ $(text_rows) == 3 ]]' || fail "the screen-size message has $(text_rows) rows"
keys_to "$BOX" Return
wait "$SMALL" || fail "the program did not end after the screen-size message"

start_app
expect_size "$MAIN" "800 595" "main window at start"
# The status and loan-count labels, empty, show the frame's colour (no strip of their own).
until_ok plain 300 300 1 170 || fail "item panel: $(pixels "$MAIN" 300 300 1 170 | sort | uniq -c)"
until_ok plain 760 400 1 100 || fail "profiles panel: $(pixels "$MAIN" 760 400 1 100 | sort | uniq -c)"

# Showing a borrower with a 33-character name and a loan note of two lines change nothing
# at the bottom of the profiles list or of the loaned list (no shrinking, no scroll bar).
profiles=$(pixels "$MAIN" 415 470 105 25) loaned=$(pixels "$MAIN" 415 220 265 25)
click_in "$MAIN" 460 370
until_ok eval '! plain 640 400 130 14' || fail "the borrower was not shown in place: $(outer "$MAIN")"
[[ "$(pixels "$MAIN" 415 470 105 25)" == "$profiles" ]] || fail "the profiles list changed"
click_in "$MAIN" 450 64
until_ok eval '! plain 420 252 250 34' || fail "no loan note"
[[ "$(pixels "$MAIN" 415 220 265 25)" == "$loaned" ]] || fail "the loaned list changed"

click_in "$MAIN" 200 264 # the search field
shown 130 320 250 20 a # the 80-character title
expect_size "$MAIN" "800 595" "main window showing an 80-character title"
shown 130 320 250 20 BackSpace z # the record with a 1 MB line
expect_size "$MAIN" "800 595" "main window showing a 1 MB line"
shown 130 320 250 20 BackSpace b # lend the 248-character title
keys_to "$MAIN" alt+e b
BORROW=$(wait_window "^Borrow$") || fail "no Borrow dialog (the program hangs?)"
read -r x _ w _ <<<"$(outer "$BORROW")"
((x >= 0 && x + w <= 1024)) || fail "Borrow dialog off-screen: $(outer "$BORROW")"
keys_to "$BORROW" Escape
wait_no_window "^Borrow$" || fail "Borrow dialog did not close"
expect_size "$MAIN" "800 595" "main window after the Borrow dialog"

keys_to "$MAIN" alt+h a
ABOUT=$(wait_window "Build") || fail "no About window"
expect_size "$ABOUT" "321 433" "About window"
read -r x y _ <<<"$(outer "$ABOUT")"
((x >= 350 && x <= 352 && y >= 166 && y <= 168)) || fail "About not centred: $(outer "$ABOUT")"
keys_to "$ABOUT" Return
wait_no_window "Build" || fail "About did not close"
quit_app
