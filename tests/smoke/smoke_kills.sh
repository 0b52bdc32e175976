#!/usr/bin/env bash
# The real program killed inside every step of a lend and of a return made in its window (just
# before or just after the step, at random): its next start finishes or forgets the change, the
# files are byte for byte as before it or as after it, and quillory-tool check finds nothing.
source "$(dirname "$0")/lib.sh"
smoke_setup "$1"
SHIM=$2 TOOL=$3
mkdir -p "$PROG/loaned"
record stats/Dune Dune Monday Available English '$1' N.A. N.A.
# As a return leaves them, so that the lend and the return after it make the same two states.
record profiles/1234567A 1234567A Ann 555 - " 0 "
record profiles/1234567A.lst ""
state() { (cd "$PROG" && find stats profiles loaned -type f | sort | xargs -d '\n' md5sum); }
# Starts the program, set to kill itself at the step given (if any); check finds nothing.
run() {
    start_app ${1:+LD_PRELOAD=$SHIM QUILLORY_STEP_KILL=$1 ASAN_OPTIONS=verify_asan_link_order=0:${ASAN_OPTIONS:-}}
    [[ -z ${1:-} ]] || disown "$APP_PID" # its kill is no news
    "$TOOL" check >"$WORK/check" || fail "check after ${KILLED:-the first start}: $(cat "$WORK/check")"
}
# A lend of Dune to 1234567A from the Borrow dialog, or its return from the Return Item panel
# (a click gives a window the keyboard).
lend() {
    xdotool mousemove --window "$MAIN" 38 64 click 1 key alt+e b
    xdotool mousemove --window "$(wait_window "^Borrow$")" 30 52 click 1 key Return
}
give_back() { xdotool mousemove --window "$MAIN" 433 64 click 1 mousemove --window "$MAIN" 708 64 click 1 \
    key alt+e r; }
# The files after a stop are those before the change or those after it.
checked() {
    now=$(state)
    [[ -z ${KILLED:-} || $now == "$before" || $now == "$after" ]] ||
        fail "$KILLED: $(diff <(echo "$before") <(echo "$now"))"
}

run
S[0]=$(state) && lend && keys_to "$(wait_window ^Loaned$)" Return
S[1]=$(state) && give_back && keys_to "$(until_ok window -)" Return
[[ $(state) == "${S[0]}" ]] || fail "a lend and its return changed the files: $(state)"
kill "$APP_PID" && wait "$APP_PID" || true
declare -A killed=([-]=0)
sides=("" +) op=lend
for ((round = 0; ${#killed[@]} <= 12; round++)); do
    ((round < 30)) || fail "not every step was reached: ${!killed[*]}"
    for step in 0 1 2 3 4 5; do [[ -n ${killed[$op$step]:-} ]] || break; done
    point=$step${sides[RANDOM % 2]}
    run "$point" && checked
    grep -q "ON LOAN" "$PROG/stats/Dune" && op=give_back after=${S[0]} || op=lend after=${S[1]}
    before=$now KILLED="$op killed at step $point"
    $op
    until_ok eval "! kill -0 $APP_PID 2>/dev/null" || fail "$KILLED: the program was not killed"
    killed[$op$step]=1
    # The next start finishes the change unless it was stopped before its intent record.
    [[ $point == 0 ]] || { [[ $op == lend ]] && op=give_back || op=lend; }
done
run && checked
quit_app
