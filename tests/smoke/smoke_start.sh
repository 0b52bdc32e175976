#!/usr/bin/env bash
# The built program in a real window: a first start creates the folders and settings, a second
# copy is refused, File > Exit > Yes ends it.
source "$(dirname "$0")/lib.sh"
smoke_setup "$1"

start_app

for folder in profiles stats loaned; do
    [[ -d "$PROG/$folder" ]] || fail "folder $folder was not created beside the program"
done
CONF=$XDG_CONFIG_HOME/Quillory/Quillory.conf
[[ -f "$CONF" ]] || fail "settings file $CONF missing"
grep -qx "profiles=$PROG/profiles/" "$CONF" || fail "profiles key: $(cat "$CONF")"
grep -qx "stats=$PROG/stats/" "$CONF" || fail "stats key: $(cat "$CONF")"
grep -qx "loaned=$PROG/loaned/" "$CONF" || fail "loaned key: $(cat "$CONF")"
grep -q '^\[Paths\]' "$CONF" || fail "section Paths missing"

# A second copy says so and ends; the first keeps running.
(cd "$WORK" && exec "$PROG/quillory") >"$WORK/second.log" 2>&1 &
SECOND=$!
BOX=$(until_ok xdotool search --onlyvisible --pid "$SECOND") || fail "the second copy showed no message"
keys_to "${BOX##*$'\n'}" Return
wait "$SECOND" || fail "the second copy did not end cleanly"
kill -0 "$APP_PID" || fail "the first copy ended too"

quit_app
