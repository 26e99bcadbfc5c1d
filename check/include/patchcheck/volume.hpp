#pragma once
// A trivariate NURBS volume as one geometry file defines it.

#include <array>
#include <cstddef>
#include <vector>

namespace patch::check {

/// One control point: Cartesian x, y, z and its weight w, which is not multiplied into them.
struct control_point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    double w = 1.0;
};

/// The three parametric directions are numbered 0, 1, 2 here (1, 2, 3 in the file).
struct nurbs_volume {
    std::array<int, 3> degree{};  ///< at least 1
    std::array<int, 3> count{};   ///< control points per direction, more than the degree
    /// count[d] + degree[d] + 1 non-decreasing knots per direction.
    std::array<std::vector<double>, 3> knots;
    /// count[0] * count[1] * count[2] points, direction 0 fastest, direction 2 slowest.
    std::vector<control_point> points;

    const control_point& at(int i, int j, int k) const {
        return points[(std::size_t(k) * std::size_t(count[1]) + std::size_t(j)) *
                          std::size_t(count[0]) +
                      std::size_t(i)];
    }

    /// The parameter domain of direction d runs from knot degree[d] to knot count[d] (from 0):
    /// the range on which a full set of degree + 1 basis functions is defined.
    double first(int d) const { return knots[d][degree[d]]; }
    double last(int d) const { return knots[d][count[d]]; }
};

}  // namespace patch::check
