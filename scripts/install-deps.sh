#!/usr/bin/env bash
# Installs the Debian packages (Debian 12 or 13) that building, running or
# testing needs.
# Usage: scripts/install-deps.sh run|test
# Does nothing when everything is already installed; otherwise runs
# apt-get update and apt-get install (as root, or through sudo).
set -euo pipefail

build_packages=(cmake ninja-build g++ qt6-base-dev qt6-tools-dev qt6-l10n-tools
                qt6-translations-l10n libgl-dev libegl-dev
                qt6-qpa-plugins qt6-wayland fonts-dejavu-core tzdata)
test_packages=(xvfb xauth xdotool imagemagick valgrind
               weston
               clang-tidy-19 clang-format-19 cppcheck
               dpkg-dev file lintian desktop-file-utils appstream librsvg2-bin
               python3 python3-xlib)

case "${1:-}" in
run) packages=("${build_packages[@]}") ;;
test) packages=("${build_packages[@]}" "${test_packages[@]}") ;;
*) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo" >&2
    exit 1
fi
echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
