#!/usr/bin/env bash
# One real flow by keyboard: a new item and a new borrower, then the files they leave.
source "$(dirname "$0")/lib.sh"
smoke_setup "$1"

start_app

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
[[ -f "$RECORD" ]] || fail "item record missing: $(ls "$PROG/stats")"
DATE=$(sed -n 2p "$RECORD" | tr -d '\r')
[[ -n "$DATE" ]] || fail "no date created"
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
# The question has the main window's title: the other window of that name.
ASK=$(until_ok eval 'xdotool search --onlyvisible --name "^Quillory! QD$" | grep -vx "$MAIN"') ||
    fail "no 'Create another new user?' question"
keys_to "$ASK" alt+n
wait_no_window "^New Profile$" || fail "the new profile dialog stayed open after No"

mapfile -t IDS < <(ls "$PROG/profiles")
[[ ${#IDS[@]} -eq 1 ]] || fail "expected one profile, found: ${IDS[*]}"
[[ "${IDS[0]}" =~ ^[1-9][0-9]{6}[A-Z]$ ]] || fail "Profile ID ${IDS[0]} is not 7 digits and a letter"
EXPECTED=$(printf '%s\r\nAnn Reader\r\n555-0100\r\n-\r\n0\r\n' "${IDS[0]}")
[[ "$(cat "$PROG/profiles/${IDS[0]}")" == "$EXPECTED" ]] || fail "profile record: $(od -c "$PROG/profiles/${IDS[0]}" | head)"

quit_app
