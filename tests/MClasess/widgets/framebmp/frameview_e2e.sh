#!/usr/bin/env bash
# End-to-end check of frameview on a real X server (run it through xvfb-run with a 24-bit
# screen): the frame shows its picture on the screen, the wheel zooms, a middle-button drag pans,
# the + key zooms and Home fits, and the second frame of the sync group follows. Input goes in
# as real X events (xdotool); frameview answers "state" on its standard input with its zoom,
# centre and the colour the screen shows in the middle of each paint box.
#
#   frameview_e2e.sh PATH/TO/frameview
#
# Exits 77 (skipped) when xdotool is missing.
set -euo pipefail

frameview=$1
command -v xdotool >/dev/null || { echo "frameview_e2e: xdotool is not installed, skipped"; exit 77; }
[[ -n "${DISPLAY:-}" ]] || { echo "frameview_e2e: no X display; run through xvfb-run"; exit 1; }

# In a sanitizer build: the X keyboard-map library that Qt's X platform loads calls strndup on a
# buffer without a terminating NUL; strndup is bounded, but strict string checks report it.
if [[ -n "${ASAN_OPTIONS:-}" ]]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi

work=$(mktemp -d)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "frameview_e2e: FAILED: $*"
    echo "--- frameview output"; cat "$work/out"
    echo "--- frameview errors"; cat "$work/err"
    exit 1
}

# A grey picture with a green middle, so the middle of the view has a known colour.
make_picture() {  # width height file
    awk -v w="$1" -v h="$2" 'BEGIN {
        print "P3"; print w, h; print 255
        for (y = 0; y < h; y++) {
            line = ""
            for (x = 0; x < w; x++) {
                inside = x > w * 0.3 && x < w * 0.7 && y > h * 0.3 && y < h * 0.7
                line = line (inside ? "0 200 0 " : "128 128 128 ")
            }
            print line
        }
    }' > "$3"
}
make_picture 300 200 "$work/a.ppm"
make_picture 600 400 "$work/b.ppm"

mkfifo "$work/in"
"$frameview" --report "$work/a.ppm" "$work/b.ppm" < "$work/in" > "$work/out" 2> "$work/err" &
pid=$!
exec 3> "$work/in"

wait_for_lines() {  # count
    for _ in $(seq 150); do
        [[ $(wc -l < "$work/out") -ge $1 ]] && return 0
        kill -0 "$pid" 2>/dev/null || fail "frameview ended early"
        sleep 0.1
    done
    fail "frameview did not answer"
}

# Prints the state lines of both frames.
state() {
    local before
    before=$(wc -l < "$work/out")
    echo state >&3
    wait_for_lines $((before + 2))
    tail -n 2 "$work/out"
}

field() {  # line name
    sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<< "$1"
}

# awk functions over a state line: num(line, "scale"), centreY(line).
helpers='function num(s, k,   r) { r = s; sub(".* " k "=", "", r); sub("[ ,].*", "", r); return r + 0 }
function centreY(s,   r) { r = s; sub(".* centre=[^,]*,", "", r); sub(" .*", "", r); return r + 0 }'

# Waits until an awk condition on the two state lines holds ($1: frame 0's line, $2: frame 1's).
wait_until() {  # description awk-condition
    local lines
    for _ in $(seq 30); do
        lines=$(state)
        if awk -v a="$(head -n 1 <<< "$lines")" -v b="$(tail -n 1 <<< "$lines")" "$helpers
BEGIN { exit !($2) }"; then
            return 0
        fi
        sleep 0.1
    done
    fail "$1 (last state: $lines)"
}

wait_for_lines 1
grep -qx ready "$work/out" || fail "no ready line"

initial=$(state)
first=$(head -n 1 <<< "$initial")
second=$(tail -n 1 <<< "$initial")
echo "frameview_e2e: shown: $first"
[[ $(field "$first" screen) == "0,200,0" ]] || fail "the screen does not show the picture: $first"
[[ $(field "$second" screen) == "0,200,0" ]] || fail "the second frame does not show its picture: $second"
IFS=, read -r gx gy width height <<< "$(field "$first" paintbox)"
scaleA=$(field "$first" scale)
scaleB=$(field "$second" scale)
IFS=, read -r _ centreY0 <<< "$(field "$first" centre)"

# The wheel turned toward the user zooms in, and the linked frame follows.
xdotool mousemove $((gx + width / 2)) $((gy + height / 2))
sleep 0.2
xdotool click 5
wait_until "the wheel did not zoom both frames" \
    "num(a, \"scale\") > $scaleA && num(b, \"scale\") > $scaleB"
echo "frameview_e2e: after the wheel: $(state | head -n 1)"

# A middle-button drag downward moves the view centre up, in both frames.
xdotool mousedown 2
sleep 0.1
xdotool mousemove $((gx + width / 2)) $((gy + height / 2 + 100))
sleep 0.2
xdotool mouseup 2
wait_until "the middle-button drag did not pan both frames" \
    "centreY(a) < $centreY0 - 0.01 && centreY(b) < $centreY0 - 0.01"
echo "frameview_e2e: after the drag: $(state | head -n 1)"

# The press gave the frame the focus: + zooms in one step, in both frames; Home fits again.
afterDrag=$(state)
scaleA=$(field "$(head -n 1 <<< "$afterDrag")" scale)
scaleB=$(field "$(tail -n 1 <<< "$afterDrag")" scale)
xdotool key plus
wait_until "the + key did not zoom both frames" \
    "num(a, \"scale\") > $scaleA && num(b, \"scale\") > $scaleB"
xdotool key Home
wait_until "the Home key did not fit the picture again" \
    "num(a, \"scale\") < $scaleA"
echo "frameview_e2e: after + and Home: $(state | head -n 1)"

echo quit >&3
wait "$pid" || fail "frameview did not end cleanly"
pid=
echo "frameview_e2e: 5 passed, 0 failed"
