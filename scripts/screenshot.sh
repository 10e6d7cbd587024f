#!/usr/bin/env bash
# Takes a picture of the main window for the documentation. Builds nothing:
# give it a built program.
#
# Usage: scripts/screenshot.sh [path/to/timeline] [output.png]
#        (defaults: build/timeline and docs/screenshot.png)
# Needs xvfb-run (packages xvfb, xauth), xdotool and ImageMagick's import.

set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)

if [[ ${1:-} != --in-display ]]; then
    binary=${1:-$root/build/timeline}
    output=${2:-$root/docs/screenshot.png}
    [[ -x $binary ]] || { echo "screenshot: no program at $binary; build it first" >&2; exit 1; }
    for tool in xvfb-run xdotool import; do
        command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing" >&2; exit 1; }
    done
    mkdir -p "$(dirname "$output")"
    exec xvfb-run -a -s "-screen 0 1024x768x24" \
        bash "$0" --in-display "$(realpath "$binary")" "$(realpath -m "$output")"
fi

# From here on we run inside the virtual X server.
binary=$2
output=$3
workdir=$(mktemp -d)
"$binary" >/dev/null 2>"$workdir/stderr" &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rm -rf "$workdir"' EXIT

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^MainWindow$' | head -n 1)
[[ -n $window ]] || { echo "screenshot: no window appeared" >&2; cat "$workdir/stderr" >&2; exit 1; }

# The first frames may still be unpainted: take pictures until two in a row
# are the same and not a single flat colour (5 s at most).
previous=
for ((tries = 0; tries < 50; ++tries)); do
    import -window "$window" "$workdir/shot.png"
    current=$(md5sum <"$workdir/shot.png")
    colours=$(identify -format '%k' "$workdir/shot.png")
    [[ $current == "$previous" && $colours -gt 1 ]] && break
    previous=$current
    sleep 0.1
done
((tries < 50)) || { echo "screenshot: the window did not settle" >&2; exit 1; }

cp "$workdir/shot.png" "$output"
echo "screenshot: wrote $output"
