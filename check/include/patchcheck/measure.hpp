#pragma once
// Measuring a volume: its extent, its volume by Gauss-Legendre quadrature and the sign of its
// Jacobian determinant.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "patchcheck/volume.hpp"

namespace patch::check {

/// The n nodes and weights of Gauss-Legendre quadrature on [-1, 1], nodes increasing. Exact for
/// polynomials up to degree 2n - 1; nodes and weights to about one unit in the last place.
struct gauss_rule {
    std::vector<double> node;
    std::vector<double> weight;
};
gauss_rule gauss_legendre(int n);

/// How the parametrization is oriented at the quadrature points.
enum class handedness {
    right,       ///< det J > 0 at every point
    left,        ///< det J < 0 at every point: the parametrization is inverted
    degenerate,  ///< det J is zero (to the tolerance below) at some point, and of one sign
                 ///< elsewhere
    mixed,       ///< det J takes both signs: the volume folds over itself
};

/// A quadrature point counts as degenerate when |det J| <= degenerate_tolerance * |J1| |J2| |J3|,
/// the product of the lengths of the three tangents: the three directions span no volume there
/// (a flat box), or a tangent vanishes. The test is relative to the tangents at the point itself,
/// so a thin but sound volume is not degenerate, and neither is a point near a collapsed edge
/// such as the axis of a cylinder, where one tangent is short but the frame is sound; the
/// quadrature points are interior and never lie on such an edge.
inline constexpr double degenerate_tolerance = 1e-12;

using interval = std::array<double, 2>;

struct measurement {
    std::array<interval, 3> domain{};  ///< the parameter domain of each direction
    std::array<interval, 3> box{};     ///< x, y, z extent of the sampled volume

    double volume = 0.0;         ///< the integral of |det J| over the domain
    double signed_volume = 0.0;  ///< the integral of det J
    int points_per_span = 0;     ///< Gauss points per knot span and direction, last rule used
    bool converged = false;      ///< the volume changed by at most 1e-13 relative between rules
    double last_change = 0.0;    ///< relative change of the volume between the last two rules
    int rules = 0;               ///< how many rules were applied

    std::uint64_t points = 0;  ///< quadrature points of the last rule
    std::uint64_t positive = 0, negative = 0, zero = 0;
    double jacobian_min = 0.0, jacobian_max = 0.0;
    handedness verdict = handedness::right;
};

/// Samples per knot span and direction for the bounding box; the breakpoints are among them.
inline constexpr int box_samples_per_span = 8;

/// Measures `v`. The volume is integrated span by span with the tensor Gauss-Legendre rule of n
/// points per direction; n starts above the degree and grows (by about half each time, at most
/// to 48) until two rules agree to 1e-13 of the volume. A smooth rational volume converges far
/// below that limit; a folded one, whose |det J| has a kink, may not, which `converged` tells.
/// The rule also stops growing once a rule would take about 2e9 basis products.
measurement measure_volume(const nurbs_volume& v);

/// The words of the verdict, e.g. "left-handed (inverted)".
std::string verdict_text(const measurement& m);

/// The report of one file: the name on a line of its own, then indented lines of degrees,
/// counts, domain, bounding box, volume, Jacobian range and verdict, each ending in a line feed.
std::string format_report(std::string_view name, const nurbs_volume& v, const measurement& m);

/// A number for a person: at most `digits` significant digits, the shortest that rounds to them,
/// and never a negative zero.
std::string number_text(double x, int digits = 12);

}  // namespace patch::check

namespace patch::check {

/// A geometry file that was read and measured, as the writers of pictures take it.
struct checked_volume {
    std::string name;  ///< the file name as given
    nurbs_volume volume;
    measurement m;
};

}  // namespace patch::check
