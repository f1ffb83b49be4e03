#!/usr/bin/env bash
# Fails when a C++ file drifts from .clang-format. The format was made with clang-format 14, and
# other versions format some constructs differently, so another version is refused.
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
command -v "$format" >/dev/null || format=clang-format
if ! command -v "$format" >/dev/null; then
    echo "clang-format 14 is needed to check the formatting, and none is installed."
    exit 1
fi
version=$("$format" --version)
if ! [[ $version =~ version\ 14\. ]]; then
    echo "clang-format 14 is needed to check the formatting (the format was made with it); found: $version"
    echo "Install clang-format-14, or put it on PATH as clang-format."
    exit 1
fi
files=$(git ls-files -co --exclude-standard '*.cpp' '*.h' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
[ -z "$files" ] && exit 0
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! echo "$files" | xargs "$format" --dry-run -Werror 2>"$log"; then
    echo "Formatting differs from .clang-format in:"
    grep -o '^[^:]*:' "$log" | sort -u | sed 's/:$//; s/^/    /'
    echo "Run: $format -i <files>"
    exit 1
fi
