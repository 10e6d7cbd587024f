#!/usr/bin/env bash
# Checks that the C++ sources follow .clang-format, changing nothing: lists
# every file that clang-format would change and fails if there is one.
# Usage: scripts/check-format.sh [-v]   (-v also shows the differences)
# To fix a file: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."

verbose=false
[[ "${1:-}" == -v ]] && verbose=true

mapfile -t files < <(find app timeline scale widgets tests bench \
    -name '*.h' -o -name '*.cpp' 2>/dev/null | sort)
differing=()
for file in "${files[@]}"; do
    if ! clang-format --dry-run --Werror "$file" 2>/dev/null; then
        differing+=("$file")
        if $verbose; then
            clang-format "$file" | diff -u "$file" - || true
        else
            lines=$(clang-format "$file" | diff "$file" - | grep -c '^<' || true)
            echo "$file: $lines line(s) would change"
        fi
    fi
done

if [[ ${#differing[@]} -gt 0 ]]; then
    echo "check-format: ${#differing[@]} of ${#files[@]} files differ from .clang-format" >&2
    exit 1
fi
echo "check-format: all ${#files[@]} files match .clang-format"
