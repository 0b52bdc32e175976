#!/usr/bin/env bash
# One real flow by keyboard: a new item and a new borrower, then the files they leave.
source "$(dirname "$0")/lib.sh"
smoke_setup "$1"

start_app
MAIN=$(wait_window "^Quillory! QD$") || fail "main window did not appear: $(cat "$WORK/app.log")"

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
mapfile -t LINES < <(tr -d '\r' <"$RECORD")
[[ ${#LINES[@]} -eq 7 ]] || fail "item record has ${#LINES[@]} lines"
[[ "${LINES[0]}" == "Dune (1965)" ]] || fail "line 1: ${LINES[0]}"
[[ -n "${LINES[1]}" ]] || fail "no date created"
[[ "${LINES[2]}" == "Available" && "${LINES[3]}" == "English" && "${LINES[4]}" == '$12.50' ]] ||
    fail "lines 3-5: ${LINES[*]:2:3}"
[[ "${LINES[5]}" == "N.A." && "${LINES[6]}" == "N.A." ]] || fail "lines 6-7: ${LINES[*]:5}"
[[ $(grep -c $'\r$' "$RECORD") -eq 7 ]] || fail "not every line ends with CR LF"

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
for _ in $(seq 50); do
    ASK=$(xdotool search --onlyvisible --name "^Quillory! QD$" 2>/dev/null | grep -v "^$MAIN$" | tail -n 1 || true)
    [[ -n "$ASK" ]] && break
    sleep 0.1
done
[[ -n "$ASK" ]] || fail "no 'Create another new user?' question"
keys_to "$ASK" alt+n
wait_no_window "^New Profile$" || fail "the new profile dialog stayed open after No"

mapfile -t IDS < <(ls "$PROG/profiles")
[[ ${#IDS[@]} -eq 1 ]] || fail "expected one profile, found: ${IDS[*]}"
[[ "${IDS[0]}" =~ ^[1-9][0-9]{6}[A-Z]$ ]] || fail "Profile ID ${IDS[0]} is not 7 digits and a letter"
EXPECTED=$(printf '%s\r\nAnn Reader\r\n555-0100\r\n-\r\n0\r\n' "${IDS[0]}")
[[ "$(cat "$PROG/profiles/${IDS[0]}")" == "$EXPECTED" ]] || fail "profile record: $(od -c "$PROG/profiles/${IDS[0]}" | head)"

keys_to "$MAIN" alt+f x
QUESTION=$(wait_window "^Quillory!$") || fail "no End current session? question"
keys_to "$QUESTION" Return
wait_exit "$APP_PID" || fail "the program did not end cleanly after Yes"
APP_PID=
echo "smoke_flow: 1 passed, 0 failed"
