#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", clang++) and runs each for a bounded time.
# Usage: fuzz/run.sh [SECONDS_PER_TARGET]   (default 30)
# New inputs go to a scratch folder; the committed seeds under fuzz/corpus/ are only read.
# A finding is written as crash-* / leak-* in the current folder and the script fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
cd "$root"
cmake --preset fuzz -S "$root" >/dev/null
names=(number format_fixed control_net read_geometry)
cmake --build --preset fuzz --target "${names[@]/%/_fuzz}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for name in "${names[@]}"; do
    mkdir -p "$scratch/$name"
    echo "== fuzzing $name for ${seconds}s"
    status=0
    "$root/build/fuzz/fuzz/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
        "$scratch/$name" "$root/fuzz/corpus/$name" >"$scratch/$name.log" 2>&1 || status=$?
    grep -E '^Done|ERROR|SUMMARY' "$scratch/$name.log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$scratch/$name.log" >&2
        echo "fuzz: $name found a failing input (status $status)" >&2
        exit 1
    fi
done
