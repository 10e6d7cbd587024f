#!/usr/bin/env bash
# Starts the program natively on Wayland, under a headless Weston of its own,
# and proves that its main window was painted and shown: a screenshot of the
# compositor's output must contain the time axis rows' background colours over
# a large area (the zoom buttons carry the same colours, but are far smaller).
# Usage: tests/wayland_test.sh path/to/timeline
set -euo pipefail

binary=$(realpath "${1:?usage: $0 path/to/timeline}")
scratch=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
fail() {
    echo "wayland_test: $*" >&2
    tail -n 20 "$scratch/weston.log" "$scratch/app.log" >&2 || true
    exit 1
}

# A runtime directory of its own keeps the socket away from any session's.
export XDG_RUNTIME_DIR=$scratch/runtime WAYLAND_DISPLAY=timeline-test
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY
cd "$scratch"

# --debug exposes the protocol weston-screenshooter captures the output with;
# pixman renders in memory. Weston 12 and later choose it with --renderer
# (their --use-pixman is a deprecated alias), Weston 10 only knows --use-pixman.
pixman=--use-pixman
[[ $(weston --help 2>&1) == *--renderer=* ]] && pixman=--renderer=pixman
weston --backend=headless-backend.so "$pixman" --width=1024 --height=768 \
    --socket="$WAYLAND_DISPLAY" --idle-time=0 --debug >weston.log 2>&1 &
for _ in $(seq 100); do
    [[ -S $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY ]] && break
    sleep 0.1
done
[[ -S $XDG_RUNTIME_DIR/$WAYLAND_DISPLAY ]] || fail "weston opened no socket"

# Only the Wayland platform plugin: no fallback to X11 can make this pass.
# The protocol log shows the toplevel and every buffer the program commits
# (an object is name#id in the log of Debian 13's libwayland, name@id in 12's).
QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client "$binary" >app.log 2>&1 &
app_pid=$!

# The rows at the start-up zoom: weeks, months and years, 5000 pixels each.
for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || fail "the program exited"
    sleep 0.2
    grep -q 'set_title("MainWindow")' app.log || continue
    grep -q 'wl_surface[@#][0-9]*\.attach(wl_buffer' app.log || continue
    rm -f wayland-screenshot-*.png
    weston-screenshooter >>weston.log 2>&1 || continue
    painted=$(convert wayland-screenshot-*.png -format %c histogram:info:- | awk '
        { for (i = 1; i <= 3; ++i) if (index(toupper($0), "#" c[i] " ")) n[i] += $1 }
        BEGIN { split("C6C78A AEB99C 8DAA94", c) }
        END { print (n[1] >= 5000 && n[2] >= 5000 && n[3] >= 5000) }')
    if [[ $painted == 1 ]]; then
        echo "wayland_test: window painted (#C6C78A, #AEB99C and #8DAA94 over 5000 pixels each)"
        exit 0
    fi
done
fail "no painted window in the compositor's output within 20 s"
