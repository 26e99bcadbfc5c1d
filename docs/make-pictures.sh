#!/usr/bin/env bash
# Draws the pictures of the five sample geometries into docs/images/ with the built programs,
# and prints patchcheck's report of each.
#
#     docs/make-pictures.sh [BUILD_DIR]
#
# BUILD_DIR defaults to build/default, which `cmake --workflow --preset default` builds. The
# generators run in a temporary folder; nothing but docs/images/*.svg is written.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build/default}" && pwd)"
images="$root/docs/images"
mkdir -p "$images"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$root/examples/qannulus_m.txt" "$root/examples/colon2D_m.txt" .

"$build/box/boxpatch" 0 2 0 1 0 1
"$build/drum/drumpatch" 1 2
"$build/ring/ringpatch" 1 2 1
"$build/extrude/arcpatch"
"$build/extrude/profilepatch"

check="$build/check/patchcheck"
"$check" --svg "$images/box.svg" cube.dat
echo
"$check" --svg "$images/cylinder.svg" cylinder.dat
echo
"$check" --svg "$images/annulus.svg" annulus.dat annulus.2.dat annulus.3.dat annulus.4.dat
echo
"$check" --svg "$images/qannulus.svg" qannulus.dat
echo
"$check" --svg "$images/colon2D.svg" colon2D.dat
