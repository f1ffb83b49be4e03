#!/usr/bin/env bash
# Fails when a C++ file drifts from .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files -co --exclude-standard '*.cpp' '*.h' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
[ -z "$files" ] && exit 0
if ! echo "$files" | xargs clang-format --dry-run -Werror 2>/tmp/quillon-format.log; then
    echo "Formatting differs from .clang-format in:"
    grep -o '^[^:]*:' /tmp/quillon-format.log | sort -u | sed 's/:$//; s/^/    /'
    echo "Run: clang-format -i <files>"
    exit 1
fi
