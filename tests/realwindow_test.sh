#!/usr/bin/env bash
# Runs the real program in a virtual X server: clicks twice on the time axis,
# checks the positions the program prints for the clicks, then closes the
# window the way a window manager does (WM_DELETE_WINDOW) and checks that the
# program exits with 0.
#
# Usage: realwindow_test.sh path/to/timeline
# Exit codes: 0 passed, 1 failed, 77 skipped (xvfb-run or xdotool missing).

set -u

readonly SKIP=77

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [[ ${1:-} != --in-display ]]; then
    binary=${1:?usage: $0 path/to/timeline}
    [[ -x $binary ]] || fail "no program at $binary"
    for tool in xvfb-run xdotool; do
        if ! command -v "$tool" >/dev/null; then
            echo "SKIP: $tool is not installed (packages xvfb, xauth, xdotool)"
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

echo "PASS: clicks at x 100 and 300 reported, clean exit after close"
exit 0
