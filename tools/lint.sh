#!/usr/bin/env bash
# Static checks: clang-format on every C++ source, clang-tidy (.clang-tidy) on every source that
# the test build compiles. Usage: tools/lint.sh (after `cmake --preset test`). Fails on a finding.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
db=build/test/compile_commands.json
[ -f "$db" ] || cmake --preset test >/dev/null

mapfile -t sources < <(git ls-files -co --exclude-standard -- '*.cpp' '*.hpp')
echo "== clang-format on ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

mapfile -t compiled < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$db" | grep -v '/build/' | sort -u)
echo "== clang-tidy on ${#compiled[@]} files"
printf '%s\n' "${compiled[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p build/test --quiet 2>/dev/null
