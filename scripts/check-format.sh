#!/usr/bin/env bash
# Checks that the C++ sources follow .clang-format, changing nothing: lists
# every file that clang-format would change and fails if there is one.
# Usage: scripts/check-format.sh [-v]   (-v also shows the differences)
# To fix a file: clang-format-19 -i FILE
# clang-format 19, the same on Debian 12 and 13, so both judge alike.
set -euo pipefail
cd "$(dirname "$0")/.."

format=clang-format-19
command -v "$format" >/dev/null \
    || { echo "check-format: $format is missing (package $format)" >&2; exit 1; }

verbose=false
[[ "${1:-}" == -v ]] && verbose=true

mapfile -t files < <(find app timeline scale widgets tests bench \
    -name '*.h' -o -name '*.cpp' 2>/dev/null | sort)
differing=()
for file in "${files[@]}"; do
    if ! "$format" --dry-run --Werror "$file" 2>/dev/null; then
        differing+=("$file")
        if $verbose; then
            "$format" "$file" | diff -u "$file" - || true
        else
            lines=$("$format" "$file" | diff "$file" - | grep -c '^<' || true)
            echo "$file: $lines line(s) would change"
        fi
    fi
done

if [[ ${#differing[@]} -gt 0 ]]; then
    echo "check-format: ${#differing[@]} of ${#files[@]} files differ from .clang-format" \
        "($format -i FILE fixes a file)" >&2
    exit 1
fi
echo "check-format: all ${#files[@]} files match .clang-format"
