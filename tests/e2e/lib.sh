# Sourced by the end-to-end scripts, whose arguments are GAME REPO_ROOT WORK_DIR.
game=$1
root=$2
work=$3
# Generous: a sanitizer build under a loaded Xvfb draws a frame in well under this.
step_timeout=${ZANDREL_E2E_STEP_TIMEOUT:-60}

# A fresh work folder to run in, with the art and sounds linked in and sound
# going to OpenAL's null device.
rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
ln -s "$root/graphics" graphics
ln -s "$root/sounds" sounds
export ALSOFT_DRIVERS=null

# start_game OUT ERR COMMAND...: runs the command in the background, its pid in
# $game_pid. An X server that has just lost its last client resets and turns
# the next connection away for a moment: try again then.
start_game() {
    local out=$1 err=$2 attempt
    shift 2
    for attempt in 1 2 3 4 5; do
        "$@" >"$out" 2>"$err" &
        game_pid=$!
        sleep 0.5
        kill -0 "$game_pid" 2>/dev/null && return
        grep -q "failed to open display" "$err" || return
        sleep 1
    done
}
