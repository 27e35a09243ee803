#!/bin/bash
# Plays the real game as two people would, through the X server in $DISPLAY:
# title, doors, select screen, a bout with hits and blocks, then a ring-out
# that must bring the game back to the menu by itself. Checks the trace on
# standard output and pixels of screenshots.
#
# play_test.sh GAME REPO_ROOT WORK_DIR
# WORK_DIR ends up holding out.txt (the trace) and title.png, select.png, bout.png.
# The bout leaves a replay under WORK_DIR/data; checked headless with --verify,
# it must give the live bout's trace lines and outcome again. Then, in a
# window resized to 300 by 500, clicks choose both rows and start a bout,
# which SIGINT ends, kept as an unfinished replay that verifies.
set -u
. "$(dirname "$0")/lib.sh"
export XDG_DATA_HOME="$work/data"

held_keys=""
# Started from a script, a background job would ignore SIGINT. The game that
# SIGINT ends exits after the GL driver is unloaded, so LeakSanitizer could no
# longer tell the driver's allocations from ours (--verify keeps the check).
start_game out.txt err.txt env --default-signal=INT ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" "$game"

cleanup() {
    [ -n "$held_keys" ] && xdotool keyup $held_keys 2>/dev/null
    kill "$game_pid" 2>/dev/null
    wait "$game_pid" 2>/dev/null
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "--- last lines of the trace:"
    grep -v "frame" out.txt | tail -n 15
    echo "--- standard error:"
    tail -n 15 err.txt
    echo "(screenshots and trace in $work)"
    exit 1
}

pass() {
    echo "ok: $*"
}

alive() {
    kill -0 "$game_pid" 2>/dev/null || fail "the game exited early"
}

lines_now() {
    wc -l <out.txt
}

# wait_for_line PATTERN FROM_LINE: the pattern appears on a line after FROM_LINE.
wait_for_line() {
    local deadline=$((SECONDS + step_timeout))
    while ! tail -n +"$(($2 + 1))" out.txt | grep -qF -- "$1"; do
        alive
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# count_lines PATTERN FROM_LINE
count_lines() {
    tail -n +"$(($2 + 1))" out.txt | grep -cF -- "$1"
}

shot() {
    import -window "$window" "$1" 2>/dev/null || fail "could not capture the window into $1"
}

# rgb FILE X Y: the pixel as "r g b", 0 to 255.
rgb() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)] %[fx:int(255*p{$2,$3}.g+0.5)] %[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# region_stats FILE W H X Y: mean and standard deviation of the region's grey level, 0 to 255.
region_stats() {
    convert "$1" -crop "$2x$3+$4+$5" +repage -colorspace Gray \
        -format "%[fx:int(255*mean+0.5)] %[fx:int(255*standard_deviation+0.5)]" info:
}

# red_counts FILE: bright red pixels in the HUD band at the top, left half and right half.
red_counts() {
    convert "$1" -crop 800x150+0+0 +repage -depth 8 txt:- |
        awk -F'[:(),]+' 'NR > 1 && $4 > 150 && $5 < 70 && $6 < 70 { if ($1 < 400) l++; else r++ }
                         END { print l + 0, r + 0 }'
}

is_black() {
    local r g b
    read -r r g b <<<"$(rgb "$1" "$2" "$3")"
    [ "$r" -lt 16 ] && [ "$g" -lt 16 ] && [ "$b" -lt 16 ]
}

# The select screen stands on the cleared black background; the title, the
# doors and a bout all cover the window's sides.
select_screen_ready() {
    is_black "$1" 20 200 && is_black "$1" 60 200 && is_black "$1" 780 300 &&
        is_black "$1" 740 300 && is_black "$1" 400 590
}

# wait_for_screen PREDICATE FILE: polls screenshots until the predicate holds.
wait_for_screen() {
    local deadline=$((SECONDS + step_timeout))
    while :; do
        alive
        shot "$2"
        "$1" "$2" && return 0
        [ "$SECONDS" -ge "$deadline" ] && return 1
        sleep 0.1
    done
}

click() {
    xdotool mousemove --window "$window" "$1" "$2" click 1
}

hold() {
    xdotool keydown "$@"
    held_keys="$held_keys $*"
}

release() {
    xdotool keyup "$@"
    local k
    for k in "$@"; do
        held_keys=${held_keys// $k/}
    done
}

# --- the window and the title
deadline=$((SECONDS + step_timeout))
window=""
while [ -z "$window" ]; do
    alive
    [ "$SECONDS" -ge "$deadline" ] && fail "no window titled Zandrel"
    window=$(xdotool search --name '^Zandrel$' 2>/dev/null | head -n 1)
    sleep 0.1
done
wait_for_line "Resized to 800 600" 0 || fail "no \"Resized to 800 600\" line"
pass "window $window is up"

# The title needs a frame or two after the first reshape.
title_shown() {
    ! select_screen_ready "$1" && {
        read -r mean deviation <<<"$(region_stats "$1" 600 400 100 100)"
        [ "$mean" -gt 20 ]
    }
}
wait_for_screen title_shown title.png || fail "the title picture does not show"
read -r mean deviation <<<"$(region_stats title.png 600 400 100 100)"
[ "$deviation" -gt 10 ] || fail "the title is a flat colour (grey $mean, deviation $deviation): no picture"
pass "title picture shows (grey $mean, deviation $deviation)"

# door_coverage FILE: columns of the upper-middle band that differ from the
# title picture, left and right of the middle.
door_coverage() {
    convert "$1" title.png -compose difference -composite -crop 800x300+0+150 +repage \
        -colorspace Gray -threshold 8% -scale '800x1!' -depth 8 txt:- |
        awk -F'[:(),]+' 'NR > 1 && $4 > 127 { if ($1 < 400) l++; else r++ } END { print l + 0, r + 0 }'
}

# mirrored_halves FILE WIDTH: the outer WIDTH columns on each side are mirror images.
mirrored_halves() {
    convert "$1" -crop "$2x300+0+150" +repage left-half.png
    convert "$1" -crop "$2x300+$((800 - $2))+150" +repage -flop right-half.png
    local error
    error=$(compare -metric RMSE left-half.png right-half.png null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
    awk -v e="$error" 'BEGIN { exit !(e < 0.08) }'
}

# start_capture PREFIX: grabs frames into PREFIX-NNNNNN.xwd as fast as the X
# server gives them, until stop_capture, keeping the last 400. (A fast machine
# grabs more frames than a slow one in the same seconds: a fixed count of
# frames from the start could run out before what is awaited shows.)
start_capture() {
    touch capturing
    (
        frame=0
        while [ -e capturing ] && [ "$frame" -lt 100000 ]; do
            xwd -silent -id "$window" >"$1-$(printf %06d $frame).xwd" 2>/dev/null
            rm -f "$1-$(printf %06d $((frame - 400))).xwd"
            frame=$((frame + 1))
        done
    ) &
    capture_pid=$!
}

stop_capture() {
    rm -f capturing
    wait "$capture_pid"
}

# --- the doors: a release anywhere starts them. Grab frames while they run;
# the halves slide in from both sides as mirror images and close over the title.
click 400 300
start_capture door
wait_for_screen select_screen_ready select.png
ready=$?
stop_capture
[ "$ready" -eq 0 ] || fail "the select screen never appeared after the title click"
pass "the doors ran and the select screen is ready"

closest=0
for frame in door-*.xwd; do
    read -r left right <<<"$(door_coverage "$frame")"
    covered=$((left < right ? left : right))
    # A frame with the doors drawn over the title or the select screen.
    if [ "$covered" -gt "$closest" ] && [ $((left - right)) -le 30 ] && [ $((right - left)) -le 30 ] &&
        mirrored_halves "$frame" $((covered - 10)); then
        closest=$covered
        convert "$frame" doors.png
    fi
done
rm -f door-*.xwd left-half.png right-half.png
[ "$closest" -ge 300 ] ||
    fail "no frame shows the door halves closing in as mirror images (at best $closest of 400 columns each side)"
pass "the door halves closed in to within $((400 - closest)) columns of the middle"

# The select screen: heading, two rows and the start label on black.
for region in "270 40 265 285" "250 40 250 380" "150 35 322 435"; do
    read -r w h x y <<<"$region"
    read -r mean deviation <<<"$(region_stats select.png "$w" "$h" "$x" "$y")"
    [ "$mean" -gt 12 ] || fail "select screen region ${w}x$h+$x+$y is empty (grey $mean)"
done
pass "select screen shows both rows and the start label"

# --- choose Darth for player 1 and Jack for player 2, then start
from=$(lines_now)
click 375 288
click 375 384
click 397 450
wait_for_line "initializing Darth as player 1" "$from" || fail "no \"initializing Darth as player 1\""
wait_for_line "initializing Jack as player 2" "$from" || fail "no \"initializing Jack as player 2\""
pass "the bout starts with Darth as player 1 and Jack as player 2"

has_health_bars() {
    read -r left right <<<"$(red_counts "$1")"
    [ "$left" -gt 1500 ] && [ "$right" -gt 1500 ]
}
wait_for_screen has_health_bars bout-start.png || fail "no red health bars on the bout screen"
read -r left_start right_start <<<"$(red_counts bout-start.png)"
pass "both health bars show ($left_start and $right_start red pixels)"
# The arena's marble fills the lower middle of the screen.
read -r mean deviation <<<"$(region_stats bout-start.png 200 40 300 540)"
[ "$mean" -gt 60 ] || fail "no arena under the fighters (grey $mean)"
pass "the arena shows under the fighters (grey $mean)"

# --- player 1 walks in and strikes; player 2 stands, then blocks
xdotool windowfocus --sync "$window" || fail "could not focus the game window"
from=$(lines_now)
hold d
wait_for_line "state = MOVE_RIGHT" "$from" || fail "player 1 does not walk"
# Swings while walking in: each swing stops the walk, so swing in bursts
# until enough of them land.
strike_until() {
    local key=$1 hits=$2 since=$3
    local deadline=$((SECONDS + step_timeout))
    while [ "$(count_lines "Darth hit someone!" "$since")" -lt "$hits" ]; do
        alive
        [ "$SECONDS" -ge "$deadline" ] && return 1
        hold "$key"
        sleep 0.3
        release "$key"
        sleep 0.3
    done
}
strike_until t 6 "$from" || fail "Darth's horizontal strikes never hit Jack"
strike_until y 1 "$(lines_now)" || fail "Darth's vertical strikes never hit Jack"
release d
# A step back, so the picture shows the two apart.
from=$(lines_now)
hold a
wait_for_line "state = MOVE_LEFT" "$from" || fail "player 1 does not step back"
sleep 0.5
release a
shot bout.png
read -r left_hit right_hit <<<"$(red_counts bout.png)"
[ "$right_hit" -lt $((right_start * 95 / 100)) ] ||
    fail "player 2's bar did not shorten ($right_start red pixels at the start, $right_hit after the hits)"
[ "$left_hit" -ge $((left_start * 95 / 100)) ] ||
    fail "player 1's bar shortened without a hit ($left_start, then $left_hit)"
pass "Jack's health bar shortened from $right_start to $right_hit red pixels"

from=$(lines_now)
hold 3
wait_for_line "state = BLOCK" "$from" || fail "player 2 does not block"
release 3
pass "player 2 blocks"

# --- ring-out: player 2 walks away off the edge, and the menu comes back by itself
from=$(lines_now)
hold Right
wait_for_line "state = MOVE_RIGHT" "$from" || fail "player 2 does not walk away"
start_capture back
bout_over() {
    read -r left right <<<"$(red_counts "$1")"
    [ "$left" -lt $((left_start / 10)) ] && [ "$right" -lt $((right_start / 10)) ] ||
        select_screen_ready "$1"
}
wait_for_screen bout_over after-ringout.png
over=$?
release Right
[ "$over" -eq 0 ] || { stop_capture; fail "the bout did not end after walking player 2 off the arena"; }
pass "the ring-out ended the bout"
wait_for_screen select_screen_ready select-again.png
ready=$?
stop_capture
[ "$ready" -eq 0 ] || fail "the select screen did not come back after the ring-out"

# Before the doors come in far, the frame is the title picture again.
title_again=""
for frame in back-*.xwd; do
    read -r left right <<<"$(door_coverage "$frame")"
    if [ "$left" -lt 120 ] && [ "$right" -lt 120 ]; then
        title_again=$frame
        break
    fi
done
rm -f back-*.xwd
[ -n "$title_again" ] || fail "the title did not come back after the ring-out"
pass "the title came back by itself, then the doors, then the select screen"

# --- the bout's replay, verified headless, is the same bout
replays=("$work"/data/zandrel/replays/*_darth-vs-jack.zrp)
[ -f "${replays[0]}" ] || fail "the bout left no replay in $work/data/zandrel/replays"
[ "${#replays[@]}" -eq 1 ] || fail "one bout left ${#replays[@]} replays"
"$game" --replay "${replays[0]}" --verify >verify.txt 2>verify-err.txt
status=$?
[ "$status" -eq 0 ] || fail "--verify on the bout's replay exited with $status: $(cat verify-err.txt)"
# Nothing but the bout traces in the menu; only the reshapes are not the bout's.
grep -v '^Resized to ' out.txt >live-bout.txt
grep -v -e '^outcome: ' -e '^final state: ' verify.txt >replayed-bout.txt
diff -q live-bout.txt replayed-bout.txt >/dev/null ||
    fail "the replay's trace differs from the live bout's: $(diff live-bout.txt replayed-bout.txt | head -n 5)"
grep -qx "outcome: ring-out, player 1 (Darth) wins" verify.txt ||
    fail "the replay's outcome is not Darth's ring-out win: $(grep '^outcome' verify.txt)"
pass "the replay gives the bout's $(wc -l <live-bout.txt) trace lines again, and its outcome"

# --- a narrow window keeps the select screen whole: the menu fills a band
# 300 by 225 pixels, 137 down, so a layout point (x, y) is at
# (150 + (x - 400) * 3 / 8, 137 + y * 3 / 8).
from=$(lines_now)
xdotool windowsize "$window" 300 500
wait_for_line "Resized to 300 500" "$from" || fail "the window was not resized to 300 by 500"
narrow_click() {
    click $((150 + ($1 - 400) * 3 / 8)) $((137 + $2 * 3 / 8))
}
narrow_click 375 288
narrow_click 375 384
narrow_click 397 450
wait_for_line "initializing Jack as player 1" "$from" || fail "no \"initializing Jack as player 1\" at 300x500"
wait_for_line "initializing Darth as player 2" "$from" || fail "no \"initializing Darth as player 2\" at 300x500"
pass "at 300x500 both rows and START take their clicks"

# --- SIGINT mid-bout: the game ends as closing the window does
sleep 1
kill -INT "$game_pid"
wait "$game_pid"
status=$?
[ "$status" -eq 130 ] || fail "the game exited with $status after SIGINT, not 130"
kept=$(sed -n 's/^zandrel: the bout in play is kept as //p' err.txt)
[ -f "$kept" ] || fail "SIGINT kept no replay of the bout: $(cat err.txt)"
"$game" --replay "$kept" --verify >verify-signal.txt 2>&1 || fail "the replay SIGINT kept does not verify: $(cat verify-signal.txt)"
pass "SIGINT kept the bout as $(basename "$kept"), which verifies"
exit 0
