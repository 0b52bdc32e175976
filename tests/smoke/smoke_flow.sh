#!/usr/bin/env bash
# The built program in a real window: a second copy is refused; then one real flow by keyboard, a
# new item and a new borrower, and the files they leave; File > Exit > Yes ends it.
source "$(dirname "$0")/lib.sh"
smoke_setup "$1"

start_app
# A second copy says so and ends; the first keeps running.
(cd "$WORK" && exec "$PROG/quillory") >"$WORK/second.log" 2>&1 &
SECOND=$!
keys_to "$(until_ok window -)" Return || fail "the second copy showed no message"
wait "$SECOND" || fail "the second copy did not end cleanly"
kill -0 "$APP_PID" || fail "the first copy ended too"

# File > New Item: title, the offered language, a price, Enter saves; No closes the dialog.
keys_to "$MAIN" alt+f i
ITEM=$(wait_window "^New Item Details$") || fail "no new item dialog"
type_to "$ITEM" "Dune (1965)"
keys_to "$ITEM" Tab Tab
type_to "$ITEM" "12.50"
keys_to "$ITEM" Return
ASK=$(wait_window "^New Item$") || fail "no 'Create another new item?' question"
keys_to "$ASK" alt+n
wait_no_window "^New Item Details$" || fail "the new item dialog stayed open after No"

RECORD="$PROG/stats/Dune _1965_"
DATE=$(sed -n 2p "$RECORD" | tr -d '\r') && [[ -n $DATE ]] || fail "no item record or date: $(ls "$PROG/stats")"
EXPECTED=$(printf '%s\r\n' "Dune (1965)" "$DATE" Available English '$12.50' N.A. N.A.)
[[ "$(cat "$RECORD")" == "$EXPECTED" ]] || fail "item record: $(od -c "$RECORD" | head)"
# File > New Profile: Generate ID has the focus first; then name, home, cell; Enter saves.
keys_to "$MAIN" alt+f p
PROFILE=$(wait_window "^New Profile$") || fail "no new profile dialog"
keys_to "$PROFILE" space Tab
type_to "$PROFILE" "Ann Reader"
keys_to "$PROFILE" Tab
type_to "$PROFILE" "555-0100"
keys_to "$PROFILE" Tab
type_to "$PROFILE" "-"
keys_to "$PROFILE" Return
ASK=$(until_ok window -) || fail "no 'Create another new user?' question"
keys_to "$ASK" alt+n
wait_no_window "^New Profile$" || fail "the new profile dialog stayed open after No"

mapfile -t IDS < <(ls "$PROG/profiles")
[[ ${#IDS[@]} -eq 1 ]] || fail "expected one profile, found: ${IDS[*]}"
EXPECTED=$(printf '%s\r\nAnn Reader\r\n555-0100\r\n-\r\n0\r\n' "${IDS[0]}")
[[ "$(cat "$PROG/profiles/${IDS[0]}")" == "$EXPECTED" ]] || fail "profile record: $(od -c "$PROG/profiles/${IDS[0]}" | head)"

quit_app
