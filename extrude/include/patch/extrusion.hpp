#pragma once

#include <array>
#include <span>
#include <string_view>

#include "patch/control_net.hpp"

namespace patch {

/// The fixed values of one extrusion program. The shape lies entirely in the control-net file;
/// the program adds the extrusion from z = 0 to z = 1, the knot vectors and the file layout.
struct extrusion_variant {
    std::string_view program;        ///< the name in diagnostics
    std::string_view net_file;       ///< the control-net file read from the working directory
    int net_size;                    ///< control points per in-plane direction
    std::span<const double> knots;   ///< the knot vector of both in-plane directions
    std::string_view geometry_file;  ///< the geometry file written
};

/// Open uniform quadratic knots with six spans; 1.0/6.0 and the like render as the exact
/// fractions would ("0.166666667").
inline constexpr std::array<double, 11> six_span_knots{
    0.0, 0.0, 0.0, 1.0 / 6.0, 1.0 / 3.0, 0.5, 2.0 / 3.0, 5.0 / 6.0, 1.0, 1.0, 1.0};
/// A single quadratic span.
inline constexpr std::array<double, 6> one_span_knots{0.0, 0.0, 0.0, 1.0, 1.0, 1.0};

/// profilepatch: an 8 by 8 net from "colon2D_m.txt" into "colon2D.dat".
inline constexpr extrusion_variant profilepatch_variant{"profilepatch", "colon2D_m.txt", 8,
                                                        six_span_knots, "colon2D.dat"};
/// arcpatch: a 3 by 3 net from "qannulus_m.txt" into "qannulus.dat".
inline constexpr extrusion_variant arcpatch_variant{"arcpatch", "qannulus_m.txt", 3, one_span_knots,
                                                    "qannulus.dat"};

/// Writes the net extruded one unit along z: degrees 2, 2, 1; the in-plane knots twice, then
/// 0 0 1 1; the rows in table order at z = 0, then again at z = 1. x, y and the weight go out
/// exactly as read (the weight is not multiplied in); the third column is never written.
/// `net` holds net_size squared rows. Throws patch::failure when the file cannot be written.
void write_extrusion(const extrusion_variant& v, const control_net& net);

/// The whole program: reads the variant's control-net file, and only then writes its geometry
/// file. Returns the exit status; a failure is one diagnostic line on standard error.
int run_extrusion(const extrusion_variant& v) noexcept;

}  // namespace patch
