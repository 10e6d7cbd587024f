#!/usr/bin/env bash
# Runs the real program in a virtual X server: clicks twice on the time axis,
# checks the positions the program prints for the clicks, clicks ">" and
# presses Left five times and checks the picture of the axis (">" moves it by
# half the view, five Lefts by five tenths, back to where it was), then
# closes the window the way a window manager does (WM_DELETE_WINDOW) and
# checks that the program exits with 0.
#
# Usage: realwindow_test.sh path/to/timeline
# Exit codes: 0 passed, 1 failed, 77 skipped (xvfb-run, xdotool or import
# missing).

set -u

readonly SKIP=77

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [[ ${1:-} != --in-display ]]; then
    binary=${1:?usage: $0 path/to/timeline}
    [[ -x $binary ]] || fail "no program at $binary"
    for tool in xvfb-run xdotool import; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is not installed (packages xvfb, xauth, xdotool, imagemagick)"
            exit $SKIP
        fi
    done
    command -v python3 >/dev/null || fail "python3 is needed to close the window"
    # -a picks a free display number, so parallel runs do not collide.
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --in-display "$binary"
fi

# From here on we run inside the virtual X server.
binary=$2
workdir=$(mktemp -d)
pid=

# shellcheck disable=SC2317 # called by the EXIT trap
cleanup() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$workdir"
}
trap cleanup EXIT

# Polls until the program has printed at least $1 click lines; 10 s at most.
wait_for_clicks() {
    local wanted=$1 tries
    for ((tries = 0; tries < 100; ++tries)); do
        (($(grep -c '^clicked at xPos: ' "$workdir/stdout") >= wanted)) && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

# What a window manager sends when the user closes a window; there is no
# window manager here, and "xdotool windowclose" would destroy the X window
# behind the toolkit's back instead of asking the program to close it.
request_close() {
    python3 - "$1" <<'EOF'
import ctypes
import sys

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                           ctypes.c_long, ctypes.POINTER(XEvent)]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = int(sys.argv[1])
event = XEvent()
event.xclient.type = 33  # ClientMessage
event.xclient.window = window
event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
event.xclient.data[1] = 0  # CurrentTime
if not x11.XSendEvent(display, window, 0, 0, ctypes.byref(event)):
    sys.exit("XSendEvent failed")
x11.XFlush(display)
x11.XCloseDisplay(display)
EOF
}

# Looks at the time axis in a picture of the window, given a point (x, y)
# on it. "edges" prints the axis's right and bottom edge: the last pixels
# before the window's background (as at x = 2) to the right of and below the
# point. "digest" prints a checksum of the axis's pixels from x rightwards.
axis() {
    import -window "$window" -depth 8 ppm:- | python3 -c '
import hashlib, re, sys
mode, x, y = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
data = sys.stdin.buffer.read()
header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
width, height = int(header.group(1)), int(header.group(2))
pixels = data[header.end():]
at = lambda px, py: pixels[3 * (py * width + px):3 * (py * width + px) + 3]
background = at(2, y)
def last(px, py, dx, dy):
    while 0 <= px + dx < width and 0 <= py + dy < height and at(px + dx, py + dy) != background:
        px, py = px + dx, py + dy
    return px, py
right, bottom = last(x, y, 1, 0)[0], last(x, y, 0, 1)[1]
top = last(x, y, 0, -1)[1]
if mode == "edges":
    print(right, bottom)
else:
    rows = [pixels[3 * (row * width + x):3 * (row * width + right + 1)]
            for row in range(top, bottom + 1)]
    print(hashlib.md5(b"".join(rows)).hexdigest())
' "$@"
}

# Polls until the axis's digest is $2 (with $1 "same") or is not (with $1
# "other"); 5 s at most.
wait_for_axis() {
    local tries digest
    for ((tries = 0; tries < 50; ++tries)); do
        digest=$(axis digest "$axisX" "$clickY")
        if [[ $digest == "$2" ]]; then
            [[ $1 == same ]] && return 0
        elif [[ -n $digest && $1 == other ]]; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Prints the axis's digest once two in a row are the same; 5 s at most.
steady_axis() {
    local tries digest previous=
    for ((tries = 0; tries < 50; ++tries)); do
        digest=$(axis digest "$axisX" "$clickY")
        [[ -n $digest && $digest == "$previous" ]] && { echo "$digest"; return 0; }
        previous=$digest
        sleep 0.1
    done
    return 1
}

# The program flushes each click line at once, so the file fills while it runs.
"$binary" >"$workdir/stdout" 2>"$workdir/stderr" &
pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^MainWindow$' | head -n 1)
[[ -n $window ]] || fail "no window named MainWindow appeared within 20 s"

# The time axis is the first column of the central grid: grid margin 9 plus
# the 5 pixel left spacer (the grid adds no spacing next to a spacer item),
# so canvas x = window x - 14. Its height depends on the fonts; try a few
# rows inside the axis, starting with the one that hits on a stock system.
readonly canvasLeft=14
clickY=
for y in 433 420 445 405 460; do
    xdotool mousemove --sync --window "$window" $((canvasLeft + 100)) "$y" click 1
    if wait_for_clicks 1; then
        clickY=$y
        break
    fi
done
[[ -n $clickY ]] || fail "no click line after clicking on the time axis; stderr:
$(cat "$workdir/stderr")"

xdotool mousemove --sync --window "$window" $((canvasLeft + 300)) "$clickY" click 1
wait_for_clicks 2 || fail "no line for the second click"

mapfile -t lines < <(grep '^clicked at xPos: ' "$workdir/stdout")
((${#lines[@]} == 2)) || fail "expected 2 click lines, got: ${lines[*]}"
[[ ${lines[0]} == "clicked at xPos: 100" ]] || fail "first click: got '${lines[0]}'"
[[ ${lines[1]} == "clicked at xPos: 300" ]] || fail "second click: got '${lines[1]}'"

# ">" sits below the right end of the axis, 2 pixels down, at most 30 wide.
readonly axisX=$((canvasLeft + 100))
read -r axisRight axisBottom < <(axis edges "$axisX" "$clickY")
[[ -n ${axisBottom:-} ]] || fail "could not find the edges of the time axis"
# At the start scale the view spans a whole number of seconds divisible by
# ten, so five tenths back make exactly the half that ">" went forward. The
# round trip is made twice and the pictures after each compared: the first
# picture of a scale is painted directly, every later one from kept tiles,
# which may differ from it by a shade at a few pixels.
round_trip() {
    local before
    before=$(axis digest "$axisX" "$clickY")
    xdotool mousemove --sync --window "$window" $((axisRight - 14)) $((axisBottom + 12)) click 1
    wait_for_axis other "$before" || fail "the time axis did not move after a click on \">\""
    xdotool windowfocus --sync "$window"
    for ((i = 0; i < 5; ++i)); do
        xdotool key Left
    done
}
round_trip
back=$(steady_axis) || fail "the time axis did not settle after five Lefts"
round_trip
wait_for_axis same "$back" || fail "five Lefts did not bring the time axis back after \">\""
(($(wc -l <"$workdir/stdout") == 2)) || fail "unexpected output: $(cat "$workdir/stdout")"

request_close "$window" || fail "could not send WM_DELETE_WINDOW"
for ((tries = 0; tries < 100; ++tries)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program still runs 10 s after its window was closed"
wait "$pid"
status=$?
pid=
((status == 0)) || fail "the program exited with $status after a normal close"

echo "PASS: clicks at x 100 and 300 reported, \">\" and Left move the axis, clean exit after close"
exit 0
