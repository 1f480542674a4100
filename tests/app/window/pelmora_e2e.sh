#!/usr/bin/env bash
# End-to-end check of the program on a real X server (run it through xvfb-run with a 24-bit
# screen), driven by real X input events (xdotool) and read from screenshots (ImageMagick):
#   - `pelmora FILE` shows the window with the file's name as its caption, and the file's picture;
#   - a click on "Draw sticks" and a drag of the x angle bar change the picture shown, to the
#     picture a window made afresh from the saved settings shows;
#   - Ctrl+S, a name typed into the file dialog, Enter: the SVG written is byte for byte what
#     `pelmora --export` writes with the settings the window saved;
#   - Ctrl+Q closes the window, which saves the bars; a second start shows the same picture;
#   - Ctrl+E opens the Elements view, a key there gives a symbol another element: the picture
#     changes, and the choice is kept for the file in the settings;
#   - a start without the element table shows the message (the box on the screen is the one the
#     probe shows with the expected text), no main window, and ends with 1.
#
# Qt draws its controls itself, so the X server cannot say where they are. FormMainLayoutProbe
# builds the same window offscreen (same style, same fonts) and prints the controls' rectangles;
# before using them the script checks that the screen shows the left column exactly as the probe
# draws it. Without a window manager the window has no decorations, so window and screen
# coordinates differ only by the window's position.
#
#   pelmora_e2e.sh PATH/TO/pelmora PATH/TO/FormMainLayoutProbe PATH/TO/Atom.txt PATH/TO/FILE.xyz
#
# The program runs as a copy in a temporary folder, so the settings file it writes beside itself
# is this test's own. Exits 77 (skipped) when xdotool or ImageMagick is missing.
set -euo pipefail

program=$1
probe=$2
elements=$3
xyz=$4
for tool in xdotool xprop import compare; do
    command -v "$tool" >/dev/null || { echo "pelmora_e2e: $tool is not installed, skipped"; exit 77; }
done
[[ -n "${DISPLAY:-}" ]] || { echo "pelmora_e2e: no X display; run through xvfb-run"; exit 1; }

# In a sanitizer build: the X keyboard-map library that Qt's X platform loads calls strndup on a
# buffer without a terminating NUL; strndup is bounded, but strict string checks report it.
if [[ -n "${ASAN_OPTIONS:-}" ]]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi
# Qt's own widget dialogs and style, as the probe has them: no desktop's platform theme.
unset QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE XDG_CURRENT_DESKTOP DESKTOP_SESSION

work=$(mktemp -d)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/run" "$work/notable"
cp "$program" "$work/run/pelmora"
cp "$elements" "$work/run/Atom.txt"
cp "$program" "$work/notable/pelmora"
mkdir "$work/probe"
cp "$probe" "$work/probe/FormMainLayoutProbe"
settings=$work/run/pelmora.ini
passed=0

fail() {
    echo "pelmora_e2e: FAILED: $*"
    for file in "$work"/*.err "$settings"; do
        [[ -f "$file" ]] && { echo "--- $file"; cat "$file"; }
    done
    exit 1
}
pass() {
    echo "pelmora_e2e: $*"
    passed=$((passed + 1))
}

# Runs a check every tenth of a second until it holds; false when it still fails after the
# limit, which is generous for sanitizer builds on a busy machine (a passing run waits far less).
limit=30
poll() {  # command...
    local end=$((SECONDS + limit))
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
}

# ---- The running program -----------------------------------------------------------------------

start() {  # program log-name, then the program's arguments
    local executable=$1 log=$2
    shift 2
    "$executable" "$@" > "$work/$log.out" 2> "$work/$log.err" &
    pid=$!
}

ended() { ! kill -0 "$pid" 2>/dev/null; }

# Waits for the program to end; sets status to its exit status.
wait_for_end() {
    poll ended || fail "the program did not end"
    status=0
    wait "$pid" || status=$?
    pid=
}

# The program's visible windows whose first window type is the given one (NORMAL for the main
# window; DIALOG for the file dialog and message boxes, which name NORMAL as their fallback).
windows_of_kind() {
    local id
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q "= _NET_WM_WINDOW_TYPE_$1\b" && echo "$id"
    done
    return 0
}

# Waits for the program's first visible window of a kind; sets found to its id.
window_shown() {  # kind description
    found=$(windows_of_kind "$1" | head -n 1)
    [[ -n "$found" ]] && return 0
    ended && fail "the program ended before showing $2"
    return 1
}
wait_for_window() {  # kind description
    poll window_shown "$@" || fail "no $2 appeared"
}

window_geometry() {  # id; sets wx wy ww wh
    eval "$(xdotool getwindowgeometry --shell "$1")"
    wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
}

key() {  # window keys
    xdotool windowfocus --sync "$1"
    xdotool key --clearmodifiers "$2"
}

# ---- Where the controls are ---------------------------------------------------------------------

# The probe's rectangles become variables: CheckBoxDrawLink=(left top width height), ...
read_layout() {
    local name left top width height
    while read -r name left top width height; do
        name=${name//./_}
        eval "$name=($left $top $width $height)"
    done < "$work/layout"
}

# Screen coordinates of the centre of a probed rectangle.
centre_x() { local -n r=$1; echo $((wx + r[0] + r[2] / 2)); }
centre_y() { local -n r=$1; echo $((wy + r[1] + r[3] / 2)); }

# A screenshot of part of the window (window coordinates) into a file.
shot() {  # left top width height file
    import -window root -crop "$3x$4+$((wx + $1))+$((wy + $2))" +repage "$5"
}
same_picture() {  # file file
    [[ $(compare -metric AE "$1" "$2" null: 2>&1) == 0 ]]
}

# The part of the paint box above the overview, which comes and goes on a timer.
frame_shot() {  # file
    shot "${PaintBoxMain[0]}" "${PaintBoxMain[1]}" "${PaintBoxMain[2]}" $((PanelS[1] - PaintBoxMain[1])) "$1"
}

# The frame shows a picture other than the one in old-file, the same on two shots in a row (the
# drawing is done); the picture is kept in new-file.
new_picture_settled() {  # old-file new-file
    cp "$2" "$work/previous.png"
    frame_shot "$2"
    ! same_picture "$2" "$1" && same_picture "$2" "$work/previous.png"
}
wait_for_new_picture() {  # old-file new-file description
    frame_shot "$2"
    poll new_picture_settled "$1" "$2" || fail "$3"
}

# The frame shows the picture in a file; the shot is kept in now.png.
shows_picture() {  # expected-file
    frame_shot "$work/now.png"
    same_picture "$work/now.png" "$1"
}
wait_for_picture() {  # expected-file description
    poll shows_picture "$1" || fail "$2"
}

drag_thumb() {  # bar-thumb-variable pixels-to-the-right
    local x y
    x=$(centre_x "$1") y=$(centre_y "$1")
    xdotool mousemove --sync "$x" "$y" mousedown 1
    xdotool mousemove --sync $((x + $2 / 2)) "$y"
    xdotool mousemove --sync $((x + $2)) "$y" mouseup 1
}

setting() {  # key
    sed -n "s/^$1=//p" "$settings" | tr -d '\r'
}

# ---- First start: the window on its file --------------------------------------------------------

xdotool mousemove 1599 899
file_name=$(basename "$xyz")
start "$work/run/pelmora" first "$xyz"
wait_for_window NORMAL "the main window"
main=$found
# The caption is the file's name; Qt adds the program's name after a dash for the title bar.
file_captioned() {
    caption=$(xdotool getwindowname "$main")
    [[ $caption == "$file_name" || $caption == "$file_name — Pelmora" ]]
}
poll file_captioned || fail "the caption is \"$caption\", not the file's name"
window_geometry "$main"
pass "shown at ${wx},${wy} ${ww}x${wh}, caption \"$caption\""

# The probe's window at the same size, on the same file: the screen must show its left column,
# and the picture it shows.
QT_QPA_PLATFORM=offscreen "$work/probe/FormMainLayoutProbe" "$(dirname "$elements")" "$ww" "$wh" "$xyz" \
    "$work/probe-start" > "$work/layout" 2> "$work/probe.err" || fail "the layout probe failed"
read_layout
[[ ${PanelS[1]} -gt ${PaintBoxMain[1]} ]] || fail "the overview is not in the paint box's lower corner"
column_as_probed() {
    shot "${Panel2[@]}" "$work/column.png"
    same_picture "$work/column.png" "$work/probe-start-column.ppm"
}
poll column_as_probed \
    || fail "the screen's left column differs from the probe's: its control positions cannot be trusted" \
            "($(compare -metric AE "$work/column.png" "$work/probe-start-column.ppm" null: 2>&1) pixels)"
pass "the screen shows the controls where the probe has them"
wait_for_picture "$work/probe-start-frame.ppm" "the screen does not show the opened file as the probe does"
cp "$work/now.png" "$work/opened.png"
pass "the screen shows the opened file's picture"

# Sticks are drawn once their bar lets near atoms join: drag it right, then tick "Draw sticks".
drag_thumb ScrollBarStick_thumb 120
xdotool mousemove --sync "$(centre_x CheckBoxDrawLink)" "$(centre_y CheckBoxDrawLink)" click 1
wait_for_new_picture "$work/opened.png" "$work/sticks.png" "\"Draw sticks\" did not change the picture"
pass "\"Draw sticks\" changed the picture"

drag_thumb ScrollBarAx_thumb 40
wait_for_new_picture "$work/sticks.png" "$work/turned.png" "dragging the x angle bar did not change the picture"
pass "the x angle bar turned the picture"

# Ctrl+S, a full path typed into Qt's own file dialog, Enter.
xdotool mousemove 1599 899
key "$main" ctrl+s
wait_for_window DIALOG "the save dialog"
dialog=$found
xdotool windowfocus --sync "$dialog"
xdotool type --delay 5 "$work/window.svg"
xdotool key Return
saved_and_closed() { [[ -f "$work/window.svg" && -z "$(windows_of_kind DIALOG)" ]]; }
# The dialog's completer may still show its list of names when Enter comes (a slow, busy
# machine); Enter then only closes the list. The dialog still open with nothing saved after a
# while gets one more Enter.
limit=5 poll saved_and_closed || {
    [[ ! -f "$work/window.svg" && -n "$(windows_of_kind DIALOG)" ]] && key "$dialog" Return
    poll saved_and_closed || true
}
[[ -f "$work/window.svg" ]] || fail "the dialog saved no $work/window.svg"
[[ -z "$(windows_of_kind DIALOG)" ]] || fail "the save dialog stayed open"
wait_for_picture "$work/turned.png" "the picture changed when the SVG was saved"

key "$main" ctrl+q
wait_for_end
[[ $status == 0 ]] || fail "the window closed with status $status"
[[ -f "$settings" ]] || fail "closing the window wrote no settings file"
stick=$(setting 'ScrollBarStick->Position')
angle=$(setting 'ScrollBarAx->Position')
[[ $(setting 'CheckBoxDrawLink->Checked') == 1 && $stick -gt 0 && $angle -gt 0 ]] \
    || fail "the settings file does not hold the bars as they were left"
pass "Ctrl+Q closed the window; the settings hold sticks on, stick bar $stick, x angle $angle"

# A window made afresh from the saved settings shows what the clicks and drags led to.
cp "$settings" "$work/probe/FormMainLayoutProbe.ini"
QT_QPA_PLATFORM=offscreen "$work/probe/FormMainLayoutProbe" "$(dirname "$elements")" "$ww" "$wh" "$xyz" \
    "$work/probe-restored" > /dev/null 2> "$work/probe.err" || fail "the layout probe failed on the saved settings"
same_picture "$work/turned.png" "$work/probe-restored-frame.ppm" \
    || fail "the picture after the clicks and drags is not the one a window made from the saved settings shows"
pass "the picture after the clicks and drags is the one a window made from the saved settings shows"

# The export with the saved settings writes the same SVG.
"$work/run/pelmora" --export "$work/export.svg" --sticks \
    --stick-length "$stick" --stick-radius "$(setting 'ScrollBarRStick->Position')" \
    --atom-radius "$(setting 'ScrollBarKRPoint->Position')" \
    --angle-x "$angle" --angle-y "$(setting 'ScrollBarAy->Position')" --angle-z "$(setting 'ScrollBarAz->Position')" \
    --ax "$(setting 'EditAx->Text')" --ay "$(setting 'EditAy->Text')" \
    --dx "$(setting 'EditDx->Text')" --dy "$(setting 'EditDy->Text')" \
    "$xyz" 2> "$work/export.err" || fail "the export failed"
cmp -s "$work/window.svg" "$work/export.svg" || fail "the window's SVG differs from the export's"
pass "the SVG saved through the dialog is the export's, byte for byte"

# ---- Second start: the bars come back -----------------------------------------------------------

cp "$settings" "$work/settings-first"
start "$work/run/pelmora" second "$xyz"
wait_for_window NORMAL "the main window at the second start"
main=$found
window_geometry "$main"
[[ "$ww $wh" == "${window[2]} ${window[3]}" ]] || fail "the second window is ${ww}x${wh}, not ${window[2]}x${window[3]}"
wait_for_picture "$work/turned.png" "the second start does not show the picture the first one ended with"
pass "the second start showed the picture the first one ended with"

# Ctrl+E opens the Elements view beside the window; the arrow key gives the first symbol the
# next element of the table, and the picture changes at once. The choice is kept for the file.
key "$main" ctrl+e
wait_for_window DIALOG "the Elements view"
key "$found" Down
wait_for_new_picture "$work/turned.png" "$work/chosen.png" "choosing an element in the Elements view did not change the picture"
key "$found" Escape
key "$main" ctrl+q
wait_for_end
[[ $status == 0 ]] || fail "the second window closed with status $status"
for name in CheckBoxDrawLink-\>Checked ScrollBarStick-\>Position ScrollBarAx-\>Position; do
    [[ $(setting "$name") == $(sed -n "s/^$name=//p" "$work/settings-first" | tr -d '\r') ]] \
        || fail "$name did not survive the second start"
done
[[ $(sed -n 's/^File1=//p' "$settings" | tr -d '\r') == "$(realpath -s "$xyz")" && -n $(setting 'Map1') ]] \
    || fail "the element chosen is not kept for the file in the settings"
pass "the second start restored the bars; an element chosen in the Elements view changed the picture" \
    "and is kept as $(setting 'Map1')"

# ---- A start without the element table ----------------------------------------------------------

# The probe shows the box the program should show, with the message for this folder, and draws
# it; it runs on the screen, so that the box gets the screen's width and the platform's buttons.
"$work/probe/FormMainLayoutProbe" --start-error "$work/notable" "$work/probe-box.ppm" \
    > "$work/message" 2> "$work/probe.err" || fail "the probe failed to show the start-up message"
start "$work/notable/pelmora" notable "$xyz"
wait_for_window DIALOG "the message about the element table"
box=$found
[[ $(xdotool getwindowname "$box") == Pelmora ]] || fail "the message box is titled \"$(xdotool getwindowname "$box")\""
box_as_probed() {
    import -window "$box" "$work/box.png"
    same_picture "$work/box.png" "$work/probe-box.ppm"
}
poll box_as_probed || fail "the message box does not show \"$(cat "$work/message")\""
[[ -z "$(windows_of_kind NORMAL)" ]] || fail "a main window appeared without the element table"
key "$box" Return
wait_for_end
[[ $status == 1 ]] || fail "without the element table the program ended with $status, not 1"
[[ ! -e "$work/notable/pelmora.ini" ]] || fail "without the element table a settings file was written"
pass "without the element table: the message \"$(cat "$work/message")\", no main window, status 1"

echo "pelmora_e2e: $passed passed, 0 failed"
