# Shared helpers of the smoke tests: a real X server (Xvfb) of its own, a window manager, a fresh
# home, and the built program copied into a program folder of its own (data folders beside it).
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

# Polls a command every 20 ms until it succeeds; false after 5 s.
until_ok() {
    local end=$((${EPOCHREALTIME/./} + 5000000))
    until "$@"; do
        ((${EPOCHREALTIME/./} < end)) || return 1
        sleep 0.02
    done
}

# smoke_setup BINARY [XVFB-SCREEN-ARGS...]: one Xvfb (a free display it picks itself, its screens
# in files under $WORK) with openbox on each screen.
smoke_setup() {
    local binary=$1 n screens=0
    shift
    WORK=$(mktemp -d /tmp/quillory-smoke.XXXXXX)
    # At the end, whatever happened: the program, the window managers and the server go.
    trap 'kill ${APP_PID:-} ${WM_PIDS:-} ${XVFB_PID:-} 2>/dev/null; wait; rm -rf "$WORK"' EXIT
    export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/runtime
    PROG=$WORK/program
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$PROG"
    chmod 700 "$XDG_RUNTIME_DIR"
    cp "$binary" "$PROG/quillory"
    unset QT_QPA_PLATFORM
    (($#)) || set -- -screen 0 1024x768x24
    exec 3<> <(:)
    Xvfb -displayfd 3 -fbdir "$WORK" -nolisten tcp "$@" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    read -r -t 10 n <&3 || fail "Xvfb did not start: $(cat "$WORK/xvfb.log")"
    export DISPLAY=:$n
    while [[ -e $WORK/Xvfb_screen$screens ]]; do
        DISPLAY=:$n.$screens openbox --startup "touch $WORK/wm$screens" >/dev/null 2>&1 &
        WM_PIDS+=" $!"
        screens=$((screens + 1))
    done
    until_ok test -e "$WORK/wm$((screens - 1))" || fail "openbox did not start"
}

# record FILE LINE...: a record in the program's folders, its lines ended with CR LF.
record() { mkdir -p "$(dirname "$PROG/$1")" && printf '%s\r\n' "${@:2}" >"$PROG/$1"; }

# Prints the id of the last visible window whose title matches (fails when none).
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 | grep .; }
wait_window() { until_ok window_named "$1"; }
wait_no_window() { until_ok eval "! window_named '$1' >/dev/null"; }

# Gives a window the keyboard and types keys (or text, with type_to) into it.
focus() { xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"; }
keys_to() { focus "$1" && xdotool key --clearmodifiers --delay 30 "${@:2}"; }
type_to() { focus "$1" && xdotool type --delay 20 "$2"; }
# Clicks at a point of a window's client area.
click_in() { xdotool mousemove --window "$1" "$2" "$3" click "${4:-1}"; }

# The main window, or with "-" a message box of the same title.
window() {
    local id big=$([[ ${1:-} == - ]] && echo 0 || echo 1)
    for id in $(xdotool search --onlyvisible --name "^Quillory! QD$"); do
        geometry "$id" && (((W > 700) == big)) && echo "$id" && return
    done
    false
}

# Starts the program (in the environment given) and waits for its main window; its id in MAIN.
start_app() {
    local stopped=$([[ -e $PROG/loaned/.quillory-intent ]] && echo 1)
    (cd "$WORK" && exec env "$@" "$PROG/quillory") >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    # A start after a change was stopped first says what became of it.
    [[ -z $stopped ]] || keys_to "$(until_ok window -)" Return || fail "no message after a stop"
    MAIN=$(until_ok window) || fail "main window did not appear: $(cat "$WORK/app.log")"
}

# File > Exit asks "End current session?"; Yes ends the program cleanly.
quit_app() {
    keys_to "$MAIN" alt+f x
    QUESTION=$(wait_window "^Quillory!$") || fail "no End current session? question"
    keys_to "$QUESTION" Return
    wait "$APP_PID" || fail "the program did not end cleanly after Yes"
    APP_PID=
    echo "$(basename "$0" .sh): 1 passed, 0 failed"
}

# Client area of a window on the screen: sets X Y W H.
geometry() {
    read -r X Y W H <<<"$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF}
        /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')"
}

# Outer geometry of a window, frame included: "left top width height".
outer() {
    local l r t b
    read -r l r t b <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //; s/,//gp')"
    geometry "$1"
    echo "$((X - ${l:-0})) $((Y - ${t:-0})) $((W + ${l:-0} + ${r:-0})) $((H + ${t:-0} + ${b:-0}))"
}

# pixels ID X Y W H [SCREEN]: the colours of a rectangle of a window's client area, as drawn on
# the screen (Xvfb keeps it as an image file): one row of hex RGB values per pixel row.
pixels() {
    local file=$WORK/Xvfb_screen${6:-0} x y head bpl colours X Y W H
    geometry "$1"
    read -r head bpl colours <<<"$(od -An -tu1 -v -N80 "$file" |
        tr -s ' \n' ' ' | awk '{print $1*2^24+$2*2^16+$3*2^8+$4, $49*2^24+$50*2^16+$51*2^8+$52,
                                  $77*2^24+$78*2^16+$79*2^8+$80}')"
    x=$((X + $2)) y=$((Y + $3))
    od -An -v -tx4 -w"$bpl" -j $((head + 12 * colours + y * bpl)) -N $(($5 * bpl)) "$file" |
        cut -c $((9 * x + 1))-$((9 * (x + $4))) | sed 's/ [0-9a-f]\{2\}/ /g'
}
