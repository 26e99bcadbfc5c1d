#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace patch {

/// A value that cannot be written into its 13-character field.
struct unwritable_value {
    int line = 0;   ///< line of the geometry file, counted from 1
    int field = 0;  ///< field within that line, counted from 1
    double value = 0.0;
};

/// One geometry file while it is being written. Every write appends to the text in memory;
/// nothing reaches the disk before close_geometry_file, so a file whose content cannot be written
/// (a value too wide for its field) is never created or changed.
struct geometry_file {
    std::string name;                            ///< file name, relative to the working directory
    std::string text;                            ///< the lines written so far, each ending in "\n"
    int lines = 0;                               ///< number of lines in text
    std::optional<unwritable_value> unwritable;  ///< the first value that did not fit, if any
};

/// Starts the geometry file `name`; trailing blanks are not part of the name. Touches no file.
geometry_file open_geometry_file(std::string_view name);

/// Appends the dimension line and the lines of the degrees and of the control-point counts,
/// each item a blank and the integer right-aligned in 11 characters.
void write_header(geometry_file& f, int dimension, const std::array<int, 3>& degrees,
                  const std::array<int, 3>& counts);

/// Appends one knot line: the fixed field of each knot in order, then a line feed.
void write_knot_line(geometry_file& f, std::span<const double> knots);

/// Appends one point line: the fixed fields of x, y, z and the weight w. The weight is a separate
/// number; it is never multiplied into the coordinates.
void write_point_line(geometry_file& f, double x, double y, double z, double w);

/// Appends the corner index block: the eight lines "    2" to "    9". The same in every file.
void write_corner_block(geometry_file& f);

/// Throws patch::failure when a value of `f` did not fit its field, naming the file, the line,
/// the value and the range a field can hold. Touches no file.
void check_geometry_file(const geometry_file& f);

/// Checks `f` (check_geometry_file), then creates the file with permissions 0666 reduced by the
/// umask, or rewrites an existing file in place (owner, permissions and hard links stay; nothing
/// of its old content survives), writes the text and closes it. Every step is checked, the close
/// included; a failure throws patch::failure with the file's name and the system's reason. When
/// the file cannot be opened no byte is written; when a write fails part-way the file keeps a
/// leading part of the text.
void close_geometry_file(const geometry_file& f);

}  // namespace patch
