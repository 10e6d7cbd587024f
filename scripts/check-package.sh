#!/usr/bin/env bash
# Builds the Debian package from a configured build directory and checks it:
# the desktop entry and the AppStream metainfo validate, the package holds
# exactly the expected files, its control fields are right, lintian reports no
# error or warning, and the unpacked program opens its main window under Xvfb
# and exits with 0 when the window is closed.
# Usage: scripts/check-package.sh BUILD_DIR
set -euo pipefail

# Inside xvfb-run (see the end): start the program, wait for its window, ask
# the window to close as a window manager would, and expect a clean exit.
if [[ "${1:-}" == --smoke ]]; then
    binary=$2
    "$binary" &
    pid=$!
    wid=$(timeout 30 xdotool search --sync --name '^MainWindow$' | head -n 1) || true
    if [[ -z "$wid" ]]; then
        echo "check-package: no MainWindow appeared" >&2
        kill "$pid" 2>/dev/null || true
        exit 1
    fi
    # WM_DELETE_WINDOW, what a window manager sends for the close button; xdotool
    # can only destroy the window, which a program does not survive cleanly.
    /usr/bin/python3 - "$wid" <<'EOF'
import sys
from Xlib import X, display, protocol
d = display.Display()
window = d.create_resource_object('window', int(sys.argv[1]))
message = protocol.event.ClientMessage(
    window=window, client_type=d.intern_atom('WM_PROTOCOLS'),
    data=(32, [d.intern_atom('WM_DELETE_WINDOW'), X.CurrentTime, 0, 0, 0]))
window.send_event(message, event_mask=X.NoEventMask)
d.flush()
EOF
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "check-package: the program did not exit after its window was closed" >&2
        kill "$pid"
        exit 1
    fi
    status=0
    wait "$pid" || status=$?
    [[ $status -eq 0 ]] || { echo "check-package: the program exited with $status" >&2; exit 1; }
    exit 0
fi

self=$(realpath "$0")
build=$(realpath "${1:?usage: $0 BUILD_DIR}")
source_dir=$(realpath "$(dirname "$0")/..")
[[ -f "$build/CPackConfig.cmake" ]] || { echo "check-package: $build is not configured" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "check-package: FAIL: $*" >&2
    failures=$((failures + 1))
}

app_id=io.github.timeline.Timeline
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)

echo "== build and package"
cmake --build "$build"
rm -f "$build"/timeline_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$build/timeline_${version}_${arch}.deb"
[[ -f "$deb" ]] || { echo "check-package: cpack made no $deb" >&2; exit 1; }
echo "$deb"

root=$scratch/root
dpkg-deb -x "$deb" "$root"

echo "== desktop entry and metainfo"
desktop=$root/usr/share/applications/$app_id.desktop
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
icon=$root/usr/share/icons/hicolor/scalable/apps/$app_id.svg
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --pedantic --no-net "$metainfo" || fail "appstreamcli validate"
# The three refer to each other by name: the entry starts the packaged binary
# and names the packaged icon, the metainfo launches the packaged entry.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[[ -x "$root/usr/bin/${exec_line%% *}" ]] || fail "Exec=$exec_line is not a packaged program"
[[ "$(sed -n 's/^Icon=//p' "$desktop")" == "$app_id" ]] || fail "Icon= does not name $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" \
    || fail "the metainfo does not launch $app_id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo lacks release $version"
# No made-up address or unfilled CMake variable in any installed file (the
# compressed ones included) or in the control fields.
placeholder='example\.(org|com)|@[A-Z_]+@'
placeholders=$(grep -rIlE "$placeholder" "$root"
               find "$root" -name '*.gz' -exec zgrep -lE "$placeholder" {} +) || true
dpkg-deb -f "$deb" | grep -qE "$placeholder" && placeholders+=" control"
[[ -z "$placeholders" ]] || fail "placeholders left in: ${placeholders//$root/}"
rsvg-convert -w 48 -h 48 -o "$scratch/icon.png" "$icon" || fail "the icon is not valid SVG"

echo "== contents"
expected="usr/bin/timeline
usr/share/applications/$app_id.desktop
usr/share/doc/timeline/changelog.gz
usr/share/doc/timeline/copyright
usr/share/icons/hicolor/scalable/apps/$app_id.svg
usr/share/man/man1/timeline.1.gz
usr/share/metainfo/$app_id.metainfo.xml"
actual=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
if [[ "$actual" != "$expected" ]]; then
    fail "unexpected contents"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
fi
file "$root/usr/bin/timeline" | grep -q 'ELF.*stripped' || fail "usr/bin/timeline is not a stripped ELF"
file "$root/usr/bin/timeline" | grep -q 'not stripped' && fail "usr/bin/timeline is not stripped"
readelf -d "$root/usr/bin/timeline" | grep -qE 'RPATH|RUNPATH' && fail "usr/bin/timeline has a run path"
gzip -t "$root/usr/share/man/man1/timeline.1.gz" "$root/usr/share/doc/timeline/changelog.gz" \
    || fail "a compressed file is broken"

echo "== control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == timeline ]] || fail "Package is $(field Package)"
[[ "$(field Version)" == "$version" ]] || fail "Version is $(field Version)"
[[ "$(field Architecture)" == "$arch" ]] || fail "Architecture is $(field Architecture)"
[[ -n "$(field Maintainer)" ]] || fail "no Maintainer"
[[ $(field Description | wc -l) -ge 2 ]] || fail "no extended Description"
depends=$(field Depends)
echo "Depends: $depends"
# Named by hand (plugins loaded at run time) and computed by dpkg-shlibdeps;
# Debian 13 calls QtCore's package libqt6core6t64 (built with a 64-bit time_t).
for package in qt6-qpa-plugins qt6-wayland 'libqt6core6(t64)?' libqt6gui6 libqt6widgets6 libc6; do
    [[ ", $depends," =~ ", "${package}[\ ,] ]] || fail "Depends lacks $package"
done

echo "== lintian"
# Only errors and warnings fail; the informational tags (hardening flags that
# come from the build directory's compiler flags) are shown all the same.
lintian --fail-on error,warning --display-info "$deb" || fail "lintian"

echo "== smoke test of the unpacked program under Xvfb"
timeout 60 xvfb-run -a "$self" --smoke "$root/usr/bin/timeline" || fail "smoke test"

if ((failures > 0)); then
    echo "check-package: $failures check(s) failed" >&2
    exit 1
fi
echo "check-package: OK"
