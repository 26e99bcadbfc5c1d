#!/usr/bin/env python3
"""patchcheck's --vtk grid and --svg picture, read by Python's XML parser and checked for
consistent counts.

    patchcheck_xml.py PATCHCHECK DRUMPATCH RINGPATCH BOXPATCH

Runs the generators in a fresh folder, then patchcheck --vtk --svg on the cylinder, the four
annulus quarters and a flat box, and checks:
- the grid is a VTK XML UnstructuredGrid whose Points, point data, connectivity, offsets and types
  agree with NumberOfPoints and NumberOfCells; every cell is a hexahedron (8 points) or a line
  (2 points) of an existing point; every patch number names one of the files;
- the picture is an SVG document with one marked control point per control point of the files,
  the three axes labelled, and one title line per file.
Prints "N passed, M failed" and exits non-zero on any failure.
"""

import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

SVG = "{http://www.w3.org/2000/svg}"
results = []


def check(condition, what):
    results.append(bool(condition))
    if not condition:
        print("FAILED:", what)


def numbers(element, kind=float):
    return [kind(t) for t in (element.text or "").split()]


def main():
    patchcheck, drumpatch, ringpatch, boxpatch = sys.argv[1:5]
    with tempfile.TemporaryDirectory() as tmp:
        d = Path(tmp)
        subprocess.run([drumpatch, "2", "5"], cwd=d, check=True)
        subprocess.run([ringpatch, "1", "2", "3"], cwd=d, check=True)
        subprocess.run([boxpatch, "0", "1", "0", "1", "2", "2"], cwd=d, check=True)
        files = ["cylinder.dat", "annulus.dat", "annulus.2.dat", "annulus.3.dat", "annulus.4.dat",
                 "cube.dat"]
        control_points = 54 + 4 * 12 + 8
        run = subprocess.run([patchcheck, "--vtk", "all.vtu", "--svg", "all.svg", *files],
                             cwd=d, capture_output=True, text=True)
        check(run.returncode == 0, "patchcheck exit status %d: %s" % (run.returncode, run.stderr))
        check(run.stderr == "", "nothing on standard error")

        root = ET.parse(d / "all.vtu").getroot()
        check(root.tag == "VTKFile" and root.get("type") == "UnstructuredGrid", "a VTK grid")
        pieces = root.findall("./UnstructuredGrid/Piece")
        check(len(pieces) == 1, "one piece")
        piece = pieces[0]
        n_points = int(piece.get("NumberOfPoints"))
        n_cells = int(piece.get("NumberOfCells"))
        arrays = {a.get("Name"): a for a in piece.iter("DataArray")}
        points = numbers(piece.find("./Points/DataArray"))
        check(piece.find("./Points/DataArray").get("NumberOfComponents") == "3", "3D points")
        check(len(points) == 3 * n_points, "%d coordinates for %d points" % (len(points), n_points))
        jacobian = numbers(arrays["jacobian"])
        check(len(jacobian) == n_points, "one Jacobian per point")
        connectivity = numbers(arrays["connectivity"], int)
        offsets = numbers(arrays["offsets"], int)
        types = numbers(arrays["types"], int)
        check(len(offsets) == n_cells and len(types) == n_cells, "one offset and type per cell")
        check(offsets and offsets[-1] == len(connectivity), "offsets end at the connectivity")
        start = 0
        sizes_ok = True
        for end, kind in zip(offsets, types):
            sizes_ok &= (kind, end - start) in ((12, 8), (3, 2))
            start = end
        check(sizes_ok, "hexahedra of 8 points and lines of 2")
        check(all(0 <= i < n_points for i in connectivity), "every cell point exists")
        patch = numbers(arrays["patch"], int)
        part = numbers(arrays["part"], int)
        check(len(patch) == n_cells and set(patch) == set(range(1, len(files) + 1)),
              "a patch number per cell, every file present")
        check(len(part) == n_cells and set(part) == {0, 1}, "volume cells and control-net lines")
        check(sum(1 for t in types if t == 12) == sum(1 for p in part if p == 0),
              "part 0 marks the hexahedra")
        # The Jacobian travels with its points: an annulus quarter (patch 2) is left-handed.
        starts = {}
        for c, p in enumerate(patch):
            starts.setdefault(p, offsets[c - 1] if c else 0)
        first_hex_point = {p: connectivity[s] for p, s in starts.items()}
        check(jacobian[first_hex_point[2] + 1] < 0, "annulus quarter: negative Jacobian")

        svg = ET.parse(d / "all.svg").getroot()
        check(svg.tag == SVG + "svg", "an SVG document")
        circles = list(svg.iter(SVG + "circle"))
        check(len(circles) == control_points,
              "%d control points marked, %d expected" % (len(circles), control_points))
        texts = [t.text for t in svg.iter(SVG + "text")]
        check(all(axis in texts for axis in ("x", "y", "z")), "the axes are labelled")
        for name in files:
            check(any(t and t.startswith(name + ": ") for t in texts), "a title for " + name)
        check(any(t and t.startswith("cube.dat: degenerate") for t in texts),
              "the flat box is called degenerate")

    failed = results.count(False)
    print("%d passed, %d failed" % (len(results) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
