#pragma once
// The B-spline basis and the rational volume with its first derivatives.

#include <array>
#include <vector>

#include "patchcheck/volume.hpp"

namespace patch::check {

using vec3 = std::array<double, 3>;

/// The degree + 1 basis functions that can be nonzero at one parameter, with their derivatives.
struct basis_at {
    int span = 0;                    ///< knot index k with knots[k] <= u < knots[k+1]
    std::vector<double> value;       ///< N(span - degree + r) for r = 0..degree
    std::vector<double> derivative;  ///< their first derivatives with respect to u
};

/// The index of the knot span of u within the domain [knots[degree], knots[count]]: the largest k
/// in degree..count-1 with knots[k] <= u < knots[k+1], and at the end of the domain the last
/// span of nonzero length. A u outside the domain is taken as the nearest end.
int find_span(const std::vector<double>& knots, int degree, int count, double u);

/// The basis functions of `degree` at u by the Cox-de Boor recursion, built up one degree at a
/// time from the single function of degree 0 that is 1 on the span; the derivatives come from
/// the functions of degree - 1. Only the knots of the span enter, and no division is by zero
/// because the span has nonzero length. The values are non-negative and add up to 1.
basis_at evaluate_basis(const std::vector<double>& knots, int degree, int count, double u);

/// A point of the volume and the derivatives of the position along the three directions.
struct volume_point {
    vec3 position{};
    std::array<vec3, 3> tangent{};  ///< tangent[d] = d position / d u_d
    double weight = 1.0;            ///< the rational denominator at this point

    /// det [tangent 0, tangent 1, tangent 2]: positive where the three parametric directions
    /// form a right-handed frame.
    double jacobian() const;
};

/// The volume at one parameter triple from the basis of each direction there. The control
/// points are weighted as homogeneous coordinates (w x, w y, w z, w); the position is their
/// basis combination divided by the combined weight, and each tangent follows from the quotient
/// rule.
volume_point evaluate_volume(const nurbs_volume& v, const basis_at& b0, const basis_at& b1,
                             const basis_at& b2);

/// The same at the parameters (u0, u1, u2).
volume_point evaluate_volume(const nurbs_volume& v, const vec3& u);

/// The distinct knots of direction d inside the domain, first and last included: the ends of
/// the nonzero knot spans.
std::vector<double> breakpoints(const nurbs_volume& v, int d);

/// Parameters along direction d: every breakpoint and `per_span` - 1 equally spaced values
/// inside each span, in increasing order.
std::vector<double> sample_parameters(const nurbs_volume& v, int d, int per_span);

/// The basis of direction d at each parameter of `u`.
std::vector<basis_at> basis_along(const nurbs_volume& v, int d, const std::vector<double>& u);

}  // namespace patch::check
