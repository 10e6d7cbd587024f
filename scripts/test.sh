#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# a normal build (under UTC and under a zone with daylight-saving time) and a
# build with AddressSanitizer and UndefinedBehaviorSanitizer. In between it
# runs the static analysis, the format check and the Debian package check.
# Usage: scripts/test.sh [--no-sanitizers]   (the option leaves out the second build)
set -euo pipefail
cd "$(dirname "$0")/.."

sanitizers=true
case "${1:-}" in
"") ;;
--no-sanitizers) sanitizers=false ;;
*) echo "usage: $0 [--no-sanitizers]" >&2; exit 2 ;;
esac

scripts/install-deps.sh test

jobs=$(nproc)

echo "== normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
    -DTIMELINE_WERROR=ON
cmake --build build -j "$jobs"
for zone in UTC Europe/Berlin; do
    echo "== tests, TZ=$zone"
    TZ=$zone ctest --test-dir build --output-on-failure -j "$jobs"
done

echo "== static analysis"
scripts/check-code.sh build
echo "== format"
scripts/check-format.sh
echo "== Debian package"
scripts/check-package.sh build

if ! $sanitizers; then
    echo "== sanitizer build left out (--no-sanitizers)"
    exit 0
fi
echo "== sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON \
    -DTIMELINE_SANITIZE=ON -DTIMELINE_WERROR=ON
cmake --build build-asan -j "$jobs"
echo "== tests, sanitizers, TZ=America/New_York"
# Leaks are the leak check's business (memcheck, in the plain build).
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
TZ=America/New_York ctest --test-dir build-asan --output-on-failure -j "$jobs"
