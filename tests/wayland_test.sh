#!/usr/bin/env bash
# Starts the program natively on Wayland, under a headless Weston of its own,
# and proves that its main window was painted and shown: a screenshot of the
# compositor's output must contain the time axis rows' background colours over
# a large area (the zoom buttons carry the same colours, but are far smaller).
# Usage: tests/wayland_test.sh path/to/timeline
set -euo pipefail

binary=$(realpath "${1:?usage: $0 path/to/timeline}")
for tool in weston weston-screenshooter convert; do
    command -v "$tool" >/dev/null || { echo "wayland_test: $tool is missing" >&2; exit 1; }
done

scratch=$(mktemp -d)
weston_pid=
app_pid=
cleanup() {
    [[ -n "$app_pid" ]] && kill "$app_pid" 2>/dev/null
    [[ -n "$weston_pid" ]] && kill "$weston_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "wayland_test: $*" >&2
    for log in weston app; do
        echo "--- $log log (tail)" >&2
        tail -n 20 "$scratch/$log.log" >&2 || true
    done
    exit 1
}

# A runtime directory of its own keeps the socket away from any session's.
export XDG_RUNTIME_DIR=$scratch/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY
export WAYLAND_DISPLAY=timeline-test
cd "$scratch"

# --debug exposes the protocol weston-screenshooter captures the output with;
# pixman renders in memory. Weston 12 and later choose it with --renderer
# (their --use-pixman is a deprecated alias), Weston 10 only knows --use-pixman.
if [[ $(weston --help 2>&1) == *--renderer=* ]]; then
    pixman=--renderer=pixman
else
    pixman=--use-pixman
fi
weston --backend=headless-backend.so "$pixman" --width=1024 --height=768 \
    --socket="$WAYLAND_DISPLAY" --idle-time=0 --debug >weston.log 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
    [[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]] && break
    kill -0 "$weston_pid" 2>/dev/null || fail "weston exited"
    sleep 0.1
done
[[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]] || fail "weston opened no socket"

# Only the Wayland platform plugin: no fallback to X11 can make this pass.
# The protocol log shows the toplevel and every buffer the program commits
# (an object is name#id in the log of Debian 13's libwayland, name@id in 12's).
QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$binary" >app.log 2>&1 &
app_pid=$!

# The rows at the start-up zoom: weeks, months and years.
colors=(C6C78A AEB99C 8DAA94)
min_pixels=5000
for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || fail "the program exited"
    if grep -q 'set_title("MainWindow")' app.log && grep -q 'wl_surface[@#][0-9]*\.attach(wl_buffer' app.log; then
        rm -f wayland-screenshot-*.png
        if weston-screenshooter >>weston.log 2>&1; then
            shot=$(ls wayland-screenshot-*.png 2>/dev/null | head -n 1)
            if [[ -n "$shot" ]]; then
                histogram=$(convert "$shot" -format %c histogram:info:-)
                painted=0
                for color in "${colors[@]}"; do
                    count=$(awk -F: -v color="#$color " \
                        'index(toupper($0), color) { s += $1 } END { print s + 0 }' <<<"$histogram")
                    ((count >= min_pixels)) && painted=$((painted + 1))
                done
                if ((painted == ${#colors[@]})); then
                    echo "wayland_test: window painted (${colors[*]} each over $min_pixels pixels)"
                    exit 0
                fi
            fi
        fi
    fi
    sleep 0.2
done
fail "no painted window in the compositor's output within 20 s"
