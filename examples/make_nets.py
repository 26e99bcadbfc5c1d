#!/usr/bin/env python3
"""The two example control nets, computed, and an independent check of them.

    python3 make_nets.py                    writes qannulus_m.txt and colon2D_m.txt beside this script
    python3 make_nets.py --check GOLDEN_DIR checks that the files here are what this script writes,
                                            that both surfaces are right-handed (the planar Jacobian
                                            det(dS/du, dS/dv) > 0 everywhere) with a simple boundary,
                                            and that GOLDEN_DIR/qannulus.dat and colon2D.dat are the
                                            extrusions of the nets, rendered here with exact decimal
                                            arithmetic (no C++ code involved)

A net file holds one control point per line, "x y z w", direction 1 (u) fastest. Every value is
written with 17 significant digits, so it reads back as exactly the double computed here; z is 0.

qannulus_m.txt: a quarter of the annulus 1 <= r <= 2, x >= 0, y >= 0, exact. u runs outward
(radius 1, 1.5, 2), v counterclockwise from the x axis to the y axis; the middle row is the corner
(r, r) of each arc's control triangle with weight 1/sqrt 2, the rows on the axes have weight 1.
As the three points of a run along u are r times one unit-circle control point with one weight,
every surface point is (linear radius) times the exact circular arc.

colon2D_m.txt: an 8 by 8 net of a band bent into an upside-down U, like the frame of the large
intestine seen from the front. Its centre line is the arc of radius 3 about the origin from -30
to 210 degrees; its half-width narrows from 0.9 at the start (ascending end, right) to 0.6 at the
end (descending end, left). u runs across the band from the inner edge outward, v along it
counterclockwise. The control points sit at the Greville abscissae of the open uniform quadratic
knot vector with six spans; the weights vary along the band between 1 and 0.9.
"""

import math
import sys
from decimal import Decimal, ROUND_HALF_EVEN
from pathlib import Path

HERE = Path(__file__).resolve().parent

SIX_SPANS = [0, 0, 0, 1 / 6, 1 / 3, 0.5, 2 / 3, 5 / 6, 1, 1, 1]
ONE_SPAN = [0.0, 0.0, 0.0, 1.0, 1.0, 1.0]


def qannulus():
    s = math.sqrt(0.5)  # correctly rounded, so the double nearest 1/sqrt 2
    unit_arc = [((1.0, 0.0), 1.0), ((1.0, 1.0), s), ((0.0, 1.0), 1.0)]
    return [(r * px, r * py, 0.0, w) for (px, py), w in unit_arc for r in (1.0, 1.5, 2.0)]


def colon2d():
    greville = [0, 1 / 12, 3 / 12, 5 / 12, 7 / 12, 9 / 12, 11 / 12, 1]
    rows = []
    for t in greville:  # v, along the band: the slower index
        theta = math.radians(-30 + 240 * t)
        half_width = 0.9 - 0.3 * t
        w = 1 - 0.1 * math.sin(math.pi * t)
        for a in greville:  # u, across the band: the faster index
            r = 3 + (2 * a - 1) * half_width
            rows.append((r * math.cos(theta), r * math.sin(theta), 0.0, w))
    return rows


def net_text(rows):
    for row in rows:
        assert row[3] > 0, "weights must be positive"
        for v in row:
            assert -99.999999999 <= v <= 999.999999999, "a value too wide for its field"
    return "".join(" ".join("%21.17g" % v for v in row) + "\n" for row in rows)


def read_net(path):
    rows = [tuple(float(t) for t in line.split()) for line in path.read_text().splitlines()]
    assert all(len(r) == 4 for r in rows), path
    return rows


# --- the surface, for the orientation check ------------------------------------------------------

def basis(knots, p, u):
    """Values and first derivatives of the B-spline basis functions of degree p at u."""
    n = len(knots) - p - 1
    span = max(i for i in range(n) if knots[i] <= u) if u < knots[-1] else n - 1

    def b(i, q):
        if q == 0:
            return 1.0 if i == span else 0.0
        left = right = 0.0
        if knots[i + q] > knots[i]:
            left = (u - knots[i]) / (knots[i + q] - knots[i]) * b(i, q - 1)
        if knots[i + q + 1] > knots[i + 1]:
            right = (knots[i + q + 1] - u) / (knots[i + q + 1] - knots[i + 1]) * b(i + 1, q - 1)
        return left + right

    def db(i):
        d = 0.0
        if knots[i + p] > knots[i]:
            d += p / (knots[i + p] - knots[i]) * b(i, p - 1)
        if knots[i + p + 1] > knots[i + 1]:
            d -= p / (knots[i + p + 1] - knots[i + 1]) * b(i + 1, p - 1)
        return d

    return [b(i, p) for i in range(n)], [db(i) for i in range(n)]


def surface(rows, knots, m, u, v):
    """Point and the two partial derivatives of the rational surface; rows are u-fastest."""
    nu, dnu = basis(knots, 2, u)
    nv, dnv = basis(knots, 2, v)
    acc = {}
    for name, fu, fv in (("s", nu, nv), ("u", dnu, nv), ("v", nu, dnv)):
        ax = ay = aw = 0.0
        for j in range(m):
            for i in range(m):
                x, y, _, w = rows[j * m + i]
                c = fu[i] * fv[j] * w
                ax += c * x
                ay += c * y
                aw += c
        acc[name] = (ax, ay, aw)
    ax, ay, aw = acc["s"]
    point = (ax / aw, ay / aw)
    derivs = []
    for name in ("u", "v"):
        bx, by, bw = acc[name]
        derivs.append(((bx * aw - ax * bw) / aw**2, (by * aw - ay * bw) / aw**2))
    return point, derivs[0], derivs[1]


def segments_cross(p, q, r, s):
    def orient(a, b, c):
        return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])
    return (orient(p, q, r) * orient(p, q, s) < 0) and (orient(r, s, p) * orient(r, s, q) < 0)


def check_surface(name, rows, knots, m):
    samples = 60
    grid = [k / samples for k in range(samples + 1)]
    worst = min(
        du[0] * dv[1] - du[1] * dv[0]
        for u in grid for v in grid
        for _, du, dv in [surface(rows, knots, m, u, v)])
    assert worst > 0, f"{name}: the planar Jacobian is not positive everywhere ({worst})"
    # The boundary, counterclockwise: v = 0, u = 1, v = 1 backwards, u = 0 backwards.
    loop = ([surface(rows, knots, m, t, 0)[0] for t in grid[:-1]]
            + [surface(rows, knots, m, 1, t)[0] for t in grid[:-1]]
            + [surface(rows, knots, m, 1 - t, 1)[0] for t in grid[:-1]]
            + [surface(rows, knots, m, 0, 1 - t)[0] for t in grid[:-1]])
    n = len(loop)
    edges = [(loop[k], loop[(k + 1) % n]) for k in range(n)]
    for a in range(n):
        for b in range(a + 2, n):
            if a == 0 and b == n - 1:
                continue
            assert not segments_cross(*edges[a], *edges[b]), f"{name}: the boundary crosses itself"
    area = sum(p[0] * q[1] - q[0] * p[1] for p, q in edges) / 2
    assert area > 0, f"{name}: the boundary does not turn counterclockwise"
    print(f"{name}: det(dS/du, dS/dv) >= {worst:.3g} > 0 on a {samples + 1}^2 grid; "
          f"simple counterclockwise boundary, area {area:.6f}")


def check_quarter_annulus(rows):
    for k in range(101):
        v = k / 100
        for u, radius in ((0, 1), (0.5, 1.5), (1, 2)):
            (x, y), _, _ = surface(rows, ONE_SPAN, 3, u, v)
            assert abs(math.hypot(x, y) - radius) < 1e-14, f"qannulus: off the circle at {u}, {v}"
    print("qannulus_m.txt: the arcs at u = 0, 1/2, 1 lie on the circles of radius 1, 1.5, 2")


# --- the geometry files, rendered independently ------------------------------------------------

def field(v):
    if math.isnan(v):
        text = "NaN"
    elif math.isinf(v):
        text = "-Infinity" if v < 0 else "Infinity"
    else:
        # Decimal(float) is the exact binary value; one rounding, ties to even.
        text = format(abs(Decimal(v)).quantize(Decimal("1e-9"), rounding=ROUND_HALF_EVEN), "f")
        if math.copysign(1, v) < 0:
            text = "-" + text
    assert len(text) <= 13, v
    return text.rjust(13)


def extrusion(rows, knots, m):
    lines = ["%12d" % 3, "%12d%12d%12d" % (2, 2, 1), "%12d%12d%12d" % (m, m, 2)]
    lines += ["".join(field(k) for k in knots)] * 2 + ["".join(field(k) for k in (0, 0, 1, 1))]
    for z in (0.0, 1.0):
        lines += [field(x) + field(y) + field(z) + field(w) for x, y, _, w in rows]
    lines += ["%5d" % k for k in range(2, 10)]
    return "".join(line + "\n" for line in lines)


NETS = [("qannulus_m.txt", qannulus, ONE_SPAN, 3, "qannulus.dat"),
        ("colon2D_m.txt", colon2d, SIX_SPANS, 8, "colon2D.dat")]


def main(argv):
    if len(argv) == 1:
        for name, make, _, _, _ in NETS:
            (HERE / name).write_text(net_text(make()))
            print(f"wrote {HERE / name}")
        return 0
    if len(argv) == 3 and argv[1] == "--check":
        golden = Path(argv[2])
        for name, make, knots, m, geometry in NETS:
            rows = make()
            assert (HERE / name).read_text() == net_text(rows), f"{name} is not what this script writes"
            read = read_net(HERE / name)
            assert read == rows, f"{name} does not read back as the doubles computed"
            check_surface(name, read, knots, m)
            if m == 3:
                check_quarter_annulus(read)
            assert (golden / geometry).read_text() == extrusion(read, knots, m), \
                f"{golden / geometry} is not the extrusion of {name}"
            print(f"{geometry}: matches the extrusion of {name}")
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
