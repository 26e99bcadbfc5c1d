#pragma once
// Reading a geometry file back: every line, field and value checked against the layout.

#include <optional>
#include <string>
#include <string_view>

#include "patchcheck/volume.hpp"

namespace patch::check {

/// Why a geometry file was refused, and where.
struct read_error {
    int line = 0;        ///< line of the file, counted from 1
    std::string reason;  ///< one sentence fit for "FILE:LINE: reason"
};

/// Either the volume or the first fault in file order.
struct read_result {
    std::optional<nurbs_volume> volume;
    read_error error;  ///< meaningful when volume is empty
};

/// Reads the whole text of a geometry file. Never throws for a malformed text (only for
/// exhausted memory), and allocates the control points only once the file is known to hold
/// that many lines.
///
/// Accepted: the dimension line "3"; the degrees and the counts, each a blank and an integer
/// right-aligned in 11 characters; three knot lines of count + degree + 1 fields each; the point
/// lines; the corner lines 2 to 9, each right-aligned in 5 characters; every line ending in a line
/// feed. A field is 13 characters: blanks, then an optional "-", at least one digit, "." and
/// exactly nine digits; or the words NaN, Infinity, -Infinity right-aligned.
///
/// Refused, with the line and a reason: a line of the wrong length or field layout, 13
/// asterisks, a file that ends early or goes on after the corner block, a dimension other than 3,
/// a degree below 1, a count not above its degree, decreasing or non-finite knots, a parameter
/// domain of zero length, a weight that is not positive and finite, a coordinate that is not
/// finite, and a corner block other than 2 to 9.
read_result read_geometry(std::string_view text);

}  // namespace patch::check
