// The evaluator and the quadrature on volumes built in memory: the basis against its recursive
// definition, the rational volume against exact circles, and the volume and verdict of solids
// whose answers are known.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "patchcheck/evaluate.hpp"
#include "patchcheck/measure.hpp"

namespace {

using namespace patch::check;

/// N(i, p) at u from the recursive definition, 0/0 taken as 0; `last_span` is the span that is
/// closed on the right at the end of the domain.
double naive_basis(const std::vector<double>& k, int i, int p, double u, int last_span) {
    if (p == 0) {
        if (u == k[last_span + 1]) return i == last_span ? 1.0 : 0.0;
        return k[i] <= u && u < k[i + 1] ? 1.0 : 0.0;
    }
    double n = 0.0;
    if (k[i + p] > k[i])
        n += (u - k[i]) / (k[i + p] - k[i]) * naive_basis(k, i, p - 1, u, last_span);
    if (k[i + p + 1] > k[i + 1])
        n += (k[i + p + 1] - u) / (k[i + p + 1] - k[i + 1]) *
             naive_basis(k, i + 1, p - 1, u, last_span);
    return n;
}

double naive_derivative(const std::vector<double>& k, int i, int p, double u, int last_span) {
    double d = 0.0;
    if (k[i + p] > k[i]) d += p / (k[i + p] - k[i]) * naive_basis(k, i, p - 1, u, last_span);
    if (k[i + p + 1] > k[i + 1])
        d -= p / (k[i + p + 1] - k[i + 1]) * naive_basis(k, i + 1, p - 1, u, last_span);
    return d;
}

TEST(Basis, MatchesTheRecursiveDefinition) {
    struct Case {
        std::vector<double> knots;
        int degree;
        const char* why;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 0.2, 0.5, 0.5, 0.7, 1, 1, 1, 1}, 3, "clamped cubic, a double interior knot"},
        {{0, 1, 2, 3, 4, 5, 6, 7}, 2, "unclamped uniform quadratic: the domain is [2, 5]"},
        {{0, 0, 0.25, 0.5, 0.5, 0.5, 1, 1}, 1, "linear, a knot of multiplicity above p + 1"},
        {{-2, -2, -2, -2, -2, 3, 3, 3, 3, 3}, 4, "one Bezier span of degree 4, off [0, 1]"},
        {{0, 0, 1, 1, 1}, 1, "the domain ends inside a repeated knot: the last span is empty"},
    };
    for (const Case& c : cases) {
        const int p = c.degree;
        const int n = static_cast<int>(c.knots.size()) - p - 1;
        const double a = c.knots[p], b = c.knots[n];
        int last = n - 1;
        while (c.knots[last] == c.knots[last + 1]) --last;
        std::vector<double> us;
        for (int s = 0; s <= 200; ++s) us.push_back(a + (b - a) * s / 200.0);
        for (int i = p; i <= n; ++i) us.push_back(c.knots[i]);
        for (const double u : us) {
            const basis_at ba = evaluate_basis(c.knots, p, n, u);
            ASSERT_EQ(ba.value.size(), static_cast<std::size_t>(p + 1));
            double sum = 0.0;
            for (int i = 0; i < n; ++i) {
                const int r = i - (ba.span - p);
                const bool inside = r >= 0 && r <= p;
                const double value = inside ? ba.value[r] : 0.0;
                const double derivative = inside ? ba.derivative[r] : 0.0;
                EXPECT_NEAR(value, naive_basis(c.knots, i, p, u, last), 1e-14)
                    << c.why << ", N" << i << " at " << u;
                // The derivative of a degree-p function jumps at a knot; away from knots the
                // two must agree.
                if (std::find(c.knots.begin(), c.knots.end(), u) == c.knots.end()) {
                    EXPECT_NEAR(derivative, naive_derivative(c.knots, i, p, u, last),
                                1e-12 * (1 + std::abs(derivative)))
                        << c.why << ", N" << i << "' at " << u;
                }
                sum += value;
            }
            EXPECT_NEAR(sum, 1.0, 1e-15) << c.why << " at " << u;
        }
    }
}

nurbs_volume make_volume(std::array<int, 3> degree, std::array<std::vector<double>, 3> knots,
                         std::vector<control_point> points) {
    nurbs_volume v;
    v.degree = degree;
    for (int d = 0; d < 3; ++d) v.count[d] = static_cast<int>(knots[d].size()) - degree[d] - 1;
    v.knots = std::move(knots);
    v.points = std::move(points);
    return v;
}

/// The trilinear volume between the eight corners, x fastest.
nurbs_volume hexahedron(const std::array<std::array<double, 3>, 8>& corners) {
    std::vector<control_point> points;
    points.reserve(corners.size());
    for (const auto& c : corners) points.push_back({c[0], c[1], c[2], 1.0});
    return make_volume({1, 1, 1}, {{{0, 0, 1, 1}, {0, 0, 1, 1}, {0, 0, 1, 1}}}, points);
}

/// The unit cube with the far row of x swapped: det J = 1 - 2v changes sign halfway along y.
nurbs_volume folded_hexahedron() {
    return hexahedron(
        {{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}});
}

nurbs_volume box(double x1, double x2, double y1, double y2, double z1, double z2) {
    return hexahedron({{{x1, y1, z1},
                        {x2, y1, z1},
                        {x1, y2, z1},
                        {x2, y2, z1},
                        {x1, y1, z2},
                        {x2, y1, z2},
                        {x1, y2, z2},
                        {x2, y2, z2}}});
}

/// A solid cylinder about the z axis in the layout drumpatch writes, with the corner weight
/// given; `turn` = -1 makes its rings run clockwise seen from +z, as drumpatch's do.
nurbs_volume cylinder(double r, double h, double corner_weight, double turn) {
    const double ring[9][2] = {{1, 0},   {1, 1},  {0, 1},  {-1, 1}, {-1, 0},
                               {-1, -1}, {0, -1}, {1, -1}, {1, 0}};
    std::vector<control_point> points;
    for (const double z : {0.0, h})
        for (const double radius : {0.0, r / 2, r})
            for (int i = 0; i < 9; ++i)
                points.push_back({ring[i][0] * radius, turn * ring[i][1] * radius, z,
                                  i % 2 == 1 ? corner_weight : 1.0});
    return make_volume(
        {2, 2, 1},
        {{{0, 0, 0, 0.25, 0.25, 0.5, 0.5, 0.75, 0.75, 1, 1, 1}, {0, 0, 0, 1, 1, 1}, {0, 0, 1, 1}}},
        points);
}

const double exact_corner = 1.0 / std::numbers::sqrt2;

TEST(RationalVolume, RimOfAnExactCylinderIsACircle) {
    for (const double r : {2.0, -0.75}) {
        const nurbs_volume v = cylinder(r, 3.0, exact_corner, -1.0);
        for (int s = 0; s <= 400; ++s) {
            const double u = s / 400.0;
            for (const double w : {0.0, 0.3, 1.0}) {
                const volume_point pt = evaluate_volume(v, {u, 1.0, w});
                EXPECT_NEAR(std::hypot(pt.position[0], pt.position[1]), std::abs(r),
                            1e-15 * 4 * std::abs(r))
                    << "u " << u;
                EXPECT_NEAR(pt.position[2], 3.0 * w, 1e-15 * 3);
                // Halfway out, the point is at half the radius: the radius grows linearly.
                const volume_point half = evaluate_volume(v, {u, 0.5, w});
                EXPECT_NEAR(std::hypot(half.position[0], half.position[1]), std::abs(r) / 2,
                            1e-15 * 4 * std::abs(r));
            }
        }
    }
}

TEST(RationalVolume, TangentsAreTheDerivativesOfThePosition) {
    // Uneven weights and a non-uniform cubic direction, so that the quotient rule matters.
    std::vector<control_point> points;
    for (int k = 0; k < 2; ++k)
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 5; ++i)
                points.push_back({i + 0.3 * j * j, j - 0.2 * i * k, k + 0.1 * i * j,
                                  0.5 + 0.37 * ((i * 7 + j * 3 + k * 5) % 4)});
    const nurbs_volume v = make_volume(
        {3, 2, 1}, {{{0, 0, 0, 0, 0.4, 1, 1, 1, 1}, {0, 0, 0, 2, 2, 2}, {1, 1, 3, 3}}}, points);
    const double step = 1e-6;
    for (const vec3 u : {vec3{0.1, 0.5, 1.5}, vec3{0.4, 1.9, 2.0}, vec3{0.77, 0.01, 2.9}}) {
        const volume_point pt = evaluate_volume(v, u);
        for (int d = 0; d < 3; ++d) {
            vec3 lo = u, hi = u;
            lo[d] -= step;
            hi[d] += step;
            const auto a = evaluate_volume(v, lo).position, b = evaluate_volume(v, hi).position;
            for (int e = 0; e < 3; ++e)
                EXPECT_NEAR(pt.tangent[d][e], (b[e] - a[e]) / (2 * step), 1e-7)
                    << "direction " << d << ", coordinate " << e;
        }
    }
}

TEST(Quadrature, GaussLegendreIsExactUpToDegree2nMinus1) {
    for (int n = 1; n <= 48; ++n) {
        const gauss_rule g = gauss_legendre(n);
        ASSERT_EQ(g.node.size(), static_cast<std::size_t>(n));
        EXPECT_TRUE(std::is_sorted(g.node.begin(), g.node.end()));
        for (int k = 0; k <= 2 * n - 1; ++k) {
            double sum = 0.0;
            for (int i = 0; i < n; ++i) sum += g.weight[i] * std::pow(g.node[i], k);
            const double exact = k % 2 == 1 ? 0.0 : 2.0 / (k + 1);
            EXPECT_NEAR(sum, exact, 1e-14) << n << " points, x^" << k;
        }
        // And not beyond: x^2n is not integrated exactly (the error shrinks fast with n, and
        // hides below rounding from about 20 points on).
        if (n <= 16) {
            double sum = 0.0;
            for (int i = 0; i < n; ++i) sum += g.weight[i] * std::pow(g.node[i], 2 * n);
            EXPECT_GT(std::abs(sum - 2.0 / (2 * n + 1)), 1e-11) << n << " points";
        }
    }
}

TEST(Measure, ExactCylinderConvergesTo1e12) {
    for (const auto& [r, h] : {std::pair{2.0, 5.0}, std::pair{-0.75, 0.5}}) {
        const measurement m = measure_volume(cylinder(r, h, exact_corner, -1.0));
        const double exact = std::numbers::pi * r * r * h;
        EXPECT_TRUE(m.converged);
        EXPECT_NEAR(m.volume, exact, 1e-12 * exact) << "r " << r;
        EXPECT_NEAR(m.signed_volume, exact, 1e-12 * exact);
        EXPECT_EQ(m.verdict, handedness::right);
        EXPECT_EQ(m.zero, 0u) << "Gauss points near the axis are not degenerate";
        EXPECT_GT(m.jacobian_min, 0.0);
        EXPECT_NEAR(m.box[0][0], -std::abs(r), 1e-15);
        EXPECT_NEAR(m.box[0][1], std::abs(r), 1e-15);
        EXPECT_NEAR(m.box[1][0], -std::abs(r), 1e-15);
        EXPECT_NEAR(m.box[2][1], h, 1e-15);
    }
    const measurement turned = measure_volume(cylinder(1.0, 1.0, exact_corner, 1.0));
    EXPECT_EQ(turned.verdict, handedness::left) << "counter-clockwise rings, outward, up";
    EXPECT_NEAR(turned.signed_volume, -std::numbers::pi, 1e-12 * std::numbers::pi);
}

TEST(Measure, VolumeDoesNotDependOnTheParametrization) {
    // The unit cube, parametrized unevenly over several spans by quadratic and cubic
    // directions: det J varies, the volume stays 1.
    std::vector<control_point> points;
    const std::vector<double> xs{0, 0.05, 0.2, 0.9, 1}, ys{0, 0.7, 1}, zs{0, 0.1, 0.2, 0.95, 1};
    for (const double z : zs)
        for (const double y : ys)
            for (const double x : xs) points.push_back({x, y, z, 1.0});
    const nurbs_volume v = make_volume(
        {2, 2, 3},
        {{{0, 0, 0, 0.3, 0.6, 1, 1, 1}, {5, 5, 5, 6, 6, 6}, {0, 0, 0, 0, 0.5, 2, 2, 2, 2}}},
        points);
    const measurement m = measure_volume(v);
    EXPECT_NEAR(m.volume, 1.0, 1e-14);
    EXPECT_EQ(m.verdict, handedness::right);
    EXPECT_LT(m.jacobian_min, m.jacobian_max);
}

TEST(Measure, VerdictFollowsTheSignOfTheJacobian) {
    struct Case {
        nurbs_volume v;
        handedness verdict;
        double volume;
        bool converges;
        const char* why;
    };
    const Case cases[] = {
        {box(-1.5, 2.25, 0, 0.5, -4, 3), handedness::right, 13.125, true, "plain box"},
        {box(1, 0, 0, 1, 0, 1), handedness::left, 1.0, true, "x reversed"},
        {box(1, 0, 1, 0, 0, 1), handedness::right, 1.0, true, "x and y reversed"},
        {box(0, 1, 0, 1, 2, 2), handedness::degenerate, 0.0, true, "flat: z1 = z2"},
        {box(0, 0, 0, 0, 0, 0), handedness::degenerate, 0.0, true, "a single point"},
        {box(0, 500, 0, 500, 0, 1e-9), handedness::right, 2.5e-4, true, "thin but sound"},
        // det J changes sign halfway along y, and its absolute value has a kink there that no
        // Gauss rule integrates exactly.
        {folded_hexahedron(), handedness::mixed, 0.5, false, "folded"},
    };
    for (const Case& c : cases) {
        const measurement m = measure_volume(c.v);
        EXPECT_EQ(m.verdict, c.verdict) << c.why << ": " << verdict_text(m);
        EXPECT_EQ(m.converged, c.converges) << c.why;
        EXPECT_NEAR(m.volume, c.volume, (c.converges ? 1e-12 : 1e-3) * std::max(1.0, c.volume))
            << c.why;
    }
}

TEST(Measure, VerdictTextNamesTheCounts) {
    const measurement flat = measure_volume(box(0, 1, 0, 1, 2, 2));
    EXPECT_EQ(verdict_text(flat), "degenerate (det J is zero at all " +
                                      std::to_string(flat.points) + " quadrature points)");
    const measurement folded = measure_volume(folded_hexahedron());
    EXPECT_EQ(folded.positive, folded.negative);
    EXPECT_EQ(verdict_text(folded), "mixed (det J > 0 at " + std::to_string(folded.positive) +
                                        " and < 0 at " + std::to_string(folded.negative) + " of " +
                                        std::to_string(folded.points) +
                                        " quadrature points: the volume folds over itself)");
}

}  // namespace
