#pragma once
// A picture of the volumes for a person: an SVG drawing in an oblique projection.

#include <string>
#include <vector>

#include "patchcheck/measure.hpp"

namespace patch::check {

/// The projection of the picture, in drawing units before scaling: x to the right, y up, and z
/// receding up and to the right at 45 degrees, shortened to half (a cabinet projection along z).
/// The x-y plane keeps its true shape, which is where the solids of this project have theirs.
std::array<double, 2> oblique(const std::array<double, 3>& p);

/// One SVG document showing every volume: the parameter lines of its six boundary surfaces (at
/// the breakpoints, and between them when a direction has fewer than four spans), its twelve
/// edges drawn heavier, its control net dashed with the control points marked, the x, y and z
/// axes along the lower edges of the scene with their ranges labelled, and above it one line per
/// file with its name, verdict and volume. Each volume has its own colour.
std::string svg_picture(const std::vector<checked_volume>& volumes);

}  // namespace patch::check
