# Shared helpers of the smoke tests: a real X server (Xvfb), a window manager, a fresh home,
# and the built program copied into a program folder of its own (data folders sit beside it).
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }

smoke_setup() {
    local binary=$1
    WORK=$(mktemp -d /tmp/quillory-smoke.XXXXXX)
    export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config XDG_RUNTIME_DIR=$WORK/runtime
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    PROG=$WORK/program
    mkdir -p "$PROG"
    cp "$binary" "$PROG/quillory"
    unset QT_QPA_PLATFORM
    # A free display number: the first without a lock file.
    local n=90
    while [[ -e /tmp/.X$n-lock ]]; do n=$((n + 1)); done
    export DISPLAY=:$n
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
    openbox >"$WORK/openbox.log" 2>&1 &
    WM_PID=$!
    sleep 0.5
    trap smoke_teardown EXIT
}

smoke_teardown() {
    [[ -n "${APP_PID:-}" ]] && kill "$APP_PID" 2>/dev/null || true
    [[ -n "${WM_PID:-}" ]] && kill "$WM_PID" 2>/dev/null || true
    [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$WORK"
}

# Waits until a visible window whose title matches appears; prints its id.
wait_window() {
    local title=$1 tries=${2:-100} id
    for _ in $(seq "$tries"); do
        id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | tail -n 1 || true)
        if [[ -n "$id" ]]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    return 1
}

# Waits until no visible window matches the title.
wait_no_window() {
    local title=$1
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "$title" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# Gives a window the keyboard and types keys into it.
keys_to() {
    local id=$1; shift
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus --sync "$id"
    sleep 0.2
    xdotool key --clearmodifiers --delay 80 "$@"
}

type_to() {
    local id=$1; shift
    xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus --sync "$id"
    xdotool type --delay 30 "$@"
}

# Starts the program and waits for its main window; its id in MAIN.
start_app() {
    (cd "$WORK" && exec "$PROG/quillory") >"$WORK/app.log" 2>&1 &
    APP_PID=$!
    MAIN=$(wait_window "^Quillory! QD$") || fail "main window did not appear: $(cat "$WORK/app.log")"
}

# File > Exit asks "End current session?"; Yes ends the program cleanly.
quit_app() {
    keys_to "$MAIN" alt+f x
    QUESTION=$(wait_window "^Quillory!$") || fail "no End current session? question"
    keys_to "$QUESTION" Return
    wait_exit "$APP_PID" || fail "the program did not end cleanly after Yes"
    APP_PID=
    echo "$(basename "$0" .sh): 1 passed, 0 failed"
}

# Waits for the program to end and checks its exit status.
wait_exit() {
    local pid=$1
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
        sleep 0.1
    done
    fail "the program did not end"
}
