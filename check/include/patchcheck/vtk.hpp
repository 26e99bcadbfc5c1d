#pragma once
// The volumes as a VTK XML unstructured grid (.vtu), which ParaView and VTK read.

#include <string>
#include <vector>

#include "patchcheck/measure.hpp"

namespace patch::check {

/// Parameters along direction d at which the picture and the grid sample the volume: the
/// breakpoints and equally spaced values between them, at least `intervals` intervals in all
/// and at least `per_span` in each knot span, but never more than 512 intervals (a direction
/// with more spans than that is sampled evenly instead).
std::vector<double> view_parameters(const nurbs_volume& v, int d, int intervals, int per_span);

/// One unstructured grid ("UnstructuredGrid", one piece, ASCII) of all the volumes:
/// - each volume sampled on a grid of hexahedra (VTK type 12), at least 16 intervals per
///   direction and every breakpoint among the grid planes;
/// - each control net as lines (VTK type 3) between neighbouring control points;
/// - point data "jacobian": det J at each sample; at a control point, det J at its Greville
///   parameters (the mean of the degree knots after its first), the place of the volume that
///   the point pulls on most;
/// - cell data "patch" (the file's position among the inputs, from 1) and "part" (0 for a
///   hexahedron, 1 for a control-net line), to colour or threshold by.
/// Points are Float64 in the shortest text that reads back as the same double.
std::string vtk_unstructured_grid(const std::vector<checked_volume>& volumes);

}  // namespace patch::check
