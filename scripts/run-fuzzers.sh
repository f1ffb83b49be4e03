#!/usr/bin/env bash
# Runs every fuzzer in DIR for SECONDS each, seeded from tests/fuzz/corpus/<name>.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
seconds=$2
[ -d "$dir" ] || exit 0
for fuzzer in "$dir"/*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    work=$(mktemp -d)
    seeds=tests/fuzz/corpus/$name
    [ -d "$seeds" ] || seeds=""
    echo "== Fuzzing $name for ${seconds}s"
    if ! "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
        -artifact_prefix="$work/" "$work" $seeds >"$work/log" 2>&1; then
        tail -n 40 "$work/log"
        echo "Fuzzer $name found a failure; the input is in $work"
        exit 1
    fi
    grep -E '^Done|#[0-9]+.*DONE' "$work/log" | tail -n 1 || true
    rm -rf "$work"
done
