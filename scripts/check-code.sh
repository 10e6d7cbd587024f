#!/usr/bin/env bash
# Static analysis of the program's code (app/ timeline/ scale/ widgets/):
# clang-tidy with the checks in .clang-tidy, then cppcheck. Any finding fails.
# Usage: scripts/check-code.sh [BUILD_DIR]   (default: build)
# BUILD_DIR must be configured; its compile_commands.json gives clang-tidy the
# same flags as the compiler, and building it first makes the moc files exist.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}

# clang-tidy 19 on Debian 12 and 13 alike, so both find the same.
tidy=clang-tidy-19
for tool in "$tidy" cppcheck; do
    command -v "$tool" >/dev/null \
        || { echo "check-code: $tool is missing (package $tool)" >&2; exit 1; }
done
[[ -f "$build/compile_commands.json" ]] || {
    echo "check-code: no $build/compile_commands.json; configure $build first" >&2
    exit 1
}
cmake --build "$build" --target timelinecore timeline >/dev/null

dirs=(app timeline scale widgets)
mapfile -t sources < <(find "${dirs[@]}" -name '*.cpp' | sort)
status=0

echo "== clang-tidy (${#sources[@]} files)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! printf '%s\n' "${sources[@]}" \
        | xargs -P "$(nproc)" -n 1 "$tidy" -p "$build" --quiet >"$log" 2>&1; then
    status=1
fi
# clang-tidy prints "N warnings generated" even when all are in Qt's headers.
grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' "$log" || true
grep -qE ': (warning|error):' "$log" && status=1

echo "== cppcheck"
# --library=qt teaches cppcheck Qt's macros (Q_OBJECT, signals, slots, foreach)
# and ownership rules, so Qt's own headers need not be parsed. No finding is
# suppressed; a justified exception goes inline as
# "// cppcheck-suppress id" with the reason beside it.
# cppcheck 2.11 and later (Debian 13's) cut the analysis of branchy files
# short, and say so, unless asked to follow every branch; 2.10 (Debian 12's)
# has no such option.
exhaustive=()
[[ $(cppcheck --help) == *--check-level* ]] && exhaustive=(--check-level=exhaustive)
cppcheck --enable=warning,performance,portability --library=qt --std=c++17 --language=c++ \
    "${exhaustive[@]}" --inline-suppr --error-exitcode=1 --quiet \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' \
    "${dirs[@]/#/-I}" "${dirs[@]}" || status=1

if [[ $status -eq 0 ]]; then
    echo "check-code: OK"
else
    echo "check-code: findings above" >&2
fi
exit "$status"
