#!/usr/bin/env bash
# Measures each generator against the cost floor of its job: a minimal, statically linked C
# program that creates the very same files with open, write and close and does nothing else.
#
# Usage: bench/run.sh [BUILD_DIR]     (default: build/default, made by `cmake --workflow --preset default`)
# Needs: valgrind (instruction counts), hyperfine (median wall time), /usr/bin/time (peak memory),
#        gcc. Prints one Markdown table row per generator; nothing here fails on a time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/default}" && pwd)
for tool in valgrind hyperfine gcc /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "bench: $tool is missing (apt-get install valgrind hyperfine gcc time)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# name | program path | arguments | input files copied beside it
cases=(
    "boxpatch|box/boxpatch|0 1 0 1 0 1|"
    "drumpatch|drum/drumpatch|1 2|"
    "ringpatch|ring/ringpatch|1 2 1|"
    "profilepatch|extrude/profilepatch||$root/examples/colon2D_m.txt"
    "arcpatch|extrude/arcpatch||$root/examples/qannulus_m.txt"
)

# Instructions executed by a command in the current folder, from callgrind's summary.
instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*refs: *\([0-9,]*\).*/\1/p' | tr -d ,
}

# Median wall time in microseconds over many runs.
median_us() {
    hyperfine -N --warmup 50 --runs 1000 --export-json "$work/h.json" "$*" >/dev/null 2>&1
    sed -n 's/.*"median": *\([0-9.e-]*\).*/\1/p' "$work/h.json" | head -n 1 | awk '{printf "%.0f", $1 * 1e6}'
}

# Peak resident memory in KiB.
peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo "| generator | instructions | floor | ratio | median wall (us) | floor | ratio | peak memory (KiB) |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
for entry in "${cases[@]}"; do
    IFS='|' read -r name program args inputs <<<"$entry"
    dir="$work/$name"
    mkdir -p "$dir/gen" "$dir/floor"
    for f in $inputs; do cp "$f" "$dir/gen/"; done
    (cd "$dir/gen" && "$build/$program" $args)

    # The floor program: every file the generator wrote, as bytes in the program.
    {
        echo '#include <fcntl.h>'
        echo '#include <unistd.h>'
        echo 'static void put(const char *name, const char *text, unsigned long size) {'
        echo '    int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666);'
        echo '    if (fd < 0 || write(fd, text, size) != (long)size || close(fd) != 0) _exit(1);'
        echo '}'
        echo 'int main(void) {'
        for out in "$dir"/gen/*.dat; do
            base=$(basename "$out")
            printf '    put("%s", "' "$base"
            od -An -v -tx1 "$out" | tr -s ' \n' ' ' | sed 's/ \([0-9a-f][0-9a-f]\)/\\x\1/g; s/ //g'
            printf '", %s);\n' "$(stat -c %s "$out")"
        done
        echo '    return 0;'
        echo '}'
    } >"$dir/floor.c"
    gcc -O2 -static -o "$dir/floor.bin" "$dir/floor.c"
    (cd "$dir/floor" && "$dir/floor.bin")
    for out in "$dir"/gen/*.dat; do cmp -s "$out" "$dir/floor/$(basename "$out")" || { echo "bench: floor differs for $name" >&2; exit 1; }; done

    cd "$dir/gen"
    gi=$(instructions "$build/$program" $args)
    gt=$(median_us "$build/$program" $args)
    gm=$(peak_kib "$build/$program" $args)
    cd "$dir/floor"
    fi=$(instructions "$dir/floor.bin")
    ft=$(median_us "$dir/floor.bin")
    echo "| $name | $gi | $fi | $(ratio "$gi" "$fi") | $gt | $ft | $(ratio "$gt" "$ft") | $gm |"
done
