#!/usr/bin/env bash
# Runs the real program in a virtual X server: clicks twice on the time axis
# (once with a small wobble) and checks the positions the program prints; clicks ">" and presses Left five
# times and checks that the axis is back where it was (">" moves it by half the
# view, five Lefts by five tenths); drags the axis, which prints nothing; then
# closes the window the way a window manager does (WM_DELETE_WINDOW) and
# checks that the program exits with 0.
#
# Usage: realwindow_test.sh path/to/timeline
set -u

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [[ ${1:-} != --in-display ]]; then
    # -a picks a free display number, so parallel runs do not collide.
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --in-display "${1:?usage: $0 timeline}"
fi

workdir=$(mktemp -d)
pid=
trap '[[ -n $pid ]] && kill "$pid" 2>/dev/null; rm -rf "$workdir"' EXIT

# "find" prints the time axis's left, top, right and bottom edges in a
# picture of the window: the run of pixels unlike the window's background down
# the column 100 pixels into the canvas (the canvas starts 14 pixels in: grid
# margin 9 and the left spacer 5), and along its middle row. "digest X Y W H"
# prints a checksum of that part of the window.
look() {
    import -window "$window" -depth 8 ppm:- | /usr/bin/python3 -c '
import hashlib, re, sys
data = sys.stdin.buffer.read()
head = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
width, pixels = int(head.group(1)), data[head.end():]
at = lambda x, y: pixels[3 * (y * width + x):3 * (y * width + x) + 3]
if sys.argv[1] == "find":
    background, x = at(2, 100), 114
    top = next(y for y in range(60, 700) if at(x, y) != background)
    bottom = next(y for y in range(top, 700) if at(x, y) == background) - 1
    right = next(i for i in range(x, width) if at(i, (top + bottom) // 2) == background) - 1
    print(14, top, right, bottom)
else:
    x, y, w, h = map(int, sys.argv[2:])
    print(hashlib.md5(b"".join(pixels[3 * ((y + r) * width + x):3 * ((y + r) * width + x + w)]
                               for r in range(h))).hexdigest())
' "$@"
}

# Polls until the command's output is (with "same") or is not (with "other")
# $2, or is the same twice running (with "steady", printing it); 5 s at most.
await() {
    local mode=$1 want=$2 got previous= tries
    shift 2
    for ((tries = 0; tries < 50; ++tries)); do
        got=$("$@")
        case $mode in
        same) [[ $got == "$want" ]] && return 0 ;;
        other) [[ -n $got && $got != "$want" ]] && return 0 ;;
        steady) [[ -n $got && $got == "$previous" ]] && { echo "$got"; return 0; } ;;
        esac
        previous=$got
        sleep 0.1
    done
    return 1
}

# The program flushes each click line at once, so the file fills while it runs.
binary=$2
"$binary" >"$workdir/stdout" 2>"$workdir/stderr" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^MainWindow$' | head -n 1)
[[ -n $window ]] || fail "no window named MainWindow appeared within 20 s: $(cat "$workdir/stderr")"
read -r left top right bottom < <(await steady "" look find) || fail "no time axis in the window"
middle=$(((top + bottom) / 2))

# A plain click, and one that wobbles by 3 pixels (too little for a drag)
# before the release, which is where it is reported.
xdotool mousemove --sync --window "$window" $((left + 100)) "$middle" click 1
xdotool mousemove --sync --window "$window" $((left + 300)) "$middle" mousedown 1 \
    mousemove --sync --window "$window" $((left + 303)) $((middle - 3)) mouseup 1
await same 2 grep -c '^clicked at xPos: ' "$workdir/stdout" \
    || fail "expected 2 click lines, got: $(cat "$workdir/stdout")"
[[ $(grep -c -x -e 'clicked at xPos: 100' -e 'clicked at xPos: 303' "$workdir/stdout") == 2 ]] \
    || fail "wrong click lines: $(cat "$workdir/stdout")"

# At the start scale the view spans a whole number of seconds divisible by
# ten, so five tenths back make exactly the half that ">" (below the axis's
# right end) went forward. The round trip is made twice and the pictures
# after each compared: a scale's first picture is painted directly, later
# ones from kept tiles, which may differ from it by a shade at a few pixels.
axis=(look digest $((left + 10)) $((top + 2)) 400 $((bottom - top - 4)))
round_trip() {
    local before
    before=$("${axis[@]}")
    # (--sync would wait for a move that does not happen the second time.)
    xdotool mousemove --window "$window" $((right - 14)) $((bottom + 12)) click 1
    await other "$before" "${axis[@]}" || fail "the time axis did not move after a click on \">\""
    xdotool windowfocus "$window" key Left Left Left Left Left
}
round_trip
back=$(await steady "" "${axis[@]}") || fail "the time axis did not settle after five Lefts"
round_trip
await same "$back" "${axis[@]}" || fail "five Lefts did not bring the time axis back after \">\""
# A drag moves the axis and is no click.
xdotool mousemove --sync --window "$window" $((left + 100)) "$middle" mousedown 1 \
    mousemove --sync --window "$window" $((left + 160)) "$middle" mouseup 1
await other "$back" "${axis[@]}" || fail "the time axis did not move with a drag"
[[ $(wc -l <"$workdir/stdout") == 2 ]] || fail "unexpected output: $(cat "$workdir/stdout")"

/usr/bin/python3 - "$window" <<'EOF' || fail "could not send WM_DELETE_WINDOW"
import sys
from Xlib import X, display, protocol
d = display.Display()
window = d.create_resource_object("window", int(sys.argv[1]))
window.send_event(protocol.event.ClientMessage(
    window=window, client_type=d.intern_atom("WM_PROTOCOLS"),
    data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
d.flush()
EOF
await same "" bash -c "kill -0 $pid 2>/dev/null && echo running" \
    || fail "the program still runs 5 s after its window was closed"
wait "$pid"
status=$?
pid=
((status == 0)) || fail "the program exited with $status after a normal close"
echo "PASS: clicks at x 100 and 303 reported, \">\", Left and a drag move the axis, clean exit after close"
